#pragma once
// Code page 437, the game's single-byte text encoding, and the UTF-8 the
// host system speaks. Every byte has a printable glyph; control characters
// typed or read as Unicode U+0000-U+001F and U+007F keep their byte values.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace runtime {

// The glyph of a byte: 0x00 and 0x20-0x7E are themselves, 0x01-0x1F and 0x7F
// the symbols the built-in font shows for them, 0x80-0xFF the upper half.
char32_t cp437ToUnicode(std::uint8_t byte);

// The byte showing a character, or -1 when code page 437 has none.
std::int32_t unicodeToCp437(char32_t ch);

// Decodes well-formed UTF-8 (no overlong forms, surrogates or values above
// U+10FFFF) and appends the characters to out; false at the first malformed
// sequence, with the characters before it appended.
bool decodeUtf8(std::string_view bytes, std::u32string& out);

// Appends ch as UTF-8; surrogates and values above U+10FFFF become U+FFFD.
void appendUtf8(char32_t ch, std::string& out);

// Every byte of a code page 437 text as UTF-8.
std::string cp437ToUtf8(std::string_view text);

}  // namespace runtime

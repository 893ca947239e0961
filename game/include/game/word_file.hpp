#pragma once
// The scrambled word file: line 1 ignored, line 2 the label prefix, every
// further line one entry "WORD;?hint" stored in slot 2k of both lists.

#include <cstdint>
#include <string>
#include <string_view>

#include "game/model.hpp"

namespace game {

// Subtracted (mod 256) from every byte of a scrambled line. Kept at most 10
// so that no printable byte 0x20-0xFF scrambles into a line feed or carriage
// return; only the control bytes 0x03 and 0x06 cannot be stored.
inline constexpr std::uint8_t WordFileShift = 7;

constexpr std::uint8_t scrambleByte(std::uint8_t plain) {
    return static_cast<std::uint8_t>(plain + WordFileShift);
}
constexpr std::uint8_t unscrambleByte(std::uint8_t scrambled) {
    return static_cast<std::uint8_t>(scrambled - WordFileShift);
}

// The whole of the open file `fd`, or in `why` the reason it could not be
// read. Only a regular file is read unless `anyKind`: a pipe, device or
// folder could block or never end. A stop request ends the reading.
bool readWholeFile(int fd, std::string& bytes, std::string& why, bool anyKind = false);

// Unscrambles the line in place and returns a copy of the result.
std::string unscrambleLine(std::string& line);

// How loadWordFile got at its bytes; the loader fills the lists either way.
enum class WordFileOpen : std::int32_t { Read = 0, CreatedEmpty = 1, Unreadable = 2 };

// Fills the lists and the prefix from the named file. A missing file is
// created empty; an existing file is only ever read, and only when it is a
// regular file. Unreadable leaves an empty list and, in `why`, one line's
// worth naming the file and the reason. A stop request ends the reading early.
WordFileOpen loadWordFile(const std::string& fileName, WordList& list, std::string& labelPrefix,
                          std::string* why = nullptr);

// The same, from the bytes of a word file, which become the list's storage.
void loadWordText(std::string bytes, WordList& list, std::string& labelPrefix);

}  // namespace game

#include "runtime/cp437.hpp"

#include <algorithm>
#include <array>
#include <utility>

namespace runtime {
namespace {

// Glyphs of 0x00-0x1F: the font draws symbols for the control bytes.
constexpr std::array<char32_t, 32> kLowGlyphs = {
    0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022, 0x25D8, 0x25CB, 0x25D9,
    0x2642, 0x2640, 0x266A, 0x266B, 0x263C, 0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7,
    0x25AC, 0x21A8, 0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC};

constexpr char32_t kHouse = 0x2302;  // glyph of 0x7F

constexpr std::array<char32_t, 128> kHighGlyphs = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 0x80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 0x88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 0x90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,  // 0x98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // 0xA0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // 0xA8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // 0xB0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // 0xB8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // 0xC0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // 0xC8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // 0xD0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // 0xD8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // 0xE0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  // 0xE8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // 0xF0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  // 0xF8
};

struct ReverseEntry {
    char32_t ch;
    std::uint8_t byte;
};

// Symbols of 0x01-0x1F, 0x7F and the whole upper half, sorted by character.
constexpr auto kReverse = [] {
    std::array<ReverseEntry, 31 + 1 + 128> table{};
    std::size_t n = 0;
    for (std::size_t b = 1; b < 32; ++b) table[n++] = {kLowGlyphs[b], static_cast<std::uint8_t>(b)};
    table[n++] = {kHouse, 0x7F};
    for (std::size_t b = 0; b < 128; ++b) {
        table[n++] = {kHighGlyphs[b], static_cast<std::uint8_t>(0x80 + b)};
    }
    std::sort(table.begin(), table.end(),
              [](const ReverseEntry& x, const ReverseEntry& y) { return x.ch < y.ch; });
    return table;
}();

}  // namespace

char32_t cp437ToUnicode(std::uint8_t byte) {
    if (byte < 0x20) return kLowGlyphs[byte];
    if (byte < 0x7F) return byte;
    if (byte == 0x7F) return kHouse;
    return kHighGlyphs[byte - 0x80u];
}

std::int32_t unicodeToCp437(char32_t ch) {
    // Control characters and plain ASCII are the bytes themselves.
    if (ch < 0x80) return static_cast<std::int32_t>(ch);
    const auto it = std::lower_bound(
        kReverse.begin(), kReverse.end(), ch,
        [](const ReverseEntry& entry, char32_t value) { return entry.ch < value; });
    if (it == kReverse.end() || it->ch != ch) return -1;
    return it->byte;
}

bool decodeUtf8(std::string_view bytes, std::u32string& out) {
    // By sequence length: the value bits of the lead byte, and the least value
    // that needs this length (a smaller one is an overlong form).
    static constexpr std::pair<std::uint8_t, char32_t> kForms[] = {
        {0, 0}, {0x7F, 0}, {0x1F, 0x80}, {0x0F, 0x800}, {0x07, 0x10000}};
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<std::uint8_t>(bytes[i]);
        // The sequence's length; 0 for a byte no sequence starts with.
        const std::size_t length = lead < 0x80   ? 1
                                   : lead < 0xC2 ? 0
                                   : lead < 0xE0 ? 2
                                   : lead < 0xF0 ? 3
                                   : lead < 0xF5 ? 4
                                                 : 0;
        if (length == 0 || bytes.size() - i < length) return false;
        const auto [valueBits, least] = kForms[length];
        char32_t value = lead & valueBits;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(bytes[i + k]);
            if ((next & 0xC0u) != 0x80u) return false;
            value = (value << 6) | (next & 0x3Fu);
        }
        if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        out.push_back(value);
        i += length;
    }
    return true;
}

void appendUtf8(char32_t ch, std::string& out) {
    if (ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) ch = 0xFFFD;
    if (ch < 0x80) {
        out.push_back(static_cast<char>(ch));
    } else if (ch < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else if (ch < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (ch >> 12)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (ch >> 18)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    }
}

std::string cp437ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) appendUtf8(cp437ToUnicode(static_cast<std::uint8_t>(c)), out);
    return out;
}

}  // namespace runtime

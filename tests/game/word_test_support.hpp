#pragma once
// Builds scrambled word files from readable lines for the game tests.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/word_file.hpp"

namespace wordtest {

inline std::string scramble(std::string_view plain) {
    std::string out;
    for (const char c : plain) {
        out.push_back(static_cast<char>(game::scrambleByte(static_cast<std::uint8_t>(c))));
    }
    return out;
}

// Each line scrambled and ended with `lineEnd`.
inline std::string scrambledFile(const std::vector<std::string>& lines,
                                 std::string_view lineEnd = "\n") {
    std::string out;
    for (const auto& line : lines) {
        out += scramble(line);
        out += lineEnd;
    }
    return out;
}

// A word file with a comment line, the prefix "Hint:" and one entry per word
// (hint "about WORD"), ending in a line feed.
inline game::WordList listOf(const std::vector<std::string>& words) {
    std::vector<std::string> lines{"comment", "Hint:"};
    for (const auto& word : words) lines.push_back(word + "; about " + word);
    game::WordList list;
    std::string prefix;
    game::loadWordText(scrambledFile(lines), list, prefix);
    return list;
}

}  // namespace wordtest

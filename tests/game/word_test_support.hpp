#pragma once
// Builds scrambled word files from readable lines for the game tests.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/word_file.hpp"

namespace wordtest {

inline std::string scramble(std::string_view plain) {
    std::string out(plain);
    for (char& c : out) c = static_cast<char>(game::scrambleByte(static_cast<std::uint8_t>(c)));
    return out;
}

// Each line scrambled and ended with `lineEnd`.
inline std::string scrambledFile(const std::vector<std::string>& lines,
                                 std::string_view lineEnd = "\n") {
    std::string out;
    for (const auto& line : lines) out += scramble(line) + std::string(lineEnd);
    return out;
}

// A word file with the prefix "Hint:" and one entry per word, hint "about WORD".
inline game::WordList listOf(const std::vector<std::string>& words) {
    std::vector<std::string> lines{"comment", "Hint:"};
    for (const auto& word : words) {
        lines.push_back(std::string(word).append("; about ").append(word));
    }
    game::WordList list;
    std::string prefix;
    game::loadWordText(scrambledFile(lines), list, prefix);
    return list;
}

// "prefix|word;hint|..." from slot 2 on; slots 0 and 1 (comment and prefix
// lines) show up as "?" unless empty.
inline std::string describe(const game::WordList& list, const std::string& prefix) {
    std::string out = prefix;
    for (std::size_t i = 0; i < list.words.size(); ++i) {
        const std::string slot = std::string(list.words[i]).append(";").append(list.hints[i]);
        out += i < 2 ? (slot == ";" ? "" : "?") : "|" + slot;
    }
    return out;
}

}  // namespace wordtest

#pragma once
// What lettermoor-words does with word files, kept out of the tool's main so
// it can be tested: plain UTF-8 <-> scrambled code page 437, a printed deal
// and a report on a file's entries.

#include <cstdint>
#include <string>
#include <string_view>

#include "game/model.hpp"

namespace game {

struct CodecError {
    std::int32_t line = 0;    // from 1
    std::int32_t column = 0;  // in characters, from 1
    std::string message;
};

// Converts every line to code page 437 and scrambles it, keeping the line
// ends as they are. On failure `out` is left untouched and `error` says why.
bool encodeWordText(std::string_view utf8, std::string& out, CodecError& error);

// Unscrambles every line and prints it as UTF-8, keeping the line ends.
// Bytes that would read as line ends show their code page 437 glyphs.
std::string decodeWordText(std::string_view scrambled);

// The grid, then each word with its hint and first and last cell (row, column).
std::string formatDeal(const Puzzle& puzzle);

struct CheckReport {
    std::string text;  // one line per finding, then a summary line
    std::int32_t usableWords = 0;
    bool canDeal = false;
};

// Lists the entries the game never draws and other doubtful ones.
CheckReport checkWordText(std::string_view scrambled);

}  // namespace game

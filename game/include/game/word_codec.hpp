#pragma once
// What lettermoor-words does with word files, kept out of the tool's main so
// it can be tested: plain UTF-8 <-> scrambled code page 437, a printed deal
// and a report on a file's entries.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "game/model.hpp"

namespace game {

struct CodecError {
    std::int32_t line = 0;    // from 1
    std::int32_t column = 0;  // in characters, from 1
    std::string message;
};

// How encode treats the word part (before the first ';') of entry lines.
enum class WordSpelling : std::uint8_t {
    AsWritten,
    // Raises a to z and writes Ä Ö Ü ß (either case) as AE OE UE SS, so
    // every cell of the word looks like the A to Z filler letters around it.
    GridLetters,
};

// Converts every line to code page 437 and scrambles it, keeping the line
// ends as they are; a UTF-8 byte-order mark at the start is dropped. On
// failure `out` is left untouched and `error` says why. `changedWords`, when
// given, receives the number of entries whose word the spelling changed.
bool encodeWordText(std::string_view utf8, std::string& out, CodecError& error,
                    WordSpelling spelling = WordSpelling::AsWritten,
                    std::int32_t* changedWords = nullptr);

// Unscrambles every line and prints it as UTF-8, keeping the line ends.
// Bytes that would read as line ends show their code page 437 glyphs.
std::string decodeWordText(std::string_view scrambled);

// The grid, then each word with its hint and first and last cell (row,
// column), counted from 0.
std::string formatDeal(const Puzzle& puzzle);

struct CheckReport {
    std::string text;  // one line per finding, then a summary line
    std::int32_t usableWords = 0;
    std::int32_t wordsOutsideAtoZ = 0;  // they stand out among the filler letters
    bool canDeal = false;
};

// Receives each finding line, and last the summary line, as soon as it is known.
using FindingSink = std::function<void(std::string_view)>;

// Lists the entries the game never draws and other doubtful ones, in line
// order. Keeps the bytes once and about 8 bytes per entry, so a list of
// millions of entries is checked in proportion; `text` stays empty.
CheckReport checkWordBytes(std::string scrambled, const FindingSink& write);

// The same, with the findings gathered in `text`.
CheckReport checkWordText(std::string_view scrambled);

}  // namespace game

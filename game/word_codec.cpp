#include "game/word_codec.hpp"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "game/generator.hpp"
#include "game/line_reader.hpp"
#include "game/word_file.hpp"
#include "game/word_file_repeats.hpp"
#include "game/word_file_slots.hpp"
#include "runtime/cp437.hpp"

namespace game {
namespace {

constexpr std::int32_t kHeaderLines = 2;

std::string hexCodePoint(char32_t ch) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(ch));
    return text;
}

bool isLineBreak(std::uint8_t byte) {
    return byte == '\n' || byte == '\r';
}

// Text for a decoded byte: control bytes stay themselves so tabs survive an
// editor, except those that would end the line.
void appendPlain(std::uint8_t byte, std::string& out) {
    if ((byte < 0x20 && !isLineBreak(byte)) || byte == 0x7F) {
        out.push_back(static_cast<char>(byte));
    } else {
        runtime::appendUtf8(runtime::cp437ToUnicode(byte), out);
    }
}

// How a character of a word is written in the grid: itself (empty result),
// or the capitals that stand for it.
std::u32string_view gridSpelling(char32_t ch) {
    static constexpr std::pair<char32_t, std::u32string_view> kSpelled[] = {
        {U'\u00C4', U"AE"}, {U'\u00E4', U"AE"}, {U'\u00D6', U"OE"}, {U'\u00F6', U"OE"},
        {U'\u00DC', U"UE"}, {U'\u00FC', U"UE"}, {U'\u00DF', U"SS"}, {U'\u1E9E', U"SS"}};
    static constexpr std::u32string_view kCapitals = U"ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    if (ch >= U'a' && ch <= U'z') return kCapitals.substr(ch - U'a', 1);
    for (const auto& [from, to] : kSpelled) {
        if (ch == from) return to;
    }
    return {};
}

std::string plural(std::int32_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// Appends the word in double quotes, as UTF-8.
void appendQuoted(std::string_view cp437, std::string& out) {
    out.push_back('"');
    for (const char c : cp437) {
        runtime::appendUtf8(runtime::cp437ToUnicode(static_cast<std::uint8_t>(c)), out);
    }
    out.push_back('"');
}

}  // namespace

bool encodeWordText(std::string_view utf8, std::string& out, CodecError& error,
                    WordSpelling spelling, std::int32_t* changedWords) {
    // Editors on Windows start UTF-8 files with a byte-order mark.
    if (utf8.starts_with("\xEF\xBB\xBF")) utf8.remove_prefix(3);
    std::string result;
    result.reserve(utf8.size());
    LineReader reader(utf8);
    std::int32_t lineNumber = 0;
    std::int32_t changed = 0;
    std::u32string chars;
    while (!reader.atEnd()) {
        ++lineNumber;
        const std::string_view line = reader.next();
        chars.clear();
        if (!runtime::decodeUtf8(line, chars)) {
            error = {lineNumber, static_cast<std::int32_t>(chars.size()) + 1, "malformed UTF-8"};
            return false;
        }
        bool inWord = spelling == WordSpelling::GridLetters && lineNumber > kHeaderLines;
        bool wordChanged = false;
        for (std::size_t i = 0; i < chars.size(); ++i) {
            const auto column = static_cast<std::int32_t>(i) + 1;
            if (chars[i] == U';') inWord = false;
            std::u32string_view written(&chars[i], 1);
            if (inWord && !gridSpelling(chars[i]).empty()) {
                written = gridSpelling(chars[i]);
                wordChanged = true;
            }
            for (const char32_t ch : written) {
                const std::int32_t byte = runtime::unicodeToCp437(ch);
                if (byte < 0) {
                    error = {lineNumber, column,
                             hexCodePoint(ch) + " has no code page 437 character"};
                    return false;
                }
                const std::uint8_t stored = scrambleByte(static_cast<std::uint8_t>(byte));
                if (isLineBreak(stored)) {
                    error = {lineNumber, column,
                             hexCodePoint(ch) + " would be stored as a line break"};
                    return false;
                }
                result.push_back(static_cast<char>(stored));
            }
        }
        if (wordChanged) ++changed;
        result.append(reader.lineEnd());
    }
    out = std::move(result);
    if (changedWords != nullptr) *changedWords = changed;
    return true;
}

std::string decodeWordText(std::string_view scrambled) {
    std::string out;
    out.reserve(scrambled.size() + scrambled.size() / 8);
    LineReader reader(scrambled);
    while (!reader.atEnd()) {
        for (const char c : reader.next()) {
            appendPlain(unscrambleByte(static_cast<std::uint8_t>(c)), out);
        }
        out.append(reader.lineEnd());
    }
    return out;
}

std::string formatDeal(const Puzzle& puzzle) {
    std::string out;
    for (const auto& row : puzzle.grid) {
        for (std::size_t column = 0; column < row.size(); ++column) {
            if (column != 0) out.push_back(' ');
            out += row[column].letter.empty() ? std::string(".")
                                              : runtime::cp437ToUtf8(row[column].letter);
        }
        out.push_back('\n');
    }
    out.push_back('\n');
    for (std::size_t i = 0; i < puzzle.words.size(); ++i) {
        const PuzzleWord& word = puzzle.words[i];
        out += std::to_string(i + 1) + ". " + runtime::cp437ToUtf8(word.word) + " (" +
               std::to_string(word.first.a) + "," + std::to_string(word.first.b) + ")-(" +
               std::to_string(word.last.a) + "," + std::to_string(word.last.b) +
               "): " + runtime::cp437ToUtf8(word.hint) + "\n";
    }
    return out;
}

CheckReport checkWordBytes(std::string scrambled, const FindingSink& write) {
    using namespace std::string_view_literals;
    CheckReport report;
    WordList list;
    std::string prefix;
    const std::size_t fileBytes = scrambled.size();
    loadWordText(std::move(scrambled), list, prefix);
    const EntryLines& lines = *list.words.entryLines();
    // What the whole check may hold besides the file's bytes and the positions
    // of its lines: about the file's size again, as the game's loader may.
    const std::size_t budget = fileBytes + (std::size_t{4} << 20) - lines.indexBytes();
    WordRepeats repeats(lines, static_cast<std::size_t>(MaxWordLength), budget);

    // Entry k sits on line k + 2 and in slot 2k.
    const auto entries = static_cast<std::int32_t>(list.words.size() / 2);
    // Findings go out in batches of whole lines: a long list can have millions.
    constexpr std::size_t kBatch = std::size_t{1} << 16;
    std::string findings;
    findings.reserve(kBatch + 256);
    const auto say = [&](std::int32_t lineNumber, std::string_view word, std::string_view what) {
        findings.append("line "sv).append(std::to_string(lineNumber)).append(": "sv);
        if (!word.empty()) appendQuoted(word, findings);
        findings += what;
        findings += '\n';
    };
    std::string what;
    for (std::int32_t k = 1; k <= entries; ++k) {
        if (findings.size() >= kBatch) {
            write(findings);
            findings.clear();
        }
        const std::int32_t lineNumber = k + kHeaderLines;
        const std::string_view word = list.words[2 * static_cast<std::size_t>(k)];
        if (word.empty()) {
            say(lineNumber, {}, "empty word, never drawn"sv);
            continue;
        }
        if (word.size() > static_cast<std::size_t>(MaxWordLength)) {
            say(lineNumber, word,
                " is " + std::to_string(word.size()) + " bytes, longer than " +
                    std::to_string(MaxWordLength) + ", never drawn");
            continue;
        }
        // The word views the loaded line, so the byte after it is the
        // separator, a line end, or the string's terminating zero.
        if (word.data()[word.size()] != ';') {
            say(lineNumber, word, " has no ';', the whole line is the word"sv);
        }
        if (k != entries) ++report.usableWords;
        // The last entry is never drawn, so it cannot stand out.
        if (k != entries &&
            !std::all_of(word.begin(), word.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) {
            say(lineNumber, word, " has letters outside A to Z, which stand out in the grid"sv);
            ++report.wordsOutsideAtoZ;
        }
        const std::uint32_t first = repeats.firstOf(static_cast<std::uint32_t>(k), word);
        if (first != 0) {
            what.assign(" repeats line "sv)
                .append(std::to_string(std::uint64_t{first} + kHeaderLines));
            say(lineNumber, word, what);
        }
        if (k == entries) say(lineNumber, word, " is the last entry, which is never drawn"sv);
    }

    report.canDeal = report.usableWords >= PuzzleWordCount;
    findings += plural(entries, "entry, ", "entries, ") +
                plural(report.usableWords, "usable word: ", "usable words: ") +
                (report.canDeal ? "a puzzle can be dealt\n"
                                : "fewer than " + std::to_string(PuzzleWordCount) +
                                      ", no puzzle can be dealt\n");
    write(findings);
    return report;
}

CheckReport checkWordText(std::string_view scrambled) {
    std::string text;
    CheckReport report =
        checkWordBytes(std::string(scrambled), [&](std::string_view line) { text += line; });
    report.text = std::move(text);
    return report;
}

}  // namespace game

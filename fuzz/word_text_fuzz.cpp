// Arbitrary bytes as "woerter.txt": the loader must give two parallel lists
// of whole lines, and every deal from them must keep the promises of
// tests/game/deal_rules.hpp, never hang.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_checks.hpp"
#include "game/generator.hpp"
#include "game/word_codec.hpp"
#include "game/word_file.hpp"
#include "runtime/random.hpp"
#include "tests/game/deal_rules.hpp"

namespace {

// No byte of a loaded text was stored as a line end in the file.
bool wasWithinOneLine(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char c) {
        const std::uint8_t stored = game::scrambleByte(static_cast<std::uint8_t>(c));
        return stored == '\n' || stored == '\r';
    });
}

void checkList(const game::WordList& list, const std::string& prefix) {
    FUZZ_REQUIRE(list.words.size() >= 3 && list.words.size() % 2 == 1);
    FUZZ_REQUIRE(wasWithinOneLine(prefix));
    for (std::size_t s = 0; s < list.words.size(); ++s) {
        if (s % 2 == 0 && s > 0) {
            FUZZ_REQUIRE(list.words[s].find(';') == std::string::npos);
            FUZZ_REQUIRE(wasWithinOneLine(list.words[s]) && wasWithinOneLine(list.hints[s]));
        } else {
            FUZZ_REQUIRE(list.words[s].empty() && list.hints[s].empty());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    game::WordList list;
    std::string prefix;
    game::loadWordText(std::string(bytes), list, prefix);
    checkList(list, prefix);

    game::Puzzle puzzle;
    for (const double seed : {1.0, 2.5, 1234.0}) {
        runtime::seedRandom(seed, 0);
        const game::DealResult result = game::generatePuzzle(list, puzzle);
        FUZZ_REQUIRE(dealrules::dealFault(list, puzzle, result).empty());
    }

    // The words tool reads the same bytes.
    static_cast<void>(game::checkWordText(bytes));
    static_cast<void>(game::decodeWordText(bytes));
    return 0;
}

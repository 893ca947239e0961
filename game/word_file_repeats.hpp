#pragma once
// Finds the entries of a loaded word file whose word an earlier entry already
// has, within a memory budget, so that checking a list of millions of short
// words costs memory in proportion to the file rather than to its entries.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace game {

class EntryLines;

class WordRepeats {
  public:
    // Entry k (from 1) is line k - 1 of `lines`; only words of 1 to
    // `longest` bytes can repeat. Tables never outgrow `budgetBytes` (beyond
    // two bits per entry): a budget too small for all words at once is met
    // with several passes over the list, each for a share of the words.
    WordRepeats(const EntryLines& lines, std::size_t longest, std::size_t budgetBytes);

    // The first entry with the same word as entry k, or 0 when k is the first.
    // Asked in increasing k for every word that can repeat.
    std::uint32_t firstOf(std::uint32_t k, std::string_view word);

    // How many passes finding the repeats took (more than one when the budget
    // was tight).
    std::uint32_t passes() const { return passes_; }

  private:
    bool findRepeats(std::uint32_t parts, std::size_t budget);
    void prepareFirsts(std::size_t budget);
    std::string_view wordOf(std::uint32_t entry) const;

    const EntryLines& lines_;
    std::size_t longest_;
    std::uint32_t passes_ = 0;
    std::vector<std::uint64_t> repeats_;   // bit k: entry k repeats an earlier word
    std::vector<std::uint64_t> repeated_;  // bit k: entry k is the first of a repeated word
    // Each repeat's first entry, in entry order, when one pass found them all.
    std::vector<std::uint32_t> firstByRepeat_;
    bool noted_ = false;
    std::size_t nextRepeat_ = 0;
    // First entries of repeated words, by hash (0: empty; top bit: another
    // first entry has the same hash, so the words must be compared).
    std::vector<std::uint32_t> firsts_;
    std::vector<std::uint32_t> firstHashes_;  // empty when the budget had no room
};

}  // namespace game

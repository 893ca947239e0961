#include "game/word_file_repeats.hpp"

#include <algorithm>
#include <array>
#include <bit>

#include "game/word_file_slots.hpp"

namespace game {
namespace {

// A word seen in the first pass: where it starts in the entry text, its
// length, its hash and its first entry, in one cache line's quarter.
struct Seen {
    std::uint64_t where = 0;  // offset << 5 | length; 0 while the slot is empty
    std::uint32_t hash = 0;
    std::uint32_t first = 0;
};
constexpr int kLengthBits = 5;
constexpr std::size_t kStartSlots = 1024;
constexpr std::size_t kLeastBudget = std::size_t{64} << 10;
// Past this many parts a pass's table grows beyond the budget instead.
constexpr std::uint32_t kMostParts = 1u << 16;
// Set in a first entry whose hash another first entry shares.
constexpr std::uint32_t kSharedHash = 1u << 31;

std::uint32_t hashOf(std::string_view word) {
    std::uint32_t hash = 2166136261u;
    for (const char c : word) hash = (hash ^ static_cast<std::uint8_t>(c)) * 16777619u;
    // Mixed so that the top bits (slots) and the rotated ones (parts) both spread.
    hash ^= hash >> 16;
    hash *= 0x85EBCA6Bu;
    hash ^= hash >> 13;
    hash *= 0xC2B2AE35u;
    return hash ^ (hash >> 16);
}

std::size_t slotOf(std::uint32_t hash, std::size_t slots) {
    return static_cast<std::size_t>((std::uint64_t{hash} * slots) >> 32);
}

std::uint32_t partOf(std::uint32_t hash, std::uint32_t parts) {
    return static_cast<std::uint32_t>((std::uint64_t{std::rotl(hash, 16)} * parts) >> 32);
}

std::string_view wordOfLine(std::string_view line) {
    return line.substr(0, line.find(';'));
}

// The words seen so far in one pass, each with the entry that had it first.
class SeenWords {
  public:
    SeenWords(std::string_view text, std::size_t slots) : text_(text), slots_(slots) {}

    // Brings the word's first slot towards the cache ahead of its turn.
    void prefetch(std::uint32_t hash) const {
        __builtin_prefetch(&slots_[slotOf(hash, slots_.size())]);
    }

    // The entry that had the word first, or 0 after noting entry k as its first.
    std::uint32_t firstOrAdd(std::uint32_t k, std::string_view word, std::uint32_t hash) {
        const std::uint64_t where =
            (static_cast<std::uint64_t>(word.data() - text_.data()) << kLengthBits) | word.size();
        std::size_t slot = slotOf(hash, slots_.size());
        for (; slots_[slot].where != 0; slot = slot + 1 == slots_.size() ? 0 : slot + 1) {
            const Seen& seen = slots_[slot];
            if (seen.hash == hash && ((seen.where ^ where) & ((1u << kLengthBits) - 1)) == 0 &&
                text_.substr(seen.where >> kLengthBits, word.size()) == word) {
                return seen.first;
            }
        }
        slots_[slot] = {where, hash, k};
        ++used_;
        return 0;
    }

    bool full() const { return used_ * 10 > slots_.size() * 7; }
    std::size_t bytes() const { return slots_.size() * sizeof(Seen); }
    // The bytes growing would hold at once, the old slots and the new.
    std::size_t bytesToGrow() const { return 3 * bytes(); }

    void grow() {
        std::vector<Seen> slots(slots_.size() * 2);
        for (const Seen& seen : slots_) {
            if (seen.where == 0) continue;
            std::size_t slot = slotOf(seen.hash, slots.size());
            while (slots[slot].where != 0) slot = slot + 1 == slots.size() ? 0 : slot + 1;
            slots[slot] = seen;
        }
        slots_ = std::move(slots);
    }

  private:
    std::string_view text_;
    std::vector<Seen> slots_;
    std::size_t used_ = 0;
};

}  // namespace

WordRepeats::WordRepeats(const EntryLines& lines, std::size_t longest, std::size_t budgetBytes)
    : lines_(lines), longest_(std::min<std::size_t>(longest, 31)) {
    const std::size_t bitWords = (lines.count() + 1) / 64 + 1;
    repeats_.assign(bitWords, 0);
    repeated_.assign(bitWords, 0);
    const std::size_t bitBytes = 2 * bitWords * sizeof(std::uint64_t);
    const std::size_t budget =
        std::max(budgetBytes > bitBytes ? budgetBytes - bitBytes : 0, kLeastBudget);
    std::uint32_t parts = 1;
    while (!findRepeats(parts, budget)) {
        std::fill(repeats_.begin(), repeats_.end(), 0);
        std::fill(repeated_.begin(), repeated_.end(), 0);
        parts *= 2;
    }
    prepareFirsts(budget);
}

// False when a part's words outgrew the budget before the list ended.
bool WordRepeats::findRepeats(std::uint32_t parts, std::size_t budget) {
    const std::string_view text = lines_.text();
    // One pass for all words notes each repeat's first entry as it goes, while
    // the budget has room for that too; else they are found again later.
    firstByRepeat_.clear();
    bool noting = parts == 1;
    struct Pending {
        std::string_view word;
        std::uint32_t k;
        std::uint32_t hash;
    };
    constexpr std::size_t kAhead = 8;  // table slots are fetched this many words ahead
    std::array<Pending, kAhead> pending{};
    for (std::uint32_t part = 0; part < parts; ++part) {
        ++passes_;
        SeenWords seen(text, kStartSlots);
        const auto settle = [&](const Pending& next) {
            const std::uint32_t first = seen.firstOrAdd(next.k, next.word, next.hash);
            if (first != 0) {
                setBit(repeats_, next.k);
                setBit(repeated_, first);
                if (noting && firstByRepeat_.size() == firstByRepeat_.capacity()) {
                    // Grown only while the old and the new list fit beside the table.
                    const std::size_t more = std::max<std::size_t>(2 * firstByRepeat_.size(), 1024);
                    noting =
                        seen.bytes() + (firstByRepeat_.size() + more) * sizeof(std::uint32_t) <=
                        budget;
                    if (noting) {
                        firstByRepeat_.reserve(more);
                    } else {
                        std::vector<std::uint32_t>().swap(firstByRepeat_);
                    }
                }
                if (noting) firstByRepeat_.push_back(first);
            } else if (seen.full()) {
                if (noting &&
                    seen.bytesToGrow() + firstByRepeat_.capacity() * sizeof(std::uint32_t) >
                        budget) {
                    noting = false;
                    std::vector<std::uint32_t>().swap(firstByRepeat_);
                }
                if (seen.bytesToGrow() > budget && parts < kMostParts) return false;
                seen.grow();
            }
            return true;
        };
        std::size_t waiting = 0;
        for (std::size_t index = 0; index < lines_.count(); ++index) {
            const std::string_view word = wordOfLine(lines_.line(index));
            if (word.empty() || word.size() > longest_) continue;
            const std::uint32_t hash = hashOf(word);
            if (parts > 1 && partOf(hash, parts) != part) continue;
            seen.prefetch(hash);
            Pending& slot = pending[waiting % kAhead];
            if (waiting >= kAhead && !settle(slot)) return false;
            slot = {word, static_cast<std::uint32_t>(index + 1), hash};
            ++waiting;
        }
        for (std::size_t i = waiting > kAhead ? waiting - kAhead : 0; i < waiting; ++i) {
            if (!settle(pending[i % kAhead])) return false;
        }
    }
    noted_ = noting;
    return true;
}

void WordRepeats::prepareFirsts(std::size_t budget) {
    if (noted_) return;
    std::size_t words = 0;
    for (const std::uint64_t bits : repeated_) {
        words += static_cast<std::size_t>(std::popcount(bits));
    }
    if (words == 0) return;
    // With each hash beside its entry a repeat is found without reading any
    // other line; without room for them, words are compared instead.
    const std::size_t roomy = words + words / 2 + 1;
    if (roomy * 2 * sizeof(std::uint32_t) <= budget) {
        firsts_.assign(roomy, 0);
        firstHashes_.assign(roomy, 0);
    } else {
        firsts_.assign(words + words / 4 + 1, 0);
    }
}

std::string_view WordRepeats::wordOf(std::uint32_t entry) const {
    return wordOfLine(lines_.line(entry - 1));
}

std::uint32_t WordRepeats::firstOf(std::uint32_t k, std::string_view word) {
    const bool repeats = bitAt(repeats_, k);
    if (noted_) return repeats ? firstByRepeat_[nextRepeat_++] : 0;
    if (!repeats && !bitAt(repeated_, k)) return 0;
    const std::uint32_t hash = hashOf(word);
    const bool hashed = !firstHashes_.empty();
    std::size_t slot = slotOf(hash, firsts_.size());
    std::uint32_t shared = 0;
    for (; firsts_[slot] != 0; slot = slot + 1 == firsts_.size() ? 0 : slot + 1) {
        const std::uint32_t first = firsts_[slot] & ~kSharedHash;
        if (hashed && firstHashes_[slot] != hash) continue;
        if (repeats) {
            if (hashed && (firsts_[slot] & kSharedHash) == 0) return first;
            if (wordOf(first) == word) return first;
        } else if (hashed) {
            firsts_[slot] |= kSharedHash;
            shared = kSharedHash;
        }
    }
    if (!repeats) {
        firsts_[slot] = k | shared;
        if (hashed) firstHashes_[slot] = hash;
    }
    return 0;
}

}  // namespace game

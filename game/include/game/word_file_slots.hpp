#pragma once
// The slots of the word and hint lists. A loaded word file keeps its bytes
// once, unscrambled, with a bit per byte marking where each entry line
// starts; a slot's text is a view into those bytes, found when asked for,
// that lives as long as its list.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace game {

// Tables of bits, one per line or per byte of a list: bit i is bit i % 64 of
// word i / 64.
inline void setBit(std::vector<std::uint64_t>& bits, std::size_t index) {
    bits[index / 64] |= std::uint64_t{1} << (index % 64);
}
inline bool bitAt(const std::vector<std::uint64_t>& bits, std::size_t index) {
    return ((bits[index / 64] >> (index % 64)) & 1u) != 0;
}

// The lines from the third on of a word file (the entry lines).
class EntryLines {
  public:
    // Takes the file's bytes as stored; `first` is where the third line starts.
    EntryLines(std::string bytes, std::size_t first);

    std::size_t count() const { return count_; }
    // Every entry line, unscrambled, each line end read as the bytes LF and
    // CR unscramble to; line(i) views into it.
    std::string_view text() const { return std::string_view(bytes_).substr(first_); }
    // The memory the positions of the lines take besides the text.
    std::size_t indexBytes() const;
    // Line `index` (0 for the first entry line), unscrambled, without its line end.
    std::string_view line(std::size_t index) const;

  private:
    std::size_t startOf(std::size_t index) const;
    std::size_t sampledStartOf(std::size_t index) const;

    std::string bytes_;
    std::size_t first_;
    std::uint64_t serial_;  // tells this list's remembered positions from another's
    std::size_t count_ = 0;
    std::vector<std::uint64_t> starts_;     // bit i: a line starts at first_ + i
    std::vector<std::uint64_t> samples_;    // start bit of every 64th line
    std::vector<std::uint32_t> spelledAt_;  // per 64 lines: block in spelled_, or none
    std::vector<std::uint64_t> spelled_;    // every start of blocks that span many bytes
};

enum class SlotPart : std::uint8_t { Word, Hint };

// Before a file is loaded, the lists hold slot 0 alone.
class SlotTexts {
  public:
    SlotTexts() = default;
    // Slot 2k holds the word or hint of entry k; slot 0 and odd slots are empty.
    SlotTexts(std::shared_ptr<const EntryLines> lines, SlotPart part)
        : lines_(std::move(lines)), part_(part) {}

    std::size_t size() const;
    std::string_view operator[](std::size_t slot) const;
    // The file's entry lines behind the slots, or null before a file is loaded.
    const EntryLines* entryLines() const { return lines_.get(); }

  private:
    std::shared_ptr<const EntryLines> lines_;
    SlotPart part_ = SlotPart::Word;
};

}  // namespace game

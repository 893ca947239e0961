#pragma once
// The slots of the word and hint lists. A loaded word file keeps its bytes
// once, unscrambled, with a bit per byte marking where each entry line
// starts; a slot's text is a view into those bytes, found when asked for.
// Lists built in code hold their own texts.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace game {

// One slot's text: a view that lives as long as its list, and reads as a
// std::string where one is needed.
class SlotText : public std::string_view {
  public:
    using std::string_view::string_view;
    SlotText(std::string_view text) : std::string_view(text) {}  // NOLINT: reads as its view
    operator std::string() const { return std::string(*this); }  // NOLINT: reads as a text

    friend std::string operator+(const SlotText& a, std::string_view b) {
        return std::string(a).append(b);
    }
    friend std::string operator+(std::string a, const SlotText& b) { return a.append(b); }
};

// The lines from the third on of a word file (the entry lines).
class EntryLines {
  public:
    // Takes the file's bytes as stored; `first` is where the third line starts.
    EntryLines(std::string bytes, std::size_t first);

    std::size_t count() const { return count_; }
    // Line `index` (0 for the first entry line), unscrambled, without its line end.
    std::string_view line(std::size_t index) const;

  private:
    std::size_t startOf(std::size_t index) const;
    std::size_t sampledStartOf(std::size_t index) const;
    std::size_t lastLineEndLength() const;

    std::string bytes_;
    std::size_t first_;
    std::uint64_t serial_;  // tells this list's remembered positions from another's
    std::size_t count_ = 0;
    std::size_t lastEnd_ = 0;               // where the last line's text ends, from first_
    std::vector<std::uint64_t> starts_;     // bit i: a line starts at first_ + i
    std::vector<std::uint64_t> crLf_;       // bit j: line j ends with CR LF
    std::vector<std::uint64_t> samples_;    // start bit of every 64th line
    std::vector<std::uint32_t> spelledAt_;  // per 64 lines: block in spelled_, or none
    std::vector<std::uint64_t> spelled_;    // every start of blocks that span many bytes
};

enum class SlotPart : std::uint8_t { Word, Hint };

class SlotTexts {
  public:
    SlotTexts() : texts_(1) {}
    SlotTexts(std::initializer_list<std::string> texts) : texts_(texts) {}
    // Slot 2k holds the word or hint of entry k; slot 0 and odd slots are empty.
    SlotTexts(std::shared_ptr<const EntryLines> lines, SlotPart part)
        : lines_(std::move(lines)), part_(part) {}

    SlotTexts& operator=(std::initializer_list<std::string> texts);
    void assign(std::size_t count, std::string_view text);

    std::size_t size() const;
    SlotText operator[](std::size_t slot) const;

  private:
    std::vector<std::string> texts_;
    std::shared_ptr<const EntryLines> lines_;
    SlotPart part_ = SlotPart::Word;
};

}  // namespace game

#include "game/word_file_slots.hpp"

#include <algorithm>
#include <atomic>
#include <bit>
#include <limits>

#include "game/line_reader.hpp"
#include "game/word_file.hpp"

namespace game {
namespace {

constexpr std::size_t kBlockLines = 64;
constexpr std::uint32_t kNotSpelled = std::numeric_limits<std::uint32_t>::max();
// A block of lines spread over more bytes than this keeps its starts spelled
// out, so finding a line never scans more than this many bits.
constexpr std::uint64_t kScanBitsAtMost = std::uint64_t{16} * 1024;

void setBit(std::vector<std::uint64_t>& bits, std::size_t index) {
    bits[index / 64] |= std::uint64_t{1} << (index % 64);
}

bool bitAt(const std::vector<std::uint64_t>& bits, std::size_t index) {
    return ((bits[index / 64] >> (index % 64)) & 1u) != 0;
}

std::atomic<std::uint64_t> nextSerial{1};

// The line start found last on this thread, so that walking the lines in
// order (counting usable words, checking a list) costs a step per line.
struct LastStart {
    std::uint64_t serial = 0;
    std::size_t index = 0;
    std::size_t start = 0;
};
thread_local LastStart lastStart;

}  // namespace

EntryLines::EntryLines(std::string bytes, std::size_t first)
    : bytes_(std::move(bytes)), first_(std::min(first, bytes_.size())), serial_(nextSerial++) {
    const std::string_view region = std::string_view(bytes_).substr(first_);
    starts_.assign(region.size() / 64 + 1, 0);
    crLf_.assign(region.size() / 64 + 1, 0);
    std::vector<std::uint64_t> block;
    block.reserve(kBlockLines);
    auto closeBlock = [&] {
        if (block.empty()) return;
        if (block.back() - block.front() > kScanBitsAtMost) {
            spelledAt_.push_back(static_cast<std::uint32_t>(spelled_.size() / kBlockLines));
            spelled_.insert(spelled_.end(), block.begin(), block.end());
            spelled_.resize(spelled_.size() + kBlockLines - block.size());
        } else {
            spelledAt_.push_back(kNotSpelled);
        }
        block.clear();
    };
    LineReader reader(region);
    while (!reader.atEnd()) {
        const std::string_view line = reader.next();
        const auto start = static_cast<std::size_t>(line.data() - region.data());
        if (block.size() == kBlockLines) closeBlock();
        if (block.empty()) samples_.push_back(start);
        block.push_back(start);
        setBit(starts_, start);
        if (reader.lineEnd().size() == 2) setBit(crLf_, count_);
        ++count_;
    }
    closeBlock();
    // One bit per line, not per byte, is all the line ends need.
    crLf_.resize(count_ / 64 + 1);
    crLf_.shrink_to_fit();
    lastEnd_ = count_ == 0 ? 0 : region.size() - lastLineEndLength();
    for (char& c : bytes_) c = static_cast<char>(unscrambleByte(static_cast<std::uint8_t>(c)));
}

std::size_t EntryLines::indexBytes() const {
    return (starts_.capacity() + crLf_.capacity() + samples_.capacity() + spelled_.capacity()) *
               sizeof(std::uint64_t) +
           spelledAt_.capacity() * sizeof(std::uint32_t);
}

std::size_t EntryLines::lastLineEndLength() const {
    // Still scrambled here: line ends are stored as they are.
    const std::string_view region = std::string_view(bytes_).substr(first_);
    if (region.empty() || (region.back() != '\n' && region.back() != '\r')) return 0;
    return bitAt(crLf_, count_ - 1) ? 2 : 1;
}

std::size_t EntryLines::startOf(std::size_t index) const {
    LastStart& last = lastStart;
    if (last.serial == serial_ && last.index == index) return last.start;
    if (last.serial == serial_ && last.index + 1 == index) {
        std::size_t word = (last.start + 1) / 64;
        std::uint64_t bits = starts_[word] & (~std::uint64_t{0} << ((last.start + 1) % 64));
        while (bits == 0) bits = starts_[++word];
        last = {serial_, index, word * 64 + static_cast<std::size_t>(std::countr_zero(bits))};
        return last.start;
    }
    last = {serial_, index, sampledStartOf(index)};
    return last.start;
}

std::size_t EntryLines::sampledStartOf(std::size_t index) const {
    const std::size_t block = index / kBlockLines;
    std::size_t skip = index % kBlockLines;
    if (spelledAt_[block] != kNotSpelled) {
        return spelled_[std::size_t{spelledAt_[block]} * kBlockLines + skip];
    }
    const std::uint64_t sample = samples_[block];
    std::size_t word = sample / 64;
    std::uint64_t bits = starts_[word] & (~std::uint64_t{0} << (sample % 64));
    for (;;) {
        const auto ones = static_cast<std::size_t>(std::popcount(bits));
        if (skip < ones) break;
        skip -= ones;
        bits = starts_[++word];
    }
    for (; skip > 0; --skip) bits &= bits - 1;
    return word * 64 + static_cast<std::size_t>(std::countr_zero(bits));
}

std::string_view EntryLines::line(std::size_t index) const {
    if (index >= count_) return {};
    const std::size_t start = startOf(index);
    const std::size_t end =
        index + 1 < count_ ? startOf(index + 1) - (bitAt(crLf_, index) ? 2 : 1) : lastEnd_;
    return std::string_view(bytes_).substr(first_ + start, end - start);
}

SlotTexts& SlotTexts::operator=(std::initializer_list<std::string> texts) {
    texts_.assign(texts);
    lines_.reset();
    return *this;
}

void SlotTexts::assign(std::size_t count, std::string_view text) {
    texts_.assign(count, std::string(text));
    lines_.reset();
}

std::size_t SlotTexts::size() const {
    if (!lines_) return texts_.size();
    // A file without entry lines still reads one empty entry.
    return 2 * std::max<std::size_t>(lines_->count(), 1) + 1;
}

SlotText SlotTexts::operator[](std::size_t slot) const {
    if (!lines_) return slot < texts_.size() ? SlotText(texts_[slot]) : SlotText();
    if (slot == 0 || slot % 2 != 0) return {};
    const std::string_view line = lines_->line(slot / 2 - 1);
    const std::size_t separator = line.find(';');
    if (part_ == SlotPart::Word) return line.substr(0, separator);
    // The one byte after the separator is skipped; without one, the first byte.
    const std::size_t hintStart = separator == std::string_view::npos ? 1 : separator + 2;
    return hintStart < line.size() ? line.substr(hintStart) : std::string_view();
}

}  // namespace game

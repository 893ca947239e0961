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

std::atomic<std::uint64_t> nextSerial{1};

// The line start found last on this thread, so that walking the lines in
// order (counting usable words, checking a list) costs a step per line.
struct LastStart {
    std::uint64_t serial = 0;
    std::size_t index = 0;
    std::size_t start = 0;
};
thread_local LastStart lastStart;

// The line end bytes as they read once the lines are unscrambled.
constexpr char kLineFeed = static_cast<char>(unscrambleByte('\n'));
constexpr char kCarriageReturn = static_cast<char>(unscrambleByte('\r'));

}  // namespace

EntryLines::EntryLines(std::string bytes, std::size_t first)
    : bytes_(std::move(bytes)), first_(std::min(first, bytes_.size())), serial_(nextSerial++) {
    const std::string_view region = std::string_view(bytes_).substr(first_);
    starts_.assign(region.size() / 64 + 1, 0);
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
        ++count_;
    }
    closeBlock();
    for (char& c : bytes_) c = static_cast<char>(unscrambleByte(static_cast<std::uint8_t>(c)));
}

std::size_t EntryLines::indexBytes() const {
    return (starts_.capacity() + samples_.capacity() + spelled_.capacity()) *
               sizeof(std::uint64_t) +
           spelledAt_.capacity() * sizeof(std::uint32_t);
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
    const std::string_view lines = text();
    const std::size_t start = startOf(index);
    std::size_t end = index + 1 < count_ ? startOf(index + 1) : lines.size();
    // A line's text holds no line end bytes, and a CR before an LF is one line end with it.
    if (end > start && lines[end - 1] == kLineFeed) --end;
    if (end > start && lines[end - 1] == kCarriageReturn) --end;
    return lines.substr(start, end - start);
}

std::size_t SlotTexts::size() const {
    if (!lines_) return 1;
    // A file without entry lines still reads one empty entry.
    return 2 * std::max<std::size_t>(lines_->count(), 1) + 1;
}

std::string_view SlotTexts::operator[](std::size_t slot) const {
    if (!lines_ || slot == 0 || slot % 2 != 0) return {};
    const std::string_view line = lines_->line(slot / 2 - 1);
    const std::size_t separator = line.find(';');
    if (part_ == SlotPart::Word) return line.substr(0, separator);
    // The one byte after the separator is skipped; without one, the first byte.
    const std::size_t hintStart = separator == std::string_view::npos ? 1 : separator + 2;
    return hintStart < line.size() ? line.substr(hintStart) : std::string_view();
}

}  // namespace game

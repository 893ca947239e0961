#pragma once
// Splits a byte buffer into lines the way the word file is read: a line ends
// at LF, CR LF or a lone CR; the final line needs no line end; reading past
// the end yields empty lines.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace game {

class LineReader {
  public:
    explicit LineReader(std::string_view bytes)
        : bytes_(bytes), nextLf_(find('\n')), nextCr_(find('\r')) {}

    // True once every byte has been consumed, so a final LF adds no line.
    bool atEnd() const { return pos_ >= bytes_.size(); }

    std::string_view next() {
        if (atEnd()) {
            contentEnd_ = bytes_.size();
            return {};
        }
        // Both positions are cached so a file full of one kind of line end
        // is still scanned once, not once per line.
        if (nextLf_ < pos_) nextLf_ = find('\n');
        if (nextCr_ < pos_) nextCr_ = find('\r');
        const std::size_t start = pos_;
        if (nextLf_ <= nextCr_) {
            contentEnd_ = nextLf_;
            pos_ = nextLf_ + 1;
        } else {
            contentEnd_ = nextCr_;
            pos_ = nextCr_ + 1;
            if (pos_ < bytes_.size() && bytes_[pos_] == '\n') ++pos_;
        }
        return bytes_.substr(start, contentEnd_ - start);
    }

    // The line end that closed the line last returned: empty, LF, CR LF or CR.
    std::string_view lineEnd() const {
        if (contentEnd_ >= bytes_.size()) return {};
        return bytes_.substr(contentEnd_, std::min(pos_, bytes_.size()) - contentEnd_);
    }

  private:
    // Position of the next c at or after pos_, or the buffer size.
    std::size_t find(char c) const {
        if (pos_ >= bytes_.size()) return bytes_.size();
        const void* hit = std::memchr(bytes_.data() + pos_, c, bytes_.size() - pos_);
        if (hit == nullptr) return bytes_.size();
        return static_cast<std::size_t>(static_cast<const char*>(hit) - bytes_.data());
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;  // declared before the cached positions it seeds
    std::size_t contentEnd_ = 0;
    std::size_t nextLf_;
    std::size_t nextCr_;
};

}  // namespace game

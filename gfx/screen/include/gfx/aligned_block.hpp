#pragma once
// One heap block holding a 16-byte-aligned payload. The payload starts at the
// block's address plus 18, rounded down to a multiple of 16; the block's own
// address is stored in the bytes just before the payload, so the payload alone
// is enough to free it.

#include <cstddef>
#include <cstdint>

namespace gfx {

inline constexpr std::size_t kAlignSlack = 18;

// Returns the aligned payload of a new block of size + 18 bytes, or nullptr.
// Fails (nullptr) when size + 18 overflows.
std::uint8_t* allocateAligned(std::size_t size);
// Frees a payload returned by allocateAligned; nullptr is ignored.
void freeAligned(std::uint8_t* payload);

// Test hook: the next `count` allocations fail (0 turns failing off).
void failNextAllocations(int count);

// Owns one aligned payload.
class AlignedBlock {
  public:
    AlignedBlock() = default;
    explicit AlignedBlock(std::size_t size) : data_(allocateAligned(size)) {}
    AlignedBlock(const AlignedBlock&) = delete;
    AlignedBlock& operator=(const AlignedBlock&) = delete;
    AlignedBlock(AlignedBlock&& other) noexcept : data_(other.data_) { other.data_ = nullptr; }
    AlignedBlock& operator=(AlignedBlock&& other) noexcept {
        if (this != &other) {
            freeAligned(data_);
            data_ = other.data_;
            other.data_ = nullptr;
        }
        return *this;
    }
    ~AlignedBlock() { freeAligned(data_); }

    std::uint8_t* get() const { return data_; }
    explicit operator bool() const { return data_ != nullptr; }

  private:
    std::uint8_t* data_ = nullptr;
};

}  // namespace gfx

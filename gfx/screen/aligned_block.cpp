#include "gfx/aligned_block.hpp"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace gfx {
namespace {

// malloc returns blocks aligned to max_align_t, so rounding start + 18 down to
// 16 always leaves at least 8 bytes in front of the payload for the address.
static_assert(alignof(std::max_align_t) >= 8);
static_assert(sizeof(void*) <= 8);

std::atomic<int> failingAllocations{0};

}  // namespace

std::uint8_t* allocateAligned(std::size_t size) {
    if (size > std::numeric_limits<std::size_t>::max() - kAlignSlack) {
        return nullptr;
    }
    int failing = failingAllocations.load();
    while (failing > 0) {
        if (failingAllocations.compare_exchange_weak(failing, failing - 1)) {
            return nullptr;
        }
    }
    void* block = std::malloc(size + kAlignSlack);
    if (block == nullptr) {
        return nullptr;
    }
    auto* payload = static_cast<std::uint8_t*>(block) + kAlignSlack;
    payload -= reinterpret_cast<std::uintptr_t>(payload) & 15;
    std::memcpy(payload - sizeof(void*), &block, sizeof(void*));
    return payload;
}

void freeAligned(std::uint8_t* payload) {
    if (payload == nullptr) {
        return;
    }
    void* block = nullptr;
    std::memcpy(&block, payload - sizeof(void*), sizeof(void*));
    std::free(block);
}

void failNextAllocations(int count) {
    failingAllocations.store(count < 0 ? 0 : count);
}

}  // namespace gfx

#include "gfx/aligned_block.hpp"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "gfx/screen/fallible_growth.hpp"

namespace gfx {
namespace {

// malloc returns blocks aligned to max_align_t, so rounding start + 18 down to
// 16 always leaves at least 8 bytes in front of the payload for the address.
static_assert(alignof(std::max_align_t) >= 8);
static_assert(sizeof(void*) <= 8);

std::atomic<int> failingAllocations{0};
std::atomic<int> allocationsBeforeFailing{0};

// Takes one from `counter` when it is above 0.
bool takeOne(std::atomic<int>& counter) {
    int left = counter.load();
    while (left > 0) {
        if (counter.compare_exchange_weak(left, left - 1)) return true;
    }
    return false;
}

}  // namespace

std::uint8_t* allocateAligned(std::size_t size) {
    if (size > std::numeric_limits<std::size_t>::max() - kAlignSlack) {
        return nullptr;
    }
    if (allocationRefused()) {
        return nullptr;
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
    failNextAllocations(count, 0);
}

void failNextAllocations(int count, int succeeding) {
    allocationsBeforeFailing.store(succeeding < 0 ? 0 : succeeding);
    failingAllocations.store(count < 0 ? 0 : count);
}

bool allocationRefused() {
    if (failingAllocations.load() == 0 || takeOne(allocationsBeforeFailing)) return false;
    return takeOne(failingAllocations);
}

}  // namespace gfx

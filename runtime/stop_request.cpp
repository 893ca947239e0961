#include "runtime/stop_request.hpp"

#include <atomic>

namespace runtime {
namespace {

std::atomic<bool> stopFlag{false};
static_assert(std::atomic<bool>::is_always_lock_free, "requestStop runs in signal handlers");

}  // namespace

void requestStop() {
    stopFlag.store(true);
}

bool stopRequested() {
    return stopFlag.load();
}

}  // namespace runtime

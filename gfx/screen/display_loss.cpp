#include "gfx/display_loss.hpp"

#include <atomic>
#include <mutex>

#include "gfx/input.hpp"

namespace gfx {
namespace {

struct DisplayLoss {
    std::mutex mutex;
    std::string reason;
    std::atomic<bool> lost{false};
};

DisplayLoss& loss() {
    static DisplayLoss instance;
    return instance;
}

}  // namespace

void reportDisplayLost(const std::string& reason) {
    DisplayLoss& l = loss();
    {
        std::lock_guard<std::mutex> guard(l.mutex);
        if (l.lost.load()) return;
        // One line on standard error: whatever Xlib put in the name stays on it.
        for (char c : reason) l.reason.push_back(c == '\n' || c == '\r' ? ' ' : c);
        l.lost.store(true);
    }
    requestClose();
}

bool displayLost() {
    return loss().lost.load();
}

std::string displayLossReason() {
    DisplayLoss& l = loss();
    std::lock_guard<std::mutex> guard(l.mutex);
    return l.reason;
}

}  // namespace gfx

#include "gfx/display_loss.hpp"

#include <array>
#include <atomic>
#include <cstddef>
#include <mutex>

#include "gfx/input.hpp"

namespace gfx {
namespace {

struct DisplayLoss {
    std::mutex mutex;
    std::array<char, 255> reason{};
    std::size_t length = 0;
    std::atomic<bool> lost{false};
};

DisplayLoss& loss() {
    static DisplayLoss instance;
    return instance;
}

void append(DisplayLoss& l, std::string_view text) {
    // One line on standard error: whatever Xlib put in the name stays on it.
    for (const char c : text) {
        if (l.length == l.reason.size()) return;
        l.reason[l.length++] = c == '\n' || c == '\r' ? ' ' : c;
    }
}

}  // namespace

void reportDisplayLost(std::string_view what, std::string_view detail) {
    DisplayLoss& l = loss();
    {
        std::lock_guard<std::mutex> guard(l.mutex);
        if (l.lost.load()) return;
        append(l, what);
        append(l, detail);
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
    return std::string(l.reason.data(), l.length);
}

}  // namespace gfx

#include "gfx/input.hpp"

#include <atomic>

#include "gfx/driver.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/screen_lock.hpp"

namespace gfx {
namespace {

std::atomic<bool> closeRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "requestClose runs in signal handlers");

std::string (*consoleKeyReader)() = nullptr;

std::string keyText(KeyCode code) {
    if (code == 0) return {};
    if (code >= 1 && code <= 255) return std::string(1, static_cast<char>(code));
    if ((code & 0xFF) == 0xFF) return std::string{'\xFF', static_cast<char>((code >> 8) & 0xFF)};
    return std::string(1, static_cast<char>(code & 0xFF));
}

}  // namespace

std::string readKey() {
    if (closeRequested.exchange(false)) return keyText(CloseRequest);
    Screen* screen = activeScreen();
    if (screen == nullptr) return consoleKeyReader != nullptr ? consoleKeyReader() : std::string{};
    detail::lockForDrawing();
    KeyRing& ring = screen->keys;
    KeyCode code = 0;
    if (ring.readIndex != ring.writeIndex) {
        code = ring.codes[static_cast<std::size_t>(ring.readIndex)];
        ring.readIndex = (ring.readIndex + 1) % 16;
    }
    ring.keyPosted = false;
    detail::unlockAfterDrawing();
    // A screen without a window has no keys of its own.
    if (code == 0 && consoleKeyReader != nullptr && screen->driver == &nullDriver()) {
        return consoleKeyReader();
    }
    return keyText(code);
}

void postKey(KeyCode code) {
    Screen* screen = activeScreen();
    if (screen == nullptr) return;
    KeyRing& ring = screen->keys;
    ring.codes[static_cast<std::size_t>(ring.writeIndex)] = code;
    ring.writeIndex = (ring.writeIndex + 1) % 16;
    if (ring.writeIndex == ring.readIndex) ring.readIndex = (ring.readIndex + 1) % 16;
    ring.keyPosted = true;
}

void postEvent(std::int32_t type, std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
    Screen* screen = activeScreen();
    if (screen == nullptr) return;
    EventQueue& queue = screen->eventQueue;
    const auto size = static_cast<std::int32_t>(queue.events.size());
    queue.guard.acquire();
    queue.events[static_cast<std::size_t>(queue.writeIndex)] = InputEvent{type, {a, b, c, d}};
    queue.writeIndex = (queue.writeIndex + 1) % size;
    if (queue.writeIndex == queue.readIndex) queue.readIndex = (queue.readIndex + 1) % size;
    queue.guard.release();
}

std::int32_t readMouse(std::int32_t* x, std::int32_t* y, std::int32_t* wheel, std::int32_t* buttons,
                       std::int32_t* clipped) {
    // Every output may be left out; x and y too, although callers should not.
    std::int32_t scratch[5] = {};
    std::int32_t* outputs[5] = {x != nullptr ? x : &scratch[0], y != nullptr ? y : &scratch[1],
                                wheel != nullptr ? wheel : &scratch[2],
                                buttons != nullptr ? buttons : &scratch[3],
                                clipped != nullptr ? clipped : &scratch[4]};
    const Screen* screen = activeScreen();
    if (screen != nullptr && screen->driver != nullptr && screen->driver->getMouse != nullptr) {
        detail::lockForDrawing();
        const int result =
            screen->driver->getMouse(outputs[0], outputs[1], outputs[2], outputs[3], outputs[4]);
        detail::unlockAfterDrawing();
        if (result == 0) return 0;
    }
    for (std::int32_t* output : outputs) *output = -1;
    return 1;
}

void requestClose() {
    closeRequested.store(true);
}

void setConsoleKeyReader(std::string (*reader)()) {
    consoleKeyReader = reader;
}

}  // namespace gfx

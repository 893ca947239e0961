#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <array>
#include <cstring>
#include <string_view>

#include "gfx/screen.hpp"
#include "gfx/screen/screen_state.hpp"

namespace gfx {
namespace {

std::array<char, 128> titleBuffer{};
bool titleGiven = false;

void storeTitle(std::string_view title) {
    titleBuffer.fill('\0');
    const std::size_t length = std::min(title.size(), titleBuffer.size() - 1);
    if (length > 0) std::memcpy(titleBuffer.data(), title.data(), length);
    titleGiven = true;
}

// The program's file name without folder and extension.
std::string_view programName(const char* path, std::size_t length) {
    std::string_view name(path, length);
    if (const auto slash = name.find_last_of("/\\"); slash != std::string_view::npos) {
        name.remove_prefix(slash + 1);
    }
    if (const auto dot = name.rfind('.'); dot != std::string_view::npos) {
        name = name.substr(0, dot);
    }
    return name;
}

}  // namespace

void setWindowTitle(std::string_view title) {
    storeTitle(title);
    Screen* screen = detail::screenState().screen.get();
    if (screen == nullptr || screen->driver == nullptr || screen->driver->setTitle == nullptr) {
        return;
    }
    // The window thread carries the change out and needs the frame lock for
    // that, so a held lock is let go while waiting.
    const bool held = screen->lockCount > 0 && screen->driver->unlock != nullptr;
    if (held) screen->driver->unlock();
    screen->driver->setTitle(titleBuffer.data());
    if (held && screen->driver->lock != nullptr) screen->driver->lock();
}

const char* windowTitle() {
    return titleBuffer.data();
}

void forgetWindowTitle() {
    titleBuffer.fill('\0');
    titleGiven = false;
}

namespace detail {

void ensureDefaultTitle() {
    if (titleGiven) return;
    char path[128] = {};
#if defined(_WIN32)
    const auto length = static_cast<long>(GetModuleFileNameA(nullptr, path, sizeof(path) - 1));
#else
    const auto length = static_cast<long>(readlink("/proc/self/exe", path, sizeof(path) - 1));
#endif
    storeTitle(length > 0 ? programName(path, static_cast<std::size_t>(length))
                          : std::string_view{});
}

}  // namespace detail

}  // namespace gfx

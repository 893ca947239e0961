#pragma once
// State of the X11 back end, shared by its files. The window thread owns the
// display connection and makes every Xlib call; the program's thread only
// takes the frame lock and reads the mouse state under it.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gfx/drivers/x11_pixels.hpp"
#include "gfx/screen.hpp"

namespace gfx::x11 {

// Written by the window thread, read by getMouse, both under the frame lock.
struct MouseState {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t wheel = 0;
    std::int32_t horizontalWheel = 0;
    std::int32_t buttons = 0;
    // Buttons pressed since the last getMouse, so a click shorter than a
    // frame is still seen.
    std::int32_t pressedSinceRead = 0;
    std::int32_t clipped = 0;
    bool active = false;
    bool inside = false;
};

// How the frame buffer reaches the window: an XImage in shared memory when
// the server allows it, else one sent with every put.
struct Presenter {
    XImage* image = nullptr;
    std::vector<std::uint8_t> ownPixels;  // the image's rows without shared memory
    XShmSegmentInfo shm{};
    bool usesShm = false;
    RowConverter convert = nullptr;
    std::int32_t pixelBytes = 0;
};

struct ScreenSaverState {
    bool suspended = false;  // through the screen-saver extension
    bool timeoutChanged = false;
    int timeout = 0;
    int interval = 0;
    int preferBlanking = 0;
    int allowExposures = 0;
};

struct KeyInfo {
    std::int32_t scanCode = 0;
    bool extended = false;
    std::int32_t own = 0;  // the key's unshifted character, code page 437
};

struct Atoms {
    Atom wmProtocols = None;
    Atom wmDeleteWindow = None;
    Atom netWmPing = None;
    Atom netWmPid = None;
    Atom netWmName = None;
    Atom utf8String = None;
    Atom netWmState = None;
    Atom netWmStateFullscreen = None;
    Atom netWmStateMaximizedVert = None;
    Atom netWmStateMaximizedHorz = None;
    Atom netWmStateAbove = None;
    Atom motifWmHints = None;
};

struct X11State {
    // Set by init before the thread starts, constant while it runs.
    Screen* screen = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::string initialTitle;

    std::mutex frameLock;
    std::atomic<bool> programHoldsLock{false};
    // The program's first lock: until then openScreen is still filling the
    // pages, so the window thread leaves them alone.
    std::atomic<bool> framesReady{false};
    std::thread thread;
    std::atomic<bool> running{false};
    std::atomic<bool> threadFinished{false};
    // Stopped for good after the connection was lost, see parkWindowThread.
    std::atomic<bool> threadParked{false};

    // Start-up handshake: 0 waiting, 1 window up, -1 failed.
    std::mutex startMutex;
    std::condition_variable startChanged;
    std::int32_t startResult = 0;

    // Title handed from the program's thread to the window thread.
    std::mutex titleMutex;
    std::condition_variable titleApplied;
    std::string pendingTitle;
    std::uint64_t titleRequested = 0;
    std::uint64_t titleDone = 0;

    MouseState mouse;  // under frameLock

    // Window thread only.
    std::int32_t flags = 0;
    Display* display = nullptr;
    Window window = None;
    GC gc = nullptr;
    Atoms atoms;
    XIM inputMethod = nullptr;
    XIC inputContext = nullptr;
    Presenter presenter;
    ScreenSaverState screenSaver;
    std::array<KeyInfo, 256> keys{};
    std::array<bool, 256> keyDown{};
    bool windowHoldsLock = false;  // inside a pass
    bool mapped = false;
    bool fullScreen = false;
};

X11State& state();

// x11_window.cpp
void markAllRows(X11State& s);
// After the connection is lost, on the window thread: lets go of the frame
// lock and of everyone waiting for this thread, then never returns, so no
// Xlib call touches the dead connection again.
[[noreturn]] void parkWindowThread();

// x11_present.cpp
bool createPresenter(X11State& s, Visual* visual, int depth);
void destroyPresenter(X11State& s);
void presentRows(X11State& s, std::int32_t first, std::int32_t last);
void presentDirtyRows(X11State& s);

// x11_events.cpp
void handleEvent(X11State& s, XEvent& event);
void refreshKeyState(X11State& s);
void loadKeyboardMapping(X11State& s);
void toggleFullScreen(X11State& s);

// x11_screensaver.cpp
void suspendScreenSaver(Display* display, ScreenSaverState& saver);
void restoreScreenSaver(Display* display, ScreenSaverState& saver);

// x11_errors.cpp: X errors on the window's connection never end the program.
// A lost connection (the server went away) is reported and parks the window
// thread instead of exiting.
void installErrorHandler(Display* display);
void removeErrorHandler();
// Counts errors from here on; returns how many arrived since the last call.
void beginErrorTrap();
int endErrorTrap(Display* display);

}  // namespace gfx::x11

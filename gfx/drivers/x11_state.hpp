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

#include "gfx/drivers/pixel_formats.hpp"
#include "gfx/drivers/row_diff.hpp"
#include "gfx/drivers/window_common.hpp"
#include "gfx/drivers/x11_driver.hpp"
#include "gfx/screen.hpp"

namespace gfx::x11 {

using pixel_formats::RowConverter;

// How the frame buffer reaches the window: an XImage in shared memory when
// the server allows it, else one sent with every put.
struct Presenter {
    XImage* image = nullptr;
    std::vector<std::uint8_t> ownPixels;  // the image's rows without shared memory
    XShmSegmentInfo shm{};
    bool usesShm = false;
    RowConverter convert = nullptr;
    std::int32_t pixelBytes = 0;
    // The frame rows as last sent, kept only when the image holds converted
    // pixels; otherwise the image itself is that copy.
    std::vector<std::uint8_t> shownFrame;
    std::vector<std::uint8_t> convertedRow;  // one row before widening, scale > 1 only
    // Marked rows are compared with what was sent and skipped when equal.
    bool compareRows = true;
    // The next pass sends every row: the window's contents may be gone.
    bool repaintAll = true;
    // pagesVersion() and the visible page when every row was last sent
    // or compared; while both stay the same, no row can differ.
    std::uint64_t wholeAtWrites = UINT64_MAX;
    const std::uint8_t* wholeAtPixels = nullptr;
    std::vector<RowRun> runs;
};

// Counted by the window thread; read by any thread.
struct PassCounters {
    std::atomic<std::uint64_t> passes{0};
    std::atomic<std::uint64_t> rowsSent{0};
    std::atomic<std::uint64_t> nanoseconds{0};
    std::atomic<std::uint64_t> cpuNanoseconds{0};
    bool firstFrameTraced = false;  // window thread only
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
    // Each frame pixel is shown as a scale by scale block; the window is
    // scale times the frame's size. Chosen by the window thread before the
    // window exists; 1 for the OpenGL back end.
    std::int32_t scale = 1;

    std::mutex frameLock;
    std::atomic<bool> programHoldsLock{false};
    // The program's first lock: until then openScreen is still filling the
    // pages, so the window thread leaves them alone.
    std::atomic<bool> framesReady{false};
    std::thread thread;
    std::atomic<bool> running{false};
    std::atomic<bool> threadFinished{false};
    // Stopped for good after the connection was lost, see parkIfWindowThread.
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
    PassCounters counters;
    ScreenSaverState screenSaver;
    std::array<KeyInfo, 256> keys{};
    std::array<bool, 256> keyDown{};
    // keyState follows key events; it is read from the server only when it
    // may have missed some (focus regained, keyboard remapped).
    bool keyStateStale = true;
    bool windowHoldsLock = false;  // inside a pass
    bool mapped = false;
    bool fullScreen = false;
};

X11State& state();

// x11_window.cpp
void markAllRows(X11State& s);
// After the connection is lost, on the window thread: lets go of the frame
// lock and of everyone waiting for this thread, then never returns, so no
// Xlib call touches the dead connection again. Elsewhere it returns at once.
void parkIfWindowThread();

// x11_window_setup.cpp: the parts of a window every X back end sets up alike.
struct WindowCorner {
    int x = 0;
    int y = 0;
};
// The corner that centres a window of that size on the monitor under the pointer.
WindowCorner centredCorner(Display* display, int width, int height);
// The block size for a frame of that size on the monitor under the pointer.
std::int32_t chooseScale(Display* display, std::int32_t width, std::int32_t height);
// XOpenDisplay with our error handler and atoms; false without a server.
bool openConnection(X11State& s);
// Ends startInput, destroys the window and closes the connection.
void closeConnection(X11State& s);
void applyTitle(X11State& s, const std::string& title);
// Fixed size, class "lettermoor", close box protocol, pid, title, initial state.
void describeWindow(X11State& s, WindowCorner corner);
// Key table, input method, screen saver and refresh rate.
void startInput(X11State& s);
// Events every X window of ours listens to.
inline constexpr long WindowEventMask = ExposureMask | KeyPressMask | KeyReleaseMask |
                                        ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                                        EnterWindowMask | LeaveWindowMask | FocusChangeMask |
                                        StructureNotifyMask | PropertyChangeMask;

// x11_present.cpp
bool createPresenter(X11State& s, Visual* visual, int depth);
void destroyPresenter(X11State& s);
void presentAllRows(X11State& s);
void presentDirtyRows(X11State& s);

// x11_events.cpp
void handleEvent(X11State& s, XEvent& event);
void handlePendingEvents(X11State& s);
void refreshKeyState(X11State& s);
void loadKeyboardMapping(X11State& s);
void toggleFullScreen(X11State& s);

// x11_errors.cpp: X errors on the window's connection never end the program.
// A lost connection (the server went away) is reported and parks the window
// thread instead of exiting.
void installErrorHandler(Display* display);
void removeErrorHandler();
// Counts errors from here on; returns how many arrived since the last call.
void beginErrorTrap();
int endErrorTrap(Display* display);

}  // namespace gfx::x11

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>

#include "gfx/drivers/x11_driver.hpp"
#include "gfx/drivers/x11_state.hpp"

namespace gfx::x11 {
namespace {

thread_local bool onWindowThread = false;

constexpr auto PassInterval = std::chrono::milliseconds(10);
// Bound on waiting for the window thread to take over a title.
constexpr auto TitleWait = std::chrono::seconds(2);

void applyPendingTitle(X11State& s) {
    std::string title;
    std::uint64_t request = 0;
    {
        std::lock_guard<std::mutex> guard(s.titleMutex);
        if (s.titleDone == s.titleRequested) return;
        title = s.pendingTitle;
        request = s.titleRequested;
    }
    applyTitle(s, title);
    XFlush(s.display);
    {
        std::lock_guard<std::mutex> guard(s.titleMutex);
        s.titleDone = request;
    }
    s.titleApplied.notify_all();
}

int createWindow(X11State& s) {
    if (!openConnection(s)) return -1;
    const int screenNumber = DefaultScreen(s.display);
    Visual* visual = DefaultVisual(s.display, screenNumber);
    const int depth = DefaultDepth(s.display, screenNumber);
    if (visual->c_class != TrueColor) return -1;

    s.scale = chooseScale(s.display, s.width, s.height);
    const int windowWidth = s.width * s.scale;
    const int windowHeight = s.height * s.scale;
    const WindowCorner corner = centredCorner(s.display, windowWidth, windowHeight);

    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(s.display, screenNumber);
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = WindowEventMask;
    s.window = XCreateWindow(s.display, RootWindow(s.display, screenNumber), corner.x, corner.y,
                             static_cast<unsigned>(windowWidth),
                             static_cast<unsigned>(windowHeight), 0, depth, InputOutput, visual,
                             CWBackPixel | CWBitGravity | CWEventMask, &attributes);
    if (s.window == None) return -1;
    describeWindow(s, corner);

    s.gc = XCreateGC(s.display, s.window, 0, nullptr);
    if (s.gc == nullptr || !createPresenter(s, visual, depth)) return -1;

    startInput(s);

    XMapRaised(s.display, s.window);
    XSync(s.display, False);
    return 0;
}

void destroyWindow(X11State& s) {
    if (s.display == nullptr) return;
    destroyPresenter(s);
    if (s.gc != nullptr) XFreeGC(s.display, s.gc);
    s.gc = nullptr;
    closeConnection(s);
}

// The start-up handshake's answer; the first one counts.
void signalStart(X11State& s, std::int32_t result) {
    {
        std::lock_guard<std::mutex> guard(s.startMutex);
        if (s.startResult == 0) s.startResult = result;
    }
    s.startChanged.notify_all();
}

void releaseWaitingTitle(X11State& s) {
    {
        std::lock_guard<std::mutex> guard(s.titleMutex);
        s.titleDone = s.titleRequested;
    }
    s.titleApplied.notify_all();
}

// One pass: show the changed rows, refresh the key state, handle every
// pending event, all under the frame lock.
void runPass(X11State& s) {
    std::unique_lock<std::mutex> guard(s.frameLock);
    s.windowHoldsLock = true;
    applyPendingTitle(s);
    const bool ready = s.framesReady.load();
    if (ready) presentDirtyRows(s);
    if (ready && s.mouse.active && s.keyStateStale) {
        refreshKeyState(s);
        s.keyStateStale = false;
    }
    handlePendingEvents(s);
    s.windowHoldsLock = false;
}

void runWindow(X11State& s) {
    if (createWindow(s) != 0) {
        destroyWindow(s);
        signalStart(s, -1);
        return;
    }
    signalStart(s, 1);
    while (s.running.load()) {
        runPass(s);
        std::this_thread::sleep_for(PassInterval);
    }
    destroyWindow(s);
}

void windowThread(X11State& s) {
    onWindowThread = true;
    runWindow(s);
    s.threadFinished.store(true);
}

// The window thread either finishes or parks after losing its connection;
// a parked one is left to end with the process.
void endWindowThread(X11State& s) {
    while (!s.threadFinished.load() && !s.threadParked.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (s.threadParked.load()) {
        s.thread.detach();
    } else {
        s.thread.join();
    }
}

int x11Init(const char* title, std::int32_t width, std::int32_t height, std::int32_t depth,
            std::int32_t, std::int32_t flags) {
    X11State& s = state();
    if (s.thread.joinable()) return -1;
    // The frame buffer is shown as 32-bit pixels only; OpenGL screens are not ours.
    if (depth != 32 || (flags & OpenGLScreen) != 0 || width <= 0 || height <= 0) return -1;
    Screen* screen = activeScreen();
    if (screen == nullptr) return -1;

    static std::once_flag threadsInitialised;
    std::call_once(threadsInitialised, [] { XInitThreads(); });

    s.screen = screen;
    s.width = width;
    s.height = height;
    s.flags = flags;
    s.initialTitle = title != nullptr ? title : "";
    s.mouse = MouseState{};
    s.keyStateStale = true;
    s.counters.passes.store(0);
    s.counters.rowsSent.store(0);
    s.counters.nanoseconds.store(0);
    s.counters.cpuNanoseconds.store(0);
    s.counters.firstFrameTraced = false;
    s.startResult = 0;
    s.framesReady.store(false);
    s.programHoldsLock.store(false);
    s.threadFinished.store(false);
    s.threadParked.store(false);
    s.running.store(true);
    s.thread = std::thread(windowThread, std::ref(s));

    std::unique_lock<std::mutex> wait(s.startMutex);
    s.startChanged.wait(wait, [&s] { return s.startResult != 0; });
    const bool started = s.startResult > 0;
    wait.unlock();
    if (started) return 0;

    s.running.store(false);
    endWindowThread(s);
    s.screen = nullptr;
    return -1;
}

void x11Exit() {
    X11State& s = state();
    if (!s.thread.joinable()) return;
    // The window thread needs the frame lock to finish its pass.
    if (s.screen != nullptr && s.screen->lockCount > 0) s.screen->lockCount = 0;
    if (s.programHoldsLock.exchange(false)) s.frameLock.unlock();
    s.running.store(false);
    releaseWaitingTitle(s);
    endWindowThread(s);
    s.screen = nullptr;
}

void x11Lock() {
    X11State& s = state();
    s.frameLock.lock();
    s.programHoldsLock.store(true);
    s.framesReady.store(true);
}

void x11Unlock() {
    X11State& s = state();
    if (s.programHoldsLock.exchange(false)) s.frameLock.unlock();
}

void x11SetTitle(const char* title) {
    X11State& s = state();
    if (!s.running.load() || title == nullptr) return;
    // The window thread sets the title during a pass, which needs the frame lock.
    const bool held = s.programHoldsLock.exchange(false);
    if (held) s.frameLock.unlock();
    {
        std::unique_lock<std::mutex> guard(s.titleMutex);
        s.pendingTitle = title;
        const std::uint64_t request = ++s.titleRequested;
        s.titleApplied.wait_for(guard, TitleWait, [&s, request] {
            return s.titleDone >= request || !s.running.load();
        });
    }
    if (held) {
        s.frameLock.lock();
        s.programHoldsLock.store(true);
    }
}

int x11GetMouse(std::int32_t* x, std::int32_t* y, std::int32_t* wheel, std::int32_t* buttons,
                std::int32_t* clipped) {
    return takeMouse(state().mouse, x, y, wheel, buttons, clipped);
}

}  // namespace

X11State& state() {
    static X11State instance;
    return instance;
}

void parkIfWindowThread() {
    // Back ends that talk to the server from the program's thread go on.
    if (!onWindowThread) return;
    X11State& s = state();
    if (s.windowHoldsLock) {
        s.windowHoldsLock = false;
        s.frameLock.unlock();
    }
    signalStart(s, -1);
    releaseWaitingTitle(s);
    s.threadParked.store(true);
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

void markAllRows(X11State& s) {
    if (!s.framesReady.load()) return;
    s.presenter.repaintAll = true;
    std::fill(s.screen->dirtyRows.begin(), s.screen->dirtyRows.end(), std::uint8_t{1});
}

}  // namespace gfx::x11

namespace gfx {

PresentationStats x11PresentationStats() {
    const x11::PassCounters& c = x11::state().counters;
    return PresentationStats{c.passes.load(), c.rowsSent.load(), c.nanoseconds.load(),
                             c.cpuNanoseconds.load()};
}

const DisplayDriver& x11Driver() {
    static const DisplayDriver driver{.name = "X11",
                                      .init = x11::x11Init,
                                      .exit = x11::x11Exit,
                                      .lock = x11::x11Lock,
                                      .unlock = x11::x11Unlock,
                                      .waitVsync = sleepOneRefresh,
                                      .getMouse = x11::x11GetMouse,
                                      .setTitle = x11::x11SetTitle};
    return driver;
}

}  // namespace gfx

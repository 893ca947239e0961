#include "gfx/drivers/win32_window.hpp"

#include <process.h>

#include <algorithm>

#include "gfx/drivers/win32_keyboard.hpp"

namespace gfx::win32 {
namespace {

constexpr const char* ClassNamePrefix = "LettermoorWindow ";
constexpr std::size_t MaxClassTitle = 139;
constexpr DWORD PassMilliseconds = 10;

void lookUpOptionalFunctions(OptionalFunctions& f) {
    HMODULE user = GetModuleHandleA("user32.dll");
    findExport(user, "SetLayeredWindowAttributes", f.setLayeredWindowAttributes);
    findExport(user, "MonitorFromPoint", f.monitorFromPoint);
    findExport(user, "FlashWindowEx", f.flashWindowEx);
    findExport(user, "TrackMouseEvent", f.trackMouseEvent);
    findExport(user, "GetMonitorInfoA", f.getMonitorInfoA);
    findExport(user, "ChangeDisplaySettingsExA", f.changeDisplaySettingsExA);
}

std::int32_t windowSystemVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info)) return 0x0400;
#pragma GCC diagnostic pop
    return static_cast<std::int32_t>(((info.dwMajorVersion & 0xFF) << 8) |
                                     (info.dwMinorVersion & 0xFF));
}

}  // namespace

void handleInput(WindowLayer& w, bool readKeys) {
    if (readKeys && w.mouse.active && w.screen != nullptr) {
        KeyboardState keyboard{};
        if (w.backEnd->refreshKeyState != nullptr) {
            w.backEnd->refreshKeyState(w);
        } else if (GetKeyboardState(keyboard.data())) {
            keyStateFromKeyboard(keyboard, w.screen->keyState);
        }
    }
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

namespace {

// Each pass holds the lock while it shows rows, reads the keyboard and
// handles messages, so the window procedure always runs under it.
void runPass(WindowLayer& w) {
    const std::lock_guard guard(*w.lock);
    const bool ready = w.framesReady.load();
    if (ready) w.backEnd->present(w);
    handleInput(w, ready);
    if (w.switchRequested) {
        w.switchRequested = false;
        w.backEnd->destroyWindow(w);
        w.flags ^= FullScreen;
        if (w.backEnd->createWindow(w) != 0) {
            // The other mode failed: back to the one that worked.
            w.backEnd->destroyWindow(w);
            w.flags ^= FullScreen;
            w.backEnd->createWindow(w);
        }
        w.paletteChanged = true;
        markAllRows(w);
        w.mouse.active = true;
    }
}

unsigned __stdcall windowThread(void* argument) {
    WindowLayer& w = *static_cast<WindowLayer*>(argument);
    if (w.backEnd->createWindow(w) != 0) {
        w.backEnd->destroyWindow(w);
        return 1;
    }
    SetEvent(w.startEvent.get());
    while (w.running.load()) {
        runPass(w);
        Sleep(PassMilliseconds);
    }
    const std::lock_guard guard(*w.lock);
    w.backEnd->destroyWindow(w);
    return 0;
}

bool registerWindowClass(WindowLayer& w, UINT classStyle) {
    WNDCLASSA windowClass{};
    windowClass.style = classStyle;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = w.instance;
    windowClass.hIcon = LoadIconA(w.instance, MAKEINTRESOURCEA(1));
    if (windowClass.hIcon == nullptr) windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = w.className.c_str();
    w.classRegistered = RegisterClassA(&windowClass) != 0;
    return w.classRegistered;
}

void leaveProgramLock(WindowLayer& w) {
    if (w.programHoldsLock.exchange(false)) w.lock->unlock();
}

void enterProgramLock(WindowLayer& w) {
    w.lock->lock();
    w.programHoldsLock.store(true);
}

void sharedLock() {
    WindowLayer& w = layer();
    if (!w.lock) return;
    enterProgramLock(w);
    w.framesReady.store(true);
}

void sharedUnlock() {
    WindowLayer& w = layer();
    if (w.lock) leaveProgramLock(w);
}

void sharedSetPalette(std::int32_t index, std::int32_t red, std::int32_t green, std::int32_t blue) {
    if (index < 0 || index > 255) return;
    WindowLayer& w = layer();
    w.palette[static_cast<std::size_t>(index)] =
        PaletteEntry{static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                     static_cast<std::uint8_t>(blue), 4};
    w.paletteChanged = true;
}

int sharedGetMouse(std::int32_t* x, std::int32_t* y, std::int32_t* wheel, std::int32_t* buttons,
                   std::int32_t* clipped) {
    return takeMouse(layer().mouse, x, y, wheel, buttons, clipped);
}

void sharedSetMouse(std::int32_t x, std::int32_t y, std::int32_t cursorVisible, std::int32_t clip) {
    WindowLayer& w = layer();
    if (w.window == nullptr) return;
    w.cursorVisible = cursorVisible != 0;
    POINT point{x, y};
    ClientToScreen(w.window, &point);
    SetCursorPos(point.x, point.y);
    if (clip != 0) {
        RECT client{};
        GetClientRect(w.window, &client);
        MapWindowPoints(w.window, nullptr, reinterpret_cast<POINT*>(&client), 2);
        w.mouse.clipped = ClipCursor(&client) ? 1 : 0;
    } else if (w.mouse.clipped != 0) {
        ClipCursor(nullptr);
        w.mouse.clipped = 0;
    }
}

// The window thread carries the change out while it dispatches messages,
// which it does under the lock: a held lock is let go while waiting.
void sharedSetTitle(const char* title) {
    WindowLayer& w = layer();
    if (title == nullptr || !w.running.load()) return;
    const bool held = w.programHoldsLock.load();
    if (!held) w.lock->lock();
    w.title = title;  // for a window created again after a mode switch
    const HWND window = w.window;
    if (held) {
        leaveProgramLock(w);
    } else {
        w.lock->unlock();
    }
    if (window != nullptr) SetWindowTextA(window, title);
    if (held) enterProgramLock(w);
}

std::int32_t sharedSetWindowPos(std::int32_t x, std::int32_t y) {
    WindowLayer& w = layer();
    if (w.window == nullptr || (w.flags & FullScreen) != 0) return 0;
    constexpr auto Query = static_cast<std::int32_t>(0x80000000u);
    if (x == Query && y == Query) {
        RECT outer{};
        GetWindowRect(w.window, &outer);
        return static_cast<std::int32_t>((static_cast<std::uint32_t>(outer.top) << 16) |
                                         (static_cast<std::uint32_t>(outer.left) & 0xFFFF));
    }
    // Asynchronous: the window thread may be waiting for the program's lock.
    SetWindowPos(w.window, nullptr, x, y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    return 0;
}

}  // namespace

WindowLayer& layer() {
    static WindowLayer instance;
    return instance;
}

int startLayer(const WindowBackEnd& backEnd, const char* title, std::int32_t width,
               std::int32_t height, std::int32_t depth, std::int32_t refresh, std::int32_t flags) {
    WindowLayer& w = layer();
    if (w.running.load() || w.thread) return -1;
    Screen* screen = activeScreen();
    if (screen == nullptr || width <= 0 || height <= 0) return -1;

    w.backEnd = &backEnd;
    w.screen = screen;
    w.title = title != nullptr ? title : "";
    w.width = width;
    w.height = height;
    w.depth = std::max(depth, 8);
    w.refresh = refresh;
    w.flags = flags;
    w.instance = GetModuleHandleA(nullptr);
    w.version = windowSystemVersion();
    w.functions = OptionalFunctions{};
    lookUpOptionalFunctions(w.functions);
    w.monitor = nullptr;
    if (w.functions.monitorFromPoint != nullptr) {
        POINT cursor{};
        GetCursorPos(&cursor);
        w.monitor = w.functions.monitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST);
    }

    w.mouse = MouseState{};
    w.cursorVisible = true;
    w.trackingLeave = false;
    w.switchRequested = false;
    w.framesReady.store(false);
    w.programHoldsLock.store(false);

    w.screenSaverSaved =
        SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &w.savedScreenSaver, 0) != 0;
    if (w.screenSaverSaved) SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, 0);

    w.className = ClassNamePrefix + w.title.substr(0, MaxClassTitle);
    // A back end without window hooks keeps its window on the program's thread.
    const bool threaded = backEnd.createWindow != nullptr;
    if (!registerWindowClass(w, threaded ? CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS : CS_DBLCLKS)) {
        return -1;
    }
    if (!threaded) return 0;

    w.lock.emplace();
    w.startEvent = UniqueHandle(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!w.startEvent) return -1;
    w.running.store(true);
    const std::uintptr_t thread = _beginthreadex(nullptr, 0, windowThread, &w, 0, nullptr);
    if (thread == 0) {
        w.running.store(false);
        return -1;
    }
    w.thread = UniqueHandle(reinterpret_cast<HANDLE>(thread));
    if (flags & HighPriority) SetThreadPriority(w.thread.get(), THREAD_PRIORITY_ABOVE_NORMAL);

    const HANDLE waitFor[2] = {w.startEvent.get(), w.thread.get()};
    const DWORD woken = WaitForMultipleObjects(2, waitFor, FALSE, INFINITE);
    return woken == WAIT_OBJECT_0 ? 0 : -1;
}

void stopLayer() {
    WindowLayer& w = layer();
    const bool wasRunning = w.running.exchange(false);
    if (w.thread) {
        // The window thread needs the lock to finish its pass.
        if (wasRunning && w.screen != nullptr && w.screen->lockCount > 0) w.screen->lockCount = 0;
        if (w.lock) leaveProgramLock(w);
        WaitForSingleObject(w.thread.get(), INFINITE);
        w.thread.reset();
    }
    w.startEvent.reset();
    w.lock.reset();
    w.window = nullptr;
    if (w.screenSaverSaved) {
        SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, static_cast<UINT>(w.savedScreenSaver),
                              nullptr, 0);
        w.screenSaverSaved = false;
    }
    if (w.classRegistered) {
        UnregisterClassA(w.className.c_str(), w.instance);
        w.classRegistered = false;
    }
    if (w.mouse.clipped != 0) {
        ClipCursor(nullptr);
        w.mouse.clipped = 0;
    }
    w.framesReady.store(false);
    w.screen = nullptr;
}

RECT monitorArea(const WindowLayer& w) {
    if (w.monitor != nullptr && w.functions.getMonitorInfoA != nullptr) {
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        if (w.functions.getMonitorInfoA(w.monitor, &info)) return info.rcMonitor;
    }
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

std::string monitorDeviceName(const WindowLayer& w) {
    if (w.monitor == nullptr || w.functions.getMonitorInfoA == nullptr) return {};
    MONITORINFOEXA info{};
    info.cbSize = sizeof(info);
    if (!w.functions.getMonitorInfoA(w.monitor, reinterpret_cast<MONITORINFO*>(&info))) return {};
    return info.szDevice;
}

HWND createLayerWindow(WindowLayer& w, const POINT* outerTopLeft) {
    DWORD style = WS_VISIBLE;
    DWORD extendedStyle = 0;
    RECT area = monitorArea(w);
    RECT outer{0, 0, w.width, w.height};
    if (w.flags & FullScreen) {
        style |= WS_POPUP;
        OffsetRect(&outer, area.left, area.top);
    } else {
        if (w.flags & NoFrame) {
            style |= WS_POPUP;
        } else {
            style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
            if (!(w.flags & NoSwitch)) style |= WS_MAXIMIZEBOX;
        }
        if (w.flags & ShapedWindow) {
            if (w.version < 0x0500) return nullptr;
            extendedStyle |= WS_EX_LAYERED;
        }
        AdjustWindowRect(&outer, style, FALSE);
        const LONG outerWidth = outer.right - outer.left;
        const LONG outerHeight = outer.bottom - outer.top;
        LONG left = area.left + (area.right - area.left - outerWidth) / 2;
        LONG top = area.top + (area.bottom - area.top - outerHeight) / 2;
        if (outerTopLeft != nullptr) {
            left = outerTopLeft->x;
            top = outerTopLeft->y;
        }
        outer = RECT{left, top, left + outerWidth, top + outerHeight};
    }
    if (w.flags & AlwaysOnTop) extendedStyle |= WS_EX_TOPMOST;

    w.window = CreateWindowExA(extendedStyle, w.className.c_str(), w.title.c_str(), style,
                               outer.left, outer.top, outer.right - outer.left,
                               outer.bottom - outer.top, nullptr, nullptr, w.instance, nullptr);
    if (w.window == nullptr) return nullptr;
    if (w.flags & AlwaysOnTop) {
        SetWindowPos(w.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    SetForegroundWindow(w.window);
    if ((w.flags & ShapedWindow) && w.depth > 8 && w.functions.setLayeredWindowAttributes) {
        w.functions.setLayeredWindowAttributes(w.window, RGB(0xFF, 0x00, 0xFF), 0, LWA_COLORKEY);
    }
    return w.window;
}

std::vector<std::uint32_t> displayModes(std::int32_t depth, bool exactDepth) {
    const auto family = [exactDepth](std::int32_t bits) {
        if (exactDepth) return bits;
        if (bits == 15) return 16;
        if (bits == 24) return 32;
        return bits;
    };
    std::vector<std::uint32_t> modes;
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    for (DWORD index = 0; EnumDisplaySettingsA(nullptr, index, &mode); ++index) {
        if (family(static_cast<std::int32_t>(mode.dmBitsPerPel)) != family(depth)) continue;
        const std::uint32_t value = (mode.dmPelsWidth << 16) | (mode.dmPelsHeight & 0xFFFF);
        if (std::find(modes.begin(), modes.end(), value) == modes.end()) modes.push_back(value);
    }
    return modes;
}

void markAllRows(WindowLayer& w) {
    if (!w.framesReady.load() || w.screen == nullptr) return;
    std::fill(w.screen->dirtyRows.begin(), w.screen->dirtyRows.end(), std::uint8_t{1});
}

DisplayDriver sharedSlots(const char* name) {
    DisplayDriver d;
    d.name = name;
    d.exit = stopLayer;
    d.lock = sharedLock;
    d.unlock = sharedUnlock;
    d.setPalette = sharedSetPalette;
    d.waitVsync = sleepOneRefresh;
    d.getMouse = sharedGetMouse;
    d.setMouse = sharedSetMouse;
    d.setTitle = sharedSetTitle;
    d.setWindowPos = sharedSetWindowPos;
    d.fetchModes = [](std::int32_t depth) { return displayModes(depth, false); };
    return d;
}

}  // namespace gfx::win32

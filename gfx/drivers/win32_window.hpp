#pragma once
// The window layer shared by the Win32 window back ends: window class, window
// thread, window procedure, frame-buffer lock, mouse, keys, palette and
// title. A back end supplies what differs (window creation and teardown, how
// rows reach the window) through WindowBackEnd and fills its DisplayDriver
// from sharedSlots().

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "gfx/driver.hpp"
#include "gfx/drivers/win32_handles.hpp"
#include "gfx/drivers/win32_mouse.hpp"
#include "gfx/screen.hpp"

namespace gfx::win32 {

struct WindowLayer;

// The back end's part. Every hook runs on the window thread.
struct WindowBackEnd {
    // Creates the window (createLayerWindow does the shared part) and what
    // presents into it; 0 on success.
    int (*createWindow)(WindowLayer& layer) = nullptr;
    // Undoes createWindow, also after it failed half-way.
    void (*destroyWindow)(WindowLayer& layer) = nullptr;
    // One pass with the lock held: shows the marked rows and clears them.
    void (*present)(WindowLayer& layer) = nullptr;
    // Shows the whole visible page in answer to a paint message.
    void (*paint)(WindowLayer& layer, HDC dc) = nullptr;
    // Fills Screen::keyState while the window is active; without it the
    // system keyboard state does.
    void (*refreshKeyState)(WindowLayer& layer) = nullptr;
};

// Window functions that older systems lack, looked up by name.
struct OptionalFunctions {
    BOOL(WINAPI* setLayeredWindowAttributes)(HWND, COLORREF, BYTE, DWORD) = nullptr;
    HMONITOR(WINAPI* monitorFromPoint)(POINT, DWORD) = nullptr;
    BOOL(WINAPI* flashWindowEx)(PFLASHWINFO) = nullptr;
    BOOL(WINAPI* trackMouseEvent)(LPTRACKMOUSEEVENT) = nullptr;
    BOOL(WINAPI* getMonitorInfoA)(HMONITOR, LPMONITORINFO) = nullptr;
    LONG(WINAPI* changeDisplaySettingsExA)(LPCSTR, LPDEVMODEA, HWND, DWORD, LPVOID) = nullptr;
};

struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t flags = 4;
};

struct WindowLayer {
    // Set by start-up, constant while the thread runs.
    const WindowBackEnd* backEnd = nullptr;
    Screen* screen = nullptr;
    std::string className;
    std::string title;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t depth = 0;
    std::int32_t refresh = 0;
    std::int32_t version = 0;  // (major << 8) | minor
    OptionalFunctions functions;
    HMONITOR monitor = nullptr;
    HINSTANCE instance = nullptr;

    // Window thread, except where said.
    std::int32_t flags = 0;  // ScreenFlags; bit 0 toggles with full screen
    HWND window = nullptr;
    std::atomic<bool> running{false};
    std::atomic<bool> framesReady{false};  // the program has taken its first lock
    MouseState mouse;                      // under the lock
    bool cursorVisible = true;
    bool trackingLeave = false;
    bool switchRequested = false;
    std::array<PaletteEntry, 256> palette{};  // written by the program under the lock
    bool paletteChanged = false;

    // Recursive, as the window system's critical sections are.
    std::optional<std::recursive_mutex> lock;
    std::atomic<bool> programHoldsLock{false};
    UniqueHandle thread;
    UniqueHandle startEvent;
    BOOL savedScreenSaver = FALSE;
    bool screenSaverSaved = false;
    bool classRegistered = false;
};

WindowLayer& layer();

// Start-up steps shared by the window back ends, after the back end's own
// refusals: version, optional functions, monitor, mouse, screen saver, class,
// lock and the window thread. 0 once the window is up, -1 otherwise. A back
// end without a createWindow hook keeps its window on the program's thread:
// then the steps end with the class, and no thread, lock or window is made.
int startLayer(const WindowBackEnd& backEnd, const char* title, std::int32_t width,
               std::int32_t height, std::int32_t depth, std::int32_t refresh, std::int32_t flags);

// The shared exit: stops the thread (which tears the window down), restores
// the screen saver, unregisters the class. Safe after a failed start.
void stopLayer();

// Creates the window as the flags ask: full-screen pop-up at the monitor's
// origin, or a framed window centred on the monitor (or placed with its outer
// top-left corner at *outerTopLeft). Visible, top-most with AlwaysOnTop,
// layered with ShapedWindow; brought to the foreground.
HWND createLayerWindow(WindowLayer& layer, const POINT* outerTopLeft);

// The area of the remembered monitor, or of the primary screen.
RECT monitorArea(const WindowLayer& layer);
// The device name of the remembered monitor for display changes, or "".
std::string monitorDeviceName(const WindowLayer& layer);

void markAllRows(WindowLayer& layer);

// With readKeys, Screen::keyState while the window is active; then every
// waiting message goes to the window procedure.
void handleInput(WindowLayer& layer, bool readKeys);

// The display's modes as (width << 16) | height. Without exactDepth, depths
// 15 and 16 count as one, and so do 24 and 32.
std::vector<std::uint32_t> displayModes(std::int32_t depth, bool exactDepth);

// Slots that are the same for every window back end: exit, lock, unlock,
// setPalette, waitVsync, getMouse, setMouse, setTitle, setWindowPos and
// fetchModes (15 and 16 bits as one depth, 24 and 32 as another).
DisplayDriver sharedSlots(const char* name);

// The window procedure all window back ends register.
LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace gfx::win32

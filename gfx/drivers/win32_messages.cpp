// The window procedure of the Win32 window back ends. It runs on the window
// thread, inside a pass that holds the frame-buffer lock.

#include <windows.h>
#include <windowsx.h>

#include "gfx/drivers/win32_keyboard.hpp"
#include "gfx/drivers/win32_window.hpp"
#include "gfx/input.hpp"
#include "gfx/key_translation.hpp"
#include "runtime/cp437.hpp"

namespace gfx::win32 {
namespace {

constexpr UINT_PTR LeaveTimer = 1;
constexpr UINT LeaveCheckMilliseconds = 100;
constexpr UINT MouseHorizontalWheel = 0x020E;

void noteCursor(WindowLayer& w, HWND window) {
    POINT cursor{};
    RECT client{};
    if (!GetCursorPos(&cursor) || !ScreenToClient(window, &cursor) ||
        !GetClientRect(window, &client)) {
        return;
    }
    w.mouse.inside = PtInRect(&client, cursor) != 0;
}

// Without TrackMouseEvent a timer watches for the cursor leaving the client
// area or going over another window, then posts the leave notice itself.
void trackLeave(WindowLayer& w, HWND window) {
    if (w.trackingLeave) return;
    if (w.functions.trackMouseEvent != nullptr) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = window;
        w.trackingLeave = w.functions.trackMouseEvent(&track) != 0;
    } else {
        w.trackingLeave = SetTimer(window, LeaveTimer, LeaveCheckMilliseconds, nullptr) != 0;
    }
}

void checkLeave(WindowLayer& w, HWND window) {
    POINT cursor{};
    GetCursorPos(&cursor);
    const bool overOther = WindowFromPoint(cursor) != window;
    if (!w.mouse.inside || overOther) {
        KillTimer(window, LeaveTimer);
        PostMessageA(window, WM_MOUSELEAVE, 0, 0);
    }
}

KeyboardState keyboardState() {
    KeyboardState keyboard{};
    GetKeyboardState(keyboard.data());
    return keyboard;
}

// A character of the ANSI code page as code page 437 (0 when it has none).
std::int32_t ansiToCp437(std::uint32_t character) {
    if (character == 0 || character > 255) return 0;
    const char ansi = static_cast<char>(character);
    wchar_t wide[2] = {};
    if (MultiByteToWideChar(CP_ACP, 0, &ansi, 1, wide, 2) != 1) return 0;
    const std::int32_t code = runtime::unicodeToCp437(static_cast<char32_t>(wide[0]));
    return code < 0 ? 0 : code;
}

std::int32_t translateKeyMessage(WPARAM virtualKey, LPARAM keyWord) {
    const KeyWord word = decodeKeyWord(static_cast<std::uint32_t>(keyWord));
    const KeyboardState keyboard = keyboardState();
    KeyStroke stroke;
    stroke.scanCode = word.scanCode;
    stroke.extended = word.extended;
    stroke.modifiers = keyModifiers(keyboard);
    const UINT own = MapVirtualKeyW(static_cast<UINT>(virtualKey), MAPVK_VK_TO_CHAR);
    const bool deadKey = (own & 0x80000000u) != 0;
    if (!deadKey) {
        stroke.own = std::max(runtime::unicodeToCp437(static_cast<char32_t>(own & 0xFFFF)), 0);
        wchar_t produced[4] = {};
        // ToUnicode would swallow a dead key's pending accent; dead keys
        // produce nothing here anyway.
        if (ToUnicode(static_cast<UINT>(virtualKey), static_cast<UINT>(word.scanCode),
                      keyboard.data(), produced, 4, 0) == 1) {
            stroke.produced = std::max(runtime::unicodeToCp437(produced[0]), 0);
        }
    }
    return translateKey(stroke);
}

void postRepeated(std::int32_t code, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) postKey(code);
}

void requestSwitch(WindowLayer& w) {
    // Carried out after the pass's messages, outside this window's procedure.
    if (!(w.flags & NoSwitch)) w.switchRequested = true;
}

void onActivate(WindowLayer& w, HWND window, WPARAM wParam) {
    const bool active = LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0;
    changeActivation(w.mouse, active);
    if (w.framesReady.load() && w.screen != nullptr) w.screen->keyState.fill(0);
    markAllRows(w);
    if (w.flags & HighPriority) {
        SetThreadPriority(GetCurrentThread(),
                          active ? THREAD_PRIORITY_ABOVE_NORMAL : THREAD_PRIORITY_NORMAL);
    }
    postEvent(active ? EventFocusGained : EventFocusLost, 0, 0, 0, 0);
    if (active && w.mouse.inside) trackLeave(w, window);
}

void onButtonDown(WindowLayer& w, HWND window, std::int32_t flags, bool doubleClick) {
    if (flags == 0) return;
    SetCapture(window);
    pressButtons(w.mouse, flags);
    postEvent(doubleClick ? EventDoubleClick : EventButtonPress, flags, w.mouse.x, w.mouse.y,
              w.mouse.buttons);
}

void onButtonUp(WindowLayer& w, std::int32_t flags, std::uint32_t keyStateWord) {
    if (releaseButtons(w.mouse, flags, keyStateWord)) ReleaseCapture();
    postEvent(EventButtonRelease, flags, w.mouse.x, w.mouse.y, w.mouse.buttons);
}

void onWheel(WindowLayer& w, std::int32_t& count, std::int32_t event, WPARAM wParam) {
    const std::int32_t step = wheelStep(GET_WHEEL_DELTA_WPARAM(wParam));
    count += step;
    postEvent(event, step, w.mouse.x, w.mouse.y, 0);
}

bool onKeyMessage(WindowLayer& w, UINT message, WPARAM wParam, LPARAM lParam) {
    const KeyWord word = decodeKeyWord(static_cast<std::uint32_t>(lParam));
    const bool pressed = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    const std::int32_t code = pressed ? translateKeyMessage(wParam, lParam) : 0;
    if (pressed) {
        const bool repeat = (lParam & (1 << 30)) != 0;
        postEvent(repeat ? EventKeyRepeat : EventKeyPress, word.scanCode,
                  static_cast<std::int32_t>(wParam), code, 0);
    } else {
        postEvent(EventKeyRelease, word.scanCode, static_cast<std::int32_t>(wParam), 0, 0);
    }
    if (message == WM_KEYDOWN && code > 255) postRepeated(code, word.repeatCount);
    if (message == WM_SYSKEYDOWN) {
        if (!w.mouse.active) return false;
        if (wParam == VK_RETURN && word.altDown) {
            requestSwitch(w);
            return true;
        }
    }
    return wParam == VK_F10 || wParam == VK_MENU || code == CloseRequest;
}

}  // namespace

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowLayer& w = layer();
    if (w.window != nullptr && window != w.window) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    noteCursor(w, window);

    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            HDC dc = BeginPaint(window, &paint);
            if (dc != nullptr && w.framesReady.load() && w.backEnd->paint != nullptr) {
                w.backEnd->paint(w, dc);
            }
            EndPaint(window, &paint);
            return 0;
        }
        case WM_SETCURSOR:
            if (LOWORD(lParam) != HTCLIENT || w.cursorVisible) {
                SetCursor(LoadCursorA(nullptr, IDC_ARROW));
            } else {
                SetCursor(nullptr);
            }
            return TRUE;
        case WM_DISPLAYCHANGE:
            InvalidateRect(window, nullptr, FALSE);
            markAllRows(w);
            return 0;
        case WM_SIZE:
            if (wParam == SIZE_MAXIMIZED) {
                requestSwitch(w);
                return 0;
            }
            break;
        case WM_MOVING:
        case WM_MOVE:
            if (w.mouse.clipped != 0) {
                ClipCursor(nullptr);
                w.mouse.clipped = 0;
            }
            break;
        case WM_ACTIVATE:
            onActivate(w, window, wParam);
            return 0;
        case WM_CLOSE:
            // The program decides; the window stays.
            postKey(CloseRequest);
            postEvent(EventWindowClose, 0, 0, 0, 0);
            return 0;
        case WM_CHAR:
            if (wParam <= 255) {
                postRepeated(ansiToCp437(static_cast<std::uint32_t>(wParam)),
                             decodeKeyWord(static_cast<std::uint32_t>(lParam)).repeatCount);
            }
            return 0;
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            if (onKeyMessage(w, message, wParam, lParam)) return 0;
            break;
        case WM_MOUSEMOVE: {
            const std::int32_t oldX = w.mouse.x;
            const std::int32_t oldY = w.mouse.y;
            takePosition(w.mouse, static_cast<std::uint32_t>(lParam));
            if (w.mouse.active && (oldX != w.mouse.x || oldY != w.mouse.y)) {
                postEvent(EventMouseMove, w.mouse.x, w.mouse.y, w.mouse.buttons, 0);
            }
            if (w.mouse.active && w.mouse.inside) trackLeave(w, window);
            return 0;
        }
        case WM_MOUSELEAVE:
            w.trackingLeave = false;
            postEvent(EventMouseExit, w.mouse.x, w.mouse.y, 0, 0);
            return 0;
        case WM_TIMER:
            if (wParam == LeaveTimer) {
                checkLeave(w, window);
                return 0;
            }
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            onButtonDown(w, window, ButtonLeft, message == WM_LBUTTONDBLCLK);
            return 0;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
            onButtonDown(w, window, ButtonRight, message == WM_RBUTTONDBLCLK);
            return 0;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            onButtonDown(w, window, ButtonMiddle, message == WM_MBUTTONDBLCLK);
            return 0;
        case WM_XBUTTONDOWN:
        case WM_XBUTTONDBLCLK:
            if (w.version < 0x0500) break;
            onButtonDown(w, window, extraButtons(GET_KEYSTATE_WPARAM(wParam)),
                         message == WM_XBUTTONDBLCLK);
            return TRUE;
        case WM_LBUTTONUP:
            onButtonUp(w, ButtonLeft, GET_KEYSTATE_WPARAM(wParam));
            return 0;
        case WM_RBUTTONUP:
            onButtonUp(w, ButtonRight, GET_KEYSTATE_WPARAM(wParam));
            return 0;
        case WM_MBUTTONUP:
            onButtonUp(w, ButtonMiddle, GET_KEYSTATE_WPARAM(wParam));
            return 0;
        case WM_XBUTTONUP:
            if (w.version < 0x0500) break;
            onButtonUp(w, ButtonExtra1 | ButtonExtra2, GET_KEYSTATE_WPARAM(wParam));
            return TRUE;
        case WM_MOUSEWHEEL:
            if (w.version < 0x040A) break;
            onWheel(w, w.mouse.wheel, EventWheel, wParam);
            return 0;
        case MouseHorizontalWheel:
            if (w.version < 0x0500) break;
            onWheel(w, w.mouse.horizontalWheel, EventHorizontalWheel, wParam);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace gfx::win32

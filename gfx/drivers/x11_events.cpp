#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <string>

#include "gfx/drivers/window_scale.hpp"
#include "gfx/drivers/x11_keymap.hpp"
#include "gfx/drivers/x11_state.hpp"
#include "gfx/input.hpp"
#include "runtime/cp437.hpp"

namespace gfx::x11 {
namespace {

// Window system pointer coordinates are kept as the unsigned 16-bit halves
// the key codes' home platform reports, in frame pixels: a click anywhere in
// a widened pixel's block is a click on that pixel.
std::int32_t coordinate(const X11State& s, int value) {
    return static_cast<std::int32_t>(frameCoordinate(value, s.scale) & 0xFFFF);
}

void notePointer(X11State& s, int x, int y) {
    s.mouse.inside = x >= 0 && y >= 0 && x < s.width * s.scale && y < s.height * s.scale;
}

// The button flags (left 1, right 2, middle 4, extra 8 and 16) of X buttons
// 1 (left), 2 (middle), 3 (right), 8 and 9; the wheel's 4 to 7 have none.
std::int32_t buttonFlag(unsigned button) {
    constexpr std::int32_t flags[] = {0, 1, 4, 2, 0, 0, 0, 0, 8, 16};
    return button < std::size(flags) ? flags[button] : 0;
}

void onButton(X11State& s, const XButtonEvent& event, bool pressed) {
    notePointer(s, event.x, event.y);
    s.mouse.x = coordinate(s, event.x);
    s.mouse.y = coordinate(s, event.y);
    MouseState& m = s.mouse;
    if (pressed && event.button >= 4 && event.button <= 7) {
        const bool vertical = event.button <= 5;
        const std::int32_t step = (event.button == 4 || event.button == 7) ? 1 : -1;
        (vertical ? m.wheel : m.horizontalWheel) += step;
        postEvent(vertical ? EventWheel : EventHorizontalWheel, step, m.x, m.y, 0);
        return;
    }
    const std::int32_t flag = buttonFlag(event.button);
    if (flag == 0) return;
    if (pressed) {
        m.buttons |= flag;
        m.pressedSinceRead |= flag;
    } else {
        m.buttons &= ~flag;
    }
    postEvent(pressed ? EventButtonPress : EventButtonRelease, flag, m.x, m.y, m.buttons);
}

void onMotion(X11State& s, const XMotionEvent& event) {
    notePointer(s, event.x, event.y);
    const std::int32_t x = coordinate(s, event.x);
    const std::int32_t y = coordinate(s, event.y);
    const bool moved = x != s.mouse.x || y != s.mouse.y;
    s.mouse.x = x;
    s.mouse.y = y;
    if (moved && s.mouse.active) postEvent(EventMouseMove, x, y, s.mouse.buttons, 0);
}

// Pointer grabs and moves into child windows change neither focus nor hover.
bool ignoredCrossing(int mode, int detail) {
    return mode == NotifyGrab || mode == NotifyUngrab || detail == NotifyInferior;
}

void onCrossing(X11State& s, const XCrossingEvent& event, bool entered) {
    if (ignoredCrossing(event.mode, event.detail)) return;
    s.mouse.inside = entered;
    s.mouse.x = coordinate(s, event.x);
    s.mouse.y = coordinate(s, event.y);
    postEvent(entered ? EventMouseEnter : EventMouseExit, s.mouse.x, s.mouse.y, 0, 0);
}

void onFocus(X11State& s, const XFocusChangeEvent& event, bool gained) {
    if (ignoredCrossing(event.mode, event.detail)) return;
    s.mouse.active = gained && s.mapped;
    if (s.inputContext != nullptr) {
        if (gained) {
            XSetICFocus(s.inputContext);
        } else {
            XUnsetICFocus(s.inputContext);
        }
    }
    // Nothing stays pressed; a window manager may have drawn over the window
    // while it changed hands.
    if (s.framesReady.load()) s.screen->keyState.fill(0);
    s.keyDown.fill(false);
    s.mouse.buttons = 0;
    s.mouse.pressedSinceRead = 0;
    markAllRows(s);
    s.presenter.repaintAll = true;
    s.keyStateStale = true;
    postEvent(gained ? EventFocusGained : EventFocusLost, 0, 0, 0, 0);
}

void onMapped(X11State& s) {
    s.mapped = true;
    s.keyStateStale = true;
    // Like bringing a new window to the foreground: the player types into it
    // at once. Refused without harm when a window manager objects.
    XSetInputFocus(s.display, s.window, RevertToParent, CurrentTime);
    Window root = None;
    Window child = None;
    int rootX = 0;
    int rootY = 0;
    int x = 0;
    int y = 0;
    unsigned mask = 0;
    if (XQueryPointer(s.display, s.window, &root, &child, &rootX, &rootY, &x, &y, &mask)) {
        notePointer(s, x, y);
        if (s.mouse.inside) {
            s.mouse.x = coordinate(s, x);
            s.mouse.y = coordinate(s, y);
        }
    }
}

struct TypedText {
    std::string utf8;
    KeySym keysym = NoSymbol;
    bool hasText = false;
};

TypedText lookUpTypedText(X11State& s, XKeyEvent& event) {
    TypedText typed;
    if (s.inputContext != nullptr) {
        std::array<char, 64> buffer{};
        Status status = 0;
        int length = Xutf8LookupString(s.inputContext, &event, buffer.data(),
                                       static_cast<int>(buffer.size()), &typed.keysym, &status);
        if (status == XBufferOverflow) {
            std::string large(static_cast<std::size_t>(length), '\0');
            length = Xutf8LookupString(s.inputContext, &event, large.data(), length, &typed.keysym,
                                       &status);
            typed.utf8.assign(large.data(), static_cast<std::size_t>(std::max(length, 0)));
        } else {
            typed.utf8.assign(buffer.data(), static_cast<std::size_t>(std::max(length, 0)));
        }
        if (status != XLookupKeySym && status != XLookupBoth) typed.keysym = NoSymbol;
        typed.hasText = status == XLookupChars || status == XLookupBoth;
        return typed;
    }
    // Without an input method XLookupString gives Latin-1.
    std::array<char, 32> buffer{};
    const int length = XLookupString(&event, buffer.data(), static_cast<int>(buffer.size()),
                                     &typed.keysym, nullptr);
    for (int i = 0; i < length; ++i) {
        runtime::appendUtf8(static_cast<unsigned char>(buffer[static_cast<std::size_t>(i)]),
                            typed.utf8);
    }
    typed.hasText = length > 0;
    return typed;
}

// A scan code is down while any key that gives it is down.
void noteKeyState(X11State& s, std::int32_t scan) {
    if (scan <= 0 || scan >= 128 || !s.framesReady.load()) return;
    std::uint8_t down = 0;
    for (std::size_t keycode = 0; keycode < s.keyDown.size(); ++keycode) {
        if (s.keyDown[keycode] && s.keys[keycode].scanCode == scan) down = 1;
    }
    s.screen->keyState[static_cast<std::size_t>(scan)] = down;
}

void onKeyPress(X11State& s, XEvent& event) {
    XKeyEvent& key = event.xkey;
    const KeyInfo info = s.keys[key.keycode & 0xFF];
    const bool repeat = s.keyDown[key.keycode & 0xFF];
    s.keyDown[key.keycode & 0xFF] = true;
    noteKeyState(s, info.scanCode);
    const TypedText typed = lookUpTypedText(s, key);
    const PressedKey press{ScanKey{info.scanCode, info.extended},
                           info.own,
                           static_cast<std::uint32_t>(typed.keysym),
                           key.state,
                           typed.utf8,
                           typed.hasText};

    postEvent(repeat ? EventKeyRepeat : EventKeyPress, info.scanCode, static_cast<int>(key.keycode),
              keyPressCode(press), keyModifiers(key.state));

    // Alt+Enter switches between window and full screen.
    const bool leftAlt = (key.state & Mod1Mask) != 0;
    if (leftAlt && (typed.keysym == XK_Return || typed.keysym == XK_KP_Enter)) {
        if (s.mouse.active && !repeat) toggleFullScreen(s);
        return;
    }
    for (const std::int32_t code : keyPressPosts(press)) postKey(code);
}

void onKeyRelease(X11State& s, const XKeyEvent& key) {
    s.keyDown[key.keycode & 0xFF] = false;
    const KeyInfo& info = s.keys[key.keycode & 0xFF];
    noteKeyState(s, info.scanCode);
    postEvent(EventKeyRelease, info.scanCode, static_cast<int>(key.keycode), 0,
              keyModifiers(key.state));
}

void answerPing(X11State& s, XClientMessageEvent message) {
    const Window root = RootWindow(s.display, DefaultScreen(s.display));
    message.window = root;
    XSendEvent(s.display, root, False, SubstructureNotifyMask | SubstructureRedirectMask,
               reinterpret_cast<XEvent*>(&message));
}

void onClientMessage(X11State& s, XClientMessageEvent& message) {
    if (message.message_type != s.atoms.wmProtocols) return;
    const Atom protocol = static_cast<Atom>(message.data.l[0]);
    if (protocol == s.atoms.wmDeleteWindow) {
        // The close box asks; the program decides. The window stays.
        postKey(CloseRequest);
        postEvent(EventWindowClose, 0, 0, 0, 0);
    } else if (protocol == s.atoms.netWmPing) {
        answerPing(s, message);
    }
}

void sendWindowState(X11State& s, long action, Atom first, Atom second) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = s.window;
    event.xclient.message_type = s.atoms.netWmState;
    event.xclient.format = 32;
    event.xclient.data.l[0] = action;
    event.xclient.data.l[1] = static_cast<long>(first);
    event.xclient.data.l[2] = static_cast<long>(second);
    event.xclient.data.l[3] = 1;  // request from a normal application
    const Window root = RootWindow(s.display, DefaultScreen(s.display));
    XSendEvent(s.display, root, False, SubstructureNotifyMask | SubstructureRedirectMask, &event);
}

// A maximise request (the window manager's maximise button) switches to full
// screen instead, as the window cannot change its size.
void onStateChanged(X11State& s) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(s.display, s.window, s.atoms.netWmState, 0, 64, False, XA_ATOM, &type,
                           &format, &count, &remaining, &data) != Success) {
        return;
    }
    bool maximised = false;
    bool fullScreen = false;
    if (data != nullptr && format == 32) {
        const auto* states = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            maximised |= states[i] == s.atoms.netWmStateMaximizedVert ||
                         states[i] == s.atoms.netWmStateMaximizedHorz;
            fullScreen |= states[i] == s.atoms.netWmStateFullscreen;
        }
    }
    if (data != nullptr) XFree(data);
    s.fullScreen = fullScreen;
    if (!maximised) return;
    sendWindowState(s, 0, s.atoms.netWmStateMaximizedVert, s.atoms.netWmStateMaximizedHorz);
    if (!fullScreen) toggleFullScreen(s);
}

}  // namespace

void toggleFullScreen(X11State& s) {
    if (s.flags & NoSwitch) return;
    s.flags ^= FullScreen;
    s.fullScreen = !s.fullScreen;
    sendWindowState(s, s.fullScreen ? 1 : 0, s.atoms.netWmStateFullscreen, None);
    markAllRows(s);
    s.mouse.active = true;
}

void loadKeyboardMapping(X11State& s) {
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(s.display, &minKeycode, &maxKeycode);
    s.keys.fill(KeyInfo{});
    for (int keycode = minKeycode; keycode <= maxKeycode && keycode < 256; ++keycode) {
        const KeySym base = XkbKeycodeToKeysym(s.display, static_cast<KeyCode>(keycode), 0, 0);
        const ScanKey scan =
            scanKeyFor(static_cast<std::uint32_t>(keycode), static_cast<std::uint32_t>(base));
        s.keys[static_cast<std::size_t>(keycode)] =
            KeyInfo{scan.scanCode, scan.extended, keysymCp437(static_cast<std::uint32_t>(base))};
    }
}

void refreshKeyState(X11State& s) {
    std::array<char, 32> keymap{};
    XQueryKeymap(s.display, keymap.data());
    std::array<std::uint8_t, 128>& keyState = s.screen->keyState;
    keyState.fill(0);
    for (std::size_t keycode = 0; keycode < 256; ++keycode) {
        if ((keymap[keycode / 8] & (1 << (keycode % 8))) == 0) continue;
        const std::int32_t scan = s.keys[keycode].scanCode;
        if (scan > 0 && scan < 128) keyState[static_cast<std::size_t>(scan)] = 1;
    }
}

void handlePendingEvents(X11State& s) {
    while (XPending(s.display) > 0) {
        XEvent event;
        XNextEvent(s.display, &event);
        handleEvent(s, event);
    }
}

void handleEvent(X11State& s, XEvent& event) {
    // The input method sees every event first (dead keys, compose).
    if (XFilterEvent(&event, None)) return;
    switch (event.type) {
        case Expose:
            if (event.xexpose.count == 0 && s.framesReady.load()) presentAllRows(s);
            break;
        case KeyPress:
            onKeyPress(s, event);
            break;
        case KeyRelease:
            onKeyRelease(s, event.xkey);
            break;
        case ButtonPress:
            onButton(s, event.xbutton, true);
            break;
        case ButtonRelease:
            onButton(s, event.xbutton, false);
            break;
        case MotionNotify:
            onMotion(s, event.xmotion);
            break;
        case EnterNotify:
            onCrossing(s, event.xcrossing, true);
            break;
        case LeaveNotify:
            onCrossing(s, event.xcrossing, false);
            break;
        case FocusIn:
            onFocus(s, event.xfocus, true);
            break;
        case FocusOut:
            onFocus(s, event.xfocus, false);
            break;
        case MapNotify:
            onMapped(s);
            break;
        case UnmapNotify:
            // Minimised: not active until focus returns.
            s.mapped = false;
            s.mouse.active = false;
            break;
        case ClientMessage:
            onClientMessage(s, event.xclient);
            break;
        case PropertyNotify:
            if (event.xproperty.atom == s.atoms.netWmState) onStateChanged(s);
            break;
        case MappingNotify:
            XRefreshKeyboardMapping(&event.xmapping);
            loadKeyboardMapping(s);
            s.keyStateStale = true;
            break;
        default:
            break;
    }
}

}  // namespace gfx::x11

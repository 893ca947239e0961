// The "OpenGL" back end on Windows: a window with a double-buffered pixel
// format of the screen's colour depth, created on the program's thread with
// its context current there. The program draws with OpenGL itself and calls
// flip and pollEvents; only screens opened with the OpenGL flag are accepted.
// "opengl32.dll" is loaded by name when an OpenGL screen opens.

#include <windows.h>

#include <cstring>

#include "gfx/drivers/win32_driver.hpp"
#include "gfx/drivers/win32_handles.hpp"
#include "gfx/drivers/win32_window.hpp"

namespace gfx::win32 {
namespace {

struct WglFunctions {
    LoadedLibrary library;
    HGLRC(WINAPI* createContext)(HDC) = nullptr;
    BOOL(WINAPI* deleteContext)(HGLRC) = nullptr;
    BOOL(WINAPI* makeCurrent)(HDC, HGLRC) = nullptr;
    PROC(WINAPI* getProcAddress)(LPCSTR) = nullptr;
    // Present when the driver has "WGL_ARB_pixel_format".
    BOOL(WINAPI* choosePixelFormatARB)(HDC, const int*, const FLOAT*, UINT, int*, UINT*) = nullptr;
};

constexpr const char* SetupClassName = "LettermoorOpenGLSetup";

// WGL_ARB_pixel_format attributes.
constexpr int DrawToWindowArb = 0x2001;
constexpr int SupportOpenGLArb = 0x2010;
constexpr int DoubleBufferArb = 0x2011;
constexpr int PixelTypeArb = 0x2013;
constexpr int TypeRgbaArb = 0x202B;
constexpr int ColorBitsArb = 0x2014;

template <typename Function>
Function extensionEntryPoint(const WglFunctions& wgl, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(wgl.getProcAddress(name)));
}

PIXELFORMATDESCRIPTOR plainFormat(int depth) {
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof(format);
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = static_cast<BYTE>(depth);
    format.iLayerType = PFD_MAIN_PLANE;
    return format;
}

bool hasExtension(const char* list, const char* name) {
    if (list == nullptr) return false;
    const std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at != nullptr; at = std::strstr(at + 1, name)) {
        const bool starts = at == list || at[-1] == ' ';
        const bool ends = at[length] == '\0' || at[length] == ' ';
        if (starts && ends) return true;
    }
    return false;
}

const char* extensionString(const WglFunctions& wgl, HDC dc) {
    using ArbQuery = const char*(WINAPI*)(HDC);
    using ExtQuery = const char*(WINAPI*)();
    if (auto arb = extensionEntryPoint<ArbQuery>(wgl, "wglGetExtensionsStringARB")) return arb(dc);
    if (auto ext = extensionEntryPoint<ExtQuery>(wgl, "wglGetExtensionsStringEXT")) return ext();
    return nullptr;
}

// Loads the library and its entry points; false (and nothing loaded) when
// any is missing.
bool loadWgl(WglFunctions& wgl) {
    wgl = WglFunctions{};
    wgl.library.reset(LoadLibraryA("opengl32.dll"));
    findExport(wgl.library.get(), "wglCreateContext", wgl.createContext);
    findExport(wgl.library.get(), "wglDeleteContext", wgl.deleteContext);
    findExport(wgl.library.get(), "wglMakeCurrent", wgl.makeCurrent);
    findExport(wgl.library.get(), "wglGetProcAddress", wgl.getProcAddress);
    if (wgl.createContext && wgl.deleteContext && wgl.makeCurrent && wgl.getProcAddress) {
        return true;
    }
    wgl = WglFunctions{};
    return false;
}

// Opens the hidden 8 by 8 window "OpenGL setup" with a plain pixel format
// and a context, asks for the extension strings and, with
// "WGL_ARB_pixel_format", takes "wglChoosePixelFormatARB". Everything it
// made is gone again when it returns.
void querySetupExtensions(WglFunctions& wgl, HINSTANCE instance) {
    WNDCLASSA setupClass{};
    setupClass.style = CS_OWNDC;
    setupClass.lpfnWndProc = DefWindowProcA;
    setupClass.hInstance = instance;
    setupClass.lpszClassName = SetupClassName;
    const bool registered = RegisterClassA(&setupClass) != 0;
    HWND window = CreateWindowExA(0, SetupClassName, "OpenGL setup", WS_POPUP, 0, 0, 8, 8, nullptr,
                                  nullptr, instance, nullptr);
    HDC dc = window != nullptr ? GetDC(window) : nullptr;
    if (dc != nullptr) {
        PIXELFORMATDESCRIPTOR format = plainFormat(32);
        const int index = ChoosePixelFormat(dc, &format);
        HGLRC context =
            index > 0 && SetPixelFormat(dc, index, &format) ? wgl.createContext(dc) : nullptr;
        if (context != nullptr && wgl.makeCurrent(dc, context)) {
            if (hasExtension(extensionString(wgl, dc), "WGL_ARB_pixel_format")) {
                wgl.choosePixelFormatARB = extensionEntryPoint<decltype(wgl.choosePixelFormatARB)>(
                    wgl, "wglChoosePixelFormatARB");
            }
            wgl.makeCurrent(nullptr, nullptr);
        }
        if (context != nullptr) wgl.deleteContext(context);
        ReleaseDC(window, dc);
    }
    if (window != nullptr) DestroyWindow(window);
    if (registered) UnregisterClassA(SetupClassName, instance);
}

// A double-buffered RGBA pixel format of that colour depth for the window's
// device context, through the extension when there is one; 0 for none.
int choosePixelFormat(const WglFunctions& wgl, HDC dc, int depth, PIXELFORMATDESCRIPTOR& format) {
    int index = 0;
    if (wgl.choosePixelFormatARB != nullptr) {
        const int attributes[] = {DrawToWindowArb,
                                  TRUE,
                                  SupportOpenGLArb,
                                  TRUE,
                                  DoubleBufferArb,
                                  TRUE,
                                  PixelTypeArb,
                                  TypeRgbaArb,
                                  ColorBitsArb,
                                  depth,
                                  0};
        UINT count = 0;
        if (!wgl.choosePixelFormatARB(dc, attributes, nullptr, 1, &index, &count) || count == 0) {
            index = 0;
        }
    }
    if (index == 0) {
        format = plainFormat(depth);
        index = ChoosePixelFormat(dc, &format);
    }
    if (index > 0 && DescribePixelFormat(dc, index, sizeof(format), &format) == 0) index = 0;
    return index;
}

struct WglState {
    WglFunctions wgl;  // loaded while the window is open
    HDC dc = nullptr;
    HGLRC context = nullptr;
};

WglState& wglState() {
    static WglState instance;
    return instance;
}

// No window thread: the window procedure finds no hooks to call.
const WindowBackEnd wglBackEnd{};

int wglInit(const char* title, std::int32_t width, std::int32_t height, std::int32_t depth,
            std::int32_t refresh, std::int32_t flags) {
    WglState& g = wglState();
    // Only windowed OpenGL screens; the context belongs to this one window,
    // so it is never re-created for a switch to full screen.
    if (flags < 0 || (flags & OpenGLScreen) == 0 || (flags & FullScreen) != 0) return -1;
    if (g.context != nullptr) return -1;
    if (startLayer(wglBackEnd, title, width, height, depth, refresh, flags | NoSwitch) != 0) {
        return -1;
    }
    WindowLayer& w = layer();
    if (!loadWgl(g.wgl)) return -1;
    querySetupExtensions(g.wgl, w.instance);

    if (createLayerWindow(w, nullptr) == nullptr) return -1;
    g.dc = GetDC(w.window);
    if (g.dc == nullptr) return -1;
    PIXELFORMATDESCRIPTOR format{};
    const int index = choosePixelFormat(g.wgl, g.dc, w.depth, format);
    if (index == 0 || !SetPixelFormat(g.dc, index, &format)) return -1;
    g.context = g.wgl.createContext(g.dc);
    if (g.context == nullptr || !g.wgl.makeCurrent(g.dc, g.context)) return -1;
    w.screen->refreshRate = GetDeviceCaps(g.dc, VREFRESH);
    return 0;
}

void wglExit() {
    WglState& g = wglState();
    WindowLayer& w = layer();
    if (g.context != nullptr) {
        g.wgl.makeCurrent(nullptr, nullptr);
        g.wgl.deleteContext(g.context);
    }
    if (g.dc != nullptr) ReleaseDC(w.window, g.dc);
    if (w.window != nullptr) DestroyWindow(w.window);
    g.context = nullptr;
    g.dc = nullptr;
    g.wgl = WglFunctions{};
    stopLayer();
}

void wglSetTitle(const char* title) {
    WindowLayer& w = layer();
    if (title == nullptr) return;
    w.title = title;
    if (w.window != nullptr) SetWindowTextA(w.window, title);
}

void wglFlip() {
    const WglState& g = wglState();
    if (g.dc != nullptr) SwapBuffers(g.dc);
}

void wglPollEvents() {
    WindowLayer& w = layer();
    if (w.window != nullptr) handleInput(w, true);
}

}  // namespace
}  // namespace gfx::win32

namespace gfx {

const DisplayDriver& wglDriver() {
    static const DisplayDriver driver = [] {
        DisplayDriver d = win32::sharedSlots("OpenGL");
        d.init = win32::wglInit;
        d.exit = win32::wglExit;
        // Nothing shares the frame buffer with another thread.
        d.lock = d.unlock = nullptr;
        d.setPalette = nullptr;
        d.setTitle = win32::wglSetTitle;
        d.fetchModes = [](std::int32_t depth) { return win32::displayModes(depth, true); };
        d.flip = win32::wglFlip;
        d.pollEvents = win32::wglPollEvents;
        return d;
    }();
    return driver;
}

}  // namespace gfx

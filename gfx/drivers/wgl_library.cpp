#include "gfx/drivers/wgl_library.hpp"

#include <cstring>

namespace gfx::win32 {
namespace {

constexpr const char* SetupClassName = "LettermoorOpenGLSetup";

// WGL_ARB_pixel_format attributes.
constexpr int DrawToWindowArb = 0x2001;
constexpr int SupportOpenGLArb = 0x2010;
constexpr int DoubleBufferArb = 0x2011;
constexpr int PixelTypeArb = 0x2013;
constexpr int TypeRgbaArb = 0x202B;
constexpr int ColorBitsArb = 0x2014;

template <typename Function>
Function entryPoint(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

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

}  // namespace

bool loadWgl(WglFunctions& wgl) {
    wgl = WglFunctions{};
    wgl.library = LoadLibraryA("opengl32.dll");
    if (wgl.library == nullptr) return false;
    wgl.createContext = entryPoint<decltype(wgl.createContext)>(wgl.library, "wglCreateContext");
    wgl.deleteContext = entryPoint<decltype(wgl.deleteContext)>(wgl.library, "wglDeleteContext");
    wgl.makeCurrent = entryPoint<decltype(wgl.makeCurrent)>(wgl.library, "wglMakeCurrent");
    wgl.getProcAddress = entryPoint<decltype(wgl.getProcAddress)>(wgl.library, "wglGetProcAddress");
    if (wgl.createContext && wgl.deleteContext && wgl.makeCurrent && wgl.getProcAddress)
        return true;
    unloadWgl(wgl);
    return false;
}

void unloadWgl(WglFunctions& wgl) {
    if (wgl.library != nullptr) FreeLibrary(wgl.library);
    wgl = WglFunctions{};
}

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

}  // namespace gfx::win32

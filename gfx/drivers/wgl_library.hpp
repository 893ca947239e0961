#pragma once
// "opengl32.dll", loaded by name when an OpenGL screen opens, and what a
// hidden set-up window learns of the driver's pixel-format extension.

#include <windows.h>

namespace gfx::win32 {

struct WglFunctions {
    HMODULE library = nullptr;
    HGLRC(WINAPI* createContext)(HDC) = nullptr;
    BOOL(WINAPI* deleteContext)(HGLRC) = nullptr;
    BOOL(WINAPI* makeCurrent)(HDC, HGLRC) = nullptr;
    PROC(WINAPI* getProcAddress)(LPCSTR) = nullptr;
    // Present when the driver has "WGL_ARB_pixel_format".
    BOOL(WINAPI* choosePixelFormatARB)(HDC, const int*, const FLOAT*, UINT, int*, UINT*) = nullptr;
};

// Loads the library and its entry points; false (and nothing loaded) when
// any is missing.
bool loadWgl(WglFunctions& wgl);
void unloadWgl(WglFunctions& wgl);

// Opens the hidden 8 by 8 window "OpenGL setup" with a plain pixel format
// and a context, asks for the extension strings and, with
// "WGL_ARB_pixel_format", takes "wglChoosePixelFormatARB". Everything it
// made is gone again when it returns.
void querySetupExtensions(WglFunctions& wgl, HINSTANCE instance);

// A double-buffered RGBA pixel format of that colour depth for the window's
// device context, through the extension when there is one; 0 for none.
int choosePixelFormat(const WglFunctions& wgl, HDC dc, int depth, PIXELFORMATDESCRIPTOR& format);

}  // namespace gfx::win32

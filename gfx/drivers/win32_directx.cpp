// The "DirectX" window back end: DirectDraw blits of an off-screen surface
// into the shared window layer's window, DirectInput for the key state.
// "ddraw.dll" and "dinput.dll" are loaded at run time; any failure refuses
// the screen so the "GDI" back end is tried next.

#define DIRECTINPUT_VERSION 0x0700
#include <windows.h>

// The interface identifiers are defined here, so no import library is needed.
#include <initguid.h>

#include <ddraw.h>
#include <dinput.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "gfx/drivers/pixel_formats.hpp"
#include "gfx/drivers/row_diff.hpp"
#include "gfx/drivers/win32_driver.hpp"
#include "gfx/drivers/win32_handles.hpp"
#include "gfx/drivers/win32_keyboard.hpp"
#include "gfx/drivers/win32_window.hpp"
#include "runtime/try_allocate.hpp"

namespace gfx::win32 {
namespace {

// Lost surfaces are restored and the operation tried again this many times
// per pass; the next pass starts over.
constexpr int SurfaceRetries = 3;
constexpr DWORD VsyncWaitMilliseconds = 20;

using RowConverter = pixel_formats::RowConverter;

struct DirectXState {
    LoadedLibrary ddraw;
    LoadedLibrary dinput;
    HRESULT(WINAPI* directDrawCreate)(GUID*, LPDIRECTDRAW*, IUnknown*) = nullptr;
    HRESULT(WINAPI* directDrawEnumerateEx)(LPDDENUMCALLBACKEXA, LPVOID, DWORD) = nullptr;
    HRESULT(WINAPI* directInputCreate)(HINSTANCE, DWORD, LPDIRECTINPUTA*, LPUNKNOWN) = nullptr;

    ComRef<IDirectDraw2> directDraw;
    ComRef<IDirectDrawSurface> primary;
    ComRef<IDirectDrawSurface> offscreen;
    ComRef<IDirectDrawClipper> clipper;
    ComRef<IDirectInputA> directInput;
    ComRef<IDirectInputDeviceA> keyboard;
    RowConverter convert = nullptr;
    bool exclusive = false;
    bool pendingBlit = false;
    // The frame's bytes as last converted into the off-screen surface, so a
    // pass locks and converts only rows that really changed (the game marks
    // every row of every frame); empty while the surface's content is unknown.
    std::vector<std::uint8_t> shown;
    std::vector<RowRun> runs;

    // Where the windowed window's outer top-left corner goes.
    POINT windowPosition{0, 0};
    // Set while the program waits for a vertical blank in waitVsync.
    UniqueHandle vsyncDone;
};

DirectXState dx;

// A keyboard device format of 256 optional keys, byte i for key i.
const DIDATAFORMAT& keyboardFormat() {
    static std::array<DIOBJECTDATAFORMAT, 256> objects = [] {
        std::array<DIOBJECTDATAFORMAT, 256> o{};
        for (DWORD i = 0; i < 256; ++i) {
            o[i] = DIOBJECTDATAFORMAT{&GUID_Key, i,
                                      DIDFT_BUTTON | DIDFT_MAKEINSTANCE(i) | DIDFT_OPTIONAL, 0};
        }
        return o;
    }();
    static const DIDATAFORMAT format{
        sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 256, 256, objects.data()};
    return format;
}

struct MonitorSearch {
    HMONITOR monitor = nullptr;
    GUID guid{};
    bool found = false;
};

BOOL CALLBACK findMonitorDevice(GUID* guid, LPSTR, LPSTR, LPVOID context, HMONITOR monitor) {
    auto* search = static_cast<MonitorSearch*>(context);
    if (guid != nullptr && monitor != nullptr && monitor == search->monitor) {
        search->guid = *guid;
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

bool loadLibraries() {
    if (!dx.ddraw) dx.ddraw.reset(LoadLibraryA("ddraw.dll"));
    if (!dx.dinput) dx.dinput.reset(LoadLibraryA("dinput.dll"));
    findExport(dx.ddraw.get(), "DirectDrawCreate", dx.directDrawCreate);
    findExport(dx.ddraw.get(), "DirectDrawEnumerateExA", dx.directDrawEnumerateEx);
    findExport(dx.dinput.get(), "DirectInputCreateA", dx.directInputCreate);
    return dx.directDrawCreate != nullptr && dx.directDrawEnumerateEx != nullptr &&
           dx.directInputCreate != nullptr;
}

bool createDirectDraw(WindowLayer& w) {
    // The DirectDraw device of the monitor the window opens on, if it has one.
    MonitorSearch search{w.monitor};
    if (w.monitor != nullptr) {
        dx.directDrawEnumerateEx(findMonitorDevice, &search, DDENUM_ATTACHEDSECONDARYDEVICES);
    }
    ComRef<IDirectDraw> first;
    if (FAILED(dx.directDrawCreate(search.found ? &search.guid : nullptr, first.out(), nullptr))) {
        return false;
    }
    return SUCCEEDED(
        first->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(dx.directDraw.out())));
}

HWND createFullScreenWindow(WindowLayer& w) {
    w.window = CreateWindowExA(0, w.className.c_str(), w.title.c_str(), WS_POPUP | WS_VISIBLE, 0, 0,
                               GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                               nullptr, nullptr, w.instance, nullptr);
    if (w.window != nullptr) SetForegroundWindow(w.window);
    return w.window;
}

bool createSurfaces(WindowLayer& w) {
    DDSURFACEDESC primaryDesc{};
    primaryDesc.dwSize = sizeof(primaryDesc);
    primaryDesc.dwFlags = DDSD_CAPS;
    primaryDesc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (FAILED(dx.directDraw->CreateSurface(&primaryDesc, dx.primary.out(), nullptr))) return false;
    if (FAILED(dx.directDraw->CreateClipper(0, dx.clipper.out(), nullptr)) ||
        FAILED(dx.clipper->SetHWnd(0, w.window)) ||
        FAILED(dx.primary->SetClipper(dx.clipper.get()))) {
        return false;
    }
    DDSURFACEDESC offscreenDesc{};
    offscreenDesc.dwSize = sizeof(offscreenDesc);
    offscreenDesc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    offscreenDesc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    offscreenDesc.dwWidth = static_cast<DWORD>(w.width);
    offscreenDesc.dwHeight = static_cast<DWORD>(w.height);
    return SUCCEEDED(dx.directDraw->CreateSurface(&offscreenDesc, dx.offscreen.out(), nullptr));
}

// The surface's layout decides the converter; a 16-bit surface with a 5-bit
// green mask is a 15-bit one, and the masks tell the channel order.
bool chooseConverter(WindowLayer& w) {
    if (w.screen->depth != 32) return false;
    DDPIXELFORMAT format{};
    format.dwSize = sizeof(format);
    if (FAILED(dx.offscreen->GetPixelFormat(&format)) || !(format.dwFlags & DDPF_RGB)) {
        return false;
    }
    pixel_formats::PixelLayout layout{static_cast<std::int32_t>(format.dwRGBBitCount),
                                      format.dwRBitMask, format.dwGBitMask, format.dwBBitMask};
    dx.convert = pixel_formats::chooseRowConverter(layout);
    return dx.convert != nullptr;
}

bool openKeyboard(WindowLayer& w) {
    if (FAILED(
            dx.directInputCreate(w.instance, DIRECTINPUT_VERSION, dx.directInput.out(), nullptr)) ||
        FAILED(dx.directInput->CreateDevice(GUID_SysKeyboard, dx.keyboard.out(), nullptr)) ||
        FAILED(dx.keyboard->SetDataFormat(&keyboardFormat())) ||
        FAILED(dx.keyboard->SetCooperativeLevel(w.window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND))) {
        return false;
    }
    dx.keyboard->Acquire();
    return true;
}

void releaseObjects() {
    if (dx.keyboard) dx.keyboard->Unacquire();
    dx.keyboard.reset();
    dx.directInput.reset();
    dx.offscreen.reset();
    if (dx.primary) dx.primary->SetClipper(nullptr);
    dx.clipper.reset();
    dx.primary.reset();
    if (dx.directDraw && dx.exclusive) dx.directDraw->RestoreDisplayMode();
    dx.exclusive = false;
    dx.directDraw.reset();
    dx.convert = nullptr;
    dx.shown.clear();
}

bool createObjects(WindowLayer& w) {
    if (!createDirectDraw(w)) return false;
    if (w.flags & FullScreen) {
        if (FAILED(
                dx.directDraw->SetCooperativeLevel(w.window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN)))
            return false;
        dx.exclusive = true;
        if (FAILED(dx.directDraw->SetDisplayMode(
                static_cast<DWORD>(w.width), static_cast<DWORD>(w.height),
                static_cast<DWORD>(w.depth), static_cast<DWORD>(std::max(w.refresh, 0)), 0))) {
            return false;
        }
    } else if (FAILED(dx.directDraw->SetCooperativeLevel(w.window, DDSCL_NORMAL))) {
        return false;
    }
    return createSurfaces(w) && chooseConverter(w);
}

int directXCreateWindow(WindowLayer& w) {
    if (!loadLibraries()) return -1;
    const HWND window = (w.flags & FullScreen) ? createFullScreenWindow(w)
                                               : createLayerWindow(w, &dx.windowPosition);
    if (window == nullptr || !createObjects(w) || !openKeyboard(w)) return -1;
    w.screen->refreshRate = 0;
    DWORD frequency = 0;
    if (SUCCEEDED(dx.directDraw->GetMonitorFrequency(&frequency)) && frequency > 1) {
        w.screen->refreshRate = static_cast<std::int32_t>(frequency);
    }
    return 0;
}

void directXDestroyWindow(WindowLayer& w) {
    releaseObjects();
    if (w.window != nullptr) {
        if (!(w.flags & FullScreen)) {
            RECT outer{};
            if (GetWindowRect(w.window, &outer)) dx.windowPosition = POINT{outer.left, outer.top};
        }
        DestroyWindow(w.window);
    }
    w.window = nullptr;
}

void flashTaskbarButton(WindowLayer& w) {
    if (w.functions.flashWindowEx == nullptr) return;
    FLASHWINFO flash{};
    flash.cbSize = sizeof(flash);
    flash.hwnd = w.window;
    flash.dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG;
    w.functions.flashWindowEx(&flash);
}

void restoreSurfaces() {
    dx.shown.clear();
    if (dx.primary) dx.primary->Restore();
    if (dx.offscreen) dx.offscreen->Restore();
}

// Locks the off-screen surface, restoring lost surfaces; when the display
// mode changed under the program the DirectDraw objects are made again.
bool lockOffscreen(WindowLayer& w, DDSURFACEDESC& desc) {
    for (int attempt = 0; attempt < SurfaceRetries && dx.offscreen; ++attempt) {
        desc = DDSURFACEDESC{};
        desc.dwSize = sizeof(desc);
        const HRESULT result = dx.offscreen->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
        if (SUCCEEDED(result)) return true;
        if (result == DDERR_SURFACELOST) {
            restoreSurfaces();
        } else if (result == DDERR_WRONGMODE) {
            releaseObjects();
            if (!createObjects(w)) return false;
            flashTaskbarButton(w);
        } else {
            return false;
        }
    }
    return false;
}

void blitToWindow(WindowLayer& w) {
    RECT target{};
    GetClientRect(w.window, &target);
    MapWindowPoints(w.window, nullptr, reinterpret_cast<POINT*>(&target), 2);
    for (int attempt = 0; attempt < SurfaceRetries; ++attempt) {
        const HRESULT result =
            dx.primary->Blt(&target, dx.offscreen.get(), nullptr, DDBLT_WAIT, nullptr);
        if (result != DDERR_SURFACELOST) return;
        restoreSurfaces();
    }
}

void directXPresent(WindowLayer& w) {
    // A program waiting for the vertical blank is let finish first.
    if (dx.vsyncDone) WaitForSingleObject(dx.vsyncDone.get(), VsyncWaitMilliseconds);
    Screen& screen = *w.screen;
    const bool windowed = !(w.flags & FullScreen);
    if (w.window == nullptr || !dx.offscreen || !(w.mouse.active || windowed)) return;
    // Pixels are shown directly; the palette only matters to indexed screens.
    w.paletteChanged = false;

    const auto rows =
        static_cast<std::int32_t>(std::min<std::ptrdiff_t>(w.height, std::ssize(screen.dirtyRows)));
    const bool anyMarked = std::any_of(screen.dirtyRows.begin(), screen.dirtyRows.begin() + rows,
                                       [](std::uint8_t b) { return b != 0; });
    const std::size_t rowBytes = static_cast<std::size_t>(w.width) * 4;
    if (dx.shown.size() != rowBytes * static_cast<std::size_t>(w.height)) {
        // The surface holds nothing known: every row is converted. Without
        // the memory for that the rows stay marked for a later pass.
        if (!runtime::tryAllocate([&] {
                dx.shown.assign(rowBytes * static_cast<std::size_t>(w.height), 0);
                dx.runs.reserve(static_cast<std::size_t>(rows + 1) / 2);
            })) {
            dx.shown.clear();
            return;
        }
        dx.runs.assign(1, RowRun{0, rows});
    } else if (anyMarked) {
        // Locking and converting costs as much as a changed frame, so a pass
        // whose marked rows all equal what the surface holds does neither.
        findChangedRows(RowSpan{screen.visiblePixels, screen.pitch},
                        RowSpan{dx.shown.data(), static_cast<std::ptrdiff_t>(rowBytes)}, rowBytes,
                        screen.dirtyRows.data(), rows, dx.runs);
    } else {
        dx.runs.clear();
    }
    if (!dx.runs.empty()) {
        DDSURFACEDESC desc{};
        if (!lockOffscreen(w, desc)) {
            dx.shown.clear();
            return;
        }
        auto* target = static_cast<std::uint8_t*>(desc.lpSurface);
        for (const RowRun& run : dx.runs) {
            for (std::int32_t row = run.first; row < run.first + run.count; ++row) {
                const std::uint8_t* frame =
                    screen.visiblePixels + static_cast<std::ptrdiff_t>(row) * screen.pitch;
                dx.convert(frame, target + static_cast<std::ptrdiff_t>(row) * desc.lPitch, w.width);
                std::memcpy(dx.shown.data() + static_cast<std::size_t>(row) * rowBytes, frame,
                            rowBytes);
            }
        }
        dx.offscreen->Unlock(nullptr);
        dx.pendingBlit = true;
    }
    std::fill(screen.dirtyRows.begin(), screen.dirtyRows.end(), std::uint8_t{0});
    // Blitted also when nothing changed since a blit that found the surface lost.
    if (dx.pendingBlit && dx.primary) {
        blitToWindow(w);
        dx.pendingBlit = false;
    }
}

void directXPaint(WindowLayer& w, HDC) {
    // The window needs the surface again even when no row changed.
    markAllRows(w);
    dx.pendingBlit = true;
    directXPresent(w);
}

void directXRefreshKeyState(WindowLayer& w) {
    if (!dx.keyboard) return;
    KeyboardState device{};
    HRESULT result = dx.keyboard->GetDeviceState(static_cast<DWORD>(device.size()), device.data());
    if (result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED) {
        dx.keyboard->Acquire();
        result = dx.keyboard->GetDeviceState(static_cast<DWORD>(device.size()), device.data());
    }
    if (SUCCEEDED(result)) keyStateFromDirectInput(device, w.screen->keyState);
}

const WindowBackEnd directXBackEnd{directXCreateWindow, directXDestroyWindow, directXPresent,
                                   directXPaint, directXRefreshKeyState};

int directXInit(const char* title, std::int32_t width, std::int32_t height, std::int32_t depth,
                std::int32_t refresh, std::int32_t flags) {
    if (flags & (OpenGLScreen | ShapedWindow)) return -1;
    // The outer corner sits where the client area would be centred.
    dx.windowPosition = POINT{(GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                              (GetSystemMetrics(SM_CYSCREEN) - height) / 2};
    dx.vsyncDone = UniqueHandle(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    return startLayer(directXBackEnd, title, width, height, depth, refresh, flags);
}

void directXExit() {
    stopLayer();
    dx.vsyncDone.reset();
    dx.ddraw.reset();
    dx.dinput.reset();
}

void directXWaitVsync() {
    WindowLayer& w = layer();
    if (!w.running.load() || !dx.vsyncDone) return;
    // The window thread makes the DirectDraw object anew only under the lock:
    // a reference of our own keeps it alive through the wait, which runs
    // without the lock.
    w.lock->lock();
    IDirectDraw2* directDraw = dx.directDraw.get();
    if (directDraw != nullptr) directDraw->AddRef();
    w.lock->unlock();
    ResetEvent(dx.vsyncDone.get());
    const bool waited = directDraw != nullptr &&
                        SUCCEEDED(directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr));
    SetEvent(dx.vsyncDone.get());
    if (directDraw != nullptr) directDraw->Release();
    if (!waited) Sleep(16);
}

}  // namespace
}  // namespace gfx::win32

namespace gfx {

const DisplayDriver& directXDriver() {
    static const DisplayDriver driver = [] {
        DisplayDriver d = win32::sharedSlots("DirectX");
        d.init = win32::directXInit;
        d.exit = win32::directXExit;
        d.waitVsync = win32::directXWaitVsync;
        return d;
    }();
    return driver;
}

}  // namespace gfx

// The "GDI" window back end: device-independent bitmap transfers of the
// changed rows into the shared window layer's window.

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gfx/drivers/row_diff.hpp"
#include "gfx/drivers/win32_dib_rows.hpp"
#include "gfx/drivers/win32_driver.hpp"
#include "gfx/drivers/win32_window.hpp"
#include "runtime/try_allocate.hpp"

namespace gfx::win32 {
namespace {

struct BitmapDescription {
    BITMAPINFOHEADER header{};
    RGBQUAD colors[256]{};
};

struct LogicalPalette {
    WORD version = 0x300;
    WORD entries = 256;
    PALETTEENTRY colors[256]{};
};

struct GdiState {
    BitmapDescription bitmap;
    DibRows rows;
    std::vector<std::uint8_t> converted;
    HPALETTE palette = nullptr;
    bool displayChanged = false;
};

GdiState gdi;

// Changes the remembered monitor's mode, or the primary one's; nullptr
// restores the mode the desktop keeps in the registry.
LONG changeDisplayMode(WindowLayer& w, DEVMODEA* mode) {
    const DWORD flags = mode != nullptr ? CDS_FULLSCREEN : 0;
    const std::string device = monitorDeviceName(w);
    if (w.functions.changeDisplaySettingsExA != nullptr && !device.empty()) {
        return w.functions.changeDisplaySettingsExA(device.c_str(), mode, nullptr, flags, nullptr);
    }
    return ChangeDisplaySettingsA(mode, flags);
}

bool enterDisplayMode(WindowLayer& w) {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    mode.dmPelsWidth = static_cast<DWORD>(w.width);
    mode.dmPelsHeight = static_cast<DWORD>(w.height);
    mode.dmBitsPerPel = static_cast<DWORD>(w.depth);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    if (w.refresh > 0) {
        mode.dmDisplayFrequency = static_cast<DWORD>(w.refresh);
        mode.dmFields |= DM_DISPLAYFREQUENCY;
    }
    return changeDisplayMode(w, &mode) == DISP_CHANGE_SUCCESSFUL;
}

void describeBitmap(WindowLayer& w) {
    gdi.bitmap = BitmapDescription{};
    BITMAPINFOHEADER& header = gdi.bitmap.header;
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = w.width;
    header.biHeight = -w.height;  // rows top-down, as in the frame buffer
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(gdi.rows.bitsPerPixel);
    header.biCompression = BI_RGB;
    header.biClrUsed = 256;
}

void copyPaletteInto(WindowLayer& w, LogicalPalette& logical) {
    for (std::size_t i = 0; i < 256; ++i) {
        const PaletteEntry& entry = w.palette[i];
        gdi.bitmap.colors[i] = RGBQUAD{entry.blue, entry.green, entry.red, 0};
        logical.colors[i] = PALETTEENTRY{entry.red, entry.green, entry.blue, entry.flags};
    }
}

void createPalette(WindowLayer& w) {
    LogicalPalette logical;
    copyPaletteInto(w, logical);
    gdi.palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical));
}

void updatePalette(WindowLayer& w, HDC dc) {
    if (!w.paletteChanged || gdi.palette == nullptr) return;
    LogicalPalette logical;
    copyPaletteInto(w, logical);
    SetPaletteEntries(gdi.palette, 0, 256, logical.colors);
    SelectPalette(dc, gdi.palette, FALSE);
    RealizePalette(dc);
    w.paletteChanged = false;
}

// Sends rows first to last; the band is described as a bitmap of its own,
// which keeps the transfer's row arithmetic plain.
void transferRows(WindowLayer& w, HDC dc, std::int32_t first, std::int32_t last) {
    const std::int32_t count = last - first + 1;
    const Screen& screen = *w.screen;
    const std::uint8_t* source = screen.visiblePixels + static_cast<std::size_t>(first) *
                                                            static_cast<std::size_t>(screen.pitch);
    if (gdi.rows.convert != nullptr) {
        for (std::int32_t row = 0; row < count; ++row) {
            gdi.rows.convert(source + static_cast<std::size_t>(row) * screen.pitch,
                             gdi.converted.data() + static_cast<std::size_t>(row) * gdi.rows.stride,
                             w.width);
        }
        source = gdi.converted.data();
    }
    gdi.bitmap.header.biHeight = -count;
    SetDIBitsToDevice(dc, 0, first, static_cast<DWORD>(w.width), static_cast<DWORD>(count), 0, 0, 0,
                      static_cast<UINT>(count), source, reinterpret_cast<BITMAPINFO*>(&gdi.bitmap),
                      DIB_RGB_COLORS);
    if (w.version < 0x0500) {
        RECT band{0, first, w.width, last + 1};
        InvalidateRect(w.window, &band, FALSE);
    }
}

int gdiCreateWindow(WindowLayer& w) {
    if (w.flags & FullScreen) {
        if (!enterDisplayMode(w)) return -1;
        gdi.displayChanged = true;
    }
    if (createLayerWindow(w, nullptr) == nullptr) return -1;

    gdi.rows = chooseDibRows(w.screen->depth, w.width);
    if (gdi.rows.bitsPerPixel == 0) return -1;
    describeBitmap(w);
    // Room for the whole page: a paint message converts every row.
    if (gdi.rows.convert != nullptr && !runtime::tryAllocate([&] {
            gdi.converted.assign(static_cast<std::size_t>(gdi.rows.stride) * w.height, 0);
        })) {
        return -1;
    }

    HDC dc = GetDC(w.window);
    w.screen->refreshRate = dc != nullptr ? GetDeviceCaps(dc, VREFRESH) : 0;
    if (w.screen->refreshRate <= 1) w.screen->refreshRate = 0;
    if (dc != nullptr) ReleaseDC(w.window, dc);
    createPalette(w);
    w.paletteChanged = true;
    return 0;
}

void gdiDestroyWindow(WindowLayer& w) {
    gdi.converted = {};
    gdi.rows = DibRows{};
    if (gdi.displayChanged) {
        changeDisplayMode(w, nullptr);
        gdi.displayChanged = false;
    }
    if (w.window != nullptr) DestroyWindow(w.window);
    w.window = nullptr;
    if (gdi.palette != nullptr) DeleteObject(gdi.palette);
    gdi.palette = nullptr;
}

void gdiPresent(WindowLayer& w) {
    Screen& screen = *w.screen;
    HDC dc = w.window != nullptr ? GetDC(w.window) : nullptr;
    if (dc == nullptr) return;
    updatePalette(w, dc);
    const RowRun marked = markedSpan(
        screen.dirtyRows.data(),
        static_cast<std::int32_t>(std::min<std::size_t>(w.height, screen.dirtyRows.size())));
    if (marked.count > 0) transferRows(w, dc, marked.first, marked.first + marked.count - 1);
    ReleaseDC(w.window, dc);
    std::fill(screen.dirtyRows.begin(), screen.dirtyRows.end(), std::uint8_t{0});
}

void gdiPaint(WindowLayer& w, HDC dc) {
    updatePalette(w, dc);
    transferRows(w, dc, 0, w.height - 1);
}

// The key state comes from the system keyboard, the layer's default.
const WindowBackEnd gdiBackEnd{gdiCreateWindow, gdiDestroyWindow, gdiPresent, gdiPaint};

int gdiInit(const char* title, std::int32_t width, std::int32_t height, std::int32_t depth,
            std::int32_t refresh, std::int32_t flags) {
    if (flags & OpenGLScreen) return -1;
    return startLayer(gdiBackEnd, title, width, height, depth, refresh, flags);
}

}  // namespace

}  // namespace gfx::win32

namespace gfx {

const DisplayDriver& gdiDriver() {
    static const DisplayDriver driver = [] {
        DisplayDriver d = win32::sharedSlots("GDI");
        d.init = win32::gdiInit;
        return d;
    }();
    return driver;
}

}  // namespace gfx

#pragma once
// The one screen of the runtime: frame-buffer pages, changed-row table, the
// nested lock shared with the display back end, key ring and event queue.

#include <array>
#include <cstdint>
#include <optional>
#include <semaphore>
#include <string_view>
#include <vector>

#include "gfx/aligned_block.hpp"
#include "gfx/color.hpp"
#include "gfx/driver.hpp"

namespace gfx {

// Flags of openScreen.
enum ScreenFlags : std::int32_t {
    FullScreen = 1,
    OpenGLScreen = 2,
    NoSwitch = 4,
    NoFrame = 8,
    ShapedWindow = 16,
    AlwaysOnTop = 32,
    AlphaPrimitives = 64,
    HighPriority = 128,
};
// flags == NoDriver takes the Null driver without trying any other.
inline constexpr std::int32_t NoDriver = -1;

// Bits of Screen::flags.
inline constexpr std::uint32_t ScreenAlphaBit = 1u << 3;
inline constexpr std::uint32_t ScreenHighPriorityBit = 1u << 5;
inline constexpr std::uint32_t ScreenFastRoutinesBit = 1u << 24;
inline constexpr std::uint32_t ScreenOpenGLBit = 1u << 29;

// Modes of clearScreen.
inline constexpr std::int32_t ClearDefault = static_cast<std::int32_t>(0xFFFF0000u);
inline constexpr std::int32_t ClearWhole = 0;
inline constexpr std::int32_t ClearClip = 1;
inline constexpr std::int32_t ClearText = 2;

struct TextCell {
    std::uint32_t character = ' ';
    Color fore = 0;
    Color back = 0;
};

// Types of the records in Screen::eventQueue.
enum EventType : std::int32_t {
    EventKeyPress = 1,
    EventKeyRelease = 2,
    EventKeyRepeat = 3,
    EventMouseMove = 4,
    EventButtonPress = 5,
    EventButtonRelease = 6,
    EventDoubleClick = 7,
    EventWheel = 8,
    EventMouseEnter = 9,
    EventMouseExit = 10,
    EventFocusGained = 11,
    EventFocusLost = 12,
    EventWindowClose = 13,
    EventHorizontalWheel = 14,
};

struct InputEvent {
    std::int32_t type = 0;
    std::int32_t values[4] = {0, 0, 0, 0};
};

// The key ring: 16 slots, empty when both indexes are equal, so at most 15
// unread codes. Written by the window thread under the driver lock.
struct KeyRing {
    std::array<std::int32_t, 16> codes{};
    std::int32_t writeIndex = 0;
    std::int32_t readIndex = 0;
    bool keyPosted = false;
};

// A ring of 128 input events with a semaphore of its own (maximum count 1).
struct EventQueue {
    std::array<InputEvent, 128> events{};
    std::int32_t readIndex = 0;
    std::int32_t writeIndex = 0;
    std::binary_semaphore guard{1};
};

// The built-in font a screen draws its text with.
struct FontInfo {
    std::int32_t glyphWidth = 8;
    std::int32_t glyphHeight = 8;
    const std::uint8_t* glyphs = nullptr;  // glyphHeight bytes per glyph, bit 0 leftmost
};

struct Screen {
    std::int32_t screenId = 0;
    std::int32_t mode = -1;
    std::vector<std::uint8_t*> pages;  // first pixel of each page, 16-byte aligned
    std::int32_t pageCount = 1;
    std::int32_t visiblePage = 0;
    std::uint8_t* visiblePixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t depth = 0;  // normalised: 1, 2, 4, 8, 16 or 32
    std::int32_t bytesPerPixel = 0;
    std::int32_t pitch = 0;                         // bytesPerPixel * width: rows have no padding
    std::array<std::uint32_t, 256> palette{};       // 0x00BBGGRR by index
    std::array<std::uint32_t, 256> shownPalette{};  // what setPalette was handed
    std::array<std::uint8_t, 16> attributeMap{};
    std::vector<std::uint8_t> dirtyRows;  // height * scanlineFactor bytes
    const DisplayDriver* driver = nullptr;
    std::uint32_t colorMask = 0;
    std::int32_t scanlineFactor = 1;
    FontInfo font;
    std::int32_t textColumns = 0;
    std::int32_t textRows = 0;
    float aspect = 1.0f;
    std::array<std::uint8_t, 128> keyState{};  // 1 while the key with that scan code is down
    std::int32_t refreshRate = 0;
    // One per page, textColumns cells per row; read and written through
    // textGrid (gfx/screen/text_grid.hpp), which first writes out the rows a clear
    // reset.
    std::vector<std::vector<TextCell>> textGrids;
    // Per page and row, the blank a clear left for the row's cells.
    std::vector<std::vector<std::optional<TextCell>>> textRowBlanks;
    EventQueue eventQueue;
    std::uint32_t flags = 0;
    std::int32_t lockCount = 0;
    KeyRing keys;

    // Owners of the page memory behind `pages`.
    std::vector<AlignedBlock> pageBlocks;
};

// Opens the one screen (closing any open one first). 0 Ok, 1 BadCall; the same
// code becomes the calling thread's last error.
std::int32_t openScreen(std::int32_t width, std::int32_t height, std::int32_t depth,
                        std::int32_t pages, std::int32_t flags, std::int32_t refresh);
// Stops the back end and frees everything the screen owns. Registered to run
// at process exit by the first successful openScreen.
void closeScreen();
void setWindowTitle(std::string_view title);
// The title the next window gets, or has.
const char* windowTitle();
// Forgets the title, so the next openScreen takes the program's file name.
void forgetWindowTitle();

void lockScreen();
// Negative firstRow means 0, negative lastRow means height - 1.
void unlockScreen(std::int32_t firstRow, std::int32_t lastRow);
void clearScreen(std::int32_t mode);
// Shapes drawn while the program holds the lock reach the pages, and mark
// their rows, by its outer unlockScreen at the latest.

// Pixels written into the pages other than through the drawing calls are
// announced here, under the lock: a back end that skips rows it knows to be
// unchanged then compares them again, and a frame that repeats the last one
// is drawn again.
void notePagesWritten();
// Changes whenever the pages may have been written. A back end that compared
// every row with what it shows keeps it: while it stays the same, under the
// lock, no pixel changed since.
std::uint64_t pagesVersion();

// The open screen, or nullptr; during openScreen it is the screen being
// opened, so a driver's init can see it.
Screen* activeScreen();

// Driver choice: a name preset by the program wins over LETTERMOOR_DRIVER.
// nullptr or "" clears the preset.
void presetDriverName(const char* name);
// The back ends openScreen tries, in order. Tests replace them; an empty list
// restores the platform's own list.
void setDriverCandidates(std::vector<const DisplayDriver*> candidates);
std::vector<const DisplayDriver*> driverCandidates();

}  // namespace gfx

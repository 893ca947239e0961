#include <array>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "gfx/font.hpp"
#include "gfx/line.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/draw_target.hpp"
#include "gfx/screen/text_grid.hpp"
#include "gfx/text.hpp"
#include "gfx/window_icon.hpp"
#include "runtime/last_error.hpp"
#include "tests/gfx/recording_driver.hpp"
#include "tests/gfx/screen_pixels.hpp"

namespace {

using namespace gfx;
using namespace gfxtest;
using Log = std::vector<std::string>;
using ScreenTest = RecordingScreenTest;
using OpenScreenTest = OpenRecordingScreenTest<50, 40>;

TEST_F(ScreenTest, GameScreenOpensWithOnePageOfBlackAndBadArgumentsChangeNothing) {
    runtime::setLastError(runtime::ResultCode::NoMemory);
    ASSERT_EQ(openScreen(1000, 600, 32, 0, 0, 0), 0);
    EXPECT_EQ(runtime::lastError(), runtime::ResultCode::Ok);
    // The driver's init already sees the screen being opened.
    EXPECT_TRUE(Rec::sawOpeningScreen);
    const Screen* screen = activeScreen();
    ASSERT_EQ(screen->pages.size(), 1u);
    EXPECT_EQ(std::tuple(reinterpret_cast<std::uintptr_t>(screen->pages[0]) % 16,
                         screen->visiblePixels == screen->pages[0], dirtyRowRanges(),
                         Rec::paletteCalls, screen->flags),
              std::tuple(0u, true, "0-599", 256, ScreenFastRoutinesBit));
    driverLog().clear();
    // The last one's row overflows the 32-bit pitch.
    for (auto args : {std::array{1000, 600, 12}, std::array{100, 60, 33}, std::array{0, 60, 32},
                      std::array{100, 0, 32}, std::array{1 << 30, 60, 32}}) {
        runtime::setLastError(runtime::ResultCode::Ok);
        EXPECT_EQ(openScreen(args[0], args[1], args[2], 0, 0, 0), 1);
        EXPECT_EQ(runtime::lastError(), runtime::ResultCode::BadCall);
    }
    EXPECT_EQ(std::tuple(activeScreen(), driverLog()), std::tuple(screen, Log{}));
}

// One depth per branch; the rest of each branch shares its code. Each open
// starts the draw target afresh, whatever the screen before left in it.
TEST_F(ScreenTest, DepthsAreNormalisedAndReopeningResetsTheDrawTarget) {
    struct Case {
        std::int32_t requested, depth, bytesPerPixel;
        std::uint32_t colorMask, foreColor, backColor;
    };
    const Case cases[] = {
        {1, 1, 1, 1, 1, 0},
        {8, 8, 1, 255, 15, 0},
        {15, 16, 2, 0xFFFF, 0xFFFF, 0},
        {24, 32, 4, 0xFFFFFFFF, 0xFFFFFFFF, Black},
    };
    constexpr Color Ink = 0xABCD1201u;
    std::int32_t lastId = -1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.requested);
        DrawTarget& context = drawTarget();
        context.penPosition = PenPosition{4.0f, 5.0f};
        context.clipRect = ClipRect{1, 1, 2, 2};
        ASSERT_EQ(openScreen(20, 10, c.requested, 2, 0, 0), 0);
        const Screen& screen = *activeScreen();
        EXPECT_EQ(screen.screenId, lastId < 0 ? screen.screenId : lastId + 1);
        lastId = screen.screenId;
        EXPECT_EQ(std::tuple(screen.depth, screen.bytesPerPixel, screen.pitch, screen.colorMask,
                             screen.pageCount),
                  std::tuple(c.depth, c.bytesPerPixel, 20 * c.bytesPerPixel, c.colorMask, 2));
        EXPECT_EQ(std::tuple(context.screenId, context.foreColor, context.backColor,
                             context.penPosition.x, context.penPosition.y, context.clipRect.width,
                             context.clipRect.height),
                  std::tuple(lastId, c.foreColor, c.backColor, 0.0f, 0.0f, 20, 10));
        // A line stores as many of the colour's low bytes as a pixel has.
        drawLine(nullptr, -5, 3, 25, 3, Ink, Line, 0xFFFF, 0);
        drawLine(nullptr, 2, -5, 2, 25, Ink, Line, 0xFFFF, 0);
        // So does a glyph, which these depths store pixel by pixel.
        drawText(nullptr, 8, 4, 0, "A", Ink);
        for (std::uint8_t* page : screen.pages) {
            for (std::int32_t i = 0; i < screen.pitch * screen.height; ++i) {
                const std::int32_t x = i % screen.pitch / c.bytesPerPixel, y = i / screen.pitch;
                const bool glyph = x >= 8 && x < 16 && y >= 4 &&
                                   (BuiltinFont['A' * 8 + y - 4] >> (x - 8) & 1) != 0;
                const Color want =
                    page == screen.pages[0] && (x == 2 || y == 3 || glyph) ? Ink : c.backColor;
                ASSERT_EQ(page[i], (want >> (8 * (i % c.bytesPerPixel))) & 0xFFu) << x << "," << y;
            }
        }
    }
}

TEST_F(ScreenTest, TitleAndFlagsReachTheDriver) {
    forgetWindowTitle();  // the program's name instead
    ASSERT_EQ(openScreen(16, 16, 8, 0, ShapedWindow, 0), 0);
    EXPECT_EQ(driverLog().front(), "Rec:init(gfx_tests,16,16,8,0,28)");
    ASSERT_EQ(openScreen(16, 16, 8, 0, AlphaPrimitives | OpenGLScreen | HighPriority, 75), 0);
    EXPECT_EQ(activeScreen()->depth, 16);  // an OpenGL screen has at least 16 bits
    EXPECT_EQ(activeScreen()->flags,
              ScreenAlphaBit | ScreenOpenGLBit | ScreenHighPriorityBit | ScreenFastRoutinesBit);

    const std::string longTitle(200, 'x');
    setWindowTitle(longTitle);
    ASSERT_EQ(openScreen(8, 8, 32, 0, 0, 0), 0);
    EXPECT_EQ(std::string(windowTitle()), longTitle.substr(0, 127));
}

TEST_F(OpenScreenTest, NestedLocksTakeTheDriverLockOnceMarkTheRowsGivenAndCloseReleasesThem) {
    Screen& screen = *activeScreen();
    lockScreen();
    lockScreen();
    setWindowTitle("Two");  // the title goes to the driver outside its lock
    EXPECT_EQ(screen.lockCount, 2);
    unlockScreen(10, 5);  // a first row after the last marks nothing
    EXPECT_EQ(std::pair(screen.lockCount, driverLog().size()), std::pair(1, std::size_t{4}));
    unlockScreen(0, 40);  // a last row of height or more is not clamped
    EXPECT_EQ(dirtyRowRanges(), "");
    EXPECT_EQ(driverLog(),
              (Log{"Rec:lock", "Rec:unlock", "Rec:setTitle(Two)", "Rec:lock", "Rec:unlock"}));

    lockScreen();
    unlockScreen(-1, -1);
    EXPECT_EQ(dirtyRowRanges(), "0-39");

    // Unlocking at count zero marks but calls nothing.
    clearDirtyRows();
    driverLog().clear();
    unlockScreen(3, 7);
    EXPECT_EQ(std::tuple(screen.lockCount, driverLog(), dirtyRowRanges()),
              std::tuple(0, Log{}, "3-7"));

    // Closing releases a lock still held and exits the driver once, and drops
    // the shapes drawn under it; without a screen, locks and clears do nothing.
    lockScreen();
    drawLine(nullptr, 0, 0, 50, 40, White, FilledBox, 0xFFFF, 0);
    driverLog().clear();
    closeScreen();
    closeScreen();
    lockScreen();
    unlockScreen(-1, -1);
    clearScreen(ClearDefault);
    EXPECT_EQ(activeScreen(), nullptr);
    EXPECT_EQ(driverLog(), (Log{"Rec:unlock", "Rec:exit"}));
    ASSERT_EQ(openScreen(50, 40, 32, 0, 0, 0), 0);
    lockScreen();
    unlockScreen(-1, -1);
    EXPECT_NE(screenPixel(0, 0), White);
}

// Unnamed, every driver is tried twice a pass; a name in the environment or
// preset is tried first, the preset before the environment; "null" or the
// no-driver flag take the null back end.
TEST_F(ScreenTest, DriverChoiceOrderAndRefusals) {
    setDriverCandidates({&Alpha::driver(), &Beta::driver()});
    setWindowTitle("T");
    Alpha::refusalsLeft = 100;
    Beta::refusalsLeft = 2;
    ASSERT_EQ(openScreen(10, 10, 32, 0, 0, 60), 0);
    EXPECT_EQ(activeScreen()->driver, &Beta::driver());
    EXPECT_EQ(
        driverLog(),
        (Log{"Alpha:init(T,10,10,32,60,0)", "Alpha:exit", "Alpha:init(T,10,10,32,0,0)",
             "Alpha:exit", "Beta:init(T,10,10,32,60,0)", "Beta:exit", "Beta:init(T,10,10,32,0,0)",
             "Beta:exit", "Alpha:init(T,10,10,32,60,1)", "Alpha:exit", "Alpha:init(T,10,10,32,0,1)",
             "Alpha:exit", "Beta:init(T,10,10,32,60,1)", "Beta:lock", "Beta:unlock"}));

    // No driver accepting leaves no screen: the old screen's exit, then the
    // named driver and the whole list; every refused init is undone.
    Beta::refusalsLeft = 100;
    presetDriverName("beta");
    driverLog().clear();
    EXPECT_EQ(openScreen(10, 10, 32, 0, 1, 0), 1);
    EXPECT_EQ(runtime::lastError(), runtime::ResultCode::BadCall);
    EXPECT_EQ(activeScreen(), nullptr);
    EXPECT_EQ(std::tuple(driverLog().front(), countInLog("Beta:init(T,10,10,32,0,1)"),
                         countInLog("Alpha:init(T,10,10,32,0,1)"),
                         countInLog("Beta:exit") + countInLog("Alpha:exit")),
              std::tuple("Beta:exit", 4, 2, 1 + 12));

    Alpha::refusalsLeft = 0;
    Beta::refusalsLeft = 0;
    presetDriverName(nullptr);
    setDriverVariable("BETA");
    driverLog().clear();
    ASSERT_EQ(openScreen(10, 10, 32, 0, 0, 0), 0);
    EXPECT_EQ(driverLog(), (Log{"Beta:init(T,10,10,32,0,0)", "Beta:lock", "Beta:unlock"}));

    presetDriverName("alpha");
    driverLog().clear();
    ASSERT_EQ(openScreen(10, 10, 32, 0, 0, 0), 0);
    EXPECT_EQ(driverLog(),
              (Log{"Beta:exit", "Alpha:init(T,10,10,32,0,0)", "Alpha:lock", "Alpha:unlock"}));

    presetDriverName(nullptr);
    for (const auto& [variable, flags] :
         {std::pair<const char*, std::int32_t>{"NULL", 0}, {nullptr, NoDriver}}) {
        setDriverVariable(variable);
        ASSERT_EQ(openScreen(10, 10, 32, 0, flags, 0), 0);
        EXPECT_EQ(activeScreen()->driver, &nullDriver()) << flags;
    }
}

TEST_F(OpenScreenTest, ClearsFillTheClipRectangleOrTheScreenMarkTheRowsAndBlankTheTextGrid) {
    Screen& screen = *activeScreen();
    fillScreen(0x7F7F7F7Fu);
    drawTarget().clipRect = ClipRect{10, 5, 20, 7};
    clearScreen(ClearDefault);
    EXPECT_TRUE(screenMatches([](auto x, auto y) { return x >= 10 && x < 30 && y >= 5 && y < 12; },
                              Black, 0x7F7F7F7Fu));
    EXPECT_EQ(std::tuple(dirtyRowRanges(), drawTarget().penPosition.x, drawTarget().penPosition.y,
                         driverLog()),
              std::tuple("5-11", 20.0f, 8.0f, Log{"Rec:lock", "Rec:unlock"}));

    textGrid(screen, 0)[7].character = 'Q';
    clearScreen(ClearWhole);
    EXPECT_TRUE(screenMatches([](auto, auto) { return true; }, Black, 0));
    EXPECT_EQ(dirtyRowRanges(), "0-39");
    EXPECT_EQ(textGrid(screen, 0)[7].character, ' ');

    // A clip rectangle reaching past the screen clears only the screen's part.
    fillScreen(0x7F7F7F7Fu);
    clearDirtyRows();
    drawTarget().clipRect = ClipRect{30, -10, 500, 25};
    clearScreen(ClearClip);
    EXPECT_TRUE(
        screenMatches([](auto x, auto y) { return x >= 30 && y < 15; }, Black, 0x7F7F7F7Fu));
    EXPECT_EQ(dirtyRowRanges(), "0-14");

    // A clear notes the blank of each text row; reading the grid writes them out.
    const std::size_t cells = textGrid(screen, 0).size();
    ASSERT_EQ(cells, static_cast<std::size_t>(screen.textColumns * screen.textRows));
    for (TextCell& cell : textGrid(screen, 0)) cell.character = 'Q';

    DrawTarget& context = drawTarget();
    context.foreColor = 0xFF010203u;
    context.backColor = 0xFF040506u;
    clearScreen(ClearText);
    EXPECT_TRUE(screenMatches([](auto, auto) { return true; }, 0xFF040506u, 0));
    EXPECT_EQ(dirtyRowRanges(), "0-39");
    context.foreColor = White;
    for (const TextCell& cell : textGrid(screen, 0)) {
        ASSERT_EQ(std::tuple(cell.character, cell.fore, cell.back),
                  std::tuple(' ', 0xFF010203u, 0xFF040506u));
    }

    // Written after the clear, kept: the clear is not carried out twice, and a
    // clip clear leaves the grid alone.
    textGrid(screen, 0)[cells - 1].character = 'Z';
    clearScreen(ClearClip);
    EXPECT_EQ(textGrid(screen, 0)[cells - 1].character, 'Z');
    EXPECT_EQ(textGrid(screen, 0)[0].character, ' ');
}

// Every size in order reaches the window in tests/x11 (x11_window_test).
TEST(WindowIcon, KeepsCopiesRefusesMalformedSizesWholeAndAnEmptyListClearsIt) {
    std::vector<std::uint32_t> wide(3, 0xFF112233u);
    const IconImage sizes[] = {{wide.data(), 3, 1}};
    ASSERT_TRUE(setWindowIcon(sizes));
    wide.assign(wide.size(), 0);  // the runtime must not point into the caller's pixels
    ASSERT_EQ(windowIcon().size(), 1u);
    EXPECT_EQ(std::pair(windowIcon()[0].width, windowIcon()[0].height), std::pair(3, 1));
    EXPECT_EQ(windowIcon()[0].argb, std::vector<std::uint32_t>(3, 0xFF112233u));

    const std::vector<std::uint32_t> pixels(std::size_t{1025} * 2, 0xFFFFFFFFu);
    const IconImage good = {pixels.data(), 1024, 2};  // the largest side allowed
    for (const IconImage bad :
         {IconImage{nullptr, 1, 1}, IconImage{pixels.data(), 0, 1}, IconImage{pixels.data(), 1, -1},
          IconImage{pixels.data(), 1025, 1}, IconImage{pixels.data(), 1, 1025}}) {
        const IconImage list[] = {good, bad};  // the good size must not be kept alone
        EXPECT_FALSE(setWindowIcon(list)) << bad.width << "x" << bad.height;
        ASSERT_EQ(windowIcon().size(), 1u);
        EXPECT_EQ(windowIcon()[0].width, 3);  // the icon before stays
    }
    EXPECT_TRUE(setWindowIcon({&good, 1}));
    ASSERT_TRUE(setWindowIcon({}));
    EXPECT_TRUE(windowIcon().empty());
}

}  // namespace

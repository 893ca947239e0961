// The real lettermoor binary on a private X server, played from outside:
// its window is read pixel by pixel and driven with synthetic input.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <set>

#include "tests/x11/game_session.hpp"

namespace {

using namespace lettermoor::testing;

// The place of the word belonging to hint label `hint`, read from the screen.
bool placeOfHint(const PuzzlePlayer& player, int hint, WordPlace& place, std::string& word) {
    Frame frame;
    LetterRows rows;
    if (!player.readGrid(frame, rows)) return false;
    for (const WordEntry& entry : testWords()) {
        if (!hintShows(frame, hint, entry.label)) continue;
        const std::vector<WordPlace> places = findWord(rows, entry.word);
        if (places.size() != 1) return false;
        place = places.front();
        word = entry.word;
        return true;
    }
    return false;
}

using GameBlackBox = GameSession;

TEST_F(GameBlackBox, WindowShowsTitleSizeGridAndTheTenDrawableHints) {
    startGame();
    EXPECT_EQ(window().title(), "Lettermoor");
    int width = 0;
    int height = 0;
    ASSERT_TRUE(window().clientSize(width, height));
    EXPECT_EQ(width, 1000);
    EXPECT_EQ(height, 600);

    Frame frame;
    ASSERT_TRUE(window().capture(frame));
    std::set<std::string> shown;
    for (int hint = 0; hint < HintCount; ++hint) {
        for (const WordEntry& entry : testWords()) {
            if (hintShows(frame, hint, entry.label)) shown.insert(entry.word);
        }
        EXPECT_FALSE(hintIsStruck(frame, hint));
    }
    EXPECT_EQ(shown.size(), 10u) << "every hint label shows one of the ten drawable entries";

    const LetterRows rows = readLetters(frame);
    for (const WordEntry& entry : testWords()) {
        EXPECT_EQ(findWord(rows, entry.word).size(), 1u) << entry.word;
    }
    EXPECT_TRUE(findWord(rows, "ZYZZYZ").empty()) << "the last entry is never dealt";
    EXPECT_EQ(frame.at(999, 599), WhitePixel);
}

TEST_F(GameBlackBox, BothEndsOfAWordTurnItGreenAndStrikeItsHintThenEscEnds) {
    startGame();
    WordPlace place;
    std::string word;
    ASSERT_TRUE(placeOfHint(player(), 3, place, word));

    // Last letter first: the order of the two clicks does not matter.
    window().click(cellCentre(place.last.column), cellCentre(place.last.row));
    Frame frame;
    ASSERT_TRUE(
        player().waitForFrame([&](const Frame& f) { return cellIsGreen(f, place.last); }, frame))
        << "the first click marks its cell";
    EXPECT_FALSE(cellIsGreen(frame, place.first));

    window().click(cellCentre(place.first.column), cellCentre(place.first.row));
    ASSERT_TRUE(player().waitForFrame([&](const Frame& f) { return hintIsStruck(f, 3); }, frame))
        << word << " was not found";
    for (int k = 0; k < place.length; ++k) EXPECT_TRUE(cellIsGreen(frame, place.at(k))) << k;
    for (int hint = 0; hint < HintCount; ++hint) {
        if (hint != 3) {
            EXPECT_FALSE(hintIsStruck(frame, hint)) << hint;
        }
    }

    window().tapKey(XK_Escape);
    EXPECT_TRUE(exitedWith(game().waitForExit(5000), 0));
    EXPECT_TRUE(waitFor([&] { return findWindowByName(probe(), "Lettermoor") == None; }));
}

TEST_F(GameBlackBox, PressAndReleaseWithinTwoMillisecondsStillSelectsTheCell) {
    startGame();
    const Cell cell{7, 11};
    for (int holdMicroseconds : {0, 1500}) {
        Frame frame;
        ASSERT_TRUE(window().capture(frame));
        const bool wasGreen = cellIsGreen(frame, cell);
        window().click(cellCentre(cell.column), cellCentre(cell.row), holdMicroseconds);
        // Clicking the pending cell again keeps it pending: both rounds end green.
        EXPECT_TRUE(
            player().waitForFrame([&](const Frame& f) { return cellIsGreen(f, cell); }, frame))
            << "hold " << holdMicroseconds << " us, green before: " << wasGreen;
    }
    // A click elsewhere drops the pending cell again: the click was taken as
    // a selection, not merely drawn.
    window().click(cellCentre(0), cellCentre(19));
    Frame frame;
    EXPECT_TRUE(
        player().waitForFrame([&](const Frame& f) { return !cellIsGreen(f, cell); }, frame));
}

TEST_F(GameBlackBox, CloseBoxEndsTheGameWithStatusZero) {
    startGame();
    window().sendDeleteWindow();
    EXPECT_TRUE(exitedWith(game().waitForExit(5000), 0));
    EXPECT_EQ(game().standardError(), "");
}

TEST_F(GameBlackBox, SolvingEveryWordShowsTheWinPictureOverTheGrid) {
    startGame();
    ASSERT_TRUE(player().solve(testWords()));
    Frame frame;
    ASSERT_TRUE(player().waitForFrame([](const Frame& f) { return f.at(5, 5) == WinColor; }, frame))
        << "no win picture after the tenth word";
    EXPECT_EQ(frame.at(599, 599), WinColor);
    EXPECT_EQ(frame.at(100, 450), WinColor);
    // Through the picture's magenta hole the grid stays visible.
    const std::uint32_t throughHole = frame.at(WinHoleStart + 3, WinHoleStart + 3);
    EXPECT_TRUE(throughHole == WhitePixel || throughHole == GreenPixel || throughHole == BlackPixel)
        << std::hex << throughHole;
    EXPECT_EQ(frame.at(WinHoleStart, WinHoleStart + 1), BlackPixel) << "a cell line at x = 240";
    // The hints beside the grid are not covered.
    EXPECT_EQ(frame.at(990, 300), WhitePixel);
    for (int hint = 0; hint < HintCount; ++hint) EXPECT_TRUE(hintIsStruck(frame, hint)) << hint;
}

}  // namespace

#include "game_fixture.hpp"

#include <fstream>
#include <random>

#include "gfx/color.hpp"
#include "gfx/screen.hpp"
#include "word_test_support.hpp"

namespace testing_support {

std::vector<WordEntry> elevenWords() {
    return {{"APFEL", "Obst vom Baum"},
            {"BIRNE", "auch Obst"},
            {"HAUS", "man wohnt darin"},
            {"KATZE", "miaut"},
            {"HUND", "bellt"},
            {"MOOR", "nasser Boden"},
            {"BUCHSTABE", "Teil eines Worts"},
            {"FENSTER", "Glas in der Wand"},
            {"TISCH", "Moebel mit Beinen"},
            {"LAMPE", "macht Licht"},
            {"ZUGABE", "nie im Raetsel"}};
}

std::string wordFileText(const std::vector<WordEntry>& entries) {
    std::vector<std::string> lines{"ignored", "Tipp:"};
    for (const WordEntry& e : entries) lines.push_back(e.word + ";-" + e.hint);
    return wordtest::scrambledFile(lines);
}

void GameTest::SetUp() {
    // A fresh folder of our own: create_directory refuses one that exists.
    std::random_device entropy;
    do {
        folder_ = std::filesystem::temp_directory_path() /
                  ("lettermoor-game-" + std::to_string(entropy()));
    } while (!std::filesystem::create_directory(folder_));
    previousFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
    // The recording back end: no window, and a mouse each test sets before
    // the frame that reads it.
    gfxtest::Rec::reset();
    gfxtest::driverLog().clear();
    gfx::presetDriverName(nullptr);
    gfx::setDriverCandidates({&gfxtest::Rec::driver()});
}

void GameTest::TearDown() {
    if (game_) game::endGame(*game_);
    game_.reset();
    gfx::closeScreen();
    gfx::setDriverCandidates({});
    std::filesystem::current_path(previousFolder_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void GameTest::writeWords(const std::vector<WordEntry>& entries) {
    std::ofstream(folder_ / "woerter.txt", std::ios::binary) << wordFileText(entries);
}

void GameTest::start(double seed) {
    if (game_) {  // a restart within one test
        game::endGame(*game_);
        gfx::closeScreen();
    }
    game_ = std::make_unique<game::Game>();
    game_->sleep = [](std::int32_t, std::int32_t) {};
    game::startGameWithSeed(*game_, seed);
    ASSERT_NE(gfx::activeScreen(), nullptr);
}

bool GameTest::frameAt(std::int32_t x, std::int32_t y, bool leftDown) {
    gfxtest::Rec::mouse.x = x;
    gfxtest::Rec::mouse.y = y;
    gfxtest::Rec::mouse.buttons = leftDown ? 1 : 0;
    return game::runFrame(*game_);
}

bool GameTest::cellGreen(const game::CellPair& rc) {
    return gfxtest::screenPixel(30 * rc.b + 3, 30 * rc.a + 3) == gfx::Green;
}

bool GameTest::labelStruck(int index) {
    // Hints are far shorter than a full line, so only a strike reaches x = 965.
    return gfxtest::screenPixel(965, 20 + 50 * index + 4) == gfx::Black;
}

std::vector<std::uint32_t> GameTest::framePixels() {
    const gfx::Screen* screen = gfx::activeScreen();
    const auto* first = reinterpret_cast<const std::uint32_t*>(screen->pages[0]);
    return {first, first + std::ptrdiff_t{screen->width} * screen->height};
}

}  // namespace testing_support

#include "game_fixture.hpp"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "game/word_file.hpp"
#include "gfx/screen.hpp"

namespace testing_support {

namespace {

void noSleep(std::int32_t, std::int32_t) {}

std::string scrambled(const std::string& line) {
    std::string out = line;
    for (char& c : out) c = static_cast<char>(game::scrambleByte(static_cast<std::uint8_t>(c)));
    return out;
}

}  // namespace

void writeWordFile(const std::filesystem::path& path, const std::string& prefix,
                   const std::vector<WordEntry>& entries) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << scrambled("ignored") << '\n' << scrambled(prefix) << '\n';
    for (const WordEntry& e : entries) file << scrambled(e.word + ";-" + e.hint) << '\n';
}

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

void GameTest::SetUp() {
    // A fresh folder of our own: create_directory refuses one that exists.
    std::random_device entropy;
    std::filesystem::path folder;
    do {
        folder = std::filesystem::temp_directory_path() /
                 ("lettermoor-game-" + std::to_string(entropy()));
    } while (!std::filesystem::create_directory(folder));
    folder_ = folder.string();
    previousFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
    resetScriptedDriver();
    gfx::presetDriverName(nullptr);
    gfx::setDriverCandidates({&scriptedDriver()});
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

void GameTest::start(double seed) {
    game_ = std::make_unique<game::Game>();
    game_->sleep = noSleep;
    game::startGameWithSeed(*game_, seed);
    ASSERT_NE(gfx::currentScreen(), nullptr);
}

bool GameTest::frameAt(std::int32_t x, std::int32_t y, bool leftDown) {
    mouse().x = x;
    mouse().y = y;
    mouse().buttons = leftDown ? 1 : 0;
    return game::runFrame(*game_);
}

void GameTest::click(std::int32_t x, std::int32_t y) {
    frameAt(x, y, true);
    frameAt(x, y, false);
}

void GameTest::clickCell(const game::CellPair& rc) {
    click(cellX(rc), cellY(rc));
}

void GameTest::findWord(int index, bool lastFirst) {
    const game::PuzzleWord& word = game_->puzzle.words[static_cast<std::size_t>(index)];
    clickCell(lastFirst ? word.last : word.first);
    clickCell(lastFirst ? word.first : word.last);
}

std::uint32_t GameTest::pixel(std::int32_t x, std::int32_t y) {
    const gfx::Screen* screen = gfx::currentScreen();
    std::uint32_t value = 0;
    std::memcpy(&value, screen->pages[0] + y * screen->pitch + x * 4, 4);
    return value;
}

bool GameTest::cellGreen(const game::CellPair& rc) {
    return pixel(30 * rc.b + 3, 30 * rc.a + 3) == gfx::Green;
}

bool GameTest::labelStruck(int index) {
    // Hints are far shorter than a full line, so only a strike reaches x = 965.
    return pixel(965, 20 + 50 * index + 4) == gfx::Black;
}

std::vector<std::uint32_t> GameTest::framePixels() {
    const gfx::Screen* screen = gfx::currentScreen();
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(screen->width * screen->height));
    std::memcpy(pixels.data(), screen->pages[0], pixels.size() * 4);
    return pixels;
}

}  // namespace testing_support

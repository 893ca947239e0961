#pragma once
// Runs the real game on the scripted back end in a temporary working folder,
// frame by frame, and reads the frame buffer back.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "game/game_state.hpp"
#include "tests/gfx/recording_driver.hpp"
#include "tests/gfx/screen_pixels.hpp"

namespace testing_support {

struct WordEntry {
    std::string word;
    std::string hint;
};

// Eleven distinct entries: the first ten are in every puzzle.
std::vector<WordEntry> elevenWords();
// The stored bytes of a word file with these entries.
std::string wordFileText(const std::vector<WordEntry>& entries);

class GameTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path folder() const { return folder_; }
    void writeWords(const std::vector<WordEntry>& entries = elevenWords());
    // (Re)starts in the temporary folder with whatever files the test wrote there.
    void start(double seed = 1234.0);

    // One frame with the pointer at (x, y), left button down or up.
    bool frameAt(std::int32_t x, std::int32_t y, bool leftDown);
    bool frameReleased() { return frameAt(gfxtest::Rec::mouse.x, gfxtest::Rec::mouse.y, false); }
    bool pressCell(const game::CellPair& rc) {
        return frameAt(30 * rc.b + 15, 30 * rc.a + 15, true);
    }
    // Press for one frame, then release for one frame.
    void click(std::int32_t x, std::int32_t y) { frameAt(x, y, true), frameAt(x, y, false); }
    void clickCell(const game::CellPair& rc) { click(30 * rc.b + 15, 30 * rc.a + 15); }
    void findWord(int index) { clickCell(word(index).first), clickCell(word(index).last); }

    // Whether the cell's fill shows green (a pixel inside the outline, off the letter).
    static bool cellGreen(const game::CellPair& rc);
    // Whether hint label `index` shows its strike at the far right of its line.
    static bool labelStruck(int index);
    static std::vector<std::uint32_t> framePixels();

    game::Game& game() { return *game_; }
    const game::PuzzleWord& word(int i) { return game_->puzzle.words[static_cast<std::size_t>(i)]; }

  private:
    std::filesystem::path folder_;
    std::filesystem::path previousFolder_;
    std::unique_ptr<game::Game> game_;
};

}  // namespace testing_support

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
#include "scripted_driver.hpp"

namespace testing_support {

struct WordEntry {
    std::string word;
    std::string hint;
};

// Writes a scrambled word file with the given prefix and entries.
void writeWordFile(const std::filesystem::path& path, const std::string& prefix,
                   const std::vector<WordEntry>& entries);

// Eleven distinct entries: the first ten are in every puzzle.
std::vector<WordEntry> elevenWords();

class GameTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Start-up in the temporary folder with whatever files the test wrote there.
    void start(double seed = 1234.0);
    std::filesystem::path folder() const { return folder_; }

    // One frame with the pointer at (x, y), left button down or up.
    bool frameAt(std::int32_t x, std::int32_t y, bool leftDown);
    bool frameReleased() { return frameAt(mouse().x, mouse().y, false); }
    // Press for one frame, then release for one frame.
    void click(std::int32_t x, std::int32_t y);
    void clickCell(const game::CellPair& rowColumn);
    void findWord(int index, bool lastFirst = false);

    static std::int32_t cellX(const game::CellPair& rc) { return 30 * rc.b + 15; }
    static std::int32_t cellY(const game::CellPair& rc) { return 30 * rc.a + 15; }
    static ScriptedMouse& mouse() { return scriptedMouse(); }

    static std::uint32_t pixel(std::int32_t x, std::int32_t y);
    // Whether the cell's fill shows green (a pixel inside the outline, off the letter).
    static bool cellGreen(const game::CellPair& rowColumn);
    // Whether hint label `index` shows its strike at the far right of its line.
    static bool labelStruck(int index);
    static std::vector<std::uint32_t> framePixels();

    game::Game& game() { return *game_; }

  private:
    std::filesystem::path folder_;
    std::filesystem::path previousFolder_;
    std::unique_ptr<game::Game> game_;
};

}  // namespace testing_support

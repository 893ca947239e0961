#pragma once
// A temporary folder for the game's word file and win picture.

#include <cstdint>
#include <string>

namespace lettermoor::testing {

class RunFolder {
  public:
    RunFolder();
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    bool ready() const { return !path_.empty(); }
    const std::string& path() const { return path_; }

    // Scrambles plain UTF-8 lines the way the game reads them into "woerter.txt".
    bool writeWords(const std::string& plainText) const;
    // A 600x600 "win.bmp" in one colour with a transparent magenta square hole
    // from holeStart to holeEnd (inclusive) on both axes.
    bool writeWinPicture(std::uint32_t color, int holeStart, int holeEnd) const;

  private:
    std::string path_;
};

}  // namespace lettermoor::testing

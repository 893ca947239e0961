#include "tests/x11/run_folder.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "game/word_codec.hpp"

namespace lettermoor::testing {
namespace {

constexpr int PictureSize = 600;

void putLittleEndian(std::vector<char>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

bool writeFile(const std::string& name, const std::vector<char>& bytes) {
    std::ofstream out(name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

RunFolder::RunFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "lettermoor-run-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

RunFolder::~RunFolder() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

bool RunFolder::writeWords(const std::string& plainText) const {
    std::string scrambled;
    game::CodecError error;
    if (!game::encodeWordText(plainText, scrambled, error)) return false;
    return writeFile(path_ + "/woerter.txt", std::vector<char>(scrambled.begin(), scrambled.end()));
}

bool RunFolder::writeWinPicture(std::uint32_t color, int holeStart, int holeEnd) const {
    const std::uint32_t rowBytes = PictureSize * 3;  // already a multiple of 4
    const std::uint32_t pixelBytes = rowBytes * PictureSize;
    std::vector<char> bmp{'B', 'M'};
    putLittleEndian(bmp, 54 + pixelBytes, 4);
    putLittleEndian(bmp, 0, 4);
    putLittleEndian(bmp, 54, 4);
    putLittleEndian(bmp, 40, 4);
    putLittleEndian(bmp, PictureSize, 4);
    putLittleEndian(bmp, PictureSize, 4);  // rows bottom-up
    putLittleEndian(bmp, 1, 2);
    putLittleEndian(bmp, 24, 2);
    for (int i = 0; i < 6; ++i) putLittleEndian(bmp, 0, 4);
    for (int row = PictureSize - 1; row >= 0; --row) {
        for (int x = 0; x < PictureSize; ++x) {
            const bool hole = row >= holeStart && row <= holeEnd && x >= holeStart && x <= holeEnd;
            putLittleEndian(bmp, hole ? 0xFF00FFu : color, 3);  // blue, green, red
        }
    }
    return writeFile(path_ + "/win.bmp", bmp);
}

}  // namespace lettermoor::testing

#include "tests/x11/run_folder.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "game/word_codec.hpp"

namespace lettermoor::testing {
namespace {

bool writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

}  // namespace

RunFolder::RunFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "lettermoor-run-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

RunFolder::~RunFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

bool RunFolder::writeWords(const std::string& plainText) const {
    std::string scrambled;
    game::CodecError error;
    return game::encodeWordText(plainText, scrambled, error) &&
           writeFile(path_ + "/woerter.txt", scrambled);
}

bool RunFolder::writeWinPicture(std::uint32_t color, int holeStart, int holeEnd) const {
    constexpr int Side = 600;  // rows of 1800 bytes need no padding
    std::string bmp;
    const auto put = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) bmp.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    put('B' | 'M' << 8, 2);
    for (std::uint32_t field : {54u + Side * Side * 3, 0u, 54u, 40u, 600u, 600u}) put(field, 4);
    put(1, 2);
    put(24, 2);
    for (int i = 0; i < 6; ++i) put(0, 4);
    for (int row = Side - 1; row >= 0; --row) {  // bottom-up
        for (int x = 0; x < Side; ++x) {
            const bool hole = row >= holeStart && row <= holeEnd && x >= holeStart && x <= holeEnd;
            put(hole ? 0xFF00FFu : color, 3);  // blue, green, red
        }
    }
    return writeFile(path_ + "/win.bmp", bmp);
}

}  // namespace lettermoor::testing

// The build's icon maker: draws lettermoor.svg as PNG files for the icon
// theme and as the pixel tables the game hands to its window.
//
//   icon-maker ICON.svg png SIZE OUT.png
//   icon-maker ICON.svg cpp OUT.cpp SIZE...

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/icon/svg_icon.hpp"

namespace {

void putBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void putChunk(std::vector<std::uint8_t>& out, const char* type,
              const std::vector<std::uint8_t>& data) {
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const auto crc = crc32(0, out.data() + start, static_cast<uInt>(out.size() - start));
    putBigEndian(out, static_cast<std::uint32_t>(crc));
}

// An 8-bit RGBA PNG, rows unfiltered.
bool encodePng(const std::vector<std::uint32_t>& argb, int size, std::vector<std::uint8_t>& out) {
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < size; ++y) {
        rows.push_back(0);
        for (int x = 0; x < size; ++x) {
            const std::uint32_t p = argb[static_cast<std::size_t>(y) * size + x];
            for (int shift : {16, 8, 0, 24}) rows.push_back(static_cast<std::uint8_t>(p >> shift));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()), 9) !=
        Z_OK) {
        return false;
    }
    packed.resize(packedSize);

    std::vector<std::uint8_t> header;
    putBigEndian(header, static_cast<std::uint32_t>(size));
    putBigEndian(header, static_cast<std::uint32_t>(size));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace

    out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", packed);
    putChunk(out, "IEND", {});
    return true;
}

std::string pixelTable(const std::vector<std::uint32_t>& argb, int size) {
    const std::string name = "WindowIcon" + std::to_string(size);
    std::string text = "const std::array<std::uint32_t, std::size_t{" + std::to_string(size) +
                       "} * " + std::to_string(size) + "> " + name + " = {\n";
    char word[16];
    for (std::size_t i = 0; i < argb.size(); ++i) {
        if (i % 8 == 0) text += "   ";
        std::snprintf(word, sizeof word, " 0x%08X,", argb[i]);
        text += word;
        if (i % 8 == 7 || i + 1 == argb.size()) text += "\n";
    }
    return text + "};\n";
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

bool readSize(const char* text, int& size) {
    size = std::atoi(text);
    return size >= 1 && size <= 1024;
}

int usage() {
    std::fputs(
        "usage: icon-maker ICON.svg png SIZE OUT.png\n"
        "       icon-maker ICON.svg cpp OUT.cpp SIZE...\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) return usage();
    std::ifstream in(argv[1], std::ios::binary);
    const std::string svg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    icon::Picture picture;
    std::string error;
    if (!in || !icon::parseSvg(svg, picture, error)) {
        std::fprintf(stderr, "icon-maker: %s: %s\n", argv[1], in ? error.c_str() : "cannot read");
        return 1;
    }
    const std::string mode = argv[2];
    int size = 0;
    if (mode == "png" && argc == 5 && readSize(argv[3], size)) {
        std::vector<std::uint8_t> png;
        if (!encodePng(icon::render(picture, size), size, png) ||
            !writeFile(argv[4], std::string(png.begin(), png.end()))) {
            std::fprintf(stderr, "icon-maker: cannot write %s\n", argv[4]);
            return 1;
        }
        return 0;
    }
    if (mode != "cpp") return usage();
    std::string source =
        "// Drawn from data/icon/lettermoor.svg by the build's icon maker; do not edit.\n"
        "#include \"game/window_icon_pixels.hpp\"\n\nnamespace game {\n\n// clang-format off\n";
    for (int i = 4; i < argc; ++i) {
        if (!readSize(argv[i], size)) return usage();
        source += pixelTable(icon::render(picture, size), size);
    }
    source += "// clang-format on\n\n}  // namespace game\n";
    if (!writeFile(argv[3], source)) {
        std::fprintf(stderr, "icon-maker: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}

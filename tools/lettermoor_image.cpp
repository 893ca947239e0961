// lettermoor-image: loads a picture file the way the game loads its win
// picture and reports what the loader made of it.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "gfx/bmp_header.hpp"
#include "gfx/color.hpp"
#include "gfx/image.hpp"
#include "gfx/screen.hpp"
#include "runtime/standard_streams.hpp"
#include "runtime/version.hpp"

namespace {

constexpr const char* Usage =
    "Usage: lettermoor-image FILE [--size WxH] [--out OUT.pam]\n"
    "\n"
    "Loads the picture FILE the way the game loads win.bmp: into a WxH image\n"
    "filled with the mask colour. Prints the load result and the bitmap's header.\n"
    "\n"
    "Options:\n"
    "  --size WxH     size of the image loaded into (default 600x600)\n"
    "  --out OUT.pam  also write the image's pixels as a PAM file\n"
    "                 (RGB_ALPHA, top row first)\n"
    "  --help         this text\n"
    "  --version      the tool's version\n"
    "\n"
    "Exit status:\n"
    "  0  the picture loaded\n"
    "  1  it did not load, or OUT.pam could not be written\n"
    "  2  bad usage\n";

struct Options {
    std::string file;
    std::string out;
    std::int32_t width = 600;
    std::int32_t height = 600;
};

bool parseSize(std::string_view text, std::int32_t& width, std::int32_t& height) {
    unsigned long w = 0;
    unsigned long h = 0;
    char tail = 0;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%lux%lu%c", &w, &h, &tail) != 2) return false;
    if (w == 0 || h == 0 || w > 65535 || h > 65535) return false;
    width = static_cast<std::int32_t>(w);
    height = static_cast<std::int32_t>(h);
    return true;
}

// 0 parsed, 1 help or version printed, 2 usage error.
int parseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help") {
            std::fputs(Usage, stdout);
            return 1;
        }
        if (arg == "--version") {
            std::printf("lettermoor-image %.*s\n", static_cast<int>(runtime::Version.size()),
                        runtime::Version.data());
            return 1;
        }
        if ((arg == "--size" || arg == "--out") && i + 1 < argc) {
            const std::string_view value = argv[++i];
            if (arg == "--out") {
                options.out = value;
            } else if (!parseSize(value, options.width, options.height)) {
                return 2;
            }
        } else if (!arg.empty() && arg[0] != '-' && options.file.empty()) {
            options.file = arg;
        } else {
            return 2;
        }
    }
    return options.file.empty() ? 2 : 0;
}

const char* compressionName(std::uint32_t compression) {
    switch (compression) {
        case gfx::CompressionNone:
            return "none";
        case gfx::CompressionRle8:
            return "rle8";
        case gfx::CompressionRle4:
            return "rle4";
        default:
            return "bitfields";
    }
}

void printHeader(const std::string& file) {
    gfx::BitmapHeader header;
    const gfx::LoadResult read = gfx::inspectBitmapFile(file.c_str(), header);
    if (read != gfx::LoadResult::Ok) {
        std::printf("header=%s\n", gfx::loadResultName(read));
        return;
    }
    std::printf("size=%dx%d\nbits=%u\ncompression=%s\nheader=%u\nrows=%s\n", header.width,
                header.height, static_cast<unsigned>(header.bitCount),
                compressionName(header.compression), header.headerSize,
                header.topDown ? "top-down" : "bottom-up");
}

bool writePam(const std::string& path, const gfx::ImageBuffer* image) {
    // A raw dump may have replaced the image with one of another depth.
    if (image->bytesPerPixel != 4) return false;
    std::FILE* raw = std::fopen(path.c_str(), "wb");
    if (raw == nullptr) return false;
    std::unique_ptr<std::FILE, gfx::FileCloser> out(raw);
    std::fprintf(raw, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                 image->width, image->height);
    std::string row(static_cast<std::size_t>(image->width) * 4, '\0');
    for (std::int32_t y = 0; y < image->height; ++y) {
        const std::uint8_t* pixels = gfx::imageRow(image, y);
        for (std::int32_t x = 0; x < image->width; ++x) {
            gfx::Color c = 0;
            std::memcpy(&c, pixels + std::ptrdiff_t{4} * x, 4);
            const auto at = static_cast<std::size_t>(x) * 4;
            row[at] = static_cast<char>(c >> 16);
            row[at + 1] = static_cast<char>(c >> 8);
            row[at + 2] = static_cast<char>(c);
            row[at + 3] = static_cast<char>(c >> 24);
        }
        if (std::fwrite(row.data(), 1, row.size(), raw) != row.size()) return false;
    }
    return std::fflush(raw) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    runtime::guardStandardStreams("lettermoor-image", 1);
    Options options;
    const int parsed = parseArguments(argc, argv, options);
    if (parsed == 1) return 0;
    if (parsed == 2) {
        std::fputs(Usage, stderr);
        return 2;
    }
    gfx::presetDriverName("null");
    if (gfx::openScreen(1000, 600, 32, 0, 0, 0) != 0) {
        std::fputs("lettermoor-image: cannot open a screen\n", stderr);
        return 1;
    }
    gfx::ImageHandle image(
        gfx::createImage(options.width, options.height, 0, 0, gfx::NoColorGiven));
    if (!image) {
        std::fputs("lettermoor-image: cannot create the image\n", stderr);
        return 1;
    }
    const gfx::LoadResult result = gfx::loadImage(options.file, image.get(), nullptr);
    std::printf("result=%s\n", gfx::loadResultName(result));
    printHeader(options.file);
    if (!options.out.empty() && !writePam(options.out, image.get())) {
        std::fprintf(stderr, "lettermoor-image: cannot write %s\n", options.out.c_str());
        return 1;
    }
    return result == gfx::LoadResult::Ok ? 0 : 1;
}

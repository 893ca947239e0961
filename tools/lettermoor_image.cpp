// lettermoor-image: loads a picture file the way the game loads its win
// picture and reports what the loader made of it.

#include <cerrno>
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
    "filled with the mask colour. Prints the load result and the bitmap's header\n"
    "as NAME=VALUE lines: result (Ok, CannotOpen, BadFile, NoMemory, BadCall),\n"
    "then size=WxH, bits, compression (none, rle8, rle4, bitfields), header\n"
    "(its size in bytes) and rows (top-down, bottom-up), or header=RESULT when\n"
    "the file has no bitmap header.\n"
    "\n"
    "Options:\n"
    "  --size WxH     size of the image loaded into (default 600x600)\n"
    "  --out OUT.pam  also write the image's pixels as a PAM file\n"
    "                 (RGB_ALPHA, top row first; mask pixels, which the game\n"
    "                 leaves transparent, have alpha 0, all others 255)\n"
    "  --help         this text\n"
    "  --version      the tool's version and licence\n"
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

int usageError(const std::string& message) {
    std::fprintf(stderr, "lettermoor-image: %s\nTry 'lettermoor-image --help'.\n", message.c_str());
    return 2;
}

// 0 parsed, 1 help or version printed, 2 usage error (reported).
int parseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help") {
            std::fputs(Usage, stdout);
            return 1;
        }
        if (arg == "--version") {
            std::fputs(runtime::versionText("lettermoor-image").c_str(), stdout);
            return 1;
        }
        if ((arg == "--size" || arg == "--out") && i + 1 < argc) {
            const std::string_view value = argv[++i];
            if (arg == "--out") {
                options.out = value;
            } else if (!parseSize(value, options.width, options.height)) {
                return usageError("--size needs WxH, each 1 to 65535, not '" + std::string(value) +
                                  "'");
            }
        } else if (arg == "--size" || arg == "--out") {
            return usageError(std::string(arg) + " needs a value");
        } else if (!arg.empty() && arg[0] == '-') {
            return usageError("unknown option '" + std::string(arg) + "'");
        } else if (!options.file.empty()) {
            return usageError("one FILE only, not also '" + std::string(arg) + "'");
        } else {
            options.file = arg;
        }
    }
    return options.file.empty() ? usageError("missing FILE") : 0;
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

// Empty, or why the file could not be written.
std::string writePam(const std::string& path, const gfx::ImageBuffer* image) {
    // A raw dump may have replaced the image with one of another depth.
    if (image->bytesPerPixel != 4) return "the loaded image is not 32-bit";
    std::FILE* raw = std::fopen(path.c_str(), "wb");
    if (raw == nullptr) return std::strerror(errno);
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
            row[at + 3] = static_cast<char>(gfx::isMaskColor(c) ? 0 : 255);
        }
        if (std::fwrite(row.data(), 1, row.size(), raw) != row.size()) return std::strerror(errno);
    }
    return std::fflush(raw) == 0 ? std::string() : std::strerror(errno);
}

// The loader only says CannotOpen; the system knows why.
void reportWhyNotOpened(const std::string& file) {
    errno = 0;
    std::FILE* probe = std::fopen(file.c_str(), "rb");
    const int why = errno;
    if (probe != nullptr) {
        std::fclose(probe);
        return;
    }
    std::fprintf(stderr, "lettermoor-image: cannot open %s: %s\n", file.c_str(),
                 why != 0 ? std::strerror(why) : "unknown reason");
}

}  // namespace

int main(int argc, char** argv) {
    runtime::guardStandardStreams("lettermoor-image", 1);
    Options options;
    const int parsed = parseArguments(argc, argv, options);
    if (parsed == 1) return 0;
    if (parsed == 2) return 2;
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
    if (result == gfx::LoadResult::CannotOpen) reportWhyNotOpened(options.file);
    printHeader(options.file);
    const std::string unwritten = options.out.empty() ? "" : writePam(options.out, image.get());
    if (!unwritten.empty()) {
        std::fprintf(stderr, "lettermoor-image: cannot write %s: %s\n", options.out.c_str(),
                     unwritten.c_str());
        return 1;
    }
    return result == gfx::LoadResult::Ok ? 0 : 1;
}

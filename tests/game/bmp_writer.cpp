#include "bmp_writer.hpp"

#include <fstream>

namespace testing_support {
namespace {

void put(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

bool writeBmp(const std::string& path, std::int32_t width, std::int32_t height,
              const std::vector<std::uint32_t>& pixels, int bitsPerPixel) {
    const int bytesPerPixel = bitsPerPixel / 8;
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width * bytesPerPixel) + 3) / 4 * 4;
    const std::uint32_t dataBytes = rowBytes * static_cast<std::uint32_t>(height);
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put(out, 54 + dataBytes, 4);
    put(out, 0, 4);
    put(out, 54, 4);
    put(out, 40, 4);
    put(out, static_cast<std::uint32_t>(width), 4);
    put(out, static_cast<std::uint32_t>(height), 4);
    put(out, 1, 2);
    put(out, static_cast<std::uint32_t>(bitsPerPixel), 2);
    put(out, 0, 4);
    put(out, dataBytes, 4);
    put(out, 2835, 4);
    put(out, 2835, 4);
    put(out, 0, 4);
    put(out, 0, 4);
    for (std::int32_t y = height - 1; y >= 0; --y) {
        const std::size_t start = out.size();
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint32_t pixel = pixels[static_cast<std::size_t>(y * width + x)];
            put(out, bitsPerPixel == 32 ? pixel | 0xFF000000u : pixel, bytesPerPixel);
        }
        while (out.size() - start < rowBytes) out.push_back(0);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

}  // namespace testing_support

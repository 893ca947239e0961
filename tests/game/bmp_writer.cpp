#include "bmp_writer.hpp"

#include <fstream>

#include "gfx/image_test_support.hpp"

namespace testing_support {

bool writeBmp(const std::string& path, std::int32_t width, std::int32_t height,
              const std::vector<std::uint32_t>& pixels, int bitsPerPixel) {
    imagetest::BitmapForm form;
    form.bitCount = static_cast<std::uint16_t>(bitsPerPixel);
    imagetest::StoredPicture picture;
    picture.width = width;
    picture.height = height;
    picture.values.reserve(pixels.size());
    for (const std::uint32_t pixel : pixels) {
        picture.values.push_back(bitsPerPixel == 32 ? pixel | 0xFF000000u : pixel & 0x00FFFFFFu);
    }
    const std::vector<std::uint8_t> bytes = imagetest::encodeBitmap(form, picture);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

}  // namespace testing_support

#pragma once
// Writes pixels as an uncompressed bottom-up BMP, for win pictures made by
// tests and for frames a person wants to look at.

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// pixels: width * height values 0xAARRGGBB, top row first. bitsPerPixel 24 or 32.
bool writeBmp(const std::string& path, std::int32_t width, std::int32_t height,
              const std::vector<std::uint32_t>& pixels, int bitsPerPixel);

}  // namespace testing_support

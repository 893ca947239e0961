// Arbitrary bytes as "win.bmp": the loader must answer with a result code,
// write only inside its target, release the screen lock on every path, and
// the picture it leaves must blit onto the screen.

#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/fuzz_checks.hpp"
#include "gfx/aligned_block.hpp"
#include "gfx/blit.hpp"
#include "gfx/image.hpp"
#include "gfx/screen.hpp"

namespace {

// Any result code but CannotOpen: nothing is opened here.
bool isResultCode(gfx::LoadResult result) {
    return result >= gfx::LoadResult::Ok && result <= gfx::LoadResult::NoMemory &&
           result != gfx::LoadResult::CannotOpen;
}

bool sameShape(const gfx::ImageBuffer& a, const gfx::ImageBuffer& b) {
    return a.type == b.type && a.bytesPerPixel == b.bytesPerPixel && a.width == b.width &&
           a.height == b.height && a.pitch == b.pitch;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool screenOpen = openGameScreen();
    FUZZ_REQUIRE(screenOpen);
    const gfx::Screen* screen = gfx::activeScreen();
    const std::span<const std::uint8_t> bytes(data, size);
    // The first byte of a raw dump, long or short form.
    const bool rawDump = size > 0 && (data[0] == 0xFE || data[0] == 0xFD);

    // The game's case: a mask-filled 600x600 image, then the solved frame's blit.
    gfx::ImageHandle image(gfx::createImage(600, 600, 0, 0, gfx::NoColorGiven));
    FUZZ_REQUIRE(image != nullptr);
    const gfx::ImageBuffer shape = *image;
    const gfx::LoadResult result = gfx::loadImageFromMemory(bytes, image.get(), nullptr);
    FUZZ_REQUIRE(isResultCode(result));
    FUZZ_REQUIRE(screen->lockCount == 0);
    // Only a raw dump may reshape its target; a bitmap changes pixels alone.
    if (!rawDump) FUZZ_REQUIRE(sameShape(shape, *image));
    gfx::putImage(nullptr, 0.0f, 0.0f, image.get(), gfx::WholeImage, gfx::WholeImage,
                  gfx::WholeImage, gfx::WholeImage, 0, 0, gfx::putTransparent, -1, nullptr,
                  nullptr);
    FUZZ_REQUIRE(screen->lockCount == 0);

    // Straight into the screen's page.
    FUZZ_REQUIRE(isResultCode(gfx::loadImageFromMemory(bytes, nullptr, nullptr)));
    FUZZ_REQUIRE(screen->lockCount == 0);

    // Every load into an image needs a buffer; when it cannot have one the
    // load must fail softly. A small image keeps this part quick.
    image.reset(gfx::createImage(16, 16, 0, 0, gfx::NoColorGiven));
    FUZZ_REQUIRE(image != nullptr);
    gfx::failNextAllocations(1);
    const gfx::LoadResult starved = gfx::loadImageFromMemory(bytes, image.get(), nullptr);
    gfx::failNextAllocations(0);
    FUZZ_REQUIRE(isResultCode(starved) && starved != gfx::LoadResult::Ok);
    FUZZ_REQUIRE(screen->lockCount == 0);
    return 0;
}

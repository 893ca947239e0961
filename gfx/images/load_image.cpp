#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "gfx/aligned_block.hpp"
#include "gfx/drawing/draw_primitives.hpp"
#include "gfx/file_reader.hpp"
#include "gfx/image.hpp"
#include "gfx/images/checked_size.hpp"
#include "gfx/images/load_bitmap.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/draw_target.hpp"
#include "gfx/screen/screen_lock.hpp"

namespace gfx {
namespace {

constexpr std::size_t MaxFileNameBytes = 259;
constexpr int LongDumpMarker = 0xFE;
constexpr int ShortDumpMarker = 0xFD;
constexpr int BitmapMarker = 0x42;  // 'B'

// Copies rows as they are: the decoded pixels replace the target's.
template <std::size_t BytesPerPixel>
void putOpaque(const std::uint8_t* source, std::uint8_t* destination, std::int32_t width,
               std::int32_t height, std::int32_t sourcePitch, std::int32_t destinationPitch,
               std::int32_t /*alpha*/, Blender /*blender*/, void* /*param*/) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * BytesPerPixel;
    for (std::int32_t y = 0; y < height; ++y) {
        std::memcpy(destination + static_cast<std::ptrdiff_t>(y) * destinationPitch,
                    source + static_cast<std::ptrdiff_t>(y) * sourcePitch, rowBytes);
    }
}

PutRoutine opaqueRoutineFor(std::int32_t bytesPerPixel) {
    if (bytesPerPixel == 1) return putOpaque<1>;
    return bytesPerPixel == 2 ? putOpaque<2> : putOpaque<4>;
}

// An image the size of the part of a bitmap the screen keeps, with a mark
// for every pixel the file wrote.
class DecodedPicture {
  public:
    DecodedPicture(std::int32_t width, std::int32_t height, std::int32_t bytesPerPixel) {
        const std::optional<std::uint64_t> pitch = checkedMad(width, bytesPerPixel, 15);
        if (!pitch) return;
        const std::uint64_t alignedPitch = *pitch & ~std::uint64_t{15};
        const std::optional<std::uint64_t> bytes =
            checkedMad(static_cast<std::int64_t>(alignedPitch), height, sizeof(ImageBuffer));
        const std::optional<std::uint64_t> marks = checkedMad(width, height);
        if (!bytes || !marks || *bytes > SIZE_MAX || *marks > SIZE_MAX) return;
        block_ = AlignedBlock(static_cast<std::size_t>(*bytes));
        marks_ = AlignedBlock(static_cast<std::size_t>(*marks));
        if (!block_ || !marks_) return;
        std::memset(marks_.get(), 0, static_cast<std::size_t>(*marks));
        image_ = reinterpret_cast<ImageBuffer*>(block_.get());
        *image_ = ImageBuffer{
            ImageType, bytesPerPixel, width, height, static_cast<std::int32_t>(alignedPitch), {}};
        written_ = WrittenPixels{marks_.get(), width};
    }

    explicit operator bool() const { return image_ != nullptr; }
    ImageBuffer& image() const { return *image_; }
    const WrittenPixels& written() const { return written_; }

    // Copies the written pixels to the top-left of the context's target, one
    // copy per run of written pixels in a row, full rows side by side as one.
    void put(DrawTarget& context) const {
        std::int32_t fullTop = 0;
        std::int32_t fullRows = 0;
        for (std::int32_t y = 0; y < image_->height; ++y) {
            const std::uint8_t* marks =
                written_.marks + static_cast<std::ptrdiff_t>(y) * written_.width;
            if (std::all_of(marks, marks + image_->width, [](std::uint8_t m) { return m != 0; })) {
                if (fullRows == 0) fullTop = y;
                ++fullRows;
                continue;
            }
            copy(context, 0, fullTop, image_->width, fullRows);
            fullRows = 0;
            forEachMarkedRun(marks, image_->width, [&](std::int32_t x, std::int32_t count) {
                copy(context, x, y, count, 1);
            });
        }
        copy(context, 0, fullTop, image_->width, fullRows);
    }

  private:
    void copy(DrawTarget& context, std::int32_t x, std::int32_t y, std::int32_t width,
              std::int32_t height) const {
        if (width <= 0 || height <= 0) return;
        ImageCopy c;
        c.x = x;
        c.y = y;
        c.width = width;
        c.height = height;
        c.source = imageRow(image_, y) + static_cast<std::ptrdiff_t>(x) * image_->bytesPerPixel;
        c.sourcePitch = image_->pitch;
        c.routine = opaqueRoutineFor(image_->bytesPerPixel);
        context.primitives->copy(context, c);
    }

    AlignedBlock block_;
    AlignedBlock marks_;
    ImageBuffer* image_ = nullptr;
    WrittenPixels written_;
};

// Without a palette of the caller's the colour table goes to the screen
// palette, whose 256 entries the driver is then handed.
void publishPalette(Screen& screen, const BitmapFormat& format, const std::uint32_t* palette) {
    if (palette != nullptr) return;
    std::copy_n(format.table.begin(), format.entries, screen.shownPalette.begin());
    detail::showPalette(screen);
}

// The bitmap is decoded off the screen and put on it under one lock, which
// marks every row of the visible page as the loader always has.
LoadResult loadBitmapOntoScreen(FileReader& file, Screen& screen, DrawTarget& context,
                                const BitmapFormat& format, const RowConverter& converter,
                                const std::uint32_t* palette) {
    const DecodedPicture decoded(std::min(format.header.width, screen.width),
                                 std::min(format.header.height, screen.height),
                                 context.bytesPerPixel);
    LoadResult result = LoadResult::NoMemory;
    if (decoded) {
        result = decodeBitmapRows(file, format, converter, decoded.image(), &decoded.written());
    }
    detail::lockForDrawing();
    publishPalette(screen, format, palette);
    if (decoded) decoded.put(context);
    markRows(context, 0, screen.height - 1);
    detail::unlockAfterDrawing();
    return result;
}

LoadResult loadBitmap(FileReader& file, ImageBuffer* target, std::uint32_t* palette) {
    Screen* screen = activeScreen();
    if (screen == nullptr) return LoadResult::BadCall;
    if (target != nullptr &&
        (target->type != ImageType || target->width <= 0 || target->height <= 0)) {
        return LoadResult::BadCall;
    }
    BitmapFormat format;
    if (const LoadResult r = readBitmapFormat(file, format); r != LoadResult::Ok) return r;
    DrawTarget& context = detail::threadTarget();
    if (const LoadResult r = selectTarget(context, target); r != LoadResult::Ok) return r;

    // Indices convert through the palette as the colour table leaves it; the
    // screen's is changed only under the lock, so decoding uses a copy.
    std::array<std::uint32_t, 256> colors = screen->shownPalette;
    std::copy_n(format.table.begin(), format.entries, colors.begin());
    RowConverter converter;
    const std::uint32_t* indexColors = palette != nullptr ? palette : colors.data();
    if (const LoadResult r =
            makeRowConverter(file, format, context.bytesPerPixel, indexColors, converter);
        r != LoadResult::Ok) {
        return r;
    }
    if (palette != nullptr) std::copy_n(format.table.begin(), format.entries, palette);
    if (target == nullptr) {
        return loadBitmapOntoScreen(file, *screen, context, format, converter, palette);
    }
    detail::lockForDrawing();
    publishPalette(*screen, format, palette);
    detail::unlockAfterDrawing();
    return decodeBitmapRows(file, format, converter, *target, nullptr);
}

// A dump onto the screen is read first and copied over the work page under
// the lock; rows up to the last byte it wrote are marked.
LoadResult dumpOntoScreen(FileReader& file, std::uint32_t length) {
    Screen* screen = activeScreen();
    if (screen == nullptr) return LoadResult::BadCall;
    const DrawTarget& context = detail::threadTarget();
    const auto page = static_cast<std::size_t>(context.workPage);
    if (page >= screen->pages.size()) return LoadResult::BadCall;
    const std::uint64_t pageBytes = checkedMad(screen->pitch, screen->height).value_or(0);
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(length, pageBytes));
    AlignedBlock data(wanted);
    if (!data && wanted != 0) return LoadResult::NoMemory;
    const std::size_t got = wanted == 0 ? 0 : file.readUpTo(data.get(), wanted);
    const LoadResult result = file.failed() ? LoadResult::BadFile : LoadResult::Ok;
    if (got == 0) return result;

    detail::lockForDrawing();
    // The thread's target may be an image: the pages are announced through a
    // context that aims at them.
    DrawTarget pages;
    pages.primitives = context.primitives;
    pages.primitives->ownPixels(pages);
    std::memcpy(screen->pages[page], data.get(), got);
    unlockScreen(0, static_cast<std::int32_t>((got - 1) / static_cast<std::size_t>(screen->pitch)));
    return result;
}

LoadResult loadRawDump(FileReader& file, int marker, ImageBuffer* target) {
    std::uint32_t length = 0;
    if (!readDumpLength(file, marker, length)) return LoadResult::BadFile;
    if (target == nullptr) return dumpOntoScreen(file, length);
    const LoadResult result = dumpIntoImage(file, length, *target);
    // A thread still aimed at this image holds its old rows and clip.
    DrawTarget& context = detail::threadTarget();
    if (result == LoadResult::Ok && context.target == target && activeScreen() != nullptr) {
        selectTarget(context, nullptr);
        selectTarget(context, target);
    }
    return result;
}

LoadResult loadFrom(FileReader& file, ImageBuffer* target, std::uint32_t* palette) {
    const int marker = file.readByte();
    if (marker == LongDumpMarker || marker == ShortDumpMarker) {
        return loadRawDump(file, marker, target);
    }
    if (marker == BitmapMarker && file.seek(0)) return loadBitmap(file, target, palette);
    return LoadResult::BadFile;
}

}  // namespace

LoadResult loadImage(std::string_view fileName, ImageBuffer* target, std::uint32_t* palette) {
    if (target == nullptr && activeScreen() == nullptr) return LoadResult::BadCall;
    // '/' already is this platform's directory separator. A fixed buffer: the
    // name is cut anyway, and a copy on the heap could fail with an exception.
    std::array<char, MaxFileNameBytes + 1> path{};
    fileName.copy(path.data(), MaxFileNameBytes);
    FileReader file(path.data());
    if (!file.isOpen()) return LoadResult::CannotOpen;
    return loadFrom(file, target, palette);
}

LoadResult loadImageFromMemory(std::span<const std::uint8_t> bytes, ImageBuffer* target,
                               std::uint32_t* palette) {
    if (target == nullptr && activeScreen() == nullptr) return LoadResult::BadCall;
    FileReader file(bytes);
    return loadFrom(file, target, palette);
}

}  // namespace gfx

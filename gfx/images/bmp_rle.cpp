#include "gfx/images/bmp_rle.hpp"

#include <cstring>

namespace gfx {
namespace {

enum Escape : int { EndOfLine = 0, EndOfBitmap = 1, Delta = 2 };

struct RleState {
    const RleRowBuffers& row;
    std::int64_t x = 0;
    std::int64_t y = 0;
    bool touched = false;

    void put(std::uint8_t index) {
        if (x < row.keepWidth) {
            row.indices[x] = index;
            row.covered[x] = 1;
            touched = true;
        }
        ++x;
    }
    void clear() {
        std::memset(row.covered, 0, static_cast<std::size_t>(row.keepWidth));
        touched = false;
    }
    void flush(const RleRowSink& sink) {
        if (touched) sink(static_cast<std::int32_t>(y), row);
        clear();
    }
};

std::uint8_t nibble(int byte, std::int32_t i) {
    return static_cast<std::uint8_t>(i % 2 == 0 ? (byte >> 4) & 0x0F : byte & 0x0F);
}

// An absolute run of `count` pixels, padded to a 16-bit boundary.
bool readAbsolute(FileReader& file, std::int32_t bitCount, int count, RleState& state) {
    const int bytes = bitCount == 8 ? count : (count + 1) / 2;
    int byte = 0;
    for (int i = 0; i < count; ++i) {
        if (bitCount == 8 || i % 2 == 0) {
            byte = file.readByte();
            if (byte < 0) return false;
        }
        state.put(bitCount == 8 ? static_cast<std::uint8_t>(byte) : nibble(byte, i));
    }
    return bytes % 2 == 0 || file.readByte() >= 0;
}

}  // namespace

LoadResult decodeRle(FileReader& file, std::int32_t bitCount, std::int32_t height,
                     const RleRowBuffers& buffers, const RleRowSink& sink) {
    RleState state{buffers};
    state.clear();
    auto fail = [&] {
        state.flush(sink);
        return LoadResult::BadFile;
    };
    while (state.y < height) {
        const int count = file.readByte();
        const int value = file.readByte();
        if (count < 0 || value < 0) return fail();
        if (count > 0) {
            for (int i = 0; i < count; ++i) {
                state.put(bitCount == 8 ? static_cast<std::uint8_t>(value) : nibble(value, i));
            }
            continue;
        }
        switch (value) {
            case EndOfLine:
                state.flush(sink);
                ++state.y;
                state.x = 0;
                break;
            case EndOfBitmap:
                state.flush(sink);
                return LoadResult::Ok;
            case Delta: {
                const int dx = file.readByte();
                const int dy = file.readByte();
                if (dx < 0 || dy < 0) return fail();
                if (dy > 0) {
                    state.flush(sink);
                    state.y += dy;
                }
                state.x += dx;
                break;
            }
            default:
                if (!readAbsolute(file, bitCount, value, state)) return fail();
                break;
        }
    }
    return file.failed() ? LoadResult::BadFile : LoadResult::Ok;
}

}  // namespace gfx

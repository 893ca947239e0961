#include "gfx/screen/deferred_drawing.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "gfx/drawing/cpu_features.hpp"
#include "gfx/drawing/draw_primitives.hpp"
#include "gfx/drawing/eight_pixels.hpp"
#include "gfx/drawing/transparent_rows.hpp"
#include "gfx/drawing/wide_fill.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen/draw_target.hpp"
#include "gfx/screen/fallible_growth.hpp"

namespace gfx::detail {
namespace {

// 64 rows of a 1000-pixel page are 256 KB: a band stays in the core's second
// level cache while every shape that reaches into it is drawn, and there are
// few enough bands that walking them costs little. Measured against 16, 32
// and 128 rows on the game's frame.
constexpr std::int32_t BandRows = 64;
// A program that draws without end under one lock is served in batches, so
// the record never grows past this many shapes.
constexpr std::size_t MaxShapes = 1u << 16;
// Pictures beyond this many bytes of kept copies are drawn at once: a frame
// of many large layers would otherwise be held twice in memory.
constexpr std::size_t MaxPictureBytes = std::size_t{8} << 20;

enum class ShapeKind : std::uint8_t { Fill, Outline, GlyphRun, Picture, LivePicture };

// Glyph cells of more rows than this are drawn at once.
constexpr std::int32_t MaxGlyphRows = 8;

// Glyph rows from a cell's first visible row on, copied when the text is
// drawn: what is drawn must not depend on a glyph table changing before the
// record is carried out.
using GlyphRows = std::array<std::uint8_t, MaxGlyphRows>;

// A page the record draws into: the first byte of its row 0, and its pitch.
struct Page {
    std::uint8_t* first = nullptr;
    std::int32_t pitch = 0;
};

// 32 bytes, so a frame's record stays small enough to sort and compare in
// the first-level cache.
struct Shape {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;  // fills and outlines; the cells of a glyph run
    std::int32_t height = 0;
    Color color = 0;
    // A glyph's first entry in Record::cells, a picture's in Record::pictures.
    std::uint32_t firstCell = 0;
    std::uint8_t page = 0;  // entry in Record::pages
    std::uint8_t mask = 0;  // an outline's OutlineEdge bits
    ShapeKind kind = ShapeKind::Fill;
    // Spelled out, so two records compare byte for byte.
    std::array<std::uint8_t, 5> unused{};

    std::int32_t lastRow() const { return y + height - 1; }
};
static_assert(std::has_unique_object_representations_v<Shape> && sizeof(Shape) == 32);

// A shape with its page, as it is drawn.
struct PlacedShape : Shape {
    std::uint8_t* first = nullptr;
    std::ptrdiff_t pitch = 0;
};

template <typename T>
bool sameBytes(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

// Where a transparent copy reads its rows, and the routine that copies them.
struct PictureRows {
    const std::uint8_t* first = nullptr;
    std::int32_t pitch = 0;
    TransparentRowsFn rows = nullptr;
};

// The pixels of a recorded transparent copy, rows side by side, as they were
// when the copy was called.
struct PictureCopy {
    std::vector<std::uint8_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
    TransparentRowsFn rows = nullptr;

    PictureRows view() const { return {pixels.data(), width * 4, rows}; }
};

struct Record {
    std::vector<Shape> shapes;
    // The glyph rows of every glyph run, cell after cell.
    std::vector<GlyphRows> cells;
    // The record carried out last, kept while nothing else has written to the
    // pages since: a record equal to it would store exactly the pixels the
    // pages hold already, so it is not carried out again: an idle program
    // that redraws the same frame costs no pixel stores.
    std::vector<Shape> carriedOut;
    std::vector<GlyphRows> carriedOutCells;
    bool pagesHoldCarriedOut = false;
    // The k-th picture of the record and of carriedOut share entry k, so a
    // repeated picture is compared, not copied. Kept across records: an idle
    // program's picture is copied once.
    std::vector<PictureCopy> pictures;
    std::size_t pictureBytes = 0;    // the pixels of all entries
    std::uint32_t pictureCount = 0;  // pictures in the record
    // The image a LivePicture reads, which is always the record's last shape
    // and carried out while the copy is called.
    PictureRows live;
    // pagesVersion after carriedOut was carried out.
    std::uint64_t versionCarriedOut = 0;
    // The thread's target that records, switched back at the outer unlock.
    DrawTarget* recording = nullptr;
    // How much of the record is known to repeat carriedOut, so each shape is
    // compared once however many pictures the record holds.
    std::size_t shapesRepeated = 0;
    std::size_t cellsRepeated = 0;
    bool repeating = true;
    // Filled when the record is carried out: the indexes of the shapes that
    // reach into each band, band after band, each band's in drawing order,
    // and where each band's indexes begin (one more entry than bands) and end.
    std::vector<std::uint32_t> bandOrder;
    std::vector<std::uint32_t> bandStart;
    std::vector<std::uint32_t> bandEnd;
    // The pages shapes name, kept while they exist, so that an entry always
    // names the same page and records compare by entry. Page::first of the
    // entry added to last is lastPage.
    std::vector<Page> pages;
    std::uint8_t* lastPage = nullptr;
    std::uint8_t lastEntry = 0;
    bool allowed = true;
};

// At namespace scope, so reaching it costs no guard on every shape. (Not
// constinit: the browser build's standard library has no constexpr vector.)
Record theRecord;

void carryOut();
void carryOutBeforeWrite();

std::size_t bandOf(std::int32_t row) {
    return static_cast<std::size_t>(row) / BandRows;
}

void clear(Record& r) {
    r.shapes.clear();
    r.cells.clear();
    r.pictureCount = 0;
    r.shapesRepeated = 0;
    r.cellsRepeated = 0;
    r.repeating = true;
}

// True when the record so far is the start of carriedOut: then the frame may
// turn out unchanged, now or, when a picture was copied at once last time and
// the pages no longer hold carriedOut, from the next frame on.
bool repeatsCarriedOut(Record& r) {
    if (!r.repeating) return false;
    const auto sameFrom = [](const auto& record, const auto& kept, std::size_t from) {
        using Item = typename std::decay_t<decltype(record)>::value_type;
        return record.size() <= kept.size() &&
               (record.size() == from || std::memcmp(record.data() + from, kept.data() + from,
                                                     (record.size() - from) * sizeof(Item)) == 0);
    };
    r.repeating = sameFrom(r.shapes, r.carriedOut, r.shapesRepeated) &&
                  sameFrom(r.cells, r.carriedOutCells, r.cellsRepeated);
    r.shapesRepeated = r.shapes.size();
    r.cellsRepeated = r.cells.size();
    return r.repeating;
}

bool holds(const PictureCopy& copy, const std::uint8_t* source, std::int32_t width,
           std::int32_t height, std::int32_t sourcePitch, TransparentRowsFn rows) {
    if (copy.width != width || copy.height != height || copy.rows != rows) return false;
    const auto rowBytes = static_cast<std::size_t>(width) * 4;
    for (std::int32_t y = 0; y < height; ++y) {
        if (std::memcmp(copy.pixels.data() + y * rowBytes,
                        source + static_cast<std::ptrdiff_t>(y) * sourcePitch, rowBytes) != 0) {
            return false;
        }
    }
    return true;
}

// False, with the entry as it was, when its pixels cannot be allocated.
bool take(PictureCopy& copy, const std::uint8_t* source, std::int32_t width, std::int32_t height,
          std::int32_t sourcePitch, TransparentRowsFn rows) {
    const auto rowBytes = static_cast<std::size_t>(width) * 4;
    if (!tryGrow([&] { copy.pixels.resize(rowBytes * static_cast<std::size_t>(height)); })) {
        return false;
    }
    for (std::int32_t y = 0; y < height; ++y) {
        std::memcpy(copy.pixels.data() + y * rowBytes,
                    source + static_cast<std::ptrdiff_t>(y) * sourcePitch, rowBytes);
    }
    copy.width = width;
    copy.height = height;
    copy.rows = rows;
    return true;
}

void copyRows(GlyphRows& into, const std::uint8_t* glyph, std::int32_t rows) {
    if (rows == MaxGlyphRows) {
        std::memcpy(into.data(), glyph, MaxGlyphRows);
    } else {
        std::copy(glyph, glyph + rows, into.begin());
    }
}

// The entry of the page a drawing call writes to. Its first call, and one
// on a page not seen before, end up here.
[[gnu::noinline]] std::uint8_t pageEntry(Record& r, std::uint8_t* first, std::int32_t pitch) {
    auto known = std::find_if(r.pages.begin(), r.pages.end(),
                              [&](const Page& p) { return p.first == first; });
    if (known == r.pages.end()) {
        // Entries name pages in one byte; past that many, start afresh.
        if (r.pages.size() > std::numeric_limits<std::uint8_t>::max()) {
            carryOutBeforeWrite();
            r.carriedOut.clear();
            r.carriedOutCells.clear();
            r.pages.clear();
        }
        known = r.pages.insert(r.pages.end(), Page{first, pitch});
    }
    r.lastPage = first;
    r.lastEntry = static_cast<std::uint8_t>(known - r.pages.begin());
    return r.lastEntry;
}

// The caller fills in the shape where it is stored, so it is never copied
// through a half-written stack slot. It starts as a copy of a blank one: a
// value-initialised shape is cleared with a string store, slow to start.
// Inline: every recorded drawing call adds a shape.
[[gnu::always_inline]] inline Shape& add(Record& r, const DrawTarget& context, std::int32_t y,
                                         std::int32_t height) {
    static constexpr Shape Blank{};
    std::uint8_t* const page = context.rowTable.front();
    const std::uint8_t entry = page == r.lastPage ? r.lastEntry : pageEntry(r, page, context.pitch);
    Shape& shape = r.shapes.emplace_back(Blank);
    shape.page = entry;
    shape.y = y;
    shape.height = height;
    return shape;
}

// A shape the record cannot hold: an image is drawn at once with no regard to
// the record, the pages after what it holds.
bool recordable(const DrawTarget& context) {
    if (context.isImage) return false;
    if (storesPlainly32(context)) return true;
    carryOutBeforeWrite();
    return false;
}

// Room for one more shape, `cells` more glyph cells and a new page entry,
// so adding them cannot throw. A record at MaxShapes is carried out first; one that cannot
// grow is carried out, and false says the shape is drawn at once after it.
[[gnu::noinline]] bool makeRoom(Record& r, std::size_t cells) {
    if (r.shapes.size() >= MaxShapes) carryOut();
    const bool grown = tryGrow([&] {
        if (r.shapes.size() == r.shapes.capacity()) {
            r.shapes.reserve(std::clamp<std::size_t>(2 * r.shapes.size(), 64, MaxShapes));
        }
        if (r.cells.capacity() - r.cells.size() < cells) {
            r.cells.reserve(std::max(2 * r.cells.size(), r.cells.size() + cells));
        }
        // pageEntry adds at most this many entries.
        r.pages.reserve(std::size_t{std::numeric_limits<std::uint8_t>::max()} + 1);
    });
    if (!grown) carryOutBeforeWrite();
    return grown;
}

[[gnu::always_inline]] inline bool room(Record& r, std::size_t cells) {
    return (r.shapes.size() < r.shapes.capacity() &&
            r.cells.capacity() - r.cells.size() >= cells) ||
           makeRoom(r, cells);
}

// Marks the rows of the shapes drawn into the visible page; drawing calls
// that record leave that to here. A frame that marks every row at its
// unlock has nothing left to mark.
void markRecordedRows(const Record& r) {
    Screen* screen = activeScreen();
    if (screen == nullptr) return;
    std::vector<std::uint8_t>& marks = screen->dirtyRows;
    if (std::find(marks.begin(), marks.end(), std::uint8_t{0}) == marks.end()) return;
    const auto lastMark = static_cast<std::int32_t>(marks.size()) - 1;
    for (const Shape& s : r.shapes) {
        if (r.pages[s.page].first != screen->visiblePixels) continue;
        const std::int32_t first = std::max(s.y, 0);
        const std::int32_t last = std::min(s.lastRow(), lastMark);
        if (first <= last) {
            std::fill(marks.begin() + first, marks.begin() + last + 1, std::uint8_t{1});
        }
    }
}

// A fill that covers every pixel of the rows top..bottom on its page.
bool coversRows(const Record& r, const Shape& s, std::int32_t top, std::int32_t bottom) {
    return s.kind == ShapeKind::Fill && s.x == 0 && s.width * 4 == r.pages[s.page].pitch &&
           s.y <= top && s.lastRow() >= bottom;
}

// Takes out of a band what was placed in it on `page` so far.
[[gnu::noinline]] void dropFromBand(Record& r, std::size_t band, std::uint8_t page) {
    std::uint32_t* const first = r.bandOrder.data() + r.bandStart[band];
    std::uint32_t* const last = r.bandOrder.data() + r.bandEnd[band];
    const auto kept =
        std::remove_if(first, last, [&](std::uint32_t i) { return r.shapes[i].page == page; });
    r.bandEnd[band] = static_cast<std::uint32_t>(kept - r.bandOrder.data());
}

// A counting sort of the shapes by band, keeping drawing order within each;
// false when the tables cannot grow to hold it. A fill that covers a whole
// band takes the place of what its page holds in that band before it, which
// it would only paint over.
bool sortIntoBands(Record& r, std::int32_t pageRows) {
    if (pageRows <= 0) return false;
    const std::size_t bands = bandOf(pageRows - 1) + 1;
    // Every shape lies in the page; the bound is kept should one not.
    const auto lastBand = [&](const Shape& s) { return std::min(bandOf(s.lastRow()), bands - 1); };
    if ((bands + 1 > r.bandStart.capacity() || bands > r.bandEnd.capacity()) && !tryGrow([&] {
            r.bandStart.reserve(bands + 1);
            r.bandEnd.reserve(bands);
        })) {
        return false;
    }
    r.bandStart.assign(bands + 1, 0);
    std::size_t entries = 0;
    for (const Shape& s : r.shapes) {
        for (std::size_t band = bandOf(s.y); band <= lastBand(s); ++band) {
            ++r.bandStart[band + 1];
            ++entries;
        }
    }
    if (entries > r.bandOrder.capacity() && !tryGrow([&] { r.bandOrder.reserve(entries); })) {
        return false;
    }
    for (std::size_t band = 0; band < bands; ++band) r.bandStart[band + 1] += r.bandStart[band];
    r.bandEnd.assign(r.bandStart.begin(), r.bandStart.end() - 1);
    r.bandOrder.resize(entries);
    for (std::uint32_t index = 0; index < r.shapes.size(); ++index) {
        const Shape& s = r.shapes[index];
        for (std::size_t band = bandOf(s.y); band <= lastBand(s); ++band) {
            const auto top = static_cast<std::int32_t>(band) * BandRows;
            if (coversRows(r, s, top, std::min(top + BandRows, pageRows) - 1)) {
                dropFromBand(r, band, s.page);
            }
            r.bandOrder[r.bandEnd[band]++] = index;
        }
    }
    return true;
}

// First pixel of column x in row `row` of the shape's page.
std::uint8_t* pixelAddress(const PlacedShape& s, std::int32_t x, std::int32_t row) {
    return s.first + static_cast<std::ptrdiff_t>(row) * s.pitch +
           static_cast<std::ptrdiff_t>(x) * 4;
}

// The spans of a frame are mostly a cell wide; those are written inline with
// overlapping 8-pixel stores, longer ones by the widest fill there is.
// Unaligned first and last stores go around aligned ones, so no store in
// between splits across two cache lines.
[[gnu::always_inline]] inline void fillRun(std::uint8_t* first, Color color, std::int32_t count,
                                           WideFillFn wide) {
    if (count >= 64) return wide(first, color, static_cast<std::size_t>(count));
    if (count < 8) {
        for (std::ptrdiff_t i = 0; i < count; ++i) std::memcpy(first + 4 * i, &color, 4);
        return;
    }
    const EightPixels value = EightPixels{} + color;
    std::uint8_t* const end = first + 4 * static_cast<std::ptrdiff_t>(count);
    std::memcpy(first, &value, 32);
    std::uint8_t* out = first + (32 - (reinterpret_cast<std::uintptr_t>(first) & 31));
    for (; end - out > 32; out += 32) std::memcpy(out, &value, 32);
    std::memcpy(end - 32, &value, 32);
}

// fillRun's stores, placed once for all rows: with a pitch of whole 32-byte
// blocks every row's span starts at the same alignment. `Body` aligned stores
// lie between the head and the tail.
template <int Body>
[[gnu::always_inline]] inline void fillRowsWith(std::uint8_t* row, std::ptrdiff_t pitch,
                                                std::int32_t rows, const EightPixels& value,
                                                std::ptrdiff_t body, std::ptrdiff_t tail) {
    for (std::int32_t i = 0; i < rows; ++i, row += pitch) {
        std::memcpy(row, &value, 32);
        for (std::ptrdiff_t b = 0; b < Body; ++b) std::memcpy(row + body + 32 * b, &value, 32);
        std::memcpy(row + tail, &value, 32);
    }
}

// fillRowsWith<blocks>: the first Body in order that is not below it.
template <int... Body>
[[gnu::always_inline]] inline void fillRowsFor(std::ptrdiff_t blocks,
                                               std::integer_sequence<int, Body...>,
                                               std::uint8_t* row, std::ptrdiff_t pitch,
                                               std::int32_t rows, const EightPixels& value,
                                               std::ptrdiff_t body, std::ptrdiff_t tail) {
    static_cast<void>(
        ((blocks <= Body && (fillRowsWith<Body>(row, pitch, rows, value, body, tail), true)) ||
         ...));
}

// Rows of 8 to 63 pixels, `pitch` a multiple of 32: at most 7 blocks.
[[gnu::always_inline]] inline void fillAlignedRows(std::uint8_t* row, std::ptrdiff_t pitch,
                                                   std::int32_t rows, Color color,
                                                   std::int32_t count) {
    const EightPixels value = EightPixels{} + color;
    const std::ptrdiff_t bytes = 4 * static_cast<std::ptrdiff_t>(count);
    const std::ptrdiff_t body =
        32 - static_cast<std::ptrdiff_t>(reinterpret_cast<std::uintptr_t>(row) & 31);
    const std::ptrdiff_t tail = bytes - 32;
    // Whole blocks from `body` that end before the tail store's end.
    const std::ptrdiff_t blocks = bytes - body > 32 ? (bytes - body - 1) / 32 : 0;
    fillRowsFor(blocks, std::make_integer_sequence<int, 8>{}, row, pitch, rows, value, body, tail);
}

// The kernels below take the shape as a local copy: the pixel stores could
// otherwise alias the record, and every field would be read again per row.
[[gnu::always_inline]] inline void runFill(const PlacedShape& s, std::int32_t from, std::int32_t to,
                                           WideFillFn wide) {
    const std::ptrdiff_t pitch = s.pitch;
    const Color color = s.color;
    const std::int32_t rows = to - from + 1;
    std::uint8_t* row = pixelAddress(s, s.x, from);
    if (s.x == 0 && std::ptrdiff_t{s.width} * 4 == pitch) {
        return wide(row, color, static_cast<std::size_t>(s.width) * static_cast<std::size_t>(rows));
    }
    if (s.width == 1) {
        for (std::int32_t i = 0; i < rows; ++i, row += pitch) std::memcpy(row, &color, 4);
        return;
    }
    if (s.width >= 8 && s.width < 64 && pitch % 32 == 0) {
        return fillAlignedRows(row, pitch, rows, color, s.width);
    }
    for (std::int32_t i = 0; i < rows; ++i, row += pitch) fillRun(row, color, s.width, wide);
}

[[gnu::always_inline]] inline void runOutline(const PlacedShape& s, std::int32_t from,
                                              std::int32_t to, WideFillFn wide) {
    const std::ptrdiff_t pitch = s.pitch;
    const Color color = s.color;
    if ((s.mask & TopEdge) != 0 && s.y >= from) {
        fillRun(pixelAddress(s, s.x, s.y), color, s.width, wide);
    }
    if ((s.mask & BottomEdge) != 0 && s.lastRow() <= to) {
        fillRun(pixelAddress(s, s.x, s.lastRow()), color, s.width, wide);
    }
    // Both side edges in one sweep down the rows, or the one there is alone.
    const auto sides = static_cast<std::uint8_t>(s.mask & (LeftEdge | RightEdge));
    const std::ptrdiff_t across = 4 * static_cast<std::ptrdiff_t>(s.width - 1);
    std::uint8_t* row = pixelAddress(s, sides == RightEdge ? s.x + s.width - 1 : s.x, from);
    std::uint8_t* const end = row + (to - from + 1) * pitch;
    for (; sides == (LeftEdge | RightEdge) && row != end; row += pitch) {
        std::memcpy(row, &color, 4);
        std::memcpy(row + across, &color, 4);
    }
    for (; sides != 0 && row != end; row += pitch) std::memcpy(row, &color, 4);
}

// Row by row across the run's cells, so each row of pixels is written in one
// sweep.
[[gnu::always_inline]] inline void runGlyphRun(const PlacedShape& s, const GlyphRows* cells,
                                               std::int32_t from, std::int32_t to) {
    const std::ptrdiff_t pitch = s.pitch;
    const EightPixels ink = EightPixels{} + s.color;
    const GlyphRows* const first = cells + s.firstCell;
    const GlyphRows* const last = first + s.width;
    std::uint8_t* pixels = pixelAddress(s, s.x, from);
    for (std::int32_t row = from - s.y; row <= to - s.y; ++row, pixels += pitch) {
        std::uint8_t* cellPixels = pixels;
        for (const GlyphRows* cell = first; cell != last; ++cell, cellPixels += 32) {
            const std::uint32_t bits = (*cell)[static_cast<std::size_t>(row)];
            if (bits != 0) blendRow(cellPixels, bits, ink);
        }
    }
}

void runPicture(const PlacedShape& s, const PictureRows& p, std::int32_t from, std::int32_t to) {
    p.rows(p.first + static_cast<std::ptrdiff_t>(from - s.y) * p.pitch, pixelAddress(s, s.x, from),
           s.width, to - from + 1, p.pitch, s.pitch);
}

// Draws the rows top..bottom of one shape.
[[gnu::always_inline]] inline void runShape(const Record& r, const Shape& stored, std::int32_t top,
                                            std::int32_t bottom, WideFillFn fill) {
    const Page& page = r.pages[stored.page];
    const PlacedShape s{stored, page.first, page.pitch};
    const std::int32_t from = std::max(s.y, top);
    const std::int32_t to = std::min(s.lastRow(), bottom);
    if (to < from) return;
    if (s.kind == ShapeKind::Fill) {
        runFill(s, from, to, fill);
    } else if (s.kind == ShapeKind::Outline) {
        runOutline(s, from, to, fill);
    } else if (s.kind == ShapeKind::GlyphRun) {
        runGlyphRun(s, r.cells.data(), from, to);
    } else if (s.kind == ShapeKind::Picture) {
        runPicture(s, r.pictures[s.firstCell].view(), from, to);
    } else {
        runPicture(s, r.live, from, to);
    }
}

[[gnu::always_inline]] inline void runBand(const Record& r, std::size_t band, std::int32_t pageRows,
                                           WideFillFn fill) {
    const auto top = static_cast<std::int32_t>(band) * BandRows;
    const std::int32_t bottom = std::min(top + BandRows, pageRows) - 1;
    const std::uint32_t* const last = r.bandOrder.data() + r.bandEnd[band];
    for (const std::uint32_t* i = r.bandOrder.data() + r.bandStart[band]; i != last; ++i) {
        runShape(r, r.shapes[*i], top, bottom, fill);
    }
}

[[gnu::always_inline]] inline void runBands(const Record& r, std::int32_t pageRows) {
    const WideFillFn fill = wideFill();
    for (std::size_t band = 0; band < r.bandEnd.size(); ++band) {
        runBand(r, band, pageRows, fill);
    }
}

// The same work compiled for 32-byte registers, where the processor has them.
__attribute__((target("avx2"))) void runBandsWide(const Record& r, std::int32_t pageRows) {
    runBands(r, pageRows);
}

void runBandsNarrow(const Record& r, std::int32_t pageRows) {
    runBands(r, pageRows);
}

// Without the band tables: each shape whole, in drawing order.
void runInOrder(const Record& r, std::int32_t pageRows) {
    const WideFillFn fill = wideFill();
    for (const Shape& s : r.shapes) runShape(r, s, 0, pageRows - 1, fill);
}

// The record's next picture entry holds the source's pixels now, compared or
// copied; false when a copy would keep more than MaxPictureBytes.
// A copy that cannot be allocated is drawn at once too.
bool keepPicture(Record& r, const std::uint8_t* source, std::int32_t width, std::int32_t height,
                 std::int32_t sourcePitch, TransparentRowsFn rows) {
    if (r.pictureCount == r.pictures.size() && !tryGrow([&] { r.pictures.emplace_back(); })) {
        return false;
    }
    PictureCopy& copy = r.pictures[r.pictureCount];
    if (holds(copy, source, width, height, sourcePitch, rows)) return true;
    const std::size_t bytes =
        static_cast<std::size_t>(width) * 4 * static_cast<std::size_t>(height);
    const std::size_t before = copy.pixels.size();
    if (r.pictureBytes - before + bytes > MaxPictureBytes) return false;
    if (!take(copy, source, width, height, sourcePitch, rows)) return false;
    r.pictureBytes = r.pictureBytes - before + bytes;
    // carriedOut drew what this entry held before, so it can no longer stand
    // for the pages.
    r.pagesHoldCarriedOut = false;
    return true;
}

bool recordTransparentCopy(DrawTarget& context, std::int32_t x, std::int32_t y,
                           const std::uint8_t* source, std::int32_t width, std::int32_t height,
                           std::int32_t sourcePitch, TransparentRowsFn rows) {
    Record& r = theRecord;
    // A picture that opens the record is copied alone: with nothing before it
    // to repeat, comparing it would be a guess that a frame changing
    // elsewhere pays for every time.
    if (width <= 0 || height <= 0 || rows == nullptr || r.shapes.empty() ||
        r.shapes.size() >= MaxShapes || !room(r, 0)) {
        return false;
    }
    const bool kept =
        repeatsCarriedOut(r) && keepPicture(r, source, width, height, sourcePitch, rows);
    if (!kept) r.live = {source, sourcePitch, rows};
    Shape& shape = add(r, context, y, height);
    shape.x = x;
    shape.width = width;
    if (kept) {
        shape.firstCell = r.pictureCount++;
        shape.kind = ShapeKind::Picture;
        return true;
    }
    shape.kind = ShapeKind::LivePicture;
    // The copy is drawn now, so the record is carried out, not compared.
    r.pagesHoldCarriedOut = false;
    carryOutBeforeWrite();
    return true;
}

// Carries out everything recorded, in order. A record equal to the one
// carried out last, on pages nothing else has written to since, is dropped
// instead: the pages hold its pixels already.
void carryOut() {
    Record& r = theRecord;
    if (r.shapes.empty()) return;
    markRecordedRows(r);
    if (r.pagesHoldCarriedOut && r.versionCarriedOut == pagesVersion() &&
        sameBytes(r.shapes, r.carriedOut) && sameBytes(r.cells, r.carriedOutCells)) {
        clear(r);
        return;
    }
    const Screen* screen = activeScreen();
    const std::int32_t pageRows = screen != nullptr ? screen->height : 0;
    const bool sorted = sortIntoBands(r, pageRows);
    static const bool wide = cpuHasWideVectors();
    if (!sorted) {
        runInOrder(r, pageRows);
    } else if (wide) {
        runBandsWide(r, pageRows);
    } else {
        runBandsNarrow(r, pageRows);
    }
    std::swap(r.shapes, r.carriedOut);
    std::swap(r.cells, r.carriedOutCells);
    notePagesWritten();
    r.versionCarriedOut = pagesVersion();
    r.pagesHoldCarriedOut = true;
    clear(r);
}

// Before a write to the pages that is not recorded, after which no record
// counts as already drawn.
void carryOutBeforeWrite() {
    carryOut();
    theRecord.pagesHoldCarriedOut = false;
}

void recordedFill(DrawTarget& context, std::int32_t x, std::int32_t y, std::int32_t width,
                  std::int32_t height, Color color) {
    if (!recordable(context) || !room(theRecord, 0)) {
        return DirectPrimitives.fill(context, x, y, width, height, color);
    }
    if (width <= 0 || height <= 0) return;
    Shape& shape = add(theRecord, context, y, height);
    shape.x = x;
    shape.width = width;
    shape.color = color;
}

// Kept without visible edges too: its rows are still marked.
void recordedOutline(DrawTarget& context, std::int32_t x, std::int32_t y, std::int32_t width,
                     std::int32_t height, std::uint8_t edges, Color color) {
    if (!recordable(context) || !room(theRecord, 0)) {
        return DirectPrimitives.outline(context, x, y, width, height, edges, color);
    }
    if (width <= 0 || height <= 0) return;
    Shape& shape = add(theRecord, context, y, height);
    shape.x = x;
    shape.width = width;
    shape.color = color;
    shape.mask = edges;
    shape.kind = ShapeKind::Outline;
}

void recordedGlyphs(DrawTarget& context, const GlyphCells& cells) {
    Record& r = theRecord;
    // A cell the clip columns cut is rare enough to be drawn at once.
    if (cells.cellWidth != 8 || cells.rows > MaxGlyphRows || cells.mask != 0xFF ||
        !recordable(context) || !room(r, cells.text.size())) {
        if (!context.isImage) carryOutBeforeWrite();
        return DirectPrimitives.glyphs(context, cells);
    }
    if (cells.rows <= 0) return;
    Shape& shape = add(r, context, cells.top, cells.rows);
    shape.x = cells.x0;
    shape.width = static_cast<std::int32_t>(cells.text.size());
    shape.color = cells.color;
    shape.firstCell = static_cast<std::uint32_t>(r.cells.size());
    shape.kind = ShapeKind::GlyphRun;
    const auto stride = static_cast<std::size_t>(cells.stride);
    for (const char c : cells.text) {
        copyRows(r.cells.emplace_back(), cells.glyphs + static_cast<unsigned char>(c) * stride,
                 cells.rows);
    }
}

void recordedCopy(DrawTarget& context, const ImageCopy& c) {
    if (recordable(context) && c.routine == putTransparent &&
        recordTransparentCopy(context, c.x, c.y, c.source, c.width, c.height, c.sourcePitch,
                              transparentRowsFor(context))) {
        return;
    }
    if (!context.isImage) carryOutBeforeWrite();
    DirectPrimitives.copy(context, c);
}

void recordedOwnPixels(DrawTarget& context) {
    if (!context.isImage) carryOutBeforeWrite();
    DirectPrimitives.ownPixels(context);
}

constexpr DrawPrimitives RecordingPrimitives{recordedFill, recordedOutline, recordedGlyphs,
                                             recordedCopy, recordedOwnPixels};

}  // namespace

void startRecording(DrawTarget& context) {
    if (!theRecord.allowed) return;
    theRecord.recording = &context;
    context.primitives = &RecordingPrimitives;
}

void finishRecording() {
    carryOut();
    if (theRecord.recording != nullptr) {
        theRecord.recording->primitives = &DirectPrimitives;
        theRecord.recording = nullptr;
    }
}

void discardRecording() {
    Record& r = theRecord;
    clear(r);
    r.pagesHoldCarriedOut = false;
    r.pictures.clear();
    r.pictures.shrink_to_fit();
    r.pictureBytes = 0;
    r.carriedOut.clear();
    r.carriedOutCells.clear();
    r.pages.clear();
    r.lastPage = nullptr;
    r.bandOrder = {};
    r.bandStart = {};
    r.bandEnd = {};
    if (r.recording != nullptr) {
        r.recording->primitives = &DirectPrimitives;
        r.recording = nullptr;
    }
}

void setRecordingAllowed(bool allowed) {
    carryOutBeforeWrite();
    theRecord.allowed = allowed;
}

}  // namespace gfx::detail

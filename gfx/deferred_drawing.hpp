#pragma once
// Shapes drawn into a screen page while the program holds the screen lock are
// recorded and carried out at the outer unlockScreen, one band of rows at a
// time. A frame then writes each band while it sits in the cache, instead of
// sweeping the whole page once per shape, and a band that a later opaque fill
// covers completely skips what was drawn there before.
//
// A recorded shape marks its rows in dirtyRows when it is carried out, so
// marks, like pixels, show after flushDrawing or the outer unlock.
//
// Only opaque 32-bit stores are recorded, and transparent copies of images
// in a frame that so far repeats the last one. Every other write to a page
// first carries out what was recorded, so the pixels always come out exactly
// as if each shape had been drawn at once.
//
// Not for use outside gfx/.

#include <cstdint>
#include <string_view>

#include "gfx/color.hpp"
#include "gfx/draw_target.hpp"
#include "gfx/transparent_table.hpp"

namespace gfx::detail {

// True when a shape drawn now through `context` may be recorded: the target
// is a page of a 32-bit screen with the plain pixel routines, and the program
// holds an outer lock (lockCount of at least 2 inside the drawing call's own).
bool recordingFor(const DrawTarget& context);

// recordingFor at the start of a drawing call, before it takes its own
// level of the lock.
bool recordingUnderLock(const DrawTarget& context);

// A filled rectangle, already clipped to the target.
void recordFill(const DrawTarget& context, std::int32_t x, std::int32_t y, std::int32_t width,
                std::int32_t height, Color color);

// The edges of a box outline whose visible part spans the given rectangle:
// bit 1 the bottom row, 2 the top row, 4 the right column, 8 the left column
// of that rectangle, each only where the outline's edge lies inside the clip.
// Recorded even without edges, for its rows' marks.
void recordOutline(const DrawTarget& context, std::int32_t x, std::int32_t y, std::int32_t width,
                   std::int32_t height, std::uint8_t edges, Color color);

// Glyph cells of more rows than this are drawn at once.
constexpr std::int32_t MaxGlyphRows = 8;

// `rows` rows of one 8-pixel glyph cell from column x0 and row `top` that the
// clip columns cut: the pixels whose bit is set in glyph[r] & mask take
// `color`. The rows are copied. `mask` must keep the pixels inside the target.
void recordGlyph(const DrawTarget& context, std::int32_t x0, std::int32_t top,
                 const std::uint8_t* glyph, std::int32_t rows, std::uint8_t mask, Color color);

// Whole glyph cells side by side from column x0 and row `top`, each wholly
// inside the target and the clip columns: the cell of each byte of `text`
// takes the `rows` rows from glyphs + byte * stride, which are copied.
void recordGlyphRun(const DrawTarget& context, std::int32_t x0, std::int32_t top, std::int32_t rows,
                    Color color, const std::uint8_t* glyphs, std::int32_t stride,
                    std::string_view text);

// A transparent copy of `height` rows of `width` pixels from `source`, rows
// `sourcePitch` bytes apart, to column x and row y of the target, already
// clipped to it, through `rows`, after what is recorded.
// - While the record repeats the start of the one carried out last, the copy
//   is recorded, so a program that shows the same picture every frame stores
//   no pixels while it idles. Its pixels are compared with, or else copied
//   into, a copy the record keeps: what is drawn does not depend on the image
//   changing before the record is carried out.
// - Otherwise it is drawn now, as the record's last shape, and the record is
//   carried out with it band by band, so the copy writes rows of the page
//   that are still in the cache.
// False when nothing is recorded: the caller copies alone.
bool recordTransparentCopy(const DrawTarget& context, std::int32_t x, std::int32_t y,
                           const std::uint8_t* source, std::int32_t width, std::int32_t height,
                           std::int32_t sourcePitch, TransparentRowsFn rows);

// Carries out everything recorded, in order; costs one test when nothing is.
// A record equal to the one carried out last, on pages nothing else has
// written to since, is dropped instead: the pages hold its pixels already.
void runRecorded();

// Carries out the record before the pages are written or handed out for
// writing some other way, after which no record counts as already drawn.
void settlePages();

// Before a write to the pages that is not recorded.
inline void settleBefore(const DrawTarget& context) {
    if (!context.isImage) settlePages();
}

// Forgets everything recorded: the pages it points into are going away.
void dropRecorded();

// Tests switch recording off to compare against drawing at once.
void setRecordingAllowed(bool allowed);

}  // namespace gfx::detail

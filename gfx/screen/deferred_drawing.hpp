#pragma once
// The frame record. While the program holds the screen lock, the shapes its
// thread draws into the screen's pages are recorded and carried out at the
// outer unlock, one band of rows at a time: a frame writes each band while it
// sits in the cache, instead of sweeping the whole page once per shape, a
// band that a later opaque fill covers completely skips what was drawn there
// before, and a frame equal to the last one, on pages nothing else wrote
// since, is not drawn again.
//
// The record is the target's own business: the lock switches the thread's
// target to recording primitives and back, and every shape the record cannot
// hold first carries out what it holds, so the pixels and marked rows always
// come out as if each shape had been drawn at once.
//
// Known only to the screen's lock.

namespace gfx {
struct DrawTarget;
}

namespace gfx::detail {

// At the program's outer lockScreen: the shapes `context` hands on are
// recorded.
void startRecording(DrawTarget& context);

// At the outer unlock: carries out what was recorded, and the target draws at
// once again. Costs one test when nothing was recorded.
void finishRecording();

// At closeScreen: forgets the record, whose pages are going away.
void discardRecording();

// Tests switch recording off to compare against drawing at once.
void setRecordingAllowed(bool allowed);

}  // namespace gfx::detail

#pragma once
// A request to end the program, raised from a signal handler and noticed by
// work that can take long, such as reading a large file.

namespace runtime {

// Async-signal-safe.
void requestStop();
bool stopRequested();

}  // namespace runtime

#pragma once
// Clock and sleep of the runtime.

#include <cstdint>

namespace runtime {

// Seconds since an arbitrary fixed origin, from a monotonic clock.
double clockSeconds();

enum SleepKind : std::int32_t { SleepKeyInterruptible = 0, SleepPlain = 1 };

// kind 1 sleeps the given milliseconds (negative counts as 0); any other kind
// does not sleep and records BadCall as the thread's last error.
void sleepFor(std::int32_t milliseconds, std::int32_t kind);

}  // namespace runtime

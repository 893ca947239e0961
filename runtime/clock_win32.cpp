#include <windows.h>

#include "runtime/clock.hpp"
#include "runtime/last_error.hpp"

namespace runtime {

double clockSeconds() {
    // Decided on the first call and kept: the counter's period when the
    // system has a counter, else 0 for the millisecond tick count.
    static const double secondsPerCount = [] {
        LARGE_INTEGER frequency{};
        return QueryPerformanceFrequency(&frequency) != 0 && frequency.QuadPart > 0
                   ? 1.0 / static_cast<double>(frequency.QuadPart)
                   : 0.0;
    }();
    LARGE_INTEGER count{};
    if (secondsPerCount > 0.0 && QueryPerformanceCounter(&count) != 0) {
        return static_cast<double>(count.QuadPart) * secondsPerCount;
    }
    return static_cast<double>(GetTickCount()) * 0.001;
}

void sleepFor(std::int32_t milliseconds, std::int32_t kind) {
    if (kind != SleepPlain) {
        setLastError(ResultCode::BadCall);
        return;
    }
    if (milliseconds <= 0) return;
    Sleep(static_cast<DWORD>(milliseconds));
}

}  // namespace runtime

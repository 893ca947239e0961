#include <windows.h>

#include "runtime/clock.hpp"
#include "runtime/last_error.hpp"

namespace runtime {
namespace {

enum class ClockMode { Undecided, Counter, TickCount };

// Decided on the first call and kept: the counter when the system has one,
// else the millisecond tick count.
ClockMode mode = ClockMode::Undecided;
double secondsPerCount = 0.0;

void decideMode() {
    LARGE_INTEGER frequency{};
    if (QueryPerformanceFrequency(&frequency) == 0 || frequency.QuadPart <= 0) {
        mode = ClockMode::TickCount;
        return;
    }
    secondsPerCount = 1.0 / static_cast<double>(frequency.QuadPart);
    mode = ClockMode::Counter;
}

}  // namespace

double clockSeconds() {
    if (mode == ClockMode::Undecided) decideMode();
    if (mode == ClockMode::Counter) {
        LARGE_INTEGER count{};
        if (QueryPerformanceCounter(&count) != 0) {
            return static_cast<double>(count.QuadPart) * secondsPerCount;
        }
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

#include "runtime/clock.hpp"

#include <cerrno>
#include <chrono>
#include <ctime>

#include "runtime/last_error.hpp"

namespace runtime {

double clockSeconds() {
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

void sleepFor(std::int32_t milliseconds, std::int32_t kind) {
    if (kind != SleepPlain) {
        setLastError(ResultCode::BadCall);
        return;
    }
    if (milliseconds <= 0) return;
    timespec want{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
    timespec left{};
    // A signal may cut nanosleep short; sleep the rest so the frame period holds.
    while (nanosleep(&want, &left) != 0 && errno == EINTR) want = left;
}

}  // namespace runtime

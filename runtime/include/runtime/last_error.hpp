#pragma once
// The calling thread's last error number, shared by every runtime operation
// that records rather than returns its result.

#include <cstdint>

namespace runtime {

enum class ResultCode : std::int32_t {
    Ok = 0,
    BadCall = 1,
    CannotOpen = 2,
    BadFile = 3,
    NoMemory = 4
};

void setLastError(ResultCode code);
ResultCode lastError();

}  // namespace runtime

#include "runtime/last_error.hpp"

namespace runtime {
namespace {
thread_local ResultCode threadLastError = ResultCode::Ok;
}

void setLastError(ResultCode code) {
    threadLastError = code;
}
ResultCode lastError() {
    return threadLastError;
}

}  // namespace runtime

#include "runtime/standard_streams.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace runtime {
namespace {

const char* programName = "";
int outputFailureStatus = 1;

void openClosedDescriptors() {
#if !defined(_WIN32)
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // open takes the lowest free number, which is fd itself.
        const int opened = ::open("/dev/null", O_RDONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
#endif
}

void checkStandardOutput() {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    int error = errno;
    const bool closed = std::fclose(stdout) == 0;
    if (flushed && !closed) error = errno;
    if (flushed && closed) return;
    std::fprintf(stderr, "%s: cannot write standard output: %s\n", programName,
                 error != 0 ? std::strerror(error) : "write error");
    std::_Exit(outputFailureStatus);
}

}  // namespace

void guardStandardStreams(const char* program, int failureStatus) {
    openClosedDescriptors();
    programName = program;
    outputFailureStatus = failureStatus;
    std::atexit(checkStandardOutput);
}

}  // namespace runtime

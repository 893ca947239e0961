#pragma once
// A private Xvfb for the benchmarks that need a window: started on a display
// number of its own, made the DISPLAY of this process, stopped on destruction.

#include <sys/types.h>

namespace bench {

class PrivateXServer {
  public:
    // Tries display numbers from firstDisplay up; pid() is -1 when no server
    // would answer.
    explicit PrivateXServer(int firstDisplay);
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;
    ~PrivateXServer();

    pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
};

}  // namespace bench

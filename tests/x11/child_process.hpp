#pragma once
// A program the test starts and watches: its standard output is collected,
// and it is killed if it outlives the test's patience.

#include <sys/types.h>

#include <string>
#include <vector>

namespace lettermoor::testing {

class ChildProcess {
  public:
    // Starts program with arguments; environment entries "NAME=value" are
    // added to (or replace those of) the test's own environment.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    bool running();
    // The exit code, or -1 when it did not exit normally within timeoutMs
    // (it is killed then).
    int wait(int timeoutMs);
    // Everything written to standard output so far (all of it after wait).
    const std::string& output();

  private:
    void drain();

    pid_t pid_ = -1;
    int outputFd_ = -1;
    int exitCode_ = -1;
    bool finished_ = false;
    std::string output_;
};

}  // namespace lettermoor::testing

#pragma once
// A program started in a folder, its output kept there, killed if it outlives the test.

#include <optional>
#include <string>
#include <vector>

namespace lettermoor::testing {

class ChildProcess {
  public:
    // Environment entries "NAME=value" add to or replace the test's own.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment, const std::string& folder);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // The waitpid status, or nothing while it still runs after timeoutMs.
    std::optional<int> waitForExit(int timeoutMs);
    void sendSignal(int signalNumber) const;
    std::string output() const { return read("stdout.txt"); }
    std::string standardError() const { return read("stderr.txt"); }

  private:
    std::string read(const char* file) const;

    int pid_ = -1;
    std::optional<int> status_;
    std::string folder_;
};

}  // namespace lettermoor::testing

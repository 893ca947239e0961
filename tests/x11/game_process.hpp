#pragma once
// The real lettermoor binary as a child process: started in a run folder on a
// given display, its standard error kept in a file, killed if still running
// when the object goes.

#include <optional>
#include <string>

namespace lettermoor::testing {

class GameProcess {
  public:
    GameProcess(const std::string& binary, const std::string& runFolder,
                const std::string& displayName);
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    bool started() const { return pid_ > 0; }
    int pid() const { return pid_; }

    // The waitpid status once the game has ended, or nothing while it still
    // runs after timeoutMs.
    std::optional<int> waitForExit(int timeoutMs);
    void sendSignal(int signalNumber) const;
    std::string standardError() const;

  private:
    int pid_ = -1;
    std::optional<int> status_;
    std::string errorFile_;
};

// Where the build put the game; empty when this test binary was built without it.
std::string gameBinary();

}  // namespace lettermoor::testing

#include "tests/x11/game_process.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

extern char** environ;

namespace lettermoor::testing {
namespace {

// The child's environment: ours with DISPLAY replaced, built before fork so
// the child only calls async-signal-safe functions.
std::vector<std::string> childEnvironment(const std::string& displayName) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::string(*entry).rfind("DISPLAY=", 0) != 0) entries.emplace_back(*entry);
    }
    entries.push_back("DISPLAY=" + displayName);
    // The window thread stays parked after losing its server; ThreadSanitizer
    // would otherwise wait a second at exit for it.
    if (std::getenv("TSAN_OPTIONS") == nullptr)
        entries.emplace_back("TSAN_OPTIONS=atexit_sleep_ms=0");
    return entries;
}

}  // namespace

std::string gameBinary() {
#if defined(LETTERMOOR_BIN_DIR)
    return std::string(LETTERMOOR_BIN_DIR) + "/lettermoor";
#else
    return {};
#endif
}

GameProcess::GameProcess(const std::string& binary, const std::string& runFolder,
                         const std::string& displayName)
    : errorFile_(runFolder + "/stderr.txt") {
    const std::vector<std::string> environment = childEnvironment(displayName);
    std::vector<char*> envp;
    for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>("lettermoor"), nullptr};

    const pid_t pid = fork();
    if (pid == 0) {
        const int devNull = open("/dev/null", O_RDWR);
        const int errors = open(errorFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (devNull < 0 || errors < 0 || chdir(runFolder.c_str()) != 0) _exit(126);
        dup2(devNull, STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
        dup2(errors, STDERR_FILENO);
        execve(binary.c_str(), argv, envp.data());
        _exit(127);
    }
    pid_ = pid;
}

GameProcess::~GameProcess() {
    if (pid_ <= 0 || status_) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

std::optional<int> GameProcess::waitForExit(int timeoutMs) {
    if (status_ || pid_ <= 0) return status_;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = status;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (std::chrono::steady_clock::now() < deadline);
    return status_;
}

void GameProcess::sendSignal(int signalNumber) const {
    if (pid_ > 0 && !status_) kill(pid_, signalNumber);
}

std::string GameProcess::standardError() const {
    std::ifstream in(errorFile_);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace lettermoor::testing

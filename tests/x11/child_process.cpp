#include "tests/x11/child_process.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace lettermoor::testing {
namespace {

std::string nameOf(const std::string& entry) {
    return entry.substr(0, entry.find('='));
}

// The test's environment with the given entries added or replaced.
std::vector<std::string> mergedEnvironment(const std::vector<std::string>& changes) {
    std::vector<std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const std::string& change : changes) replaced |= nameOf(change) == nameOf(text);
        if (!replaced) merged.push_back(text);
    }
    merged.insert(merged.end(), changes.begin(), changes.end());
    return merged;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment) {
    int pipeFds[2] = {-1, -1};
    if (pipe(pipeFds) != 0) return;
    // Everything exec needs is prepared before fork.
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> argPointers;
    for (std::string& arg : argv) argPointers.push_back(arg.data());
    argPointers.push_back(nullptr);
    std::vector<std::string> env = mergedEnvironment(environment);
    std::vector<char*> envPointers;
    for (std::string& entry : env) envPointers.push_back(entry.data());
    envPointers.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        // Gone with the test, however the test ends.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        execve(program.c_str(), argPointers.data(), envPointers.data());
        _exit(127);
    }
    close(pipeFds[1]);
    if (pid < 0) {
        close(pipeFds[0]);
        return;
    }
    pid_ = pid;
    outputFd_ = pipeFds[0];
    fcntl(outputFd_, F_SETFL, fcntl(outputFd_, F_GETFL) | O_NONBLOCK);
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !finished_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (outputFd_ >= 0) close(outputFd_);
}

void ChildProcess::drain() {
    if (outputFd_ < 0) return;
    char buffer[4096];
    for (ssize_t n = read(outputFd_, buffer, sizeof buffer); n > 0;
         n = read(outputFd_, buffer, sizeof buffer)) {
        output_.append(buffer, static_cast<std::size_t>(n));
    }
}

bool ChildProcess::running() {
    if (pid_ <= 0 || finished_) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
    finished_ = true;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return false;
}

int ChildProcess::wait(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (running() && std::chrono::steady_clock::now() < deadline) {
        drain();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        finished_ = true;
        exitCode_ = -1;
    }
    drain();
    return exitCode_;
}

const std::string& ChildProcess::output() {
    drain();
    return output_;
}

}  // namespace lettermoor::testing

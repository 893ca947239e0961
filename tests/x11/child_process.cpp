#include "tests/x11/child_process.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace lettermoor::testing {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment, const std::string& folder)
    : folder_(folder) {
    // Built before fork, as the child may only call async-signal-safe functions;
    // the changes come first, as getenv takes the first entry of a name.
    std::vector<std::string> env = environment;
    for (char** entry = environ; *entry != nullptr; ++entry) env.emplace_back(*entry);
    std::vector<std::string> args = {program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    std::vector<char*> envp;
    argv.reserve(args.size() + 1);
    envp.reserve(env.size() + 1);
    for (std::string& arg : args) argv.push_back(arg.data());
    for (std::string& entry : env) envp.push_back(entry.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const std::string out = folder + "/stdout.txt";
    const std::string errors = folder + "/stderr.txt";

    pid_ = fork();
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);  // gone with the test, however it ends
        const int in = open("/dev/null", O_RDONLY);
        const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errorFd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || outFd < 0 || errorFd < 0 || chdir(folder.c_str()) != 0) _exit(126);
        dup2(in, STDIN_FILENO);
        dup2(outFd, STDOUT_FILENO);
        dup2(errorFd, STDERR_FILENO);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ <= 0 || status_) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

std::optional<int> ChildProcess::waitForExit(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (pid_ > 0 && !status_) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = status;
        } else if (std::chrono::steady_clock::now() >= deadline) {
            break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    return status_;
}

void ChildProcess::sendSignal(int signalNumber) const {
    if (pid_ > 0 && !status_) kill(pid_, signalNumber);
}

std::string ChildProcess::read(const char* file) const {
    std::ifstream in(folder_ + "/" + file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace lettermoor::testing

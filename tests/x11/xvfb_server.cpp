#include "tests/x11/xvfb_server.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace lettermoor::testing {

static constexpr const char* XvfbPath = "/usr/bin/Xvfb";

TempFolder::TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "lettermoor-run-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    if (ready()) std::filesystem::remove_all(path_, ignored);
}

ChildProcess::ChildProcess(const std::string& program, std::vector<std::string> arguments,
                           const std::string& folder)
    : folder_(folder) {
    // Built before fork, as the child may only call async-signal-safe functions.
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv(arguments.size() + 1, nullptr);
    std::transform(arguments.begin(), arguments.end(), argv.begin(),
                   [](std::string& argument) { return argument.data(); });
    const std::string out = folder + "/stdout.txt";
    const std::string errors = folder + "/stderr.txt";

    pid_ = fork();
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);  // gone with its owner, however that ends
        const int in = open("/dev/null", O_RDONLY);
        const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errorFd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || outFd < 0 || errorFd < 0 || chdir(folder.c_str()) != 0) _exit(126);
        dup2(in, STDIN_FILENO);
        dup2(outFd, STDOUT_FILENO);
        dup2(errorFd, STDERR_FILENO);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ <= 0 || status_) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

std::optional<int> ChildProcess::waitForExit(int timeoutMs) {
    waitFor(
        [&] {
            int status = 0;
            if (pid_ > 0 && !status_ && waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
            return status_.has_value();
        },
        timeoutMs);
    return status_;
}

void ChildProcess::sendSignal(int signalNumber) const {
    if (pid_ > 0 && !status_) kill(pid_, signalNumber);
}

std::string ChildProcess::read(const char* file) const {
    std::ifstream in(folder_ + "/" + file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool XvfbServer::installed() {
    return access(XvfbPath, X_OK) == 0;
}

XvfbServer::XvfbServer(const std::string& screen) {
    if (!installed() || !folder_.ready()) return;
    // Xvfb picks a free display and names it on stdout once it takes connections.
    server_.emplace(XvfbPath,
                    std::vector<std::string>{"-displayfd", "1", "-screen", "0", screen, "-nolisten",
                                             "tcp", "-noreset"},
                    folder_.path());
    std::string number;
    if (waitFor([&] { return !(number = server_->output()).empty() && number.back() == '\n'; },
                10000)) {
        name_ = ":" + std::to_string(std::atoi(number.c_str()));
    }
}

XvfbServer::~XvfbServer() {
    if (!running()) return;
    server_->sendSignal(SIGTERM);  // lets it remove its lock and socket
    server_->waitForExit(10000);
}

void XvfbServer::killAbruptly() {
    if (!running()) return;
    server_->sendSignal(SIGKILL);
    server_->waitForExit(10000);
    unlink(("/tmp/.X" + name_.substr(1) + "-lock").c_str());
    unlink(("/tmp/.X11-unix/X" + name_.substr(1)).c_str());
    name_.clear();
}

void tolerateXErrors() {
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
}

std::vector<Window> topLevelWindows(Display* display) {
    Window root = None, parent = None;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        return {};
    }
    std::vector<Window> windows(children, children + count);
    if (children != nullptr) XFree(children);
    return windows;
}

Window waitForWindow(Display* display, const std::string& title, int timeoutMs) {
    Window found = None;
    waitFor(
        [&] {
            for (const Window window : topLevelWindows(display)) {
                XWindowAttributes attributes{};
                char* name = nullptr;
                if (XGetWindowAttributes(display, window, &attributes) &&
                    attributes.map_state == IsViewable && XFetchName(display, window, &name) &&
                    name != nullptr && title == name) {
                    found = window;
                }
                XFree(name);
            }
            return found != None;
        },
        timeoutMs);
    return found;
}

}  // namespace lettermoor::testing

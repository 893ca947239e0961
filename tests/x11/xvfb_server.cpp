#include "tests/x11/xvfb_server.hpp"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace lettermoor::testing {
namespace {

constexpr const char* XvfbPath = "/usr/bin/Xvfb";

}  // namespace

bool XvfbServer::installed() {
    return access(XvfbPath, X_OK) == 0;
}

XvfbServer::XvfbServer(const std::string& screen) {
    int ready[2] = {-1, -1};
    if (!installed() || pipe(ready) != 0) return;
    // Xvfb picks a free display and names it on the pipe once it takes connections.
    const std::string fd = std::to_string(ready[1]);
    const pid_t pid = fork();
    if (pid == 0) {
        const int devNull = open("/dev/null", O_RDWR);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        execl(XvfbPath, "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
              "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    char number[16] = {};
    pollfd wait{ready[0], POLLIN, 0};
    const bool named = pid > 0 && poll(&wait, 1, 10000) == 1 && read(ready[0], number, 15) > 0;
    close(ready[0]);
    if (named) {
        pid_ = pid;
        name_ = ":" + std::to_string(std::atoi(number));
    } else if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

void XvfbServer::killAbruptly() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    unlink(("/tmp/.X" + name_.substr(1) + "-lock").c_str());
    unlink(("/tmp/.X11-unix/X" + name_.substr(1)).c_str());
}

XvfbServer::~XvfbServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

Window findTopLevel(Display* display, const std::function<bool(Window)>& matches) {
    Window root = DefaultRootWindow(display);
    Window parent = None;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = None;
    if (!XQueryTree(display, root, &root, &parent, &children, &count)) return None;
    for (unsigned i = 0; i < count && found == None; ++i) {
        if (matches(children[i])) found = children[i];
    }
    if (children != nullptr) XFree(children);
    return found;
}

Window findWindowByClass(Display* display, const char* resName) {
    return findTopLevel(display, [&](Window window) {
        XClassHint hint{};
        if (!XGetClassHint(display, window, &hint)) return false;
        const bool match = hint.res_name != nullptr && std::string(hint.res_name) == resName;
        XFree(hint.res_name);
        XFree(hint.res_class);
        return match;
    });
}

}  // namespace lettermoor::testing

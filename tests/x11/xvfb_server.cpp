#include "tests/x11/xvfb_server.hpp"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace lettermoor::testing {
namespace {

constexpr const char* XvfbPath = "/usr/bin/Xvfb";

bool displayTaken(int number) {
    struct stat info {};
    const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    return stat(lock.c_str(), &info) == 0 || stat(socket.c_str(), &info) == 0;
}

int spawnXvfb(const std::string& name) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0) {
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
    }
    execl(XvfbPath, "Xvfb", name.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
          "-noreset", static_cast<char*>(nullptr));
    _exit(127);
}

bool exited(int pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == pid;
}

}  // namespace

bool XvfbServer::installed() {
    return access(XvfbPath, X_OK) == 0;
}

XvfbServer::XvfbServer() {
    if (!installed()) return;
    // Several test processes and other programs share the machine: start
    // somewhere that depends on our pid and move on when a number is taken.
    const int base = 200 + static_cast<int>(getpid() % 500);
    for (int attempt = 0; attempt < 20 && pid_ < 0; ++attempt) {
        const int number = base + attempt * 7;
        if (displayTaken(number)) continue;
        const std::string name = ":" + std::to_string(number);
        const int pid = spawnXvfb(name);
        if (pid < 0) return;
        bool up = false;
        for (int wait = 0; wait < 200 && !up; ++wait) {  // at most about 10 s
            if (exited(pid)) break;
            if (Display* probe = XOpenDisplay(name.c_str())) {
                XCloseDisplay(probe);
                up = true;
            } else {
                usleep(50 * 1000);
            }
        }
        if (up) {
            pid_ = pid;
            name_ = name;
        } else {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
}

void XvfbServer::killAbruptly() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    const std::string number = name_.substr(1);
    unlink(("/tmp/.X" + number + "-lock").c_str());
    unlink(("/tmp/.X11-unix/X" + number).c_str());
}

XvfbServer::~XvfbServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

TestDisplay::TestDisplay(const std::string& name) : display_(XOpenDisplay(name.c_str())) {}

TestDisplay::~TestDisplay() {
    if (display_ != nullptr) XCloseDisplay(display_);
}

Window findWindowByClass(Display* display, const char* resName) {
    Window root = DefaultRootWindow(display);
    Window parent = None;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = None;
    if (!XQueryTree(display, root, &root, &parent, &children, &count)) return None;
    for (unsigned i = 0; i < count && found == None; ++i) {
        XClassHint hint{};
        if (!XGetClassHint(display, children[i], &hint)) continue;
        if (hint.res_name != nullptr && std::string(hint.res_name) == resName) {
            found = children[i];
        }
        if (hint.res_name != nullptr) XFree(hint.res_name);
        if (hint.res_class != nullptr) XFree(hint.res_class);
    }
    if (children != nullptr) XFree(children);
    return found;
}

}  // namespace lettermoor::testing

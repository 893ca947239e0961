#include "bench/private_x_server.hpp"

#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h>

#include <cstdio>

namespace bench {
namespace {

void stop(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

}  // namespace

PrivateXServer::PrivateXServer(int firstDisplay) {
    char name[16];
    std::snprintf(name, sizeof name, ":%d", firstDisplay + static_cast<int>(getpid() % 300));
    const pid_t pid = fork();
    if (pid < 0) return;
    if (pid == 0) {
        execl("/usr/bin/Xvfb", "Xvfb", name, "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
              "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 200; ++i) {
        if (Display* probe = XOpenDisplay(name)) {
            XCloseDisplay(probe);
            setenv("DISPLAY", name, 1);
            pid_ = pid;
            return;
        }
        usleep(50 * 1000);
    }
    stop(pid);
}

PrivateXServer::~PrivateXServer() {
    if (pid_ > 0) stop(pid_);
}

}  // namespace bench

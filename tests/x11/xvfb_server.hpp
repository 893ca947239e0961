#pragma once
// A private Xvfb for one test process, and what a test does with it.

#include <X11/Xlib.h>

#include <functional>
#include <string>

namespace lettermoor::testing {

class XvfbServer {
  public:
    // screen: width x height x depth, as Xvfb takes it.
    explicit XvfbServer(const std::string& screen = "1280x1024x24");
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // False when Xvfb is not installed or would not start.
    bool running() const { return pid_ > 0; }
    const std::string& name() const { return name_; }
    int pid() const { return pid_; }

    static bool installed();
    // Ends the server as a crash would, and clears its files.
    void killAbruptly();

  private:
    int pid_ = -1;
    std::string name_;
};

// The first top-level window that matches, or None.
Window findTopLevel(Display* display, const std::function<bool(Window)>& matches);
// The top-level window whose WM_CLASS instance is resName, or None.
Window findWindowByClass(Display* display, const char* resName);

// Polls predicate every 5 ms for at most timeoutMs; true once it held.
template <typename Predicate>
bool waitFor(Predicate predicate, int timeoutMs = 3000);

}  // namespace lettermoor::testing

#include "tests/x11/xvfb_wait.hpp"

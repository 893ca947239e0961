#pragma once
// A private Xvfb for one test process: started on a free display number,
// waited for with a bounded retry, killed at the end.

#include <X11/Xlib.h>

#include <string>

namespace lettermoor::testing {

class XvfbServer {
  public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // False when Xvfb is not installed or would not start.
    bool running() const { return pid_ > 0; }
    const std::string& name() const { return name_; }
    int pid() const { return pid_; }

    static bool installed();
    // Ends the server the hard way, as a crash would, and clears its files.
    void killAbruptly();

  private:
    int pid_ = -1;
    std::string name_;
};

// A client connection of the test itself, closed on destruction.
class TestDisplay {
  public:
    explicit TestDisplay(const std::string& name);
    ~TestDisplay();
    TestDisplay(const TestDisplay&) = delete;
    TestDisplay& operator=(const TestDisplay&) = delete;
    Display* get() const { return display_; }

  private:
    Display* display_ = nullptr;
};

// The top-level window whose WM_CLASS instance is resName, or None.
Window findWindowByClass(Display* display, const char* resName);

// Polls predicate every 5 ms for at most timeoutMs; true once it held.
template <typename Predicate>
bool waitFor(Predicate predicate, int timeoutMs = 3000);

}  // namespace lettermoor::testing

#include "tests/x11/xvfb_wait.hpp"

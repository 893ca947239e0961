#pragma once
// The system-test harness, part one: temporary folders, programs started as
// children, a private Xvfb, finding windows, and waiting for conditions.
// The X tests, the Wine play-through, the soak player and the window
// benchmarks share it.

#include <X11/Xlib.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace lettermoor::testing {

// Polls predicate every 5 ms for at most timeoutMs; true once it held.
template <typename Predicate>
bool waitFor(Predicate predicate, int timeoutMs = 15000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (predicate()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return predicate();
}

// A fresh folder under the temporary directory, removed with everything in it.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    bool ready() const { return !path_.empty(); }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// A program started in a folder, its output kept in stdout.txt and
// stderr.txt there; killed when it outlives its owner.
class ChildProcess {
  public:
    ChildProcess(const std::string& program, std::vector<std::string> arguments,
                 const std::string& folder);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    int pid() const { return pid_; }
    // The waitpid status, or nothing while it still runs after timeoutMs.
    std::optional<int> waitForExit(int timeoutMs);
    void sendSignal(int signalNumber) const;
    std::string output() const { return read("stdout.txt"); }
    std::string standardError() const { return read("stderr.txt"); }

  private:
    std::string read(const char* file) const;

    int pid_ = -1;
    std::optional<int> status_;
    std::string folder_;
};

class XvfbServer {
  public:
    // screen: width x height x depth, as Xvfb takes it.
    explicit XvfbServer(const std::string& screen = "1280x1024x24");
    ~XvfbServer();
    // False when Xvfb is not installed or would not start.
    bool running() const { return !name_.empty(); }
    const std::string& name() const { return name_; }
    int pid() const { return server_ ? server_->pid() : -1; }

    static bool installed();
    // Ends the server as a crash would, and clears its files.
    void killAbruptly();

  private:
    TempFolder folder_;
    std::optional<ChildProcess> server_;
    std::string name_;
};

// Instead of Xlib's handler, which ends the process when a window goes away.
void tolerateXErrors();
std::vector<Window> topLevelWindows(Display* display);
// Waits for a shown top-level window whose WM_NAME is title; None if none came.
Window waitForWindow(Display* display, const std::string& title, int timeoutMs = 15000);

}  // namespace lettermoor::testing

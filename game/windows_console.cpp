// The Windows game is a GUI program, so Explorer opens no console beside its
// window. Started from a console, it writes its messages to that console: a
// GUI program gets no standard streams of its own, so the ones missing are
// reopened on the console of the process that started it. This runs before
// main, so even --version reaches the terminal.
#include <windows.h>

#include <cstdio>

namespace {

bool streamOpen(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

struct ParentConsole {
    ParentConsole() {
        // Streams redirected to a file or pipe are kept as they are.
        const bool out = streamOpen(STD_OUTPUT_HANDLE);
        const bool err = streamOpen(STD_ERROR_HANDLE);
        if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
        if (!out) static_cast<void>(std::freopen("CONOUT$", "w", stdout));
        if (!err) static_cast<void>(std::freopen("CONOUT$", "w", stderr));
    }
};

const ParentConsole parentConsole;

}  // namespace

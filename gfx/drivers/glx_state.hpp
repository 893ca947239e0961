#pragma once
// State of the OpenGL back end on X. Everything runs on the program's
// thread: there is no window thread, so no lock is needed.

#include "gfx/drivers/glx_library.hpp"
#include "gfx/drivers/x11_state.hpp"

namespace gfx::glx {

struct GlxState {
    // Display, window, atoms, key table and mouse, in the form the X11 back
    // end's event handling works on.
    x11::X11State window;
    GlxFunctions glx;  // loaded while the window is open
    GLXContext context = nullptr;
    Colormap colormap = None;
};

GlxState& state();

// glx_window.cpp: 0 with the window shown and its context current on the
// calling thread, -1 on failure (closeWindow undoes what was done).
int openWindow(GlxState& g, std::int32_t depth);
void closeWindow(GlxState& g);

}  // namespace gfx::glx

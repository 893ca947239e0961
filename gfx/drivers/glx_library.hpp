#pragma once
// libGL, loaded by name when an OpenGL screen opens, so that programs that
// never ask for one neither link nor need it.

#include <GL/glx.h>

namespace gfx::glx {

struct GlxFunctions {
    void* library = nullptr;
    Bool (*queryExtension)(Display*, int*, int*) = nullptr;
    Bool (*queryVersion)(Display*, int*, int*) = nullptr;
    GLXFBConfig* (*chooseFBConfig)(Display*, int, const int*, int*) = nullptr;
    int (*getFBConfigAttrib)(Display*, GLXFBConfig, int, int*) = nullptr;
    XVisualInfo* (*getVisualFromFBConfig)(Display*, GLXFBConfig) = nullptr;
    GLXContext (*createNewContext)(Display*, GLXFBConfig, int, GLXContext, Bool) = nullptr;
    void (*destroyContext)(Display*, GLXContext) = nullptr;
    Bool (*makeContextCurrent)(Display*, GLXDrawable, GLXDrawable, GLXContext) = nullptr;
    void (*swapBuffers)(Display*, GLXDrawable) = nullptr;
};

// Loads "libGL.so.1", or the library LETTERMOOR_LIBGL names, and its entry
// points; false (and nothing loaded) when the library or any entry point is
// missing.
bool loadGlx(GlxFunctions& glx);
void unloadGlx(GlxFunctions& glx);

}  // namespace gfx::glx

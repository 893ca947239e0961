#include "gfx/drivers/glx_library.hpp"

#include <dlfcn.h>

#include <cstdlib>

namespace gfx::glx {
namespace {

constexpr const char* DefaultLibrary = "libGL.so.1";

template <typename Function>
void entryPoint(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
}

}  // namespace

bool loadGlx(GlxFunctions& glx) {
    glx = GlxFunctions{};
    const char* name = std::getenv("LETTERMOOR_LIBGL");
    // Kept in memory after the close: GL drivers leave handlers behind that
    // must not outlive their code.
    glx.library = dlopen(name != nullptr && name[0] != '\0' ? name : DefaultLibrary,
                         RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (glx.library == nullptr) return false;
    entryPoint(glx.library, "glXQueryExtension", glx.queryExtension);
    entryPoint(glx.library, "glXQueryVersion", glx.queryVersion);
    entryPoint(glx.library, "glXChooseFBConfig", glx.chooseFBConfig);
    entryPoint(glx.library, "glXGetFBConfigAttrib", glx.getFBConfigAttrib);
    entryPoint(glx.library, "glXGetVisualFromFBConfig", glx.getVisualFromFBConfig);
    entryPoint(glx.library, "glXCreateNewContext", glx.createNewContext);
    entryPoint(glx.library, "glXDestroyContext", glx.destroyContext);
    entryPoint(glx.library, "glXMakeContextCurrent", glx.makeContextCurrent);
    entryPoint(glx.library, "glXSwapBuffers", glx.swapBuffers);
    if (glx.queryExtension && glx.queryVersion && glx.chooseFBConfig && glx.getFBConfigAttrib &&
        glx.getVisualFromFBConfig && glx.createNewContext && glx.destroyContext &&
        glx.makeContextCurrent && glx.swapBuffers) {
        return true;
    }
    unloadGlx(glx);
    return false;
}

void unloadGlx(GlxFunctions& glx) {
    if (glx.library != nullptr) dlclose(glx.library);
    glx = GlxFunctions{};
}

}  // namespace gfx::glx

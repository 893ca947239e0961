#pragma once
// Setting and removing the driver-choice variable on every platform.

#include <cstdlib>

namespace gfxtest {

inline void setVariable(const char* name, const char* value) {
#if defined(_WIN32)
    _putenv_s(name, value);
#else
    setenv(name, value, 1);
#endif
}

inline void clearVariable(const char* name) {
#if defined(_WIN32)
    _putenv_s(name, "");  // an empty value removes the variable
#else
    unsetenv(name);
#endif
}

}  // namespace gfxtest

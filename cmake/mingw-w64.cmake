# Cross build for 64-bit Windows with the MinGW-w64 POSIX-threads compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LETTERMOOR_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LETTERMOOR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LETTERMOOR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${LETTERMOOR_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LETTERMOOR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs that run from a zip on any Windows: the compiler's own runtime
# (libgcc, libstdc++, winpthreads) is linked in, so only system DLLs remain.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)

# GCC 12's -O3 reports false array-bounds and restrict warnings in inlined
# standard-library code for this target; -O2 keeps -Werror meaningful.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Release flags")

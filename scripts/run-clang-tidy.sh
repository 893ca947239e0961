#!/usr/bin/env bash
# Runs clang-tidy with the repository's .clang-tidy over every source that
# builds on Linux, using the compile commands of the given build, and fails
# on any finding. A .clang-tidy that clang-tidy cannot read fails too: it
# would otherwise fall back to its default checks without a word of warning
# beyond the parse error.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build/test}
cd "$repo"
if ! problems=$(clang-tidy --dump-config 2>&1 > /dev/null) || [[ -n "$problems" ]]; then
    echo ".clang-tidy is not read as written:" >&2
    echo "$problems" >&2
    exit 1
fi
# Windows-only sources need windows.h and the canvas back end Emscripten's
# headers; nothing here checks them.
mapfile -t files < <(ls runtime/*.cpp gfx/*/*.cpp widgets/*.cpp game/*.cpp \
    tools/*.cpp tests/*/*.cpp fuzz/*.cpp |
    grep -vE '(^|/)(win32_(directx|gdi|messages|window)|wgl_(driver|library)|clock_win32|windows_console|canvas_driver)\.cpp$|^tests/win32/window_driver_test\.cpp$')
# The compile commands are GCC's: clang knows not all of its warning options.
out=$(printf '%s\n' "${files[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet \
    --extra-arg=-Wno-unknown-warning-option 2>&1)
findings=$(grep -E '(warning|error):' <<< "$out" | sort -u)
if [[ -n "$findings" ]]; then
    echo "$findings"
    echo "clang-tidy: $(wc -l <<< "$findings") findings in ${#files[@]} files" >&2
    exit 1
fi
echo "clang-tidy: no findings in ${#files[@]} files"

#!/usr/bin/env bash
# Runs a Windows program of the Windows build under 64-bit Wine, in a Wine
# prefix of the build's own (made on first use), without Wine's debug noise
# or its offers to install Mono and Gecko.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/../build/windows/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine=${LETTERMOOR_WINE:-/usr/lib/wine/wine64}

if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    mkdir -p "$WINEPREFIX"
    # Without a display the prefix is made all the same; DirectDraw through
    # Wine's GDI renderer needs no OpenGL.
    "$wine" reg add 'HKCU\Software\Wine\Direct3D' /v renderer /d gdi /f > /dev/null 2>&1
    /usr/lib/wine/wineserver -w || true
fi
exec "$wine" "$@"

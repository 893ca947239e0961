#!/usr/bin/env bash
# The Windows build's tests under Wine: the unit test programs, then the game
# played through in a window on a private Xvfb, with each window back end,
# ended once by Esc and once by the close box.
# Expects build/windows (make windows) and the test build's wine-play-through.
set -uo pipefail
[[ -n ${XVFB_PID:-} ]] || exec "$(dirname "$0")/with-xvfb.sh" "$0" "$@"
cd "$(dirname "$0")/.."
root=$PWD
runner=$root/scripts/wine-run.sh
windows=$root/build/windows
helper=${1:-$root/build/test/bin/wine-play-through}
export WINEPREFIX=$windows/wineprefix
passed=0
failed=0

record() {  # name, status
    if [[ $2 -eq 0 ]]; then
        passed=$((passed + 1))
        echo "PASS $1"
    else
        failed=$((failed + 1))
        echo "FAIL $1 (status $2)"
    fi
}

# The Wine server and its services (started below) end with the script.
trap '/usr/lib/wine/wineserver -k 2> /dev/null' EXIT
# Wine's desktop process keeps the display it first saw: start the prefix's
# server afresh for this one.
/usr/lib/wine/wineserver -k 2> /dev/null || true
/usr/lib/wine/wineserver -w 2> /dev/null || true
# One Wine session for all the programs below: a persistent server keeps the
# prefix's services running between them, so a program starts in a few
# seconds instead of booting the prefix again. The runner makes a missing
# prefix and waits for its server to end, so that comes first. The services
# keep open the output of the program that started them: a boot of its own,
# writing to nothing, starts them.
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    "$runner" wineboot > /dev/null 2>&1 < /dev/null
    /usr/lib/wine/wineserver -w 2> /dev/null || true
fi
/usr/lib/wine/wineserver -p > /dev/null 2>&1 < /dev/null
"$runner" wineboot > /dev/null 2>&1 < /dev/null

# The unit tests find the run folder at ../run, as under ctest.
for suite in runtime gfx widgets game win32; do
    log=$windows/tests/$suite.log
    (cd "$windows/tests" && timeout 600 "$runner" "../bin/${suite}_tests.exe") > "$log" 2>&1
    status=$?
    tail -n 3 "$log"
    [[ $status -eq 0 ]] || cat "$log"
    record "${suite}_tests.exe" $status
done

# The OpenGL example through WGL on Wine's Mesa: pixels of its last frame.
log=$windows/tests/gl-example.log
(cd "$windows/bin" && timeout 180 "$runner" ./lettermoor-gl-example.exe --frames 5 \
    --probe 100,100 --probe 10,10 --probe 500,80) > "$log" 2>&1
status=$?
for expected in 'probe 100,100 FF0000' 'probe 10,10 000066' 'probe 500,80 00FF00'; do
    [[ $status -ne 0 ]] || tr -d '\r' < "$log" | grep -qx "$expected" || status=1
done
[[ $status -eq 0 ]] || cat "$log"
record lettermoor-gl-example.exe $status

for driver in GDI DirectX; do
    for ending in esc close; do
        LETTERMOOR_DRIVER=$driver timeout 180 "$helper" "$runner" \
            "$windows/bin/lettermoor.exe" "$windows/run/win.bmp" "$ending"
        record "play-through $driver $ending" $?
    done
done
/usr/lib/wine/wineserver -k 2> /dev/null || true

echo "windows-test: $passed passed, $failed failed"
[[ $failed -eq 0 ]]

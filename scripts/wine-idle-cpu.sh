#!/usr/bin/env bash
# Idle CPU of the Windows game under Wine: starts build/windows/bin/lettermoor.exe
# on a private Xvfb with each window back end, leaves it alone for SECONDS
# after it settled, and prints the share of one core its process used
# (user + system time from /proc), and what Wine's server and the X server
# used beside it.
# Usage: [SETTLE_SECONDS=15] wine-idle-cpu.sh [SECONDS] [DRIVER...]   (after make windows)
set -euo pipefail
[[ -n ${XVFB_PID:-} ]] || exec "$(dirname "$0")/with-xvfb.sh" "$0" "$@"
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-10}
shift || true
drivers=("$@")
[[ $# -gt 0 ]] || drivers=(GDI DirectX)
windows=$root/build/windows
export WINEPREFIX=$windows/wineprefix
ticks=$(getconf CLK_TCK)
rundir=$(mktemp -d)
cp "$root/data/woerter.plain.txt" "$rundir/" 2> /dev/null || true
# The scrambled default list of a host build, when there is one.
for list in "$root"/build/*/run/woerter.txt; do
    [[ -f $list ]] && cp "$list" "$rundir/woerter.txt" && break
done

game=""
cleanup() {
    [[ -n $game ]] && kill "$game" 2> /dev/null
    wait 2> /dev/null
    rm -rf "$rundir"
}
trap cleanup EXIT

cpu_ticks() {  # utime + stime of one process
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}

# The Wine server of this prefix: it works in a folder named after the
# prefix's device and inode.
prefix_server() {
    local name pid
    name=server-$(printf '%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
    for pid in $(pgrep -x 'wineserver(64)?'); do
        [[ $(readlink "/proc/$pid/cwd" 2> /dev/null) == */"$name" ]] && echo "$pid" && return
    done
    return 0
}

for driver in "${drivers[@]}"; do
    (cd "$rundir" && LETTERMOOR_DRIVER=$driver exec "$root/scripts/wine-run.sh" \
        "$windows/bin/lettermoor.exe") > /dev/null 2>&1 &
    game=$!
    sleep "${SETTLE_SECONDS:-15}"  # Wine's start and the first frames are not idle
    server=$(prefix_server)
    game_before=$(cpu_ticks "$game")
    server_before=$([[ -n $server ]] && cpu_ticks "$server" || echo 0)
    x_before=$(cpu_ticks "$XVFB_PID")
    sleep "$seconds"
    game_after=$(cpu_ticks "$game")
    server_after=$([[ -n $server ]] && cpu_ticks "$server" || echo 0)
    x_after=$(cpu_ticks "$XVFB_PID")
    kill "$game"
    wait "$game" 2> /dev/null || true
    game=""
    awk -v d="$driver" -v g=$((game_after - game_before)) -v s=$((server_after - server_before)) \
        -v x=$((x_after - x_before)) -v t="$ticks" -v n="$seconds" 'BEGIN {
            f = 100 / t / n
            printf "%-8s game %5.1f %% of a core, wineserver %5.1f %%, Xvfb %5.1f %%\n", d, g * f, s * f, x * f
        }'
    sleep 1
done

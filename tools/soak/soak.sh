#!/usr/bin/env bash
# Plays the game on a private Xvfb for a long time with synthetic input and
# checks it afterwards: still alive and answering clicks, resident memory
# grown by less than 1 MB after the first minute, and Esc ends it with 0.
#   tools/soak/soak.sh [seconds]   (default 600)
# SOAK_BUILD names the build folder holding bin/lettermoor,
# bin/lettermoor-soak-player and run/ (default build/soak).
set -euo pipefail

seconds="${1:-600}"
# The first solved puzzle (after 15 s) makes the win picture once; memory is
# measured from half way, so a shorter run would count that as growth.
if ((seconds < 60)); then
  echo "soak: play at least 60 seconds (asked for $seconds)" >&2
  exit 2
fi
build="${SOAK_BUILD:-build/soak}"
game="$build/bin/lettermoor"
player="$build/bin/lettermoor-soak-player"
run_folder="$build/run"

for needed in "$game" "$player" "$run_folder/woerter.txt" /usr/bin/Xvfb; do
  if [[ ! -e "$needed" ]]; then
    echo "soak: missing $needed" >&2
    exit 2
  fi
done

game_path=$(realpath "$game")
errors=$(mktemp)
xvfb_pid=""
game_pid=""
# shellcheck disable=SC2317  # runs through the EXIT trap
cleanup() {
  if [[ -n "$game_pid" ]] && kill -0 "$game_pid" 2>/dev/null; then kill -KILL "$game_pid"; fi
  if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -f "$errors"
}
trap cleanup EXIT

number=$((600 + $$ % 300))
while [[ -e "/tmp/.X${number}-lock" || -e "/tmp/.X11-unix/X${number}" ]]; do number=$((number + 1)); done
export DISPLAY=":${number}"
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [[ -e "/tmp/.X11-unix/X${number}" ]] && break; sleep 0.1; done

rss_kb() {
  awk '/^VmRSS:/ { print $2 }' "/proc/$game_pid/status"
}

(cd "$run_folder" && exec "$game_path") 2>"$errors" &
game_pid=$!

# The first minute lets caches, the X connection and the allocator settle;
# a short run takes its baseline half-way.
baseline_after=$((seconds < 120 ? seconds / 2 : 60))
"$player" play "$seconds" "$run_folder/woerter.txt" &
player_pid=$!
sleep "$baseline_after"
rss_baseline=$(rss_kb)
player_status=0
wait "$player_pid" || player_status=$?

if ! kill -0 "$game_pid" 2>/dev/null; then
  echo "soak: the game died during play" >&2
  cat "$errors" >&2
  exit 1
fi
rss_end=$(rss_kb)
growth=$((rss_end - rss_baseline))

check_status=0
"$player" check || check_status=$?
"$player" quit
game_status=0
wait "$game_pid" || game_status=$?
game_pid=""

echo "soak: ${seconds} s, VmRSS ${rss_baseline} kB after ${baseline_after} s, ${rss_end} kB at the end (growth ${growth} kB)"
failed=0
if ((player_status != 0)); then echo "soak: FAIL a puzzle could not be solved" >&2; failed=1; fi
if ((check_status != 0)); then echo "soak: FAIL the game stopped answering clicks" >&2; failed=1; fi
if ((growth >= 1024)); then echo "soak: FAIL memory grew by ${growth} kB" >&2; failed=1; fi
if ((game_status != 0)); then echo "soak: FAIL Esc ended the game with ${game_status}" >&2; failed=1; fi
exit "$failed"

#!/usr/bin/env bash
# Ends the game again and again - Esc, close box, SIGINT, SIGTERM in turn,
# each at a random moment while frames run - and checks every run: exit
# status 0 within 200 ms and the screen-saver setting as before.
#   tests/run-shutdown-loop.sh [runs] [build folder]   (default 200, build/test)
set -euo pipefail

runs="${1:-200}"
build="${2:-build/test}"
tests="$build/bin/x11_tests"
limit_ms=200
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
LETTERMOOR_SHUTDOWN_RUNS="$runs" "$tests" \
  --gtest_filter='GameShutdown.EveryWayOfEndingAtRandomMomentsEndsWithStatusZero' | tee "$log"
slowest="$(sed -n 's/.*slowest end \([0-9]*\) ms.*/\1/p' "$log")"
if [[ -z "$slowest" || "$slowest" -gt "$limit_ms" ]]; then
  echo "shutdown loop: slowest end ${slowest:-unknown} ms, limit $limit_ms ms" >&2
  exit 1
fi
echo "shutdown loop: slowest end $slowest ms of $runs runs, limit $limit_ms ms"

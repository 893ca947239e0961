#!/usr/bin/env bash
# Runs every benchmark of a build, the window measurements (each starts its
# own Xvfb) and the start-up measurement, keeps their JSON in
# <build>/bench-results, redraws bench/frame-steps.png and prints one table
# (bench/report.py).
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build/bench}" && pwd)
out="$build/bench-results"
mkdir -p "$out"
cd "$build"  # words_bench reads run/woerter.txt from here
status=0

run() {
    local name=$1
    shift
    echo "== $name" >&2
    if ! "./bin/$name" --benchmark_out="$out/$name.json" --benchmark_out_format=json "$@" \
        > "$out/$name.txt" 2>&1; then
        echo "   failed, see $out/$name.txt" >&2
        status=1
    fi
}

# Frames, their direct-loop peers and floors: repetitions interleaved, so a
# burst of load from elsewhere on the machine falls on both sides of a ratio
# alike.
run frame_bench --benchmark_repetitions=11 --benchmark_enable_random_interleaving=true \
    --benchmark_min_time=0.2 --benchmark_display_aggregates_only=true
for name in words_bench present_bench game_window_bench; do run "$name"; done

echo "== start-up" >&2
python3 "$repo/scripts/measure_startup.py" --binary bin/lettermoor --run-dir run \
    > "$out/startup.json" || status=1

echo
/usr/bin/python3 "$repo/bench/report.py" "$out" --plot "$repo/bench/frame-steps.png" || status=1
exit $status

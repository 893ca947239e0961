#!/usr/bin/env bash
# Runs a command with DISPLAY set to a private Xvfb, which ends with it, and
# XVFB_PID set to the server's process id. Xvfb takes the first free display
# and names it once it takes connections, so this runs beside other X tests.
# Usage: with-xvfb.sh [-screen WxHxD] COMMAND...   (default 1280x1024x24)
set -uo pipefail
screen=1280x1024x24
if [[ ${1:-} == -screen ]]; then
    screen=$2
    shift 2
fi
exec {display}< <(exec Xvfb -displayfd 1 -screen 0 "$screen" -nolisten tcp -noreset 2> /dev/null)
XVFB_PID=$!
trap 'kill $XVFB_PID 2> /dev/null; wait $XVFB_PID 2> /dev/null' EXIT
read -r -t 60 number <&"$display" || { echo "with-xvfb.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$number XVFB_PID
"$@"

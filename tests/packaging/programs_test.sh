#!/bin/sh
# Every installed program answers --version with its name and the build's
# version; the player's tools document usage, options and exit statuses.
#   programs_test.sh BIN_DIR VERSION
set -eu

bin=$1
version=$2
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for program in lettermoor lettermoor-words lettermoor-image lettermoor-make-win-picture; do
    output=$("$bin/$program" --version) || fail "$program --version exits with $?"
    [ "$output" = "$program $version" ] || fail "$program --version says '$output'"
done

for program in lettermoor-words lettermoor-image lettermoor-make-win-picture; do
    help=$("$bin/$program" --help) || fail "$program --help exits with $?"
    for part in "Usage: $program" "--version" "Exit status:"; do
        printf '%s' "$help" | grep -qF -- "$part" || fail "$program --help lacks '$part'"
    done
    status=0
    "$bin/$program" --no-such-option >/dev/null 2>&1 || status=$?
    [ "$status" -eq 2 ] || fail "$program --no-such-option exits with $status, expected 2"
done

[ "$failures" -eq 0 ] || exit 1
echo "programs: all cases passed"

#!/bin/sh
# Every installed program answers --version with its name, the build's
# version and the licence, documents usage, options and exit statuses in
# --help, and names a wrong option.
#   programs_test.sh BIN_DIR VERSION
set -eu

bin=$1
version=$2
err=$(mktemp)
trap 'rm -f "$err"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for program in lettermoor lettermoor-words lettermoor-image lettermoor-make-win-picture; do
    output=$("$bin/$program" --version) || fail "$program --version exits with $?"
    [ "$output" = "$program $version
Licence: MIT" ] || fail "$program --version says '$output'"
done

for program in lettermoor lettermoor-words lettermoor-image lettermoor-make-win-picture; do
    help=$("$bin/$program" --help) || fail "$program --help exits with $?"
    for part in "Usage: $program" "--version" "Exit status:"; do
        printf '%s' "$help" | grep -qF -- "$part" || fail "$program --help lacks '$part'"
    done
    # The game must answer, not start: the timeout ends one that plays.
    status=0
    timeout 60 "$bin/$program" --no-such-option >/dev/null 2>"$err" || status=$?
    [ "$status" -eq 2 ] || fail "$program --no-such-option exits with $status, expected 2"
    grep -qF -- "'--no-such-option'" "$err" ||
        fail "$program does not name the wrong option: $(cat "$err")"
done

[ "$failures" -eq 0 ] || exit 1
echo "programs: all cases passed"

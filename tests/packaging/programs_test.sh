#!/bin/sh
# Every installed program answers --version with its name, the build's
# version and the licence, documents usage, options and exit statuses in
# --help, and names a wrong option.
#   programs_test.sh BIN_DIR VERSION
set -eu

bin=$1
version=$2
err=$(mktemp)
trap 'rm -f "$err" "$err.bmp" "$err.pam"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for program in lettermoor lettermoor-words lettermoor-image lettermoor-make-win-picture; do
    output=$("$bin/$program" --version) || fail "$program --version exits with $?"
    [ "$output" = "$program $version
Licence: MIT" ] || fail "$program --version says '$output'"
    # Output that never arrived is a failure: a full disk, a closed stream.
    for to in '>/dev/full' '>&-'; do
        status=0
        eval '"$bin/$program" --version '"$to"' 2>"$err"' || status=$?
        [ "$status" -ne 0 ] && grep -q "cannot write standard output" "$err" ||
            fail "$program --version $to exits with $status: $(cat "$err")"
    done
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

# lettermoor-image says why a file cannot be opened, and its PAM leaves the
# mask pixels (the win picture's corners) transparent.
"$bin/lettermoor-image" "$err.missing" >/dev/null 2>"$err" && fail "a missing file loaded"
grep -q "No such file or directory" "$err" || fail "no reason for a missing file: $(cat "$err")"
"$bin/lettermoor-make-win-picture" "$err.bmp" &&
    "$bin/lettermoor-image" "$err.bmp" --out "$err.pam" >/dev/null ||
    fail "the win picture does not load"
corner=$(tail -c 4 "$err.pam" | od -An -tx1 | tr -d ' ')
[ "$corner" = ff00ff00 ] || fail "the bottom right mask pixel is $corner in the PAM, expected ff00ff00"

[ "$failures" -eq 0 ] || exit 1
echo "programs: all cases passed"

#!/bin/sh
# Runs the launcher from a scratch install tree against a fake game that
# records where it was started and with what.
#   launcher_test.sh LAUNCHER
set -eu

launcher=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

prefix=$scratch/usr
mkdir -p "$prefix/bin" "$prefix/libexec/lettermoor" "$prefix/share/lettermoor"
cp "$launcher" "$prefix/bin/lettermoor"
chmod +x "$prefix/bin/lettermoor"
printf 'shipped words\n' >"$prefix/share/lettermoor/woerter.txt"
printf 'shipped picture\n' >"$prefix/share/lettermoor/win.bmp"
cat >"$prefix/libexec/lettermoor/lettermoor" <<'GAME'
#!/bin/sh
{ pwd; echo "$#"; for argument in "$@"; do echo "$argument"; done; } >"$GAME_LOG"
exit "${GAME_EXIT:-0}"
GAME
chmod +x "$prefix/libexec/lettermoor/lettermoor"

GAME_LOG=$scratch/game.log
export GAME_LOG
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
expect_file() { # PATH CONTENT
    if [ ! -f "$1" ]; then
        fail "$1 is missing"
    elif [ "$(cat "$1")" != "$2" ]; then
        fail "$1 holds '$(cat "$1")', expected '$2'"
    fi
}
expect_log() { # LINES...
    expected=$(printf '%s\n' "$@")
    actual=$(cat "$GAME_LOG" 2>/dev/null || echo "(game not started)")
    [ "$actual" = "$expected" ] || fail "game log: '$actual', expected '$expected'"
}
# Starts the launcher through PATH from /, with HOME as given and no XDG_DATA_HOME.
start() { # HOME [ARGUMENTS...]
    home=$1
    shift
    rm -f "$GAME_LOG"
    (cd / && unset XDG_DATA_HOME && HOME=$home PATH=$prefix/bin:$PATH lettermoor "$@")
}

home=$scratch/home
folder=$home/.local/share/lettermoor

# First start: the folder is made and filled with the defaults; the game runs there.
start "$home" || fail "first start failed"
expect_file "$folder/woerter.txt" "shipped words"
expect_file "$folder/win.bmp" "shipped picture"
expect_log "$folder" 0
leftovers=$(find "$folder" -name '.*' -type f)
[ -z "$leftovers" ] || fail "partial copies left behind: $leftovers"

# Second start: the player's edited list stays; a deleted picture comes back.
printf 'my own words\n' >"$folder/woerter.txt"
rm "$folder/win.bmp"
start "$home" || fail "second start failed"
expect_file "$folder/woerter.txt" "my own words"
expect_file "$folder/win.bmp" "shipped picture"

# A dangling link is the player's business too and stays untouched.
rm "$folder/win.bmp"
ln -s "$scratch/nowhere.bmp" "$folder/win.bmp"
start "$home" || fail "start with a dangling link failed"
[ -L "$folder/win.bmp" ] || fail "the dangling link was replaced"

# Arguments and the exit status pass through the launcher.
start "$home" --version || fail "--version start failed"
expect_log "$folder" 1 --version
status=0
GAME_EXIT=3 start "$home" || status=$?
[ "$status" -eq 3 ] || fail "exit status $status, expected the game's 3"

# An absolute XDG_DATA_HOME is used; a relative one is ignored.
xdg=$scratch/xdg
rm -f "$GAME_LOG"
(cd / && HOME="$scratch/other" XDG_DATA_HOME="$xdg" "$prefix/bin/lettermoor") ||
    fail "start with XDG_DATA_HOME failed"
expect_file "$xdg/lettermoor/woerter.txt" "shipped words"
expect_log "$xdg/lettermoor" 0
(cd / && HOME="$scratch/other" XDG_DATA_HOME="relative/xdg" "$prefix/bin/lettermoor") ||
    fail "start with a relative XDG_DATA_HOME failed"
expect_log "$scratch/other/.local/share/lettermoor" 0

# Without any home the launcher refuses before starting the game.
rm -f "$GAME_LOG"
if (cd / && unset HOME XDG_DATA_HOME && "$prefix/bin/lettermoor" 2>"$scratch/err"); then
    fail "started without HOME"
fi
[ ! -e "$GAME_LOG" ] || fail "the game ran without a folder"
grep -q "HOME" "$scratch/err" || fail "no word about HOME: $(cat "$scratch/err")"

# A missing default is reported, not papered over with an empty file.
rm "$prefix/share/lettermoor/win.bmp"
if start "$scratch/fresh" 2>"$scratch/err"; then fail "started without the default picture"; fi
grep -q "win.bmp" "$scratch/err" || fail "no word about win.bmp: $(cat "$scratch/err")"

[ "$failures" -eq 0 ] || exit 1
echo "launcher: all cases passed"

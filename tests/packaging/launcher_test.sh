#!/bin/sh
# Runs the launcher from a scratch install tree against a fake game that
# records where it was started and with what.
#   launcher_test.sh LAUNCHER
set -eu

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/usr
share=$prefix/share/lettermoor
mkdir -p "$prefix/bin" "$prefix/libexec/lettermoor" "$share"
cp "$1" "$prefix/bin/lettermoor"
printf 'shipped words\n' >"$share/woerter.txt"
printf 'shipped picture\n' >"$share/win.bmp"
cat >"$prefix/libexec/lettermoor/lettermoor" <<'GAME'
#!/bin/sh
{ pwd; echo "$#"; for argument in "$@"; do echo "$argument"; done; } >"$GAME_LOG"
exit "${GAME_EXIT:-0}"
GAME
chmod +x "$prefix/bin/lettermoor" "$prefix/libexec/lettermoor/lettermoor"

export GAME_LOG="$scratch/game.log" HOME="$scratch/home"
unset XDG_DATA_HOME
folder=$HOME/.local/share/lettermoor
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
expect_file() { # PATH CONTENT
    [ "$(cat "$1" 2>&1)" = "$2" ] || fail "$1 holds '$(cat "$1" 2>&1)', expected '$2'"
}
expect_log() { # LINES...
    actual=$(cat "$GAME_LOG" 2>/dev/null || echo "(game not started)")
    [ "$actual" = "$(printf '%s\n' "$@")" ] || fail "game log: '$actual', expected '$*'"
}
# Starts the launcher through PATH from /.
start() { # [ARGUMENTS...]
    rm -f "$GAME_LOG"
    (cd / && PATH=$prefix/bin:$PATH lettermoor "$@")
}

# First start: the folder is made and filled with the defaults; the game runs there.
start || fail "first start failed"
expect_file "$folder/woerter.txt" "shipped words"
expect_log "$folder" 0
[ -z "$(find "$folder" -name '.*' -type f)" ] || fail "partial copies left behind in $folder"

# The player's edited list stays; a deleted picture comes back; a dangling
# link is the player's business and stays untouched.
printf 'my own words\n' >"$folder/woerter.txt"
rm "$folder/win.bmp"
start || fail "second start failed"
expect_file "$folder/woerter.txt" "my own words"
expect_file "$folder/win.bmp" "shipped picture"
rm "$folder/win.bmp"
ln -s "$scratch/nowhere.bmp" "$folder/win.bmp"
start || fail "start with a dangling link failed"
[ -L "$folder/win.bmp" ] || fail "the dangling link was replaced"

# --help and --version reach the game without a folder being prepared.
for question in --help --version; do
    (HOME="$scratch/asked" start "$question") || fail "$question start failed"
    expect_log / 1 "$question"
done
[ ! -e "$scratch/asked" ] || fail "--help or --version prepared the player's folder"

# The game's exit status passes through the launcher.
status=0
(GAME_EXIT=3 start) || status=$?
[ "$status" -eq 3 ] || fail "exit status $status, expected the game's 3"

# An absolute XDG_DATA_HOME is used; a relative one is ignored.
(HOME="$scratch/other" XDG_DATA_HOME="$scratch/xdg" start) ||
    fail "start with XDG_DATA_HOME failed"
expect_log "$scratch/xdg/lettermoor" 0
(HOME="$scratch/other" XDG_DATA_HOME=relative/xdg start) ||
    fail "start with a relative XDG_DATA_HOME failed"
expect_log "$scratch/other/.local/share/lettermoor" 0

# Without any home the launcher refuses before starting the game.
if (unset HOME && start 2>"$scratch/err"); then fail "started without HOME"; fi
expect_log "(game not started)"
grep -q "HOME" "$scratch/err" || fail "no word about HOME: $(cat "$scratch/err")"

# A missing default is reported, not papered over with an empty file.
rm "$share/win.bmp"
if (HOME="$scratch/fresh" start 2>"$scratch/err"); then
    fail "started without the default picture"
fi
grep -q "win.bmp" "$scratch/err" || fail "no word about win.bmp: $(cat "$scratch/err")"

[ "$failures" -eq 0 ] || exit 1
echo "launcher: all cases passed"

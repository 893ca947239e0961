#!/bin/sh
# Installs the Debian package, starts the installed launcher the way a
# desktop would (from /, with a fresh HOME) under a private Xvfb, waits for
# the window "Lettermoor", checks the player's folder was filled, closes the
# game with Esc and checks it ended with status 0. Removes the package again.
#   install-check.sh PACKAGE.deb
set -eu
[ -n "${XVFB_PID:-}" ] || exec "$(dirname "$0")/with-xvfb.sh" "$0" "$@"

deb=$1
[ -f "$deb" ] || { echo "install-check: no package $deb" >&2; exit 1; }
if [ "$(id -u)" -ne 0 ]; then
    echo "install-check: installing a package needs root; run it as root, or install" >&2
    echo "  $deb by hand and start 'lettermoor' yourself." >&2
    exit 1
fi
for tool in xdotool xprop; do
    command -v "$tool" >/dev/null || { echo "install-check: $tool is missing" >&2; exit 1; }
done

scratch=$(mktemp -d)
game_pid=
installed=
cleanup() {
    [ -z "$game_pid" ] || kill "$game_pid" 2>/dev/null || true
    if [ -n "$installed" ]; then
        apt-get remove -y -qq -o DPkg::Lock::Timeout=300 lettermoor >/dev/null ||
            echo "install-check: could not remove the package" >&2
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

fail() {
    echo "install-check: FAIL: $*" >&2
    exit 1
}

# Tries for up to $1 tenths of a second.
wait_until() {
    tries=$1
    shift
    while [ "$tries" -gt 0 ]; do
        if "$@"; then return 0; fi
        sleep 0.1
        tries=$((tries - 1))
    done
    return 1
}

if dpkg-query -W -f='${Status}' lettermoor 2>/dev/null | grep -q "ok installed"; then
    echo "install-check: lettermoor was already installed; it is replaced and removed afterwards"
fi
# apt-get rather than plain dpkg -i: it waits for the dpkg lock other builds
# on this machine may hold, and pulls in a missing X library if need be.
echo "install-check: installing $deb"
installed=yes
apt-get install -y -qq -o DPkg::Lock::Timeout=300 "$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")" \
    >"$scratch/apt.log" 2>&1 || { cat "$scratch/apt.log" >&2; fail "the package did not install"; }
# A desktop session's PATH: the package puts the launcher in /usr/games.
PATH=/usr/local/bin:/usr/bin:/bin:/usr/games
export PATH
case $(command -v lettermoor) in
/usr/games/lettermoor | /usr/bin/lettermoor) ;;
*) fail "the installed launcher is not on the PATH" ;;
esac

home=$scratch/home
mkdir "$home"
(cd / && unset XDG_DATA_HOME && HOME=$home exec lettermoor) >"$scratch/game.log" 2>&1 &
game_pid=$!

window=
find_window() {
    window=$(xdotool search --name '^Lettermoor$' 2>/dev/null | head -n 1)
    [ -n "$window" ]
}
wait_until 150 find_window || { cat "$scratch/game.log" >&2; fail "no window named Lettermoor"; }
echo "install-check: window $window is up"

# The desktop entry's StartupWMClass and the icon must be on the window.
xprop -id "$window" WM_CLASS | grep -q '"lettermoor", "Lettermoor"' ||
    fail "WM_CLASS is not lettermoor, Lettermoor: $(xprop -id "$window" WM_CLASS)"
grep -q '^StartupWMClass=Lettermoor$' /usr/share/applications/lettermoor.desktop ||
    fail "the desktop entry's StartupWMClass does not match the window"
xprop -id "$window" -notype 32c _NET_WM_ICON | grep -q '= 16, 16,' || fail "the window has no icon"

folder=$home/.local/share/lettermoor
for name in woerter.txt win.bmp; do
    cmp -s "$folder/$name" "/usr/share/lettermoor/$name" || fail "$folder/$name is not the default"
done

xdotool windowfocus --sync "$window" key Escape
wait_until 100 sh -c "! kill -0 $game_pid 2>/dev/null" || fail "the game did not end on Esc"
status=0
wait "$game_pid" || status=$?
game_pid=
[ "$status" -eq 0 ] || { cat "$scratch/game.log" >&2; fail "the game ended with status $status"; }
echo "install-check: installed game started, filled $folder and ended with status 0"

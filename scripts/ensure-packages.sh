#!/usr/bin/env bash
# Installs the Debian packages a command needs that are missing. Each
# argument names one list, scripts/packages-NAME.txt (run, test, fuzz,
# valgrind, windows, bench, packaging, tidy, web); `make run` asks only for `run`,
# and every further target adds its own list when it runs.
# As root it installs them; otherwise it prints the apt-get line and fails.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[[ $# -gt 0 ]] || set -- run
missing=()
for name in "$@"; do
    list=$here/packages-$name.txt
    [[ -f $list ]] || { echo "ensure-packages.sh: no list $list" >&2; exit 2; }
    while read -r pkg; do
        [[ -z "$pkg" || "$pkg" == \#* ]] && continue
        status=$(dpkg-query -W -f='${Status}' "$pkg" 2> /dev/null || true)
        [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
    done < "$list"
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)
if [[ $(id -u) -ne 0 ]]; then
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get update && sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/bin/sh
# Installs the build into a scratch prefix and runs the installed chipsmith-cli once on the
# simulated board, as a new user would after installing the package.
#   installed-run.sh BUILD_DIR
set -eu
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build" --prefix "$scratch/usr" >/dev/null
export XDG_DATA_HOME="$scratch/data" HOME="$scratch"
out=$("$scratch/usr/bin/chipsmith-cli" --port sim --chip 12c508 blank)
echo "$out"
case $out in "blank, calibration "*) ;; *) echo "unexpected: $out" >&2; exit 1 ;; esac
test -f "$scratch/data/chipsmith/virtual-socket.txt"
"$scratch/usr/bin/chipsmith-cli" --port sim detect | grep -qx 'board on LPT1 (0x378, simulated)'

#!/bin/sh
# A signal ends chipsmith-cli at once while nothing is powered: here while it waits for its file
# on standard input, which would otherwise wait for ever. The status is the shell's for SIGTERM.
#   signal-ends-at-once.sh CHIPSMITH_CLI
set -u
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_DATA_HOME="$scratch/data" HOME="$scratch"
mkfifo "$scratch/in"
exec 3<>"$scratch/in"  # a writer that never writes: the read blocks
"$1" --port sim program - <"$scratch/in" &
pid=$!
# Wait until its handlers are in place (SIGTERM is bit 14 of the caught mask), so that it is the
# program that ends itself, not the signal's default before main.
caught=0
while [ $((caught & 0x4000)) -eq 0 ]; do
    mask=$(sed -n 's/^SigCgt:[[:space:]]*//p' "/proc/$pid/status" 2>/dev/null) || exit 1
    caught=$((0x${mask:-0}))
done
kill -TERM "$pid"
wait "$pid"
status=$?
[ "$status" -eq 143 ] || { echo "status $status, not 143" >&2; exit 1; }
test ! -e "$scratch/data/chipsmith/virtual-socket.txt" || { echo "socket file written" >&2; exit 1; }

#!/bin/sh
# A batch killed during a chip goes on, when started again with the same serial file, at the next
# number: the killed chip's number is on disk before the chip is touched, and never given again.
#   serial-survives-kill.sh CHIPSMITH_CLI HEX_FILE
# The simulated board keeps real time: on a loaded machine a run may fail its supplies' timing
# (exit 3) and is then tried again; what is checked holds for every run that got a number.
set -u
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_DATA_HOME="$scratch/data" HOME="$scratch"
serials="$scratch/serial.txt"
# exec: in the background the program itself is the job killed, not a shell around it.
run() {
    rm -f "$scratch/data/chipsmith/virtual-socket.txt"  # a new chip in the socket
    cli="$1"
    shift
    exec "$cli" --port sim --serial 0x1000 --serial-file "$serials" --log "$scratch/l.csv" "$@"
}
cli=$1
hex=$2
for attempt in 1 2 3; do
    (run "$cli" auto "$hex") >"$scratch/out1" 2>&1 &
    pid=$!
    # The number after the chip's is written before the chip is powered: kill it then, no later.
    # (A few milliseconds between looks: a tighter loop would starve the board's timing.)
    while [ ! -s "$serials" ] && kill -0 "$pid" 2>/dev/null; do
        sleep 0.005
    done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    [ -s "$serials" ] && break
done
[ "$(cat "$serials")" = "0x1001" ] || { cat "$scratch/out1" >&2; exit 1; }
for attempt in 1 2 3; do
    (run "$cli" --fast auto "$hex") >"$scratch/out2" 2>&1 && break
done
number=$(sed -n 's/^ *serial number //p' "$scratch/out2")
[ -n "$number" ] && [ "$number" != 0x1000 ] || { cat "$scratch/out2" >&2; exit 1; }
# The check after programming read the ID words back, and the file holds the number after it.
grep -q "ID words $number" "$scratch/out2" || { cat "$scratch/out2" >&2; exit 1; }
[ "$(cat "$serials")" = "$(printf '0x%X' $((number + 1)))" ] ||
    { echo "serial file: $(cat "$serials") after $number" >&2; exit 1; }

#!/usr/bin/env bash
# Builds and runs the whole test suite: every test case is a ctest test, and as many run at once as
# the machine has cores. Test cases that open windows each get one of a set of X servers (Xvfb) to
# themselves while they run, so that none reaches into another's windows, pointer or keyboard.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/build.sh

jobs=$(nproc)
servers=()

stop_servers() {
    for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap stop_servers EXIT

# One server per job for the test cases, and one for everything else that needs a display.
start_server() {
    local fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    servers+=("$!")
    read -r display <"$fifo" || true
    rm -f "$fifo"

    if [ -z "$display" ]; then
        echo "Xvfb did not start" >&2
        exit 1
    fi
}

ids=()
for _ in $(seq "$jobs"); do
    start_server
    ids+=("{ \"id\": \"$display\", \"slots\": 1 }")
done

start_server
export DISPLAY=":$display"

spec="$PWD/build/test-displays.json"
printf '{ "version": { "major": 1, "minor": 0 }, "local": [ { "displays": [ %s ] } ] }\n' \
    "$(IFS=,; echo "${ids[*]}")" >"$spec"

ctest --test-dir build -j"$jobs" --resource-spec-file "$spec" --output-on-failure

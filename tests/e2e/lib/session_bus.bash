# Private D-Bus buses for the end-to-end tests.
#
# Usage, after common.bash's e2e_init:  source .../session_bus.bash

# start_bus VARIABLE: a private bus whose address goes into VARIABLE.
start_bus() {
    local fifo="$E2E_WORK/bus-address"
    rm -f "$fifo"
    mkfifo "$fifo"
    dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$fifo" >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    local address
    read -r -t "$(scaled 10)" address <"$fifo" || { echo "dbus-daemon did not start"; exit 1; }
    export "$1=$address"
}

# Without a display the saver says so in one line and ends with status 1.
source "$(dirname "$0")/lib/common.bash"
e2e_init "$1"

check() { # NAME, then the environment for the run
    local name=$1
    shift
    env "$@" timeout 10 "$SAVER_BIN" >"$E2E_WORK/out" 2>"$E2E_WORK/err"
    local status=$?
    local lines
    lines=$(wc -l <"$E2E_WORK/err")
    if [ "$status" -ne 1 ]; then
        fail "$name: status $status"
    elif [ "$lines" -ne 1 ] || ! grep -q '^linesaver: cannot open a display: ..*' "$E2E_WORK/err"; then
        fail "$name: stderr was: $(cat "$E2E_WORK/err")"
    elif [ -s "$E2E_WORK/out" ]; then
        fail "$name: printed on stdout"
    else
        pass "$name: $(cat "$E2E_WORK/err")"
    fi
}

check "no DISPLAY" -u DISPLAY
check "a display nobody serves" DISPLAY=:987
e2e_done

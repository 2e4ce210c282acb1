# with_xvfb.sh shm|noshm BINARY [ARGS...]: runs BINARY on an X server of
# its own, large enough for a picture that needs more than one request,
# with shared memory or without, and tells it which in
# LINESAVER_EXPECT_SHM (1 or 0).
set -u
mode=$1
shift
work=$(mktemp -d /tmp/linesaver-x11image.XXXXXX)
refused=()
[ "$mode" = noshm ] && refused=(-extension MIT-SHM)
mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 2400x2000x24 "${refused[@]}" -nolisten tcp -noreset 3>"$work/displayfd" \
    2>"$work/xvfb.log" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$work"' EXIT
if ! read -r -t 10 number <"$work/displayfd"; then
    echo "Xvfb did not start:"
    cat "$work/xvfb.log"
    exit 1
fi
DISPLAY=":$number" LINESAVER_EXPECT_SHM=$([ "$mode" = shm ] && echo 1 || echo 0) "$@"

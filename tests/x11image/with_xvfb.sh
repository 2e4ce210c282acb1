# with_xvfb.sh shm|noshm BINARY [ARGS...]: runs BINARY on an X server of
# its own, large enough for a picture that needs more than one request,
# with shared memory or without, and tells it which in
# LINESAVER_EXPECT_SHM (1 or 0). A test the server cannot run skips the
# whole run (status 77).
source "$(dirname "$0")/../e2e/lib/common.bash"
mode=$1
shift
E2E_WORK=$(mktemp -d /tmp/linesaver-x11image.XXXXXX)
trap e2e_cleanup EXIT
refused=()
[ "$mode" = noshm ] && refused=(-extension MIT-SHM)
start_xvfb 2400x2000 24 "${refused[@]}"
LINESAVER_EXPECT_SHM=$([ "$mode" = shm ] && echo 1 || echo 0) "$@" | tee "$E2E_WORK/out"
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] && grep -q '^\[  SKIPPED \]' "$E2E_WORK/out" && exit 77
exit "$status"

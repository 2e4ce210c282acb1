#!/usr/bin/env bash
# The Windows build under Wine on a private X server: the resources of the
# .scr and the installer, the portable core's and the backend's unit tests,
# then the saver end to end, then the installer, then the saver on two
# monitors.
#
#     tests/wine/run.sh BUILD_DIR      (make test-windows)
#
# W_ONLY_SAVER=1 leaves the installer out (it needs `make windows-package`);
# E2E_KEEP=1 keeps the work folder, prefix and logs for a look afterwards.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
wine_init "$1"
source "$here/resource_checks.bash"

for binary in core win32; do
    if wine "$BUILD/tests/linesaver_${binary}_tests.exe" >"$E2E_WORK/$binary.log" 2>&1; then
        pass "$binary unit tests: $(grep -o '[0-9]* tests\? from .* ran' "$E2E_WORK/$binary.log")"
    else
        cat "$E2E_WORK/$binary.log"
        fail "$binary unit tests"
    fi
done

# The Windows sources named as the rest of the project's.
if "$here/../../tools/check_style.sh" --names "$BUILD" >"$E2E_WORK/names.log" 2>&1; then
    pass "the Windows build's names follow .clang-tidy"
else
    cat "$E2E_WORK/names.log"
    fail "the Windows build's names"
fi

source "$here/saver_checks.bash"
[ -n "${W_ONLY_SAVER:-}" ] || source "$here/installer_check.bash"
source "$here/monitor_checks.bash"

e2e_done

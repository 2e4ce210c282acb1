# A private headless sway for the Wayland tests, with no XWayland. sway
# will not run as root, so the compositor, the saver and every client run
# as an unprivileged user (made once) with a private runtime folder.
#
# Usage, after common.bash's e2e_init:  source .../wayland.bash; start_sway WxH

WAYLAND_USER=linesaver-e2e

# as_user CMD...: runs CMD as the test user in the compositor's session.
# "${AS_USER[@]}" CMD... does the same as one command, so that a command
# started in the background with it has $! as its own process id.
as_user() { "${AS_USER[@]}" "$@"; }
user_command() {
    AS_USER=(setpriv --reuid="$WAYLAND_USER" --regid="$WAYLAND_USER" --clear-groups
        env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$E2E_WORK" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR"
        WAYLAND_DISPLAY="${WAYLAND_DISPLAY:-}" SWAYSOCK="${SWAYSOCK:-}" SDL_AUDIODRIVER=dummy
        ${SDL_VIDEODRIVER:+SDL_VIDEODRIVER=$SDL_VIDEODRIVER})
}

# start_sway WxH [OUTPUTS]: the compositor on one (or OUTPUTS) headless
# outputs of that size, side by side, never handing a full-screen window's
# buffer straight to an output: sway 1.7 shares one flag for that between
# its outputs, and with two of them a picture of the first one may show
# what lay under the window before it came. The
# saver is copied with its music to where the test user can run it
# ($SAVER_BIN then names the copy).
start_sway() {
    local outputs=${2:-1}
    id -u "$WAYLAND_USER" >/dev/null 2>&1 ||
        useradd --system --no-create-home --shell /usr/sbin/nologin "$WAYLAND_USER" ||
        { echo "cannot make the user $WAYLAND_USER"; exit 1; }
    chmod 755 "$E2E_WORK"
    mkdir "$E2E_WORK/bin"
    cp "$SAVER_BIN" "$E2E_WORK/bin/linesaver"
    cp -r "$(dirname "$SAVER_BIN")/music" "$E2E_WORK/bin/music"
    chmod -R a+rX "$E2E_WORK/bin"
    SAVER_BIN="$E2E_WORK/bin/linesaver"
    chown "$WAYLAND_USER:" "$XDG_RUNTIME_DIR"
    mkdir -m 700 "$E2E_WORK/user"
    chown "$WAYLAND_USER:" "$E2E_WORK/user"
    printf 'xwayland disable\noutput * resolution %s\ndefault_border none\n' "$1" >"$E2E_WORK/sway.config"
    unset DISPLAY WAYLAND_DISPLAY SWAYSOCK
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        setpriv --reuid="$WAYLAND_USER" --regid="$WAYLAND_USER" --clear-groups \
        env WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS="$outputs" \
        HOME="$E2E_WORK" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" \
        sway -D noscanout -c "$E2E_WORK/sway.config" >"$E2E_WORK/sway.log" 2>&1 &
    SWAY=$!
    E2E_PIDS+=("$SWAY")
    local _ socket
    for _ in $(seq 100); do
        socket=$(ls "$XDG_RUNTIME_DIR" | grep -m1 '^wayland-[0-9]*$')
        SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock 2>/dev/null | head -n 1)
        WAYLAND_DISPLAY=$socket user_command
        [ -n "$socket" ] && [ -n "$SWAYSOCK" ] && as_user swaymsg -t get_outputs >/dev/null 2>&1 && break
        sleep 0.1
    done
    [ -n "$socket" ] || { echo "sway did not start:"; cat "$E2E_WORK/sway.log"; exit 1; }
    export WAYLAND_DISPLAY=$socket SWAYSOCK
    user_command
}

# wl_screenshot FILE [OUTPUT]: the outputs, or that one at its own scale,
# as a PNG, through grim.
wl_screenshot() {
    as_user grim ${2:+-o "$2"} "$E2E_WORK/user/shot.png" 2>"$E2E_WORK/grim.err" && cp "$E2E_WORK/user/shot.png" "$1"
}

# wl_screenshot_of OUTPUT FILE: that output alone at its own scale.
wl_screenshot_of() { wl_screenshot "$2" "$1"; }

# saver_window: the saver's window in sway's tree, as "WxH+X+Y fullscreen"
# (fullscreen 1 or 0), or nothing while it has none.
saver_window() {
    as_user swaymsg -t get_tree 2>/dev/null | python3 -c '
import json, sys
def walk(n):
    if n.get("pid") and n.get("name") == "Form1" and n.get("visible", True):
        r = n["rect"]
        print("%dx%d+%d+%d %d" % (r["width"], r["height"], r["x"], r["y"], n.get("fullscreen_mode", 0)))
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        walk(c)
walk(json.load(sys.stdin))'
}

# start_wayland_saver [VAR=VALUE...]: runs the saver as the test user, with
# those variables, and waits (up to 10 s) until sway shows its window;
# LAUNCHED says when it started (date +%s%N).
start_wayland_saver() {
    LAUNCHED=$(date +%s%N)
    "${AS_USER[@]}" "$@" "$SAVER_BIN" 2>"$E2E_WORK/saver.err" &
    SAVER=$!
    E2E_PIDS+=("$SAVER")
    local _
    for _ in $(seq 100); do
        [ -n "$(saver_window)" ] && return 0
        kill -0 "$SAVER" 2>/dev/null || { echo "the saver ended before its window showed"; cat "$E2E_WORK/saver.err"; return 1; }
        sleep 0.1
    done
    echo "no window after 10 s"
    return 1
}

"""Processes of the whole-process benchmarks: a private X server or
Wayland compositor, the programs measured on it, and what /proc says about
them."""

import os
import shutil
import signal
import subprocess
import tempfile
import time

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    """User plus system CPU time of the whole process (all its threads)."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    # Fields 14 and 15 of stat; the split starts at field 3.
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def thread_cpu_seconds(pid, name_prefix):
    """CPU time of the process's threads whose name starts with name_prefix
    (threads that have ended no longer count)."""
    total = 0.0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/stat") as f:
                text = f.read()
        except OSError:
            continue
        name = text[text.index("(") + 1:text.rindex(")")]
        if name.startswith(name_prefix):
            fields = text.rsplit(")", 1)[1].split()
            total += (int(fields[11]) + int(fields[12])) / CLOCK_TICKS
    return total


def status_kib(pid, key):
    """A "kB" line of /proc/PID/status, such as VmHWM."""
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(key + ":"):
                return int(line.split()[1])
    return 0


def shared_memory_segments(pid):
    """How many System V shared-memory segments the process has mapped:
    MIT-SHM images show up here."""
    with open(f"/proc/{pid}/maps") as f:
        return sum(1 for line in f if "/SYSV" in line)


def monotonic_ns():
    return time.clock_gettime_ns(time.CLOCK_MONOTONIC)


class Child:
    """A program started in the background and ended when the block ends."""

    def __init__(self, argv, env=None, stdout=subprocess.DEVNULL, pass_fds=()):
        self.argv = argv
        self.env = env
        self.stdout = stdout
        self.pass_fds = pass_fds
        self.proc = None
        self.launched_ns = 0

    def __enter__(self):
        self.launched_ns = monotonic_ns()
        self.proc = subprocess.Popen(self.argv, env=self.env, stdout=self.stdout,
                                     stderr=subprocess.DEVNULL, pass_fds=self.pass_fds)
        return self

    @property
    def pid(self):
        return self.proc.pid

    def alive(self):
        return self.proc.poll() is None

    def end(self, grace=2.0):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(grace)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def __exit__(self, *exc):
        self.end()


class DisplayServer:
    """What the display servers share: their process, ended with the block."""

    child = None

    @property
    def pid(self):
        return self.child.pid

    def __exit__(self, *exc):
        self.child.end()


class Xvfb(DisplayServer):
    """A private X server of the given size on a display it picks itself."""

    def __init__(self, size):
        self.size = size
        self.child = None
        self.display = None

    def __enter__(self):
        read_end, write_end = os.pipe()
        self.child = Child(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                            f"{self.size}x24", "-nolisten", "tcp", "-noreset"],
                           pass_fds=(write_end,))
        self.child.__enter__()
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            self.child.end()
            raise RuntimeError(f"Xvfb did not start at {self.size}")
        self.display = ":" + number
        return self

    def env(self, base, **extra):
        env = dict(base)
        env["DISPLAY"] = self.display
        env.pop("WAYLAND_DISPLAY", None)
        env.update(extra)
        return env


class Sway(DisplayServer):
    """A private headless sway with one output of the given size in device
    pixels at that scale, and with XWayland when asked (xwayland_pid and
    x_display then name it). sway will not run as root: then it and its
    clients run as an unprivileged user, made once, whose argv prefix is
    user_argv."""

    USER = "linesaver-e2e"

    def __init__(self, size, root, scale=1, xwayland=False):
        self.size = size
        self.root = root
        self.scale = scale
        self.xwayland = xwayland
        self.child = None
        self.runtime = None
        self.user_argv = []
        self.xwayland_pid = None
        self.x_display = None

    def __enter__(self):
        self.runtime = tempfile.mkdtemp(prefix="sway.", dir=self.root)
        if os.geteuid() == 0:
            if subprocess.run(["id", "-u", self.USER], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode != 0:
                subprocess.run(["useradd", "--system", "--no-create-home", "--shell",
                                "/usr/sbin/nologin", self.USER], check=True)
            shutil.chown(self.runtime, self.USER, self.USER)
            os.chmod(self.root, 0o755)
            self.user_argv = ["setpriv", f"--reuid={self.USER}", f"--regid={self.USER}", "--clear-groups"]
        os.chmod(self.runtime, 0o700)
        config = os.path.join(self.root, "sway.config")
        with open(config, "w") as f:
            f.write(f"xwayland {'force' if self.xwayland else 'disable'}\n"
                    f"output * resolution {self.size} scale {self.scale}\ndefault_border none\n")
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "XDG_RUNTIME_DIR": self.runtime,
               "HOME": self.runtime, "WLR_BACKENDS": "headless", "WLR_RENDERER": "pixman",
               "WLR_LIBINPUT_NO_DEVICES": "1"}
        self.child = Child(self.user_argv + ["sway", "-c", config], env)
        self.child.__enter__()
        deadline = time.monotonic() + 10
        while not os.path.exists(os.path.join(self.runtime, "wayland-1")) or (self.xwayland and not self.x_display):
            if time.monotonic() > deadline or not self.child.alive():
                self.child.end()
                raise RuntimeError(f"sway did not start at {self.size}")
            if self.xwayland:
                self.find_xwayland()
            time.sleep(0.05)
        return self

    def find_xwayland(self):
        """sway's XWayland and its display, once it runs: the one in this
        sway's runtime folder (it is not sway's child)."""
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{pid}/cmdline") as f:
                    argv = f.read().split("\0")
                with open(f"/proc/{pid}/environ") as f:
                    environ = f.read().split("\0")
            except OSError:
                continue
            if argv[0].endswith("Xwayland") and len(argv) > 1 and f"XDG_RUNTIME_DIR={self.runtime}" in environ:
                self.xwayland_pid, self.x_display = int(pid), argv[1]

    def env(self, base, **extra):
        """A client's environment: natively, or through XWayland as
        SDL_VIDEODRIVER=x11 asks when sway has it."""
        env = dict(base)
        env.pop("DISPLAY", None)
        env.update(XDG_RUNTIME_DIR=self.runtime, WAYLAND_DISPLAY="wayland-1")
        if self.xwayland:
            env.update(DISPLAY=self.x_display, SDL_VIDEODRIVER="x11")
        env.update(extra)
        return env


def wait_for_window(env, name="^Form1$", seconds=10.0):
    """Waits until a visible window of that name is on the screen."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name],
                               env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
        if found.returncode == 0:
            return True
        time.sleep(0.05)
    return False

"""The measurements: one program on its own X server for a while, the
music player alone, frame pacing, leaving on input, and the per-tick
benchmarks."""

import json
import subprocess
import tempfile
import time

from procs import (Child, Sway, Xvfb, cpu_seconds, monotonic_ns, shared_memory_segments,
                   status_kib, thread_cpu_seconds, wait_for_window)

WARMUP_SECONDS = 2.0


class CaseFailed(Exception):
    pass


# SDL's audio thread: what the music costs beside the animation.
AUDIO_THREAD = "SDLAudio"


def sample_cpu(pids, seconds, audio_of=None):
    """% of one core of each process over the whole time (/proc/PID/stat
    counts in clock ticks, so shorter windows would be too coarse), and of
    the audio threads of process audio_of under the key "audio"."""
    def read():
        values = {pid: cpu_seconds(pid) for pid in pids}
        if audio_of:
            values["audio"] = thread_cpu_seconds(audio_of, AUDIO_THREAD)
        return values

    try:
        before = read()
        start = time.monotonic()
        time.sleep(seconds)
        after = read()
        wall = time.monotonic() - start
    except OSError as e:
        raise CaseFailed(f"a measured process ended early ({e})") from e
    return {key: 100 * (after[key] - before[key]) / wall for key in before}


def private_env(root, base, **extra):
    """The environment of one run: its own runtime folder under root, so
    runs never share the saver's lock or its drive."""
    env = dict(base)
    env["XDG_RUNTIME_DIR"] = tempfile.mkdtemp(prefix="run.", dir=root)
    env.update(extra)
    return env


def on_x(argv, size, seconds, env):
    """A program on a fresh X server: its CPU, the server's, its peak
    resident memory, and whether it uses shared-memory images."""
    with Xvfb(size) as x:
        with Child(argv, x.env(env)) as client:
            time.sleep(WARMUP_SECONDS)
            if not client.alive():
                raise CaseFailed(f"{argv[0]} ended at start-up")
            shm = shared_memory_segments(client.pid)
            cpu = sample_cpu([client.pid, x.pid], seconds, audio_of=client.pid)
            hwm = status_kib(client.pid, "VmHWM")
    return {"client": cpu[client.pid], "server": cpu[x.pid], "hwm_mib": hwm / 1024,
            "shm": shm, "audio": cpu["audio"]}


def on_wayland(argv, size, seconds, env, root, scale=1, xwayland=False):
    """The saver on a fresh headless sway of size device pixels at scale,
    natively or through XWayland: its CPU, the compositor's and XWayland's,
    and its peak resident memory."""
    with Sway(size, root, scale, xwayland) as sway:
        with Child(sway.user_argv + argv, sway.env(env)) as client:
            time.sleep(WARMUP_SECONDS)
            if not client.alive():
                raise CaseFailed(f"{argv[0]} ended at start-up")
            servers = [sway.pid] + ([sway.xwayland_pid] if xwayland else [])
            cpu = sample_cpu([client.pid] + servers, seconds)
            hwm = status_kib(client.pid, "VmHWM")
    return {"client": cpu[client.pid], "server": cpu[sway.pid],
            "xwayland": cpu[sway.xwayland_pid] if xwayland else 0.0, "hwm_mib": hwm / 1024, "shm": 0}


def pacing_on_wayland(argv, size, seconds, env, root):
    """linesaver-pacing's JSON line, natively on a fresh headless sway."""
    with Sway(size, root) as sway:
        launched = monotonic_ns()
        run = subprocess.run(sway.user_argv + argv + ["--seconds", str(seconds), "--launched-at", str(launched)],
                             env=sway.env(env), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                             timeout=seconds + 60, text=True)
    if run.returncode != 0 or not run.stdout.strip():
        raise CaseFailed(f"{argv[0]} failed on Wayland with status {run.returncode}")
    return json.loads(run.stdout.strip().splitlines()[-1])


def alone(argv, seconds, env):
    """A program without a display: its CPU and peak resident memory."""
    with Child(argv, env) as client:
        time.sleep(WARMUP_SECONDS)
        if not client.alive():
            raise CaseFailed(f"{argv[0]} ended at start-up")
        cpu = sample_cpu([client.pid], seconds)
        hwm = status_kib(client.pid, "VmHWM")
    return {"client": cpu[client.pid], "server": 0.0, "hwm_mib": hwm / 1024, "shm": 0}


def pacing(argv, size, seconds, env):
    """linesaver-pacing's JSON line, started on a fresh X server."""
    with Xvfb(size) as x:
        launched = monotonic_ns()
        run = subprocess.run(argv + ["--seconds", str(seconds), "--launched-at", str(launched)],
                             env=x.env(env), stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, timeout=seconds + 60, text=True)
    if run.returncode != 0 or not run.stdout.strip():
        raise CaseFailed(f"{argv[0]} failed with status {run.returncode}")
    return json.loads(run.stdout.strip().splitlines()[-1])


def present_cost(argv, size, ticks, env):
    """linesaver-bench-present's JSON line on a fresh X server, with the
    server's CPU time per tick (µs) under "server_us_per_tick"."""
    with Xvfb(size) as x:
        before = cpu_seconds(x.pid)
        run = subprocess.run(argv + ["--ticks", str(ticks)], env=x.env(env), stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, timeout=600, text=True)
        server = cpu_seconds(x.pid) - before
    if run.returncode != 0 or not run.stdout.strip():
        raise CaseFailed(f"{argv[0]} failed with status {run.returncode}")
    figures = json.loads(run.stdout.strip().splitlines()[-1])
    figures["server_us_per_tick"] = 1e6 * server / ticks
    return figures


def input_to_exit(argv, size, runs, env):
    """ms from just before a key is sent with xdotool until the saver's
    process is gone, one value per run."""
    times = []
    with Xvfb(size) as x:
        xenv = x.env(env)
        for _ in range(runs):
            with Child(argv, xenv) as saver:
                if not wait_for_window(xenv):
                    raise CaseFailed("the saver's window never showed")
                time.sleep(1.0)  # ticks running, the music started
                sent = time.monotonic()
                key = subprocess.Popen(["xdotool", "key", "space"], env=xenv)
                try:
                    saver.proc.wait(5)
                except subprocess.TimeoutExpired as e:
                    raise CaseFailed("the saver did not end on a key") from e
                times.append(1000 * (time.monotonic() - sent))
                key.wait()
    return times


def tick_benchmarks(binary, repetitions=3):
    """linesaver-bench-ticks' medians: name -> (µs per tick, counters)."""
    with tempfile.NamedTemporaryFile(suffix=".json") as out:
        subprocess.run([binary, f"--benchmark_out={out.name}", "--benchmark_out_format=json",
                        f"--benchmark_repetitions={repetitions}",
                        "--benchmark_report_aggregates_only=true"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        data = json.load(open(out.name))
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}
    results = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        counters = {k: v for k, v in b.items() if "/tick" in k}
        # A case that times only part of each iteration (manual time) says
        # so in its name; its CPU time counts the rest too.
        time = b["real_time"] if "/manual_time" in b["run_name"] else b["cpu_time"]
        results[b["run_name"]] = (time * scale[b["time_unit"]], counters)
    return results

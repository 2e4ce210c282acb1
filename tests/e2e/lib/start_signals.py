"""Close signals at every moment of the saver's start-up.

  start_signals.py SAVER RUNTIME_DIR LAST_MS STEP_MS RUNS

Starts the saver again and again and sends it SIGTERM, SIGINT or SIGHUP
(in turn) 0, STEP_MS, 2 STEP_MS, ... LAST_MS milliseconds after it was
started, RUNS times at each moment. Every signal must end it within three
seconds: with status 0, or, when it came before the saver could watch for
it, by the signal itself; either way with no copy of a track left in
RUNTIME_DIR. Prints one line of figures and one per fault; exits 1 on any.
"""
import collections
import os
import signal
import subprocess
import sys
import time

SIGNALS = [signal.SIGTERM, signal.SIGINT, signal.SIGHUP]


def default_actions():
    # A background job of a shell has SIGINT ignored, and an ignored signal
    # that comes before the saver has blocked it is lost: the saver starts
    # as a watcher or a session would start it.
    for sig in SIGNALS:
        signal.signal(sig, signal.SIG_DFL)


def main():
    saver, runtime = sys.argv[1], sys.argv[2]
    last_ms, step_ms, runs = (int(a) for a in sys.argv[3:6])
    drive = os.path.join(runtime, "linesaver", "c")  # where the copies of tracks go
    moments = [delay_ms for delay_ms in range(0, last_ms + 1, step_ms) for _ in range(runs)]
    faults = []
    by_status = collections.Counter()
    for tries, delay_ms in enumerate(moments):
        sig = SIGNALS[tries % len(SIGNALS)]
        at = f"{sig.name} at {delay_ms} ms"
        proc = subprocess.Popen([saver], stderr=subprocess.PIPE, preexec_fn=default_actions)
        time.sleep(delay_ms / 1000)
        proc.send_signal(sig)
        try:
            _, err = proc.communicate(timeout=3)
        except subprocess.TimeoutExpired:
            faults.append(f"{at}: lost, the saver still runs")
            proc.kill()
            proc.communicate()
            continue
        status, said = proc.returncode, err.decode(errors="replace").strip()
        by_status[status] += 1
        if status not in (0, -sig) or (status == 0 and err):
            faults.append(f"{at}: status {status}, said {said!r}")
        for name in sorted(os.listdir(drive)) if os.path.isdir(drive) else []:
            faults.append(f"{at}: left {name} behind")
            os.remove(os.path.join(drive, name))
    figures = ", ".join(f"{n} {f'by {signal.Signals(-s).name}' if s < 0 else f'status {s}'}"
                        for s, n in sorted(by_status.items()))
    print(f"{len(moments)} signals 0-{last_ms} ms after start: {len(faults)} faults; {figures}")
    for fault in faults:
        print("  " + fault)
    sys.exit(1 if faults else 0)

main()

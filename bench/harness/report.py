"""The Markdown report of one `make bench` run."""

import datetime
import os
import platform
import re
import statistics

TICKS_PER_SECOND = 1000 / 15
SIZES = ("1920x1080", "3840x2160")
LABELS = {"qix": "qix -root", "epicycle": "epicycle -root", "saver": "linesaver, no music",
          "saver+music": "linesaver with music", "hack": "linesaver hack -root, no music",
          "saver-before": "linesaver, no music, earlier build", "hack-before": "linesaver hack -root, earlier build"}
WAYLAND_LABELS = {"native": "natively", "xwayland": "through XWayland (`SDL_VIDEODRIVER=x11`)",
                  "native-before": "natively, earlier build"}


def cpu_model():
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown CPU"


def num(value, digits=2):
    return "—" if value is None else f"{value:.{digits}f}"


def size_label(size):
    return size.replace("x", "×")


def whole_process(figures):
    rows = ["| Program | Screen | Program % | Display server % | Together % | Together ÷ qix "
            "| Peak RSS MiB | MIT-SHM |",
            "|---|---|---:|---:|---:|---:|---:|---|"]
    for size in SIZES:
        qix = figures["x"].get(("qix", size))
        base = qix["client"] + qix["server"] if qix else None
        for name in ("qix", "epicycle", "saver", "saver-before", "hack", "hack-before", "saver+music"):
            if (name, size) not in figures["x"]:
                continue
            r = figures["x"][(name, size)]
            if r is None:
                rows.append(f"| {LABELS[name]} | {size_label(size)} | failed | | | | | |")
                continue
            together = r["client"] + r["server"]
            ratio = together / base if base else None
            rows.append(f"| {LABELS[name]} | {size_label(size)} | {num(r['client'])} | "
                        f"{num(r['server'])} | {num(together)} | {num(ratio)} | "
                        f"{num(r['hwm_mib'], 1)} | {'yes' if r['shm'] else 'no'} |")
    return rows


def together_on_wayland(r):
    return r["client"] + r["server"] + r["xwayland"]


def on_wayland(figures):
    rows = ["| Saver | Output, device pixels | Scale | Saver % | sway % | XWayland % | Together % "
            "| Peak RSS MiB | RSS ÷ X11 saver's |",
            "|---|---|---:|---:|---:|---:|---:|---:|---:|"]
    for size in SIZES:
        x11 = figures["x"].get(("saver", size))
        if x11:
            rows.append(f"| on Xvfb, for reference | {size_label(size)} | — | {num(x11['client'])} | "
                        f"{num(x11['server'])} (Xvfb) | — | {num(x11['client'] + x11['server'])} | "
                        f"{num(x11['hwm_mib'], 1)} | 1.00 |")
        for scale in (1, 2):
            for way, label in WAYLAND_LABELS.items():
                if (way, size, scale) not in figures["wayland"]:
                    continue
                r = figures["wayland"][(way, size, scale)]
                if r is None:
                    rows.append(f"| {label} | {size_label(size)} | {scale} | failed | | | | | |")
                    continue
                ratio = r["hwm_mib"] / x11["hwm_mib"] if x11 else None
                rows.append(f"| {label} | {size_label(size)} | {scale} | {num(r['client'])} | {num(r['server'])} | "
                            f"{num(r['xwayland']) if way == 'xwayland' else '—'} | {num(together_on_wayland(r))} | "
                            f"{num(r['hwm_mib'], 1)} | {num(ratio)} |")
    return rows


def music_cost(figures):
    """The saver's audio thread while the music plays."""
    with_music = figures["x"].get(("saver+music", SIZES[0]))
    return with_music["audio"] if with_music else None


def music(figures):
    player = figures.get("fluidsynth")
    extra = music_cost(figures)
    with_music = figures["x"].get(("saver+music", SIZES[0]))
    without = figures["x"].get(("saver", SIZES[0]))
    difference = with_music["client"] - without["client"] if with_music and without else None
    rows = ["| | % of one core | Peak RSS MiB |", "|---|---:|---:|"]
    rows.append(f"| fluidsynth player (-a sdl2, dynamic sample loading) | "
                f"{num(player and player['client'])} | {num(player and player['hwm_mib'], 1)} |")
    rows.append(f"| the saver's audio thread, music playing | {num(extra)} | — |")
    loud = figures.get("loud_music")
    rows.append(f"| the saver's audio thread, a dense track far past full scale (the limiter at work) | "
                f"{num(loud and loud['audio'])} | — |")
    rows.append(f"| the saver with music − without ({size_label(SIZES[0])}; patterns differ) | "
                f"{num(difference)} | — |")
    if player and extra is not None and player["client"] > 0:
        rows.append(f"| ratio, saver's audio thread ÷ player | {num(extra / player['client'])} | |")
    return rows


def pacing(figures):
    rows = ["| Run | Ticks | Mean ms | Median ms | p99 ms | Largest ms | Missed | First frame ms "
            "| Tick µs | Present µs |",
            "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|"]
    for key, label in (("pacing", "no music"), ("pacing_before", "no music, earlier build"),
                       ("pacing_wayland", "no music, natively on sway"), ("pacing_music", "with music")):
        p = figures.get(key)
        if p:
            rows.append(f"| {label} | {p['ticks']} | {num(p['mean_ms'], 3)} | {num(p['median_ms'], 3)} | "
                        f"{num(p['p99_ms'], 3)} | {num(p['max_ms'], 3)} | {p['missed']} | "
                        f"{num(p['first_frame_ms'], 1)} | {num(p.get('tick_us'), 1)} | "
                        f"{num(p.get('present_us'), 1)} |")
    for key, label in (("exit", "no music"), ("exit_before", "no music, earlier build"),
                       ("exit_music", "with music")):
        times = figures.get(key)
        if times:
            rows.append("")
            rows.append(f"Key to process gone, {label}: median {num(statistics.median(times), 1)} ms "
                        f"(runs: {', '.join(num(t, 1) for t in times)}).")
    return rows


def ticks(figures):
    t = figures.get("ticks")
    if not t:
        return ["(failed)"]
    rows = ["| Benchmark | µs per tick | % of one core at 66.7 ticks/s | Drawings per tick "
            "| Pixels presented per tick | Rectangles per tick |", "|---|---:|---:|---:|---:|---:|"]
    for name, (us, counters) in t.items():
        if name.startswith("Tick/"):
            rows.append(f"| {re.split('/(?:min_time|iterations)', name)[0]} | {num(us, 1)} | {num(us * TICKS_PER_SECOND / 1e4, 3)} | "
                        f"{num(counters.get('draws/tick'), 1)} | {num(counters.get('px/tick'), 0)} | "
                        f"{num(counters.get('rects/tick'), 1)} |")
    patterns = sorted(((us, name.split("/")[1]) for name, (us, _) in t.items()
                       if name.startswith("Pattern/")), reverse=True)
    if patterns:
        rows.append("")
        rows.append("Patterns alone at 1920×1080, µs per tick: median "
                    f"{num(statistics.median(us for us, _ in patterns), 1)}; dearest "
                    + ", ".join(f"{n} ({num(us, 1)})" for us, n in patterns[:5]) + ".")
    return rows


def presenting(figures):
    rows = ["| Screen | Ticks | Rectangles per tick | Pixels per tick | Client µs per tick "
            "| X server µs per tick |", "|---|---:|---:|---:|---:|---:|"]
    for size, p in figures.get("present", {}).items():
        if p:
            rows.append(f"| {size_label(size)} | {p['ticks']} | {num(p['rects_per_tick'], 1)} | "
                        f"{num(p['pixels_per_tick'], 0)} | {num(p['client_us_per_tick'], 1)} | "
                        f"{num(p['server_us_per_tick'], 1)} |")
    return rows


def goal_rows(figures):
    x = figures["x"]
    goals = []

    def together(name, size):
        r = x.get((name, size))
        return r["client"] + r["server"] if r else None

    for size, limit in zip(SIZES, (0.5, 0.7)):
        s = x.get(("saver", size))
        goals.append((f"saver alone ≤ {limit} % at {size_label(size)}", f"{num(s and s['client'])} %",
                      bool(s) and s["client"] <= limit))
    for size in SIZES:
        s, q = together("saver", size), together("qix", size)
        goals.append((f"saver + X ≤ 0.6 × qix + X at {size_label(size)}",
                      f"{num(s)} vs {num(q)} % ({num(s / q if s is not None and q else None)}×)",
                      s is not None and q is not None and s <= 0.6 * q))
    s = x.get(("saver", SIZES[0]))
    extra, player = music_cost(figures), figures.get("fluidsynth")
    goals.append(("music's extra (audio thread) ≤ 1.1 × fluidsynth player",
                  f"{num(extra)} vs {num(player and player['client'])} %",
                  extra is not None and bool(player) and extra <= 1.1 * player["client"]))
    m = x.get(("saver+music", SIZES[0]))
    goals.append(("peak RSS with music < 70 MiB", f"{num(m and m['hwm_mib'], 1)} MiB",
                  bool(m) and m["hwm_mib"] < 70))
    goals.append(("peak RSS without music < 30 MiB", f"{num(s and s['hwm_mib'], 1)} MiB",
                  bool(s) and s["hwm_mib"] < 30))
    for size in SIZES:
        x11 = x.get(("saver", size))
        for scale in (1, 2):
            native = figures["wayland"].get(("native", size, scale))
            xwayland = figures["wayland"].get(("xwayland", size, scale))
            n, w = (together_on_wayland(r) if r else None for r in (native, xwayland))
            goals.append((f"natively + sway ≤ through XWayland + XWayland + sway at {size_label(size)}, scale {scale}",
                          f"{num(n)} vs {num(w)} %", n is not None and w is not None and n <= w))
        native = figures["wayland"].get(("native", size, 2))
        goals.append((f"peak RSS natively ≤ 1.5 × the X11 saver's at {size_label(size)} (scale 2)",
                      f"{num(native and native['hwm_mib'], 1)} vs {num(x11 and x11['hwm_mib'], 1)} MiB",
                      bool(native) and bool(x11) and native["hwm_mib"] <= 1.5 * x11["hwm_mib"]))
    p = figures.get("pacing")
    goals.append(("ticks: mean 15.0 ± 0.1 ms, p99 < 16 ms, none missed in 2000 or more",
                  f"{num(p and p['mean_ms'], 3)} / {num(p and p['p99_ms'], 3)} ms, "
                  f"{p and p['missed']} missed in {p and p['ticks']}",
                  bool(p) and abs(p["mean_ms"] - 15) <= 0.1 and p["p99_ms"] < 16 and p["missed"] == 0
                  and p["ticks"] >= 2000))
    for key, label in (("pacing", "no music"), ("pacing_music", "with music")):
        p = figures.get(key)
        goals.append((f"first frame ≤ 150 ms, {label}", f"{num(p and p['first_frame_ms'], 1)} ms",
                      bool(p) and 0 <= p["first_frame_ms"] <= 150))
    for key, label in (("exit", "no music"), ("exit_music", "with music")):
        times = figures.get(key)
        med = statistics.median(times) if times else None
        goals.append((f"gone ≤ 50 ms after the key, {label}", f"{num(med, 1)} ms",
                      med is not None and med <= 50))
    rows = ["| Goal | Figure | Met |", "|---|---|---|"]
    rows += [f"| {g} | {f} | {'yes' if ok else '**no**'} |" for g, f, ok in goals]
    return rows


def render(figures):
    now = datetime.datetime.now().strftime("%Y-%m-%d %H:%M")
    audio = figures["audio"]
    track = os.path.basename(figures["track"]) if figures["track"] else "none"
    lines = [
        "# Performance",
        "",
        f"Written by `make bench` on {now}: {os.cpu_count()} cores, {cpu_model()}, "
        f"Linux {platform.release()}; every program on its own Xvfb (24 bits). "
        f"Whole-process cases run {figures['seconds']:g} s each ({figures['saver_seconds']:g} s for "
        "the saver) after a 2 s warm-up, one after another. % of one core = CPU seconds per wall second × 100 (utime + stime of "
        "/proc/PID/stat) over the whole case; values under 1 % are noisy. On a virtual machine "
        "they are noisier still: a client and its X server on different virtual cores wake each "
        "other through the hypervisor, whose price swings with the host's load (the same build "
        "has measured several times its quiet figure, qix as much as its saver). The saver's cost "
        "depends on the patterns it chooses: every case starts it from the same seed "
        "(`LINESAVER_SEED`), so runs of one build draw the same figures. "
        "Peak RSS is VmHWM. Audio goes through SDL's "
        f"`{audio['SDL_AUDIODRIVER']}` driver into {audio['SDL_DISKAUDIOFILE']} (real-time "
        f"pace). Music: `{track}` with `{os.path.basename(figures['soundfont'])}`."
        + (" Rows marked \"earlier build\" are the programs of another build (`BENCH_BASELINE`), "
           "measured in the same run; a build from before `LINESAVER_SEED` draws at random."
           if figures.get("baseline") else ""),
        "",
        "## Whole process beside classic hacks",
        "",
        *whole_process(figures),
        "",
        "## On Wayland (sway, headless, software rendering)",
        "",
        "The saver on a headless sway with one output of that many device pixels, natively "
        "(its own Wayland desktop) and through XWayland, at scale 1 and 2; sway and XWayland "
        "count as its display servers. Through XWayland at scale 2 the saver draws a quarter "
        "of the pixels, which sway scales up.",
        "",
        *on_wayland(figures),
        "",
        "## Music",
        "",
        *music(figures),
        "",
        "## Frame pacing, start-up and leaving (1920×1080)",
        "",
        "First frame: from just before the process is started until the first drawn frame "
        "has been presented. Tick and present: mean wall time of a frame tick in the real "
        "saver, and from its end until its frame has been sent to the display server. Leaving: from "
        "just before `xdotool key` is started until the process is gone.",
        "",
        *pacing(figures),
        "",
        "## Per tick, in process (Google Benchmark, median of three repetitions)",
        "",
        *ticks(figures),
        "",
        "## Presenting (X server's share, fixed seed)",
        "",
        "The animation from seed 1, each frame drawn and sent to a window covering the screen "
        "as soon as the server has read the last one: no waiting between ticks, so these are "
        "the costs of the work alone, without waking up. Client: this process (drawing and "
        "sending); X server: Xvfb's CPU time over the run.",
        "",
        *presenting(figures),
        "",
        "## Goals",
        "",
        *goal_rows(figures),
        "",
        f"The whole run took {figures.get('wall', 0) / 60:.1f} minutes.",
    ]
    if figures["errors"]:
        lines += ["", "Failed cases:", ""] + [f"- {e}" for e in figures["errors"]]
    return "\n".join(lines) + "\n"

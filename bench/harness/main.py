"""make bench: the per-tick benchmarks, then the saver and two classic
screen-saver hacks side by side on private X servers, the music against
the fluidsynth player, frame pacing and leaving on input. Prints the table
and writes it to docs/performance.md."""

import argparse
import os
import shutil
import sys
import tempfile
import time

import cases
import report

SIZES = ("1920x1080", "3840x2160")
HACKS = ("qix", "epicycle")
HACK_DIR = "/usr/libexec/xscreensaver"
SOUNDFONT = "/usr/share/sounds/sf2/default-GM.sf2"
AUDIO = {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": "/dev/null"}
EXIT_RUNS = 5
PACING_TICKS = 2000
SEED = 1
PRESENT_TICKS = 6000


def say(text):
    print(text, file=sys.stderr, flush=True)


def install(bin_dir, folder, track):
    """The saver and the pacing harness in a folder of their own whose
    music folder holds track (or nothing)."""
    os.makedirs(os.path.join(folder, "music"))
    for name in ("linesaver", "linesaver-pacing"):
        shutil.copy2(os.path.join(bin_dir, name), folder)
    if track:
        shutil.copy2(track, os.path.join(folder, "music"))
    return folder


def write_loud_track(path, beats):
    """A dense, loud General MIDI file of beats beats at 120 bpm: every
    channel at full volume and expression playing four-note chords at
    velocity 127, the drums on channel 10. FluidSynth takes it far past full
    scale, so the saver's limiter works all the time."""
    def varlen(value):
        out = [value & 0x7F]
        while value > 0x7F:
            value >>= 7
            out.insert(0, 0x80 | (value & 0x7F))
        return bytes(out)

    def chunk(kind, body):
        return kind + len(body).to_bytes(4, "big") + body

    end = bytes([0, 0xFF, 0x2F, 0])
    tracks = [chunk(b"MTrk", bytes([0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20]) + end)]
    for channel in range(16):
        root = 36 + 12 * (channel % 4) + channel // 4
        keys = (36, 38, 42, 49) if channel == 9 else (root, root + 4, root + 7, root + 12)
        body = bytearray([0, 0xC0 | channel, (61, 30, 48, 81)[channel % 4],
                          0, 0xB0 | channel, 7, 127, 0, 0xB0 | channel, 11, 127])
        for _ in range(beats):
            for key in keys:
                body += bytes([0, 0x90 | channel, key, 127])
            for i, key in enumerate(keys):
                body += varlen(480 if i == 0 else 0) + bytes([0x80 | channel, key, 0])
        tracks.append(chunk(b"MTrk", bytes(body) + end))
    header = chunk(b"MThd", (1).to_bytes(2, "big") + len(tracks).to_bytes(2, "big") + (480).to_bytes(2, "big"))
    with open(path, "wb") as out:
        out.write(header + b"".join(tracks))
    return path


def longest_track(bin_dir):
    music = os.path.join(bin_dir, "music")
    tracks = [os.path.join(music, n) for n in os.listdir(music) if n.endswith(".mid")] \
        if os.path.isdir(music) else []
    return max(tracks, key=os.path.getsize) if tracks else None


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--bin", required=True, help="the folder of the built programs")
    parser.add_argument("--out", required=True, help="the Markdown file to write")
    parser.add_argument("--seconds", type=float, default=30.0, help="length of each case")
    parser.add_argument("--baseline", help="the folder of an earlier build, measured beside this one")
    args = parser.parse_args()
    seconds = args.seconds
    work = tempfile.mkdtemp(prefix="linesaver-bench.")
    try:
        figures = run_all(args.bin, work, seconds, args.baseline)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    table = report.render(figures)
    print(table)
    with open(args.out, "w") as out:
        out.write(table)
    say(f"written to {args.out}")


def run_all(bin_dir, work, seconds, baseline=None):
    began = time.monotonic()
    track = longest_track(bin_dir)
    silent = install(bin_dir, os.path.join(work, "silent"), None)
    music = install(bin_dir, os.path.join(work, "music"), track) if track else None
    # Long enough for the whole case: the player never starts it again.
    loud_track = write_loud_track(os.path.join(work, "loud.mid"), beats=int(2 * (2 * seconds + 10)))
    loud = install(bin_dir, os.path.join(work, "loud"), loud_track)
    base = dict(os.environ)
    # The same figures in every run of this build (an earlier build may
    # not know the variable and draw at random).
    base["LINESAVER_SEED"] = str(SEED)
    env = lambda **extra: cases.private_env(work, base, **extra)  # noqa: E731
    # The saver's cost follows the patterns it happens to choose (a few
    # seconds each): it runs twice as long as the steady hacks.
    saver_seconds = 2 * seconds
    # Enough ticks to tell one in 2000 missed.
    pacing_seconds = max(seconds, PACING_TICKS * 0.015 + 1)
    figures = {"seconds": seconds, "saver_seconds": saver_seconds, "track": track,
               "soundfont": os.path.realpath(SOUNDFONT), "audio": AUDIO, "x": {}, "errors": [],
               "baseline": baseline, "wayland": {}}
    before = install(baseline, os.path.join(work, "before"), None) if baseline else None

    def attempt(label, run):
        say(f"  {label}")
        try:
            return run()
        except (cases.CaseFailed, OSError, RuntimeError) as e:
            figures["errors"].append(f"{label}: {e}")
            return None

    say("per-tick benchmarks")
    figures["ticks"] = attempt("linesaver-bench-ticks", lambda: cases.tick_benchmarks(
        os.path.join(bin_dir, "linesaver-bench-ticks")))
    figures["present"] = {}
    for size in SIZES:
        figures["present"][size] = attempt(f"presenting at {size}", lambda: cases.present_cost(
            [os.path.join(bin_dir, "linesaver-bench-present")], size, PRESENT_TICKS, env()))
    say(f"whole processes, {seconds:g} s each ({saver_seconds:g} s for the saver)")
    for size in SIZES:
        for hack in HACKS:
            figures["x"][(hack, size)] = attempt(f"{hack} -root at {size}", lambda: cases.on_x(
                [os.path.join(HACK_DIR, hack), "-root"], size, seconds, env()))
        figures["x"][("saver", size)] = attempt(f"saver at {size}", lambda: cases.on_x(
            [os.path.join(silent, "linesaver")], size, saver_seconds, env(**AUDIO)))
        if before:
            figures["x"][("saver-before", size)] = attempt(f"earlier saver at {size}", lambda: cases.on_x(
                [os.path.join(before, "linesaver")], size, saver_seconds, env(**AUDIO)))
        figures["x"][("hack", size)] = attempt(f"linesaver hack -root at {size}", lambda: cases.on_x(
            [os.path.join(bin_dir, "xscreensaver", "linesaver"), "-root"], size, saver_seconds, env()))
        if before:
            figures["x"][("hack-before", size)] = attempt(f"earlier hack -root at {size}", lambda: cases.on_x(
                [os.path.join(baseline, "xscreensaver", "linesaver"), "-root"], size, saver_seconds, env()))
        for scale in (1, 2):
            for way, saver, xwayland in (("native", silent, False), ("xwayland", silent, True),
                                         ("native-before", before, False)):
                if saver:
                    figures["wayland"][(way, size, scale)] = attempt(
                        f"saver {way} on sway at {size}, scale {scale}", lambda: cases.on_wayland(
                            [os.path.join(saver, "linesaver")], size, saver_seconds, env(**AUDIO), work, scale,
                            xwayland))
    if music:
        figures["x"][("saver+music", SIZES[0])] = attempt(f"saver with music at {SIZES[0]}", lambda: cases.on_x(
            [os.path.join(music, "linesaver")], SIZES[0], saver_seconds, env(**AUDIO)))
        figures["loud_music"] = attempt(f"saver with a loud track at {SIZES[0]}", lambda: cases.on_x(
            [os.path.join(loud, "linesaver")], SIZES[0], saver_seconds, env(**AUDIO)))
        figures["fluidsynth"] = attempt("fluidsynth player", lambda: cases.alone(
            ["fluidsynth", "-n", "-i", "-q", "-a", "sdl2", "-o", "synth.dynamic-sample-loading=1",
             SOUNDFONT, track], seconds, env(**AUDIO)))
    say("frame pacing and leaving")
    figures["pacing"] = attempt("pacing", lambda: cases.pacing(
        [os.path.join(silent, "linesaver-pacing")], SIZES[0], pacing_seconds, env(**AUDIO)))
    if before:
        figures["pacing_before"] = attempt("earlier pacing", lambda: cases.pacing(
            [os.path.join(before, "linesaver-pacing")], SIZES[0], pacing_seconds, env(**AUDIO)))
    figures["pacing_wayland"] = attempt("pacing on Wayland", lambda: cases.pacing_on_wayland(
        [os.path.join(silent, "linesaver-pacing")], SIZES[0], pacing_seconds, env(**AUDIO), work))
    if music:
        figures["pacing_music"] = attempt("pacing with music", lambda: cases.pacing(
            [os.path.join(music, "linesaver-pacing")], SIZES[0], max(seconds / 3, 2), env(**AUDIO)))
    figures["exit"] = attempt("input to exit", lambda: cases.input_to_exit(
        [os.path.join(silent, "linesaver")], SIZES[0], EXIT_RUNS, env(**AUDIO)))
    if before:
        figures["exit_before"] = attempt("earlier input to exit", lambda: cases.input_to_exit(
            [os.path.join(before, "linesaver")], SIZES[0], EXIT_RUNS, env(**AUDIO)))
    if music:
        figures["exit_music"] = attempt("input to exit with music", lambda: cases.input_to_exit(
            [os.path.join(music, "linesaver")], SIZES[0], EXIT_RUNS, env(**AUDIO)))
    figures["wall"] = time.monotonic() - began
    return figures


if __name__ == "__main__":
    main()

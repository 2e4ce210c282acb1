#!/usr/bin/env python3
"""The include checker on small trees: a clean one passes, each planted
fault is reported as exactly one line naming file, line and target."""
import contextlib
import os
import pathlib
import subprocess
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools")
sys.path.insert(0, TOOLS)
import check_includes  # noqa: E402

SCRIPT = os.path.join(TOOLS, "check_includes.py")

# A tree that keeps every rule, with the lexer's traps in it.
CLEAN = {
    "platform/platform.h": "#pragma once\n#include <cstdint>\n",
    "engine/state.h": '#pragma once\n#include "platform/platform.h"\n',
    "engine/motion.cpp": (
        '#include "engine/state.h"\n'
        "/* #include \"shell/saver.h\"\n"
        "   #include <SDL.h> */\n"
        "// #include <unistd.h>\n"
        "static const char* s = R\"x(\n#include \"shell/saver.h\"\n)x\";\n"
        "static const char* q = \"/*\";\n"
        "static int n = 1'000; /*\n#include <SDL.h> */\n"
        '#include "state.h"\n'),
    "patterns/table.h": '#include "engine/state.h"\n',
    "shell/saver.h": '#include "patterns/table.h"\n#include "engine/state.h"\n',
    "shell/saver.cpp": '#include "saver.h"\n',
    "platform/raster/canvas.h": '#include "platform/platform.h"\n',
    "platform/posix/file.cpp": "#include <unistd.h>\n#include <sys/stat.h>\n",
    "platform/sdl/window.h": ('#include "platform/raster/canvas.h"\n'
                              "#include <SDL.h>\n#include <X11/Xlib.h>\n"),
    "programs/saver/main.cpp": ('#include "shell/saver.h"\n'
                                '#include "platform/sdl/window.h"\n'),
    "tests/unit/fixture.h": '#include "shell/saver.h"\n',
    "tests/unit/shell_test.cpp": '#include "fixture.h"\n#include <unistd.h>\n',
    "tests/fuzz/player_fuzz.cpp": "#include <fluidsynth.h>\n",
    "build/engine/generated.h": '#include "shell/saver.h"\n',
}

# (what, files planted over the clean tree, the one line's start)
FAULTS = [
    ("upward include", {"engine/motion.cpp": '#include "engine/state.h"\n#include "shell/saver.h"\n'},
     "engine/motion.cpp:2: engine may not include shell/saver.h"),
    ("upward include written relative", {"engine/run.cpp": '\n\n#include "../shell/saver.h"\n'},
     "engine/run.cpp:3: engine may not include shell/saver.h"),
    ("SDL in the core", {"patterns/draw.cpp": "#include <SDL.h>\n"},
     "patterns/draw.cpp:1: patterns may not include SDL.h"),
    ("SDL2 path in a backend", {"platform/raster/blit.cpp": "#include <SDL2/SDL_video.h>\n"},
     "platform/raster/blit.cpp:1: platform/raster may not include SDL2/SDL_video.h"),
    ("POSIX in the core", {"music/music.cpp": "#include <cstdio>\n  #  include <unistd.h>\n"},
     "music/music.cpp:2: music may not include unistd.h"),
    ("POSIX in the interface", {"platform/platform.h": "#include <sys/types.h>\n"},
     "platform/platform.h:1: platform may not include sys/types.h"),
    ("Windows header, any case", {"platform/sdl/win.cpp": "#include <Windows.h>\n"},
     "platform/sdl/win.cpp:1: platform/sdl may not include Windows.h"),
    ("FluidSynth outside its places", {"tests/unit/synth_test.cpp": "#include <fluidsynth.h>\n"},
     "tests/unit/synth_test.cpp:1: tests may not include fluidsynth.h"),
    ("interface including a backend", {"platform/platform.h": '#include "platform/raster/canvas.h"\n'},
     "platform/platform.h:1: platform may not include platform/raster/canvas.h"),
    ("folder missing from the table", {"platform/cocoa/view.cpp": '#include "platform/platform.h"\n'},
     "platform/cocoa/view.cpp:1: platform/cocoa may not include platform/platform.h"),
    ("circle between two backends",
     {"platform/raster/canvas.cpp": '#include "platform/raster/canvas.h"\n'
                                    '#include "platform/sdl/window.h"\n'},
     "platform/raster/canvas.cpp:2: platform/raster may not include platform/sdl/window.h"),
]


@contextlib.contextmanager
def tree(files):
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            full = pathlib.Path(root, path)
            full.parent.mkdir(parents=True, exist_ok=True)
            full.write_text(text)
        yield root


def run_script(files):
    with tree(files) as root:
        return subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)


class CheckIncludes(unittest.TestCase):
    def test_exits_zero_on_a_clean_tree_and_one_with_every_fault_line(self):
        clean = run_script(CLEAN)
        self.assertEqual((clean.returncode, len(clean.stdout.splitlines())), (0, 1), clean.stdout)
        planted = {path: text for _, files, _ in FAULTS[:3] for path, text in files.items()}
        result = run_script({**CLEAN, **planted})
        self.assertEqual(result.returncode, 1)
        self.assertEqual([line.split(" (")[0] for line in result.stdout.splitlines()],
                         [expected for _, _, expected in FAULTS[:3]])

    def test_each_fault_is_one_line(self):
        for what, planted, expected in FAULTS:
            with self.subTest(what), tree({**CLEAN, **planted}) as root:
                lines, _ = check_includes.check(root)
                self.assertEqual(len(lines), 1, lines)
                self.assertTrue(lines[0].startswith(expected + " ("), lines[0])

    def test_circle_the_table_allows_is_still_refused(self):
        folders = dict(check_includes.FOLDERS)
        folders["platform/raster"] = ("platform", "platform/sdl")
        planted = {"platform/raster/canvas.cpp": '#include "platform/sdl/window.h"\n'}
        with tree({**CLEAN, **planted}) as root:
            lines, _ = check_includes.check(root, folders=folders)
        self.assertEqual(len(lines), 1, lines)
        self.assertIn("platform/raster -> platform/sdl -> platform/raster", lines[0])


if __name__ == "__main__":
    unittest.main()

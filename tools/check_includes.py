#!/usr/bin/env python3
"""Keeps the project's folders layered one way.

Reads every #include of the C++ sources under ROOT and refuses
  - a project include from a folder to one it may not use (FOLDERS),
  - a system library's header outside the folders that own it (LIBRARIES),
  - any circle between folders, taken from the includes actually present.
Prints one line per offending include and exits 1, or a summary and exits 0.

    check_includes.py [ROOT]
"""
import fnmatch
import os
import re
import sys
from collections import defaultdict, deque

# ---------------------------------------------------------------------------
# The table. "platform" is the interface: the headers directly in platform/.
# A folder may always include itself. A folder missing here may include
# nothing of the project; ANY lets a folder include every other one.
ANY = "*"
INTERFACE = "platform"
CORE = ("engine", "patterns", "music", "shell")

FOLDERS = {
    INTERFACE: (),
    "engine": (INTERFACE,),
    "patterns": ("engine", INTERFACE),
    "music": ("engine", INTERFACE),
    "shell": ("engine", "patterns", "music", INTERFACE),
    "platform/raster": (INTERFACE,),
    "platform/timing": (),
    "platform/posix": (INTERFACE,),
    "platform/idle_dbus": ("platform/idle", "platform/posix"),
    "platform/fluidsynth": (INTERFACE, "platform/posix"),
    "platform/event_loop": (INTERFACE, "platform/timing", "platform/raster"),
    "platform/xcb": (),
    "platform/x11image": (INTERFACE, "platform/raster", "platform/xcb"),
    "platform/sdl": (INTERFACE, "platform/raster", "platform/x11image",
                     "platform/posix", "platform/fluidsynth", "platform/event_loop"),
    "platform/wayland": (INTERFACE, "platform/raster", "platform/posix", "platform/fluidsynth",
                         "platform/event_loop", "platform/sdl"),
    "platform/headless": (INTERFACE, "platform/raster"),
    "platform/x11hack": (INTERFACE, "platform/raster", "platform/x11image", "platform/xcb",
                         "platform/posix", "platform/fluidsynth", "platform/sdl", "platform/event_loop"),
    "platform/win32": (INTERFACE, "platform/raster", "platform/event_loop"),
    "platform/web": (INTERFACE, "platform/raster", "platform/timing", "platform/event_loop"),
    "platform/idle": ("platform/posix",),
    "platform/idle_x11": ("platform/idle", "platform/xcb", "platform/posix"),
    "platform/idle_wayland": ("platform/idle",),
    "programs": ANY,
    "tools": ANY,
    "bench": ANY,
    "tests": ANY,
}

# Folders whose sub-folders are folders of their own (platform/sdl, ...).
SPLIT = ("platform",)

# System libraries: name, header patterns (matched without regard to case),
# and either the places that alone may use them ("only") or the places that
# never may ("never"). A place is a folder or a path inside one (tests/fuzz).
LIBRARIES = [
    ("SDL", ("SDL.h", "SDL_*.h", "SDL2/*"), {"only": ("platform/sdl",)}),
    ("Cairo", ("cairo.h", "cairo-*.h", "cairo/*"),
     {"only": ("platform/headless", "tools", "tests/tools")}),
    ("FluidSynth", ("fluidsynth.h", "fluidsynth/*"),
     {"only": ("platform/fluidsynth", "tests/fuzz")}),
    ("X11", ("X11/*",), {"only": ("platform/sdl",)}),
    ("XCB", ("xcb/*",), {"only": ("platform/xcb", "platform/x11hack", "platform/x11image", "platform/idle_x11",
                                  "tests/x11image", "bench")}),
    ("Wayland", ("wayland-*.h",), {"only": ("platform/wayland", "platform/idle_wayland", "tests/idle_wayland")}),
    ("Windows", ("windows.h", "windef.h", "winbase.h", "winuser.h", "wingdi.h",
                 "winerror.h", "winreg.h", "mmsystem.h", "mmreg.h", "scrnsave.h",
                 "shellapi.h", "shlobj.h", "shlwapi.h", "commctrl.h", "objbase.h",
                 "tchar.h", "process.h", "io.h", "direct.h"),
     {"only": ("platform/win32",)}),
    ("emscripten", ("emscripten.h", "emscripten/*"), {"only": ("platform/web",)}),
    ("POSIX", ("unistd.h", "fcntl.h", "sys/*", "signal.h", "dlfcn.h",
               "pthread.h", "poll.h", "dirent.h", "fnmatch.h", "glob.h",
               "termios.h", "pwd.h", "grp.h", "libgen.h", "spawn.h",
               "semaphore.h", "sched.h", "syslog.h", "netdb.h", "netinet/*",
               "arpa/*", "linux/*"),
     {"never": CORE + (INTERFACE,)}),
    ("sd-bus", ("systemd/*",), {"only": ("platform/idle_dbus", "platform/wayland")}),
]

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp")
BUILD_DIR = re.compile(r"^(build.*|out|cmake-build-.*|_deps|CMakeFiles)$")
# ---------------------------------------------------------------------------

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def folder_of(path):
    """The folder a project file belongs to: engine, platform, platform/sdl."""
    parts = path.split("/")[:-1]
    if not parts:
        return "."
    if parts[0] in SPLIT and len(parts) > 1:
        return parts[0] + "/" + parts[1]
    return parts[0]


def in_place(path, place):
    """Whether a file lies in a place: its folder, or a path inside it."""
    folder = folder_of(path)
    if folder == place:
        return True
    return place.startswith(folder + "/") and path.startswith(place + "/")


def source_files(root):
    found = []
    for top, dirs, files in os.walk(root):
        dirs[:] = sorted(d for d in dirs if not (
            d.startswith(".") or BUILD_DIR.match(d)
            or os.path.exists(os.path.join(top, d, "CMakeCache.txt"))))
        rel = os.path.relpath(top, root).replace(os.sep, "/")
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                found.append(name if rel == "." else rel + "/" + name)
    return found


def _skip_code(line, i, state):
    """Scans one line from i in the given lexer state; returns the state at
    its end: None (code), "*/" (block comment) or ')delim"' (raw string)."""
    n = len(line)
    while i < n:
        if state is not None:
            end = line.find(state, i)
            if end < 0:
                return state
            i, state = end + len(state), None
            continue
        c = line[i]
        if line.startswith("//", i):
            return None
        if line.startswith("/*", i):
            state, i = "*/", i + 2
        elif c == '"' and i > 0 and line[i - 1] == "R" and \
                re.search(r"(^|[^\w])(u8|u|U|L)?R$", line[:i]):
            open_paren = line.find("(", i)
            if open_paren < 0:
                return None
            state, i = ")" + line[i + 1:open_paren] + '"', open_paren + 1
        elif c == '"' or (c == "'" and not (i > 0 and line[i - 1].isalnum())):
            i += 1
            while i < n and line[i] != c:
                i += 2 if line[i] == "\\" else 1
            i += 1
        else:
            i += 1
    return state


def includes(text):
    """(line number, '<' or '"', header) for each #include outside comments
    and raw strings."""
    state = None
    for number, line in enumerate(text.splitlines(), 1):
        if state is None:
            match = INCLUDE.match(line)
            if match:
                yield number, match.group(1), match.group(2).strip()
        state = _skip_code(line, 0, state)


def resolve(root, path, quote, header, known):
    """The project file an include names, or None for a system header."""
    candidates = [header]
    if quote == '"':
        candidates.insert(0, os.path.join(os.path.dirname(path), header))
    for candidate in candidates:
        candidate = os.path.normpath(candidate).replace(os.sep, "/")
        if candidate.startswith("../") or candidate.startswith("/"):
            continue
        if candidate in known or os.path.isfile(os.path.join(root, candidate)) \
                and not any(BUILD_DIR.match(p) or p.startswith(".")
                            for p in candidate.split("/")[:-1]):
            return candidate
    return None


def library_of(header, libraries):
    lowered = header.lower()
    for name, patterns, where in libraries:
        if any(fnmatch.fnmatchcase(lowered, p.lower()) for p in patterns):
            return name, where
    return None


def folder_refusal(folder, target, folders):
    allowed = folders.get(folder)
    if folder == target or allowed == ANY:
        return None
    if allowed is None:
        return f"{folder} is not in the layering table"
    if target in allowed:
        return None
    if not allowed:
        return f"{folder} may include nothing of the project"
    return f"{folder} may include only {', '.join(sorted(allowed))}"


def library_refusal(path, header, libraries):
    found = library_of(header, libraries)
    if not found:
        return None
    name, where = found
    if "only" in where and not any(in_place(path, p) for p in where["only"]):
        return f"{name} only in {', '.join(where['only'])}"
    if any(in_place(path, p) for p in where.get("never", ())):
        return f"{name} never in {', '.join(where['never'])}"
    return None


def cycles(edges):
    """Each distinct circle through the folder graph, as a list of folders,
    one per edge lying on a circle (the shortest circle through that edge)."""
    graph = defaultdict(set)
    for a, b in edges:
        graph[a].add(b)

    def path(start, goal):
        before, queue = {start: None}, deque([start])
        while queue:
            node = queue.popleft()
            if node == goal:
                steps = []
                while node is not None:
                    steps.append(node)
                    node = before[node]
                return steps[::-1]
            for nxt in sorted(graph[node]):
                if nxt not in before:
                    before[nxt] = node
                    queue.append(nxt)
        return None

    found = {}
    for a, b in sorted(edges):
        back = path(b, a)
        if back:
            circle = [a] + back[:-1]
            turn = circle.index(min(circle))
            circle = circle[turn:] + circle[:turn]
            found.setdefault(tuple(circle), circle)
    return list(found.values())


def check(root, folders=None, libraries=None):
    """Returns (lines of findings, summary)."""
    folders = FOLDERS if folders is None else folders
    libraries = LIBRARIES if libraries is None else libraries
    files = source_files(root)
    known = set(files)
    problems = defaultdict(list)   # (path, line, target, folder) -> reasons
    sites = {}                     # (folder, folder) -> first include making it
    count = 0
    for path in files:
        with open(os.path.join(root, path), encoding="utf-8",
                  errors="replace") as f:
            text = f.read()
        folder = folder_of(path)
        for number, quote, header in includes(text):
            count += 1
            target = resolve(root, path, quote, header, known)
            if target is None:
                reason = library_refusal(path, header, libraries)
                if reason:
                    problems[(path, number, header, folder)].append(reason)
                continue
            other = folder_of(target)
            reason = folder_refusal(folder, other, folders)
            if reason:
                problems[(path, number, target, folder)].append(reason)
            if other != folder:
                sites.setdefault((folder, other), (path, number, target, folder))
    for circle in cycles(sites):
        steps = list(zip(circle, circle[1:] + circle[:1]))
        # The refused edge if any, else the one climbing most in the table.
        rank = {f: i for i, f in enumerate(folders)}
        edge = max(steps, key=lambda s: (sites[s] in problems,
                                         rank.get(s[1], -1) - rank.get(s[0], -1)))
        shown = " -> ".join(circle[circle.index(edge[0]):]
                            + circle[:circle.index(edge[0])] + [edge[0]])
        problems[sites[edge]].append(f"closes the circle {shown}")
    lines = [f"{p}:{n}: {folder} may not include {t} ({'; '.join(r)})"
             for (p, n, t, folder), r in sorted(problems.items())]
    summary = (f"layering: {len(files)} files, {count} includes, "
               f"{len(set(a for a, _ in sites) | set(b for _, b in sites))} "
               f"folders, layered one way")
    return lines, summary


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    root = argv[1] if len(argv) > 1 else os.path.join(here, "..", "..")
    if not os.path.isdir(root):
        print(f"check_includes: no folder {root}", file=sys.stderr)
        return 2
    lines, summary = check(os.path.abspath(root))
    for line in lines:
        print(line)
    if lines:
        return 1
    print(summary)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

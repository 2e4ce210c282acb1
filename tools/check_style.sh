#!/usr/bin/env bash
# The project's one style, as .clang-format and .clang-tidy give it:
#   check_style.sh --layout          every C++ file of the tree laid out as clang-format lays it out
#   check_style.sh --names BUILD...  every project file those builds compile (and the project headers
#                                    it includes) named as .clang-tidy names things
# Prints each offence and exits 1, or exits 0 in silence.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top" || exit 2

layout() {
    # Tracked files and new ones not yet added, but nothing ignored (the builds).
    git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' '*.hpp' '*.cc' '*.c' |
        xargs -r -d '\n' clang-format --dry-run --Werror 2>&1
}

# names BUILD: clang-tidy over the project's own sources in BUILD's compile
# database. A build made by a cross compiler says whose headers it needs.
names() {
    local build=$1 database=$1/compile_commands.json
    [ -f "$database" ] || { echo "check_style.sh: no $database; build first"; return 1; }
    # A cross compiler's own headers, which clang-tidy cannot find by itself
    # (but for GCC's intrinsics: clang has its own).
    local compiler extra=()
    compiler=$(grep -m1 -o '"command": "[^ ]*' "$database" | cut -d'"' -f4)
    case "$compiler" in
    *mingw32*) extra=(--extra-arg=--target=x86_64-w64-mingw32) ;;
    *em++*) extra=(--extra-arg=--target=wasm32-unknown-emscripten) ;;
    esac
    if [ ${#extra[@]} -gt 0 ]; then
        local dir
        while read -r dir; do
            extra+=(--extra-arg=-isystem --extra-arg="$dir")
        done < <(echo | "$compiler" -x c++ -std=c++20 -E -v - 2>&1 |
                 sed -n '/^#include <...> search starts here:/,/^End of search list./p' | sed '1d;$d' | sed 's/^ *//' |
                 grep -vE '/lib/gcc/[^/]+/[^/]+/include(-fixed)?$')
    fi
    /usr/bin/python3 - "$database" "$top" <<'EOF' | xargs -r -P "$(nproc)" -n 8 clang-tidy -p "$build" --quiet "${extra[@]}" 2>/dev/null | grep -E '^[^ ].*(error|warning):'
import json, os, sys
database, top = sys.argv[1], sys.argv[2]
seen = set()
for entry in json.load(open(database)):
    path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
    if path.startswith(top + "/") and not os.path.relpath(path, top).startswith("build") and path not in seen:
        seen.add(path)
        print(path)
EOF
    # grep found nothing: no offence.
    [ $? -eq 1 ]
}

case "${1-}" in
--layout)
    out=$(layout)
    [ -z "$out" ] || { echo "$out"; echo "check_style.sh: run clang-format -i on the files above"; exit 1; }
    ;;
--names)
    shift
    [ $# -gt 0 ] || { echo "usage: check_style.sh --names BUILD..."; exit 2; }
    status=0
    for build in "$@"; do names "$build" || status=1; done
    exit $status
    ;;
*)
    echo "usage: check_style.sh --layout | --names BUILD..."
    exit 2
    ;;
esac

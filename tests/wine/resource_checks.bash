# What Windows reads from the .scr and the installer without running them:
# the icon's sizes, the version CMake knows, the manifest. Sourced by run.sh.

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")
setup_exe=$(ls "$BUILD"/package/linesaver-*-setup.exe 2>/dev/null | head -1)

# icon_sizes FILE: the widths in the first icon group, the one Explorer
# shows.
icon_sizes() {
    local first ico="$E2E_WORK/group.ico"
    rm -f "$ico"
    first=$(wrestool -l --type=14 "$1" 2>/dev/null | sed -n '1s/.*--name=\([^ ]*\).*/\1/p')
    [ -n "$first" ] && wrestool -x --type=14 --name="$first" "$1" -o "$ico" 2>/dev/null &&
        icotool -l "$ico" | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | xargs
}
# versions FILE: the fixed file version, then the FileVersion and
# ProductVersion strings, as windres decompiles them.
versions() {
    x86_64-w64-mingw32-windres -i "$1" -O rc 2>/dev/null | sed -n -e 's/^ *FILEVERSION \(.*\)/\1/p' \
        -e 's/^ *VALUE "\(File\|Product\)Version", "\(.*\)"/\2/p' | tr -d ' ' | xargs
}
# manifest FILE: empty unless the manifest is well-formed XML; then its
# DPI awareness, execution level and supported systems.
manifest() {
    local xml="$E2E_WORK/manifest.xml"
    wrestool -x --raw --type=24 --name=1 "$1" >"$xml" 2>/dev/null && xmllint --noout "$xml" 2>/dev/null || return
    local path
    for path in "//*[local-name()='dpiAwareness']" "//*[local-name()='requestedExecutionLevel']/@level" \
        "//*[local-name()='supportedOS']/@Id"; do
        xmllint --xpath "string($path)" "$xml"
        echo
    done | xargs
}

# Each row: what is checked, the command, what it must print.
resource_rows=(
    "the .scr's icon sizes|icon_sizes '$SAVER_BIN'|16 24 32 48 64 256"
    "the installer's icon sizes|icon_sizes '$setup_exe'|16 24 32 48 64 256"
    "the .scr's version|versions '$SAVER_BIN'|${version//./,},0 $version $version"
    "the installer's version|versions '$setup_exe'|${version//./,},0 $version $version"
    "the .scr's manifest|manifest '$SAVER_BIN'|PerMonitorV2 asInvoker {8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"
)
for row in "${resource_rows[@]}"; do
    IFS='|' read -r what command expected <<<"$row"
    got=$(eval "$command")
    [ "$got" = "$expected" ] && pass "$what: $got" || fail "$what: '$got', not '$expected'"
done

# An installation holds the saver and its music side by side under
# lib/linesaver, the command as a relative link to the saver, the render
# tool, the idle watcher, the manual pages, XScreenSaver's hack with its
# settings (valid XML naming the hack) and MATE's theme, and nothing else. Started through a link to
# the command from another folder, it plays its own music and ends on a key.
# The Debian package holds the same tree and depends on the libraries and a
# soundfont.
source "$(dirname "$0")/lib/common.bash"
source "$(dirname "$0")/lib/music.bash"
e2e_init "$1"
build=$(cd "$1/.." && pwd)
licence=$(cd "$(dirname "$0")/../.." && pwd)/LICENSE
prefix="$E2E_WORK/prefix"
if ! cmake --install "$build" --prefix "$prefix" >"$E2E_WORK/install.log" 2>&1; then
    cat "$E2E_WORK/install.log"
    exit 1
fi

# The demo tracks, written afresh: the music an installation holds.
mkdir "$E2E_WORK/demo"
"$1/make_demo_tracks" "$E2E_WORK/demo" || exit 1
demo=$(cd "$E2E_WORK/demo" && ls)

# check_tree NAME ROOT: ROOT holds exactly the installed files, the command
# links to the saver, the music is the demo tracks byte for byte, and
# XScreenSaver's settings for the hack are well-formed XML of its format,
# name the installed hack, start it on the daemon's window and offer music.
check_tree() {
    local name=$1 root=$2 t expected got program xml="$2/share/xscreensaver/config/linesaver.xml"
    expected=$({ printf './%s\n' bin/linesaver bin/linesaver-render bin/linesaver-idle lib/linesaver/linesaver \
                     share/man/man6/linesaver.6 share/man/man1/linesaver-idle.1 libexec/xscreensaver/linesaver \
                     share/xscreensaver/config/linesaver.xml share/applications/screensavers/linesaver.desktop \
                     share/doc/linesaver/copyright
                 printf './lib/linesaver/music/%s\n' $demo; } | sort)
    got=$(cd "$root" && find . ! -type d | sort)
    [ "$got" == "$expected" ] && cmp -s "$root/share/doc/linesaver/copyright" "$licence" &&
        pass "$name: the files are the saver, its music, the render tool, the idle watcher, the manual pages, the hack, its settings, MATE's theme and the licence" \
        || { fail "$name: other files:"; diff <(echo "$expected") <(echo "$got"); }
    t=$(readlink "$root/bin/linesaver")
    [ "$t" == ../lib/linesaver/linesaver ] && pass "$name: bin/linesaver -> $t" || fail "$name: bin/linesaver -> '$t'"
    for t in $demo; do
        cmp -s "$E2E_WORK/demo/$t" "$root/lib/linesaver/music/$t" || fail "$name: $t is not the demo track byte for byte"
    done
    if ! xmllint --noout "$xml" 2>"$E2E_WORK/xmllint.err"; then
        fail "$name: linesaver.xml: $(cat "$E2E_WORK/xmllint.err")"
        return
    fi
    program=$(xmllint --xpath 'string(/screensaver/@name)' "$xml")
    [ -x "$root/libexec/xscreensaver/$program" ] && [ -n "$program" ] \
        && pass "$name: linesaver.xml names the installed hack libexec/xscreensaver/$program" \
        || fail "$name: linesaver.xml names '$program', not an installed hack"
    [ "$(xmllint --xpath 'string(/screensaver/command/@arg)' "$xml")" = "--root" ] &&
        [ "$(xmllint --xpath 'string(/screensaver/boolean[@id="music"]/@arg-set)' "$xml")" = "--music" ] &&
        [ -n "$(xmllint --xpath 'normalize-space(/screensaver/_description)' "$xml")" ] \
        && pass "$name: linesaver.xml starts it with --root and offers --music" \
        || fail "$name: linesaver.xml lacks --root, the music checkbox or the description"
}

check_tree "cmake --install" "$prefix"
"$prefix/bin/linesaver-render" trace --pattern 1 --ticks 1 >/dev/null \
    && pass "the installed render tool runs" || fail "the installed render tool does not run"

music="$prefix/lib/linesaver/music"
mkdir "$E2E_WORK/links"
ln -s "$prefix/bin/linesaver" "$E2E_WORK/links/screensaver"
start_xvfb 1024x768
cd "$E2E_WORK/links" || exit 1
SAVER_BIN="$E2E_WORK/links/screensaver"
x xdotool mousemove 500 400
start_saver || exit 1
wait_for_copy && name=$(copy_of "$music") && pass "a link to a link plays $name from the installed music folder" ||
    fail "through a link to a link: no copy of an installed track on the drive"
x xdotool key space
expect_music_end "a key, through links,"

if cpack --config "$build/CPackConfig.cmake" -B "$E2E_WORK/package" >"$E2E_WORK/cpack.log" 2>&1; then
    deb=$(ls "$E2E_WORK"/package/*.deb)
    dpkg-deb -x "$deb" "$E2E_WORK/unpacked"
    check_tree "the package" "$E2E_WORK/unpacked/usr"
    depends=$(dpkg-deb -f "$deb" Depends)
    names=$(sed 's/([^)]*)//g; s/[,|]/\n/g; s/ //g' <<<"$depends")
    missing=
    for dep in libsdl2-2.0-0 libcairo2 libfluidsynth3 libstdc++6 fluid-soundfont-gm; do
        grep -Fxq "$dep" <<<"$names" || missing+=" $dep"
    done
    [ -z "$missing" ] && pass "the package ($(stat -c %s "$deb") bytes) depends on: $depends" \
        || fail "the package does not depend on$missing: $depends"
else
    fail "cpack:"; cat "$E2E_WORK/cpack.log"
fi
e2e_done

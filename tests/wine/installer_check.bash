# The installer under Wine: silent, for the user alone, the screen saver
# chosen in the registry, and an uninstaller that takes everything away.
# Sourced by run.sh.

setup=$(ls "$BUILD"/package/linesaver-*-setup.exe 2>/dev/null | head -1)
if [ -z "$setup" ]; then
    fail "no installer in $BUILD/package"
    return
fi
local_app="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local"
installed="$local_app/Programs/linesaver"

# reg_value KEY NAME: the value's data, "" when it is not there.
reg_value() {
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { sub(/^ *[^ ]+ +[^ ]+ +/, ""); print }'
}

wine "$setup" /S >"$E2E_WORK/setup.log" 2>&1 || fail "the installer ended with status $?"
if cmp -s "$installed/linesaver.scr" "$BUILD/bin/linesaver.scr" && grep -q winpthreads "$installed/NOTICES.txt" &&
    grep -q "MIT License" "$installed/LICENSE.txt" &&
    [ "$(ls "$installed/music" | wc -l)" -eq "$(ls "$BUILD"/bin/music/*.mid | wc -l)" ]; then
    pass "the installer puts linesaver.scr, the music, the licence and the notices into %LOCALAPPDATA%\\Programs\\linesaver"
else
    fail "the installer's files: $(ls -R "$installed" 2>&1 | tr '\n' ' ')"
fi
zip=$(ls "$BUILD"/package/linesaver-*-win64.zip | head -1)
[ "$(cmake -E tar tf "$zip" | grep -c -E '^linesaver/(linesaver.scr|LICENSE.txt|NOTICES.txt)$')" = 3 ] &&
    pass "the zip holds the saver, the licence and the notices" || fail "the zip lacks the licence or the notices"
desktop='HKCU\Control Panel\Desktop'
saver=$(reg_value "$desktop" SCRNSAVE.EXE)
active=$(reg_value "$desktop" ScreenSaveActive)
[[ "$saver" == *'\AppData\Local\Programs\linesaver\linesaver.scr' ]] && [ "$active" = 1 ] &&
    pass "linesaver is the user's screen saver ($saver)" || fail "SCRNSAVE.EXE '$saver', ScreenSaveActive '$active'"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\linesaver'
[ -n "$(reg_value "$uninstall_key" UninstallString)" ] && pass "the uninstaller is registered" ||
    fail "no uninstaller registered"
# The Apps list's entry: each row a value and the pattern it must match
# ($version is CMake's, read by resource_checks.bash).
apps_rows=(
    "DisplayName|linesaver"
    "DisplayVersion|$version"
    "Publisher|linesaver developers"
    "DisplayIcon|C:?users?*?AppData?Local?Programs?linesaver?linesaver.scr,0"
    "QuietUninstallString|*uninstall.exe\" /S"
    "NoModify|0x1"
    "NoRepair|0x1"
)
for row in "${apps_rows[@]}"; do
    got=$(reg_value "$uninstall_key" "${row%%|*}")
    [[ "$got" == ${row#*|} ]] && pass "Apps entry: ${row%%|*} $got" || fail "Apps entry: ${row%%|*} '$got'"
done
# Its size within a tenth of what lies in the folder.
estimated=$(reg_value "$uninstall_key" EstimatedSize)
on_disk=$(du -sk --apparent-size "$installed" | cut -f1)
[ -n "$estimated" ] && [ $((estimated * 10)) -ge $((on_disk * 9)) ] && [ $((estimated * 10)) -le $((on_disk * 11)) ] &&
    pass "Apps entry: EstimatedSize $((estimated)) KB, $on_disk KB installed" ||
    fail "Apps entry: EstimatedSize '$estimated', $on_disk KB installed"

# The installed saver runs, music and all, and leaves on a key.
SAVER_BIN="$installed/linesaver.scr"
xdotool mousemove 900 600
if start_saver; then
    sleep 0.5
    [ -e "$DRIVE/test.mid" ] && pass "the installed saver copies a track" || fail "the installed saver has no music"
    xdotool key a
    expect_music_end "a key on the installed saver"
fi

# The uninstaller runs from a copy of its own and returns at once: wait
# until the folder has gone.
wine "$installed/uninstall.exe" /S >"$E2E_WORK/uninstall.log" 2>&1
for _ in $(seq 200); do [ -e "$installed" ] || break; sleep 0.1; done
sleep 0.5
left=$(find "$installed" "$local_app/linesaver" 2>/dev/null | tr '\n' ' ')
[ -z "$left" ] && pass "the uninstaller removes the files and the private folder" || fail "left after uninstalling: $left"
[ -z "$(reg_value "$desktop" SCRNSAVE.EXE)" ] && [ -z "$(reg_value "$desktop" ScreenSaveActive)" ] &&
    [ -z "$(reg_value "$uninstall_key" UninstallString)" ] &&
    pass "and the registry is as it was" || fail "registry after uninstalling: SCRNSAVE.EXE '$(reg_value "$desktop" SCRNSAVE.EXE)'"

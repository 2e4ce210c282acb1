# Installation and the Debian package (`make deb`).
#
#   PREFIX/lib/linesaver/linesaver      the saver
#   PREFIX/lib/linesaver/music/*.mid    its music folder, beside the real
#                                       executable where the saver looks
#   PREFIX/bin/linesaver                -> ../lib/linesaver/linesaver
#   PREFIX/bin/linesaver-render
#   PREFIX/bin/linesaver-idle          the idle watcher
#   PREFIX/share/man/man6/linesaver.6
#   PREFIX/share/man/man1/linesaver-idle.1
#   PREFIX/libexec/xscreensaver/linesaver          XScreenSaver's hack
#   PREFIX/share/xscreensaver/config/linesaver.xml its settings
#   PREFIX/share/applications/screensavers/linesaver.desktop  MATE's theme
include(GNUInstallDirs)

# A program folder of its own, not CMAKE_INSTALL_LIBDIR: it holds no library
# and never moves to a multiarch folder.
set(LINESAVER_PROGRAM_DIR lib/linesaver)

install(TARGETS linesaver RUNTIME DESTINATION ${LINESAVER_PROGRAM_DIR})
install(DIRECTORY ${LINESAVER_DEMO_TRACKS}/ DESTINATION ${LINESAVER_PROGRAM_DIR}/music
        FILES_MATCHING PATTERN "*.mid")
if(TARGET linesaver-render)
    install(TARGETS linesaver-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS linesaver-idle RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/linesaver.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_SOURCE_DIR}/docs/linesaver-idle.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Where Debian's xscreensaver looks for hacks and their settings, whatever
# CMAKE_INSTALL_LIBEXECDIR says.
install(TARGETS linesaver-hack RUNTIME DESTINATION libexec/xscreensaver)
install(FILES ${PROJECT_SOURCE_DIR}/programs/xscreensaver/linesaver.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)

# mate-screensaver's theme runs the hack where this prefix puts it; written
# at install time, when the prefix is known (cpack installs to /usr).
# mate-screensaver runs only programs inside its own hack folders, of
# which /usr/libexec/xscreensaver is one and no other prefix's is.
install(CODE "
    set(hack \"\${CMAKE_INSTALL_PREFIX}/libexec/xscreensaver/linesaver\")
    set(theme \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/screensavers/linesaver.desktop\")
    message(STATUS \"Installing: \${theme}\")
    file(READ ${PROJECT_SOURCE_DIR}/programs/xscreensaver/mate-theme.desktop.in entry)
    string(REPLACE @HACK@ \${hack} entry \"\${entry}\")
    file(WRITE \${theme} \"\${entry}\")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \${theme})
    if(NOT hack STREQUAL /usr/libexec/xscreensaver/linesaver)
        message(STATUS \"Note: MATE's screen saver lists linesaver but runs only hacks in /usr/libexec/xscreensaver, \"
                       \"not \${hack}: use the Debian package (make deb) for MATE, or linesaver-idle --enable\")
    endif()
")

# The command is a relative link, so an installed tree still works after a
# move; the saver resolves it to find its music.
file(RELATIVE_PATH saver_link_target /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${LINESAVER_PROGRAM_DIR}/linesaver)
install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/linesaver\")
    message(STATUS \"Installing: \${link} -> ${saver_link_target}\")
    file(CREATE_LINK ${saver_link_target} \${link} SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \${link})
")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME linesaver)
set(CPACK_PACKAGE_CONTACT "linesaver developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "full-screen screen saver of coloured line figures, with MIDI music")
set(CPACK_PACKAGE_DESCRIPTION
    "linesaver covers the screen in black and draws an endless animation of\n"
    "coloured line figures while MIDI music from its music folder plays\n"
    "through a software synthesizer. Any input ends it. It is not a screen\n"
    "locker. Its idle watcher, linesaver-idle, starts it when the desktop is\n"
    "idle (linesaver-idle --enable); MATE's screen saver lists it as a theme.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
# The shared libraries (SDL2, Cairo, FluidSynth, the C++ runtime) come from
# dpkg-shlibdeps; the music needs a General MIDI soundfont at default-GM.sf2.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fluid-soundfont-gm | sf2-soundfont-gm")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | mate-screensaver | xss-lock | xautolock | swayidle")
include(CPack)

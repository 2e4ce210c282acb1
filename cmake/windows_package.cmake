# Makes the Windows packages from a build (cmake -P, run by the target
# windows_package): the NSIS installer linesaver-VERSION-setup.exe and
# linesaver-VERSION-win64.zip, each with linesaver.scr and its music folder,
# the licence and the notices of what the program carries inside.
#
#   -DVERSION=  -DBINDIR= (build-windows/bin)  -DOUTDIR=  -DSCRIPT= (the .nsi)
#   -DICON= (the saver's .ico, also the installer's)  -DPUBLISHER=
#   -DSOURCEDIR= (the repository)
set(stage ${OUTDIR}/linesaver)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage}/music)
file(COPY ${BINDIR}/linesaver.scr DESTINATION ${stage})
configure_file(${SOURCEDIR}/LICENSE ${stage}/LICENSE.txt COPYONLY)
configure_file(${SOURCEDIR}/docs/windows-notices.txt ${stage}/NOTICES.txt COPYONLY)
# The demo tracks the build wrote, and nothing added by hand beside them.
file(GLOB tracks RELATIVE ${BINDIR}/music ${BINDIR}/music/*.mid)
set(install_lines "")
set(remove_lines "")
foreach(track ${tracks})
    file(COPY ${BINDIR}/music/${track} DESTINATION ${stage}/music)
    string(APPEND install_lines "    File \"${stage}/music/${track}\"\n")
    string(APPEND remove_lines "    Delete \"$INSTDIR\\music\\${track}\"\n")
endforeach()
file(WRITE ${OUTDIR}/tracks.nsh
     "!macro InstallTracks\n${install_lines}!macroend\n!macro RemoveTracks\n${remove_lines}!macroend\n")

set(setup ${OUTDIR}/linesaver-${VERSION}-setup.exe)
execute_process(
    COMMAND makensis -V2 -DVERSION=${VERSION} -DBINDIR=${stage} -DTRACKS=${OUTDIR}/tracks.nsh -DOUTFILE=${setup}
            -DICON=${ICON} "-DPUBLISHER=${PUBLISHER}" ${SCRIPT}
    RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "makensis failed")
endif()
set(zip ${OUTDIR}/linesaver-${VERSION}-win64.zip)
file(REMOVE ${zip})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip linesaver WORKING_DIRECTORY ${OUTDIR}
                RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cannot write ${zip}")
endif()
file(SIZE ${setup} setup_size)
file(SIZE ${zip} zip_size)
message(STATUS "${setup} (${setup_size} bytes)")
message(STATUS "${zip} (${zip_size} bytes)")

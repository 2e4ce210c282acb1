# The Windows build's own: the demo tracks beside the saver, the tests that
# run under Wine, and the installer (`make windows-package`).

# The demo tracks beside the saver, written at build time by a program of
# this machine.
include(cmake/host_demo_tracks.cmake)
linesaver_host_demo_tracks(${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/music)

include(${PROJECT_SOURCE_DIR}/cmake/windows_resources.cmake)

# The saver goes out without its symbols.
target_link_options(linesaver PRIVATE -s)

if(BUILD_TESTING)
    # GoogleTest from Debian's sources, built for Windows.
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    foreach(binary core win32)
        file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${binary}/*.cpp)
        add_executable(linesaver_${binary}_tests ${sources})
        set_target_properties(linesaver_${binary}_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
        target_link_libraries(linesaver_${binary}_tests PRIVATE gtest gtest_main)
    endforeach()
    target_link_libraries(linesaver_core_tests PRIVATE linesaver_shell)
    target_link_libraries(linesaver_win32_tests PRIVATE linesaver_win32)
    # The frame timer's beat under Wine, measured by the end-to-end run.
    add_executable(linesaver_tick_probe WIN32 ${PROJECT_SOURCE_DIR}/tests/wine/tick_probe.cpp)
    set_target_properties(linesaver_tick_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
    target_link_libraries(linesaver_tick_probe PRIVATE linesaver_win32)
endif()

# The installer and the zip (`make windows-package`), in package/.
add_custom_target(windows_package
    COMMAND ${CMAKE_COMMAND} -DVERSION=${PROJECT_VERSION} -DBINDIR=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
            -DOUTDIR=${PROJECT_BINARY_DIR}/package -DSOURCEDIR=${PROJECT_SOURCE_DIR} -DSCRIPT=${PROJECT_SOURCE_DIR}/cmake/windows-installer.nsi
            -DICON=${LINESAVER_ICON} -DPUBLISHER=${LINESAVER_PUBLISHER}
            -P ${PROJECT_SOURCE_DIR}/cmake/windows_package.cmake
    DEPENDS linesaver demo_tracks windows_icon
    VERBATIM)

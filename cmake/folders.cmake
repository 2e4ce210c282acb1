# linesaver_folder(NAME DIR [DEPENDS target...]): a static library of the
# sources in DIR, linked to what it really uses. Includes are written from
# the project's top, "engine/motion.h".
function(linesaver_folder name dir)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "DEPENDS")
    file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${arg_DEPENDS})
endfunction()

# The one interface between the core and the machine.
add_library(linesaver_interface INTERFACE)
target_include_directories(linesaver_interface INTERFACE ${PROJECT_SOURCE_DIR})

# The portable core.
linesaver_folder(linesaver_engine engine DEPENDS linesaver_interface)
linesaver_folder(linesaver_patterns patterns DEPENDS linesaver_engine)
linesaver_folder(linesaver_music music DEPENDS linesaver_engine)
linesaver_folder(linesaver_shell shell DEPENDS linesaver_engine linesaver_patterns linesaver_music)

# The backends.
linesaver_folder(linesaver_raster platform/raster DEPENDS linesaver_interface)
linesaver_folder(linesaver_timing platform/timing)
linesaver_folder(linesaver_event_loop platform/event_loop DEPENDS linesaver_interface linesaver_timing linesaver_raster)
if(EMSCRIPTEN)
    linesaver_folder(linesaver_web_platform platform/web DEPENDS linesaver_event_loop)
    # The desktop's limiter, for the page's synthesizer: plain C++.
    add_library(linesaver_peak_limiter STATIC ${PROJECT_SOURCE_DIR}/platform/fluidsynth/peak_limiter.cpp)
    target_include_directories(linesaver_peak_limiter PUBLIC ${PROJECT_SOURCE_DIR})
    return()
endif()
if(WIN32)
    linesaver_folder(linesaver_win32 platform/win32 DEPENDS linesaver_raster linesaver_event_loop winmm)
    target_compile_definitions(linesaver_win32 PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                               _WIN32_WINNT=0x0A00 WINVER=0x0A00)
    target_link_libraries(linesaver_win32 PUBLIC shell32 ole32 advapi32 gdi32 user32)
    return()
endif()
linesaver_folder(linesaver_posix platform/posix DEPENDS linesaver_interface Threads::Threads)
linesaver_folder(linesaver_idle_dbus platform/idle_dbus DEPENDS linesaver_idle linesaver_posix PkgConfig::SYSTEMD)
linesaver_folder(linesaver_fluidsynth platform/fluidsynth
    DEPENDS linesaver_interface linesaver_posix PkgConfig::FLUIDSYNTH Threads::Threads)
linesaver_folder(linesaver_x11image platform/x11image DEPENDS linesaver_raster PkgConfig::XCB)
linesaver_folder(linesaver_sdl platform/sdl
    DEPENDS linesaver_raster linesaver_x11image linesaver_event_loop linesaver_posix linesaver_fluidsynth PkgConfig::SDL2 PkgConfig::X11
    ${CMAKE_DL_LIBS})
linesaver_folder(linesaver_x11hack platform/x11hack
    DEPENDS linesaver_raster linesaver_x11image linesaver_event_loop linesaver_posix linesaver_fluidsynth linesaver_sdl
    PkgConfig::XCB)
# The idle watcher's loop, its X server source and its Wayland sources.
linesaver_folder(linesaver_idle platform/idle DEPENDS linesaver_posix)
linesaver_folder(linesaver_idle_x11 platform/idle_x11 DEPENDS linesaver_idle PkgConfig::XCB_IDLE)
include(cmake/wayland_protocols.cmake)
linesaver_folder(linesaver_idle_wayland platform/idle_wayland DEPENDS linesaver_idle linesaver_wayland_idle_protocols)
# The saver's Wayland desktop (SDL only for its sound), and the choice
# between it and SDL's X11 one at start-up.
linesaver_folder(linesaver_wayland platform/wayland
    DEPENDS linesaver_raster linesaver_event_loop linesaver_posix linesaver_fluidsynth linesaver_sdl
    linesaver_wayland_desktop_protocols PkgConfig::SYSTEMD)
linesaver_folder(linesaver_headless platform/headless DEPENDS linesaver_raster PkgConfig::CAIRO)

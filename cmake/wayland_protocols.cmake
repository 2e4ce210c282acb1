# Client code for the Wayland protocols the idle sources and the saver's
# Wayland desktop speak, made at
# build time by wayland-scanner from the protocol files Debian ships
# (wayland-protocols, plasma-wayland-protocols). The headers are named
# wayland-NAME.h in the build tree.
enable_language(C)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
find_package(PlasmaWaylandProtocols CONFIG REQUIRED)
if(NOT WAYLAND_SCANNER OR NOT WAYLAND_PROTOCOLS_DIR)
    message(FATAL_ERROR "wayland-scanner or wayland-protocols is missing (libwayland-dev, wayland-protocols)")
endif()

set(LINESAVER_PROTOCOL_DIR ${PROJECT_BINARY_DIR}/wayland-protocols)
file(MAKE_DIRECTORY ${LINESAVER_PROTOCOL_DIR})

# linesaver_wayland_protocols(TARGET NAME=XML...): a static library of the
# client code of each protocol file, its header wayland-NAME.h.
function(linesaver_wayland_protocols target)
    set(sources)
    foreach(pair ${ARGN})
        string(REPLACE "=" ";" pair "${pair}")
        list(GET pair 0 name)
        list(GET pair 1 xml)
        set(header ${LINESAVER_PROTOCOL_DIR}/wayland-${name}.h)
        set(code ${LINESAVER_PROTOCOL_DIR}/wayland-${name}.c)
        add_custom_command(OUTPUT ${header} COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${header}
                           DEPENDS ${xml} VERBATIM)
        add_custom_command(OUTPUT ${code} COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${code}
                           DEPENDS ${xml} VERBATIM)
        list(APPEND sources ${header} ${code})
    endforeach()
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${LINESAVER_PROTOCOL_DIR})
    target_link_libraries(${target} PUBLIC PkgConfig::WAYLAND_CLIENT)
endfunction()

linesaver_wayland_protocols(linesaver_wayland_idle_protocols
    ext-idle-notify=${WAYLAND_PROTOCOLS_DIR}/staging/ext-idle-notify/ext-idle-notify-v1.xml
    kde-idle=${PLASMA_WAYLAND_PROTOCOLS_DIR}/idle.xml)

# The saver's own windows: full screen through xdg-shell, crisp at
# fractional scales through a viewport, the outputs' places and names, and
# which output KDE Plasma calls primary.
linesaver_wayland_protocols(linesaver_wayland_desktop_protocols
    xdg-shell=${WAYLAND_PROTOCOLS_DIR}/stable/xdg-shell/xdg-shell.xml
    viewporter=${WAYLAND_PROTOCOLS_DIR}/stable/viewporter/viewporter.xml
    fractional-scale=${WAYLAND_PROTOCOLS_DIR}/staging/fractional-scale/fractional-scale-v1.xml
    xdg-output=${WAYLAND_PROTOCOLS_DIR}/unstable/xdg-output/xdg-output-unstable-v1.xml
    kde-primary-output=${PLASMA_WAYLAND_PROTOCOLS_DIR}/kde-primary-output-v1.xml
    kde-output-order=${PLASMA_WAYLAND_PROTOCOLS_DIR}/kde-output-order-v1.xml)

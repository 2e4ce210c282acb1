# The saver's resources on Windows: an icon drawn from its own figures by
# linesaver-render, built for this machine; the version; the manifest.

# linesaver-render for this machine: the portable core, the headless
# backend and the tool, in one run of the host's compiler.
find_program(LINESAVER_HOST_PKG_CONFIG pkg-config REQUIRED)
execute_process(COMMAND ${LINESAVER_HOST_PKG_CONFIG} --cflags --libs cairo OUTPUT_VARIABLE cairo_flags
                OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "Cairo's development files for this machine are missing (make windows installs them)")
endif()
separate_arguments(cairo_flags UNIX_COMMAND "${cairo_flags}")
set(render_sources "")
foreach(dir engine patterns music shell platform/raster platform/headless tools/render)
    file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp ${PROJECT_SOURCE_DIR}/${dir}/*.h)
    list(APPEND render_sources ${sources})
endforeach()
file(GLOB platform_headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/*.h)
set(render_cpp ${render_sources})
list(FILTER render_cpp INCLUDE REGEX "\\.cpp$")
set(host_render ${PROJECT_BINARY_DIR}/host/linesaver-render)
add_custom_command(OUTPUT ${host_render}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/host
    COMMAND ${LINESAVER_HOST_CXX} -std=c++20 -O1 -I${PROJECT_SOURCE_DIR} ${render_cpp} ${cairo_flags} -o ${host_render}
    DEPENDS ${render_sources} ${platform_headers}
    COMMENT "Building linesaver-render for this machine"
    VERBATIM)

set(LINESAVER_ICON ${PROJECT_BINARY_DIR}/icon/linesaver.ico)
set(icon ${LINESAVER_ICON})
add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -DRENDER=${host_render} -DWORK=${PROJECT_BINARY_DIR}/icon -DOUT=${icon}
            -P ${PROJECT_SOURCE_DIR}/cmake/windows_icon.cmake
    DEPENDS ${host_render} ${PROJECT_SOURCE_DIR}/cmake/windows_icon.cmake
    COMMENT "Drawing the icon"
    VERBATIM)
add_custom_target(windows_icon DEPENDS ${icon})

# What the file's Properties, the Apps list and the installer say.
set(LINESAVER_PUBLISHER "linesaver developers")
set(LINESAVER_DESCRIPTION "linesaver screen saver")
set(manifest ${PROJECT_BINARY_DIR}/resources/linesaver.manifest)
set(resources ${PROJECT_BINARY_DIR}/resources/linesaver.rc)
configure_file(${PROJECT_SOURCE_DIR}/programs/saver/linesaver.manifest.in ${manifest} @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/programs/saver/linesaver.rc.in ${resources} @ONLY)

target_sources(linesaver PRIVATE ${resources})
set_source_files_properties(${resources} TARGET_DIRECTORY linesaver PROPERTIES OBJECT_DEPENDS "${icon};${manifest}")
add_dependencies(linesaver windows_icon)

# The demo tracks for a build whose programs do not run on this machine
# (Windows, the web page): the writer is plain C++, built with the host's
# compiler. linesaver_host_demo_tracks(DIR) adds the target demo_tracks,
# which writes them into DIR.
function(linesaver_host_demo_tracks music_dir)
    find_program(LINESAVER_HOST_CXX NAMES c++ g++ REQUIRED)
    set(writer ${PROJECT_BINARY_DIR}/host/make_demo_tracks)
    set(src ${PROJECT_SOURCE_DIR}/tools)
    add_custom_command(OUTPUT ${writer}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/host
        COMMAND ${LINESAVER_HOST_CXX} -std=c++20 -O1 -I${PROJECT_SOURCE_DIR} ${src}/make_demo_tracks.cpp -o ${writer}
        DEPENDS ${src}/make_demo_tracks.cpp ${src}/demo_scores.h ${src}/midi_writer/midi_writer.h
                ${src}/midi_writer/notation.h
        COMMENT "Building the demo-track writer for this machine"
        VERBATIM)
    add_custom_target(demo_tracks ALL
        COMMAND ${CMAKE_COMMAND} -E make_directory ${music_dir}
        COMMAND ${writer} ${music_dir}
        DEPENDS ${writer}
        COMMENT "Writing the demo tracks"
        VERBATIM)
endfunction()

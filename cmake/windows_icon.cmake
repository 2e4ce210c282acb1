# Draws the saver's icon from its own figures (cmake -P, run by the build):
# one run of a ring pattern rendered at each of the icon's sizes, the black
# around the figure made transparent, packed into one .ico. Each size is a
# render of its own, not a shrunk big one: at 16 pixels the lines fill the
# ring, where a shrunk picture would be dim.
#
#   -DRENDER= (linesaver-render for this machine)  -DWORK= (a folder)  -DOUT= (the .ico)
set(sizes 16 24 32 48 64 256)
# A round figure that reads at every size, drawn from a fixed seed.
set(pattern 13)
set(seed 1)
find_program(CONVERT convert REQUIRED)
find_program(ICOTOOL icotool REQUIRED)

file(MAKE_DIRECTORY ${WORK})
set(small "")
foreach(size ${sizes})
    set(figure ${WORK}/figure-${size}.png)
    set(icon ${WORK}/icon-${size}.png)
    # A margin of a sixteenth around the figure, as icons have.
    math(EXPR margin "${size} / 16")
    math(EXPR inner "${size} - 2 * ${margin}")
    execute_process(COMMAND ${RENDER} pattern ${pattern} ${figure} --screen ${inner} ${inner} --seed ${seed}
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "cannot draw the ${size}-pixel icon")
    endif()
    # The biggest, fine lines all over, in 256 colours: a quarter of the
    # bytes and no difference to see.
    if(size EQUAL 256)
        set(colours -dither None -colors 256)
        set(format PNG8)
    else()
        set(colours "")
        set(format PNG32)
    endif()
    # The black around the figure, margin and all, made transparent.
    execute_process(COMMAND ${CONVERT} ${figure} -bordercolor black -border ${margin} -alpha set -fill none
                            -draw "color 0,0 floodfill"
                            -strip ${colours} ${format}:${icon}
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "cannot make the ${size}-pixel icon's background transparent")
    endif()
    # The biggest stays PNG inside the .ico, as Windows reads it: a quarter
    # of a megabyte less than a bitmap.
    if(size EQUAL 256)
        set(big --raw=${icon})
    else()
        list(APPEND small ${icon})
    endif()
endforeach()
execute_process(COMMAND ${ICOTOOL} --create --output=${OUT} ${small} ${big} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cannot write ${OUT}")
endif()

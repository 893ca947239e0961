# The game's embedded window icon must be what the icon maker draws from the
# SVG today: redraws it and compares with the checked-in source.
#   cmake -DMAKER=... -DSVG=... -DCHECKED_IN=... -DSCRATCH=... -P window_icon_pixels_check.cmake
execute_process(COMMAND ${MAKER} ${SVG} cpp ${SCRATCH} 16 32 48 RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the icon maker failed: ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SCRATCH} ${CHECKED_IN}
                RESULT_VARIABLE different)
if(different)
  message(FATAL_ERROR "${CHECKED_IN} is out of date; redraw it with:\n"
                      "  ${MAKER} ${SVG} cpp ${CHECKED_IN} 16 32 48")
endif()

# gaugelet_add_test(NAME name SOURCES ... LIBRARIES ...)
# One test program per module suite, registered as one CTest test. The program runs its own
# GoogleTest cases and appends its tally for scripts/test; in the cross build CTest starts it
# through the Wine wrapper (CMAKE_CROSSCOMPILING_EMULATOR).
function(gaugelet_add_test)
    cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE gaugelet_test_support ${ARG_LIBRARIES})
    add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
    set_tests_properties(${ARG_NAME} PROPERTIES TIMEOUT 300)
endfunction()

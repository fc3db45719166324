# Runs PROGRAM and fails unless it exits 0 and its standard output equals the file EXPECTED byte
# for byte.   cmake -DPROGRAM=<exe> -DEXPECTED=<file> -P run_and_compare.cmake
get_filename_component(name "${PROGRAM}" NAME)
set(actual "${CMAKE_CURRENT_BINARY_DIR}/${name}.actual")
execute_process(COMMAND "${PROGRAM}" OUTPUT_FILE "${actual}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} exited with ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${EXPECTED}" "${actual}"
                RESULT_VARIABLE different)
if(different)
    file(READ "${actual}" text)
    message(FATAL_ERROR "output differs from ${EXPECTED}; it was:\n${text}")
endif()

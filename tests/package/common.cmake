# Helpers for the package tests, which configure, build and run whole CMake projects.

function(run_checked)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
        string(REPLACE ";" " " command "${ARGN}")
        message(FATAL_ERROR "command failed (${status}): ${command}\n${out}")
    endif()
endfunction()

# configure(<source> <binary> <generator> [cache arguments...]), from an empty build directory.
function(configure source binary generator)
    file(REMOVE_RECURSE "${binary}")
    run_checked("${CMAKE_COMMAND}" -S "${source}" -B "${binary}" -G "${generator}"
                -DCMAKE_BUILD_TYPE=Release ${ARGN})
endfunction()

function(build binary)
    run_checked("${CMAKE_COMMAND}" --build "${binary}" --parallel 2)
endfunction()

# Fails unless building again (with the build arguments after <binary>) does nothing: no tool
# run, no compile, no link.
function(expect_nothing_to_build binary)
    execute_process(COMMAND "${CMAKE_COMMAND}" --build "${binary}" ${ARGN} RESULT_VARIABLE status
                    OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0 OR out MATCHES "Generating|Building|Linking")
        message(FATAL_ERROR "building ${binary} again did work (${status}):\n${out}")
    endif()
endfunction()

# Runs <program>, through the emulator command after <expected> if any, and fails unless its
# standard output equals the file <expected> (a Windows program's "\r\n" read as "\n").
function(expect_output program expected)
    execute_process(COMMAND ${ARGN} "${program}" RESULT_VARIABLE status OUTPUT_VARIABLE actual)
    if(ARGN)
        string(REPLACE "\r\n" "\n" actual "${actual}")
    endif()
    file(READ "${expected}" wanted)
    if(NOT status EQUAL 0 OR NOT actual STREQUAL wanted)
        message(FATAL_ERROR "${program} exited with ${status} and printed:\n${actual}\n"
                            "expected:\n${wanted}")
    endif()
endfunction()

function(expect_same_files first second)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${first}" "${second}"
                    RESULT_VARIABLE different)
    if(different)
        message(FATAL_ERROR "${first} and ${second} differ (or one is missing)")
    endif()
endfunction()

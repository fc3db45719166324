# Forty modules generated through the CMake functions (bench/scale_project.cmake): a build after
# a build runs nothing; touching every tag file reruns the tool once for each, leaves every
# generated file as it was, and the build after that runs nothing again. A bad tag file fails
# the build with the tool's message, every time, and keeps the old output.
#   cmake -DSCRATCH=<dir> -DPREFIX=<dir> -DGENERATOR=<generator> -DSCALE_PROJECT=<script>
#         -P many_modules_test.cmake
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

set(project "${SCRATCH}/project")
set(binary "${SCRATCH}/build")
run_checked("${CMAKE_COMMAND}" -DDIR=${project} -DN=40 -DVARIANT=functions -P "${SCALE_PROJECT}")
configure("${project}" "${binary}" "${GENERATOR}" -DCMAKE_PREFIX_PATH=${PREFIX})
build("${binary}")
expect_nothing_to_build("${binary}")

function(timestamps out_var)
    list(TRANSFORM ARGN PREPEND "${binary}/quorl/generate/")
    file(GLOB_RECURSE files ${ARGN})
    list(LENGTH files count)
    if(NOT count EQUAL 40)
        message(FATAL_ERROR "expected 40 files ${ARGN}, found ${count}")
    endif()
    set(result "")
    foreach(file IN LISTS files)
        file(TIMESTAMP "${file}" stamp "%s%f" UTC)
        list(APPEND result "${stamp}")
    endforeach()
    set(${out_var} "${result}" PARENT_SCOPE)
endfunction()

timestamps(outputs_before *_reg.cpp *_tags.txt)
timestamps(stamps_before *.stamp)
execute_process(COMMAND "${CMAKE_COMMAND}" -E sleep 1.1)
file(GLOB tag_files "${project}/modules/*.tags")
file(TOUCH ${tag_files})
build("${binary}")
timestamps(outputs_after *_reg.cpp *_tags.txt)
timestamps(stamps_after *.stamp)
if(NOT outputs_before STREQUAL outputs_after)
    message(FATAL_ERROR "regenerating the same text touched generated files")
endif()
foreach(before after IN ZIP_LISTS stamps_before stamps_after)
    if(before STREQUAL after)
        message(FATAL_ERROR "a touched tag file did not rerun the tool")
    endif()
endforeach()
expect_nothing_to_build("${binary}")

file(READ "${binary}/quorl/generate/m0/m0_reg.cpp" old_output)
file(WRITE "${project}/modules/m0.tags" "CLASSES = Circle derives Shape\n")
foreach(attempt 1 2)
    execute_process(COMMAND "${CMAKE_COMMAND}" --build "${binary}" RESULT_VARIABLE status
                    OUTPUT_VARIABLE out ERROR_VARIABLE out)
    # The tool's report, the line an IDE leads to (the path as the build gave it), the build
    # step's last word.
    if(status EQUAL 0 OR NOT out MATCHES "middle entry is not \"inherits\""
       OR NOT out MATCHES "m0.tags:1:18: error: the 1st CLASSES value \\(class entry 0\\) has 'derives' where 'inherits' belongs"
       OR NOT out MATCHES "m0.tags: error: class registration not generated")
        message(FATAL_ERROR "build ${attempt} with a bad tag file gave ${status}:\n${out}")
    endif()
endforeach()
message(STATUS "a build with a bad tag file:\n${out}")
file(READ "${binary}/quorl/generate/m0/m0_reg.cpp" output)
if(NOT output STREQUAL old_output)
    message(FATAL_ERROR "a failed generation changed the output")
endif()

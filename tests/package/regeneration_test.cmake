# Regenerating identical text must not recompile anything; changed text must; a module renamed
# or gone leaves nothing a build can use: the incremental build fails, or succeeds, as a clean one.
#   cmake -DSCRATCH=<dir> -DEXAMPLE_DIR=<dir> -DPREFIX=<dir> -DGENERATOR=<generator>
#         -P regeneration_test.cmake
cmake_policy(VERSION 3.18)
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

set(source "${SCRATCH}/geometry")
set(binary "${SCRATCH}/build")
file(REMOVE_RECURSE "${source}")
file(COPY "${EXAMPLE_DIR}/" DESTINATION "${source}")
configure("${source}" "${binary}" "${GENERATOR}" -DCMAKE_PREFIX_PATH=${PREFIX})
build("${binary}")
file(GLOB_RECURSE rules "${binary}/*.ninja" "${binary}/*build.make")
set(companion_runs "")
foreach(file IN LISTS rules)
    file(STRINGS "${file}" lines REGEX "quorlRegenerate")
    list(APPEND companion_runs ${lines})
endforeach()
if(NOT companion_runs)
    message(FATAL_ERROR "the rules do not run quorlRegenerate")
endif()

set(generated "${binary}/quorl/example_geometry/geometry/geometry_reg.cpp")
function(stamps out_var)
    file(GLOB_RECURSE objects "${binary}/*.o")
    if(NOT objects)
        message(FATAL_ERROR "no object files under ${binary}")
    endif()
    set(result "")
    foreach(file IN LISTS objects ITEMS "${generated}")
        file(TIMESTAMP "${file}" stamp "%s" UTC)
        list(APPEND result "${file}=${stamp}")
    endforeach()
    set(${out_var} "${result}" PARENT_SCOPE)
endfunction()

# Timestamps have one-second resolution here, so wait before each build.
stamps(before)
execute_process(COMMAND "${CMAKE_COMMAND}" -E sleep 1.2)
file(TOUCH "${source}/geometry.tags")
build("${binary}")
stamps(after_touch)
if(NOT before STREQUAL after_touch)
    message(FATAL_ERROR "touching the tag file rebuilt something:\n${before}\n${after_touch}")
endif()
# The tool may run once for the touch, never again.
expect_nothing_to_build("${binary}")

file(READ "${source}/geometry.tags" tags)
set(square "CLASSES = Square in shapes/square_shape.h inherits Shape\n")
set(ellipse "CLASSES = Ellipse INHERITS Circle\n")
string(REPLACE "${square}${ellipse}" "${ellipse}${square}" swapped "${tags}")
if(swapped STREQUAL tags)
    message(FATAL_ERROR "the example's tag file no longer lists Square before Ellipse")
endif()
file(WRITE "${source}/geometry.tags" "${swapped}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E sleep 1.2)
build("${binary}")
stamps(after_change)
if(before STREQUAL after_change)
    message(FATAL_ERROR "changing the order of the classes rebuilt nothing")
endif()
file(GLOB_RECURSE left "${binary}/quorl/*.tmp")
if(left)
    message(FATAL_ERROR "temporary files left behind: ${left}")
endif()
execute_process(COMMAND "${binary}/example_geometry" OUTPUT_VARIABLE output)
if(NOT output MATCHES "init Ellipse [^\n]*\ninit Square")
    message(FATAL_ERROR "the new order did not reach the program:\n${output}")
endif()

# A failed generation keeps the output, leaves nothing behind, and the build log points at the
# bad value and names the tag file after the tool's own messages.
file(READ "${generated}" old_text)
file(WRITE "${source}/geometry.tags" "CLASSES = Circle derives Shape\n")
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${binary}" RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(READ "${generated}" text)
file(GLOB_RECURSE left "${binary}/quorl/*.tmp")
set(named "could not be created.\n[^\n]*${source}/geometry.tags:1:18: error: the 1st CLASSES value \
\\(class entry 0\\) has 'derives' where 'inherits' belongs\n[^\n]*${source}/geometry.tags: error: class registration not")
if(status EQUAL 0 OR NOT text STREQUAL old_text OR left OR NOT out MATCHES "${named} generated\n")
    message(FATAL_ERROR "a bad tag file gave ${status}, left ${left}:\n${out}")
endif()

# The tag file renamed, main.cpp still including the old module's header; then main.cpp
# following; then the registration gone. Each time the incremental build ends as a clean build
# of the same sources does.
file(WRITE "${source}/geometry.tags" "${tags}")
file(RENAME "${source}/geometry.tags" "${source}/shapes.tags")
file(READ "${source}/CMakeLists.txt" lists)
string(REPLACE "geometry.tags" "shapes.tags" lists "${lists}")
file(WRITE "${source}/CMakeLists.txt" "${lists}")
file(READ "${source}/main.cpp" main)
string(REPLACE "geometry" "shapes" renamed_main "${main}")
string(REPLACE "quorl_add_class_registration(example_geometry shapes.tags)" "" lists_without
               "${lists}")
foreach(step IN ITEMS renamed followed unregistered)
    if(step STREQUAL "followed")
        file(WRITE "${source}/main.cpp" "${renamed_main}")
    elseif(step STREQUAL "unregistered")
        file(WRITE "${source}/CMakeLists.txt" "${lists_without}")
    endif()
    execute_process(COMMAND "${CMAKE_COMMAND}" --build "${binary}" RESULT_VARIABLE incremental
                    OUTPUT_VARIABLE incremental_out ERROR_VARIABLE incremental_out)
    file(REMOVE_RECURSE "${SCRATCH}/clean")
    execute_process(COMMAND "${CMAKE_COMMAND}" -S "${source}" -B "${SCRATCH}/clean"
                            -G "${GENERATOR}" -DCMAKE_PREFIX_PATH=${PREFIX} OUTPUT_QUIET)
    execute_process(COMMAND "${CMAKE_COMMAND}" --build "${SCRATCH}/clean" RESULT_VARIABLE clean
                    OUTPUT_VARIABLE clean_out ERROR_VARIABLE clean_out)
    string(REGEX MATCH "[a-z_]+registration.h: No such file or directory" incremental_error
                 "${incremental_out}")
    string(REGEX MATCH "[a-z_]+registration.h: No such file or directory" clean_error
                 "${clean_out}")
    set(passes OFF)
    if(step STREQUAL "followed")
        set(passes ON)
    endif()
    if(NOT incremental EQUAL clean OR NOT incremental_error STREQUAL clean_error
       OR (passes AND NOT clean EQUAL 0) OR (NOT passes AND clean EQUAL 0))
        message(FATAL_ERROR "${step}: the incremental build gave ${incremental} "
                            "(${incremental_error}), a clean one ${clean} (${clean_error}):\n"
                            "${incremental_out}")
    endif()
endforeach()

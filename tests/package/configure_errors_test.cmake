# The usual mistakes in using the CMake functions stop the configure with one message naming the
# function, the culprit and the fix; a tag file made by the build is no mistake. Installed
# without its Runtime component, the package says so.
#   cmake -DSCRATCH=<dir> -DPREFIX=<dir> -DBUILD_DIR=<dir> -P configure_errors_test.cmake
cmake_policy(VERSION 3.18) # lists keep their empty elements
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

set(source "${SCRATCH}/project")
set(binary "${SCRATCH}/build")
file(REMOVE_RECURSE "${SCRATCH}")
foreach(name geo geo.shapes my-module)
    file(WRITE "${source}/${name}.tags" "CLASSES = Shape\n")
endforeach()

# Each case: the calls after a static library `lib` is made, and what the message must say
# ("none" for a configure that passes; a regular expression, '.' for each ';', which would split
# the list).
set(cases
    "quorl_add_class_registration(lib missing.tags)"
    "quorl_add_class_registration\\(lib\\): tag file missing.tags does not exist"

    "quorl_add_class_registration(lib geo.tags OUTPUT_VARIABLES x)"
    "quorl_add_class_registration: unknown keyword OUTPUT_VARIABLES. the keywords are INCLUDE_ONLY"

    "quorl_add_tags_info(lib geo.tags OUTPUT)"
    "quorl_add_tags_info: OUTPUT needs a value"

    "quorl_add_class_registration(lib my-module.tags)"
    "'my-module', the name of tag file my-module.tags .* not a C identifier.*to my_module.tags"

    "add_library(other STATIC)\nquorl_add_class_registration(lib geo.tags)
quorl_add_class_registration(other geo.shapes.tags)"
    "\\(other\\): two tag files for module 'geo': [^ ]*/geo.tags and [^ ]*/geo.shapes.tags. rename"

    "quorl_add_class_registration(lib geo.tags geo.shapes.tags)"
    "\\(lib\\): two tag files for module 'geo': [^ ]*/geo.tags and [^ ]*/geo.shapes.tags. rename"

    "quorl_add_class_registration(lib geo.tags geo.tags)"
    "\\(lib\\): tag file [^ ]*/geo.tags is given twice"

    "quorl_add_class_registration(libb geo.tags)"
    "get_target_property.. called with non-existent target \"libb\""

    "quorl_add_tags_info(app geo.tags)"
    "quorl_add_tags_info: 'app' is not a target. .* or give NEW_TARGET"

    "quorl_add_tags_info(lib geo.tags NEW_TARGET)"
    "quorl_add_tags_info: NEW_TARGET, but 'lib' is a target already"

    "add_library(i INTERFACE)\nquorl_add_class_registration(i geo.tags)"
    "'i' is an INTERFACE library, which compiles nothing"

    "add_library(imported STATIC IMPORTED)\nquorl_add_tags_info(imported geo.tags)"
    "target_sources may only set INTERFACE properties on IMPORTED targets"

    "add_library(alias ALIAS lib)\nquorl_add_class_registration(alias geo.tags)"
    "target_sources can not be used on an ALIAS target"

    "add_custom_command(OUTPUT made.tags COMMAND \${CMAKE_COMMAND} -E echo)
quorl_add_class_registration(lib \${CMAKE_CURRENT_BINARY_DIR}/made.tags)"
    "none")

# Configures <source> in <binary>; sets <out_var> to the messages, lines joined as CMake wraps
# them, or to "ok" when the configure passed.
function(configure_messages out_var)
    execute_process(COMMAND "${CMAKE_COMMAND}" -S "${source}" -B "${binary}" -G Ninja
                            -DCMAKE_PREFIX_PATH=${ARGN}
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    string(REGEX REPLACE "\n +" " " out "${out}")
    if(status EQUAL 0)
        set(out "ok")
    endif()
    set(${out_var} "${out}" PARENT_SCOPE)
endfunction()

set(head "cmake_minimum_required(VERSION 3.18)\nproject(Mistakes LANGUAGES CXX)
find_package(QuorlModuleParser CONFIG REQUIRED)\nadd_library(lib STATIC)\n")
while(cases)
    list(POP_FRONT cases calls expected)
    file(WRITE "${source}/CMakeLists.txt" "${head}${calls}\n")
    configure_messages(out "${PREFIX}")
    if(expected STREQUAL "none" AND NOT out STREQUAL "ok")
        message(FATAL_ERROR "configure failed for:\n${calls}\n${out}")
    elseif(NOT expected STREQUAL "none" AND NOT out MATCHES "CMake Error.*${expected}")
        message(FATAL_ERROR "for:\n${calls}\nexpected an error matching\n${expected}\ngot:\n${out}")
    endif()
endwhile()

set(development "${SCRATCH}/development-only")
run_checked("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${development}"
            --component Development)
file(WRITE "${source}/CMakeLists.txt" "${head}")
file(REMOVE "${binary}/CMakeCache.txt") # which remembers the complete package
configure_messages(out "${development}")
if(NOT out MATCHES "bin/quorlModuleParser is missing: install the Runtime component as well \\(cmake --install <build> --component Runtime\\)")
    message(FATAL_ERROR "the package without its Runtime component gave:\n${out}")
endif()

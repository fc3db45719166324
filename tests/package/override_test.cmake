# What a cross-compiling build does: QUORL_MODULE_PARSER_EXECUTABLE replaces the package's
# executable (a path or a name on PATH; anything else stops the configure), and the README's
# recipe finds the host package under a toolchain that confines packages to an empty root.
#   cmake -DSCRATCH=<dir> -DEXAMPLE_DIR=<dir> -DAPP_DIR=<dir> -DPREFIX=<dir>
#         -P override_test.cmake
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

file(MAKE_DIRECTORY "${SCRATCH}/bin")
set(wrapper "${SCRATCH}/bin/host-quorlModuleParser")
set(log "${SCRATCH}/calls.log")
file(REMOVE "${log}")
file(WRITE "${wrapper}"
     "#!/bin/sh\necho \"$1\" >> '${log}'\nexec '${PREFIX}/bin/quorlModuleParser' \"$@\"\n")
run_checked(chmod 700 "${wrapper}") # file(CHMOD) needs CMake 3.19

# By name on PATH; the configure's own check runs it once without arguments.
set(ENV{PATH} "${SCRATCH}/bin:$ENV{PATH}")
configure("${EXAMPLE_DIR}" "${SCRATCH}/build" Ninja -DCMAKE_PREFIX_PATH=${PREFIX}
          -DQUORL_MODULE_PARSER_EXECUTABLE=host-quorlModuleParser)
build("${SCRATCH}/build")
expect_output("${SCRATCH}/build/example_geometry" "${EXAMPLE_DIR}/expected_output.txt")
file(READ "${log}" calls)
string(REGEX MATCHALL "-create[A-Za-z]+" runs "${calls}")
list(SORT runs)
if(NOT runs STREQUAL "-createClassReg;-createTagsInfo")
    message(FATAL_ERROR "the override ran for:\n${calls}")
endif()

foreach(bad "${SCRATCH}/missing/quorlModuleParser" "no-such-program-on-path" "${SCRATCH}")
    file(REMOVE_RECURSE "${SCRATCH}/bad")
    execute_process(COMMAND "${CMAKE_COMMAND}" -S "${EXAMPLE_DIR}" -B "${SCRATCH}/bad" -G Ninja
                            -DCMAKE_PREFIX_PATH=${PREFIX} -DQUORL_MODULE_PARSER_EXECUTABLE=${bad}
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(status EQUAL 0 OR NOT out MATCHES "QUORL_MODULE_PARSER_EXECUTABLE is")
        message(FATAL_ERROR "QUORL_MODULE_PARSER_EXECUTABLE=${bad} was taken (${status}):\n${out}")
    endif()
endforeach()

# A cross-compiling toolchain whose packages may only come from an empty root, for a 32-bit
# target: the recipe still finds the host package, and the application builds and runs.
file(MAKE_DIRECTORY "${SCRATCH}/empty-root")
file(WRITE "${SCRATCH}/toolchain.cmake" "
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_FIND_ROOT_PATH \"${SCRATCH}/empty-root\")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
")
configure("${APP_DIR}" "${SCRATCH}/cross" Ninja -DCMAKE_TOOLCHAIN_FILE=${SCRATCH}/toolchain.cmake
          -DCMAKE_PREFIX_PATH=${PREFIX} -DPRETEND_32BIT_TARGET=ON)
build("${SCRATCH}/cross")
expect_output("${SCRATCH}/cross/app" "${APP_DIR}/expected_output.txt")

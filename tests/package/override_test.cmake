# What a cross-compiling build does: QUORL_MODULE_PARSER_EXECUTABLE replaces the package's
# programs (a path or a name on PATH; anything else stops the configure) and brings the companion
# installed beside it, or, where there is none, runs alone and says so; the README's recipe
# finds the host package under a toolchain that confines packages to an empty root, and the
# sources vendored under that toolchain need neither Qt nor a tool built for the target, and
# say what to do when neither is there.
#   cmake -DSCRATCH=<dir> -DEXAMPLE_DIR=<dir> -DAPP_DIR=<dir> -DPREFIX=<dir>
#         -DQUORL_SOURCE_DIR=<dir> -P override_test.cmake
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

# Fails unless the build rules under <binary> run the companion <expected> ("" for none).
function(expect_companion binary expected)
    file(GLOB_RECURSE rules "${binary}/*.ninja")
    set(runs "")
    foreach(file IN LISTS rules)
        file(STRINGS "${file}" lines REGEX "quorlRegenerate")
        list(APPEND runs ${lines})
    endforeach()
    if((expected AND NOT runs MATCHES "${expected}") OR (NOT expected AND runs))
        message(FATAL_ERROR "expected the rules to run '${expected}', they run:\n${runs}")
    endif()
endfunction()

file(MAKE_DIRECTORY "${SCRATCH}/bin")
set(wrapper "${SCRATCH}/bin/host-quorlModuleParser")
set(log "${SCRATCH}/calls.log")
file(REMOVE "${log}")
file(WRITE "${wrapper}"
     "#!/bin/sh\necho \"$1\" >> '${log}'\nexec '${PREFIX}/bin/quorlModuleParser' \"$@\"\n")
run_checked(chmod 700 "${wrapper}") # file(CHMOD) needs CMake 3.19

# By name on PATH; the configure's own check runs it once without arguments. No companion lies
# beside it, so the tool runs alone, and the configure says so once.
set(ENV{PATH} "${SCRATCH}/bin:$ENV{PATH}")
file(REMOVE_RECURSE "${SCRATCH}/build")
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${EXAMPLE_DIR}" -B "${SCRATCH}/build" -G Ninja
                        -DCMAKE_PREFIX_PATH=${PREFIX}
                        -DQUORL_MODULE_PARSER_EXECUTABLE=host-quorlModuleParser
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
string(REGEX MATCHALL "has no quorlRegenerate beside it" said "${out}")
list(LENGTH said count)
if(NOT status EQUAL 0 OR NOT count EQUAL 1)
    message(FATAL_ERROR "configuring with a tool alone gave ${status}:\n${out}")
endif()
build("${SCRATCH}/build")
expect_output("${SCRATCH}/build/example_geometry" "${EXAMPLE_DIR}/expected_output.txt")
expect_companion("${SCRATCH}/build" "")
file(READ "${log}" calls)
string(REGEX MATCHALL "-create[A-Za-z]+" runs "${calls}")
list(SORT runs)
if(NOT runs STREQUAL "-createClassReg;-createTagsInfo")
    message(FATAL_ERROR "the override ran for:\n${calls}")
endif()

# An installed tool brings the companion of its own installation.
configure("${EXAMPLE_DIR}" "${SCRATCH}/installed" Ninja -DCMAKE_PREFIX_PATH=${PREFIX}
          -DQUORL_MODULE_PARSER_EXECUTABLE=${PREFIX}/bin/quorlModuleParser)
build("${SCRATCH}/installed")
expect_companion("${SCRATCH}/installed" "libexec/quorl-module-parser/quorlRegenerate")

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
# target: the recipe still finds the host package, and the application (without its Qt
# module, as the root has no Qt) builds and runs.
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
          -DCMAKE_PREFIX_PATH=${PREFIX} -DPRETEND_32BIT_TARGET=ON -DMODULAR_APP_QT=OFF)
build("${SCRATCH}/cross")
expect_output("${SCRATCH}/cross/app" "${APP_DIR}/expected_output.txt")

# The sources vendored with add_subdirectory under that toolchain, the host tool named: no Qt
# in the root is needed, no tool is built, and the programs built run.
file(WRITE "${log}" "")
configure("${CMAKE_CURRENT_LIST_DIR}/consumer" "${SCRATCH}/vendored" Ninja
          -DCMAKE_TOOLCHAIN_FILE=${SCRATCH}/toolchain.cmake -DQUORL_SOURCE_DIR=${QUORL_SOURCE_DIR}
          -DEXAMPLE_DIR=${EXAMPLE_DIR} -DQUORL_MODULE_PARSER_EXECUTABLE=${wrapper})
build("${SCRATCH}/vendored")
expect_output("${SCRATCH}/vendored/first" "${EXAMPLE_DIR}/expected_output.txt")
expect_companion("${SCRATCH}/vendored" "")
file(GLOB_RECURSE built "${SCRATCH}/vendored/quorlModuleParser" "${SCRATCH}/vendored/*.a")
file(READ "${log}" calls)
if(built OR NOT calls MATCHES "-createClassReg")
    message(FATAL_ERROR "the vendored build built ${built}, and ran the host tool for:\n${calls}")
endif()

# Vendored without the host tool named, and no Qt in the root: the configure says what to do.
file(REMOVE_RECURSE "${SCRATCH}/no-qt")
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${CMAKE_CURRENT_LIST_DIR}/consumer"
                        -B "${SCRATCH}/no-qt" -G Ninja
                        -DCMAKE_TOOLCHAIN_FILE=${SCRATCH}/toolchain.cmake
                        -DQUORL_SOURCE_DIR=${QUORL_SOURCE_DIR} -DEXAMPLE_DIR=${EXAMPLE_DIR}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
string(REGEX REPLACE "\n +" " " out "${out}")
if(status EQUAL 0 OR NOT out MATCHES "needs Qt Core to build .*set QUORL_MODULE_PARSER_EXECUTABLE")
    message(FATAL_ERROR "a vendored build without Qt gave ${status}:\n${out}")
endif()

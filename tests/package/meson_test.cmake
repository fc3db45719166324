# Builds the modular application with Meson (its meson.build, the README's recipe) against the
# installed package, found through its pkg-config file: a static and a shared module with hidden
# symbols. A comment added to a tag file compiles nothing; a changed tag file reaches the program;
# a bad one stops the build with a line that points at it.
#   cmake -DSCRATCH=<dir> -DAPP_DIR=<dir> -DPREFIX=<dir> -DMESON=<meson> -P meson_test.cmake
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

set(source "${SCRATCH}/app")
set(binary "${SCRATCH}/build")
file(REMOVE_RECURSE "${SCRATCH}")
file(COPY "${APP_DIR}/" DESTINATION "${source}")
set(ENV{PKG_CONFIG_PATH} "${PREFIX}/share/pkgconfig")
run_checked("${MESON}" setup "${binary}" "${source}")
run_checked("${MESON}" compile -C "${binary}")
expect_output("${binary}/app" "${APP_DIR}/expected_output.txt")

file(APPEND "${source}/tools/tools.tags" "# a comment changes no class\n")
execute_process(COMMAND "${MESON}" compile -C "${binary}" RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out MATCHES "tools_reg" OR out MATCHES "Compiling|Linking")
    message(FATAL_ERROR "a comment in a tag file gave (${status}):\n${out}")
endif()

file(APPEND "${source}/tools/tools.tags" "CLASSES = Drill in Hammer.h inherits Tool\n")
file(APPEND "${source}/tools/Hammer.h" "APP_CLASS(Drill);\n")
run_checked("${MESON}" compile -C "${binary}")
execute_process(COMMAND "${binary}/app" OUTPUT_VARIABLE out)
if(NOT out MATCHES "init Drill \\(Tool\\)\n")
    message(FATAL_ERROR "a changed tag file did not reach the program:\n${out}")
endif()

# A bad value: the build stops with the line an IDE leads to, the path as Meson gave it.
file(APPEND "${source}/tools/tools.tags" "CLASSES = Chisel derives Tool\n")
execute_process(COMMAND "${MESON}" compile -C "${binary}" RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(status EQUAL 0 OR NOT out MATCHES
   "tools/tools.tags:7:18: error: the 5th CLASSES value \\(class entry 4\\) has 'derives' where 'inherits' belongs")
    message(FATAL_ERROR "a bad tag file gave (${status}):\n${out}")
endif()
message(STATUS "a build with a bad tag file:\n${out}")

# Builds the modular application with Meson (its meson.build, the README's recipe) against the
# installed package, found through its pkg-config file: a static and a shared module with hidden
# symbols. A comment added to a tag file compiles nothing; a changed tag file reaches the program;
# a bad one stops the build with a line that points at it; a module renamed leaves nothing that
# the next build can include.
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

# A module renamed (its folder, tag file and source) while main.cpp still includes the old
# module's registration header: the next build fails on that header, as a clean build does,
# rather than on the link, with the old header found in the build folder.
file(REMOVE_RECURSE "${source}/tools")
file(COPY "${APP_DIR}/tools/" DESTINATION "${source}/tools")
file(RENAME "${source}/shapes" "${source}/figures")
file(RENAME "${source}/figures/shapes.tags" "${source}/figures/figures.tags")
file(RENAME "${source}/figures/shapes.cpp" "${source}/figures/figures.cpp")
foreach(file meson.build main.cpp)
    file(READ "${source}/${file}" text)
    string(REPLACE "'shapes'" "'figures'" text "${text}")
    string(REPLACE "\"shapes/" "\"figures/" text "${text}")
    file(WRITE "${source}/${file}" "${text}")
endforeach()
run_checked("${MESON}" setup "${SCRATCH}/clean" "${source}")
foreach(build "${binary}" "${SCRATCH}/clean")
    execute_process(COMMAND "${MESON}" compile -C "${build}" RESULT_VARIABLE status
                    OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(status EQUAL 0 OR NOT out MATCHES "shapes_registration.h: No such file")
        message(FATAL_ERROR "the renamed module in ${build} gave (${status}):\n${out}")
    endif()
endforeach()

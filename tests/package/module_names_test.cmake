# One table of awkward tag file names through the four ways to run the tool: the tool itself (the
# init_ function it generates), the CMake functions (the header they make, or a configure error),
# the Meson recipe (modular_app/meson.build with one module of that name: built, or refused) and
# the qmake feature (the header it makes, or a qmake error). All four agree on the module name,
# the tag file's name up to its first '.', and the three build integrations refuse alike what
# is no C identifier. Where Meson or qmake is missing, its column says "(no meson)", "(no qmake)".
#   cmake -DSCRATCH=<dir> -DPREFIX=<dir> -DAPP_DIR=<dir> -DFEATURES=<dir> [-DMESON=<meson>]
#         [-DQMAKE=<qmake>] -P module_names_test.cmake
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

file(REMOVE_RECURSE "${SCRATCH}")
set(ENV{PKG_CONFIG_PATH} "${PREFIX}/share/pkgconfig")
set(ENV{QMAKEFEATURES} "${FEATURES}")
file(READ "${APP_DIR}/meson.build" recipe)
set(recipe_modules "{'shapes': 'static_library', 'tools': 'shared_library'}")
string(FIND "${recipe}" "${recipe_modules}" listed)
if(listed EQUAL -1)
    message(FATAL_ERROR "the Meson recipe no longer lists ${recipe_modules}")
endif()

# Each row: a tag file name and the module all four must give ("refused" where the build
# integrations must refuse it; the tool then gives the name up to the first '.' all the same).
set(rows
    geometry.tags geometry
    geo.shapes.tags geo
    Geo_2.TAGS Geo_2
    noext noext
    my-module.tags refused
    9lives.tags refused
    .hidden.tags refused)
set(table "")
set(index 0)
while(rows)
    list(POP_FRONT rows file expected)
    math(EXPR index "${index} + 1")
    set(dir "${SCRATCH}/${index}")
    file(WRITE "${dir}/${file}" "CLASSES = Shape\n")
    string(REGEX REPLACE "\\..*$" "" prefix "${file}")

    run_checked("${PREFIX}/bin/quorlModuleParser" -createClassReg "${dir}/${file}" "${dir}/reg.cpp")
    file(STRINGS "${dir}/reg.cpp" init REGEX "^static void init_")
    string(REGEX REPLACE "^static void init_(.*)\\(\\)$" "\\1" tool "${init}")

    file(WRITE "${dir}/cmake/CMakeLists.txt" "cmake_minimum_required(VERSION 3.18)
project(Names LANGUAGES CXX)\nfind_package(QuorlModuleParser CONFIG REQUIRED)
add_library(lib STATIC)\nquorl_add_class_registration(lib \"../${file}\")\n")
    execute_process(COMMAND "${CMAKE_COMMAND}" -S "${dir}/cmake" -B "${dir}/cmake/build" -G Ninja
                            "-DCMAKE_PREFIX_PATH=${PREFIX}" RESULT_VARIABLE status
                    OUTPUT_VARIABLE out ERROR_VARIABLE out)
    set(cmake refused)
    if(status EQUAL 0)
        file(GLOB header RELATIVE "${dir}/cmake/build/quorl/lib"
             "${dir}/cmake/build/quorl/lib/*/*_registration.h")
        string(REGEX REPLACE "/.*" "" cmake "${header}")
    elseif(NOT out MATCHES "is not a C identifier")
        message(FATAL_ERROR "CMake on ${file}:\n${out}")
    endif()

    set(meson "(no meson)")
    if(MESON)
        # The recipe with the one module the tag file names, kept in a folder of that name with
        # the module's meson.build.
        string(REPLACE "${recipe_modules}" "{'${prefix}': 'static_library'}" build "${recipe}")
        file(WRITE "${dir}/meson/meson.build" "${build}")
        file(WRITE "${dir}/meson/main.cpp" "int main() { return 0; }\n")
        configure_file("${dir}/${file}" "${dir}/meson/${prefix}/${prefix}.tags" COPYONLY)
        if(prefix) # an empty name names the top folder, which the recipe refuses first
            configure_file("${APP_DIR}/shapes/meson.build" "${dir}/meson/${prefix}/meson.build"
                           COPYONLY)
        endif()
        file(WRITE "${dir}/meson/${prefix}/${prefix}.cpp" "")
        file(WRITE "${dir}/meson/${prefix}/Shape.h" "struct Shape {
    static const char* getClass() { return \"Shape\"; }
    static void init(const char*) {}\n    static void shutdown() {}\n};\n")
        execute_process(COMMAND "${MESON}" setup "${dir}/meson/build" "${dir}/meson"
                        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
        set(meson refused)
        if(status EQUAL 0)
            run_checked("${MESON}" compile -C "${dir}/meson/build")
            set(meson "${prefix}")
        elseif(NOT out MATCHES "is not a C identifier")
            message(FATAL_ERROR "Meson on ${file}:\n${out}")
        endif()
    endif()

    set(qmake "(no qmake)")
    if(QMAKE)
        file(WRITE "${dir}/qmake/names.pro" "TEMPLATE = lib\nCONFIG += staticlib quorl_module_parser
QUORL_CLASS_REGISTRATION += ../${file}\n")
        execute_process(COMMAND "${QMAKE}" names.pro WORKING_DIRECTORY "${dir}/qmake"
                        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
        set(qmake refused)
        if(status EQUAL 0)
            file(GLOB header RELATIVE "${dir}/qmake/quorl" "${dir}/qmake/quorl/*/*_registration.h")
            string(REGEX REPLACE "/.*" "" qmake "${header}")
        elseif(NOT out MATCHES "is not a C identifier")
            message(FATAL_ERROR "qmake on ${file}:\n${out}")
        endif()
    endif()

    string(APPEND table "${file}\t${tool}\t${cmake}\t${meson}\t${qmake}\n")
    foreach(column cmake meson qmake)
        if(NOT ${column} MATCHES "^\\(no " AND NOT ${column} STREQUAL expected)
            message(FATAL_ERROR "${file}: ${column} gave '${${column}}', not '${expected}'")
        endif()
    endforeach()
    if(NOT tool STREQUAL prefix)
        message(FATAL_ERROR "${file}: the tool generates init_${tool}(), not init_${prefix}()")
    endif()
endwhile()
message(STATUS "tag file, then the module of the tool, CMake, Meson, qmake:\n${table}")

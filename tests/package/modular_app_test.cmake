# Builds the modular application against the installed package as Qt projects are written (moc,
# uic and rcc on; a module with a QObject among its classes, a form and a resource), with the
# strictest warnings a user may set, as errors, and symbols hidden unless exported; once as it is
# and once as a unity build, which must keep the exports; each configuration of a multi-config
# generator. Each build runs, and building again does nothing; a comment added to a tag file
# regenerates and compiles and links nothing; compile_commands.json lists the registration
# sources, which include the generated ones. With TOOLCHAIN it is built for that system with the package's tool for this host and
# the Qt at QT_PREFIX, and run through EMULATOR (Windows under Wine, its shared module a DLL).
#   cmake -DSCRATCH=<dir> -DAPP_DIR=<dir> -DPREFIX=<dir> -DGENERATOR=<generator>
#         (-DCOMPILER=<C++ compiler> | -DTOOLCHAIN=<file> -DEMULATOR=<command> -DSUFFIX=<.exe>
#          -DQT_PREFIX=<dir> -DQT_HOST_PATH=<dir> -DQT_HOST_PATH_CMAKE_DIR=<dir>)
#         -P modular_app_test.cmake
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

set(warnings -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wold-style-cast
             -Wzero-as-null-pointer-constant -Wmissing-declarations -Werror)
string(REPLACE ";" " " warnings "${warnings}")
# The target's Qt, where it is another, through the environment: a ';' would split the arguments.
if(QT_PREFIX)
    set(ENV{CMAKE_PREFIX_PATH} "${QT_PREFIX}")
endif()
set(options -DCMAKE_PREFIX_PATH=${PREFIX} "-DCMAKE_CXX_FLAGS=${warnings}"
            -DCMAKE_CXX_VISIBILITY_PRESET=hidden -DCMAKE_VISIBILITY_INLINES_HIDDEN=ON)
if(TOOLCHAIN)
    list(APPEND options -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DQT_HOST_PATH=${QT_HOST_PATH}
                        -DQT_HOST_PATH_CMAKE_DIR=${QT_HOST_PATH_CMAKE_DIR}
                        -DQUORL_MODULE_PARSER_EXECUTABLE=${PREFIX}/bin/quorlModuleParser)
else()
    list(APPEND options -DCMAKE_CXX_COMPILER=${COMPILER} -DCMAKE_EXPORT_COMPILE_COMMANDS=ON)
endif()
set(configs Release)
if(GENERATOR MATCHES "Multi-Config")
    set(configs Debug Release RelWithDebInfo)
endif()
# The sources are copied, as the test edits a tag file.
set(source "${SCRATCH}/source")
file(REMOVE_RECURSE "${source}")
file(COPY "${APP_DIR}/" DESTINATION "${source}")
foreach(unity OFF ON)
    set(binary "${SCRATCH}/unity-${unity}")
    configure("${source}" "${binary}" "${GENERATOR}" ${options} -DCMAKE_UNITY_BUILD=${unity}
              -DCMAKE_RUNTIME_OUTPUT_DIRECTORY=${binary}/bin)
    foreach(config IN LISTS configs)
        set(bin "${binary}/bin")
        if(configs STREQUAL "Release")
            build("${binary}")
        else()
            run_checked("${CMAKE_COMMAND}" --build "${binary}" --parallel 2 --config ${config})
            set(bin "${bin}/${config}")
        endif()
        expect_output("${bin}/app${SUFFIX}" "${APP_DIR}/expected_output_qt.txt" ${EMULATOR})
        expect_nothing_to_build("${binary}" --config ${config})
    endforeach()
    # A unity build lists its unity sources instead.
    if(EXISTS "${binary}/compile_commands.json" AND NOT unity)
        file(READ "${binary}/compile_commands.json" commands)
        foreach(module shapes tools panel)
            if(NOT commands MATCHES "\"file\": \"[^\"]*/${module}_registration.cpp\"")
                message(FATAL_ERROR "compile_commands.json lacks ${module}_registration.cpp")
            endif()
        endforeach()
    endif()
endforeach()

# A comment added to the tag file of the module that Qt's tools work on: the step runs again,
# nothing is compiled or linked, and then nothing is left to do.
file(APPEND "${source}/panel/panel.tags" "# a comment\n")
set(step "Generating class registration panel_reg.cpp")
foreach(config IN LISTS configs)
    execute_process(COMMAND "${CMAKE_COMMAND}" --build "${binary}" --config ${config}
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0 OR NOT out MATCHES "${step}" OR out MATCHES "Building|Linking")
        message(FATAL_ERROR "after a comment in panel.tags (${config}, ${status}):\n${out}")
    endif()
    message(STATUS "after a comment in panel.tags (${config}):\n${out}")
    expect_nothing_to_build("${binary}" --config ${config})
    set(step "") # the other configurations share the step's output
endforeach()

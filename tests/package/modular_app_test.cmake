# Builds the modular application against the installed package with the strictest warnings a
# user may set, as errors, and symbols hidden unless exported, once as it is and once as a unity
# build, which must keep the exports; runs it, and builds again to check that nothing is left to
# do. With TOOLCHAIN it is built for that system with the package's tool for this host, and run
# through EMULATOR (Windows under Wine, its shared module a DLL beside the program).
#   cmake -DSCRATCH=<dir> -DAPP_DIR=<dir> -DPREFIX=<dir> -DGENERATOR=<generator>
#         (-DCOMPILER=<C++ compiler> | -DTOOLCHAIN=<file> -DEMULATOR=<command> -DSUFFIX=<.exe>)
#         -P modular_app_test.cmake
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

set(warnings -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wold-style-cast
             -Wzero-as-null-pointer-constant -Wmissing-declarations -Werror)
string(REPLACE ";" " " warnings "${warnings}")
set(options -DCMAKE_PREFIX_PATH=${PREFIX} "-DCMAKE_CXX_FLAGS=${warnings}"
            -DCMAKE_CXX_VISIBILITY_PRESET=hidden -DCMAKE_VISIBILITY_INLINES_HIDDEN=ON)
if(TOOLCHAIN)
    list(APPEND options -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}
                        -DQUORL_MODULE_PARSER_EXECUTABLE=${PREFIX}/bin/quorlModuleParser)
else()
    list(APPEND options -DCMAKE_CXX_COMPILER=${COMPILER})
endif()
foreach(unity OFF ON)
    set(binary "${SCRATCH}/unity-${unity}")
    configure("${APP_DIR}" "${binary}" "${GENERATOR}" ${options} -DCMAKE_UNITY_BUILD=${unity}
              -DCMAKE_RUNTIME_OUTPUT_DIRECTORY=${binary}/bin)
    build("${binary}")
    expect_output("${binary}/bin/app${SUFFIX}" "${APP_DIR}/expected_output.txt" ${EMULATOR})
    expect_nothing_to_build("${binary}")
endforeach()

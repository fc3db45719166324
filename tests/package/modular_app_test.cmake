# Builds the modular application against the installed package with the strictest warnings a
# user may set, as errors, and symbols hidden unless exported; runs it, and builds again to check
# that nothing is left to do; then once more as a unity build, which must keep the exports.
#   cmake -DSCRATCH=<dir> -DAPP_DIR=<dir> -DPREFIX=<dir> -DGENERATOR=<generator>
#         -DCOMPILER=<C++ compiler> -P modular_app_test.cmake
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

set(binary "${SCRATCH}/build")
set(warnings -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wold-style-cast
             -Wzero-as-null-pointer-constant -Wmissing-declarations -Werror)
string(REPLACE ";" " " warnings "${warnings}")
set(options -DCMAKE_PREFIX_PATH=${PREFIX} -DCMAKE_CXX_COMPILER=${COMPILER}
            "-DCMAKE_CXX_FLAGS=${warnings}" -DCMAKE_CXX_VISIBILITY_PRESET=hidden
            -DCMAKE_VISIBILITY_INLINES_HIDDEN=ON)
configure("${APP_DIR}" "${binary}" "${GENERATOR}" ${options})
build("${binary}")
expect_output("${binary}/app" "${APP_DIR}/expected_output.txt")
expect_nothing_to_build("${binary}")
configure("${APP_DIR}" "${SCRATCH}/unity" "${GENERATOR}" ${options} -DCMAKE_UNITY_BUILD=ON)
build("${SCRATCH}/unity")
expect_output("${SCRATCH}/unity/app" "${APP_DIR}/expected_output.txt")

# Builds the modular application against the installed package with -Wall -Wextra -Werror,
# runs it, and builds again to check that nothing is left to do.
#   cmake -DSCRATCH=<dir> -DAPP_DIR=<dir> -DPREFIX=<dir> -DGENERATOR=<generator>
#         [-DTOOLCHAIN=<file>] -P modular_app_test.cmake
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

set(binary "${SCRATCH}/build")
set(options -DCMAKE_PREFIX_PATH=${PREFIX} "-DCMAKE_CXX_FLAGS=-Wall -Wextra -Werror")
configure("${APP_DIR}" "${binary}" "${GENERATOR}" ${options})
build("${binary}")
expect_output("${binary}/app" "${APP_DIR}/expected_output.txt")
expect_nothing_to_build("${binary}")

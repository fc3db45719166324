# Builds the consumer project against quorlModuleParser, either installed under PREFIX or from
# its sources in QUORL_SOURCE_DIR, and runs every program it builds.
#   cmake -DSCRATCH=<dir> -DEXAMPLE_DIR=<dir> (-DPREFIX=<dir> | -DQUORL_SOURCE_DIR=<dir>)
#         -P consumer_test.cmake
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

set(binary "${SCRATCH}/build")
if(QUORL_SOURCE_DIR)
    set(use -DQUORL_SOURCE_DIR=${QUORL_SOURCE_DIR})
else()
    set(use -DCMAKE_PREFIX_PATH=${PREFIX})
endif()
configure("${CMAKE_CURRENT_LIST_DIR}/consumer" "${binary}" Ninja -DEXAMPLE_DIR=${EXAMPLE_DIR}
          ${use})
build("${binary}")

set(expected "${EXAMPLE_DIR}/expected_output.txt")
foreach(program geometry/example_geometry first second other/third)
    expect_output("${binary}/${program}" "${expected}")
endforeach()

# Every generated copy is the same text, each in its own place.
set(registration "${binary}/geometry/quorl/example_geometry/geometry/geometry_reg.cpp")
foreach(copy quorl/first quorl/second other/quorl/third)
    expect_same_files("${registration}" "${binary}/${copy}/geometry/geometry_reg.cpp")
endforeach()
set(tags "${binary}/geometry/quorl/geometry_tags/geometry_tags.txt")
expect_same_files("${tags}" "${binary}/quorl/first/geometry_tags.txt")
expect_same_files("${tags}" "${binary}/other/tags/geometry.txt")
file(READ "${tags}" text)
if(NOT text MATCHES "^# tags of geometry.tags\n# 7 values, 4 distinct tags\n")
    message(FATAL_ERROR "unexpected tag information text:\n${text}")
endif()

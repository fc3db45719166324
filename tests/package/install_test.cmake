# Installs the build tree into a fresh PREFIX, as `cmake --install` does for users.
#   cmake -DBUILD_DIR=<dir> -DPREFIX=<dir> -P install_test.cmake
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

file(REMOVE_RECURSE "${PREFIX}")
run_checked("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}")
foreach(file bin/quorlModuleParser share/man/man1/quorlModuleParser.1.gz)
    if(NOT EXISTS "${PREFIX}/${file}")
        message(FATAL_ERROR "${PREFIX}/${file} was not installed")
    endif()
endforeach()
file(GLOB_RECURSE config "${PREFIX}/*/QuorlModuleParserConfigVersion.cmake")
if(NOT config)
    message(FATAL_ERROR "no CMake package version file under ${PREFIX}")
endif()

# QUORL_MODULE_PARSER_EXECUTABLE replaces the package's executable, as when cross-compiling.
#   cmake -DSCRATCH=<dir> -DEXAMPLE_DIR=<dir> -DPREFIX=<dir> -P override_test.cmake
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

file(MAKE_DIRECTORY "${SCRATCH}")
set(wrapper "${SCRATCH}/host-quorlModuleParser")
set(log "${SCRATCH}/calls.log")
file(REMOVE "${log}")
file(WRITE "${wrapper}"
     "#!/bin/sh\necho \"$1\" >> '${log}'\nexec '${PREFIX}/bin/quorlModuleParser' \"$@\"\n")
file(CHMOD "${wrapper}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

configure("${EXAMPLE_DIR}" "${SCRATCH}/build" Ninja -DCMAKE_PREFIX_PATH=${PREFIX}
          -DQUORL_MODULE_PARSER_EXECUTABLE=${wrapper})
build("${SCRATCH}/build")
expect_output("${SCRATCH}/build/example_geometry" "${EXAMPLE_DIR}/expected_output.txt")
file(READ "${log}" calls)
if(NOT calls STREQUAL "-createClassReg\n-createTagsInfo\n" AND
   NOT calls STREQUAL "-createTagsInfo\n-createClassReg\n")
    message(FATAL_ERROR "the override ran for:\n${calls}")
endif()

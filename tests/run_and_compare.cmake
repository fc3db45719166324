# Runs PROGRAM (through EMULATOR when cross-compiled) and fails unless it exits 0 and its
# standard output equals the file EXPECTED byte for byte, line ends of the platform aside.
#   cmake [-DEMULATOR=<command>] -DPROGRAM=<exe> -DEXPECTED=<file> -P run_and_compare.cmake
include(${CMAKE_CURRENT_LIST_DIR}/package/common.cmake)
expect_output("${PROGRAM}" "${EXPECTED}" ${EMULATOR})

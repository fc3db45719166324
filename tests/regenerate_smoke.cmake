# quorlRegenerate as built for this platform, through the emulator if any: the tool's text and a
# stamp, then the same text left alone on the next run, its time kept; a failing run names its
# tag file in one form.
#   cmake -DPROGRAM=<quorlRegenerate> [-DEMULATOR=<command>] -DTAGS=<tag file>
#         -DEXPECTED=<file> -DSCRATCH=<dir> -P regenerate_smoke.cmake
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")
foreach(run 1 2)
    execute_process(COMMAND ${EMULATOR} "${PROGRAM}" -createClassReg "${TAGS}"
                            "${SCRATCH}/out.cpp" "${SCRATCH}/out.stamp"
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    file(READ "${SCRATCH}/out.cpp" text)
    file(READ "${EXPECTED}" expected)
    string(REPLACE "\r\n" "\n" text "${text}")
    if(NOT status EQUAL 0 OR NOT text STREQUAL expected OR NOT EXISTS "${SCRATCH}/out.stamp")
        message(FATAL_ERROR "run ${run} gave ${status}:\n${out}\nand wrote:\n${text}")
    endif()
    file(TIMESTAMP "${SCRATCH}/out.cpp" written_${run} "%s" UTC)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E sleep 1.1)
endforeach()
if(NOT written_1 STREQUAL written_2)
    message(FATAL_ERROR "the same text was written again")
endif()

# A failing run names its tag file in one form in every line, as it was typed, also beyond
# Latin-1, where the tool's own narrowing would give other bytes.
set(bad "${SCRATCH}/Москва/bad.tags")
file(WRITE "${bad}" "CLASSES = Circle derives Shape\n")
execute_process(COMMAND ${EMULATOR} "${PROGRAM}" -createClassReg "${bad}" "${SCRATCH}/bad.cpp"
                RESULT_VARIABLE status ERROR_VARIABLE err)
string(REPLACE "\r\n" "\n" err "${err}")
string(CONCAT tail "${bad}:1:18: error: the 1st CLASSES value (class entry 0) has 'derives' where "
                  "'inherits' belongs\n${bad}: error: class registration not generated\n")
string(FIND "${err}" "${tail}" at)
if(status EQUAL 0 OR at EQUAL -1)
    message(FATAL_ERROR "the bad tag file gave ${status}:\n${err}\nnot ending in:\n${tail}")
endif()

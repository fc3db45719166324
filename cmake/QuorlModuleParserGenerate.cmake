# The build step of the CMake functions where quorlRegenerate cannot run (see
# _quorl_regenerator): runs the tool into a temporary file named as the tool names its own,
# replaces the output only when the text differs, so that nothing recompiles for the same
# text, and touches the stamp that records the run.
#   cmake [-DEMULATOR=<command>] -DTOOL=<tool> -DSWITCH=<command> -DTAGS=<tag file>
#         -DOUTPUT=<output> -DSTAMP=<stamp> -P QuorlModuleParserGenerate.cmake
get_filename_component(dir "${OUTPUT}" DIRECTORY)
get_filename_component(name "${OUTPUT}" NAME)
set(temporary "${dir}/.quorlModuleParser-${name}.tmp")
execute_process(COMMAND ${EMULATOR} "${TOOL}" "${SWITCH}" "${TAGS}" "${temporary}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    file(REMOVE "${temporary}")
    # The tool's messages do not say which of many modules failed; this line does.
    if(SWITCH STREQUAL "-createClassReg")
        message("${TAGS}: error: class registration not generated")
    else()
        message("${TAGS}: error: tag information not generated")
    endif()
    message(FATAL_ERROR "${TOOL} ${SWITCH} failed: ${status}")
endif()
# COPYONLY leaves an output that already holds the text untouched.
configure_file("${temporary}" "${OUTPUT}" COPYONLY)
file(REMOVE "${temporary}")
file(TOUCH "${STAMP}")

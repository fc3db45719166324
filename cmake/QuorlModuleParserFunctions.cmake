# quorl_add_class_registration(<target> <tag file> [OUTPUT <path>] [OUTPUT_VARIABLE <var>])
#   Generates the module's class-registration source from <tag file> at build time.
#   Without OUTPUT_VARIABLE the file is added to <target>'s sources and compiled with them.
#   With OUTPUT_VARIABLE its path is handed back instead, for a source file of the target that
#   includes it (the generated functions are static); its folder is added to the target's
#   include directories, and the target still waits for the file to be generated.
#
# quorl_add_tags_info(<target-or-name> <tag file> [OUTPUT <path>])
#   Writes the tag information text of <tag file> at build time. When <target-or-name> is an
#   existing target, the text is generated as part of it; otherwise a target of that name is
#   created and built by default.
#
# OUTPUT defaults to a folder of the calling directory's build tree that is private to the target:
#   quorl/<target>/<module>_reg.cpp and quorl/<target>/<module>_tags.txt, where <module> is the
#   tag file's name up to its first '.'. A relative OUTPUT is taken from the build directory.
#
# The tool runs into a temporary file and the result is copied over the output only when it
# differs, so regenerating identical text does not recompile anything that depends on it.
#
# QUORL_MODULE_PARSER_EXECUTABLE may name another executable to run, for example a build of the
# tool for the build host when cross-compiling.

include_guard(GLOBAL)

set(QUORL_MODULE_PARSER_EXECUTABLE "" CACHE FILEPATH
    "quorlModuleParser to run at build time (empty: the QuorlModuleParser::quorlModuleParser target)")

function(_quorl_tool out_var)
    if(QUORL_MODULE_PARSER_EXECUTABLE)
        set(${out_var} "${QUORL_MODULE_PARSER_EXECUTABLE}" PARENT_SCOPE)
    elseif(TARGET QuorlModuleParser::quorlModuleParser)
        set(${out_var} QuorlModuleParser::quorlModuleParser PARENT_SCOPE)
    else()
        message(FATAL_ERROR "quorlModuleParser not found: use find_package(QuorlModuleParser) or "
                            "add_subdirectory() on its sources, or set QUORL_MODULE_PARSER_EXECUTABLE")
    endif()
endfunction()

# Adds the custom command that runs `<tool> <command> <tags> <temporary>` and copies the result
# to <output> only when it changed. Sets <out_var> to the absolute output path.
function(_quorl_generate command owner tags output suffix comment out_var)
    _quorl_tool(tool)
    get_filename_component(tags "${tags}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    if(NOT output)
        get_filename_component(file_name "${tags}" NAME)
        string(REGEX REPLACE "\\..*$" "" module "${file_name}")
        set(output "quorl/${owner}/${module}${suffix}")
    endif()
    get_filename_component(output "${output}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
    get_filename_component(output_dir "${output}" DIRECTORY)
    set(temporary "${output}.new")
    add_custom_command(
        OUTPUT "${output}"
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${output_dir}"
        COMMAND "${tool}" ${command} "${tags}" "${temporary}"
        COMMAND "${CMAKE_COMMAND}" -E copy_if_different "${temporary}" "${output}"
        COMMAND "${CMAKE_COMMAND}" -E rm -f "${temporary}"
        DEPENDS "${tags}" "${tool}"
        COMMENT "${comment}"
        VERBATIM)
    set(${out_var} "${output}" PARENT_SCOPE)
endfunction()

function(quorl_add_class_registration target tags)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "OUTPUT;OUTPUT_VARIABLE" "")
    if(arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "quorl_add_class_registration: unknown arguments ${arg_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT TARGET ${target})
        message(FATAL_ERROR "quorl_add_class_registration: ${target} is not a target")
    endif()
    _quorl_generate(-createClassReg "${target}" "${tags}" "${arg_OUTPUT}" "_reg.cpp"
                    "Generating class registration ${tags} for ${target}" output)
    target_sources(${target} PRIVATE "${output}")
    if(arg_OUTPUT_VARIABLE)
        set_source_files_properties("${output}" PROPERTIES HEADER_FILE_ONLY ON)
        get_filename_component(output_dir "${output}" DIRECTORY)
        target_include_directories(${target} PRIVATE "${output_dir}")
        set(${arg_OUTPUT_VARIABLE} "${output}" PARENT_SCOPE)
    endif()
endfunction()

function(quorl_add_tags_info target_or_name tags)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "OUTPUT" "")
    if(arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "quorl_add_tags_info: unknown arguments ${arg_UNPARSED_ARGUMENTS}")
    endif()
    _quorl_generate(-createTagsInfo "${target_or_name}" "${tags}" "${arg_OUTPUT}" "_tags.txt"
                    "Generating tag information ${tags} for ${target_or_name}" output)
    if(TARGET ${target_or_name})
        set_source_files_properties("${output}" PROPERTIES HEADER_FILE_ONLY ON)
        target_sources(${target_or_name} PRIVATE "${output}")
    else()
        add_custom_target(${target_or_name} ALL DEPENDS "${output}")
    endif()
endfunction()

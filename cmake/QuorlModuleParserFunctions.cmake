# quorl_add_class_registration(<target> <tag file>... [INCLUDE_ONLY] [OUTPUT <path>]
#                              [OUTPUT_VARIABLE <var>] [HEADER_VARIABLE <var>])
# quorl_add_tags_info(<target> <tag file> [NEW_TARGET] [OUTPUT <path>])
#
# What they take and do is described once, in the README, "Use it from CMake" (installed with
# the package's documents, share/doc/quorl-module-parser/README.md).

include_guard(GLOBAL)

set(QUORL_MODULE_PARSER_EXECUTABLE "" CACHE STRING
    "quorlModuleParser to run at build time: a path or a program on PATH (empty: the QuorlModuleParser::quorlModuleParser target)")

# The command that runs the tool, checked once per value of QUORL_MODULE_PARSER_EXECUTABLE.
function(_quorl_tool out_var)
    set(executable "${QUORL_MODULE_PARSER_EXECUTABLE}")
    if(NOT executable)
        if(NOT TARGET QuorlModuleParser::quorlModuleParser)
            message(FATAL_ERROR "quorlModuleParser not found: use find_package(QuorlModuleParser) "
                                "or add_subdirectory() on its sources, or set "
                                "QUORL_MODULE_PARSER_EXECUTABLE")
        endif()
        set(${out_var} QuorlModuleParser::quorlModuleParser PARENT_SCOPE)
        return()
    endif()
    get_property(checked GLOBAL PROPERTY _QUORL_TOOL_CHECKED)
    get_property(resolved GLOBAL PROPERTY _QUORL_TOOL_RESOLVED)
    if(NOT checked STREQUAL executable)
        if(executable MATCHES "[/\\\\]")
            get_filename_component(candidate "${executable}" ABSOLUTE)
        else()
            # A cache entry of its own, dropped at once (find_program's NO_CACHE needs 3.21).
            find_program(_quorl_found_tool NAMES "${executable}" NO_CMAKE_FIND_ROOT_PATH)
            set(candidate "${_quorl_found_tool}")
            unset(_quorl_found_tool CACHE)
        endif()
        if(NOT candidate OR NOT EXISTS "${candidate}" OR IS_DIRECTORY "${candidate}")
            message(FATAL_ERROR "QUORL_MODULE_PARSER_EXECUTABLE is '${executable}', which is "
                                "not a program that exists (or, for a bare name, on PATH)")
        endif()
        # Running it without arguments prints the usage text and exits 0.
        execute_process(COMMAND "${candidate}" RESULT_VARIABLE status OUTPUT_VARIABLE usage
                        ERROR_QUIET)
        if(NOT status EQUAL 0 OR NOT usage MATCHES "-createClassReg")
            message(FATAL_ERROR "QUORL_MODULE_PARSER_EXECUTABLE is '${executable}' "
                                "(${candidate}), which does not run as quorlModuleParser: ${status}")
        endif()
        set(resolved "${candidate}")
        set_property(GLOBAL PROPERTY _QUORL_TOOL_CHECKED "${executable}")
        set_property(GLOBAL PROPERTY _QUORL_TOOL_RESOLVED "${resolved}")
    endif()
    set(${out_var} "${resolved}" PARENT_SCOPE)
endfunction()

# The package's quorlRegenerate, or empty where the CMake script beside this file must do: on
# other hosts, when it is built in this tree for a target other than the build host, when the
# tool is given by QUORL_MODULE_PARSER_EXECUTABLE (the package found may be the target's, whose
# programs cannot run here), and when QUORL_REGENERATE_WITH_CMAKE (for the tests of the script)
# asks for it.
function(_quorl_regenerator out_var)
    set(${out_var} "" PARENT_SCOPE)
    if(NOT CMAKE_HOST_UNIX OR NOT TARGET QuorlModuleParser::quorlRegenerate
       OR QUORL_MODULE_PARSER_EXECUTABLE OR QUORL_REGENERATE_WITH_CMAKE)
        return()
    endif()
    get_target_property(imported QuorlModuleParser::quorlRegenerate IMPORTED)
    if(NOT imported AND CMAKE_CROSSCOMPILING)
        return()
    endif()
    set(${out_var} QuorlModuleParser::quorlRegenerate PARENT_SCOPE)
endfunction()

# Stops the configure at a target that cannot take generated files, naming <function>.
function(_quorl_check_target function target)
    if(NOT TARGET "${target}")
        message(FATAL_ERROR "${function}: '${target}' is not a target; call ${function}() after "
                            "the add_library() or add_executable() that makes it")
    endif()
    get_target_property(aliased "${target}" ALIASED_TARGET)
    get_target_property(imported "${target}" IMPORTED)
    get_target_property(type "${target}" TYPE)
    if(aliased)
        message(FATAL_ERROR "${function}: '${target}' is an ALIAS of '${aliased}'; "
                            "name '${aliased}' instead")
    elseif(imported)
        message(FATAL_ERROR "${function}: '${target}' is IMPORTED, built outside this project; "
                            "name a target that this project builds")
    elseif(type STREQUAL "INTERFACE_LIBRARY")
        message(FATAL_ERROR "${function}: '${target}' is an INTERFACE library, which compiles "
                            "nothing; name a library or executable that links it")
    endif()
endfunction()

# Stops the configure at a keyword without its value and at a word that reads as a misspelt
# keyword (in capitals, and not a tag file), given the results of cmake_parse_arguments in
# arg_* and the function's keywords.
function(_quorl_check_arguments function)
    if(arg_KEYWORDS_MISSING_VALUES)
        list(GET arg_KEYWORDS_MISSING_VALUES 0 keyword)
        message(FATAL_ERROR "${function}: ${keyword} needs a value: ${keyword} <value>")
    endif()
    foreach(word IN LISTS arg_UNPARSED_ARGUMENTS)
        get_filename_component(path "${word}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        if(word MATCHES "^[A-Z][A-Z0-9_]*$" AND NOT EXISTS "${path}")
            string(REPLACE ";" ", " keywords "${ARGN}")
            message(FATAL_ERROR "${function}: unknown keyword ${word}; "
                                "the keywords are ${keywords}")
        endif()
    endforeach()
endfunction()

# Sets <out_var> to the absolute path of <tags>, which must exist or be generated.
function(_quorl_tag_file function tags out_var)
    get_filename_component(path "${tags}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    get_source_file_property(generated "${path}" GENERATED)
    if(NOT EXISTS "${path}" AND NOT generated)
        message(FATAL_ERROR "${function}: tag file ${tags} does not exist (${path}); "
                            "name an existing file, or mark a generated one GENERATED")
    endif()
    set(${out_var} "${path}" PARENT_SCOPE)
endfunction()

function(_quorl_module_name tags out_var)
    get_filename_component(file_name "${tags}" NAME)
    string(REGEX REPLACE "\\..*$" "" module "${file_name}")
    set(${out_var} "${module}" PARENT_SCOPE)
endfunction()

# _quorl_generate(COMMAND <switch> OWNER <target> TAGS <tag file> MODULE <module>
#                 SUFFIX <file name end> WHAT <description> [OUTPUT <path>]
#                 OUTPUT_VAR <var> STAMP_VAR <var>)
# Adds the custom command that writes the output (OUTPUT, or quorl/<owner>/<module><suffix>)
# with `<tool> <switch> <tag file>`, and sets OUTPUT_VAR to its absolute path and STAMP_VAR to
# the stamp file, the command's OUTPUT, which whoever needs the file must depend on.
function(_quorl_generate)
    cmake_parse_arguments(PARSE_ARGV 0 arg ""
                          "COMMAND;OWNER;TAGS;MODULE;SUFFIX;WHAT;OUTPUT;OUTPUT_VAR;STAMP_VAR" "")
    _quorl_tool(tool)
    set(output "${arg_OUTPUT}")
    if(NOT output)
        set(output "quorl/${arg_OWNER}/${arg_MODULE}${arg_SUFFIX}")
    endif()
    get_filename_component(output "${output}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
    get_filename_component(output_dir "${output}" DIRECTORY)
    file(MAKE_DIRECTORY "${output_dir}")
    set(stamp "${output}.stamp")
    # A target named as an argument, not as the command, is not replaced by its path.
    set(tool_path "${tool}")
    set(emulator "")
    if(TARGET "${tool}")
        set(tool_path "$<TARGET_FILE:${tool}>")
        get_target_property(imported "${tool}" IMPORTED)
        if(NOT imported AND CMAKE_CROSSCOMPILING)
            # Built here for the target: it runs through the emulator, if any (Wine, say).
            set(emulator "${CMAKE_CROSSCOMPILING_EMULATOR}")
        endif()
    endif()
    _quorl_regenerator(regenerate)
    if(regenerate)
        set(step ${regenerate} "${output}" "${stamp}" "${tool_path}" ${arg_COMMAND}
                 "${arg_TAGS}")
    else()
        set(step "${CMAKE_COMMAND}" "-DEMULATOR=${emulator}" "-DTOOL=${tool_path}"
                 "-DSWITCH=${arg_COMMAND}"
                 "-DTAGS=${arg_TAGS}" "-DOUTPUT=${output}" "-DSTAMP=${stamp}"
                 -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/QuorlModuleParserGenerate.cmake")
    endif()
    add_custom_command(
        OUTPUT "${stamp}"
        BYPRODUCTS "${output}"
        COMMAND ${step}
        DEPENDS "${arg_TAGS}" "${tool}"
        COMMENT "Generating ${arg_WHAT} of ${arg_MODULE} for ${arg_OWNER}"
        VERBATIM)
    set(${arg_OUTPUT_VAR} "${output}" PARENT_SCOPE)
    set(${arg_STAMP_VAR} "${stamp}" PARENT_SCOPE)
endfunction()

# Makes <target> bring <output> up to date before it builds, through a custom target of this
# directory that depends on the stamp: that works wherever <target> was made, keeps the stamp
# out of <target>'s sources, and is how custom targets (no sources before CMake 3.19) get it.
function(_quorl_attach function target output stamp)
    get_filename_component(name "${output}" NAME)
    string(MAKE_C_IDENTIFIER "${target}_generate_${name}" generation)
    if(TARGET ${generation})
        message(FATAL_ERROR "${function}: '${target}' already generates ${name}; "
                            "give OUTPUT to name another file")
    endif()
    add_custom_target(${generation} DEPENDS "${stamp}")
    add_dependencies(${target} ${generation})
endfunction()

# Shows <files> among <target>'s sources, under "Generated Files" in IDEs; they are included or
# read, never compiled on their own. The source properties are set where <target> was made.
function(_quorl_show_generated target)
    set_source_files_properties(${ARGN} TARGET_DIRECTORY ${target}
                                PROPERTIES GENERATED ON HEADER_FILE_ONLY ON)
    target_sources(${target} PRIVATE ${ARGN})
    source_group("Generated Files" FILES ${ARGN})
endfunction()

# Writes <content> to <path> unless the file holds it already, so that a new configure run
# recompiles nothing. (file(CONFIGURE) does this too, but before CMake 3.19 refuses a '<'.)
function(_quorl_write_if_changed path content)
    if(EXISTS "${path}")
        file(READ "${path}" old)
        if(old STREQUAL content)
            return()
        endif()
    endif()
    file(WRITE "${path}" "${content}")
endfunction()

# Writes <module>_registration.h and the source that defines its functions beside <generated>,
# and sets <header_var> to the header's path. The functions are exported from shared libraries,
# which may hide all else (-fvisibility=hidden, or a DLL's default).
function(_quorl_registration_wrapper target generated tags module header_var)
    get_filename_component(dir "${generated}" DIRECTORY)
    get_filename_component(generated_name "${generated}" NAME)
    set(header "${dir}/${module}_registration.h")
    set(source "${dir}/${module}_registration.cpp")
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(SHARED|MODULE)_LIBRARY$")
        set(export "#if defined(_WIN32) || defined(__CYGWIN__)
#if defined(QUORL_BUILDING_${module}_REGISTRATION)
#define QUORL_REGISTRATION_EXPORT __declspec(dllexport)
#else
#define QUORL_REGISTRATION_EXPORT
#endif
#else
#define QUORL_REGISTRATION_EXPORT __attribute__((visibility(\"default\")))
#endif")
    else()
        set(export "#define QUORL_REGISTRATION_EXPORT")
    endif()
    set(note "// Generated by quorl_add_class_registration() from ${tags}; do not edit.")
    _quorl_write_if_changed("${header}"
"${note}
// Registers the classes of module ${module}: call init once at start-up, shutdown at the end.
#pragma once

${export}

namespace quorl {
QUORL_REGISTRATION_EXPORT void init_${module}();
QUORL_REGISTRATION_EXPORT void shutdown_${module}();
} // namespace quorl

#undef QUORL_REGISTRATION_EXPORT
")
    # The generated text's fixed form passes NULL; that alone is quieted, and only there.
    _quorl_write_if_changed("${source}"
"${note}
#define QUORL_BUILDING_${module}_REGISTRATION
#include \"${module}_registration.h\"

#include <cstddef>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored \"-Wzero-as-null-pointer-constant\"
#endif
#include \"${generated_name}\"
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

void quorl::init_${module}()
{
    ::init_${module}();
}

void quorl::shutdown_${module}()
{
    ::shutdown_${module}();
}
")
    target_sources(${target} PRIVATE "${source}")
    _quorl_show_generated(${target} "${header}")
    source_group("Generated Files" FILES "${source}")
    target_include_directories(${target} PUBLIC "$<BUILD_INTERFACE:${dir}>")
    set(${header_var} "${header}" PARENT_SCOPE)
endfunction()

function(quorl_add_class_registration target)
    set(function quorl_add_class_registration)
    cmake_parse_arguments(PARSE_ARGV 1 arg "INCLUDE_ONLY" "OUTPUT;OUTPUT_VARIABLE;HEADER_VARIABLE"
                          "")
    _quorl_check_arguments(${function} INCLUDE_ONLY OUTPUT OUTPUT_VARIABLE HEADER_VARIABLE)
    _quorl_check_target(${function} "${target}")
    set(function "${function}(${target})")
    set(tag_files ${arg_UNPARSED_ARGUMENTS})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "UTILITY" AND NOT arg_INCLUDE_ONLY)
        message(FATAL_ERROR "${function}: a custom target compiles nothing; give INCLUDE_ONLY "
                            "to only generate")
    endif()
    if(arg_INCLUDE_ONLY AND arg_HEADER_VARIABLE)
        message(FATAL_ERROR "${function}: INCLUDE_ONLY writes no header for HEADER_VARIABLE")
    endif()
    list(LENGTH tag_files count)
    if(count EQUAL 0)
        message(FATAL_ERROR "${function}: no tag file given")
    endif()
    if(arg_OUTPUT AND count GREATER 1)
        message(FATAL_ERROR "${function}: OUTPUT names one file, but ${count} tag files were "
                            "given")
    endif()
    set(outputs "")
    set(headers "")
    set(modules "")
    foreach(tags IN LISTS tag_files)
        _quorl_tag_file(${function} "${tags}" tags_path)
        _quorl_module_name("${tags}" module)
        if(NOT module MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
            string(MAKE_C_IDENTIFIER "${module}" suggestion)
            message(FATAL_ERROR "${function}: module name '${module}', the name of tag file "
                                "${tags} up to its first '.', is not a C identifier, so "
                                "init_${module}() cannot compile; rename the tag file, for "
                                "example to ${suggestion}.tags")
        endif()
        if(module IN_LIST modules)
            message(FATAL_ERROR "${function}: two tag files for module '${module}'")
        endif()
        list(APPEND modules "${module}")
        # One application, one init_<module>(): a module comes from one tag file project-wide.
        get_property(first GLOBAL PROPERTY "_QUORL_MODULE_${module}")
        if(first AND NOT first STREQUAL tags_path)
            message(FATAL_ERROR "${function}: module '${module}' comes from ${tags_path}, but "
                                "already from ${first}; rename one of the tag files")
        endif()
        set_property(GLOBAL PROPERTY "_QUORL_MODULE_${module}" "${tags_path}")
        _quorl_generate(COMMAND -createClassReg OWNER ${target} TAGS "${tags_path}"
                        MODULE ${module} SUFFIX _reg.cpp WHAT "class registration"
                        OUTPUT "${arg_OUTPUT}" OUTPUT_VAR output STAMP_VAR stamp)
        _quorl_attach(${function} ${target} "${output}" "${stamp}")
        if(NOT type STREQUAL "UTILITY")
            _quorl_show_generated(${target} "${output}")
        endif()
        if(arg_INCLUDE_ONLY)
            if(NOT type STREQUAL "UTILITY")
                get_filename_component(output_dir "${output}" DIRECTORY)
                target_include_directories(${target} PRIVATE "${output_dir}")
            endif()
        else()
            _quorl_registration_wrapper(${target} "${output}" "${tags}" "${module}" header)
            list(APPEND headers "${header}")
        endif()
        list(APPEND outputs "${output}")
    endforeach()
    if(arg_OUTPUT_VARIABLE)
        set(${arg_OUTPUT_VARIABLE} "${outputs}" PARENT_SCOPE)
    endif()
    if(arg_HEADER_VARIABLE)
        set(${arg_HEADER_VARIABLE} "${headers}" PARENT_SCOPE)
    endif()
endfunction()

function(quorl_add_tags_info target tags)
    set(function quorl_add_tags_info)
    cmake_parse_arguments(PARSE_ARGV 2 arg "NEW_TARGET" "OUTPUT" "")
    _quorl_check_arguments(${function} NEW_TARGET OUTPUT)
    if(arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "${function}(${target}): one tag file only; also given "
                            "${arg_UNPARSED_ARGUMENTS}")
    endif()
    if(arg_NEW_TARGET AND TARGET "${target}")
        message(FATAL_ERROR "${function}: NEW_TARGET, but '${target}' is a target already")
    elseif(NOT arg_NEW_TARGET)
        if(NOT TARGET "${target}")
            message(FATAL_ERROR "${function}: '${target}' is not a target; call "
                                "${function}() after the add_library() or add_executable() "
                                "that makes it, or give NEW_TARGET to add a custom target of "
                                "that name")
        endif()
        _quorl_check_target(${function} "${target}")
    endif()
    set(function "${function}(${target})")
    _quorl_tag_file(${function} "${tags}" tags_path)
    _quorl_module_name("${tags}" module)
    _quorl_generate(COMMAND -createTagsInfo OWNER ${target} TAGS "${tags_path}"
                    MODULE ${module} SUFFIX _tags.txt WHAT "tag information"
                    OUTPUT "${arg_OUTPUT}" OUTPUT_VAR output STAMP_VAR stamp)
    if(arg_NEW_TARGET)
        add_custom_target(${target} ALL DEPENDS "${stamp}")
        return()
    endif()
    _quorl_attach(${function} ${target} "${output}" "${stamp}")
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "UTILITY")
        _quorl_show_generated(${target} "${output}")
    endif()
endfunction()

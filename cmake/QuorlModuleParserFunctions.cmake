# quorl_add_class_registration(<target> <tag file>... [INCLUDE_ONLY] [OUTPUT <path>]
#                              [OUTPUT_VARIABLE <var>])
# quorl_add_tags_info(<target-or-name> <tag file> [OUTPUT <path>])
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

# The package's quorlRegenerate, or empty where the `cmake -E` steps must do: on other hosts,
# when it is built in this tree for a target other than the build host, and when
# QUORL_REGENERATE_WITH_CMAKE (for the tests of those steps) asks for them.
function(_quorl_regenerator out_var)
    set(${out_var} "" PARENT_SCOPE)
    if(NOT CMAKE_HOST_UNIX OR NOT TARGET QuorlModuleParser::quorlRegenerate
       OR QUORL_REGENERATE_WITH_CMAKE)
        return()
    endif()
    get_target_property(imported QuorlModuleParser::quorlRegenerate IMPORTED)
    if(NOT imported AND CMAKE_CROSSCOMPILING)
        return()
    endif()
    set(${out_var} QuorlModuleParser::quorlRegenerate PARENT_SCOPE)
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
    get_filename_component(tags "${arg_TAGS}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    set(output "${arg_OUTPUT}")
    if(NOT output)
        set(output "quorl/${arg_OWNER}/${arg_MODULE}${arg_SUFFIX}")
    endif()
    get_filename_component(output "${output}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
    get_filename_component(output_dir "${output}" DIRECTORY)
    get_filename_component(output_name "${output}" NAME)
    file(MAKE_DIRECTORY "${output_dir}")
    set(stamp "${output}.stamp")
    _quorl_regenerator(regenerate)
    if(regenerate)
        # A target named as an argument, not as the command, is not replaced by its path.
        set(tool_path "${tool}")
        if(TARGET "${tool}")
            set(tool_path "$<TARGET_FILE:${tool}>")
        endif()
        set(steps COMMAND ${regenerate} "${output}" "${stamp}" "${tool_path}" ${arg_COMMAND}
                          "${tags}")
    else()
        # Named as the tool's own temporary files are.
        set(temporary "${output_dir}/.quorlModuleParser-${output_name}.tmp")
        set(steps
            COMMAND "${tool}" ${arg_COMMAND} "${tags}" "${temporary}"
            COMMAND "${CMAKE_COMMAND}" -E copy_if_different "${temporary}" "${output}"
            COMMAND "${CMAKE_COMMAND}" -E rm -f "${temporary}"
            COMMAND "${CMAKE_COMMAND}" -E touch "${stamp}")
    endif()
    add_custom_command(
        OUTPUT "${stamp}"
        BYPRODUCTS "${output}"
        ${steps}
        DEPENDS "${tags}" "${tool}"
        COMMENT "Generating ${arg_WHAT} of ${arg_MODULE} for ${arg_OWNER}"
        VERBATIM)
    set(${arg_OUTPUT_VAR} "${output}" PARENT_SCOPE)
    set(${arg_STAMP_VAR} "${stamp}" PARENT_SCOPE)
endfunction()

# Makes <target> bring <output> up to date (through its stamp) before it builds. Custom targets
# take no sources before CMake 3.19, so they depend on a target of the generation instead.
function(_quorl_attach target output stamp)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "UTILITY")
        get_filename_component(name "${output}" NAME)
        string(MAKE_C_IDENTIFIER "${target}_generate_${name}" generation)
        add_custom_target(${generation} DEPENDS "${stamp}")
        add_dependencies(${target} ${generation})
    else()
        # The generated file is only ever included or read, never compiled on its own.
        set_source_files_properties("${output}" PROPERTIES HEADER_FILE_ONLY ON)
        target_sources(${target} PRIVATE "${output}" "${stamp}")
    endif()
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

# Writes <module>_registration.h and the source that defines its functions beside <generated>.
function(_quorl_registration_wrapper target generated tags module)
    get_filename_component(dir "${generated}" DIRECTORY)
    get_filename_component(generated_name "${generated}" NAME)
    set(note "// Generated by quorl_add_class_registration() from ${tags}; do not edit.")
    _quorl_write_if_changed("${dir}/${module}_registration.h"
"${note}
// Registers the classes of module ${module}: call init once at start-up, shutdown at the end.
#pragma once

namespace quorl {
void init_${module}();
void shutdown_${module}();
} // namespace quorl
")
    _quorl_write_if_changed("${dir}/${module}_registration.cpp"
"${note}
#include <cstddef> // the generated source passes NULL

#include \"${generated_name}\"
#include \"${module}_registration.h\"

void quorl::init_${module}()
{
    ::init_${module}();
}

void quorl::shutdown_${module}()
{
    ::shutdown_${module}();
}
")
    target_sources(${target} PRIVATE "${dir}/${module}_registration.h"
                                     "${dir}/${module}_registration.cpp")
    target_include_directories(${target} PUBLIC "$<BUILD_INTERFACE:${dir}>")
endfunction()

function(quorl_add_class_registration target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "INCLUDE_ONLY" "OUTPUT;OUTPUT_VARIABLE" "")
    set(tag_files ${arg_UNPARSED_ARGUMENTS})
    if(NOT TARGET ${target})
        message(FATAL_ERROR "quorl_add_class_registration: ${target} is not a target")
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "UTILITY" AND NOT arg_INCLUDE_ONLY)
        message(FATAL_ERROR "quorl_add_class_registration(${target}): a custom target compiles "
                            "nothing; give INCLUDE_ONLY to only generate")
    endif()
    list(LENGTH tag_files count)
    if(count EQUAL 0)
        message(FATAL_ERROR "quorl_add_class_registration(${target}): no tag file given")
    endif()
    if(arg_OUTPUT AND count GREATER 1)
        message(FATAL_ERROR "quorl_add_class_registration(${target}): OUTPUT names one file, "
                            "but ${count} tag files were given")
    endif()
    set(outputs "")
    set(modules "")
    foreach(tags IN LISTS tag_files)
        _quorl_module_name("${tags}" module)
        if(module IN_LIST modules)
            message(FATAL_ERROR "quorl_add_class_registration(${target}): two tag files for "
                                "module '${module}'")
        endif()
        list(APPEND modules "${module}")
        _quorl_generate(COMMAND -createClassReg OWNER ${target} TAGS "${tags}" MODULE ${module}
                        SUFFIX _reg.cpp WHAT "class registration" OUTPUT "${arg_OUTPUT}"
                        OUTPUT_VAR output STAMP_VAR stamp)
        _quorl_attach(${target} "${output}" "${stamp}")
        if(arg_INCLUDE_ONLY)
            if(NOT type STREQUAL "UTILITY")
                get_filename_component(output_dir "${output}" DIRECTORY)
                target_include_directories(${target} PRIVATE "${output_dir}")
            endif()
        else()
            _quorl_registration_wrapper(${target} "${output}" "${tags}" "${module}")
        endif()
        list(APPEND outputs "${output}")
    endforeach()
    if(arg_OUTPUT_VARIABLE)
        set(${arg_OUTPUT_VARIABLE} "${outputs}" PARENT_SCOPE)
    endif()
endfunction()

function(quorl_add_tags_info target_or_name tags)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "OUTPUT" "")
    if(arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "quorl_add_tags_info: unknown arguments ${arg_UNPARSED_ARGUMENTS}")
    endif()
    _quorl_module_name("${tags}" module)
    _quorl_generate(COMMAND -createTagsInfo OWNER ${target_or_name} TAGS "${tags}"
                    MODULE ${module} SUFFIX _tags.txt WHAT "tag information"
                    OUTPUT "${arg_OUTPUT}" OUTPUT_VAR output STAMP_VAR stamp)
    if(TARGET ${target_or_name})
        _quorl_attach(${target_or_name} "${output}" "${stamp}")
    else()
        add_custom_target(${target_or_name} ALL DEPENDS "${stamp}")
    endif()
endfunction()

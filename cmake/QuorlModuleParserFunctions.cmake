# quorl_add_class_registration(<target> <tag file>... [INCLUDE_ONLY] [OUTPUT <path>]
#                              [OUTPUT_VARIABLE <var>] [HEADER_VARIABLE <var>])
# quorl_add_tags_info(<target> <tag file> [NEW_TARGET] [OUTPUT <path>])
#
# What they take and do is described once, in doc/cmake.md (installed with the package's
# documents, share/doc/quorl-module-parser/doc/cmake.md).

include_guard(GLOBAL)

set(QUORL_MODULE_PARSER_EXECUTABLE "" CACHE STRING
    "quorlModuleParser to run at build time: a path or a program on PATH (empty: the QuorlModuleParser::quorlModuleParser target)")

# Sets <command_var> to what a generation runs and <companion_var> to whether that is the
# companion, quorlRegenerate, which leaves an output that holds the text alone; the tool alone
# rewrites its output every time. With QUORL_MODULE_PARSER_EXECUTABLE the companion is the one
# installed with the given tool, if any; the configure says once when there is none.
function(_quorl_generator command_var companion_var)
    set(executable "${QUORL_MODULE_PARSER_EXECUTABLE}")
    if(NOT executable)
        if(NOT TARGET QuorlModuleParser::quorlModuleParser)
            message(FATAL_ERROR "quorlModuleParser not found: use find_package(QuorlModuleParser) "
                                "or add_subdirectory() on its sources, or set "
                                "QUORL_MODULE_PARSER_EXECUTABLE")
        endif()
        set(${command_var} QuorlModuleParser::quorlRegenerate PARENT_SCOPE)
        set(${companion_var} ON PARENT_SCOPE)
        return()
    endif()
    get_property(checked GLOBAL PROPERTY _QUORL_TOOL_CHECKED)
    if(NOT checked STREQUAL executable)
        if(executable MATCHES "[/\\\\]")
            get_filename_component(tool "${executable}" ABSOLUTE)
        else()
            # A cache entry of its own, dropped at once (find_program's NO_CACHE needs 3.21).
            find_program(_quorl_found_tool NAMES "${executable}" NO_CMAKE_FIND_ROOT_PATH)
            set(tool "${_quorl_found_tool}")
            unset(_quorl_found_tool CACHE)
        endif()
        if(NOT tool OR NOT EXISTS "${tool}" OR IS_DIRECTORY "${tool}")
            message(FATAL_ERROR "QUORL_MODULE_PARSER_EXECUTABLE is '${executable}', which is "
                                "not a program that exists (or, for a bare name, on PATH)")
        endif()
        # Running it without arguments prints the usage text and exits 0.
        execute_process(COMMAND "${tool}" RESULT_VARIABLE status OUTPUT_VARIABLE usage
                        ERROR_QUIET)
        if(NOT status EQUAL 0 OR NOT usage MATCHES "-createClassReg")
            message(FATAL_ERROR "QUORL_MODULE_PARSER_EXECUTABLE is '${executable}' "
                                "(${tool}), which does not run as quorlModuleParser: ${status}")
        endif()
        get_filename_component(bin "${tool}" DIRECTORY)
        string(REGEX MATCH "[.][Ee][Xx][Ee]$" suffix "${tool}")
        get_filename_component(companion
                               "${bin}/../libexec/quorl-module-parser/quorlRegenerate${suffix}"
                               ABSOLUTE)
        if(EXISTS "${companion}")
            set_property(GLOBAL PROPERTY _QUORL_TOOL_COMMAND "${companion}")
            set_property(GLOBAL PROPERTY _QUORL_TOOL_COMPANION ON)
        else()
            message(STATUS "quorlModuleParser: ${tool} has no quorlRegenerate beside it "
                           "(${companion}): each generation runs the tool, which rewrites its "
                           "output every time")
            set_property(GLOBAL PROPERTY _QUORL_TOOL_COMMAND "${tool}")
            set_property(GLOBAL PROPERTY _QUORL_TOOL_COMPANION OFF)
        endif()
        set_property(GLOBAL PROPERTY _QUORL_TOOL_CHECKED "${executable}")
    endif()
    get_property(command GLOBAL PROPERTY _QUORL_TOOL_COMMAND)
    get_property(companion GLOBAL PROPERTY _QUORL_TOOL_COMPANION)
    set(${command_var} "${command}" PARENT_SCOPE)
    set(${companion_var} "${companion}" PARENT_SCOPE)
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

# Shows the tag file <path> among <target>'s sources, under "Tag Files" in IDEs, compiled by
# nothing (custom targets take sources since CMake 3.20).
function(_quorl_show_tag_file target path)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "UTILITY" AND CMAKE_VERSION VERSION_LESS 3.20)
        return()
    endif()
    set_source_files_properties("${path}" TARGET_DIRECTORY ${target}
                                PROPERTIES HEADER_FILE_ONLY ON)
    target_sources(${target} PRIVATE "${path}")
    source_group("Tag Files" FILES "${path}")
endfunction()

function(_quorl_module_name tags out_var)
    get_filename_component(file_name "${tags}" NAME)
    string(REGEX REPLACE "\\..*$" "" module "${file_name}")
    set(${out_var} "${module}" PARENT_SCOPE)
endfunction()

# Adds the rule that writes <output> (an absolute path) with <switch> from <tags> and makes
# <target> bring it up to date before it builds: as one of its sources when called in the
# target's own directory (no target more, which Unix Makefiles pay for in every build), through a
# custom target of this directory otherwise. The companion's stamp records each run. With
# NEW_TARGET, <target> is made here as a custom target that builds the rule.
function(_quorl_generate function target switch tags output what)
    cmake_parse_arguments(PARSE_ARGV 6 arg "NEW_TARGET" "" "")
    _quorl_generator(command companion)
    get_filename_component(output_dir "${output}" DIRECTORY)
    get_filename_component(name "${output}" NAME)
    file(MAKE_DIRECTORY "${output_dir}")
    set(comment "Generating ${what} ${name} for ${target}")
    if(companion)
        set(rule "${output}.stamp")
        add_custom_command(OUTPUT "${rule}" BYPRODUCTS "${output}"
                           COMMAND ${command} ${switch} "${tags}" "${output}" "${rule}"
                           DEPENDS "${tags}" ${command} COMMENT "${comment}" VERBATIM)
    else()
        set(rule "${output}")
        add_custom_command(OUTPUT "${rule}" COMMAND ${command} ${switch} "${tags}" "${output}"
                           DEPENDS "${tags}" ${command} COMMENT "${comment}" VERBATIM)
    endif()
    # Generated, so Qt's AUTOMOC, AUTOUIC and AUTORCC would wait for them, and the rule, one of
    # the target's sources, waits for those: they are not for Qt's tools to scan anyway.
    set_source_files_properties("${rule}" "${output}" PROPERTIES SKIP_AUTOGEN ON)
    if(arg_NEW_TARGET)
        add_custom_target(${target} ALL DEPENDS "${rule}" SOURCES "${tags}")
        source_group("Tag Files" FILES "${tags}")
        return()
    endif()
    _quorl_show_tag_file(${target} "${tags}")
    get_target_property(type ${target} TYPE)
    get_target_property(target_dir ${target} SOURCE_DIR)
    # Custom targets take sources since CMake 3.20.
    if(target_dir STREQUAL CMAKE_CURRENT_SOURCE_DIR
       AND (NOT type STREQUAL "UTILITY" OR NOT CMAKE_VERSION VERSION_LESS 3.20))
        set_source_files_properties("${rule}" PROPERTIES HEADER_FILE_ONLY ON)
        target_sources(${target} PRIVATE "${rule}")
        source_group("CMake Rules" FILES "${rule}")
        set(source "${rule}")
    else()
        string(MAKE_C_IDENTIFIER "${target}_generate_${name}" generation)
        if(TARGET ${generation})
            message(FATAL_ERROR "${function}: '${target}' already generates ${name}; "
                                "give OUTPUT to name another file")
        endif()
        add_custom_target(${generation} DEPENDS "${rule}")
        add_dependencies(${target} ${generation})
        set(source "")
    endif()
    if(NOT type STREQUAL "UTILITY")
        # Shown among the target's sources, under "Generated Files" in IDEs; included or read,
        # never compiled on their own. The properties are set where the target was made.
        set_source_files_properties("${output}" TARGET_DIRECTORY ${target}
                                    PROPERTIES GENERATED ON HEADER_FILE_ONLY ON SKIP_AUTOGEN ON)
        if(NOT output STREQUAL source)
            target_sources(${target} PRIVATE "${output}")
        endif()
        source_group("Generated Files" FILES "${output}")
    endif()
endfunction()

# Writes <module>_registration.h, and the source that defines its functions, beside <generated>
# from the templates the Meson recipe uses too; puts their folder on the target's include path.
function(_quorl_registration_wrapper target generated module header_var)
    get_filename_component(dir "${generated}" DIRECTORY)
    get_filename_component(GENERATED "${generated}" NAME)
    set(MODULE "${module}")
    set(header "${dir}/${module}_registration.h")
    set(source "${dir}/${module}_registration.cpp")
    # Beside these functions in the sources; the installed package says where it keeps them.
    get_property(templates GLOBAL PROPERTY QUORL_MODULE_PARSER_TEMPLATE_DIR)
    if(NOT templates)
        set(templates "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/templates")
    endif()
    configure_file("${templates}/registration.h.in" "${header}" @ONLY)
    configure_file("${templates}/registration.cpp.in" "${source}" @ONLY)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(SHARED|MODULE)_LIBRARY$")
        # For every source of the library, so that a unity build keeps the export too.
        target_compile_definitions(${target} PRIVATE QUORL_EXPORTS_${module})
    endif()
    target_sources(${target} PRIVATE "${source}" "${header}")
    source_group("Generated Files" FILES "${source}" "${header}")
    target_include_directories(${target} PUBLIC "$<BUILD_INTERFACE:${dir}>")
    set(${header_var} "${header}" PARENT_SCOPE)
endfunction()

# Stops the configure at what quorl_add_class_registration cannot do with its arguments.
function(_quorl_check_registration function target type count)
    if(type STREQUAL "INTERFACE_LIBRARY")
        message(FATAL_ERROR "${function}: '${target}' is an INTERFACE library, which compiles "
                            "nothing; name a library or executable that links it")
    endif()
    set(function "${function}(${target})")
    if(type STREQUAL "UTILITY" AND NOT arg_INCLUDE_ONLY)
        message(FATAL_ERROR "${function}: a custom target compiles nothing; give INCLUDE_ONLY "
                            "to only generate")
    endif()
    if(arg_INCLUDE_ONLY AND arg_HEADER_VARIABLE)
        message(FATAL_ERROR "${function}: INCLUDE_ONLY writes no header for HEADER_VARIABLE")
    endif()
    if(count EQUAL 0)
        message(FATAL_ERROR "${function}: no tag file given")
    endif()
    if(arg_OUTPUT AND count GREATER 1)
        message(FATAL_ERROR "${function}: OUTPUT names one file, but ${count} tag files were "
                            "given")
    endif()
endfunction()

# Sets <module_var> to the module of tag file <tags> (at <path>), stopping the configure where
# that is no C identifier or where another tag file gives the module already: one application,
# one init_<module>().
function(_quorl_registration_module function tags path module_var)
    _quorl_module_name("${tags}" module)
    if(NOT module MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
        string(MAKE_C_IDENTIFIER "${module}" suggestion)
        message(FATAL_ERROR "${function}: module name '${module}', the name of tag file ${tags} "
                            "up to its first '.', is not a C identifier, so init_${module}() "
                            "cannot compile; rename the tag file, for example to "
                            "${suggestion}.tags")
    endif()
    get_property(first GLOBAL PROPERTY "_QUORL_MODULE_${module}")
    if(first AND NOT first STREQUAL path)
        message(FATAL_ERROR "${function}: two tag files for module '${module}': ${first} and "
                            "${path}; rename one of them")
    endif()
    set_property(GLOBAL PROPERTY "_QUORL_MODULE_${module}" "${path}")
    set(${module_var} "${module}" PARENT_SCOPE)
endfunction()

function(quorl_add_class_registration target)
    set(function quorl_add_class_registration)
    cmake_parse_arguments(PARSE_ARGV 1 arg "INCLUDE_ONLY" "OUTPUT;OUTPUT_VARIABLE;HEADER_VARIABLE"
                          "")
    _quorl_check_arguments(${function} INCLUDE_ONLY OUTPUT OUTPUT_VARIABLE HEADER_VARIABLE)
    get_target_property(type ${target} TYPE)
    list(LENGTH arg_UNPARSED_ARGUMENTS count)
    _quorl_check_registration(${function} ${target} "${type}" ${count})
    set(function "${function}(${target})")
    set(outputs "")
    set(headers "")
    set(paths "")
    foreach(tags IN LISTS arg_UNPARSED_ARGUMENTS)
        _quorl_tag_file(${function} "${tags}" path)
        if(path IN_LIST paths)
            message(FATAL_ERROR "${function}: tag file ${path} is given twice")
        endif()
        list(APPEND paths "${path}")
        _quorl_registration_module(${function} "${tags}" "${path}" module)
        # A folder for each module, so that a module renamed or gone leaves nothing on the
        # include path.
        set(output "${arg_OUTPUT}")
        if(NOT output)
            set(output "quorl/${target}/${module}/${module}_reg.cpp")
        endif()
        get_filename_component(output "${output}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
        _quorl_generate(${function} ${target} -createClassReg "${path}" "${output}"
                        "class registration")
        if(NOT arg_INCLUDE_ONLY)
            _quorl_registration_wrapper(${target} "${output}" "${module}" header)
            list(APPEND headers "${header}")
        elseif(NOT type STREQUAL "UTILITY")
            get_filename_component(output_dir "${output}" DIRECTORY)
            target_include_directories(${target} PRIVATE "${output_dir}")
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
    elseif(NOT arg_NEW_TARGET AND NOT TARGET "${target}")
        # Before 0.2.0 this call made the target.
        message(FATAL_ERROR "${function}: '${target}' is not a target; call ${function}() "
                            "after the add_library() or add_executable() that makes it, or give "
                            "NEW_TARGET to add a custom target of that name")
    endif()
    set(function "${function}(${target})")
    _quorl_tag_file(${function} "${tags}" tags_path)
    _quorl_module_name("${tags}" module)
    set(output "${arg_OUTPUT}")
    if(NOT output)
        set(output "quorl/${target}/${module}_tags.txt")
    endif()
    get_filename_component(output "${output}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
    set(new_target "")
    if(arg_NEW_TARGET)
        set(new_target NEW_TARGET)
    endif()
    _quorl_generate(${function} ${target} -createTagsInfo "${tags_path}" "${output}"
                    "tag information" ${new_target})
endfunction()

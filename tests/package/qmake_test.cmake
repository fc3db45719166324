# Builds the modular application with qmake (its modular_app.pro, doc/qmake.md's project) against
# the installed feature file, in a shadow build: a static and a shared module with hidden
# symbols, and the program, in a subdirs project whose .qmake.conf points at the feature.
# Building again does nothing; a comment added to a tag file compiles and links nothing; an
# edited class header recompiles the registration; a changed tag file reaches the program; a
# renamed tag file fails as a clean build fails; make distclean leaves no file; a module moved
# to QUORL_TAGS_INFO loses its registration. QMAKEFEATURES in the environment of qmake and make
# finds the feature too; in qmake's alone, the modules' qmake runs stop, naming the feature.
# With EMULATOR (Wine), QMAKE is a Windows Qt's qmake, and the program and its DLL are run
# through it.
#   cmake -DSCRATCH=<dir> -DAPP_DIR=<dir> -DFEATURES=<dir> -DQMAKE=<qmake> [-DEMULATOR=<command>]
#         -P qmake_test.cmake
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

set(source "${SCRATCH}/app")
set(binary "${SCRATCH}/build")
file(REMOVE_RECURSE "${SCRATCH}")
file(COPY "${APP_DIR}/" DESTINATION "${source}")
file(MAKE_DIRECTORY "${binary}")
unset(ENV{QMAKEFEATURES})
file(WRITE "${source}/.qmake.conf" "QMAKEFEATURES *= ${FEATURES}\n")
find_program(make NAMES make REQUIRED)
set(relative_program app)
if(EMULATOR)
    # MinGW builds into release/; Wine finds the module's DLL on WINEPATH.
    set(relative_program release/app.exe)
    set(ENV{WINEPATH} "${binary}/tools/release")
endif()
set(program "${binary}/${relative_program}")

# Runs qmake on the project in <dir>, then make there; sets <out_var> to what make printed less
# its own lines, and fails unless make's status is <expected> (0, or 1 for a failure).
function(qmake_make dir expected out_var)
    if(NOT EXISTS "${dir}/Makefile")
        file(MAKE_DIRECTORY "${dir}")
        run_checked("${CMAKE_COMMAND}" -E chdir "${dir}" "${QMAKE}" "${source}/modular_app.pro")
    endif()
    execute_process(COMMAND "${make}" -j2 WORKING_DIRECTORY "${dir}" RESULT_VARIABLE status
                    OUTPUT_VARIABLE out ERROR_VARIABLE out)
    string(REGEX REPLACE "(^|\n)(make[^\n]*(Entering|Leaving) directory|make[^\n]*Nothing to be done|[^ \n]*make -f |cd |\\( test -e)[^\n]*" "" out "${out}")
    string(STRIP "${out}" out)
    if(expected EQUAL 0 AND NOT status EQUAL 0 OR NOT expected EQUAL 0 AND status EQUAL 0)
        message(FATAL_ERROR "make in ${dir} gave ${status}:\n${out}")
    endif()
    set(${out_var} "${out}" PARENT_SCOPE)
endfunction()

# Mistakes stop qmake, naming the culprit and the fix (a module name that is no C identifier:
# module_names_test.cmake).
set(mistakes "${SCRATCH}/mistakes")
file(WRITE "${mistakes}/geo.tags" "CLASSES = Shape\n")
file(WRITE "${mistakes}/geo.shapes.tags" "CLASSES = Shape\n")
# Each case: the project's lines after CONFIG, and what qmake's error must say ('.' for ';').
set(cases
    "QUORL_CLASS_REGISTRATION += missing.tags"
    "QUORL_CLASS_REGISTRATION: tag file missing.tags does not exist .*/missing.tags.. name an"

    "QUORL_CLASS_REGISTRATION += geo.tags geo.shapes.tags"
    "QUORL_CLASS_REGISTRATION: two tag files for module 'geo': [^ ]*/geo.tags and [^ ]*/geo.shapes.tags. rename"

    "QUORL_MODULE_PARSER_EXECUTABLE = ${CMAKE_COMMAND}\nQUORL_TAGS_INFO += geo.tags"
    "QUORL_MODULE_PARSER_EXECUTABLE is '.*' .*, which does not run as quorlModuleParser")
while(cases)
    list(POP_FRONT cases lines expected)
    file(WRITE "${mistakes}/mistake.pro" "${lines}\nload(quorl_module_parser)\n")
    execute_process(COMMAND "${CMAKE_COMMAND}" -E env "QMAKEFEATURES=${FEATURES}" "${QMAKE}"
                            mistake.pro WORKING_DIRECTORY "${mistakes}"
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(status EQUAL 0 OR NOT out MATCHES "ERROR: ${expected}")
        message(FATAL_ERROR "qmake with ${lines} gave (${status}):\n${out}")
    endif()
endwhile()

qmake_make("${binary}" 0 out)
expect_output("${program}" "${APP_DIR}/expected_output.txt" ${EMULATOR})
qmake_make("${binary}" 0 out)
if(NOT out STREQUAL "")
    message(FATAL_ERROR "building again did work:\n${out}")
endif()

set(build_step "quorlRegenerate -createClassReg [^\n]*/tools/tools.tags")
file(APPEND "${source}/tools/tools.tags" "# a comment changes no class\n")
qmake_make("${binary}" 0 out)
if(NOT out MATCHES "${build_step}" OR out MATCHES "(^|\n)[^ \n]*(g\\+\\+|ar|ln) ")
    message(FATAL_ERROR "a comment in a tag file gave:\n${out}")
endif()

# qmake scanned the registration's includes, the listed classes' headers among them.
file(APPEND "${source}/tools/Hammer.h" "// an edited header\n")
qmake_make("${binary}" 0 out)
if(NOT out MATCHES "tools_registration")
    message(FATAL_ERROR "an edited class header did not recompile the registration:\n${out}")
endif()

file(APPEND "${source}/tools/tools.tags" "CLASSES = Drill in Hammer.h inherits Tool\n")
file(APPEND "${source}/tools/Hammer.h" "APP_CLASS(Drill);\n")
qmake_make("${binary}" 0 out)
execute_process(COMMAND ${EMULATOR} "${program}" OUTPUT_VARIABLE out)
if(NOT out MATCHES "init Drill \\(Tool\\)\r?\n")
    message(FATAL_ERROR "a changed tag file did not reach the program:\n${out}")
endif()

# The shapes module renamed: the program still includes the old header, which is gone, as it
# never was in a clean build (where make, not the compiler, may be the one to say so).
file(RENAME "${source}/shapes/shapes.tags" "${source}/shapes/figures.tags")
file(READ "${source}/shapes/shapes.pro" project)
string(REPLACE "shapes.tags" "figures.tags" project "${project}")
file(WRITE "${source}/shapes/shapes.pro" "${project}")
set(missing "(No rule to make target '[^']*|)shapes_registration.h(: No such file or directory|')")
qmake_make("${binary}" 1 out)
qmake_make("${SCRATCH}/clean" 1 clean_out)
if(NOT out MATCHES "${missing}" OR NOT clean_out MATCHES "${missing}")
    message(FATAL_ERROR "a renamed tag file gave:\n${out}\nand in a clean build:\n${clean_out}")
endif()

# (In the first build the old module's object stays, as qmake leaves any renamed source's.)
run_checked("${make}" -C "${SCRATCH}/clean" distclean)
file(GLOB_RECURSE left LIST_DIRECTORIES false "${SCRATCH}/clean/*")
if(left)
    message(FATAL_ERROR "make distclean left: ${left}")
endif()

# The module then rendered only: its registration goes, its rendering comes.
string(REPLACE "QUORL_CLASS_REGISTRATION" "QUORL_TAGS_INFO" project "${project}")
file(WRITE "${source}/shapes/shapes.pro" "${project}")
qmake_make("${binary}" 1 out)
set(module "${binary}/shapes/quorl/figures/figures")
if(EXISTS "${module}_registration.h" OR NOT EXISTS "${module}_tags.txt")
    message(FATAL_ERROR "a module moved to QUORL_TAGS_INFO gave:\n${out}")
endif()

# The feature found through the environment, where qmake and make both have it; where only the
# first qmake run has it, the modules' qmake runs (which make starts) stop, naming the feature.
set(source "${SCRATCH}/app-environment")
file(COPY "${APP_DIR}/" DESTINATION "${source}")
set(ENV{QMAKEFEATURES} "${FEATURES}")
qmake_make("${SCRATCH}/environment" 0 out)
set(ENV{WINEPATH} "${SCRATCH}/environment/tools/release")
expect_output("${SCRATCH}/environment/${relative_program}" "${APP_DIR}/expected_output.txt"
              ${EMULATOR})
unset(ENV{QMAKEFEATURES})
file(MAKE_DIRECTORY "${SCRATCH}/first-only")
run_checked("${CMAKE_COMMAND}" -E chdir "${SCRATCH}/first-only" "${CMAKE_COMMAND}" -E env
            "QMAKEFEATURES=${FEATURES}" "${QMAKE}" "${source}/modular_app.pro")
qmake_make("${SCRATCH}/first-only" 1 out)
if(NOT out MATCHES "no such qmake feature")
    message(FATAL_ERROR "with QMAKEFEATURES for the first qmake run only:\n${out}")
endif()

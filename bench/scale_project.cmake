# Writes a CMake project of N modules, each with a tag file of ten "CLASSES" values, for the
# build-scale benchmark and the package test that builds many modules:
#   cmake -DDIR=<dir> -DN=<modules> -DVARIANT=<variant> -P scale_project.cmake
# Variants, each generating one file per module (nothing to compile) as part of one custom
# target, so that they compare what the generation costs:
#   functions  quorl_add_class_registration (INCLUDE_ONLY: a custom target only generates) for
#              the even modules, quorl_add_tags_info for the odd ones
#   plain      the same two commands as plain custom commands that write the outputs directly
cmake_minimum_required(VERSION 3.18)

file(REMOVE_RECURSE "${DIR}")
file(MAKE_DIRECTORY "${DIR}/modules")
math(EXPR last "${N} - 1")
foreach(i RANGE ${last})
    set(tags "# module m${i}\nMODULE = m${i}\n")
    foreach(j RANGE 9)
        if(j EQUAL 0)
            string(APPEND tags "CLASSES = C${i}_0\n")
        elseif(j LESS 8)
            string(APPEND tags "CLASSES = C${i}_${j} inherits C${i}_0\n")
        else()
            string(APPEND tags "CLASSES = C${i}_${j} in m${i}/c${j}.h inherits C${i}_1\n")
        endif()
    endforeach()
    file(WRITE "${DIR}/modules/m${i}.tags" "${tags}")
endforeach()

set(head "cmake_minimum_required(VERSION 3.18)\nproject(Scale${VARIANT} LANGUAGES CXX)\n")
set(modules "\${CMAKE_CURRENT_SOURCE_DIR}/modules")
if(VARIANT STREQUAL "functions")
    file(WRITE "${DIR}/CMakeLists.txt" "${head}
find_package(QuorlModuleParser CONFIG REQUIRED)
add_custom_target(generate ALL)
foreach(i RANGE ${last})
    if(i MATCHES \"[02468]$\")
        quorl_add_class_registration(generate ${modules}/m\${i}.tags INCLUDE_ONLY)
    else()
        quorl_add_tags_info(generate ${modules}/m\${i}.tags)
    endif()
endforeach()
")
elseif(VARIANT STREQUAL "plain")
    file(WRITE "${DIR}/CMakeLists.txt" "${head}
find_package(QuorlModuleParser CONFIG REQUIRED)
set(outputs)
foreach(i RANGE ${last})
    if(i MATCHES \"[02468]$\")
        set(command -createClassReg)
        set(output m\${i}_reg.cpp)
    else()
        set(command -createTagsInfo)
        set(output m\${i}_tags.txt)
    endif()
    add_custom_command(OUTPUT \${output}
        COMMAND QuorlModuleParser::quorlModuleParser \${command} ${modules}/m\${i}.tags \${output}
        DEPENDS ${modules}/m\${i}.tags VERBATIM)
    list(APPEND outputs \${output})
endforeach()
add_custom_target(generate ALL DEPENDS \${outputs})
")
else()
    message(FATAL_ERROR "VARIANT is functions or plain, not '${VARIANT}'")
endif()

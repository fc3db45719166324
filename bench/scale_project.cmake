# Writes a CMake project of N modules, each with a tag file of ten "CLASSES" values, for the
# build-scale benchmark and the package test that builds many modules:
#   cmake -DDIR=<dir> -DN=<modules> -DVARIANT=<variant> -P scale_project.cmake
# Variants, each generating one file per module (nothing to compile) as part of one custom
# target, so that they compare what the generation costs:
#   functions  quorl_add_class_registration (INCLUDE_ONLY: a custom target only generates) for
#              the even modules, quorl_add_tags_info for the odd ones
#   plain      the same two commands as plain custom commands that write the outputs directly
#   protoc     protoc --cpp_out on one small .proto file per module, as plain custom commands
# and, for what a build of library modules costs when nothing changed, N static libraries of one
# class each, its registration
#   libraries    made by quorl_add_class_registration
#   handwritten  written by hand as a source of the library
cmake_minimum_required(VERSION 3.18)

file(REMOVE_RECURSE "${DIR}")
file(MAKE_DIRECTORY "${DIR}/modules")
math(EXPR last "${N} - 1")
foreach(i RANGE ${last})
    set(tags "# module m${i}\nMODULE = m${i}\n")
    set(proto "syntax = \"proto3\";\npackage m${i};\n")
    foreach(j RANGE 9)
        if(j EQUAL 0)
            string(APPEND tags "CLASSES = C${i}_0\n")
        elseif(j LESS 8)
            string(APPEND tags "CLASSES = C${i}_${j} inherits C${i}_0\n")
        else()
            string(APPEND tags "CLASSES = C${i}_${j} in m${i}/c${j}.h inherits C${i}_1\n")
        endif()
        string(APPEND proto "message C${j} {\n  int32 id = 1;\n  string name = 2;\n}\n")
    endforeach()
    file(WRITE "${DIR}/modules/m${i}.tags" "${tags}")
    if(VARIANT MATCHES "^(libraries|handwritten)$")
        file(WRITE "${DIR}/modules/m${i}.tags" "CLASSES = K${i}\n")
        file(WRITE "${DIR}/modules/K${i}.h" "struct K${i}
{
    static const char* getClass() { return \"K${i}\"; }
    static void init(const char*) {}
    static void shutdown() {}
};
")
        file(WRITE "${DIR}/modules/m${i}.cpp" "#include \"K${i}.h\"\nint size${i}() { return sizeof(K${i}); }\n")
        file(WRITE "${DIR}/modules/m${i}_registration.cpp" "#include \"K${i}.h\"
namespace quorl {
void init_m${i}() { K${i}::init(nullptr); }
void shutdown_m${i}() { K${i}::shutdown(); }
}
")
    endif()
    if(VARIANT STREQUAL "protoc")
        file(WRITE "${DIR}/modules/m${i}.proto" "${proto}")
    endif()
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
elseif(VARIANT STREQUAL "protoc")
    file(WRITE "${DIR}/CMakeLists.txt" "${head}
find_program(PROTOC protoc REQUIRED)
set(outputs)
foreach(i RANGE ${last})
    add_custom_command(OUTPUT m\${i}.pb.cc m\${i}.pb.h
        COMMAND \${PROTOC} --cpp_out=\${CMAKE_CURRENT_BINARY_DIR} -I ${modules} ${modules}/m\${i}.proto
        DEPENDS ${modules}/m\${i}.proto VERBATIM)
    list(APPEND outputs m\${i}.pb.cc)
endforeach()
add_custom_target(generate ALL DEPENDS \${outputs})
")
elseif(VARIANT STREQUAL "libraries")
    file(WRITE "${DIR}/CMakeLists.txt" "${head}
find_package(QuorlModuleParser CONFIG REQUIRED)
foreach(i RANGE ${last})
    add_library(m\${i} STATIC ${modules}/m\${i}.cpp)
    target_include_directories(m\${i} PRIVATE ${modules})
    quorl_add_class_registration(m\${i} ${modules}/m\${i}.tags)
endforeach()
")
elseif(VARIANT STREQUAL "handwritten")
    file(WRITE "${DIR}/CMakeLists.txt" "${head}
foreach(i RANGE ${last})
    add_library(m\${i} STATIC ${modules}/m\${i}.cpp ${modules}/m\${i}_registration.cpp)
    target_include_directories(m\${i} PRIVATE ${modules})
endforeach()
")
else()
    message(FATAL_ERROR "VARIANT is functions, plain, protoc, libraries or handwritten, not "
                        "'${VARIANT}'")
endif()

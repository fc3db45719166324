# Builds the Debian package, unpacks it into a scratch root and uses what it installed: the tool
# on the example module, the CMake package from a consumer project, and the man page.
#   cmake -DSCRATCH=<dir> -DEXAMPLE_DIR=<dir> -DBUILD_DIR=<dir> -DEXPECTED_REG=<file>
#         [-DQMAKES=<qmake>;...] -P deb_test.cmake
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")
run_checked(cpack -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${SCRATCH}/package")
file(GLOB packages "${SCRATCH}/package/*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one package, found: ${packages}")
endif()

execute_process(COMMAND dpkg-deb -f "${packages}" Package Depends Multi-Arch
                OUTPUT_VARIABLE fields)
set(expected "Package: quorl-module-parser" "Depends: .*libqt(6core6|5core5)")
# CPack's post-build step, which adds Multi-Arch, came with CMake 3.19.
if(CMAKE_VERSION VERSION_LESS 3.19)
    message(STATUS "Multi-Arch not checked: CMake ${CMAKE_VERSION} does not add it")
else()
    list(APPEND expected "Multi-Arch: foreign")
endif()
foreach(field IN LISTS expected)
    if(NOT fields MATCHES "${field}")
        message(FATAL_ERROR "no '${field}' among the package fields:\n${fields}")
    endif()
endforeach()

# Debian's own checks: no error may remain; the warnings are shown.
execute_process(COMMAND lintian --allow-root --tag-display-limit 0 "${packages}"
                RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report)
message(STATUS "lintian (${status}):\n${report}")
if(report MATCHES "(^|\n)E: " OR NOT status MATCHES "^[0-9]+$")
    message(FATAL_ERROR "lintian reports errors")
endif()

set(root "${SCRATCH}/root")
run_checked(dpkg -x "${packages}" "${root}")
foreach(file bin/quorlModuleParser
             lib/cmake/QuorlModuleParser/QuorlModuleParserConfig.cmake
             lib/cmake/QuorlModuleParser/QuorlModuleParserConfigVersion.cmake
             lib/cmake/QuorlModuleParser/QuorlModuleParserFunctions.cmake
             share/man/man1/quorlModuleParser.1.gz
             share/doc/quorl-module-parser/README.md
             share/doc/quorl-module-parser/copyright
             share/doc/quorl-module-parser/changelog.gz)
    if(NOT EXISTS "${root}/usr/${file}")
        message(FATAL_ERROR "the package lacks /usr/${file}")
    endif()
endforeach()

run_checked("${root}/usr/bin/quorlModuleParser" -createClassReg "${EXAMPLE_DIR}/geometry.tags"
            "${SCRATCH}/geometry_reg.cpp")
expect_same_files("${EXPECTED_REG}" "${SCRATCH}/geometry_reg.cpp")

configure("${EXAMPLE_DIR}" "${SCRATCH}/consumer" Ninja -DCMAKE_PREFIX_PATH=${root}/usr)
build("${SCRATCH}/consumer")
expect_output("${SCRATCH}/consumer/example_geometry" "${EXAMPLE_DIR}/expected_output.txt")

# The man page renders without a groff warning and reads as the tool's page.
set(page "${root}/usr/share/man/man1/quorlModuleParser.1.gz")
execute_process(COMMAND gzip -dc "${page}" COMMAND groff -man -Tutf8 -ww -z
                RESULT_VARIABLE status ERROR_VARIABLE warnings)
if(NOT status EQUAL 0 OR warnings)
    message(FATAL_ERROR "groff reports problems in the man page:\n${warnings}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E env MANWIDTH=80 man -l "${page}"
                OUTPUT_VARIABLE text RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT text MATCHES "quorlModuleParser -createClassReg geometry.tags" OR
   NOT text MATCHES "quorlModuleParser ${VERSION}")
    message(FATAL_ERROR "man could not show the page (${status}):\n${text}")
endif()

# Debian's qmake finds the feature in its own mkspecs/features, where the package puts a file
# that loads the one in share: for each qmake given, the package's copy at the place that qmake
# looks (its QT_HOST_DATA), with a project that renders the example's tags as the tool does.
run_checked("${root}/usr/bin/quorlModuleParser" -createTagsInfo "${EXAMPLE_DIR}/geometry.tags"
            "${SCRATCH}/geometry_tags.txt")
foreach(qmake IN LISTS QMAKES)
    execute_process(COMMAND "${qmake}" -query QT_HOST_DATA OUTPUT_VARIABLE data
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(features "${root}${data}/mkspecs/features")
    if(NOT EXISTS "${features}/quorl_module_parser.prf")
        message(FATAL_ERROR "the package has no feature where ${qmake} looks (${data})")
    endif()
    get_filename_component(qt "${data}" NAME)
    set(project "${SCRATCH}/qmake-${qt}")
    file(WRITE "${project}/info.pro" "CONFIG += console quorl_module_parser\nCONFIG -= qt
SOURCES = main.cpp\nQUORL_TAGS_INFO += ${EXAMPLE_DIR}/geometry.tags\n")
    file(WRITE "${project}/main.cpp" "int main() { return 0; }\n")
    set(ENV{QMAKEFEATURES} "${features}")
    run_checked("${CMAKE_COMMAND}" -E chdir "${project}" "${qmake}" info.pro)
    run_checked(make -C "${project}")
    expect_same_files("${SCRATCH}/geometry_tags.txt" "${project}/quorl/geometry/geometry_tags.txt")
endforeach()

# Install rules, the CMake package (find_package(QuorlModuleParser CONFIG)), the pkg-config file
# and the Debian package. Components: Runtime (the tool, its build step, the wrapper templates,
# the pkg-config file, the qmake feature, the man page and documents), Development (the CMake
# package) and, in the Debian package only, QtFeatures (where Debian's qmake finds the feature).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(QUORL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/QuorlModuleParser)
set(QUORL_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/quorl-module-parser)
set(QUORL_TEMPLATE_DIR ${CMAKE_INSTALL_DATADIR}/quorl-module-parser)
# The build step is no command for people: it goes to libexec.
set(QUORL_LIBEXEC_DIR ${CMAKE_INSTALL_LIBEXECDIR}/quorl-module-parser)
set(QUORL_PC_DIR ${CMAKE_INSTALL_DATADIR}/pkgconfig)

install(TARGETS quorlModuleParser EXPORT QuorlModuleParserTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)
install(TARGETS quorlRegenerate EXPORT QuorlModuleParserTargets
        RUNTIME DESTINATION ${QUORL_LIBEXEC_DIR} COMPONENT Runtime)
install(EXPORT QuorlModuleParserTargets NAMESPACE QuorlModuleParser::
        DESTINATION ${QUORL_CMAKE_DIR} COMPONENT Development)
install(FILES cmake/templates/registration.h.in cmake/templates/registration.cpp.in
        DESTINATION ${QUORL_TEMPLATE_DIR} COMPONENT Runtime)
# Relocatable: the prefix is found from where the file lies.
file(RELATIVE_PATH QUORL_PC_TO_PREFIX /prefix/${QUORL_PC_DIR} /prefix)
string(REGEX REPLACE "/$" "" QUORL_PC_TO_PREFIX "${QUORL_PC_TO_PREFIX}")
configure_file(cmake/quorlModuleParser.pc.in ${CMAKE_CURRENT_BINARY_DIR}/quorlModuleParser.pc
               @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/quorlModuleParser.pc DESTINATION ${QUORL_PC_DIR}
        COMPONENT Runtime)

# The qmake feature finds the tool and templates from where it lies; Debian's qmake finds the
# feature in its own mkspecs/features, where a one-line file loads it from the package's share.
set(QUORL_QMAKE_DIR ${QUORL_TEMPLATE_DIR}/qmake)
file(RELATIVE_PATH QUORL_PRF_TO_PREFIX /prefix/${QUORL_QMAKE_DIR} /prefix)
string(REGEX REPLACE "/$" "" QUORL_PRF_TO_PREFIX "${QUORL_PRF_TO_PREFIX}")
configure_file(qmake/quorl_module_parser.prf.in
               ${CMAKE_CURRENT_BINARY_DIR}/qmake/quorl_module_parser.prf @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/qmake/quorl_module_parser.prf
        DESTINATION ${QUORL_QMAKE_DIR} COMPONENT Runtime)
if(CMAKE_LIBRARY_ARCHITECTURE)
    foreach(qt qt5 qt6)
        set(features lib/${CMAKE_LIBRARY_ARCHITECTURE}/${qt}/mkspecs/features)
        file(RELATIVE_PATH to_prf /usr/${features} /usr/${QUORL_QMAKE_DIR})
        file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/qmake/${qt}/quorl_module_parser.prf
             "include($$PWD/${to_prf}/quorl_module_parser.prf)\n")
        # Only the Debian package, whose prefix is that of Debian's Qt, installs it there.
        install(FILES ${CMAKE_CURRENT_BINARY_DIR}/qmake/${qt}/quorl_module_parser.prf
                DESTINATION ${features} COMPONENT QtFeatures EXCLUDE_FROM_ALL)
    endforeach()
    set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/"
                                     "${PROJECT_BINARY_DIR};${PROJECT_NAME};QtFeatures;/")
endif()

set(QUORL_TOOL_INSTALL_PATH ${CMAKE_INSTALL_BINDIR}/quorlModuleParser${CMAKE_EXECUTABLE_SUFFIX})
configure_package_config_file(cmake/QuorlModuleParserConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/QuorlModuleParserConfig.cmake
                              INSTALL_DESTINATION ${QUORL_CMAKE_DIR}
                              PATH_VARS QUORL_TOOL_INSTALL_PATH QUORL_TEMPLATE_DIR)
# The package holds a tool for the build host, so a target of any pointer size may use it.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/QuorlModuleParserConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/QuorlModuleParserConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/QuorlModuleParserConfigVersion.cmake
              cmake/QuorlModuleParserFunctions.cmake
        DESTINATION ${QUORL_CMAKE_DIR} COMPONENT Development)

# The man page and the changelog carry the version and date of project() and
# QUORL_RELEASE_DATE; both are installed compressed, as Debian wants them.
string(REGEX MATCH "^[A-Za-z]+, ([0-9]+) ([A-Za-z]+) ([0-9]+) " date "${QUORL_RELEASE_DATE}")
if(NOT date)
    message(FATAL_ERROR "QUORL_RELEASE_DATE is not an RFC 2822 date: ${QUORL_RELEASE_DATE}")
endif()
set(QUORL_RELEASE_DATE_RFC2822 "${QUORL_RELEASE_DATE}")
set(QUORL_RELEASE_DATE "${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3}")
set(generated_docs ${CMAKE_CURRENT_BINARY_DIR}/docs)
# The man page names the documents where they are installed, which only the install knows (a
# prefix given to cmake --install, the Debian package's /usr): configured here but for that, and
# again, with it, as it is installed.
set(QUORL_DOC_PATH @QUORL_DOC_PATH@)
configure_file(doc/quorlModuleParser.1.in ${generated_docs}/quorlModuleParser.1.in @ONLY)
configure_file(packaging/debian/changelog.in ${generated_docs}/changelog @ONLY)
find_program(QUORL_GZIP gzip)
# -n leaves out the name and time stamp, so the same text gives the same bytes.
set(compress "")
if(QUORL_GZIP)
    set(compress "execute_process(COMMAND \"${QUORL_GZIP}\" -n -9 -f \"\${page}\")
                  set(page \"\${page}.gz\")")
    execute_process(COMMAND ${QUORL_GZIP} -n -9 -c ${generated_docs}/changelog
                    OUTPUT_FILE ${generated_docs}/changelog.gz)
    set(changelog_installed ${generated_docs}/changelog.gz)
else()
    set(changelog_installed ${generated_docs}/changelog)
endif()
install(CODE "
    set(QUORL_DOC_PATH \"\${CMAKE_INSTALL_PREFIX}/${QUORL_DOC_DIR}\")
    set(page \"${generated_docs}/installed/quorlModuleParser.1\")
    configure_file(\"${generated_docs}/quorlModuleParser.1.in\" \"\${page}\" @ONLY)
    ${compress}
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_MANDIR}/man1\" TYPE FILE
         FILES \"\${page}\")" COMPONENT Runtime)
# The documents keep the layout of the sources, so that their links lead where they should.
install(FILES README.md NEWS.md packaging/debian/copyright ${changelog_installed}
        DESTINATION ${QUORL_DOC_DIR} COMPONENT Runtime)
install(FILES doc/cmake.md doc/qmake.md DESTINATION ${QUORL_DOC_DIR}/doc COMPONENT Runtime)
# The documents show the geometry example and name its files.
install(DIRECTORY examples/geometry DESTINATION ${QUORL_DOC_DIR}/examples COMPONENT Runtime)

set(CPACK_PACKAGE_NAME quorl-module-parser)
set(CPACK_PACKAGE_VENDOR "quorlModuleParser authors")
set(CPACK_PACKAGE_CONTACT "${QUORL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUORL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# The summary line comes first on its own; this is the extended description below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"quorlModuleParser runs in the build of a modular application, once per module.
It reads the module's tag file and either writes a text rendering of its tags
or generates the module's class-registration C++ source from its CLASSES tag:
one include per class and two functions that call every class's static init
and shutdown. CMake functions to run it at build time come with it.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# dpkg-shlibdeps works out the run-time dependencies (libqt6core6, libstdc++6, libc6).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# CPack has no Multi-Arch field; this step adds it to the finished package. Post-build scripts
# came with CMake 3.19: packages built with older CMake lack the field.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/QuorlDebMultiArch.cmake)
set(CPACK_GENERATOR DEB)
include(CPack)

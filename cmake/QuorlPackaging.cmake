# Install rules, the CMake package (find_package(QuorlModuleParser CONFIG)) and the Debian package.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(QUORL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/QuorlModuleParser)

install(TARGETS quorlModuleParser EXPORT QuorlModuleParserTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT QuorlModuleParserTargets NAMESPACE QuorlModuleParser::
        DESTINATION ${QUORL_CMAKE_DIR})

configure_package_config_file(cmake/QuorlModuleParserConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/QuorlModuleParserConfig.cmake
                              INSTALL_DESTINATION ${QUORL_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/QuorlModuleParserConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/QuorlModuleParserConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/QuorlModuleParserConfigVersion.cmake
              cmake/QuorlModuleParserFunctions.cmake
        DESTINATION ${QUORL_CMAKE_DIR})

install(FILES doc/quorlModuleParser.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quorl-module-parser)

set(CPACK_PACKAGE_NAME quorl-module-parser)
set(CPACK_PACKAGE_VENDOR "quorlModuleParser developers")
set(CPACK_PACKAGE_CONTACT "quorlModuleParser developers <maintainers@users.noreply.c-seed-99ff9910.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# dpkg-shlibdeps works out the run-time dependencies (libqt6core6, libstdc++6, libc6).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_GENERATOR DEB)
include(CPack)

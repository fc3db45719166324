# Qt Core for the tool: Qt 6.2 or newer where found, else Qt 5.15, or the one QUORL_QT_VERSION
# names. The project's targets link quorl_qt_core; the source's version differences are in
# classreg/qt_versions.h.
if(NOT QUORL_QT_VERSION MATCHES "^(5|6|)$")
    message(FATAL_ERROR "QUORL_QT_VERSION is '${QUORL_QT_VERSION}': say 6, 5 or nothing")
endif()
if(NOT QUORL_QT_VERSION STREQUAL "5")
    find_package(Qt6 6.2 QUIET COMPONENTS Core)
endif()
if(NOT Qt6_FOUND AND NOT QUORL_QT_VERSION STREQUAL "6")
    find_package(Qt5 5.15 QUIET COMPONENTS Core)
endif()
add_library(quorl_qt_core INTERFACE)
if(Qt6_FOUND)
    target_link_libraries(quorl_qt_core INTERFACE Qt6::Core)
    message(STATUS "quorlModuleParser: building with Qt ${Qt6Core_VERSION} (${Qt6Core_DIR})")
elseif(Qt5_FOUND)
    target_link_libraries(quorl_qt_core INTERFACE Qt5::Core)
    message(STATUS "quorlModuleParser: building with Qt ${Qt5Core_VERSION} (${Qt5Core_DIR})")
else()
    message(FATAL_ERROR
            "quorlModuleParser needs Qt Core to build (Qt 6.2 or newer, or 5.15; "
            "QUORL_QT_VERSION='${QUORL_QT_VERSION}'): install it (Debian: qt6-base-dev or "
            "qtbase5-dev) and name its prefix in CMAKE_PREFIX_PATH. A project that only runs "
            "the tool at build time, a cross build say, can instead set "
            "QUORL_MODULE_PARSER_EXECUTABLE to a quorlModuleParser for the build host.")
endif()

# Qt Core for the tool: Qt 6.2 or newer where found, else Qt 5.15, or the one QUORL_QT_VERSION
# names. The project's targets link quorl_qt_core; the source's version differences are in
# taglib/qt_versions.h.
if(NOT QUORL_QT_VERSION STREQUAL "5")
    if(QUORL_QT_VERSION STREQUAL "6")
        find_package(Qt6 6.2 REQUIRED COMPONENTS Core)
    else()
        find_package(Qt6 6.2 QUIET COMPONENTS Core)
    endif()
endif()
add_library(quorl_qt_core INTERFACE)
if(Qt6_FOUND)
    target_link_libraries(quorl_qt_core INTERFACE Qt6::Core)
elseif(QUORL_QT_VERSION STREQUAL "" OR QUORL_QT_VERSION STREQUAL "5")
    find_package(Qt5 5.15 REQUIRED COMPONENTS Core)
    target_link_libraries(quorl_qt_core INTERFACE Qt5::Core)
else()
    message(FATAL_ERROR "QUORL_QT_VERSION is '${QUORL_QT_VERSION}': say 6, 5 or nothing")
endif()

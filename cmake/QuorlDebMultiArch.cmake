# CPack post-build step: marks each built .deb "Multi-Arch: foreign" (the tool serves builds for
# any architecture) by rebuilding it with that field added to its control file.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.deb$")
        continue()
    endif()
    set(tree "${package}.tree")
    file(REMOVE_RECURSE "${tree}")
    execute_process(COMMAND dpkg-deb --raw-extract "${package}" "${tree}"
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "dpkg-deb --raw-extract ${package}: ${failed}")
    endif()
    file(READ "${tree}/DEBIAN/control" control)
    if(NOT control MATCHES "\nMulti-Arch:")
        string(REGEX REPLACE "(^|\n)(Architecture: [^\n]*\n)" "\\1\\2Multi-Arch: foreign\n"
                             control "${control}")
        file(WRITE "${tree}/DEBIAN/control" "${control}")
    endif()
    execute_process(COMMAND dpkg-deb --root-owner-group --build "${tree}" "${package}"
                    OUTPUT_QUIET RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "dpkg-deb --build ${package}: ${failed}")
    endif()
    file(REMOVE_RECURSE "${tree}")
endforeach()

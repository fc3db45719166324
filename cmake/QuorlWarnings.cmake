# Warnings are set per target so that consumers of our targets never inherit them; they are
# errors only where QUORL_WARNINGS_AS_ERRORS asks (the developer and CI presets).
function(quorl_set_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${QUORL_WARNINGS_AS_ERRORS}>:/WX>)
        # The standard C functions (strerror, _wfopen) are what the code means to call.
        target_compile_definitions(${target} PRIVATE _CRT_SECURE_NO_WARNINGS)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                                 -Wno-sign-conversion
                                                 $<$<BOOL:${QUORL_WARNINGS_AS_ERRORS}>:-Werror>)
    endif()
endfunction()

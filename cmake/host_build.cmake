# The players' DLL is checked under Wine by the runner and stand-in host of a
# windows-host tree (DRAPELLE_HOST_BUILD). That build must make its
# stand-in host under the host library name this DLL imports, or every check
# would fail to load the DLL: configure stops here, with the commands that
# make such a build, rather than the checks failing later.
function(drapelle_check_host_build)
    set(cache ${DRAPELLE_HOST_BUILD}/CMakeCache.txt)
    if(EXISTS ${cache})
        file(STRINGS ${cache} line REGEX "^DRAPELLE_HOST_LIBRARY:")
        string(REGEX REPLACE "^[^=]*=" "" built_for "${line}")
        string(TOLOWER "${built_for}" built_for_lower)
        string(TOLOWER "${DRAPELLE_HOST_LIBRARY}" wanted_lower)
        if(built_for_lower STREQUAL wanted_lower)
            return()
        endif()
        set(found "is set up for ${built_for}")
    else()
        set(found "is not configured")
    endif()
    get_filename_component(stem ${DRAPELLE_HOST_LIBRARY} NAME_WLE)
    file(RELATIVE_PATH here ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR})
    message(FATAL_ERROR
        "This DLL imports ${DRAPELLE_HOST_LIBRARY}, and its checks need a runner and stand-in "
        "host built under that name; the host build ${DRAPELLE_HOST_BUILD} ${found}.\n"
        "Make one and point this build at it:\n"
        "  cmake --preset windows-release -B build/host-${stem} "
        "-DDRAPELLE_HOST_LIBRARY=${DRAPELLE_HOST_LIBRARY}\n"
        "  cmake --build build/host-${stem}\n"
        "  cmake --preset windows-msvc -B ${here} -DDRAPELLE_HOST_LIBRARY=${DRAPELLE_HOST_LIBRARY} "
        "-DDRAPELLE_HOST_BUILD=${PROJECT_SOURCE_DIR}/build/host-${stem}\n"
        "or make a whole release for that host in one command:\n"
        "  scripts/release --host-library ${DRAPELLE_HOST_LIBRARY}")
endfunction()

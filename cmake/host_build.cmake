# The DLL's checks under Wine need the windows-host tree DRAPELLE_HOST_BUILD
# (HostBuild says how to make one). One built for another host library name
# would fail every check: configure stops here, saying how to make a match.
function(drapelle_check_host_build)
    set(cache ${DRAPELLE_HOST_BUILD}/CMakeCache.txt)
    if(NOT EXISTS ${cache})
        message(STATUS "The stand-in host tree ${DRAPELLE_HOST_BUILD} is not there yet: the "
                       "DLL builds, and its checks under Wine need that tree first.")
        return()
    endif()
    load_cache(${DRAPELLE_HOST_BUILD} READ_WITH_PREFIX host_ DRAPELLE_HOST_LIBRARY)
    string(TOLOWER "${host_DRAPELLE_HOST_LIBRARY}" built_for_lower)
    string(TOLOWER "${DRAPELLE_HOST_LIBRARY}" wanted_lower)
    if(built_for_lower STREQUAL wanted_lower)
        return()
    endif()
    get_filename_component(stem ${DRAPELLE_HOST_LIBRARY} NAME_WLE)
    file(RELATIVE_PATH here ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR})
    message(FATAL_ERROR
        "This DLL imports ${DRAPELLE_HOST_LIBRARY}, and its checks need a runner and stand-in "
        "host built under that name; the host build ${DRAPELLE_HOST_BUILD} is set up for "
        "${host_DRAPELLE_HOST_LIBRARY}.\n"
        "Make one and point this build at it:\n"
        "  cmake --preset windows-host -B build/host-${stem} "
        "-DDRAPELLE_HOST_LIBRARY=${DRAPELLE_HOST_LIBRARY}\n"
        "  cmake --build build/host-${stem}\n"
        "  cmake --preset windows-dll -B ${here} -DDRAPELLE_HOST_LIBRARY=${DRAPELLE_HOST_LIBRARY} "
        "-DDRAPELLE_HOST_BUILD=${PROJECT_SOURCE_DIR}/build/host-${stem}\n"
        "or make a whole release for that host in one command:\n"
        "  scripts/release --host-library ${DRAPELLE_HOST_LIBRARY}")
endfunction()

cmake_policy(VERSION 3.25)
# Builds the player's package and checks what is in it: one folder holding the
# plug-in under its configured file name, the licence and the read-me with
# Windows line ends, and SHA256SUMS.txt that matches them; the read-me names
# the version, the configured host library and plug-in file, the commit, and
# no other library file.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --target package
                RESULT_VARIABLE built OUTPUT_QUIET)
if(NOT built EQUAL 0)
    message(FATAL_ERROR "the package target failed")
endif()
set(unpacked ${BINARY_DIR}/package-check)
file(REMOVE_RECURSE ${unpacked})
file(ARCHIVE_EXTRACT INPUT ${BINARY_DIR}/${PACKAGE} DESTINATION ${unpacked})
file(GLOB_RECURSE contents RELATIVE ${unpacked} ${unpacked}/*)
list(SORT contents)
set(expected ${FOLDER}/LICENSE.txt ${FOLDER}/${PLUGIN_FILE} ${FOLDER}/README.txt
             ${FOLDER}/SHA256SUMS.txt)
list(SORT expected)
if(NOT contents STREQUAL expected)
    message(FATAL_ERROR "${PACKAGE} holds: ${contents}; expected: ${expected}")
endif()
set(unpacked ${unpacked}/${FOLDER})
foreach(text LICENSE.txt README.txt SHA256SUMS.txt)
    # As bytes: a text read drops the carriage returns.
    file(READ ${unpacked}/${text} content HEX)
    string(REGEX REPLACE "(..)" ";\\1" bytes "${content}")
    string(REPLACE ";0d;0a" "" bytes "${bytes}")
    string(FIND "${bytes}" ";0a" bare)
    if(NOT bare EQUAL -1)
        message(FATAL_ERROR "${text} has a line end without a carriage return")
    endif()
endforeach()
file(STRINGS ${unpacked}/SHA256SUMS.txt sums)
list(LENGTH sums count)
if(NOT count EQUAL 3)
    message(FATAL_ERROR "SHA256SUMS.txt has ${count} lines")
endif()
foreach(line ${sums})
    string(REGEX MATCH "^([0-9a-f]+) \\*([^\r]+)" matched "${line}")
    file(SHA256 ${unpacked}/${CMAKE_MATCH_2} actual)
    if(NOT actual STREQUAL CMAKE_MATCH_1)
        message(FATAL_ERROR "SHA256SUMS.txt does not match ${CMAKE_MATCH_2}")
    endif()
endforeach()

file(READ ${unpacked}/README.txt readme)
# The commit the sources are at, which the read-me names for a rebuild.
find_program(GIT git)
set(commit "")
if(GIT)
    execute_process(COMMAND ${GIT} -C ${SOURCE_DIR} rev-parse HEAD OUTPUT_VARIABLE commit
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
foreach(named "Drapelle ${VERSION}" ${HOST_LIBRARY} ${PLUGIN_FILE} ${PACKAGE} ${commit})
    string(FIND "${readme}" "${named}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "README.txt does not name ${named}")
    endif()
endforeach()
# Every library file the read-me names, as a DLL or under the plug-in's own
# extension, whatever that is, is the host's or the plug-in's, or the
# plug-in's with the .dll a hidden extension adds, which it warns against.
# A name is read whole, inner dots and all.
string(TOLOWER "${readme}" readme)
string(TOLOWER "${HOST_LIBRARY};${PLUGIN_FILE};${PLUGIN_FILE}.dll" known)
list(APPEND known readme.txt license.txt sha256sums.txt)
string(TOLOWER "${PLUGIN_FILE}" plugin_lower)
string(REGEX REPLACE ".*[.]" "" extension "${plugin_lower}")
string(REGEX MATCHALL "[a-z0-9_-]+([.][a-z0-9_-]+)*[.](dll|${extension})" named "${readme}")
list(REMOVE_DUPLICATES named)
foreach(file ${named})
    if(NOT file IN_LIST known)
        message(FATAL_ERROR "README.txt names ${file}; this package is for ${HOST_LIBRARY} "
                            "and ${PLUGIN_FILE}")
    endif()
endforeach()
message(STATUS "${PACKAGE}: ${contents}; texts CRLF; SHA256SUMS.txt matches; README.txt names "
               "${HOST_LIBRARY}, ${PLUGIN_FILE} and commit ${commit}")

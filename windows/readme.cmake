cmake_policy(VERSION 3.25)
# Writes the player's README.txt from its template at build time, naming the
# commit the sources are at and the command that builds the same zip from it,
# so that a commit made after configuring is the one named. The file is
# rewritten only when its text changes.
# Usage: cmake -DSOURCE_DIR=... -DTEMPLATE=... -DOUTPUT=... -DPROJECT_VERSION=...
#              -DDRAPELLE_HOST_LIBRARY=... -DDRAPELLE_PLUGIN_FILE=...
#              -DDRAPELLE_PACKAGE_SUFFIX=... -DDRAPELLE_UNCOMMITTED=ON|OFF -P readme.cmake
find_program(GIT git)
set(commit "")
if(GIT)
    execute_process(COMMAND ${GIT} -C ${SOURCE_DIR} rev-parse HEAD OUTPUT_VARIABLE commit
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND ${GIT} -C ${SOURCE_DIR} status --porcelain OUTPUT_VARIABLE changes
                    ERROR_QUIET)
endif()

# scripts/release, with the options that differ from its defaults.
set(command scripts/release)
if(NOT DRAPELLE_HOST_LIBRARY STREQUAL "ScriptHost.dll")
    string(APPEND command " --host-library ${DRAPELLE_HOST_LIBRARY}")
endif()
if(NOT DRAPELLE_PLUGIN_FILE STREQUAL "Drapelle.dll")
    string(APPEND command " --plugin-file ${DRAPELLE_PLUGIN_FILE}")
endif()

if(NOT commit MATCHES "^[0-9a-f]+$")
    set(DRAPELLE_SOURCE_REVISION
        "This zip was built from sources outside a git checkout: no commit names\nthem, so it cannot be rebuilt from published sources.")
elseif(changes OR DRAPELLE_UNCOMMITTED)
    set(DRAPELLE_SOURCE_REVISION
        "This zip was built from commit\n  ${commit}\nwith changes that were never committed: it cannot be rebuilt from\npublished sources.")
else()
    set(DRAPELLE_SOURCE_REVISION
        "This zip was built from commit\n  ${commit}\nof Drapelle's sources. In a checkout of that commit, on Debian,\n  ${command}\nbuilds the same zip again, byte for byte, with the same SHA-256.")
endif()
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)

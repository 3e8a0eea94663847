# The package for players, byte for byte the same from any clean build (see
# make_package.py), made by the build whose Drapelle.dll players get. Its
# read-me names the host library and the plug-in's file as configured, and
# the commit and command that build it again; its name carries the version
# and, where they are not the usual ones, the host library, the plug-in's
# name and extension, and that it holds uncommitted changes.
# Debian's own Python, the one scripts/setup installs.
drapelle_find_program(DRAPELLE_PYTHON3 python3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
option(DRAPELLE_UNCOMMITTED "Mark the zip as built from uncommitted changes" OFF)
set(DRAPELLE_PACKAGE_SUFFIX "")
string(TOLOWER "${DRAPELLE_HOST_LIBRARY}" host_lower)
if(NOT host_lower STREQUAL "scripthost.dll")
    get_filename_component(host_stem ${DRAPELLE_HOST_LIBRARY} NAME_WLE)
    string(APPEND DRAPELLE_PACKAGE_SUFFIX "-${host_stem}")
endif()
string(TOLOWER "${DRAPELLE_PLUGIN_STEM}" stem_lower)
if(NOT stem_lower STREQUAL "drapelle")
    string(APPEND DRAPELLE_PACKAGE_SUFFIX "-${DRAPELLE_PLUGIN_STEM}")
endif()
string(TOLOWER "${DRAPELLE_PLUGIN_EXTENSION}" extension_lower)
if(NOT extension_lower STREQUAL ".dll")
    string(SUBSTRING "${DRAPELLE_PLUGIN_EXTENSION}" 1 -1 extension)
    string(APPEND DRAPELLE_PACKAGE_SUFFIX "-${extension}")
endif()
if(DRAPELLE_UNCOMMITTED)
    string(APPEND DRAPELLE_PACKAGE_SUFFIX "-uncommitted")
endif()
set(PACKAGE_FOLDER Drapelle-${PROJECT_VERSION})
set(PACKAGE_NAME Drapelle-${PROJECT_VERSION}-win64${DRAPELLE_PACKAGE_SUFFIX}.zip)
set(DRAPELLE_PACKAGE_NAME ${PACKAGE_NAME} CACHE INTERNAL "The player's zip, for scripts/release")
set(PACKAGE_FILE ${CMAKE_BINARY_DIR}/${PACKAGE_NAME})
add_custom_target(readme
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
            -DTEMPLATE=${PROJECT_SOURCE_DIR}/windows/README.txt.in -DOUTPUT=${CMAKE_BINARY_DIR}/README.txt
            -DPROJECT_VERSION=${PROJECT_VERSION} -DDRAPELLE_HOST_LIBRARY=${DRAPELLE_HOST_LIBRARY}
            -DDRAPELLE_PLUGIN_FILE=${DRAPELLE_PLUGIN_FILE}
            -DDRAPELLE_PACKAGE_SUFFIX=${DRAPELLE_PACKAGE_SUFFIX}
            -DDRAPELLE_UNCOMMITTED=${DRAPELLE_UNCOMMITTED}
            -P ${PROJECT_SOURCE_DIR}/windows/readme.cmake
    BYPRODUCTS ${CMAKE_BINARY_DIR}/README.txt COMMENT "README.txt for the commit the tree is at" VERBATIM)
add_custom_target(package
    COMMAND ${DRAPELLE_PYTHON3} ${PROJECT_SOURCE_DIR}/windows/make_package.py
            $<TARGET_FILE:Drapelle> ${DRAPELLE_PLUGIN_FILE} ${PROJECT_SOURCE_DIR}/LICENSE
            ${CMAKE_BINARY_DIR}/README.txt ${PACKAGE_FOLDER} ${PACKAGE_FILE}
    DEPENDS Drapelle readme ${PROJECT_SOURCE_DIR}/LICENSE
    COMMENT "Packaging ${PACKAGE_FILE}")
# For the check of the package, in the tests' own folder.
set(PACKAGE_NAME ${PACKAGE_NAME} PARENT_SCOPE)
set(PACKAGE_FOLDER ${PACKAGE_FOLDER} PARENT_SCOPE)

# The package for players, byte for byte the same from any clean build (see
# make_package.py), made by the build whose Drapelle.dll players get.
# Debian's own Python, the one scripts/setup installs.
drapelle_find_program(DRAPELLE_PYTHON3 python3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
set(PACKAGE_FILE ${CMAKE_BINARY_DIR}/Drapelle-${PROJECT_VERSION}-win64.zip)
add_custom_target(package
    COMMAND ${DRAPELLE_PYTHON3} ${PROJECT_SOURCE_DIR}/windows/make_package.py
            $<TARGET_FILE:Drapelle> ${PROJECT_SOURCE_DIR}/LICENSE
            ${PROJECT_SOURCE_DIR}/windows/README.txt ${PACKAGE_FILE}
    DEPENDS Drapelle
    COMMENT "Packaging ${PACKAGE_FILE}")

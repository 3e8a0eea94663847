# Builds the player's package and checks what is in it.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --target package
                RESULT_VARIABLE built OUTPUT_QUIET)
if(NOT built EQUAL 0)
    message(FATAL_ERROR "the package target failed")
endif()
file(ARCHIVE_EXTRACT INPUT ${BINARY_DIR}/${PACKAGE} DESTINATION ${BINARY_DIR}/package-check)
file(GLOB_RECURSE contents RELATIVE ${BINARY_DIR}/package-check ${BINARY_DIR}/package-check/*)
list(SORT contents)
if(NOT contents STREQUAL "Drapelle.dll;README.txt")
    message(FATAL_ERROR "${PACKAGE} holds: ${contents}")
endif()
message(STATUS "${PACKAGE}: ${contents}")

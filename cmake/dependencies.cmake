# What the build takes from the system, each with its Debian package, so that
# a missing one says what to install (scripts/packages.txt lists them by job).

# Stops configuring: what is missing, its package, and what to run.
function(drapelle_missing what debian_package)
    message(FATAL_ERROR "${what} was not found. It comes from Debian's package "
        "${debian_package}: run scripts/setup, which installs what the builds need "
        "(or: sudo apt-get install ${debian_package}).")
endfunction()

# find_package(<name> ...) for a package from Debian's <debian_package>.
# With OPTIONAL, a missing one only leaves <name>_FOUND false.
macro(drapelle_find_package name debian_package)
    cmake_parse_arguments(_drapelle "OPTIONAL" "" "" ${ARGN})
    find_package(${name} ${_drapelle_UNPARSED_ARGUMENTS} QUIET)
    if(NOT ${name}_FOUND AND NOT _drapelle_OPTIONAL)
        drapelle_missing("${name}" ${debian_package})
    endif()
endmacro()

# find_path(<variable> <file> ...) for a header from Debian's <debian_package>.
function(drapelle_find_path variable file debian_package)
    find_path(${variable} ${file} ${ARGN})
    if(NOT ${variable})
        drapelle_missing("${file}" ${debian_package})
    endif()
endfunction()

# find_program(<variable> <program> ...) for a program from Debian's <debian_package>.
function(drapelle_find_program variable program debian_package)
    find_program(${variable} ${program} ${ARGN})
    if(NOT ${variable})
        drapelle_missing("The program ${program}" ${debian_package})
    endif()
endfunction()

# The test that everything this tree takes from the system comes from a
# package scripts/setup installs for the job that builds it.
# shfmt reads the scripts and build commands, so only what a shell runs counts.
function(drapelle_add_setup_test)
    if(DRAPELLE_TREE MATCHES "^windows-") # each Windows tree's job bears its name
        set(job ${DRAPELLE_TREE})
    elseif(DRAPELLE_BENCH)
        set(job bench)
    else()
        set(job linux-tests)
    endif()
    drapelle_find_program(DRAPELLE_SHFMT shfmt shfmt)
    add_test(NAME Setup.Packages
             COMMAND ${PROJECT_SOURCE_DIR}/tests/setup/packages_test.sh
                     ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR} ${job} ${DRAPELLE_SHFMT})
endfunction()

# One Wine prefix and server for a tree's Windows tests, which take the
# fixture "wine" (windows/tests/wine_session.sh says why); ENVIRONMENT gives
# the prefix and Wine's settings.
function(drapelle_add_wine_session)
    cmake_parse_arguments(PARSE_ARGV 0 arg "" "" ENVIRONMENT)
    drapelle_find_program(DRAPELLE_WINESERVER wineserver wine)
    set(script ${PROJECT_SOURCE_DIR}/windows/tests/wine_session.sh)
    add_test(NAME WineSession.Start COMMAND ${script} start ${DRAPELLE_WINE} ${DRAPELLE_WINESERVER})
    add_test(NAME WineSession.Stop COMMAND ${script} stop ${DRAPELLE_WINE} ${DRAPELLE_WINESERVER})
    set_tests_properties(WineSession.Start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
    set_tests_properties(WineSession.Stop PROPERTIES FIXTURES_CLEANUP wine)
    set_tests_properties(WineSession.Start WineSession.Stop PROPERTIES
                         ENVIRONMENT "${arg_ENVIRONMENT}")
endfunction()

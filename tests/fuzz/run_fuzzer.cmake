# Fuzzes for SECONDS from the seed corpus in a scratch copy; any crash, leak,
# sanitizer report or broken invariant fails the test and leaves its input in
# WORK/artifacts for a regression test.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
file(COPY ${SEEDS}/ DESTINATION ${WORK}/corpus)
execute_process(
    COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=20 -rss_limit_mb=4096
            -print_final_stats=1 -artifact_prefix=${WORK}/artifacts/ ${WORK}/corpus
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the fuzzer found a fault; its input is in ${WORK}/artifacts")
endif()

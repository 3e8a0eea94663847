# The checks of a linux tree beside the GoogleTest suite: the folders'
# layout, the scripts, the command line, the scenarios, the fuzzer and the
# previews.
# The checks of the sources and the scripts, which the build does not change,
# run in the plain tree alone: a sanitizer tree would only repeat them.
if(NOT DRAPELLE_SANITIZE)
# The folders' parts: the plug-in includes nothing of the stand-in host or the
# programs, the stand-in host nothing of the programs.
add_test(NAME Layout.IncludesFollowTheFolders
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/layout/check_includes.sh ${PROJECT_SOURCE_DIR})

# Every shell script as shellcheck reads it, each finding named file:line.
drapelle_find_program(DRAPELLE_SHELLCHECK shellcheck shellcheck)
add_test(NAME Layout.ShellScriptsPassShellcheck
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/layout/check_scripts.sh ${DRAPELLE_SHELLCHECK}
                 ${PROJECT_SOURCE_DIR})

# Every C++ source as .clang-format lays it out, each file that differs named.
drapelle_find_program(DRAPELLE_CLANG_FORMAT clang-format clang-format)
add_test(NAME Layout.CppSourcesFollowClangFormat
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/layout/check_format.sh ${DRAPELLE_CLANG_FORMAT}
                 ${PROJECT_SOURCE_DIR})

# The pages name what exists: paths, links, and names beside their files.
add_test(NAME Documents.PagesNameWhatExists
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/layout/check_page_names.py ${PROJECT_SOURCE_DIR})
endif()

# The command line as a user meets it.
add_test(NAME DemoHelp COMMAND drapelle-sim --help)
set_tests_properties(DemoHelp PROPERTIES PASS_REGULAR_EXPRESSION "Usage: drapelle-sim")
add_test(NAME DemoBuiltIn COMMAND drapelle-sim)
set_tests_properties(DemoBuiltIn PROPERTIES PASS_REGULAR_EXPRESSION "> Default Skin")
add_test(NAME DemoUnknownOption COMMAND drapelle-sim --frobnicate)
set_tests_properties(DemoUnknownOption PROPERTIES WILL_FAIL TRUE)
add_test(NAME DemoBadScenario COMMAND drapelle-sim ${CMAKE_CURRENT_SOURCE_DIR}/data/bad_scenario.txt)
set_tests_properties(DemoBadScenario PROPERTIES WILL_FAIL TRUE)
add_test(NAME DemoFolderIsNoScenario COMMAND drapelle-sim ${CMAKE_CURRENT_SOURCE_DIR}/data)
set_tests_properties(DemoFolderIsNoScenario PROPERTIES WILL_FAIL TRUE)
add_test(NAME DemoVersion COMMAND drapelle-sim --version)
set_tests_properties(DemoVersion PROPERTIES PASS_REGULAR_EXPRESSION "^drapelle-sim ${PROJECT_VERSION}\n$")
# Usage errors: said at once, with the reason, and exit status 2.
function(add_usage_error_test name message)
    add_test(NAME ${name} COMMAND ${ARGN})
    set_tests_properties(${name} PROPERTIES PASS_REGULAR_EXPRESSION "${message}")
endfunction()
set(EXIT_STATUS ${CMAKE_CURRENT_SOURCE_DIR}/data/exit_status.sh)
add_usage_error_test(DemoOptionTwice "--frame-ms: At Most 1 required but received 2\n.*\nstatus 2"
                     ${EXIT_STATUS} $<TARGET_FILE:drapelle-sim> --frame-ms=16 --frame-ms 20)
add_usage_error_test(DemoPicturesInAFile "--pictures: '.*bad_scenario.txt' is not a folder\n.*\nstatus 2"
                     ${EXIT_STATUS} $<TARGET_FILE:drapelle-sim> --pictures
                     ${CMAKE_CURRENT_SOURCE_DIR}/data/bad_scenario.txt)
add_usage_error_test(DemoGifIntoAFolder "--gif: '.*data' is a folder, not a file\n.*\nstatus 2"
                     ${EXIT_STATUS} $<TARGET_FILE:drapelle-sim> --gif ${CMAKE_CURRENT_SOURCE_DIR}/data)
add_usage_error_test(DemoLongRunAsksForLong "long_scenario.txt runs 90000 s of simulated time, more than a day: give --long to play it\nstatus 2"
                     ${EXIT_STATUS} $<TARGET_FILE:drapelle-sim> ${CMAKE_CURRENT_SOURCE_DIR}/data/long_scenario.txt)
add_usage_error_test(DemoUnknownExpectation "bad_expectation.txt:2: unknown expectation 'menu' \\(expect screen or expect character\\)\nstatus 2"
                     ${EXIT_STATUS} $<TARGET_FILE:drapelle-sim> ${CMAKE_CURRENT_SOURCE_DIR}/data/bad_expectation.txt)
add_usage_error_test(DemoFrameMsRange "--frame-ms: Value 1001 not in range 1 to 1000\n.*\nstatus 2"
                     ${EXIT_STATUS} $<TARGET_FILE:drapelle-sim> --frame-ms 1001)

if(NOT DRAPELLE_SANITIZE) # the scripts, in the plain tree alone (above)
# A release names a host library and a plug-in file, from a tree that a
# commit rebuilds; anything else is refused before anything is set up or
# built (the set-up of the scratch copy each runs in fails if called).
function(add_release_refusal_test name message)
    add_usage_error_test(${name} "${message}\n.*status 2"
                         ${CMAKE_CURRENT_SOURCE_DIR}/data/release_refusal.sh ${PROJECT_SOURCE_DIR}
                         ${CMAKE_CURRENT_BINARY_DIR}/${name} ${ARGN})
endfunction()
add_release_refusal_test(ReleaseRefusesAHostInAFolder
    "--host-library 'host/OtherHost.dll': give the host library's file name, such as ScriptHost.dll, without a folder"
    --host-library host/OtherHost.dll)
add_release_refusal_test(ReleaseRefusesAPluginWithoutExtension
    "--plugin-file 'Drapelle': give a file name with an extension, such as Drapelle.dll or Drapelle.plug, without a folder"
    --plugin-file Drapelle)
add_release_refusal_test(ReleaseRefusesADeviceName
    "--plugin-file 'nul.plug': Windows keeps the name nul for a device, so no file can have it; give another"
    --plugin-file nul.plug)
add_release_refusal_test(ReleaseRefusesAnUnknownOption "unknown option '--frobnicate'" --frobnicate)
add_release_refusal_test(ReleaseRefusesUncommittedChanges
    "the tree has uncommitted changes, which no commit would rebuild:\n M CMakeLists.txt\nCommit them, or give --uncommitted to release the tree as it is, marked as such."
    --dirty --host-library OtherHost.dll)
# What scripts/mutate builds for each fault: every program the tests it runs
# start. Its scratch project defines the target over a program of its own.
add_custom_target(mutation_targets)
add_dependencies(mutation_targets drapelle_tests drapelle-sim drapelle_key_interleavings
                 plugin_fuzz_replay)
# scripts/mutate, on a scratch project of its own: no fault proven that an
# object or a tree could tell, no pass from no fault tried, and warm trees
# that hold exactly the checkout's files. Its six runs compile the scratch
# project many times over: a loaded machine takes two minutes.
add_test(NAME MutateScript.ProvesWhatNoObjectTellsAndFailsOnNothingTried
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/data/mutate_test.sh ${PROJECT_SOURCE_DIR}
                 ${CMAKE_CURRENT_BINARY_DIR}/mutate-scratch)
set_tests_properties(MutateScript.ProvesWhatNoObjectTellsAndFailsOnNothingTried PROPERTIES
                     TIMEOUT 300)
# A preset's old name is refused with the name that took its place.
add_usage_error_test(TestNamesTheRenamedPreset "the preset 'windows-msvc' is now 'windows-dll'\n.*status 2"
                     ${EXIT_STATUS} ${PROJECT_SOURCE_DIR}/scripts/test windows-msvc)
add_test(NAME CommandsAnswerHelpAndReplacePictures
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/data/commands_test.sh ${PROJECT_SOURCE_DIR}
                 $<TARGET_FILE:drapelle-sim> ${CMAKE_CURRENT_BINARY_DIR}/commands-run)
# The documents' pictures are, byte for byte, what the demo paints now: the
# same in every tree, and the longest check under a sanitizer.
add_test(NAME DocumentPicturesShowTheDemo
         COMMAND ${PROJECT_SOURCE_DIR}/scripts/doc-pictures --check $<TARGET_FILE:drapelle-sim>
                 ${CMAKE_CURRENT_BINARY_DIR}/doc-pictures)
endif()

# The scenario suite: the same files run here and, against the Windows DLL,
# under Wine.
file(GLOB DRAPELLE_SCENARIOS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/scenarios/*.txt)
foreach(scenario ${DRAPELLE_SCENARIOS})
    get_filename_component(name ${scenario} NAME_WE)
    add_test(NAME Scenario.${name} COMMAND drapelle-sim ${scenario})
endforeach()

# The fuzz target, replaying every corpus and regression input once, built in
# every preset as a plain program, so that a slip in it breaks the everyday
# build; with DRAPELLE_FUZZ also with libFuzzer, for a bounded run from the
# checked-in corpus that fails on any finding.
# Its one header from clang's folder, in a folder of its own: the rest of
# clang's headers are no g++ build's.
drapelle_find_path(DRAPELLE_CLANG_HEADERS fuzzer/FuzzedDataProvider.h libclang-rt-14-dev
                   PATHS /usr/lib/llvm-14/lib/clang/14.0.6/include)
set(DRAPELLE_FUZZER_HEADERS ${CMAKE_CURRENT_BINARY_DIR}/fuzzer-headers)
file(MAKE_DIRECTORY ${DRAPELLE_FUZZER_HEADERS})
file(CREATE_LINK ${DRAPELLE_CLANG_HEADERS}/fuzzer ${DRAPELLE_FUZZER_HEADERS}/fuzzer SYMBOLIC)
set(FUZZ_DIR ${CMAKE_CURRENT_SOURCE_DIR}/fuzz)
add_executable(plugin_fuzz_replay fuzz/plugin_fuzzer.cpp fuzz/replay_main.cpp frame_shape.cpp)
target_include_directories(plugin_fuzz_replay SYSTEM PRIVATE ${DRAPELLE_FUZZER_HEADERS})
target_link_libraries(plugin_fuzz_replay PRIVATE drapelle_linked_plugin)
add_test(NAME Fuzz.Replay COMMAND plugin_fuzz_replay ${FUZZ_DIR}/corpus ${FUZZ_DIR}/regressions)
if(DRAPELLE_FUZZ)
    add_executable(plugin_fuzzer fuzz/plugin_fuzzer.cpp frame_shape.cpp)
    target_link_libraries(plugin_fuzzer PRIVATE drapelle_linked_plugin)
    target_link_options(plugin_fuzzer PRIVATE -fsanitize=fuzzer)
    set(DRAPELLE_FUZZ_SECONDS 30 CACHE STRING "How long the test run fuzzes")
    add_test(NAME Fuzz.Run
             COMMAND ${CMAKE_COMMAND} -E env
                     ${CMAKE_COMMAND} -DFUZZER=$<TARGET_FILE:plugin_fuzzer>
                     -DSEEDS=${FUZZ_DIR}/corpus -DWORK=${CMAKE_CURRENT_BINARY_DIR}/fuzz-run
                     -DSECONDS=${DRAPELLE_FUZZ_SECONDS} -P ${FUZZ_DIR}/run_fuzzer.cmake)
    set_tests_properties(Fuzz.Run PROPERTIES TIMEOUT 600 COST 1000) # started first, as the soak
endif()

# Pictures: a rendered frame checked pixel by pixel, and the live preview
# driven under Xvfb with real key events.
drapelle_find_program(DRAPELLE_XVFB Xvfb xvfb)
drapelle_find_program(DRAPELLE_XDOTOOL xdotool xdotool)
add_executable(check_shot preview/check_shot.cpp)
target_link_libraries(check_shot PRIVATE picture)
if(NOT DRAPELLE_SANITIZE) # the X and SDL libraries are not ours to sanitize
add_test(NAME Preview.UnderXvfb
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/preview/preview_test.sh $<TARGET_FILE:drapelle-play>
                 $<TARGET_FILE:check_shot> ${CMAKE_CURRENT_BINARY_DIR}/preview-run)
set_tests_properties(Preview.UnderXvfb PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)
# The recipe the documents give for driving a preview, run as written. Its
# hold of numpad 2 moves the menu off row 0, by more rows when the release
# reaches a loaded machine late.
add_test(NAME Preview.Recipe
         COMMAND ${PROJECT_SOURCE_DIR}/scripts/drive-preview --play $<TARGET_FILE:drapelle-play>
                 --out ${CMAKE_CURRENT_BINARY_DIR}/drive-preview)
set_tests_properties(Preview.Recipe PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE
                     PASS_REGULAR_EXPRESSION "screen: Clothing Menu: [^\n]*\\| \\[Face\\]: [^\n]*\n.*menu: row [1-9][0-9]* highlighted\nscreenshot: ")
endif()

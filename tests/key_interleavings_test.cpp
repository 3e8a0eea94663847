// Every interleaving of the keyboard handler with the script's key tests,
// under Relacy's full-search scheduler. The record's operations are the
// plug-in's own templates (input/key_word.h), run on a word whose every load,
// store and exchange is a point where the other thread may run;
// handleKeyboardMessage, keyHeld and keyTapped are one call of them each.
// Every answer the script gets, and the record it leaves, must be those of
// some order of the messages and the tests taken one at a time.
#include <gtest/gtest.h>

#include <array>
#include <iostream>
#include <string>
#include <vector>

#include "input/key_word.h"

// Last: its `$` macro would rewrite the standard headers' own code. Its
// `new` and `delete` macros, which track the model's own allocations (it has
// none), would rewrite GoogleTest's.
#include <relacy/relacy.hpp>
#undef new
#undef delete

namespace {

struct ModelWord {
    mutable rl::atomic<std::uint64_t> word;
    std::uint64_t load() const { return word($).load(); }
    void store(std::uint64_t value) { word($).store(value); }
    bool compare_exchange_strong(std::uint64_t& expected, std::uint64_t desired) {
        return word($).compare_exchange_strong(expected, desired);
    }
};

enum class Test { Held, Tapped };
struct Message {
    bool released;
    DWORD tick;
};
struct Case {
    std::string name;
    Message initial; // the key's record before the run, stamped unless empty
    bool empty;
    std::vector<Message> messages; // the handler's, in order
    std::vector<Test> tests;       // the script's, in order
};

constexpr DWORD kNow = 100000; // the script's clock throughout a run

// What the design says, one step at a time: the oracle the runs are held to.
struct SpecKey {
    bool stamped = false, released = false;
    DWORD tick = 0;
};
bool specAnswer(SpecKey& key, Test test) {
    const DWORD age = kNow - key.tick;
    if (test == Test::Held) return key.stamped && !key.released && age < kHeldFor;
    if (!key.stamped || !key.released || age >= kTappedFor) return false;
    key = {};
    return true;
}

// Whether some order of the messages among the tests, each whole, gives these
// answers; the last two answers are a held and a tapped test after both
// threads ended.
// Within a run the model allocates nothing: the checker takes over the heap then.
using Answers = std::array<bool, 5>;

bool someOrderGives(const Case& c, const Answers& answers, std::size_t message, std::size_t test,
                    SpecKey key) {
    const std::size_t during = c.tests.size(), messages = c.messages.size();
    if (message < messages && test <= during) {
        const Message& m = c.messages[message];
        if (someOrderGives(c, answers, message + 1, test, {true, m.released, m.tick})) return true;
    }
    if (test == during + 2) return message == messages;
    if (test >= during && message < messages) return false;
    const Test asked = test < during ? c.tests[test] : test == during ? Test::Held : Test::Tapped;
    return specAnswer(key, asked) == answers[test] &&
           someOrderGives(c, answers, message, test + 1, key);
}

const Case* current = nullptr; // the case the suite below runs
long wrongInterleavings = 0;   // runs of it whose answers no order gives
bool assertEveryRun = false;   // stop at the first wrong run, printing its history

struct KeyRun : rl::test_suite<KeyRun, 2> {
    ModelWord word;
    Answers answers;
    std::size_t asked;

    void before() {
        word.word($).store(
            current->empty ? 0 : packKeyWord(current->initial.tick, current->initial.released));
        asked = 0;
    }
    void thread(unsigned index) {
        if (index == 0) {
            for (const Message& m : current->messages) stampKeyWord(word, m.tick, m.released);
            return;
        }
        for (Test test : current->tests) answers[asked++] = ask(test);
    }
    void after() {
        answers[asked++] = ask(Test::Held);
        answers[asked++] = ask(Test::Tapped);
        const bool ok = someOrderGives(*current, answers, 0, 0, initialKey());
        wrongInterleavings += !ok;
        if (assertEveryRun) RL_ASSERT(ok);
    }
    bool ask(Test test) {
        const auto clock = [] { return kNow; };
        return test == Test::Held ? testKeyWordHeld(word, clock) : takeKeyWordTap(word, clock);
    }
    static SpecKey initialKey() {
        if (current->empty) return {};
        return {true, current->initial.released, current->initial.tick};
    }
};

struct Outcome {
    long wrong, runs;
};

// Counts the wrong runs of a case; when there is one, runs it again to print
// the first one's history on the standard output. (A stream that grows would
// allocate while the checker owns the heap.)
Outcome checkEveryInterleaving(const Case& c) {
    current = &c;
    wrongInterleavings = 0;
    assertEveryRun = false;
    std::ostream quiet(nullptr);
    rl::test_params params;
    params.search_type = rl::sched_full;
    params.iteration_count = 1000000; // far above any case's count: the search ends first
    params.output_stream = params.progress_stream = &quiet;
    rl::simulate<KeyRun>(params);
    const Outcome outcome{wrongInterleavings, static_cast<long>(params.stop_iteration)};
    if (outcome.wrong == 0) return outcome;
    assertEveryRun = true;
    params.output_stream = params.progress_stream = &std::cout;
    rl::simulate<KeyRun>(params);
    return outcome;
}

std::string describe(Test test) { return test == Test::Held ? "keyHeld" : "keyTapped"; }
std::string describe(Message m) {
    return std::string(m.released ? "release" : "press") + " at " +
           std::to_string(static_cast<long>(m.tick) - kNow) + " ms";
}

// Each record a key can be in, one or two messages (press or release, in the
// tick of the one before or in the script's), one to three tests.
std::vector<Case> everyCase() {
    const std::pair<const char*, Message> records[] = {
        {"empty", {false, 0}},
        {"fresh release", {true, kNow - 16}},
        {"release never consumed, 300 ms old", {true, kNow - 300}},
        {"fresh press", {false, kNow - 16}},
        {"press 6 s old", {false, kNow - 6000}}};
    std::vector<std::vector<Test>> testRuns;
    for (int length = 1; length <= 3; ++length)
        for (int bits = 0; bits < (1 << length); ++bits) {
            std::vector<Test> run;
            for (int i = 0; i < length; ++i)
                run.push_back((bits >> i) & 1 ? Test::Tapped : Test::Held);
            testRuns.push_back(run);
        }
    std::vector<Case> cases;
    for (const auto& [name, initial] : records) {
        const bool empty = std::string(name) == "empty";
        const DWORD before = empty ? kNow - 16 : initial.tick;
        std::vector<std::vector<Message>> messageRuns;
        for (bool released : {false, true})
            for (DWORD tick : {before, kNow}) {
                messageRuns.push_back({{released, tick}});
                for (bool second : {false, true})
                    for (DWORD secondTick : {tick, kNow})
                        messageRuns.push_back({{released, tick}, {second, secondTick}});
            }
        for (const auto& messages : messageRuns)
            for (const auto& tests : testRuns)
                cases.push_back({name, initial, empty, messages, tests});
    }
    return cases;
}

std::string describe(const Case& c) {
    std::string text = c.name + "; handler:";
    for (const Message& m : c.messages) text += " " + describe(m) + ",";
    text += " script:";
    for (Test t : c.tests) text += " " + describe(t);
    return text;
}

TEST(KeyInterleavings, EveryAnswerIsThatOfOneOrderOfMessagesAndTests) {
    long runs = 0;
    for (const Case& c : everyCase()) {
        const Outcome outcome = checkEveryInterleaving(c);
        runs += outcome.runs;
        ASSERT_EQ(outcome.wrong, 0)
            << outcome.wrong << " of " << outcome.runs << " interleavings give answers no order "
            << "of the steps gives, in " << describe(c) << " (the first's history above)";
    }
    EXPECT_GT(runs, 10000) << "interleavings tried in all";
}

} // namespace

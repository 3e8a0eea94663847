// Every interleaving of the keyboard handler with the script's key tests,
// while the clock moves on, under Relacy's full-search scheduler. The check
// builds the plug-in's own input/key_table.cpp over a word and a clock of the
// model's, whose every read and write is a point where the other thread may
// run. Every answer the script gets, and the record it leaves, must be those
// of some order of the messages, the tests and the clock's step taken one at
// a time, each message with the tick its store carried, taking effect at an
// instant between its handler's clock read and its store.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

namespace rl {
template <typename T> class atomic;
}

// A key's word in the model: a handle on the running suite's atomic.
struct ModelWord {
    rl::atomic<std::uint64_t>* bound = nullptr;
    std::uint64_t load() const;
    void store(std::uint64_t value);
    bool compare_exchange_strong(std::uint64_t& expected, std::uint64_t desired);
};
#define DRAPELLE_KEY_WORD ModelWord
#include "input/key_table.cpp"

// Last: its `$` macro would rewrite the standard headers' own code. Its
// `new` and `delete` macros, which track the model's own allocations (it has
// none), would rewrite GoogleTest's.
#include <relacy/relacy.hpp>
#undef new
#undef delete

namespace {
// The model's clock. Each read is a point where another thread may run (a
// load of `clockRead`); while the clock has its step to take, the search
// tries each read both after the step and without it, so that time moves
// wherever a thread could tell, the script's reads between the handler's
// clock read and its store included: the handler stalls there. Its value is
// plain: the model's threads switch only at its atomics.
constexpr DWORD kStart = 100000;          // the clock when a run starts
constexpr DWORD kStep = 20;               // ms, across the edge of a record about to age out
constexpr DWORD kStall = kTappedFor + 50; // ms, past a release's time as a tap
rl::atomic<int>* clockRead = nullptr;
DWORD clockNow = kStart;
DWORD clockStep = 0;             // the step it has yet to take, 0 once taken
constexpr unsigned kHandler = 0; // the handler's thread; the script's is 1

// What each of the handler's stores carried, in order: the tick, and the
// clock when it landed.
struct Landing {
    DWORD tick, clock;
};
std::array<Landing, 2> landings;
std::size_t landed = 0;
} // namespace

extern "C" DWORD GetTickCount(void) {
    (*clockRead)($).load();
    if (clockStep > 0 && rl::rand(2)) {
        clockNow += clockStep;
        clockStep = 0;
    }
    return clockNow;
}

std::uint64_t ModelWord::load() const { return (*bound)($).load(); }
void ModelWord::store(std::uint64_t value) { // only the handler stores
    (*bound)($).store(value);
    landings[landed++] = {keyWordTick(value), clockNow};
}
bool ModelWord::compare_exchange_strong(std::uint64_t& expected, std::uint64_t desired) {
    return (*bound)($).compare_exchange_strong(expected, desired);
}

namespace {

enum class Test { Held, Tapped };
struct Record {
    std::string name;
    bool empty, released;
    DWORD age; // at the run's start
};
struct Case {
    Record initial;             // the key's record before the run
    std::vector<bool> messages; // the handler's, in order: released or not
    std::vector<Test> tests;    // the script's, in order
    DWORD step;                 // the clock's one step, in ms; 0 while it stands
};

// What the design says, one step at a time: the oracle the runs are held to.
struct DesignKey {
    bool stamped = false, released = false;
    DWORD tick = 0;
    bool operator==(const DesignKey&) const = default;
};
bool designAnswer(DesignKey& key, Test test, DWORD now) {
    const DWORD age = now - key.tick;
    if (test == Test::Held) return key.stamped && !key.released && age < kHeldFor;
    if (!key.stamped || !key.released || age >= kTappedFor) return false;
    key = {};
    return true;
}

// What a run gave: the script's answers, in order, and the record it left.
// Within a run the model allocates nothing: the checker takes over the heap
// then.
struct Run {
    std::array<bool, 2> answers;
    std::array<Landing, 2> landings;
    DesignKey left;
};

// A point in an order: the messages and tests come so far, whether the clock
// has stepped, and the key then.
struct Point {
    std::size_t messages = 0, tests = 0;
    bool stepped = false;
    DesignKey key;
};

// Whether some order of the steps from `p` on gives what the run gave. A
// message takes effect where the clock reads from its tick to its landing.
bool someOrderGives(const Case& c, const Run& run, const Point& p) {
    const DWORD now = kStart + (p.stepped ? c.step : 0);
    if (c.step > 0 && !p.stepped) {
        Point next = p;
        next.stepped = true;
        if (someOrderGives(c, run, next)) return true;
    }
    if (p.messages < c.messages.size()) {
        const Landing& message = run.landings[p.messages];
        Point next = p;
        ++next.messages;
        next.key = {true, c.messages[p.messages], message.tick};
        if (message.tick <= now && now <= message.clock && someOrderGives(c, run, next))
            return true;
    }
    if (p.tests == c.tests.size())
        return p.messages == c.messages.size() && p.stepped == (c.step > 0) && p.key == run.left;
    Point next = p;
    ++next.tests;
    return designAnswer(next.key, c.tests[p.tests], now) == run.answers[p.tests] &&
           someOrderGives(c, run, next);
}

const Case* current = nullptr; // the case the suite below runs
long wrongInterleavings = 0;   // runs of it that no order gives
bool assertEveryRun = false;   // stop at the first wrong run, printing its history

struct KeyRun : rl::test_suite<KeyRun, 2> {
    rl::atomic<std::uint64_t> word;
    rl::atomic<int> clock;
    Run run;
    std::size_t asked;

    void before() {
        keyTable[kMenuKey].message.bound = &word;
        clock($).store(0);
        clockRead = &clock;
        clockNow = kStart;
        clockStep = current->step;
        landed = 0;
        const Record& initial = current->initial;
        word($).store(initial.empty ? 0 : packKeyWord(kStart - initial.age, initial.released));
        asked = 0;
    }
    void thread(unsigned index) {
        if (index == kHandler)
            for (const bool released : current->messages)
                handleKeyboardMessage(kMenuKey, 1, 0, FALSE, FALSE, released, released);
        else
            for (const Test test : current->tests)
                run.answers[asked++] = test == Test::Held ? keyHeld(kMenuKey) : keyTapped(kMenuKey);
    }
    void after() {
        const std::uint64_t left = word($).load();
        run.left = {keyWordStamped(left), keyWordReleased(left), keyWordTick(left)};
        run.landings = landings;
        const Record& initial = current->initial;
        Point start;
        if (!initial.empty) start.key = {true, initial.released, kStart - initial.age};
        const bool ok = someOrderGives(*current, run, start);
        wrongInterleavings += !ok;
        if (assertEveryRun) RL_ASSERT(ok);
    }
};

struct Outcome {
    long wrong, runs;
    bool searched; // the search ended without a failure of Relacy's own, such as a livelock
};

// Counts the wrong runs of a case; when there is one, or the search stopped,
// runs it again to print the first failing run's history on the standard
// output. (A stream that grows would allocate while the checker owns the
// heap.) The full search tries every schedule, however many there are.
Outcome checkEveryInterleaving(const Case& c) {
    current = &c;
    wrongInterleavings = 0;
    assertEveryRun = false;
    std::ostream quiet(nullptr);
    rl::test_params params;
    params.search_type = rl::sched_full;
    params.output_stream = params.progress_stream = &quiet;
    const bool searched = rl::simulate<KeyRun>(params);
    const Outcome outcome{wrongInterleavings, static_cast<long>(params.stop_iteration), searched};
    if (outcome.wrong == 0 && searched) return outcome;
    assertEveryRun = true;
    rl::test_params loud;
    loud.search_type = rl::sched_full;
    rl::simulate<KeyRun>(loud);
    return outcome;
}

std::string describe(const Case& c) {
    std::string text = c.initial.name + "; handler:";
    for (const bool released : c.messages) text += released ? " release" : " press";
    text += "; script:";
    for (const Test test : c.tests) text += test == Test::Held ? " keyHeld" : " keyTapped";
    if (c.step > 0) text += "; the clock moves " + std::to_string(c.step) + " ms";
    return text;
}

// Each record a key can be in and one or two messages, with one or two tests
// while the clock stands or takes a step longer than a tap lasts (which may
// stall the handler), and one while it moves a step past the edge of the
// records that age out. (Those are fresh ones while it stands.)
std::vector<Case> everyCase() {
    const Record records[] = {{"empty", true, false, 0},
                              {"fresh release", false, true, 16},
                              {"release never consumed, 300 ms old", false, true, 300},
                              {"fresh press", false, false, 16},
                              {"press 6 s old", false, false, 6000},
                              {"release 10 ms from aging out", false, true, kTappedFor - 10},
                              {"press 10 ms from aging out", false, false, kHeldFor - 10}};
    const std::vector<std::vector<bool>> messageRuns = {
        {false}, {true}, {false, false}, {false, true}, {true, false}, {true, true}};
    const std::vector<std::vector<Test>> testRuns = {{Test::Held},
                                                     {Test::Tapped},
                                                     {Test::Held, Test::Held},
                                                     {Test::Held, Test::Tapped},
                                                     {Test::Tapped, Test::Held},
                                                     {Test::Tapped, Test::Tapped}};
    std::vector<Case> cases;
    for (const Record& initial : records)
        for (const auto& messages : messageRuns)
            for (const auto& tests : testRuns) {
                const DWORD limit = initial.released ? kTappedFor : kHeldFor;
                const bool agesOut = initial.age < limit && initial.age + kStep >= limit;
                if (!agesOut) cases.push_back({initial, messages, tests, 0});
                if (tests.size() == 1) cases.push_back({initial, messages, tests, kStep});
                cases.push_back({initial, messages, tests, kStall});
            }
    return cases;
}

TEST(KeyInterleavings, EveryAnswerIsThatOfOneOrderOfMessagesTestsAndClock) {
    long runs = 0;
    for (const Case& c : everyCase()) {
        const Outcome outcome = checkEveryInterleaving(c);
        runs += outcome.runs;
        ASSERT_TRUE(outcome.searched) << "the search stopped (history above), in " << describe(c);
        ASSERT_EQ(outcome.wrong, 0)
            << outcome.wrong << " of " << outcome.runs << " interleavings give answers or leave a "
            << "record that no order of the steps gives, in " << describe(c)
            << " (the first's history above)";
    }
    EXPECT_GT(runs, 10000) << "interleavings tried in all";
}

} // namespace

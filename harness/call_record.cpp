#include "harness/call_record.h"

#include <algorithm>
#include <cstring>
#include <ostream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "harness/key_names.h"
#include "input/key_table.h"
#include "input/key_word.h"
#include "simhost/game.h"
#include "ui/menus.h"

namespace harness {
void startRun(DWORD frameMs) {
    sim::reset();
    sim::setFrameTime(frameMs);
}

FrameSeen recordInto(std::ostream& out) {
    return [&out, frame = 0L](const sim::Frame& drawn) mutable {
        out << "frame " << ++frame << " tick " << drawn.tick << '\n';
        for (const sim::NativeCall& call : drawn.calls) {
            const sim::NativeInfo* info = sim::findNative(call.hash);
            const std::size_t kinds = info ? std::strlen(info->args) : 0;
            out << "  " << sim::hex(call.hash);
            for (int i = 0; i < call.argCount; ++i) {
                const std::size_t index = static_cast<std::size_t>(i);
                const char kind = index < kinds ? info->args[index] : 'x';
                if (kind == 's')
                    out << " \"" << printable(call.text) << '"';
                else if (kind == 'p')
                    out << " &";
                else
                    out << ' ' << sim::hex(call.args[index]);
            }
            out << '\n';
        }
    };
}

namespace {

// ms a walk holds a key at least: seen by one frame, and let go before the
// menu's wait after the key ends.
constexpr DWORD kWalkHold = 50;
// ms from one key of a walk to the next, with two frames: past the longest
// wait a key starts.
constexpr DWORD kWalkStep = kMoveWait + kSelectWait;

// Writes random traffic as a scenario's lines, from the draws of one seed.
class TrafficWriter {
  public:
    TrafficWriter(std::uint32_t seed, DWORD frameMs)
        : random_(seed), frame_(frameMs), hold_(std::max(kWalkHold, frameMs)),
          step_(kWalkStep + 2 * frameMs) {
        text_ << "# random key traffic, seed " << seed << '\n';
    }

    // Keys of every kind, two at once, mid-frame messages, deaths and arrests
    // for `length` ms, blind to what the menus show.
    void addNoise(DWORD length) {
        for (const DWORD end = at_ + length; at_ < end; at_ += 20 + below(300)) {
            const std::uint32_t roll = below(100);
            if (roll < 12) {
                line() << "tap " << name(kMenuKey) << '\n';
            } else if (roll < 70) {
                holdAny(kDrapelleKeys);
            } else if (roll < 80) { // two at once: which one wins is the menu's to say
                holdAny(kDrapelleKeys);
                at_ += below(50);
                holdAny(kDrapelleKeys);
            } else if (roll < 88) {
                holdAny(kOtherKeys);
            } else if (roll < 92) {
                midFrame_ = !midFrame_;
                line() << "mid-frame " << (midFrame_ ? "on" : "off") << '\n';
            } else if (roll < 96) {
                const char* hidden = below(2) ? "dead" : "arrested";
                line() << hidden << " on\n";
                at_ += 20 + below(300);
                line() << hidden << " off\n";
            } else {
                line() << "press " << name(kKeyNumpad5) << '\n';
                at_ += 8;
                line() << "release " << name(kKeyNumpad5) << '\n';
            }
        }
    }

    // Once every key of the noise is up: each key of the menus released, the
    // character hidden for a while, then out of every menu, the top menu
    // opened and its `row` (from 1) selected, then numpad 5 and 2 in turn once
    // for each clothing row, which acts on every clothing row when that row
    // opened the clothing menu. Mid-frame, two messages of one frame may come
    // in either order and leave a key held; a walk sends none that way.
    void addWalk(std::int32_t row) {
        at_ = std::max(at_, keysUpAt_) + kTappedFor + frame_;
        midFrame_ = false;
        line() << "mid-frame off\n";
        for (const NamedKey& key : kDrapelleKeys) {
            if (key.code != kMenuKey) line() << "release " << key.scenarioName << '\n';
        }
        const char* hidden = below(2) ? "dead" : "arrested";
        line() << hidden << " on\n";
        at_ += frame_ + below(500);
        line() << hidden << " off\n";
        at_ += frame_;
        hold(kKeyNumpad0, 2 * step_); // through the waits of both menus
        at_ = keysUpAt_ + frame_;
        line() << "tap " << name(kMenuKey) << '\n';
        at_ += kMoveWait + frame_;
        line() << "select " << row << '\n';
        // As long as the scenario player gives it, and a step.
        at_ += static_cast<DWORD>(kMainMenuRows + 3) * step_;
        for (std::int32_t i = 0; i < kClothingMenuRows; ++i) {
            hold(kKeyNumpad5, hold_);
            at_ += step_;
            hold(kKeyNumpad2, hold_);
            at_ += step_;
        }
    }

    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(random_() % n); }
    DWORD at() const { return at_; }

    std::string finish(DWORD end) {
        text_ << std::max(end, at_) << " end\n";
        return text_.str();
    }

  private:
    std::ostream& line() { return text_ << at_ << ' '; }
    static const char* name(DWORD key) { return findKey(key)->scenarioName; }

    void hold(DWORD key, DWORD ms) {
        line() << "hold " << name(key) << ' ' << ms << '\n';
        keysUpAt_ = std::max(keysUpAt_, at_ + ms);
    }
    template <std::size_t N> void holdAny(const NamedKey (&keys)[N]) {
        hold(keys[below(N)].code, 16 + below(400));
    }

    // std::mt19937's outputs are fixed by the standard; its distributions are
    // not, so the draws take them as they come.
    std::mt19937 random_;
    const DWORD frame_; // ms of a frame of the run
    const DWORD hold_;  // ms a walk holds a key
    const DWORD step_;  // ms from one key of a walk to the next
    std::ostringstream text_;
    DWORD at_ = 0;       // ms of the next line
    DWORD keysUpAt_ = 0; // ms at which every key held so far is up
    bool midFrame_ = false;
};

} // namespace

Scenario randomScenario(std::uint32_t seed, DWORD length, DWORD frameMs) {
    TrafficWriter traffic(seed, frameMs);
    // Noise and walks in turn, the walks going round the top menu's rows from
    // one drawn at random, until the time is up and every row has had one.
    const std::uint32_t firstRow = traffic.below(static_cast<std::uint32_t>(kMainMenuRows));
    for (std::uint32_t walks = 0;
         traffic.at() < length || walks < static_cast<std::uint32_t>(kMainMenuRows); ++walks) {
        traffic.addNoise(1000 + traffic.below(5000));
        traffic.addWalk(static_cast<std::int32_t>((firstRow + walks) % kMainMenuRows) + 1);
    }
    Scenario scenario;
    std::string error;
    std::istringstream lines(traffic.finish(length));
    if (!parseScenario(lines, "random seed " + std::to_string(seed), scenario, error))
        throw std::logic_error("a random scenario the language refuses: " + error);
    return scenario;
}

} // namespace harness

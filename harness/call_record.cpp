#include "harness/call_record.h"

#include <cstring>
#include <ostream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "simhost/game.h"

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

Scenario randomScenario(std::uint32_t seed, DWORD length) {
    // std::mt19937's outputs are fixed by the standard; its distributions are
    // not, so the draws below take them as they come.
    std::mt19937 random(seed);
    const auto below = [&random](std::uint32_t n) {
        return static_cast<std::uint32_t>(random() % n);
    };
    const char* const menuKeys[] = {"Num8", "Num2", "Num5", "Num0", "Backspace", "Num8", "Num2"};
    const char* const otherKeys[] = {"Num4", "Enter", "Escape", "Up", "0x41"};
    std::ostringstream text;
    text << "# random key traffic, seed " << seed << '\n';
    const char* hidden = nullptr; // "dead" or "arrested" while the character is
    bool midFrame = false;
    for (DWORD at = 0; at < length; at += 20 + below(300)) {
        const std::uint32_t roll = below(100);
        if (hidden) {
            text << at << ' ' << hidden << " off\n";
            hidden = nullptr;
        } else if (roll < 12) {
            text << at << " tap F9\n";
        } else if (roll < 70) {
            text << at << " hold " << menuKeys[below(7)] << ' ' << 16 + below(400) << '\n';
        } else if (roll < 80) { // two at once: which one wins is the menu's to say
            text << at << " hold " << menuKeys[below(7)] << ' ' << 16 + below(400) << '\n';
            at += below(50);
            text << at << " hold " << menuKeys[below(7)] << ' ' << 16 + below(400) << '\n';
        } else if (roll < 88) {
            text << at << " hold " << otherKeys[below(5)] << ' ' << 16 + below(200) << '\n';
        } else if (roll < 92) {
            midFrame = !midFrame;
            text << at << " mid-frame " << (midFrame ? "on" : "off") << '\n';
        } else if (roll < 96) {
            hidden = below(2) ? "dead" : "arrested";
            text << at << ' ' << hidden << " on\n";
        } else {
            text << at << " press Num5\n" << at + 8 << " release Num5\n";
        }
    }
    text << length << " end\n";
    Scenario scenario;
    std::string error;
    std::istringstream lines(text.str());
    if (!parseScenario(lines, "random seed " + std::to_string(seed), scenario, error))
        throw std::logic_error("a random scenario the language refuses: " + error);
    return scenario;
}

} // namespace harness

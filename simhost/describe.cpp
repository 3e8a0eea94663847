// Native calls in words, for logs, transcripts and failure messages.
#include <bit>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "simhost/game.h"

namespace sim {

std::string hex(UINT64 value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%016llX", static_cast<unsigned long long>(value));
    return text;
}

const char* nativeName(UINT64 hash) {
    const NativeInfo* info = findNative(hash);
    return info ? info->name : "unknown";
}

std::string describeCall(const NativeCall& call) {
    const NativeInfo* info = findNative(call.hash);
    std::string text = info ? info->name : hex(call.hash);
    text += '(';
    for (int i = 0; i < call.argCount; ++i) {
        const UINT64 slot = call.args[static_cast<std::size_t>(i)];
        const char kind =
            info && static_cast<std::size_t>(i) < std::strlen(info->args) ? info->args[i] : 'x';
        if (i > 0) text += ", ";
        // Only an address may use the high half; a value there is a fault.
        if (slot >> 32 && kind != 'p' && kind != 's') text += "!";
        char number[32]; // a float, shortest form that reads back the same
        const float value = std::bit_cast<float>(static_cast<std::uint32_t>(slot));
        if (kind == 'i')
            text += std::to_string(static_cast<std::int32_t>(slot));
        else if (kind == 'b')
            text += std::to_string(static_cast<std::uint32_t>(slot));
        else if (kind == 'f')
            text.append(number, std::to_chars(number, number + sizeof number, value).ptr);
        else if (kind == 's')
            text += '"' + call.text + '"';
        else
            text += kind == 'p' ? "&" : hex(slot);
    }
    return text + ')';
}

std::vector<std::string> describeCalls(const Frame& frame) {
    std::vector<std::string> lines;
    for (const NativeCall& call : frame.calls) lines.push_back(describeCall(call));
    return lines;
}

} // namespace sim

// SPDX-License-Identifier: MIT
#include "commands.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

namespace kerbview::standin {

namespace {

// Splits off the first blank-separated word of `rest`.
std::string_view TakeWord(std::string_view& rest) {
    const auto start = rest.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        rest = {};
        return {};
    }
    rest.remove_prefix(start);
    const auto end = rest.find_first_of(" \t");
    const std::string_view word = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end);
    return word;
}

template <typename T, typename Parse>
std::optional<T> Number(std::string_view word, Parse parse) {
    const std::string text(word);
    if (text.empty()) {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const auto value = parse(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size()) {
        return std::nullopt;
    }
    return static_cast<T>(value);
}

std::optional<unsigned long long> Unsigned(std::string_view word, int base = 0) {
    return Number<unsigned long long>(
        word, [base](const char* s, char** e) { return std::strtoull(s, e, base); });
}
std::optional<long long> Signed(std::string_view word) {
    return Number<long long>(word, [](const char* s, char** e) { return std::strtoll(s, e, 0); });
}
std::optional<double> Real(std::string_view word) {
    return Number<double>(word, [](const char* s, char** e) { return std::strtod(s, e); });
}

CommandResult Invalid(std::string why) { return {CommandKind::Invalid, std::move(why)}; }

CommandResult Write(std::string_view verb, std::string_view rest, MemoryWriter& memory) {
    const auto address = Unsigned(TakeWord(rest));
    if (!address) {
        return Invalid("missing or bad address");
    }
    bool written = false;
    if (verb == "text") {
        // One separating blank; the rest is the text, blanks and backslashes included.
        if (!rest.empty()) {
            rest.remove_prefix(1);
        }
        written = memory.Text(*address, rest, rest.size() + 1);
    } else if (verb == "bytes") {
        std::vector<unsigned char> bytes;
        for (auto word = TakeWord(rest); !word.empty(); word = TakeWord(rest)) {
            const auto value = Unsigned(word, 16);
            if (!value || *value > 0xFF) {
                return Invalid("bad byte " + std::string(word));
            }
            bytes.push_back(static_cast<unsigned char>(*value));
        }
        written = !bytes.empty() && memory.Bytes(*address, bytes.data(), bytes.size());
    } else {
        const std::string_view word = TakeWord(rest);
        if (verb == "byte") {
            const auto value = Signed(word);
            if (!value || *value < -128 || *value > 255) {
                return Invalid("bad byte value");
            }
            written = memory.Byte(*address, static_cast<std::uint8_t>(*value));
        } else if (verb == "int32") {
            const auto value = Signed(word);
            if (!value || *value < INT32_MIN || *value > UINT32_MAX) {
                return Invalid("bad int32 value");
            }
            written = memory.Int32(*address, static_cast<std::int32_t>(*value));
        } else {
            const auto value = Real(word);
            if (!value) {
                return Invalid("bad number");
            }
            written = verb == "single" ? memory.Single(*address, static_cast<float>(*value))
                                       : memory.Double(*address, *value);
        }
    }
    if (!written) {
        return Invalid("address outside the mapped block");
    }
    return {CommandKind::Written, {}};
}

}  // namespace

CommandResult RunCommand(std::string_view line, MemoryWriter& memory) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.remove_suffix(1);
    }
    std::string_view rest = line;
    const std::string_view verb = TakeWord(rest);
    if (verb.empty() || verb.front() == '#') {
        return {};
    }
    if (verb == "text" || verb == "bytes" || verb == "byte" || verb == "int32" ||
        verb == "single" || verb == "double") {
        return Write(verb, rest, memory);
    }
    if (verb == "pause") return {CommandKind::Pause, {}};
    if (verb == "resume") return {CommandKind::Resume, {}};
    if (verb == "close") return {CommandKind::Close, {}};
    if (verb == "open") return {CommandKind::Open, {}};
    if (verb == "quit") return {CommandKind::Quit, {}};
    return Invalid("unknown command " + std::string(verb));
}

std::string AnswerTo(std::string_view line, const CommandResult& result) {
    switch (result.kind) {
        case CommandKind::Nothing: return {};
        case CommandKind::Invalid: return "error " + result.error;
        default: break;
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    return "ok " + std::string(TakeWord(line));
}

}  // namespace kerbview::standin

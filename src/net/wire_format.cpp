// SPDX-License-Identifier: MIT
#include "net/wire_format.h"

#include <algorithm>
#include <array>
#include <span>
#include <variant>

#include "core/number_rules.h"

namespace kerbview::net {
namespace {

constexpr char kNul = '\0';
// The receiver's field table holds indices 0..200.
constexpr int kFieldTableSize = 201;
// The shortest packet is the six digits and one NUL: 7 bytes, header value 8.
constexpr int kMinHeader = 8;

/// Field 11 is always written "0" and read back as a Single that is dropped.
struct AlwaysZero {};
using FieldRef = std::variant<std::string*, std::int16_t*, float*, double*, AlwaysZero>;

// Wire order of fields 0..52; field 53 (the status text) is not part of the snapshot.
FieldRef FieldAt(telemetry::Snapshot& s, int i) {
    if (i >= 14 && i <= 25) return &s.TyreTemp[static_cast<std::size_t>(i - 14)];
    if (i >= 26 && i <= 29) return &s.TyrePressure[static_cast<std::size_t>(i - 26)];
    if (i >= 30 && i <= 33) return &s.WheelSpeed[static_cast<std::size_t>(i - 30)];
    if (i >= 34 && i <= 37) return &s.TyreRatio[static_cast<std::size_t>(i - 34)];
    if (i >= 48 && i <= 51) return &s.BrakeTemp[static_cast<std::size_t>(i - 48)];
    switch (i) {
        case 0: return &s.DriverName;
        case 1: return &s.OilTemp;
        case 2: return &s.WaterTemp;
        case 3: return &s.SlotName;
        case 4: return &s.Position;
        case 5: return &s.EngineSpeed;
        case 6: return &s.EngineMaxSpeed;
        case 7: return &s.Contact;
        case 8: return &s.LapNumber;
        case 9: return &s.Fuel;
        case 10: return &s.BestLap;
        case 11: return AlwaysZero{};
        case 12: return &s.LastLap;
        case 13: return &s.CentreReadout;
        case 38: return &s.TrackName;
        case 39: return &s.PitLimiter;
        case 40: return &s.InPits;
        case 41: return &s.TcState;
        case 42: return &s.AbsState;
        case 43: return &s.BarPercent1;
        case 44: return &s.BarPercent2;
        case 45: return &s.TrackTemp;
        case 46: return &s.AmbientTemp;
        case 47: return &s.DriverSlot;
        case 52: return &s.CarName;
        default: throw WireError("no such field");
    }
}

void AppendFieldText(std::string& out, const FieldRef& f, char sep) {
    struct Writer {
        std::string& out;
        char sep;
        void operator()(std::string* v) const { out += *v; }
        void operator()(std::int16_t* v) const { out += core::PlainText(*v); }
        void operator()(float* v) const { out += core::SingleText(*v, sep); }
        void operator()(double* v) const { out += core::DoubleText(*v, sep); }
        void operator()(AlwaysZero) const { out += '0'; }
    };
    std::visit(Writer{out, sep}, f);
}

// The sender wrote numbers with its own decimal separator; either reads back.
void ReadFieldText(const FieldRef& f, const std::string& text) {
    struct Reader {
        const std::string& text;
        void operator()(std::string* v) const { *v = text; }
        void operator()(std::int16_t* v) const { *v = core::ParseWireInteger(text); }
        void operator()(float* v) const { *v = core::ParseWireSingle(text); }
        void operator()(double* v) const { *v = core::ParseWireDouble(text); }
        void operator()(AlwaysZero) const { (void)core::ParseWireSingle(text); }
    };
    std::visit(Reader{text}, f);
}

void AppendStatusAndClose(std::string& body, std::string_view status) {
    body += kNul;
    body += status;
    body += kNul;
}

}  // namespace

std::string TelemetryBody(const telemetry::Snapshot& s, std::string_view status,
                          char decimalSeparator) {
    // FieldAt hands out pointers into a snapshot; the writer only reads through them.
    auto& fields = const_cast<telemetry::Snapshot&>(s);
    std::string body;
    body.reserve(512 + status.size());
    for (int i = 0; i < kFieldCount - 1; ++i) {
        body += kNul;
        AppendFieldText(body, FieldAt(fields, i), decimalSeparator);
    }
    AppendStatusAndClose(body, status);
    return body;
}

std::string StatusOnlyBody(std::string_view status) {
    std::string body(kFieldCount - 1, kNul);
    AppendStatusAndClose(body, status);
    return body;
}

std::int16_t PacketLengthFor(std::string_view body) {
    return core::ToInt16(static_cast<double>(body.size()) + 7.0);
}

std::string PacketBytes(std::int16_t packetLength, std::string_view body) {
    std::string bytes = core::FormatPicture(packetLength, core::Picture::SixZeros, '.');
    bytes += body;
    return bytes;
}

HeaderCheck CheckHeader(std::string_view bytes, std::size_t* packetLength) {
    constexpr std::size_t kDigits = 6;
    int value = 0;
    for (std::size_t k = 0; k < kDigits; ++k) {
        if (k == bytes.size()) return HeaderCheck::Incomplete;
        const char c = bytes[k];
        if (c < '0' || c > '9') return HeaderCheck::Invalid;
        value = value * 10 + (c - '0');
    }
    if (value < kMinHeader || value > kMaxPacketLength) return HeaderCheck::Invalid;
    if (bytes.size() == kDigits) return HeaderCheck::Incomplete;
    if (bytes[kDigits] != kNul) return HeaderCheck::Invalid;
    if (packetLength) *packetLength = static_cast<std::size_t>(value - 1);
    return HeaderCheck::Valid;
}

bool AcceptPacket(std::string_view d, std::string& receivedText) {
    if (d.size() < 7) {
        receivedText.clear();
        return false;
    }
    std::size_t length = 0;
    if (CheckHeader(d, &length) != HeaderCheck::Valid) throw WireError("no packet header");
    if (d.size() < length) return false;
    receivedText.assign(d.substr(7, length - 7));
    return true;
}

UnpackResult UnpackTelemetry(std::string& receivedText, telemetry::Snapshot& snapshot,
                             const std::function<void(std::string_view)>& setStatus) {
    std::array<std::string, kFieldTableSize> fields;
    int count = 0;
    std::size_t pos = 0;
    while (pos < receivedText.size()) {
        const std::size_t nul = receivedText.find(kNul, pos);
        if (nul == std::string::npos) throw WireError("field without its closing NUL");
        if (count == kFieldTableSize) throw WireError("more than 201 fields");
        fields[static_cast<std::size_t>(count)].assign(receivedText, pos, nul - pos);
        ++count;
        pos = nul + 1;
    }
    receivedText.clear();

    if (count != kFieldCount) {
        snapshot = telemetry::Snapshot{};
        return UnpackResult::DefaultSnapshot;
    }
    if (setStatus) setStatus(fields[kFieldCount - 1]);
    const auto data = std::span(fields).first(kFieldCount - 1);
    if (std::all_of(data.begin(), data.end(), [](const std::string& f) { return f.empty(); })) {
        return UnpackResult::StatusOnly;
    }
    for (int i = 0; i < kFieldCount - 1; ++i) {
        ReadFieldText(FieldAt(snapshot, i), fields[static_cast<std::size_t>(i)]);
    }
    return UnpackResult::Unpacked;
}

}  // namespace kerbview::net

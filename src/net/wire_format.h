// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "telemetry/snapshot.h"

/// The telemetry packet that a server sends to its client once per scan: a six-digit header
/// holding the packet length + 1, then 54 fields each preceded by a NUL, then a closing NUL.
/// Texts are Windows-1252 bytes and are never re-encoded. The decimal separator is passed in.
namespace kerbview::net {

/// A packet that cannot be built or accepted.
class WireError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Number of fields in a telemetry body.
inline constexpr int kFieldCount = 54;
/// Largest header value: the packet length is a 16-bit signed Integer.
inline constexpr int kMaxPacketLength = 32767;

/// Body of a telemetry packet for snapshot s and the status text (caption of Label1):
/// fields 0..52 in wire order (field 11 always "0"), the status as field 53, a closing NUL.
std::string TelemetryBody(const telemetry::Snapshot& s, std::string_view status,
                          char decimalSeparator);

/// Body of a status-only packet: fields 0..52 empty, the status as field 53, a closing NUL.
std::string StatusOnlyBody(std::string_view status);

/// Header value for a body: its length + 7. Throws core::NumberError when that passes 32767.
std::int16_t PacketLengthFor(std::string_view body);

/// The bytes on the wire: packetLength in the picture "000000", immediately followed by body.
std::string PacketBytes(std::int16_t packetLength, std::string_view body);

/// How the first bytes of a stream stand as a packet header: six ASCII digits holding a value
/// from 8 to 32767 (the packet's length + 1), then the NUL that opens field 0. This is what
/// every sender writes, and the one rule by which received bytes are taken as a header.
enum class HeaderCheck {
    Valid,       ///< a whole header
    Incomplete,  ///< the bytes so far could begin a header; more are needed
    Invalid,     ///< no header starts here
};
/// Checks the start of bytes; on Valid, *packetLength (when given) receives the header value - 1.
HeaderCheck CheckHeader(std::string_view bytes, std::size_t* packetLength = nullptr);

/// Client check of received data d. Returns true and stores the body without its first NUL in
/// receivedText when d holds a whole packet; returns false and stores nothing when d is
/// incomplete, except that data shorter than 7 bytes empties receivedText. Bytes beyond the
/// first packet are ignored. Throws WireError when d does not start with a header.
bool AcceptPacket(std::string_view d, std::string& receivedText);

/// What UnpackTelemetry did with a received body.
enum class UnpackResult {
    Unpacked,  ///< 54 fields: status set, snapshot filled from fields 0..52
    /// 54 fields of which 0..52 are empty (the server cannot read its simulator): status set,
    /// snapshot untouched. Nothing is to be presented.
    StatusOnly,
    DefaultSnapshot,  ///< any other field count: snapshot reset to its defaults, status untouched
};

/// Splits receivedText (eating it) into fields and converts them into snapshot. With exactly 54
/// fields setStatus receives field 53 first, then fields 0..52 are converted in order; field 11
/// is read and dropped. Numbers are read whatever decimal separator the sender used. Throws
/// (core::NumberError or WireError) at the first field that does not convert, leaving the
/// fields before it in snapshot; also throws for a last field without its closing NUL and for
/// more than 201 fields, before setStatus is called.
UnpackResult UnpackTelemetry(std::string& receivedText, telemetry::Snapshot& snapshot,
                             const std::function<void(std::string_view)>& setStatus);

}  // namespace kerbview::net

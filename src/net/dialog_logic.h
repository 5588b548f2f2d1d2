// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "core/error_report.h"
#include "core/settings.h"

namespace kerbview::net {

/// The texts of an address dialog (Windows-1252), taken from the language slots when it opens.
struct IntroTexts {
    std::string title;      ///< TxtServerData or TxtClientData
    std::string ipAddress;  ///< TxtIpAddress (client dialog only)
    std::string port;       ///< TxtPort
    std::string ok;         ///< TxtOk
    std::string badIp;      ///< TxtBadIp, lines joined by "\r\n"
    std::string badPort;    ///< TxtBadPort
};

/// What the accept button of an address dialog leads to.
enum class DialogOutcome {
    Accepted,  ///< settings stored and TipusConexio set: the caller applies the role and closes
    BadIp,     ///< show TxtBadIp; the dialog stays open
    BadPort,   ///< show TxtBadPort; the dialog stays open
};

/// Command1 of Intro_Port with the text of Text2: on a valid port stores Port and sets
/// TipusConexio to the server role (the caller then runs Canvia_Conexio); otherwise changes
/// nothing.
DialogOutcome IntroPortAccept(std::string_view text2, core::Settings& settings,
                              char decimalSeparator);

/// Command1 of Intro_IP with the texts of Text1 and Text2. An address that passes Valid_IP is
/// stored in IP exactly as typed, even when the port is then rejected; a valid port then stores
/// Port and sets TipusConexio to the client role (the caller then runs Canvia_Conexio).
DialogOutcome IntroIpAccept(std::string_view text1, std::string_view text2,
                            core::Settings& settings, char decimalSeparator,
                            core::ErrorReporter& errors);

}  // namespace kerbview::net

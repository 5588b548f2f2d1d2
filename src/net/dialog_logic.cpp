// SPDX-License-Identifier: MIT
#include "net/dialog_logic.h"

#include "core/address_rules.h"

namespace kerbview::net {

DialogOutcome IntroPortAccept(std::string_view text2, core::Settings& settings,
                              char decimalSeparator) {
    std::optional<std::string> port = core::CheckPort(text2, decimalSeparator);
    if (!port) return DialogOutcome::BadPort;
    settings.Port = std::move(*port);
    settings.TipusConexio = core::Role::Server;
    return DialogOutcome::Accepted;
}

DialogOutcome IntroIpAccept(std::string_view text1, std::string_view text2,
                            core::Settings& settings, char decimalSeparator,
                            core::ErrorReporter& errors) {
    if (!core::Valid_IP(text1, decimalSeparator, errors)) return DialogOutcome::BadIp;
    settings.IP = std::string(text1);
    std::optional<std::string> port = core::CheckPort(text2, decimalSeparator);
    if (!port) return DialogOutcome::BadPort;
    settings.Port = std::move(*port);
    settings.TipusConexio = core::Role::Client;
    return DialogOutcome::Accepted;
}

}  // namespace kerbview::net

// SPDX-License-Identifier: MIT
// The handlers of the main window's menus, the Admin window and the two address dialogs.
#include "app/program.h"

namespace kerbview::app {

using panel::Menu;

void Program::MenuClick(Menu item) {
    if (m_frontEnd == nullptr) return;  // no main window, no menu
    if (const std::optional<std::string_view> language = LanguageOfMenu(item)) {
        // A click on the language already chosen changes and writes nothing.
        if (m_settings.Idioma != *language) {
            m_settings.Idioma.assign(*language);
            Canvia_Idioma();
            UpdateLaps();  // an open Laps window follows at once, also with the timer stopped
        }
        return;
    }
    switch (item) {
        case Menu::Salir:
            m_frontEnd->CloseMainWindow();
            // Reached only when closing the window did not end the program.
            m_gameLink.CloseProcessHandle();
            m_frontEnd->Quit();
            break;
        case Menu::Graficos:
            m_settings.NoGrafics = !m_settings.NoGrafics;
            Canvia_Grafics();
            break;
        case Menu::Metrico:
        case Menu::Imperial: {
            const std::string_view chosen = item == Menu::Imperial ? "Imperial" : "Metric";
            if (m_settings.Unitats != chosen) {
                m_settings.Unitats.assign(chosen);
                Canvia_Unitats();
                UpdateLaps();
            }
            break;
        }
        case Menu::TS_10:
        case Menu::TS_50:
        case Menu::TS_150:
        case Menu::TS_500:
        case Menu::TS_1000:
            for (const ScanTimeItem& scanTime : kScanTimeItems) {
                if (scanTime.item == item) m_settings.ScanTime = scanTime.scanTime;
            }
            Canvia_Scan();
            break;
        case Menu::Cap:
            m_settings.TipusConexio = core::Role::None;
            Canvia_Conexio(core::Role::None);
            break;
        case Menu::Servidor:
            m_frontEnd->ShowIntroPort(m_presenter.AddressDialog(false), m_settings.Port);
            break;
        case Menu::Client:
            m_frontEnd->ShowIntroIP(m_presenter.AddressDialog(true), m_settings.IP,
                                    m_settings.Port);
            break;
        case Menu::VeureDadesServidor:
            m_settings.DadesServ = !m_settings.DadesServ;
            Canvia_Dades_Serv();
            break;
        case Menu::WebDashboard:
            // The check mark says whether it serves: a click on an unchecked item tries again.
            m_settings.WebEnabled = !m_dashboard.Serving();
            Canvia_Web();
            if (m_settings.WebEnabled) ShowDashboardWindow();
            break;
        case Menu::ExportRecording:
            m_frontEnd->ChooseExport(m_texts.TxtExportRecording, m_texts.TxtExportMotecCsv);
            break;
        case Menu::Replay:
        case Menu::ReplayPause:
        case Menu::ReplayX05:
        case Menu::ReplayX1:
        case Menu::ReplayX2:
        case Menu::ReplayX4: ReplayMenuClick(item); break;
        case Menu::RecordStints:
            // As the dashboard's: the check mark says whether stints are recorded.
            m_settings.RecordingEnabled = !m_recorder.Enabled();
            Canvia_Recording();
            break;
        case Menu::Laps: m_frontEnd->ShowLapsWindow(); break;
        case Menu::RaceSettings: ShowRaceDialog(); break;
        case Menu::AcercaDe: m_frontEnd->ShowAbout(m_presenter.About()); break;
        default: break;  // menu titles and the separators barra, barra2 and Resderes
    }
}

void Program::Option1_Click(int index) {
    m_acquisition.SetDriverSelectMode(static_cast<std::int16_t>(index));
}

net::DialogOutcome Program::IntroPortAccept(std::string_view text2) {
    const net::DialogOutcome outcome = net::IntroPortAccept(text2, m_settings, m_decimalSeparator);
    if (outcome == net::DialogOutcome::Accepted) Canvia_Conexio(core::Role::Server);
    return outcome;
}

net::DialogOutcome Program::IntroIpAccept(std::string_view text1, std::string_view text2) {
    const net::DialogOutcome outcome =
        net::IntroIpAccept(text1, text2, m_settings, m_decimalSeparator, m_errors);
    if (outcome == net::DialogOutcome::Accepted) Canvia_Conexio(core::Role::Client);
    return outcome;
}

}  // namespace kerbview::app

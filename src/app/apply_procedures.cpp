// SPDX-License-Identifier: MIT
// The apply procedures: each shows its setting (captions, check marks), applies it, and stores
// it in the settings file at once. An error ends the procedure and is reported under its name.
#include "app/program.h"
#include "core/number_rules.h"
#include "ui/language_table.h"

namespace kerbview::app {

void Program::Canvia_Idioma() {
    try {
        // An unknown name leaves the slots as they were: the captions show what they held.
        const std::optional<std::size_t> language = ui::FindLanguage(m_settings.Idioma);
        if (language) m_texts = ui::LanguageColumn(*language);
        m_presenter.ShowLanguage(language);
        // The next scan reattaches and shows the link's status in the new language.
        m_gameLink.ResetGameLink();
        Write("Canvia_Idioma", "Idioma", m_settings.Idioma);
    } catch (...) {
        m_errors.ReportCurrentException("Canvia_Idioma");
    }
}

void Program::Canvia_Scan() {
    try {
        m_presenter.ShowScanning();
        m_presenter.ShowScanTime(m_settings.ScanTime);
        Write("Canvia_Scan", "ScanTime", core::PlainText(m_settings.ScanTime));
        m_gameLink.SetScanTime(m_settings.ScanTime);
        m_gameLink.ResetGameLink();
        // A ScanTime of 0, or a negative one, leaves the timer stopped (Timer1 is the main
        // window's, which Main creates).
        if (m_frontEnd != nullptr) {
            m_frontEnd->SetTimerInterval(TimerIntervalFor(m_settings.ScanTime));
        }
    } catch (...) {
        m_errors.ReportCurrentException("Canvia_Scan");
    }
}

void Program::Canvia_Conexio(core::Role tipus) {
    try {
        m_presenter.ShowRole(tipus);
        StintEnds();
        // Listening and connecting start on the next tick; no role closes both sockets now.
        if (tipus == core::Role::None) m_roles.CloseBoth();
        Write("Canvia_Conexio", "TipusConexio",
              core::PlainText(core::RoleNumber(m_settings.TipusConexio)));
        Write("Canvia_Conexio", "IP", m_settings.IP);
        Write("Canvia_Conexio", "Port", m_settings.Port);
    } catch (...) {
        m_errors.ReportCurrentException("Canvia_Conexio");
    }
}

void Program::Canvia_Grafics() {
    try {
        m_presenter.ShowGraphicsMode(m_settings.NoGrafics);
        Write("Canvia_Grafics", "NoGrafics", core::TruthText(m_settings.NoGrafics));
    } catch (...) {
        m_errors.ReportCurrentException("Canvia_Grafics");
    }
}

void Program::Canvia_Unitats() {
    try {
        const bool imperial = panel::IsImperial(m_settings.Unitats);
        // Nothing has been shown in a unit before the first call.
        const bool changed = m_units.Imperial && *m_units.Imperial != imperial;
        m_presenter.ShowUnits(imperial);
        panel::SetUnitTexts(m_units, imperial);
        if (changed) m_presentation.UnitsChanged(imperial, m_units, m_decimalSeparator);
        panel::SetActiveThresholds(m_units, m_settings, imperial);
        Write("Canvia_Unitats", "Unitats", imperial ? "Imperial" : "Metric");
    } catch (...) {
        m_errors.ReportCurrentException("Canvia_Unitats");
    }
}

void Program::Canvia_Dades_Serv() {
    try {
        m_presenter.ShowDadesServ(m_settings.DadesServ);
        Write("Canvia_Dades_Serv()", "DadesServ", core::TruthText(m_settings.DadesServ));
    } catch (...) {
        m_errors.ReportCurrentException("Canvia_Dades_Serv()");
    }
}

void Program::Canvia_Web(bool store) {
    try {
        if (m_settings.WebEnabled) {
            m_dashboard.Serve(m_panel, static_cast<core::ColourNumber>(m_settings.BackgroundColor),
                              m_settings.WebPort, &Laps());
        } else {
            m_dashboard.Stop();
            if (m_frontEnd != nullptr) m_frontEnd->CloseDashboardWindow();
        }
        m_presenter.ShowWebDashboard(m_dashboard.Serving());
        if (m_settings.WebEnabled && !m_dashboard.Serving()) {
            const web::ServeFailure failure = m_dashboard.Failure();
            m_errorLog.Notice(
                Presenter::WebFailureText(m_settings.WebPort, failure.portInUse, failure.error));
        }
        if (store) {
            Write("Canvia_Web", "Enabled", core::TruthText(m_settings.WebEnabled), core::kWeb);
        }
    } catch (...) {
        m_errors.ReportCurrentException("Canvia_Web");
    }
}

}  // namespace kerbview::app

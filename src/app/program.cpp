// SPDX-License-Identifier: MIT
#include "app/program.h"

#include <array>
#include <chrono>
#include <exception>
#include <vector>

#include "core/number_rules.h"
#include "panel/element_catalogue.h"
#include "panel/language_captions.h"

namespace kerbview::app {
namespace {

using panel::Element;
using panel::Menu;

// The 22 threshold-coloured fields, in the order graphics mode writes them.
constexpr std::array<Element, 22> kThresholdFields{
    Element::Label18, Element::Label17, Element::Label2,  Element::Label3,  Element::Label4,
    Element::Label5,  Element::Label6,  Element::Label7,  Element::Label8,  Element::Label9,
    Element::Label10, Element::Label11, Element::Label12, Element::Label13, Element::Label24,
    Element::Label25, Element::Label26, Element::Label27, Element::Label43, Element::Label44,
    Element::Label45, Element::Label46,
};

Menu ScanTimeMenu(std::size_t index) {
    return static_cast<Menu>(static_cast<std::size_t>(Menu::TS_10) + index);
}

panel::LayoutKind LayoutKindOf(panel::ElementKind kind) {
    switch (kind) {
        case panel::ElementKind::TextField: return panel::LayoutKind::TextField;
        case panel::ElementKind::Lamp: return panel::LayoutKind::Lamp;
        case panel::ElementKind::BarGauge: return panel::LayoutKind::BarGauge;
        case panel::ElementKind::WheelMarker: return panel::LayoutKind::WheelMarker;
        case panel::ElementKind::Picture: return panel::LayoutKind::Picture;
        case panel::ElementKind::List: break;
    }
    return panel::LayoutKind::Other;
}

// The element collection as the window opens: every element at its catalogue place.
std::vector<panel::RecordedGeometry> InitialCollection() {
    std::vector<panel::RecordedGeometry> collection;
    for (const panel::CollectionEntry& entry : panel::ElementCollection()) {
        panel::RecordedGeometry g;
        if (entry.type == panel::CollectionEntry::Type::PanelElement) {
            const panel::ElementInfo& info = panel::Info(entry.element);
            g = {LayoutKindOf(info.kind),          static_cast<double>(info.left),
                 static_cast<double>(info.top),    static_cast<double>(info.width),
                 static_cast<double>(info.height), info.font.pointSize};
        }
        collection.push_back(g);
    }
    return collection;
}

// Shows a decoded picture through the front end and records it in the panel model.
class FrontEndPictures : public panel::PictureLoader {
public:
    FrontEndPictures(FrontEnd& frontEnd, panel::PanelModel& panel)
        : m_frontEnd(frontEnd), m_panel(panel) {}
    bool LoadInto(Element e, const std::string& path) override {
        if (!m_frontEnd.DecodePicture(e, path)) {
            return false;
        }
        m_panel.SetPicture(e, path);
        return true;
    }

private:
    FrontEnd& m_frontEnd;
    panel::PanelModel& m_panel;
};

}  // namespace

Program::Program(std::filesystem::path programFolder, char decimalSeparator,
                 telemetry::Platform platform)
    : m_programFolder(std::move(programFolder)),
      m_decimalSeparator(decimalSeparator),
      m_platform(std::move(platform)),
      m_store(core::IniPathFor(m_programFolder)),
      m_gameLink(*m_platform.windows, *m_platform.memory, m_errors, *this),
      m_units([this](std::string_view section, std::string_view key, std::string_view value) {
          Write(section, key, value);
      }),
      m_presentation(m_panel, m_debug),
      m_scanCycle(*this, m_settings, m_store, m_errors) {
    m_errors.setSink([this](const std::string& line) { m_debug.SetLabel(21, line); });
}

Program::~Program() = default;

void Program::Write(std::string_view section, std::string_view key, std::string_view value) {
    m_store.Write(section, key, value);
}

bool Program::Main(FrontEnd& frontEnd) {
    m_frontEnd = &frontEnd;
    bool windowCreated = false;
    try {
        m_settings = core::LoadSettings(m_store, m_decimalSeparator, m_errors);
        m_acquisition.emplace(m_gameLink.Readers(), telemetry::LoadMemoryMap());
        m_gameLink.SetScanTime(m_settings.ScanTime);
        m_gameLink.ResetGameLink();
        // The fixed colours and SlotStride are constants of core/colours.h.
        frontEnd.CreateMainWindow();
        windowCreated = true;
        Load();
        frontEnd.SetTimerInterval(core::TimerIntervalFor(m_settings.ScanTime));
        m_DriverSelectMode = 0;
        m_FixedDriverSlot = 0;
        m_acquisition->SetDriverSelectMode(m_DriverSelectMode);
        m_acquisition->SetFixedDriverSlot(m_FixedDriverSlot);
        frontEnd.ShowMainWindow();
        if (m_settings.AdminEnabled) {
            frontEnd.ShowAdminWindow();
        }
        if (m_settings.DebugEnabled) {
            frontEnd.ShowDebugWindow();
        }
    } catch (const std::exception&) {
        // LoadSettings has told the reporter whether debugging is on; before that the
        // report is silent.
        m_errors.ReportError("Main");
    }
    return windowCreated;
}

void Program::Load() {
    FrontEnd& fe = *m_frontEnd;
    fe.SetBackgroundColour(static_cast<core::ColourNumber>(m_settings.BackgroundColor));

    const WindowSize size = fe.MainWindowSize();
    const panel::DesktopRect desktop = panel::VirtualDesktopUnits(
        fe.VirtualDesktopPixels(), fe.TwipsPerPixelX(), fe.TwipsPerPixelY());
    panel::ResetOffScreenPosition(m_settings.PosFormX, m_settings.PosFormY,
                                  static_cast<std::int64_t>(size.outerWidth),
                                  static_cast<std::int64_t>(size.outerHeight), desktop);

    FrontEndPictures pictures(fe, m_panel);
    panel::LoadDefaultPictures(m_programFolder, pictures);

    const std::vector<panel::RecordedGeometry> collection = InitialCollection();
    m_layout = panel::RecordLayout(collection, size.clientWidth, size.clientHeight, size.outerWidth,
                                   size.outerHeight);
    for (int n = 1; n <= 4; ++n) {
        m_panel.SetBackColor(panel::Bar(n),
                             static_cast<core::ColourNumber>(m_settings.BackgroundColor));
    }

    fe.MoveMainWindow(m_settings.PosFormX, m_settings.PosFormY);

    Canvia_Idioma();
    Canvia_Scan();
    if (m_net != nullptr) {
        m_net->Canvia_Conexio(m_settings.TipusConexio);
    }
    Canvia_Grafics();
    Canvia_Unitats();
    if (m_net != nullptr) {
        m_net->Canvia_Dades_Serv();
    }
}

void Program::Unload() {
    m_gameLink.CloseProcessHandle();
    if (m_frontEnd != nullptr) {
        m_frontEnd->Quit();
    }
}

void Program::Canvia_Idioma() {
    panel::LanguageSideEffects effects{
        [this] { m_gameLink.ResetGameLink(); },
        [this](const std::string& idioma) { Write(core::kOpcions, "Idioma", idioma); }};
    panel::Canvia_Idioma(m_settings.Idioma, m_texts, m_panel, effects, m_errors);
}

void Program::Canvia_Scan() {
    try {
        m_panel.SetText(Element::Label1, m_texts.TxtScanning);
        for (std::size_t i = 0; i < core::kScanTimeItems.size(); ++i) {
            m_panel.SetMenuChecked(ScanTimeMenu(i), false);
        }
        if (const auto item = core::CheckedScanTimeItem(m_settings.ScanTime)) {
            m_panel.SetMenuChecked(ScanTimeMenu(*item), true);
        }
        Write(core::kOpcions, "ScanTime", core::PlainText(m_settings.ScanTime));
        m_gameLink.SetScanTime(m_settings.ScanTime);
        m_gameLink.ResetGameLink();
        // A ScanTime of 0, or a negative one, leaves the timer stopped.
        m_frontEnd->SetTimerInterval(core::TimerIntervalFor(m_settings.ScanTime));
    } catch (const std::exception&) {
        m_errors.ReportError("Canvia_Scan");
    }
}

void Program::Canvia_Grafics() {
    try {
        if (!m_settings.NoGrafics) {
            for (Element e : kThresholdFields) {
                m_panel.SetBackColor(e, core::ColorCold);
            }
        } else {
            for (int n : {3, 1, 2, 4}) {
                m_panel.SetValue(panel::Bar(n), 0);
            }
            for (Element e : kThresholdFields) {
                m_panel.SetBackColor(e, core::ColorPlain);
            }
            for (int n = 1; n <= 4; ++n) {
                m_panel.SetVisible(panel::Marker(n), false);
            }
        }
        m_panel.SetMenuChecked(Menu::Graficos, !m_settings.NoGrafics);
        Write(core::kOpcions, "NoGrafics", core::TruthText(m_settings.NoGrafics));
    } catch (const std::exception&) {
        m_errors.ReportError("Canvia_Grafics");
    }
}

void Program::Canvia_Unitats() {
    m_units.Canvia_Unitats(m_settings, m_panel, m_presentation.Lap(), m_errors);
}

void Program::MenuClick(Menu item) {
    if (panel::LanguageOfMenu(item)) {
        panel::LanguageMenuClick(
            item, m_settings.Idioma, m_texts, m_panel,
            {[this] { m_gameLink.ResetGameLink(); },
             [this](const std::string& idioma) { Write(core::kOpcions, "Idioma", idioma); }},
            m_errors);
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
            m_units.Metrico_Click(m_settings, m_panel, m_presentation.Lap(), m_errors);
            break;
        case Menu::Imperial:
            m_units.Imperial_Click(m_settings, m_panel, m_presentation.Lap(), m_errors);
            break;
        case Menu::TS_10:
        case Menu::TS_50:
        case Menu::TS_150:
        case Menu::TS_500:
        case Menu::TS_1000:
            m_settings.ScanTime = core::kScanTimeItems[static_cast<std::size_t>(item) -
                                                       static_cast<std::size_t>(Menu::TS_10)]
                                      .scanTime;
            Canvia_Scan();
            break;
        case Menu::Cap:
        case Menu::Servidor:
        case Menu::Client:
        case Menu::VeureDadesServidor:
            if (m_net != nullptr) {
                m_net->ConexioMenuClick(item);
            }
            break;
        case Menu::AcercaDe: m_frontEnd->ShowAbout(); break;
        default: break;  // menu titles and the separators barra, barra2 and Resderes
    }
}

void Program::Option1_Click(int index) {
    m_DriverSelectMode = static_cast<std::int16_t>(index);
    if (m_acquisition) {
        m_acquisition->SetDriverSelectMode(m_DriverSelectMode);
    }
}

panel::ResizeAction Program::Resize(panel::WindowState state, double outerWidth,
                                    double outerHeight) {
    return panel::OnResize(m_layout, state, outerWidth, outerHeight,
                           m_frontEnd != nullptr ? m_frontEnd->TwipsPerPixelX() : 0);
}

void Program::ScaleElements(
    double clientWidth, double clientHeight,
    const std::function<void(Element, const panel::ScaledGeometry&)>& apply) const {
    const auto collection = panel::ElementCollection();
    panel::ScaleElements(
        m_layout, clientWidth, clientHeight,
        [&](std::size_t position, const panel::ScaledGeometry& g) {
            if (position < collection.size() &&
                collection[position].type == panel::CollectionEntry::Type::PanelElement) {
                apply(collection[position].element, g);
            }
        });
}

// ---- Scan steps -------------------------------------------------------------------------

bool Program::CarChanged() {
    return m_acquisition && m_carSkins.NeedsUpdate(m_acquisition->CurrentCar());
}

void Program::CarSkinUpdate() {
    FrontEndPictures pictures(*m_frontEnd, m_panel);
    m_carSkins.Update(m_acquisition->CurrentCar(), m_programFolder, pictures);
}

void Program::SetTimerEnabled(bool enabled) { m_frontEnd->SetTimerEnabled(enabled); }
float Program::WindowLeft() { return m_frontEnd->MainWindowLeft(); }
float Program::WindowTop() { return m_frontEnd->MainWindowTop(); }

void Program::SocketUpkeep() {
    if (m_net != nullptr) {
        m_net->SocketUpkeep();
    }
}

bool Program::RACE07_Actiu() { return m_gameLink.RACE07_Actiu(); }
void Program::SetGameActive(bool) {}  // the link keeps GameActive itself

std::uint32_t Program::TickCount() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void Program::Lectures() {
    try {
        if (!m_acquisition ||
            m_acquisition->Acquire(m_snapshot) == telemetry::AcquireResult::EndTick) {
            return;
        }
        if (m_net != nullptr && m_net->MaySend()) {
            m_net->SendTelemetry(m_snapshot);
        }
        if (!panel::PresentsSnapshot(m_settings)) {
            return;
        }
        Present(m_snapshot);
    } catch (const std::exception&) {
        m_errors.ReportError("Lectures");
    }
}

void Program::PresentReceived(telemetry::Snapshot& snapshot) {
    try {
        Present(snapshot);
    } catch (const std::exception&) {
        m_errors.ReportError("Lectures");
    }
}

void Program::Present(telemetry::Snapshot& snapshot) {
    panel::PresentContext context{m_settings,
                                  m_texts,
                                  m_units.Current(),
                                  m_DriverSelectMode,
                                  m_decimalSeparator,
                                  m_scanCycle.ScanStartTick(),
                                  [this] { return TickCount(); }};
    m_presentation.Present(snapshot, context);
}

bool Program::ServerConnected() { return m_net != nullptr && m_net->ServerConnected(); }
bool Program::ReadyToSend() { return m_net != nullptr && m_net->ReadyToSend(); }

void Program::SendStatusOnly() {
    if (m_net != nullptr) {
        m_net->SendStatusOnly();
    }
}

// ---- Link observer ----------------------------------------------------------------------

void Program::ShowStatus(telemetry::LinkStatus status) {
    m_panel.SetText(Element::Label1, status == telemetry::LinkStatus::Running
                                         ? m_texts.TxtRunning
                                         : m_texts.TxtNotRunning);
}

void Program::ShowOpenFailure(const std::string& message, const std::string& detail) {
    m_frontEnd->ShowMessage(message, detail);
}

}  // namespace kerbview::app

// SPDX-License-Identifier: MIT
#include "app/presenter.h"

#include <gtest/gtest.h>

#include "core/colours.h"
#include "ui/language_table.h"

namespace kerbview::app {
namespace {

using net::ConnectionStatus;
using panel::Bar;
using panel::Marker;

TEST(Presenter, EachConnectionStatusShowsItsOwnTextInLabel15) {
    ui::LanguageTexts texts;
    ASSERT_TRUE(ui::FillLanguage("Espa\xF1ol", texts));
    const std::pair<ConnectionStatus, const char*> cases[] = {
        {ConnectionStatus::None, ""},
        {ConnectionStatus::Listening, "ESCUCHANDO"},
        {ConnectionStatus::Connecting, "CONECTANDO"},
        {ConnectionStatus::Connected, "CONECTADO"},
        {ConnectionStatus::NoLink, "N/A"},
    };
    for (const auto& [status, label15] : cases) {
        panel::PanelModel panel;
        panel.SetText(panel::Element::Label15, "?");
        Presenter(panel, texts).ShowConnection(status);
        EXPECT_EQ(panel[panel::Element::Label15].text, label15);
    }
}

// Graphics off empties the gauges, whitens the threshold fields and hides the wheel markers; on
// again the fields turn teal until the next scan colours them, and the markers wait for it.
TEST(Presenter, GraphicsModeSwitchesFieldColoursGaugesAndMarkers) {
    panel::PanelModel panel;
    const ui::LanguageTexts texts;
    Presenter presenter(panel, texts);
    using panel::Element;
    for (int n = 1; n <= 4; ++n) panel.SetValue(Bar(n), 9), panel.SetVisible(Marker(n), 1);
    presenter.ShowGraphicsMode(true);
    for (int n = 1; n <= 4; ++n) EXPECT_FALSE(panel[Bar(n)].value || panel[Marker(n)].visible);
    EXPECT_EQ(panel[Element::Label46].backColor, core::ColorPlain);
    EXPECT_EQ(panel[Element::Label37].backColor, core::ColorCold) << "not a threshold field";
    EXPECT_FALSE(panel.MenuAt(panel::Menu::Graficos).checked);
    presenter.ShowGraphicsMode(false);
    EXPECT_EQ(panel[Element::Label2].backColor, core::ColorCold);
    EXPECT_FALSE(panel[Marker(1)].visible);
    EXPECT_TRUE(panel.MenuAt(panel::Menu::Graficos).checked);
}

// What the user reads when a port or the dashboard cannot serve: the cause, and what to do.
TEST(Presenter, FailuresSayWhyAndWhatToDo) {
    using Kind = net::SocketError::Kind;
    ui::LanguageTexts spanish;
    ASSERT_TRUE(ui::FillLanguage("Espa\xF1ol", spanish));
    panel::PanelModel panel;
    const Presenter presenter(panel, spanish);
    const auto window = [&](bool serving, std::vector<std::string> addresses, bool inUse) {
        const DashboardWindowTexts t =
            presenter.DashboardWindow(serving, 8099, addresses, inUse, "Zugriff verweigert ");
        std::string all = t.title + "|" + t.problem;
        for (const std::string& url : t.urls) all += "|" + url;
        return all;
    };
    const std::pair<std::string, std::string> cases[] = {
        {Presenter::ListenFailureText({80, Kind::PermissionDenied, "denied"}),
         "Port 80 could not be opened: permission denied. On Linux, ports below 1024 need "
         "privileges; choose a port from 1024 up"},
        {Presenter::ListenFailureText({1001, Kind::AddressInUse, "in use"}),
         "Port 1001 could not be opened: another program is using it. Close that program, or "
         "choose another port"},
        {Presenter::ListenFailureText({1001, Kind::Other, "network down"}),
         "Port 1001 could not be opened: network down"},
        {Presenter::WebFailureText(8099, true, ""),
         "The web dashboard cannot be served: port 8099 could not be opened: another program is "
         "using it. Close that program, or choose another Port in [Web]"},
        {window(true, {"127.0.0.1", "192.168.1.5", "192.168.1.5"}, false),
         "Panel web||http://192.168.1.5:8099/"},
        {window(true, {"127.0.0.1"}, false), "Panel web||http://127.0.0.1:8099/"},
        {window(false, {}, false), "Panel web|8099: Zugriff verweigert "},
    };
    for (const auto& [got, want] : cases) EXPECT_EQ(got, want);
}

}  // namespace
}  // namespace kerbview::app

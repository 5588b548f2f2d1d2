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

// What the user reads of the link (each connection status its own text in Label15), and when a
// port or the dashboard cannot serve: the cause, and what to do.
TEST(Presenter, ConnectionTextsAndFailuresSayWhyAndWhatToDo) {
    using Kind = net::SocketError::Kind;
    ui::LanguageTexts spanish;
    ASSERT_TRUE(ui::FillLanguage("Espa\xF1ol", spanish));
    panel::PanelModel panel;
    Presenter presenter(panel, spanish);
    const auto label15 = [&](ConnectionStatus status) {
        panel.SetText(panel::Element::Label15, "?");
        presenter.ShowConnection(status);
        return panel[panel::Element::Label15].text;
    };
    const auto window = [&](bool serving, std::vector<std::string> addresses, bool inUse) {
        const DashboardWindowTexts t =
            presenter.DashboardWindow(serving, 8099, addresses, inUse, "Zugriff verweigert ");
        std::string all = t.title + "|" + t.problem;
        for (const std::string& url : t.urls) all += "|" + url;
        return all;
    };
    const std::pair<std::string, std::string> cases[] = {
        {label15(ConnectionStatus::None), ""},
        {label15(ConnectionStatus::Listening), "ESCUCHANDO"},
        {label15(ConnectionStatus::Connecting), "CONECTANDO"},
        {label15(ConnectionStatus::Connected), "CONECTADO"},
        {Presenter::ListenFailureText({80, Kind::PermissionDenied, "denied"}),
         "Port 80 could not be opened: permission denied. On Linux, ports below 1024 need "
         "privileges; choose a port from 1024 up"},
        {Presenter::ListenFailureText({1001, Kind::AddressInUse, "in use"}),
         "Port 1001 could not be opened: another program is using it. Close that program, or "
         "choose another port"},
        {Presenter::ListenFailureText({1001, Kind::Other, "network down"}),
         "Port 1001 could not be opened: network down"},
        {window(true, {"127.0.0.1", "192.168.1.5", "192.168.1.5"}, false),
         "Panel web||http://192.168.1.5:8099/"},
        {window(true, {"127.0.0.1"}, false), "Panel web||http://127.0.0.1:8099/"},
        {window(false, {}, false), "Panel web|8099: Zugriff verweigert "},
    };
    for (const auto& [got, want] : cases) EXPECT_EQ(got, want);
}

}  // namespace
}  // namespace kerbview::app

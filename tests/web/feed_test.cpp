// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "panel/element_catalogue.h"
#include "web/feed_encoder.h"
#include "web/feed_pacing.h"
#include "web/request_policy.h"

namespace kerbview::web {
namespace {

using panel::Element;
using panel::LabelN;

// The element indices whose state a message carries: {"i":N,"v":... (layout entries go on
// with "n" instead).
std::multiset<int> StateIndices(const std::string& message) {
    static const std::string open = "{\"i\":";
    std::multiset<int> found;
    for (auto at = message.find(open); at != std::string::npos; at = message.find(open, at + 1)) {
        std::size_t digits = at + open.size();
        std::size_t end = digits;
        while (end < message.size() && message[end] >= '0' && message[end] <= '9') ++end;
        if (end > digits && message.compare(end, 5, ",\"v\":") == 0) {
            found.insert(std::stoi(message.substr(digits, end - digits)));
        }
    }
    return found;
}

int Index(Element e) { return static_cast<int>(e); }

TEST(FeedEncoder, FullStateHasEveryShownElementAndDeltasOnlyTheLastValueOfWhatChanged) {
    panel::PanelModel model;
    model.SetText(LabelN(30), "early");
    FeedEncoder encoder(model, DashboardLook{});
    EXPECT_FALSE(encoder.Delta()) << "changes before the encoder are in its full state only";

    std::multiset<int> all;
    for (int i = 0; i < static_cast<int>(panel::kElementCount); ++i) all.insert(i);
    all.erase(Index(Element::List1));
    const std::string full = encoder.Full();
    EXPECT_EQ(StateIndices(full), all);
    EXPECT_NE(full.find(R"("t":"early")"), std::string::npos);
    // Stacking order: the background picture first, the markers over the car last.
    EXPECT_LT(full.find(R"("n":"Image2")"), full.find(R"("n":"Label1")"));
    EXPECT_LT(full.find(R"("n":"Label1")"), full.find(R"("n":"Shape4")"));

    for (const char* speed : {"80", "81", "82"}) model.SetText(LabelN(17), speed);
    model.SetValue(panel::Bar(3), 5000);
    model.SetText(LabelN(18), model[LabelN(18)].text);  // no change
    model.SetBackColor(LabelN(18), model[LabelN(18)].backColor);
    const std::optional<std::string> delta = encoder.Delta();
    ASSERT_TRUE(delta);
    EXPECT_EQ(StateIndices(*delta), (std::multiset<int>{Index(LabelN(17)), Index(panel::Bar(3))}));
    EXPECT_NE(delta->find(R"("t":"82")"), std::string::npos);
    EXPECT_EQ(delta->find(R"("t":"81")"), std::string::npos);
    EXPECT_FALSE(encoder.Delta()) << "nothing changed since";

    model.SetText(LabelN(2), "x");
    encoder.SkipToNow();
    EXPECT_FALSE(encoder.Delta());

    // Old values: every message says so, one without any element change too; the layout says
    // which elements show readings.
    model.SetStale(true);
    EXPECT_EQ(encoder.Delta().value_or(""), R"({"type":"delta","rev":)" +
                                                std::to_string(model.Revision()) +
                                                R"(,"stale":true,"state":[]})");
    EXPECT_NE(encoder.Full().find(R"("stale":true)"), std::string::npos);
    const auto layout = [&](const char* name) {
        const std::size_t at = full.find(std::string(R"("n":")") + name + '"');
        return full.substr(at, full.find('}', at) - at);
    };
    for (const char* name : {"Label2", "Command1(1)", "ProgressBar3", "Shape1"}) {
        EXPECT_NE(layout(name).find(R"("reading":true)"), std::string::npos) << name;
    }
    for (const char* name : {"Label1", "Label15", "Label19", "Image1"}) {
        EXPECT_EQ(layout(name).find("reading"), std::string::npos) << name;
    }
    // Captions drawn at one size name their group by its first member.
    const std::string water = R"("same":)" + std::to_string(Index(LabelN(19)));
    EXPECT_NE(layout("Label20").find(water), std::string::npos);
    EXPECT_EQ(layout("Label1").find("same"), std::string::npos);
}

// One change to an element of each kind gives its whole state, in the catalogue's order; a
// loaded picture is fetched again under a new address after every change.
TEST(FeedEncoder, EachKindCarriesItsStateInBrowserTerms) {
    DashboardLook look;
    look.windowText = core::Rgb(0x11, 0x22, 0x33);
    panel::PanelModel model;
    FeedEncoder encoder(model, look);
    model.SetText(LabelN(30), "Seat Le\xF3n \"R\"\\\t\x01");
    model.SetBackColor(LabelN(2), panel::kSystemWindowText);
    model.SetValue(panel::Bar(2), std::numeric_limits<double>::quiet_NaN());
    model.SetMaxValue(panel::Bar(2), 350.5);
    model.SetVisible(panel::Marker(1), false);
    model.SetPicture(Element::Image1, "/x/CarSkin.gif");
    model.SetVisible(Element::Image2, false);
    const std::string picture = std::to_string(model[Element::Image1].revision);
    const std::pair<Element, std::string> states[] = {
        {LabelN(2), R"(true,"t":"","bg":"#112233"})"},
        {LabelN(30), R"(true,"t":"Seat León \"R\"\\\t\u0001","bg":null})"},
        {panel::Bar(2), R"(true,"t":"","bg":"#000000","min":0,"max":350.5,"val":null})"},
        {panel::Marker(1), R"(false,"bg":"#c00000"})"},
        {Element::Image1, R"(true,"p":"/picture/Image1?v=)" + picture + "\"}"},
        {Element::Image2, R"(false,"p":null})"},
    };
    std::string expected = R"({"type":"delta","rev":)" + std::to_string(model.Revision()) +
                           R"(,"stale":false,"state":[)";
    for (const auto& [e, json] : states) {
        expected += R"({"i":)" + std::to_string(Index(e)) + R"(,"v":)" + json + ",";
    }
    expected.back() = ']';
    EXPECT_EQ(encoder.Delta().value_or(""), expected + "}");
}

// The laps go as the view holds them, texts in UTF-8 and escaped, the panel's caption beside
// them; a browser gets them again only after the view's revision moved.
TEST(FeedEncoder, LapsMessageCarriesTheViewAndMovesOnlyWithItsRevision) {
    panel::PanelModel model;
    model.SetMenuCaption(panel::Menu::WebDashboard, "Tauler \"web\"");
    laps::LapsView view{.title = "Voltes",
                        .columns = {"Volta",
                                    "Temp (\xB0"
                                    "C)"},
                        .rows = {{{"1", "1:23,4\t"}, true, false}, {{"2", "\\"}, false, true}},
                        .figures = {{"Consum", ""}},
                        .plots = {{"Temps (s)",
                                   {"FL", ""},
                                   {{83.4, 0}, {std::numeric_limits<double>::infinity()}}}},
                        .revision = 7};
    FeedEncoder encoder(model, DashboardLook{}, &view);
    EXPECT_EQ(encoder.Laps().value_or(""),
              R"j({"type":"laps","rev":7,"title":"Voltes","panelCaption":"Tauler \"web\"",)j"
              R"j("columns":["Volta","Temp ()j"
              "\xC2\xB0"
              R"j(C)"],)j"
              R"j("rows":[{"cells":["1","1:23,4\t"],"best":true,"pit":false},)j"
              R"j({"cells":["2","\\"],"best":false,"pit":true}],)j"
              R"j("figures":[{"caption":"Consum","value":""}],)j"
              R"j("plots":[{"caption":"Temps (s)","series":["FL",""],)j"
              R"j("values":[[83.4,0],[null]]}]})j");

    EXPECT_FALSE(encoder.LapsMoved()) << "a browser that opens the feed gets Laps itself";
    view.rows.push_back({{"3", "1:22,0"}, true, false});
    EXPECT_FALSE(encoder.LapsMoved()) << "nothing until the revision moves";
    ++view.revision;
    EXPECT_EQ(encoder.LapsMoved(), encoder.Laps());
    EXPECT_FALSE(encoder.LapsMoved());
    ++view.revision;
    encoder.SkipToNow();
    EXPECT_FALSE(encoder.LapsMoved());

    FeedEncoder withoutLaps(model, DashboardLook{});
    EXPECT_FALSE(withoutLaps.Laps() || withoutLaps.LapsMoved());
}

TEST(BrowserPacing, SkipsABrowserThatFallsBehindThenCatchesItUpOrDropsIt) {
    using namespace std::chrono_literals;
    const PacingLimits limits{100, 20, 1000, 500ms};
    struct Step {
        std::size_t backlog;
        bool haveDelta;
        std::chrono::milliseconds at;
        FeedStep expected;
    };
    const std::vector<std::vector<Step>> scripts = {
        // Keeps up: every delta goes out; without changes nothing does.
        {{0, true, 0ms, FeedStep::SendDelta},
         {100, true, 10ms, FeedStep::SendDelta},
         {50, false, 20ms, FeedStep::Nothing}},
        // Falls behind, skips even with changes, then gets the whole state once drained.
        {{101, true, 0ms, FeedStep::Nothing},
         {90, true, 10ms, FeedStep::Nothing},
         {21, false, 400ms, FeedStep::Nothing},
         {20, false, 450ms, FeedStep::SendFull},
         {0, true, 460ms, FeedStep::SendDelta}},
        // Never drains: dropped once it has been behind longer than the limit.
        {{150, true, 0ms, FeedStep::Nothing},
         {150, true, 500ms, FeedStep::Nothing},
         {150, true, 501ms, FeedStep::Drop}},
        // Past the hard bound it is dropped at once, behind or not.
        {{1001, false, 0ms, FeedStep::Drop}},
    };
    const auto start = BrowserPacing::Clock::now();
    for (std::size_t s = 0; s < scripts.size(); ++s) {
        BrowserPacing pacing(limits);
        for (std::size_t i = 0; i < scripts[s].size(); ++i) {
            const Step& step = scripts[s][i];
            EXPECT_EQ(pacing.Next(step.backlog, step.haveDelta, start + step.at), step.expected)
                << "script " << s << " step " << i;
        }
    }
}

TEST(RequestPolicy, OnlyTheFixedResourcesAndTheFeedUpgradeAreServed) {
    struct Case {
        const char* method;
        const char* path;
        bool upgrade;
        Resource resource;
    };
    const Case cases[] = {
        {"GET", "/", false, Resource::Page},
        {"GET", "/dashboard.js", false, Resource::Script},
        {"GET", "/dashboard.css", false, Resource::Style},
        {"GET", "/picture/Image2", false, Resource::Picture},
        {"GET", "/feed", true, Resource::Feed},
        {"POST", "/", false, Resource::None},
        {"get", "/", false, Resource::None},
        {"GET", "//dashboard.js", false, Resource::None},
        {"GET", "/dashboard.js/", false, Resource::None},
        {"GET", "/../etc/passwd", false, Resource::None},
        {"GET", "/picture/List1", false, Resource::None},
        {"GET", "/picture/", false, Resource::None},
        {"GET", "", false, Resource::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RouteRequest(c.method, c.path, c.upgrade).resource, c.resource)
            << c.method << " " << c.path << (c.upgrade ? " (upgrade)" : "");
    }
    EXPECT_EQ(RouteRequest("GET", "/picture/Picture1", false).picture, Element::Picture1);
}

// A rebound DNS name, another site's page and a request that only looks like an upgrade reach
// nothing; this machine by any of its names does.
TEST(RequestPolicy, OnlyThisMachineByNameAndAProperUpgradeFromThePageItselfAreServed) {
    const MachineNames machine{"pitbox", {"127.0.0.1", "192.168.1.20", "::1", "fe80::1%eth0"}};
    struct Case {
        std::vector<std::string_view> hosts;
        const char* path;
        const char* upgrade;
        const char* connection;
        std::optional<std::string_view> origin;
        bool crlf;
        Answer answer;
        Resource resource = Resource::None;
    };
    const std::vector<std::string_view> local{"127.0.0.1:8099"};
    // clang-format off
    const Case cases[] = {
        {local, "/", "", "", {}, false, Answer::Serve, Resource::Page},
        {{"192.168.1.20"}, "/", "", "", {}, false, Answer::Serve, Resource::Page},
        {{"LOCALHOST:8099"}, "/", "", "", {}, false, Answer::Serve, Resource::Page},
        {{"localhost."}, "/", "", "", {}, false, Answer::Serve, Resource::Page},
        {{"PitBox:8099"}, "/", "", "", {}, false, Answer::Serve, Resource::Page},
        {{"pitbox.local:8099"}, "/", "", "", {}, false, Answer::Serve, Resource::Page},
        {{"[::1]:8099"}, "/", "", "", {}, false, Answer::Serve, Resource::Page},
        {{"[fe80::1]:8099"}, "/", "", "", {}, false, Answer::Serve, Resource::Page},
        {{"attacker.example:8099"}, "/", "", "", {}, false, Answer::BadRequest},
        {{"pitbox.attacker.example"}, "/", "", "", {}, false, Answer::BadRequest},
        {{"192.168.1.21:8099"}, "/", "", "", {}, false, Answer::BadRequest},
        {{"127.0.0.1:80x"}, "/", "", "", {}, false, Answer::BadRequest},
        {{"::1"}, "/", "", "", {}, false, Answer::BadRequest},
        {{}, "/", "", "", {}, false, Answer::BadRequest},
        {{"127.0.0.1", "127.0.0.1"}, "/", "", "", {}, false, Answer::BadRequest},
        {local, "/feed", "websocket", "Upgrade", {}, true, Answer::Serve, Resource::Feed},
        {local, "/feed", "WebSocket", "keep-alive, Upgrade", {}, true, Answer::Serve, Resource::Feed},
        {local, "/feed", "websocket", "", {}, true, Answer::BadRequest},
        {local, "/feed", "websocket", "keep-alive", {}, true, Answer::BadRequest},
        {local, "/feed", "websocket", "Upgrade", {}, false, Answer::BadRequest},
        {local, "/", "websocket", "", {}, true, Answer::BadRequest},
        {local, "/", "h2c", "Upgrade", {}, false, Answer::Serve, Resource::Page},
        {local, "/feed", "websocket", "Upgrade", "http://127.0.0.1:8099", true, Answer::Serve, Resource::Feed},
        {local, "/feed", "websocket", "Upgrade", "http://attacker.example", true, Answer::Forbidden},
        {local, "/feed", "websocket", "Upgrade", "null", true, Answer::Forbidden},
        {{"localhost:8099"}, "/feed", "websocket", "Upgrade", "http://127.0.0.1:8099", true, Answer::Forbidden},
        {local, "/feed", "", "", {}, false, Answer::NotFound},
        {local, "/", "websocket", "Upgrade", {}, true, Answer::NotFound},
    };
    // clang-format on
    for (const Case& c : cases) {
        RequestHead head{"GET", c.path, c.hosts, c.upgrade, c.connection, c.origin, c.crlf};
        const Decision d = DecideRequest(head, machine);
        EXPECT_EQ(d.answer, c.answer)
            << (c.hosts.empty() ? "(no host)" : c.hosts.front()) << " " << c.path << " "
            << c.upgrade << "/" << c.connection << " " << c.origin.value_or("(no origin)");
        EXPECT_EQ(d.route.resource, c.resource) << c.path;
    }
}

TEST(RequestPolicy, AddressesLeaveOutLoopbackUnspecifiedAndRepeats) {
    EXPECT_EQ(DashboardUrls(
                  {"127.0.0.1", "192.168.1.20", "0.0.0.0", "10.0.0.5", "192.168.1.20", "127.1.2.3"},
                  8099),
              (std::vector<std::string>{"http://192.168.1.20:8099/", "http://10.0.0.5:8099/"}));
}

}  // namespace
}  // namespace kerbview::web

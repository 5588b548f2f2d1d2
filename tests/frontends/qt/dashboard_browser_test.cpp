// SPDX-License-Identifier: MIT
// The whole program with the stand-in simulator and the web dashboard on, loaded by headless
// Chromium (driven over its DevTools protocol): the page shows what the panel model holds.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <cstdlib>
#include <sstream>

#include "app/app_fixture.h"
#include "core/text_encoding.h"
#include "frontends/qt/dashboard_host.h"
#include "frontends/qt/qt_front_end.h"
#include "frontends/qt/qt_test_helpers.h"
#include "laps/laps_view.h"
#include "panel/element_catalogue.h"
#include "panel/view_rules.h"

namespace kerbview::app {
namespace {

using panel::Element;
using testing::Spin;

// Headless Chromium showing one page, driven by its DevTools protocol over a pair of pipes
// (its descriptors 3 and 4), one JSON message after another, each ended by a NUL.
class Chromium {
public:
    Chromium(const QString& binary, const QString& profile) {
        int toBrowser[2] = {-1, -1}, fromBrowser[2] = {-1, -1};
        if (::pipe(toBrowser) != 0 || ::pipe(fromBrowser) != 0) return;
        m_process.setChildProcessModifier([toBrowser, fromBrowser] {
            // Moved out of the way first: either end may already be descriptor 3 or 4.
            const int in = ::fcntl(toBrowser[0], F_DUPFD, 10);
            const int out = ::fcntl(fromBrowser[1], F_DUPFD, 10);
            ::dup2(in, 3);
            ::dup2(out, 4);
        });
        m_process.setStandardErrorFile(QProcess::nullDevice());  // it complains of the D-Bus
        m_process.start(binary, {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                                 "--no-first-run", "--disable-background-networking",
                                 "--disable-component-update", "--disable-sync",
                                 "--user-data-dir=" + profile, "--remote-debugging-pipe"});
        ::close(toBrowser[0]);
        ::close(fromBrowser[1]);
        m_commands = toBrowser[1];
        m_answers = fromBrowser[0];
        ::fcntl(m_answers, F_SETFL, ::fcntl(m_answers, F_GETFL) | O_NONBLOCK);
    }
    ~Chromium() {
        m_process.terminate();
        m_process.waitForFinished();
        if (m_commands >= 0) ::close(m_commands);
        if (m_answers >= 0) ::close(m_answers);
    }
    // Opens url in a page of a phone's size held sideways; false without a DevTools session.
    bool Open(const QString& url) {
        const QJsonValue target = Call("Target.createTarget", {{"url", "about:blank"}})["targetId"];
        m_session =
            Call("Target.attachToTarget", {{"targetId", target}, {"flatten", true}})["sessionId"]
                .toString();
        Call("Emulation.setDeviceMetricsOverride",
             {{"width", 915}, {"height", 412}, {"deviceScaleFactor", 2}, {"mobile", true}});
        Call("Page.navigate", {{"url", url}});
        return !m_session.isEmpty();
    }
    QJsonValue Evaluate(const QString& script) {
        return Call("Runtime.evaluate", {{"expression", script}, {"returnByValue", true}})["result"]
            .toObject()["value"];
    }

private:
    // The result of one command; empty after an error or 20 s without an answer. The program's
    // event loop runs meanwhile, as the dashboard lives in it.
    QJsonObject Call(const QString& method, const QJsonObject& params) {
        QJsonObject command{{"id", ++m_id}, {"method", method}, {"params", params}};
        if (!m_session.isEmpty()) command["sessionId"] = m_session;
        const QByteArray bytes = QJsonDocument(command).toJson(QJsonDocument::Compact) + '\0';
        if (m_commands < 0 || ::write(m_commands, bytes.constData(), bytes.size()) != bytes.size())
            return {};
        Spin([&] { return Read(); }, 20000);
        return m_result.value(m_id).toObject();
    }
    // Takes what the browser wrote; true once the answer to the last command is in.
    bool Read() {
        char chunk[65536];
        for (ssize_t n; (n = ::read(m_answers, chunk, sizeof chunk)) > 0;)
            m_pending.append(chunk, n);
        for (qsizetype end; (end = m_pending.indexOf('\0')) >= 0; m_pending.remove(0, end + 1)) {
            const QJsonObject message = QJsonDocument::fromJson(m_pending.left(end)).object();
            if (message.contains("id")) m_result[message["id"].toInt()] = message["result"];
        }
        return m_result.contains(m_id);
    }

    QProcess m_process;
    int m_commands = -1, m_answers = -1;
    QByteArray m_pending;
    QMap<int, QJsonValue> m_result;
    int m_id = 0;
    QString m_session;
};

// What the page shows of every element, by name; a bar's fill is a share of its width times a
// share of its height, whichever way it fills.
constexpr const char* kShown = R"(JSON.stringify(Object.fromEntries(
  [...document.querySelectorAll('[data-name]')].map((e) => {
    const s = getComputedStyle(e), l = e.querySelector('.label') || e, f = e.querySelector('.fill');
    return [e.dataset.name, { text: l.textContent, back: s.backgroundColor, colour: s.color,
      hidden: e.classList.contains('hidden'), width: e.naturalWidth || 0,
      fill: f ? f.offsetWidth / e.clientWidth * (f.offsetHeight / e.clientHeight) : 0 }]; }))))";

// Each row of the laps table: its cells, then the weight and opacity it is drawn with.
constexpr const char* kLapRows = R"(JSON.stringify([...document.querySelectorAll(
  '#lapTable tbody tr')].map((r) => [...r.cells].map((c) => c.textContent).join(' ') + ' ' +
  getComputedStyle(r.cells[0]).fontWeight + ' ' + getComputedStyle(r.cells[0]).opacity)))";
// Pixels of the first plot drawn in its first line's colour (the caption and axes are grey).
constexpr const char* kLinePixels = R"((() => {
  const c = document.querySelector('#plots canvas');
  const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
  let n = 0;
  for (let i = 0; i < d.length; i += 4) if (d[i + 2] > 200 && d[i] < 120 && d[i + 3]) ++n;
  return n; })())";

// The dashboard serving the test's lap history in place of the program's.
class WithLaps final : public web::DashboardService {
public:
    WithLaps(web::DashboardService& inner, const laps::LapsView& laps)
        : m_inner(inner), m_laps(laps) {}
    bool Serve(const panel::PanelModel& model, core::ColourNumber colour, std::uint16_t port,
               const laps::LapsView*) override {
        return m_inner.Serve(model, colour, port, &m_laps);
    }
    void Stop() override { m_inner.Stop(); }
    bool Serving() const override { return m_inner.Serving(); }
    std::uint16_t Port() const override { return m_inner.Port(); }
    web::ServeFailure Failure() const override { return m_inner.Failure(); }
    std::vector<std::string> Addresses() const override { return m_inner.Addresses(); }

private:
    web::DashboardService& m_inner;
    const laps::LapsView& m_laps;
};

QString Css(core::ColourNumber c, const web::DashboardLook& look) {
    if (c == panel::kSystemWindowText) c = look.windowText;
    if (c == panel::kSystemHighlight) c = look.highlight;
    if (!panel::IsPlainColour(c)) return QStringLiteral("rgba(0, 0, 0, 0)");
    return QStringLiteral("rgb(%1, %2, %3)").arg(c & 0xFF).arg((c >> 8) & 0xFF).arg(c >> 16);
}

TEST(DashboardBrowser, PhoneSizedPageShowsThePanelModelsTextsColoursAndPictures) {
    const char* chromium = "/usr/bin/chromium";
    if (::access(chromium, X_OK) != 0) GTEST_SKIP() << "no browser at " << chromium;
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "the stand-in simulator needs an X display";

    // A car picture file (its content decides its format) and the dashboard on a free port.
    testing::ProgramFolder folder;
    QImage car(100, 160, QImage::Format_RGB32);
    car.fill(Qt::darkGreen);
    ASSERT_TRUE(car.save(QString::fromStdString((folder.Path() / "CarSkin.gif").string()), "PNG"));
    const quint16 port = testing::FreePort();
    folder.Write("Kerbview.ini",
                 "[Opcions]\r\nScanTime=10\r\nIdioma=English\r\n[Web]\r\nEnabled=1\r\nPort=" +
                     std::to_string(port) + "\r\n");

    QProcess standin;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));  // its window goes on the X display
    standin.setProcessEnvironment(environment);
    standin.start(QStringLiteral(KERBVIEW_SIM_STANDIN), {});
    ASSERT_TRUE(standin.waitForReadyRead(10000));

    net::test::FakeSocket server, client;
    std::ostringstream errors;
    web::DashboardOptions options;
    options.address = "127.0.0.1";
    qt::DashboardHost host;
    web::DashboardServer dashboardServer(host, options);
    laps::LapsView laps{.title = "Laps",
                        .columns = {"Lap", "Time", "Tyre (\260C)"},  // \260: the degree sign
                        .rows = {{{"1", "1:40.2", "80"}},
                                 {{"2", "1:38.5", "84"}, true, false},
                                 {{"3", "2:05.0", "83"}, false, true}},
                        .figures = {{"Fuel to add", "12.4 L"}},
                        .plots = {{"Lap time (s)", {""}, {{100.2, 98.5, 125.0}}}},
                        .revision = 1};
    WithLaps dashboard(dashboardServer, laps);
    Program program(folder.Path(), '.', telemetry::MakePlatform(), {server, client}, dashboard,
                    errors);
    qt::QtFrontEnd frontEnd(program);
    ASSERT_TRUE(program.Main(frontEnd));
    ASSERT_TRUE(dashboard.Serving()) << dashboard.Failure().error;
    const panel::PanelModel& model = program.Panel();
    ASSERT_TRUE(
        Spin([&] { return model[Element::Label1].text == program.Texts().TxtRunning; }, 20000))
        << "Label1: " << model[Element::Label1].text;

    Chromium browser(chromium, QString::fromStdString((folder.Path() / "profile").string()));
    ASSERT_TRUE(browser.Open(QStringLiteral("http://127.0.0.1:%1/").arg(port)));
    // Live values first, then the panel held still so the page can catch up with it.
    const auto pageRevision = [&]() -> std::uint64_t {
        return browser.Evaluate("+(document.getElementById('panel').dataset.rev || 0)").toInteger();
    };
    ASSERT_TRUE(Spin([&] { return pageRevision() > 0; }, 10000)) << "the page got no feed";
    frontEnd.SetTimerEnabled(false);
    ASSERT_TRUE(Spin([&] { return pageRevision() == model.Revision(); }, 5000));
    ASSERT_TRUE(Spin(
        [&] { return browser.Evaluate("[...document.images].every((i) => i.complete)").toBool(); },
        5000));

    const web::DashboardLook look =
        qt::PaletteLook(static_cast<core::ColourNumber>(program.Settings().BackgroundColor));
    const QJsonObject shown =
        QJsonDocument::fromJson(browser.Evaluate(kShown).toString().toUtf8()).object();
    EXPECT_EQ(shown.size(),
              static_cast<qsizetype>(panel::kElementCount - 1));  // List1 is never shown
    for (const panel::ElementInfo& info : panel::ElementCatalogue()) {
        const QJsonObject page =
            shown[QLatin1String(info.name.data(), info.name.size())].toObject();
        const panel::ElementState& s = model[info.element];
        const QString text = QString::fromStdString(core::Cp1252ToUtf8(s.text));
        using K = panel::ElementKind;
        const K kind = info.kind;
        if (kind == K::List) continue;
        QJsonObject want{{"hidden", !s.visible}};
        if (kind == K::TextField || kind == K::BarGauge || kind == K::Lamp) want["text"] = text;
        if (kind == K::TextField || kind == K::BarGauge || kind == K::WheelMarker) {
            want["back"] = Css(s.backColor, look);
        }
        if (kind == K::TextField) want["colour"] = Css(info.textColor, look);
        if (kind == K::Lamp)
            want["colour"] = Css(s.enabled ? look.lampText : look.lampDarkText, look);
        if (kind == K::BarGauge) {
            const double fill = panel::BarFillFraction(s.minvalue, s.maxvalue, s.value);
            EXPECT_NEAR(page["fill"].toDouble(), fill, 0.02) << info.name;
        }
        if (kind == K::Picture) {
            // The car picture loaded from its file, the logo drawn in, no background picture.
            const int width = info.element == Element::Image1     ? 100
                              : info.element == Element::Picture1 ? 200
                                                                  : 0;
            want = {{"hidden", width == 0 || !s.visible}, {"width", width}};
        }
        for (auto it = want.begin(); it != want.end(); ++it) {
            EXPECT_EQ(page[it.key()], it.value()) << info.name << " " << it.key().toStdString();
        }
    }
    // What a script makes of the element e of the given name.
    const auto of = [&](const char* name, const char* script) {
        return browser.Evaluate(
            QStringLiteral("((e) => %2)(document.querySelector('[data-name=\"%1\"]'))")
                .arg(QLatin1String(name), QLatin1String(script)));
    };
    // Captions of one kind at one size, though "Water" needs a smaller one than "Oil".
    const char* fontSize = "getComputedStyle(e).fontSize";
    EXPECT_EQ(of("Label19", fontSize).toString(), of("Label20", fontSize).toString());

    // The laps view, one click away: the table as the view holds it (best lap bold, pit lap
    // dimmed, texts in UTF-8), the switch named in the program's texts, the plot drawn; a new
    // lap reaches it once the view's revision moves.
    const auto evaluate = [&](const char* script) {
        return browser.Evaluate(script).toString().toStdString();
    };
    EXPECT_EQ(evaluate("document.getElementById('panelTab').textContent"), "Web dashboard");
    browser.Evaluate("document.getElementById('lapsTab').click()");
    EXPECT_EQ(evaluate("document.querySelector('#lapTable th:last-child').textContent"),
              "Tyre (\302\260C)");
    EXPECT_EQ(evaluate(kLapRows),
              R"(["1 1:40.2 80 400 1","2 1:38.5 84 700 1","3 2:05.0 83 400 0.5"])");
    EXPECT_GT(browser.Evaluate(kLinePixels).toInt(), 50) << "the lap times' line";
    laps.rows.push_back({{"4", "1:38.9", "85"}});
    for (auto& line : laps.plots[0].values) line.push_back(98.9);
    ++laps.revision;
    const char* lapCount = "String(document.querySelectorAll('#lapTable tbody tr').length)";
    EXPECT_TRUE(Spin([&] { return evaluate(lapCount) == "4"; }, 5000));

    // The simulator goes: once the program marks the values old, the page draws the readings
    // fainter and leaves the status texts and captions as they are.
    standin.write("close\n");
    frontEnd.SetTimerEnabled(true);
    ASSERT_TRUE(Spin([&] { return model.Stale(); }, 10000));
    frontEnd.SetTimerEnabled(false);
    ASSERT_TRUE(Spin([&] { return pageRevision() == model.Revision(); }, 5000));
    // The opacity an element is drawn with: its own and its enclosing elements' together.
    const char* opacity =
        "{ let o = 1; for (; e; e = e.parentElement) o *= getComputedStyle(e).opacity; return o; }";
    for (const char* name : {"Label2", "Label30", "Command1(6)", "ProgressBar3", "Shape1"}) {
        EXPECT_NEAR(of(name, opacity).toDouble(), 0.4, 1e-6) << name;
    }
    for (const char* name : {"Label1", "Label15", "Label19", "Image1"}) {
        EXPECT_EQ(of(name, opacity).toDouble(), 1.0) << name;
    }
    EXPECT_FALSE(model[Element::Label30].text.empty()) << "the values stay";

    standin.closeWriteChannel();
    standin.waitForFinished(3000);
}

}  // namespace
}  // namespace kerbview::app

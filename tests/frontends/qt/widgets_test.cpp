// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <array>
#include <functional>

#include "app/app_fixture.h"
#include "core/colours.h"
#include "core/text_encoding.h"
#include "frontends/qt/bar_gauge.h"
#include "frontends/qt/element_text.h"
#include "frontends/qt/main_window.h"
#include "frontends/qt/panel_view.h"
#include "frontends/qt/qt_front_end.h"
#include "frontends/qt/qt_test_helpers.h"
#include "panel/element_catalogue.h"
#include "panel/text_fitting.h"

namespace kerbview::app {
namespace {

using panel::Element;
using testing::ProgramFolder;
using testing::SpinFor;

TEST(BarGauge, FillsFromTheStartOfItsOrientation) {
    QImage image(20, 100, QImage::Format_RGB32);
    QPainter painter(&image);
    qt::GaugeLook look{Qt::Vertical, 0, 100, 30, Qt::black, Qt::red};  // 30 of 0..100
    qt::PaintBarGauge(painter, QRectF(image.rect()), look, 0, QFont(), {});
    painter.end();
    EXPECT_EQ(image.pixelColor(10, 90), QColor(Qt::red));    // bottom filled
    EXPECT_EQ(image.pixelColor(10, 20), QColor(Qt::black));  // top empty
}

// A panel on the screen (Qt's offscreen one), with its first frame painted.
struct ShownPanel {
    ShownPanel() {
        view.resize(panel::kDesignClientWidth / 15, panel::kDesignClientHeight / 15);
        view.show();
        SpinFor(50);
    }
    // Lets the next frame come: it is at most one refresh period away.
    void NextFrame() { SpinFor(static_cast<int>(view.FrameIntervalMs()) + 30); }
    panel::PanelModel model;
    qt::PanelView view{model};
};

// What changed since the view last looked is the model's (PanelModel::ChangedSince), how long a
// change waits the pacing rule's (panel::FrameWaitMs); here the view keeps to them: only the
// places of the changed elements, in one frame, and a change just after it with the next, once.
TEST(PanelView, ChangesArePaintedWhereTheyAreWithTheNextFrameOnce) {
    ShownPanel panel;
    qt::PanelView& view = panel.view;
    panel.model.SetText(Element::Label37, "1.0");
    panel.model.SetEnabled(panel::Lamp(1), false);
    panel.model.SetValue(panel::Bar(3), 4200);
    EXPECT_EQ(view.Sync(), 3);
    const int frames = view.FramesPainted();
    ASSERT_TRUE(testing::Spin([&] { return view.FramesPainted() != frames; }, 500));
    EXPECT_EQ(view.LastFrameRegion(), QRegion(view.ElementRect(Element::Label37)) +
                                          view.ElementRect(panel::Lamp(1)) +
                                          view.ElementRect(panel::Bar(3)));
    panel.model.SetText(Element::Label16, "last");
    view.Sync();
    panel.NextFrame();
    panel.NextFrame();
    EXPECT_EQ(view.FramesPainted(), frames + 2);
    EXPECT_TRUE(view.LastFrameRegion().contains(view.ElementRect(Element::Label16)));
}

// Old readings are drawn fainter in their own colours, and only they: the status texts and the
// captions stay as they are, and the live panel comes back exactly.
TEST(PanelView, StaleReadingsAreDrawnFadedAndNothingElse) {
    ShownPanel panel;
    panel.view.SetPanelColour(core::Rgb(0, 0, 0));  // BackgroundColor's default
    panel::PanelModel& model = panel.model;
    model.SetText(Element::Label1, "RACE07 RUNNING");
    model.SetText(Element::Label19, "Agua");  // its place meets the water figure's by a pixel
    model.SetText(Element::Label2, "101");
    model.SetBackColor(Element::Label2, core::ColorHot);
    model.SetValue(panel::Bar(3), 60);
    panel.view.Sync();
    panel.NextFrame();
    const QImage live = panel.view.grab().toImage();
    model.SetStale(true);
    EXPECT_GT(panel.view.Sync(), 0);
    panel.NextFrame();
    const QImage stale = panel.view.grab().toImage();
    // Captions and status texts stay as they are; the edge of a place may meet a reading's.
    for (Element e : {Element::Label1, Element::Label19}) {
        const QRect inside = panel.view.ElementRect(e).adjusted(1, 1, -1, -1);
        EXPECT_TRUE(live.copy(inside) == stale.copy(inside)) << panel::Info(e).name;
    }
    for (Element e : {Element::Label2, panel::Lamp(1), panel::Bar(3), panel::Marker(1)}) {
        const QRect r = panel.view.ElementRect(e);
        EXPECT_NE(live.copy(r), stale.copy(r)) << panel::Info(e).name;
    }
    // The threshold colour stays recognisable: the same hue, darker.
    const QPoint corner = panel.view.ElementRect(Element::Label2).topLeft() + QPoint(1, 1);
    const QColor hot = live.pixelColor(corner), faded = stale.pixelColor(corner);
    EXPECT_EQ(faded.hue(), hot.hue());
    EXPECT_LT(faded.lightness(), hot.lightness() * 3 / 4);

    model.SetStale(false);
    panel.view.Sync();
    panel.NextFrame();
    EXPECT_EQ(panel.view.grab().toImage(), live);
}

// Every text fits its place with the room its kind keeps free beside it (so that figures in
// adjacent fields never run together); captions of one kind are drawn at one size, the layout's
// own while all of them fit (English), the largest at which all fit otherwise (Spanish, Dutch).
TEST(PanelView, TextsFitAtTheInitialSizeAndCaptionsOfOneKindAlike) {
    const Element captions[] = {Element::Label19, Element::Label20, Element::Label29,
                                Element::Label31, Element::Label33};
    const std::array<const char*, 5> languages[] = {
        {"Water", "Oil", "Lap", "Lap Times", "Liters last lap"},
        {"Agua", "Aceite", "Vuelta", "Tiempos vuelta", "Liters / Laatste Ronde"}};
    for (const auto& language : languages) {
        panel::PanelModel model;
        qt::PanelView view(model);
        // The longest texts each kind of field shows.
        model.SetText(Element::Label1, "RACE07 NICHT GESTARTET");
        model.SetText(Element::Label2, "100");
        model.SetText(Element::Label24, "220.5");
        model.SetText(Element::Label37, "100.0");
        model.SetText(Element::Label14, "24");
        model.SetText(panel::Lamp(1), "Begrenzer");
        model.SetText(panel::Lamp(6), "INIETTORI");
        for (std::size_t i = 0; i < language.size(); ++i) model.SetText(captions[i], language[i]);
        view.Sync();
        using K = panel::ElementKind;
        for (const panel::ElementInfo& info : panel::ElementCatalogue()) {
            if (info.kind != K::TextField && info.kind != K::Lamp) continue;
            const QString text = QString::fromUtf8(core::Cp1252ToUtf8(model[info.element].text));
            const QFont font = view.ElementFont(info.element);
            const QRect place = view.ElementRect(info.element);
            const QFontMetrics fm(font);
            const int wanted = panel::PointsToPixels(info.font.pointSize);
            EXPECT_LE(fm.horizontalAdvance(text) + 2 * panel::TextMargin(info.element, wanted),
                      place.width())
                << info.name.data();
            EXPECT_LE(fm.height(), place.height()) << info.name.data();
            EXPECT_GE(font.pixelSize(), 9) << info.name.data() << " unreadably small";
        }
        const auto px = [&](Element e) { return view.ElementFont(e).pixelSize(); };
        SCOPED_TRACE(language[0]);
        EXPECT_EQ(px(Element::Label19), px(Element::Label20));
        EXPECT_EQ(px(Element::Label29), px(Element::Label31));
        EXPECT_EQ(px(Element::Label29), px(Element::Label33));
        // The layout's 15.75 points are 21 pixels: kept where every caption of the kind fits.
        EXPECT_EQ(px(Element::Label29) == 21, language[0] == std::string("Water"));
    }
}

TEST(ElementText, FiguresArePlacedWhereTheShaperPutsThem) {
    // Read-outs in the panel's display font and the gauges' font (whose figures kern: "11"); "\272"
    // is the ordinal indicator of "490\272C" in Windows-1252.
    const panel::FontInfo fonts[] = {{"Bombardier", 15.75, false}, {"Arial", 12, true}};
    qt::FigureStepsCache steps;
    const auto drawn = [](const std::function<void(QPainter&)>& draw) {
        QImage image(160, 60, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setPen(Qt::black);
        draw(painter);
        painter.end();
        return image;
    };
    for (const panel::FontInfo& listed : fonts) {
        for (int px : {11, 16, 21, 32}) {
            for (const char* text :
                 {"1111", "71.1", "-10:11", "0.0", "1 47", "204kPA", "490\272C", "30PSI"}) {
                SCOPED_TRACE(std::string(listed.family) + " " + std::to_string(px) + " " + text);
                qt::ElementText placed;
                placed.Prepare(text, qt::ResolveFont(listed), px, QSize(400, 80), 0, false, &steps);
                EXPECT_TRUE(placed.PlacedFromSteps());
                EXPECT_EQ(drawn([&](QPainter& p) { placed.Draw(p, QPointF(10, 5)); }),
                          drawn([&](QPainter& p) {
                              p.setFont(placed.Font());
                              p.drawText(QRectF(10, 5, 150, 55), Qt::AlignLeft | Qt::AlignTop,
                                         QString::fromLatin1(text));
                          }));
                EXPECT_EQ(
                    placed.Size().width(),
                    QFontMetricsF(placed.Font()).horizontalAdvance(QString::fromLatin1(text)));
            }
        }
    }
}

// Broken files are rejected silently; a car driven again after its picture file was replaced
// shows the new picture, not a cached one.
TEST(PanelView, BrokenPicturesAreRejectedAndAReplacedFileShowsItsNewContent) {
    ProgramFolder folder;
    const QString path = QString::fromStdString(folder.File("car.png"));
    ShownPanel panel;
    qt::PanelView& view = panel.view;
    const QPoint middle = view.ElementRect(Element::Image1).center();
    for (const QColor colour : {QColor(Qt::blue), QColor(Qt::red)}) {
        QImage image(30, 20, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(path));
        ASSERT_TRUE(view.DecodePicture(Element::Image1, path.toStdString()));
        panel.model.SetPicture(Element::Image1, path.toStdString());
        view.Sync();
        EXPECT_EQ(view.grab().toImage().pixelColor(middle), colour);
    }
    const std::string good = folder.Read("car.png");
    folder.Write("empty.jpg", "");
    folder.Write("truncated.png", good.substr(0, good.size() / 2));
    folder.Write("text.gif", "not a picture at all");
    for (const char* name : {"missing.gif", "empty.jpg", "truncated.png", "text.gif"}) {
        EXPECT_FALSE(view.DecodePicture(Element::Image1, folder.File(name))) << name;
    }
}

// The whole start-up through the Qt front end, offscreen.
struct QtRig : testing::ProgramRig {
    explicit QtRig(std::string_view ini) : ProgramRig(ini) {
        if (!program.Main(frontEnd)) throw std::runtime_error("start-up failed");
    }
    ~QtRig() { Window().Timer1().stop(); }
    qt::Kerbview_Form& Window() { return *frontEnd.MainWindow(); }
    qt::QtFrontEnd frontEnd{program};
};

TEST(QtFrontEnd, MainWindowMenusAndTheWindowsTheyOpen) {
    QtRig rig("[Administrar]\r\nAdministrar=1\r\n[Opcions]\r\nScanTime=150\r\n");
    const auto item = [&](panel::Menu m) { return rig.Window().MenuAction(m); };
    EXPECT_TRUE(item(panel::Menu::TS_150)->isChecked());
    EXPECT_EQ(item(panel::Menu::Conexio)->text(), QStringLiteral("Conexi\u00F3n"));
    // A click on a checked scan-time item keeps it checked: the program owns the mark.
    item(panel::Menu::TS_150)->trigger();
    EXPECT_TRUE(item(panel::Menu::TS_150)->isChecked());
    item(panel::Menu::TS_1000)->trigger();
    SpinFor(20);
    EXPECT_FALSE(item(panel::Menu::TS_150)->isChecked());
    EXPECT_EQ(rig.Window().Timer1().interval(), 1000);
    // The recording item sits in the connection menu beside the dashboard's, checked by the
    // program's switch.
    item(panel::Menu::RecordStints)->trigger();
    SpinFor(20);
    EXPECT_TRUE(item(panel::Menu::RecordStints)->isChecked());
    EXPECT_EQ(item(panel::Menu::RecordStints)->parent(), item(panel::Menu::WebDashboard)->parent());
    // The dashboard's item opens the window with the address to type and its code to scan.
    item(panel::Menu::WebDashboard)->trigger();
    ASSERT_NE(rig.frontEnd.DashboardWindow(), nullptr);
    EXPECT_FALSE(rig.frontEnd.DashboardWindow()->Code()->pixmap().isNull());

    qt::AdminWindow* admin = rig.frontEnd.AdminWindow();
    ASSERT_NE(admin, nullptr);
    EXPECT_TRUE(admin->Option1(0)->isChecked());
    admin->Option1(1)->click();
    EXPECT_EQ(rig.program.DriverSelectMode(), 1);

    // The Laps window draws the program's view; the race dialog keeps a refused value on screen
    // and closes on an accepted one. (Side windows close with the main window: the errors test.)
    item(panel::Menu::Laps)->trigger();
    QPointer<qt::LapsWindow> laps = rig.frontEnd.LapsWindow();
    ASSERT_TRUE(laps && laps->isVisible());
    EXPECT_EQ(laps->windowTitle(), QStringLiteral("Vueltas"));
    EXPECT_EQ(laps->Table()->columnCount(), 14);
    EXPECT_EQ(laps->Table()->horizontalHeaderItem(3)->text(),
              QStringLiteral("Combustible en meta (L)"));

    item(panel::Menu::RaceSettings)->trigger();
    QPointer<qt::RaceDialog> race = rig.frontEnd.RaceDialog();
    ASSERT_TRUE(race && race->isVisible());
    auto* length = race->findChild<QLineEdit*>(QStringLiteral("RaceLength"));
    auto* ok = race->findChild<QPushButton*>(QStringLiteral("RaceOk"));
    ASSERT_TRUE(length && ok);
    length->setText(QStringLiteral("2.5"));  // laps are whole
    ok->click();
    EXPECT_TRUE(race->isVisible());
    length->setText(QStringLiteral("30"));
    ok->click();
    EXPECT_FALSE(race->isVisible());
    EXPECT_EQ(rig.program.Settings().RaceLength, 30);

    // An open about window is brought to the front as it is, also after a language change; the
    // next opening reads the new texts. A fixed-size box, made for one size: no maximize button.
    item(panel::Menu::AcercaDe)->trigger();
    qt::AboutWindow* about = rig.frontEnd.AboutWindow();
    ASSERT_NE(about, nullptr);
    item(panel::Menu::English)->trigger();
    item(panel::Menu::AcercaDe)->trigger();
    EXPECT_EQ(rig.frontEnd.AboutWindow(), about);
    EXPECT_EQ(about->windowTitle(), QStringLiteral("Acerca de Kerbview"));
    about->cmdOK()->click();
    item(panel::Menu::AcercaDe)->trigger();
    const qt::AboutWindow* next = rig.frontEnd.AboutWindow();
    ASSERT_TRUE(next != nullptr && next != about);
    EXPECT_EQ(next->windowTitle(), QStringLiteral("About Kerbview"));
    EXPECT_EQ(next->minimumSize(), next->maximumSize());
    EXPECT_FALSE(next->windowFlags() & Qt::WindowMaximizeButtonHint);
    // Side windows are placed by the placement rule, in frame coordinates (the offscreen
    // platform draws 2-pixel frames).
    SpinFor(20);
    const QRect frame = next->frameGeometry(), m = rig.Window().frameGeometry();
    const QRect area = next->screen()->availableGeometry();
    const panel::DesktopPoint placed = panel::SideWindowPosition(
        panel::SidePlace::Centred, {m.x(), m.y(), m.width(), m.height()}, frame.width(),
        frame.height(), {area.x(), area.y(), area.width(), area.height()});
    EXPECT_EQ(frame.topLeft(), QPoint(static_cast<int>(placed.x), static_cast<int>(placed.y)));
}

// Errors are reported from inside a scan tick, where nothing may wait: the message box neither
// blocks nor stacks, and the debug window shows a reported error; side windows close with the
// main window.
TEST(QtFrontEnd, ErrorsAreShownWithoutWaitingAndCloseWithTheMainWindow) {
    // An imperial brake threshold of 30000 does not fit 16 bits: Canvia_Unitats fails at load.
    QtRig rig(
        "[Opcions]\r\nUnitats=Imperial\r\n[MaxMin]\r\nMaxFrens=30000\r\n[Depurar]\r\n"
        "Depurar=1\r\n[Administrar]\r\nAdministrar=1\r\n");
    QPointer<qt::DebugWindow> debug = rig.frontEnd.DebugWindow();
    QPointer<qt::AdminWindow> admin = rig.frontEnd.AdminWindow();
    ASSERT_TRUE(debug && admin && debug->isVisible() && admin->isVisible());
    EXPECT_EQ(debug->windowTitle(), QStringLiteral("Depurar"));
    EXPECT_EQ(debug->Label(3)->text(), QStringLiteral("."));
    EXPECT_EQ(debug->Label(21)->text(),
              QStringLiteral("Kerbview has generated an error in the module Canvia_Unitats"));

    rig.frontEnd.ShowMessage("Imposible abrir el proceso", "refused");
    QPointer<QMessageBox> box = rig.frontEnd.Message();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowModality(), Qt::NonModal);
    EXPECT_EQ(box->text(), QStringLiteral("Imposible abrir el proceso\nrefused"));
    rig.frontEnd.ShowMessage("Imposible abrir el proceso", "refused");
    EXPECT_EQ(rig.frontEnd.Message(), box.data());
    box->close();  // closed, not yet deleted: the message opens again
    rig.frontEnd.ShowMessage("Imposible abrir el proceso", "refused");
    EXPECT_NE(rig.frontEnd.Message(), box.data());

    rig.Window().close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(debug.isNull() && admin.isNull()) << "side windows are closed and deleted";
    EXPECT_FALSE(rig.Window().Timer1().isActive());
}

// Without ticks (as a client's panel, written from socket events), changes reach the screen too.
TEST(QtFrontEnd, ChangesOutsideTicksAreDrawnAndResizingKeepsTheRatioOnTheScreen) {
    QtRig rig("[Opcions]\r\nScanTime=0\r\n");
    qt::Kerbview_Form& main = rig.Window();
    qt::PanelView& view = main.View();
    main.show();
    SpinFor(50);
    const int frames = view.FramesPainted();
    rig.program.Panel().SetText(Element::Label30, "BMW 320si WTCC");
    SpinFor(static_cast<int>(view.FrameIntervalMs()) + 30);
    EXPECT_EQ(view.FramesPainted(), frames + 1);

    // The height follows the width in the opening ratio, and the panel scales with it.
    const QRect label = view.ElementRect(Element::Label37);
    main.resize(main.width() * 11 / 10, main.height());
    SpinFor(20);
    const QSize wider = main.size();
    const double ratio = rig.program.Layout().AspectRatio;
    EXPECT_NEAR(static_cast<double>(wider.width()) / wider.height(), ratio, 0.01);
    const QRect scaled = view.ElementRect(Element::Label37);
    EXPECT_NEAR(scaled.left(), label.left() * view.width() / (panel::kDesignClientWidth / 15.0),
                1.0);
    EXPECT_GT(scaled.height(), label.height());

    // Wider than the screen: both sides shrink to fit it, in the same ratio.
    const QSize screen = main.screen()->availableGeometry().size();
    main.resize(screen.width() * 2, main.height());
    SpinFor(20);
    EXPECT_TRUE(main.width() <= screen.width() && main.height() <= screen.height());
    EXPECT_NEAR(static_cast<double>(main.width()) / main.height(), ratio, 0.01);

    // Leaving the maximized state gives back the normal size and place.
    main.resize(wider);
    SpinFor(20);
    const QRect normal = main.geometry();
    main.showMaximized();
    SpinFor(20);
    main.showNormal();
    SpinFor(20);
    EXPECT_EQ(main.geometry(), normal);
}

}  // namespace
}  // namespace kerbview::app

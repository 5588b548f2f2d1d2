// SPDX-License-Identifier: MIT
#include "frontends/qt/qt_front_end.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWindow>
#include <functional>

#include "core/path_text.h"
#include "frontends/qt/qt_text.h"
#include "panel/element_catalogue.h"

namespace kerbview::qt {
namespace {

panel::DesktopRect Rect(const QRect& r) { return {r.left(), r.top(), r.width(), r.height()}; }

// The decorations the window system puts around a top-level window: its own once it is framed,
// else those of the main window (most likely alike), else none.
QMargins FrameMargins(const QWidget& window, const QWidget& main) {
    for (const QWidget* w : {&window, &main}) {
        const QWindow* handle = w->windowHandle();
        if (handle != nullptr && handle->isVisible() && !handle->frameMargins().isNull()) {
            return handle->frameMargins();
        }
    }
    return {};
}

// Places a side window once more when the window system first shows it: only then are its
// decorations and final size known (a window shown right after the main window, at start-up,
// may be placed before either is framed).
class PlaceWhenShown : public QObject {
public:
    PlaceWhenShown(QWindow* window, std::function<void()> place)
        : QObject(window), m_place(std::move(place)) {
        window->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            m_place();
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_place;
};

void Raise(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

// A side window that is open: a closed one is already on its way to deletion.
template <class W>
bool IsOpen(const QPointer<W>& window) {
    return window && window->isVisible();
}

}  // namespace

void ShowStartFailure(const std::string& reason, const std::string& settingsFile) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Kerbview"),
                    QString::fromStdString(reason) + QStringLiteral("\n\n") +
                        QString::fromStdString(settingsFile),
                    QMessageBox::Ok);
    box.exec();
}

QtFrontEnd::QtFrontEnd(app::Program& program) : m_program(program) {}

void QtFrontEnd::Place(QWidget* window, panel::SidePlace place) {
    if (!window->testAttribute(Qt::WA_Resized)) window->adjustSize();
    const QMargins margins = FrameMargins(*window, *m_main);
    const QRect main = m_main->frameGeometry();
    // The debug window keeps clear of an open Admin window.
    QRect anchor = main;
    if (window == m_debug && IsOpen(m_admin)) anchor |= m_admin->frameGeometry();
    const QScreen* screen = QGuiApplication::screenAt(main.center());
    if (screen == nullptr) screen = m_main->screen();
    const QSize outer = window->size().grownBy(margins);
    const panel::DesktopPoint at = panel::SideWindowPosition(
        place, Rect(anchor), outer.width(), outer.height(), Rect(screen->availableGeometry()));
    // The client area's place, so that no toolkit or window manager reads it as the frame's.
    window->setGeometry(QRect(
        QPoint(static_cast<int>(at.x) + margins.left(), static_cast<int>(at.y) + margins.top()),
        window->size()));
}

template <class W>
W* QtFrontEnd::OpenSide(W* window, panel::SidePlace place) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &QtFrontEnd::shutdown, window, &QWidget::close);
    Place(window, place);
    window->show();
    new PlaceWhenShown(window->windowHandle(), [this, side = QPointer<QWidget>(window), place] {
        if (side && m_main) Place(side, place);
    });
    return window;
}

QtFrontEnd::~QtFrontEnd() {
    m_program.Panel().SetChangeListener({});
    m_program.Debug().SetChangeListener({});
}

void QtFrontEnd::CreateMainWindow() {
    m_main = std::make_unique<Kerbview_Form>(m_program);
    // Lay the hidden window out now, so its load sees the client area it will open with.
    m_main->layout()->activate();
    m_program.Panel().SetChangeListener([this] { ScheduleSync(); });
    m_program.Debug().SetChangeListener([this] { ScheduleSync(); });
}

void QtFrontEnd::ScheduleSync() {
    QTimer::singleShot(0, m_main.get(), [this] { SyncViews(); });
}

void QtFrontEnd::SyncViews() {
    // Marked first: a change made while the views catch up schedules the next round.
    m_program.Panel().MarkSynced();
    m_program.Debug().MarkSynced();
    m_main->View().Sync();
    m_main->SyncMenus();
    if (m_debug) m_debug->Sync();
}

void QtFrontEnd::SetBackgroundColour(core::ColourNumber colour) {
    m_main->View().SetPanelColour(colour);
}

panel::DesktopRect QtFrontEnd::Desktop() {
    QRect all;
    for (const QScreen* screen : QGuiApplication::screens()) all = all.united(screen->geometry());
    return panel::VirtualDesktopUnits(Rect(all), TwipsPerPixel(), TwipsPerPixel());
}

double QtFrontEnd::TwipsPerPixel() { return panel::PixelsToTwips(1); }

app::WindowSize QtFrontEnd::MainWindowSize() {
    // As in the resize handler: the size inside the decorations (see Kerbview_Form).
    const QSize outer = m_main->size();
    const QSize client = m_main->View().size();
    using panel::PixelsToTwips;
    return {PixelsToTwips(outer.width()), PixelsToTwips(outer.height()),
            PixelsToTwips(client.width()), PixelsToTwips(client.height())};
}

void QtFrontEnd::MoveMainWindow(std::int32_t left, std::int32_t top) {
    m_main->move(panel::TwipsToPixels(left), panel::TwipsToPixels(top));
}

float QtFrontEnd::MainWindowLeft() { return static_cast<float>(panel::PixelsToTwips(m_main->x())); }
float QtFrontEnd::MainWindowTop() { return static_cast<float>(panel::PixelsToTwips(m_main->y())); }

bool QtFrontEnd::DecodePicture(panel::Element e, const std::string& path) {
    return m_main->View().DecodePicture(e, path);
}

void QtFrontEnd::SetTimerInterval(int milliseconds) {
    m_interval = milliseconds;
    QTimer& timer = m_main->Timer1();
    if (milliseconds <= 0) {
        timer.stop();
    } else {
        timer.start(milliseconds);
    }
}

void QtFrontEnd::SetTimerEnabled(bool enabled) {
    QTimer& timer = m_main->Timer1();
    if (enabled && m_interval > 0) {
        timer.start(m_interval);
    } else {
        timer.stop();
    }
}

void QtFrontEnd::ShowMainWindow() {
    SyncViews();
    m_main->show();
}

void QtFrontEnd::ShowAdminWindow(const app::AdminTexts& texts) {
    if (!IsOpen(m_admin)) {
        m_admin = OpenSide(
            new qt::AdminWindow(
                texts, [this](int index) { m_program.Option1_Click(index); }, m_main.get()),
            panel::SidePlace::Beside);
    }
    m_admin->Open();
}

void QtFrontEnd::ShowDebugWindow(const std::string& title) {
    if (!m_debug) {
        m_debug = OpenSide(new qt::DebugWindow(title, m_program.Debug(), m_main.get()),
                           panel::SidePlace::Beside);
    }
    m_debug->Sync();
    m_debug->show();
}

// An open about window is brought to the front as it is; the next opening shows the texts it
// is given then.
void QtFrontEnd::ShowAbout(const app::AboutTexts& texts) {
    if (IsOpen(m_about)) {
        Raise(m_about);
        return;
    }
    m_about = OpenSide(new qt::AboutWindow(texts, m_main.get()), panel::SidePlace::Centred);
}

// A dialog already open is brought to the front with what was typed in it.
void QtFrontEnd::ShowIntroPort(const net::IntroTexts& texts, const std::string& port) {
    if (!IsOpen(m_introPort)) {
        m_introPort = OpenSide(
            new Intro_Port(
                texts, port,
                [this](std::string_view text2) { return m_program.IntroPortAccept(text2); },
                m_main.get()),
            panel::SidePlace::Centred);
    }
    Raise(m_introPort);
}

void QtFrontEnd::ShowIntroIP(const net::IntroTexts& texts, const std::string& ip,
                             const std::string& port) {
    if (!IsOpen(m_introIp)) {
        m_introIp = OpenSide(new Intro_IP(
                                 texts, ip, port,
                                 [this](std::string_view text1, std::string_view text2) {
                                     return m_program.IntroIpAccept(text1, text2);
                                 },
                                 m_main.get()),
                             panel::SidePlace::Centred);
    }
    Raise(m_introIp);
}

void QtFrontEnd::ShowMessage(const std::string& line1, const std::string& line2) {
    if (m_messages.Show(line1, line2) == app::MessageBoxes::Action::Raise && m_message) {
        Raise(m_message);
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Critical, QStringLiteral("Kerbview"),
                                FromCp1252(m_messages.Text()), QMessageBox::Ok, m_main.get());
    box->setWindowModality(Qt::NonModal);
    connect(box, &QDialog::finished, box, [this, box] {
        if (box == m_message) m_messages.Closed();
    });
    m_message = OpenSide(box, panel::SidePlace::Centred);
}

void QtFrontEnd::ShowDashboardWindow(const app::DashboardWindowTexts& texts) {
    CloseDashboardWindow();
    m_dashboardWindow =
        OpenSide(new qt::DashboardWindow(texts.title, texts.urls, texts.problem, m_main.get()),
                 panel::SidePlace::Centred);
}

void QtFrontEnd::CloseDashboardWindow() {
    if (m_dashboardWindow) m_dashboardWindow->close();
}

// Shown without waiting, as every side window: the scan goes on while a file is chosen.
void QtFrontEnd::ChooseRecording(const std::string& title) {
    if (IsOpen(m_chooser)) {
        Raise(m_chooser);
        return;
    }
    auto* chooser = new QFileDialog(m_main.get(), FromCp1252(title));
    chooser->setFileMode(QFileDialog::ExistingFile);
    chooser->setOption(QFileDialog::DontUseNativeDialog);
    connect(chooser, &QFileDialog::fileSelected, this, [this](const QString& file) {
        m_program.StartReplay(core::PathFromUtf8(file.toStdString()));
    });
    m_chooser = OpenSide(chooser, panel::SidePlace::Centred);
}

// The system's choosers wait in a loop of their own; the scan goes on meanwhile. The file type
// chosen for the output decides the layout.
void QtFrontEnd::ChooseExport(const std::string& title, const std::string& motecCsv) {
    const QString caption = FromCp1252(title);
    const QString recording =
        QFileDialog::getOpenFileName(m_main.get(), caption, {}, QStringLiteral("*.kvrec"), nullptr,
                                     QFileDialog::DontUseNativeDialog);
    if (recording.isEmpty()) return;
    const QString csv = QStringLiteral("CSV (*.csv)");
    const QString motec = FromCp1252(motecCsv) + QStringLiteral(" (*.csv)");
    QString type = csv;
    const QString out =
        QFileDialog::getSaveFileName(m_main.get(), caption, {}, csv + QStringLiteral(";;") + motec,
                                     &type, QFileDialog::DontUseNativeDialog);
    if (out.isEmpty()) return;
    m_program.ExportRecording(core::PathFromUtf8(recording.toStdString()),
                              core::PathFromUtf8(out.toStdString()), type == motec);
}

void QtFrontEnd::ShowLapsWindow() {
    if (!IsOpen(m_laps)) {
        m_laps = OpenSide(
            new qt::LapsWindow(
                m_program.Laps(), m_program.Texts().TxtExportCsv,
                [this](const std::filesystem::path& csv) { return m_program.ExportLaps(csv); },
                m_main.get()),
            panel::SidePlace::Beside);
    }
    Raise(m_laps);
}

void QtFrontEnd::LapsChanged() {
    if (IsOpen(m_laps)) m_laps->Redraw(m_program.Laps());
}

// One already open keeps what was typed, as the address dialogs do.
void QtFrontEnd::ShowRaceDialog(const app::RaceDialogTexts& texts,
                                const app::RaceDialogValues& values) {
    if (!IsOpen(m_race)) {
        m_race = OpenSide(new qt::RaceDialog(
                              texts, values,
                              [this](const app::RaceDialogValues& typed) {
                                  return m_program.RaceDialogAccept(typed);
                              },
                              m_main.get()),
                          panel::SidePlace::Centred);
    }
    Raise(m_race);
}

void QtFrontEnd::CloseMainWindow() { m_main->close(); }

void QtFrontEnd::Quit() {
    emit shutdown();
    QApplication::quit();
}

}  // namespace kerbview::qt

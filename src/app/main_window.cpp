// SPDX-License-Identifier: MIT
#include "app/main_window.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QResizeEvent>
#include <QScreen>
#include <cmath>

#include "core/text_encoding.h"
#include "panel/element_catalogue.h"
#include "ui/qt/open_url.h"

namespace kerbview::app {
namespace {

QString FromCp1252(const std::string& text) { return QString::fromUtf8(core::Cp1252ToUtf8(text)); }

// The panel's pixels are device-independent: 15 twips each, whatever the screen's density.
constexpr double kTwips = panel::kTwipsPerPixel;

int ToPixels(double twips) { return static_cast<int>(std::lround(twips / kTwips)); }

}  // namespace

Kerbview_Form::Kerbview_Form(Program& program, QWidget* parent)
    : QMainWindow(parent), m_program(program) {
    setObjectName(QStringLiteral("Kerbview_Form"));
    setWindowTitle(QStringLiteral("Kerbview"));
    m_view = new panel::qt::PanelView(program.Panel(), this);
    m_view->SetLogoClicked([] { ui::qt::OpenURL(std::string(ui::qt::kCommunityWebSite), 1); });
    setCentralWidget(m_view);
    BuildMenus();
    SyncMenus();

    // Whatever handler changed the models (a tick, a menu, a socket event), the views catch up
    // before the event loop waits again; with nothing changed this costs two comparisons.
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &Kerbview_Form::SyncViews);
    }

    m_timer.setObjectName(QStringLiteral("Timer1"));
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_program.Tick();
        SyncViews();
    });

    // The client area of the initial layout, with the menu bar above it.
    resize(ToPixels(panel::kDesignClientWidth),
           ToPixels(panel::kDesignClientHeight) + menuBar()->sizeHint().height());
}

void Kerbview_Form::BuildMenus() {
    QMenu* current = nullptr;
    for (const panel::MenuInfo& info : panel::MenuCatalogue()) {
        QAction* action = nullptr;
        if (info.topLevel) {
            // A top-level item with no items under it (AcercaDe) is clicked directly.
            const bool hasItems = info.menu != panel::Menu::AcercaDe;
            if (hasItems) {
                current = menuBar()->addMenu(QString());
                action = current->menuAction();
            } else {
                action = menuBar()->addAction(QString());
            }
        } else if (info.separator) {
            action = current->addSeparator();
        } else {
            action = current->addAction(QString());
            action->setCheckable(info.checkable);
        }
        action->setObjectName(QString::fromLatin1(info.name.data(), info.name.size()));
        if (!info.separator && !(info.topLevel && info.menu != panel::Menu::AcercaDe)) {
            const panel::Menu item = info.menu;
            connect(action, &QAction::triggered, this, [this, item, action] {
                // The check mark belongs to the program, not to the click.
                if (action->isCheckable()) {
                    action->setChecked(m_program.Panel().menu(item).checked);
                }
                m_program.MenuClick(item);
                SyncViews();
            });
        }
        m_actions[static_cast<std::size_t>(info.menu)] = action;
    }
}

void Kerbview_Form::SyncMenus() {
    const panel::PanelModel& model = m_program.Panel();
    if (m_menusSynced && model.revision() == m_menusSeen) {
        return;
    }
    for (std::size_t i = 0; i < panel::kMenuCount; ++i) {
        const auto m = static_cast<panel::Menu>(i);
        const panel::MenuState& s = model.menu(m);
        QAction* action = m_actions[i];
        if (m_menusSynced && s.revision <= m_menusSeen) {
            continue;
        }
        if (const panel::MenuInfo& info = panel::Info(m); !info.separator) {
            // An unknown language leaves the captions empty; an empty menu title would vanish
            // from the menu bar and leave no way to choose a language, so the item's name
            // stands in on screen.
            action->setText(s.caption.empty() ? FromCp1252(std::string(info.name))
                                              : FromCp1252(s.caption));
        }
        action->setChecked(s.checked);
        action->setEnabled(s.enabled);
    }
    m_menusSeen = model.revision();
    m_menusSynced = true;
}

void Kerbview_Form::SyncViews() {
    m_view->Sync();
    SyncMenus();
    if (m_debugWindow) {
        m_debugWindow->Sync();
    }
}

void Kerbview_Form::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    const panel::WindowState state = isMinimized()   ? panel::WindowState::Minimized
                                     : isMaximized() ? panel::WindowState::Maximized
                                                     : panel::WindowState::Normal;
    // The window's size here is its size inside the decorations (menu bar included): the
    // window manager adds its frame only after the window is shown, so an outer size taken at
    // load would not match the sizes seen later, and the frame never changes the proportions.
    const panel::ResizeAction action = m_program.Resize(state, width() * kTwips, height() * kTwips);
    if (action.resizeTo) {
        resize(ToPixels(action.resizeTo->width), ToPixels(action.resizeTo->height));
    }
    if (action.scale) {
        const QSize client = m_view->size();
        m_program.ScaleElements(client.width() * kTwips, client.height() * kTwips,
                                [this](panel::Element e, const panel::ScaledGeometry& g) {
                                    m_view->Place(e, g.left, g.top, g.width, g.height, g.fontSize);
                                });
    }
}

void Kerbview_Form::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!m_unloaded) {
        m_unloaded = true;
        m_timer.stop();
        m_program.Unload();
    }
}

// ---- QtFrontEnd --------------------------------------------------------------------------

QtFrontEnd::QtFrontEnd(Program& program) : m_program(program) {}

QtFrontEnd::~QtFrontEnd() {
    if (m_about) {
        delete m_about.data();
    }
}

void QtFrontEnd::CreateMainWindow() {
    m_main = std::make_unique<Kerbview_Form>(m_program);
    // Lay the hidden window out now, so its load sees the client area it will open with.
    m_main->layout()->activate();
}

void QtFrontEnd::SetBackgroundColour(core::ColourNumber colour) {
    m_main->View().SetPanelColour(colour);
}

panel::DesktopRect QtFrontEnd::VirtualDesktopPixels() {
    QRect all;
    for (const QScreen* screen : QGuiApplication::screens()) {
        all = all.united(screen->geometry());
    }
    return {all.left(), all.top(), all.width(), all.height()};
}

double QtFrontEnd::TwipsPerPixelX() { return kTwips; }
double QtFrontEnd::TwipsPerPixelY() { return kTwips; }

WindowSize QtFrontEnd::MainWindowSize() {
    // As in the resize handler: the size inside the decorations (see Kerbview_Form).
    const QSize outer = m_main->size();
    const QSize client = m_main->View().size();
    return {outer.width() * kTwips, outer.height() * kTwips, client.width() * kTwips,
            client.height() * kTwips};
}

void QtFrontEnd::MoveMainWindow(std::int32_t left, std::int32_t top) {
    m_main->move(ToPixels(left), ToPixels(top));
}

float QtFrontEnd::MainWindowLeft() { return static_cast<float>(m_main->x() * kTwips); }
float QtFrontEnd::MainWindowTop() { return static_cast<float>(m_main->y() * kTwips); }

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
    m_main->SyncViews();
    m_main->show();
}

void QtFrontEnd::ShowAdminWindow() {
    if (!m_admin) {
        m_admin = std::make_unique<ui::qt::AdminWindow>(
            [this](int index) { m_program.Option1_Click(index); });
    }
    // Beside the main window.
    m_admin->move(m_main->frameGeometry().right() + 8, m_main->y());
    m_admin->Open();
}

void QtFrontEnd::ShowDebugWindow() {
    if (!m_debug) {
        m_debug = std::make_unique<ui::qt::DebugWindow>(m_program.Debug());
        m_main->SetDebugWindow(m_debug.get());
    }
    m_debug->Sync();
    m_debug->show();
}

void QtFrontEnd::ShowAbout() {
    // A closed window is on its way to deletion; the next opening reads the texts again.
    if (m_about && m_about->isVisible()) {
        m_about->raise();
        m_about->activateWindow();
        return;
    }
    const ui::LanguageTexts& t = m_program.Texts();
    m_about = new ui::qt::AboutWindow(t.TxtAboutTitle, t.TxtAboutDescription, t.TxtAboutCredit);
    m_about->CentreOn(*m_main);
    m_about->show();
}

void QtFrontEnd::ShowMessage(const std::string& line1, const std::string& line2) {
    QString text = FromCp1252(line1);
    if (!line2.empty()) {
        text += QLatin1Char('\n') + FromCp1252(line2);
    }
    QMessageBox::critical(m_main.get(), QStringLiteral("Kerbview"), text);
}

void QtFrontEnd::CloseMainWindow() { m_main->close(); }

void QtFrontEnd::Quit() {
    if (m_debug) {
        m_debug->close();
    }
    if (m_admin) {
        m_admin->close();
    }
    if (m_about) {
        m_about->close();
    }
    QApplication::quit();
}

}  // namespace kerbview::app

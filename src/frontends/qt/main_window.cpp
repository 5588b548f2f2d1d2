// SPDX-License-Identifier: MIT
#include "frontends/qt/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>

#include "app/front_end_rules.h"
#include "frontends/qt/open_url.h"
#include "frontends/qt/qt_text.h"
#include "panel/element_catalogue.h"

namespace kerbview::qt {

using panel::PixelsToTwips;
using panel::TwipsToPixels;

Kerbview_Form::Kerbview_Form(app::Program& program, QWidget* parent)
    : QMainWindow(parent), m_program(program) {
    setObjectName(QStringLiteral("Kerbview_Form"));
    setWindowTitle(QStringLiteral("Kerbview"));
    m_view = new PanelView(program.Panel(), this);
    m_view->SetLogoClicked([] { OpenURL(std::string(app::kCommunityWebSite), 1); });
    setCentralWidget(m_view);
    BuildMenus();
    SyncMenus();

    m_timer.setObjectName(QStringLiteral("Timer1"));
    connect(&m_timer, &QTimer::timeout, this, [this] { m_program.Tick(); });

    // The client area of the initial layout, with the menu bar above it.
    resize(TwipsToPixels(panel::kDesignClientWidth),
           TwipsToPixels(panel::kDesignClientHeight) + menuBar()->sizeHint().height());
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
                    action->setChecked(m_program.Panel().MenuAt(item).checked);
                }
                m_program.MenuClick(item);
            });
        }
        m_actions[static_cast<std::size_t>(info.menu)] = action;
    }
}

void Kerbview_Form::SyncMenus() {
    const panel::PanelModel& model = m_program.Panel();
    if (m_menusSynced && model.Revision() == m_menusSeen) return;
    const panel::PanelChanges changes = model.ChangedSince(m_menusSeen);
    for (std::size_t i = 0; i < panel::kMenuCount; ++i) {
        const auto m = static_cast<panel::Menu>(i);
        const panel::MenuState& s = model.MenuAt(m);
        if (m_menusSynced && !changes.menus[i]) continue;
        QAction* action = m_actions[i];
        if (!panel::Info(m).separator) action->setText(FromCp1252(s.caption));
        action->setChecked(s.checked);
        action->setEnabled(s.enabled);
    }
    m_menusSeen = model.Revision();
    m_menusSynced = true;
}

// The largest outer size (inside the decorations, as the resize handler measures) that the
// screen's available area leaves the window.
std::optional<panel::OuterSize> Kerbview_Form::AvailableOuterSize() const {
    const QScreen* s = screen();
    if (s == nullptr) return std::nullopt;
    const QSize area = s->availableGeometry().size();
    const QSize decorations = frameGeometry().size() - size();
    return panel::OuterSize{PixelsToTwips(area.width() - decorations.width()),
                            PixelsToTwips(area.height() - decorations.height())};
}

void Kerbview_Form::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    const panel::WindowState state = isMinimized()   ? panel::WindowState::Minimized
                                     : isMaximized() ? panel::WindowState::Maximized
                                                     : panel::WindowState::Normal;
    // The window's size here is its size inside the decorations (menu bar included): the
    // window manager adds its frame only after the window is shown, so an outer size taken at
    // load would not match the sizes seen later, and the frame never changes the proportions.
    const panel::ResizeAction action = m_program.Resize(
        state, PixelsToTwips(width()), PixelsToTwips(height()), AvailableOuterSize());
    if (action.resizeTo) {
        resize(TwipsToPixels(action.resizeTo->width), TwipsToPixels(action.resizeTo->height));
    }
    if (action.scale) {
        const QSize client = m_view->size();
        m_program.ScaleElements(PixelsToTwips(client.width()), PixelsToTwips(client.height()),
                                [this](panel::Element e, const panel::ScaledGeometry& g) {
                                    m_view->Place(e, g.left, g.top, g.width, g.height, g.fontSize);
                                });
    }
    RememberNormalGeometry();
}

void Kerbview_Form::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    RememberNormalGeometry();
}

void Kerbview_Form::RememberNormalGeometry() {
    if (isVisible() && windowState() == Qt::WindowNoState) m_normalGeometry = geometry();
}

void Kerbview_Form::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    const auto old = static_cast<QWindowStateChangeEvent*>(event)->oldState();
    // Leaving the maximized state gives back the size and place the window had before, not
    // whatever size the window system chooses.
    if ((old & Qt::WindowMaximized) && windowState() == Qt::WindowNoState &&
        m_normalGeometry.isValid()) {
        const QRect normal = m_normalGeometry;
        QTimer::singleShot(0, this, [this, normal] {
            if (windowState() == Qt::WindowNoState) setGeometry(normal);
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

}  // namespace kerbview::qt

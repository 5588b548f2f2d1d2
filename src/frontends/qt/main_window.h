// SPDX-License-Identifier: MIT
#pragma once

#include <QMainWindow>
#include <QRect>
#include <QTimer>
#include <array>
#include <cstdint>
#include <optional>

#include "app/program.h"
#include "frontends/qt/panel_view.h"

class QAction;

namespace kerbview::qt {

/// The main window Kerbview_Form: the panel, the menu bar built from the panel model's menus,
/// and the scan timer Timer1. Every handler forwards to the Program; what changed reaches the
/// screen through the front end's one refresh path.
class Kerbview_Form : public QMainWindow {
    Q_OBJECT

public:
    explicit Kerbview_Form(app::Program& program, QWidget* parent = nullptr);

    /// Shows the menu captions, check marks and enabled states that changed in the model.
    void SyncMenus();

    PanelView& View() { return *m_view; }
    QTimer& Timer1() { return m_timer; }
    QAction* MenuAction(panel::Menu m) const { return m_actions[static_cast<std::size_t>(m)]; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    std::optional<panel::OuterSize> AvailableOuterSize() const;
    void RememberNormalGeometry();

    app::Program& m_program;
    PanelView* m_view;
    QTimer m_timer;
    std::array<QAction*, panel::kMenuCount> m_actions{};
    std::uint64_t m_menusSeen = 0;
    bool m_menusSynced = false;
    // The geometry of the normal state, given back when the window leaves the maximized one.
    QRect m_normalGeometry;
    bool m_unloaded = false;
};

}  // namespace kerbview::qt

// SPDX-License-Identifier: MIT
#include "ui/qt/debug_window.h"

#include <QVBoxLayout>

#include "core/text_encoding.h"

namespace kerbview::ui::qt {

DebugWindow::DebugWindow(const panel::DebugModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(model) {
    setObjectName(QStringLiteral("Depuracio"));
    setWindowTitle(QStringLiteral("Depurar"));
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(2);
    const auto add = [&](int n, bool large) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("Label%1").arg(n));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        if (large) {
            label->setWordWrap(true);
            label->setMinimumHeight(40);
            label->setFrameShape(QFrame::Panel);
            label->setFrameShadow(QFrame::Sunken);
        }
        layout->addWidget(label);
        m_labels[static_cast<std::size_t>(n)] = label;
    };
    for (int n = 1; n <= 9; ++n) {
        add(n, false);
    }
    add(20, true);
    add(21, true);
    resize(360, 330);
    Sync();
}

void DebugWindow::Sync() {
    if (m_model.revision() == m_seen) {
        return;
    }
    m_seen = m_model.revision();
    for (std::size_t n = 1; n < m_labels.size(); ++n) {
        if (m_labels[n] != nullptr) {
            m_labels[n]->setText(
                QString::fromUtf8(core::Cp1252ToUtf8(m_model.label(static_cast<int>(n)))));
        }
    }
}

}  // namespace kerbview::ui::qt

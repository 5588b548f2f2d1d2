// SPDX-License-Identifier: MIT
#include "frontends/qt/debug_window.h"

#include <QVBoxLayout>

#include "frontends/qt/qt_text.h"

namespace kerbview::qt {

DebugWindow::DebugWindow(const std::string& title, const panel::DebugModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(model) {
    setObjectName(QStringLiteral("Depuracio"));
    setWindowTitle(FromCp1252(title));
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
    m_log = new QPlainTextEdit(this);
    m_log->setObjectName(QStringLiteral("Log"));
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(static_cast<int>(panel::DebugModel::kLogLines));
    layout->addWidget(m_log, 1);
    resize(420, 480);
    Sync();
}

void DebugWindow::Sync() {
    if (m_model.Revision() == m_seen) {
        return;
    }
    m_seen = m_model.Revision();
    for (std::size_t n = 1; n < m_labels.size(); ++n) {
        if (m_labels[n] != nullptr) {
            m_labels[n]->setText(FromCp1252(m_model.Label(static_cast<int>(n))));
        }
    }
    QStringList lines;
    for (const std::string& line : m_model.Log()) lines << QString::fromStdString(line);
    const QString text = lines.join(QLatin1Char('\n'));
    if (m_log->toPlainText() != text) {
        m_log->setPlainText(text);
        m_log->moveCursor(QTextCursor::End);
    }
}

}  // namespace kerbview::qt

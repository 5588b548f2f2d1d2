// SPDX-License-Identifier: MIT
#include "frontends/qt/admin_window.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "frontends/qt/qt_text.h"

namespace kerbview::qt {

AdminWindow::AdminWindow(const app::AdminTexts& texts, std::function<void(int)> onSelect,
                         QWidget* parent)
    : QWidget(parent, Qt::Window), m_onSelect(std::move(onSelect)) {
    setObjectName(QStringLiteral("Admin"));
    setWindowTitle(FromCp1252(texts.title));

    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* group = new QButtonGroup(this);
    auto* frameLayout = new QVBoxLayout(frame);
    for (int i = 0; i < 3; ++i) {
        auto* option =
            new QRadioButton(FromCp1252(texts.options[static_cast<std::size_t>(i)]), frame);
        option->setObjectName(QStringLiteral("Option1(%1)").arg(i));
        group->addButton(option, i);
        frameLayout->addWidget(option);
        m_options[static_cast<std::size_t>(i)] = option;
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int id) {
        if (m_onSelect) {
            m_onSelect(id);
        }
    });

    m_text1 = new QLineEdit(QStringLiteral("0"), this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    auto* plus = new QPushButton(QStringLiteral("+"), this);
    plus->setObjectName(QStringLiteral("Command1"));
    auto* minus = new QPushButton(QStringLiteral("-"), this);
    minus->setObjectName(QStringLiteral("Command2"));

    auto* row = new QHBoxLayout;
    row->addWidget(m_text1);
    row->addWidget(plus);
    row->addWidget(minus);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(row);
}

void AdminWindow::Open() {
    show();
    m_options[0]->click();
}

}  // namespace kerbview::qt

// SPDX-License-Identifier: MIT
#include "frontends/qt/laps_window.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "core/path_text.h"
#include "frontends/qt/qt_text.h"

namespace kerbview::qt {

LapsWindow::LapsWindow(const laps::LapsView& view, const std::string& exportCaption,
                       std::function<bool(const std::filesystem::path&)> exportLaps,
                       QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_exportLaps(std::move(exportLaps)),
      m_exportCaption(exportCaption),
      m_figures(new QGridLayout),
      m_table(new QTableWidget(this)) {
    setObjectName(QStringLiteral("LapsWindow"));
    m_table->setObjectName(QStringLiteral("LapsTable"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    auto* exportButton = new QPushButton(FromCp1252(exportCaption), this);
    exportButton->setObjectName(QStringLiteral("ExportLaps"));
    connect(exportButton, &QPushButton::clicked, this, &LapsWindow::Export);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exportButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(m_figures);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    Redraw(view);
    // Wide enough to show every column whole, within the screen.
    const QMargins margins = layout->contentsMargins();
    int width = m_table->horizontalHeader()->length() + 2 * m_table->frameWidth() +
                m_table->verticalScrollBar()->sizeHint().width() + margins.left() + margins.right();
    if (const QScreen* s = screen()) width = std::min(width, s->availableGeometry().width());
    resize(std::max(900, width), 420);
}

void LapsWindow::Redraw(const laps::LapsView& view) {
    if (m_drawn && view.revision == m_revision) return;
    m_drawn = true;
    m_revision = view.revision;
    setWindowTitle(FromCp1252(view.title));

    while (QLayoutItem* item = m_figures->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    // Two figures a line: caption and value side by side.
    for (std::size_t i = 0; i < view.figures.size(); ++i) {
        const int row = static_cast<int>(i / 2);
        const int column = static_cast<int>(i % 2) * 2;
        auto* caption = new QLabel(FromCp1252(view.figures[i].caption) + QStringLiteral(":"));
        auto* value = new QLabel(view.figures[i].value.empty() ? QStringLiteral("-")
                                                               : FromCp1252(view.figures[i].value));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_figures->addWidget(caption, row, column);
        m_figures->addWidget(value, row, column + 1);
    }

    m_table->setColumnCount(static_cast<int>(view.columns.size()));
    QStringList headers;
    for (const std::string& column : view.columns) headers << FromCp1252(column);
    m_table->setHorizontalHeaderLabels(headers);
    m_table->setRowCount(static_cast<int>(view.rows.size()));
    QFont bold = m_table->font();
    bold.setBold(true);
    const QBrush dimmed = palette().brush(QPalette::Disabled, QPalette::Text);
    for (int r = 0; r < static_cast<int>(view.rows.size()); ++r) {
        const laps::LapsView::Row& row = view.rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < static_cast<int>(row.cells.size()); ++c) {
            auto* item = new QTableWidgetItem(FromCp1252(row.cells[static_cast<std::size_t>(c)]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (row.best) item->setFont(bold);
            if (row.pit) item->setForeground(dimmed);
            m_table->setItem(r, c, item);
        }
    }
    m_table->resizeColumnsToContents();
    if (!view.rows.empty()) m_table->scrollToBottom();
}

void LapsWindow::Export() {
    const QString file = QFileDialog::getSaveFileName(
        this, FromCp1252(m_exportCaption), QStringLiteral("laps.csv"),
        QStringLiteral("CSV (*.csv)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (!file.isEmpty()) m_exportLaps(core::PathFromUtf8(file.toStdString()));
}

RaceDialog::RaceDialog(const app::RaceDialogTexts& texts, const app::RaceDialogValues& values,
                       std::function<app::RaceDialogOutcome(const app::RaceDialogValues&)> accept,
                       QWidget* parent)
    : QDialog(parent),
      m_texts(texts),
      m_accept(std::move(accept)),
      m_length(new QLineEdit(FromCp1252(values.length), this)),
      m_minutes(new QRadioButton(FromCp1252(texts.minutes), this)),
      m_reserve(new QLineEdit(FromCp1252(values.reserve), this)),
      m_tank(new QLineEdit(FromCp1252(values.tank), this)) {
    setObjectName(QStringLiteral("RaceDialog"));
    setModal(false);
    setWindowTitle(FromCp1252(texts.title));
    m_length->setObjectName(QStringLiteral("RaceLength"));
    m_minutes->setObjectName(QStringLiteral("RaceMinutes"));
    m_reserve->setObjectName(QStringLiteral("RaceReserve"));
    m_tank->setObjectName(QStringLiteral("RaceTank"));
    auto* laps = new QRadioButton(FromCp1252(texts.laps), this);
    laps->setObjectName(QStringLiteral("RaceLaps"));
    (values.minutes ? m_minutes : laps)->setChecked(true);
    auto* ok = new QPushButton(FromCp1252(texts.ok), this);
    ok->setObjectName(QStringLiteral("RaceOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &RaceDialog::Accept);

    auto* units = new QHBoxLayout;
    units->addWidget(laps);
    units->addWidget(m_minutes);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(FromCp1252(texts.length), this), 0, 0);
    grid->addWidget(m_length, 0, 1);
    grid->addLayout(units, 1, 1);
    grid->addWidget(new QLabel(FromCp1252(texts.reserve), this), 2, 0);
    grid->addWidget(m_reserve, 2, 1);
    grid->addWidget(new QLabel(FromCp1252(texts.tank), this), 3, 0);
    grid->addWidget(m_tank, 3, 1);
    grid->addWidget(ok, 4, 1);
    adjustSize();
}

void RaceDialog::Accept() {
    const app::RaceDialogValues typed{ToCp1252(m_length->text()), m_minutes->isChecked(),
                                      ToCp1252(m_reserve->text()), ToCp1252(m_tank->text())};
    if (m_accept(typed) == app::RaceDialogOutcome::Accepted) {
        close();
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Critical, QStringLiteral("Kerbview"),
                                FromCp1252(m_texts.bad), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace kerbview::qt

// SPDX-License-Identifier: MIT
#include "frontends/qt/about_window.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "app/front_end_rules.h"
#include "frontends/qt/open_url.h"
#include "frontends/qt/panel_pictures.h"
#include "frontends/qt/panel_view.h"
#include "frontends/qt/qt_text.h"
#include "panel/element_catalogue.h"

namespace kerbview::qt {
namespace {

// The logo Picture1; a click opens the community web site.
class Logo : public QWidget {
public:
    explicit Logo(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("Picture1"));
        setFixedSize(150, 77);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        PaintLogo(p, rect());
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            OpenURL(std::string(app::kCommunityWebSite), 1);
        }
    }
};

}  // namespace

AboutWindow::AboutWindow(const app::AboutTexts& texts, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("About_Kerbview"));
    setModal(false);
    setWindowTitle(FromCp1252(texts.title));

    m_title = new QLabel(FromCp1252(texts.name), this);
    m_title->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = ResolveFont({"Comic Sans MS", 18, true});
    titleFont.setPixelSize(24);
    m_title->setFont(titleFont);

    m_description = new QLabel(FromCp1252(texts.description), this);
    m_description->setObjectName(QStringLiteral("lblDescription"));
    m_description->setWordWrap(true);
    m_disclaimer = new QLabel(FromCp1252(texts.credit), this);
    m_disclaimer->setObjectName(QStringLiteral("lblDisclaimer"));

    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::close);

    auto* column = new QVBoxLayout;
    column->addWidget(m_title);
    column->addWidget(m_description);
    auto* top = new QHBoxLayout;
    top->addWidget(new Logo(this), 0, Qt::AlignTop);
    top->addLayout(column, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_disclaimer, 1);
    bottom->addWidget(m_ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(line);
    layout->addLayout(bottom);
    setMinimumWidth(460);
    // A fixed-size dialog: its layout is not made for other sizes, and it cannot be maximized.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setWindowFlags(windowFlags() & ~(Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint));
    adjustSize();
}

}  // namespace kerbview::qt

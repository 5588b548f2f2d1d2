// SPDX-License-Identifier: MIT
#include "frontends/qt/dashboard_pictures.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include "frontends/qt/panel_pictures.h"
#include "web/feed_encoder.h"

namespace kerbview::qt {
namespace {

QSize LargestSize(panel::Element e) {
    const web::PixelSize size = web::LargestPictureSize(e);
    return {size.width, size.height};
}

QImage Builtin(panel::Element e) {
    if (!web::HasBuiltinPicture(e)) return {};
    QImage image(LargestSize(e), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const QRectF frame(QPointF(0, 0), QSizeF(image.size()));
    if (e == panel::Element::Image1) {
        PaintCarTopView(painter, frame);
    } else {
        PaintLogo(painter, frame);
    }
    return image;
}

QImage FromFile(panel::Element e, const std::string& file) {
    QImageReader reader(QString::fromStdString(file));
    const QSize largest = LargestSize(e);
    const QSize size = reader.size();
    // Decoding straight to the smaller size keeps a huge photo from being held at full size.
    if (size.isValid() && (size.width() > largest.width() || size.height() > largest.height())) {
        reader.setScaledSize(size.scaled(largest, Qt::KeepAspectRatio));
    }
    return reader.read();
}

}  // namespace

std::pair<QByteArray, QByteArray> DashboardPictures::Encoded(panel::Element e,
                                                             const std::string& file) {
    const std::optional<std::size_t> slot = web::PictureSlot(e);
    if (!slot) return {};
    Entry& entry = m_entries[*slot];
    if (!entry.done || entry.file != file) {
        const QImage image = file.empty() ? Builtin(e) : FromFile(e, file);
        entry = Entry{true, file, {}, {}};
        if (!image.isNull()) {
            QBuffer buffer(&entry.body);
            buffer.open(QIODevice::WriteOnly);
            // A photograph compresses far better as JPEG; transparency needs PNG.
            const bool png = image.hasAlphaChannel();
            image.save(&buffer, png ? "PNG" : "JPEG", png ? -1 : 85);
            entry.type = png ? "image/png" : "image/jpeg";
        }
    }
    return {entry.body, entry.type};
}

}  // namespace kerbview::qt

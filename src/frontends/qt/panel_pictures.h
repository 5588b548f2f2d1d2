// SPDX-License-Identifier: MIT
#pragma once

#include <QPainter>
#include <QRectF>

/// The program's own built-in pictures, painted in code so they scale with their frame.
namespace kerbview::qt {

/// A neutral racing car seen from above, nose up, filling frame. Its four tyres sit where the
/// wheel markers Shape1..Shape4 lie over Image1 in the initial layout.
void PaintCarTopView(QPainter& painter, const QRectF& frame);

/// The Kerbview logo: the name over a red and white kerb stripe, filling frame.
void PaintLogo(QPainter& painter, const QRectF& frame);

}  // namespace kerbview::qt

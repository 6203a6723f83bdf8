#pragma once

#include <QPixmap>
#include <QRectF>
#include <QSize>

class QPainter;

/// The product's picture (About box, update wizard), drawn rather than shipped as a bitmap.
class ProductPicture final
{
public:
    static QPixmap render(QSize size);
    /// The rounded evening-sky panel both pictures stand on; leaves the pen off.
    static void paintBackground(QPainter& painter, const QRectF& area);
};

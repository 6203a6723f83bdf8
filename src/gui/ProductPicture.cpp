#include "gui/ProductPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

void ProductPicture::paintBackground(QPainter& painter, const QRectF& area)
{
    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0, QColor(0x1f, 0x4e, 0x8c));
    sky.setColorAt(1, QColor(0x6a, 0x2c, 0x91));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sky);
    painter.drawRoundedRect(area.adjusted(1, 1, -1, -1), 8, 8);
}

QPixmap ProductPicture::render(QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(0, 0, size.width(), size.height());

    paintBackground(painter, area);

    // A carnival tent: striped roof over a doorway.
    const qreal w = area.width(), h = area.height();
    const QPointF apex(w / 2, h * 0.18);
    const qreal eaves = h * 0.48, left = w * 0.12, right = w * 0.88;
    const int stripes = 6;
    for (int i = 0; i < stripes; ++i) {
        QPainterPath stripe;
        stripe.moveTo(apex);
        stripe.lineTo(left + (right - left) * i / stripes, eaves);
        stripe.lineTo(left + (right - left) * (i + 1) / stripes, eaves);
        stripe.closeSubpath();
        painter.setBrush(i % 2 ? QColor(0xff, 0xf4, 0xe0) : QColor(0xe5, 0x39, 0x35));
        painter.drawPath(stripe);
    }
    painter.setBrush(QColor(0xff, 0xf4, 0xe0));
    painter.drawRect(QRectF(left + w * 0.04, eaves, right - left - w * 0.08, h * 0.30));
    painter.setBrush(QColor(0xe5, 0x39, 0x35));
    painter.drawRect(QRectF(w * 0.42, eaves + h * 0.08, w * 0.16, h * 0.22));
    painter.setBrush(QColor(0xff, 0xc1, 0x07));
    painter.drawEllipse(QPointF(apex.x(), apex.y() - h * 0.04), w * 0.05, w * 0.05);

    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(qMax(10, int(h * 0.10)));
    painter.setFont(font);
    painter.drawText(QRectF(0, h * 0.80, w, h * 0.18), Qt::AlignCenter, QStringLiteral("Vorlix Pro"));
    return pixmap;
}

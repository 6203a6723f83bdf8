#include "gui/WizardPicture.h"

#include "gui/ProductPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {
const QColor kRed(0xe5, 0x39, 0x35);
const QColor kCream(0xff, 0xf4, 0xe0);
const QColor kGold(0xff, 0xc1, 0x07);

void drawTent(QPainter& painter, const QRectF& box)
{
    const QPointF apex(box.center().x(), box.top());
    const qreal eaves = box.top() + box.height() * 0.55;
    const int stripes = 6;
    for (int i = 0; i < stripes; ++i) {
        QPainterPath stripe;
        stripe.moveTo(apex);
        stripe.lineTo(box.left() + box.width() * i / stripes, eaves);
        stripe.lineTo(box.left() + box.width() * (i + 1) / stripes, eaves);
        stripe.closeSubpath();
        painter.setBrush(i % 2 ? kCream : kRed);
        painter.drawPath(stripe);
    }
    const qreal inset = box.width() * 0.06;
    painter.setBrush(kCream);
    painter.drawRect(QRectF(box.left() + inset, eaves, box.width() - 2 * inset, box.bottom() - eaves));
    painter.setBrush(kRed);
    const qreal door = box.width() * 0.2;
    painter.drawRect(QRectF(box.center().x() - door / 2, eaves + (box.bottom() - eaves) * 0.3, door,
                            (box.bottom() - eaves) * 0.7));
    painter.setBrush(kGold);
    painter.drawEllipse(QPointF(apex.x(), apex.y() - box.width() * 0.05), box.width() * 0.06,
                        box.width() * 0.06);
}

/// A gold arrow pointing down into an open tray.
void drawDownload(QPainter& painter, const QRectF& box)
{
    const qreal cx = box.center().x(), w = box.width(), h = box.height();
    QPainterPath arrow;
    arrow.moveTo(cx - w * 0.14, box.top());
    arrow.lineTo(cx + w * 0.14, box.top());
    arrow.lineTo(cx + w * 0.14, box.top() + h * 0.40);
    arrow.lineTo(cx + w * 0.30, box.top() + h * 0.40);
    arrow.lineTo(cx, box.top() + h * 0.72);
    arrow.lineTo(cx - w * 0.30, box.top() + h * 0.40);
    arrow.lineTo(cx - w * 0.14, box.top() + h * 0.40);
    arrow.closeSubpath();
    painter.setBrush(kGold);
    painter.drawPath(arrow);

    QPen tray(kCream, qMax(2.0, w * 0.06), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(tray);
    painter.setBrush(Qt::NoBrush);
    QPainterPath open;
    open.moveTo(box.left() + w * 0.08, box.top() + h * 0.66);
    open.lineTo(box.left() + w * 0.08, box.bottom());
    open.lineTo(box.right() - w * 0.08, box.bottom());
    open.lineTo(box.right() - w * 0.08, box.top() + h * 0.66);
    painter.drawPath(open);
    painter.setPen(Qt::NoPen);
}
} // namespace

QPixmap WizardPicture::render(QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width(), h = size.height();
    const QRectF area(0, 0, w, h);

    ProductPicture::paintBackground(painter, area);

    drawTent(painter, QRectF(w * 0.14, h * 0.20, w * 0.72, h * 0.28));
    drawDownload(painter, QRectF(w * 0.22, h * 0.54, w * 0.56, h * 0.26));

    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(qMax(10, int(w * 0.15)));
    painter.setFont(font);
    painter.drawText(QRectF(0, h * 0.04, w, h * 0.12), Qt::AlignCenter, QStringLiteral("Vorlix Pro"));
    font.setBold(false);
    font.setPixelSize(qMax(9, int(w * 0.11)));
    painter.setFont(font);
    painter.drawText(QRectF(0, h * 0.85, w, h * 0.10), Qt::AlignCenter, QStringLiteral("Update"));
    return pixmap;
}

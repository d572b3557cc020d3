#include "app/program_icon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace vts {

QImage programIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal m = size / 16.0;
        p.setBrush(QColor(0x2e, 0x6b, 0x4f));  // verdant green sheet
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(1 * m, 1 * m, 14 * m, 14 * m), 2 * m, 2 * m);
        p.setPen(QPen(QColor(0xf4, 0xf1, 0xe8), qMax(1.0, 0.8 * m)));
        for (int i = 1; i < 4; ++i) p.drawLine(QPointF(3 * m, (1 + 3.5 * i) * m), QPointF(13 * m, (1 + 3.5 * i) * m));
        p.drawLine(QPointF(6.5 * m, 3 * m), QPointF(6.5 * m, 13 * m));
    }
    return image;
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) icon.addPixmap(QPixmap::fromImage(programIconImage(size)));
    return icon;
}

}  // namespace vts

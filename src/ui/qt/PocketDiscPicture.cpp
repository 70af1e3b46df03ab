#include "ui/qt/PocketDiscPicture.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace dax {

PocketDiscPicture::PocketDiscPicture(QWidget* parent) : QWidget(parent) {
    setFixedSize(kWidth, kHeight);
}

void PocketDiscPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);

    // The holder: a tray cut to a pocket disc's shape, the disc resting in it.
    const QPointF centre(26, 32);
    const double radius = 19;
    p.setPen(QPen(Qt::darkGray, 1));
    p.setBrush(QColor(192, 192, 192));
    p.drawRoundedRect(QRectF(3, 9, 46, 46), 4, 4);

    // The pocket disc: a round disc trimmed flat at its sides, with its hole.
    QPainterPath disc;
    disc.addEllipse(centre, radius, radius);
    QPainterPath trimmed;
    trimmed.addRect(
        QRectF(centre.x() - radius, centre.y() - radius + 4, 2 * radius, 2 * radius - 8));
    p.setBrush(QColor(160, 200, 240));
    p.setPen(QPen(Qt::darkBlue, 1));
    p.drawPath(disc.intersected(trimmed));
    p.setBrush(Qt::white);
    p.drawEllipse(centre, 4, 4);

    // Reference marks: 0 straight up, 90 down to the right; their figures clear of the edges.
    p.setPen(QPen(Qt::red, 1.5));
    p.drawLine(QPointF(centre.x(), centre.y() - radius - 4),
               QPointF(centre.x(), centre.y() - radius + 3));
    const double a = qDegreesToRadians(45.0);
    const QPointF edge(centre.x() + radius * qCos(a), centre.y() + radius * qSin(a));
    p.drawLine(edge, QPointF(edge.x() + 6, edge.y() + 6));

    QFont font = p.font();
    font.setPixelSize(9);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRectF(centre.x() - 8, 1, 16, 8), Qt::AlignCenter, "0");
    p.drawText(QRectF(46, 46, 18, 10), Qt::AlignCenter, "90");
}

} // namespace dax

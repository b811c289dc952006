#include "app/TStateMarks.h"

#include <QPainter>
#include <QPixmap>

namespace {
QIcon draw(int mark)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (mark) {
    case TStateMarks::Off:
        p.setPen(QPen(QColor(90, 90, 90), 1.5));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        break;
    case TStateMarks::On:
        p.setPen(QPen(QColor(0, 110, 0), 1.5));
        p.setBrush(QColor(40, 170, 40));
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        p.setPen(QPen(Qt::white, 2));
        p.drawPolyline(QPolygonF({QPointF(5, 8), QPointF(7.5, 10.5), QPointF(11, 5.5)}));
        break;
    case TStateMarks::Unreachable:
        p.setPen(QPen(QColor(150, 150, 150), 1.5));
        p.setBrush(QColor(220, 220, 220));
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        p.setPen(QPen(QColor(180, 0, 0), 2));
        p.drawLine(QPointF(4.5, 11.5), QPointF(11.5, 4.5));
        break;
    default:
        break;
    }
    return QIcon(pixmap);
}
} // namespace

QIcon TStateMarks::icon(int mark)
{
    static const QIcon icons[] = {QIcon(), draw(Off), draw(On), draw(Unreachable)};
    return (mark >= Off && mark <= Unreachable) ? icons[mark] : icons[0];
}

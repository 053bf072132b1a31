#include "app/wizard/pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace dravik::wizard {

namespace {

QPixmap Transparent(int w, int h) {
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

}  // namespace

QIcon FolderIcon() {
    QPixmap pixmap = Transparent(16, 16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(128, 96, 0), 1));
    // The folder's back with its tab.
    p.setBrush(QColor(230, 190, 60));
    p.drawPolygon(QPolygonF({{1.5, 3.5}, {6.5, 3.5}, {8.5, 5.5}, {13.5, 5.5}, {13.5, 13.5}, {1.5, 13.5}}));
    // The open front, tilted.
    p.setBrush(QColor(255, 220, 100));
    p.drawPolygon(QPolygonF({{3.5, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {1.5, 13.5}}));
    return QIcon(pixmap);
}

QIcon ArrowIcon(ArrowDirection direction, int arrows) {
    QPixmap pixmap = Transparent(16, 16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 0, 0));
    const double width = arrows == 1 ? 7.0 : 6.0;
    const double start = arrows == 1 ? 4.5 : 2.0;
    for (int i = 0; i < arrows; ++i) {
        const double left = start + i * (width + 0.5);
        QPolygonF head = direction == ArrowDirection::Right
                             ? QPolygonF({{left, 2.0}, {left + width, 8.0}, {left, 14.0}})
                             : QPolygonF({{left + width, 2.0}, {left, 8.0}, {left + width, 14.0}});
        p.drawPolygon(head);
    }
    return QIcon(pixmap);
}

QPixmap TickPixmap() {
    QPixmap pixmap = Transparent(15, 15);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(255, 0, 0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    QPainterPath tick;
    tick.moveTo(2.0, 7.5);
    tick.lineTo(5.8, 11.5);
    tick.lineTo(13.0, 2.5);
    p.drawPath(tick);
    return pixmap;
}

}  // namespace dravik::wizard

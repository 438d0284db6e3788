#include "ui/print/ZorPreviewIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor Ink(48, 48, 48);
const QColor Accent(40, 100, 190);

// A triangle pointing left or right, in a 16 x 16 grid.
void Arrow(QPainter &p, double tipX, bool left)
{
    const double back = left ? tipX + 6 : tipX - 6;
    QPainterPath path;
    path.moveTo(tipX, 8);
    path.lineTo(back, 2.5);
    path.lineTo(back, 13.5);
    path.closeSubpath();
    p.fillPath(path, Accent);
}

void DrawPicture(QPainter &p, int picture)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (picture) {
    case 0: // first page: bar and arrow
        p.fillRect(QRectF(3, 2.5, 2, 11), Accent);
        Arrow(p, 6, true);
        break;
    case 1:
        Arrow(p, 5, true);
        break;
    case 2:
        Arrow(p, 11, false);
        break;
    case 3:
        Arrow(p, 10, false);
        p.fillRect(QRectF(11, 2.5, 2, 11), Accent);
        break;
    case 4: { // a sheet with a dotted inner rectangle
        p.setPen(QPen(Ink, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 1.5, 11, 13));
        QPen dots(Accent, 1, Qt::DotLine);
        p.setPen(dots);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(4.5, 3.5, 7, 9));
        break;
    }
    case 5: { // a vertical scroll bar with its thumb and a pointer
        p.setPen(QPen(Ink, 1));
        p.setBrush(QColor(230, 230, 230));
        p.drawRect(QRectF(3.5, 0.5, 6, 15));
        p.setBrush(Accent);
        p.drawRect(QRectF(3.5, 5.5, 6, 5));
        QPainterPath hand;
        hand.moveTo(9, 8);
        hand.lineTo(15, 5);
        hand.lineTo(15, 11);
        hand.closeSubpath();
        p.fillPath(hand, Ink);
        break;
    }
    case 6: { // a printer
        p.setPen(QPen(Ink, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5)); // paper going in
        p.setBrush(QColor(200, 200, 200));
        p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 10.5, 7, 4.5)); // paper coming out
        p.fillRect(QRectF(11.5, 8, 1.5, 1.5), Accent);
        break;
    }
    default:
        break;
    }
}

QPixmap Render(int picture, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.scale(size / 16.0, size / 16.0);
    DrawPicture(p, picture);
    return pm;
}

} // namespace

QIcon PreviewToolIcon(int picture)
{
    QIcon icon;
    icon.addPixmap(Render(picture, 16));
    icon.addPixmap(Render(picture, 32));
    return icon;
}

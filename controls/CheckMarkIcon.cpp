#include "controls/CheckMarkIcon.h"

#include <QPainter>
#include <QPainterPath>

TMarkKind MarkKind(const TCheckResult &result, bool typing)
{
    switch (result.State) {
    case TCheckState::Empty:
        return TMarkKind::None;
    case TCheckState::Incomplete:
        return typing ? TMarkKind::None : TMarkKind::Invalid;
    case TCheckState::Valid:
        return TMarkKind::Valid;
    case TCheckState::Invalid:
        return TMarkKind::Invalid;
    }
    return TMarkKind::None;
}

QImage CheckMarkImage(TMarkKind kind, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (kind == TMarkKind::None)
        return image;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    p.setPen(Qt::NoPen);
    p.setBrush(kind == TMarkKind::Valid ? QColor(0x2e, 0x7d, 0x32) : QColor(0xc6, 0x28, 0x28));
    p.drawEllipse(QRectF(0.5, 0.5, s - 1, s - 1));
    QPen pen(Qt::white, std::max(1.5, s / 7), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    if (kind == TMarkKind::Valid) {
        QPainterPath tick;
        tick.moveTo(s * 0.27, s * 0.52);
        tick.lineTo(s * 0.44, s * 0.69);
        tick.lineTo(s * 0.74, s * 0.34);
        p.drawPath(tick);
    } else {
        p.drawLine(QPointF(s * 0.33, s * 0.33), QPointF(s * 0.67, s * 0.67));
        p.drawLine(QPointF(s * 0.67, s * 0.33), QPointF(s * 0.33, s * 0.67));
    }
    return image;
}

QString CheckMarkToolTip(const TCheckResult &result)
{
    if (result.State == TCheckState::Valid)
        return QStringLiteral("Ispravno");
    return result.Reason;
}

QString CheckMarkAccessibleName(const QString &caption, TMarkKind kind)
{
    switch (kind) {
    case TMarkKind::None:
        return QString();
    case TMarkKind::Valid:
        return caption + QStringLiteral(": ispravno");
    case TMarkKind::Invalid:
        return caption + QStringLiteral(": neispravno");
    }
    return QString();
}

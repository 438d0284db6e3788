#include "ui/main/ProgramIcon.h"

#include <QFile>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>

namespace {

// A slip form: a white sheet with ruled lines and a green band.
void DrawFormSheet(QPainter &p, const QRectF &r)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 70, 40), r.width() / 32));
    p.setBrush(Qt::white);
    p.drawRoundedRect(r, r.width() / 12, r.width() / 12);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(46, 125, 50));
    p.drawRect(QRectF(r.left() + r.width() * 0.1, r.top() + r.height() * 0.12, r.width() * 0.8,
                      r.height() * 0.16));
    p.setPen(QPen(QColor(120, 120, 120), r.width() / 40));
    for (int i = 0; i < 3; ++i) {
        const qreal y = r.top() + r.height() * (0.45 + 0.15 * i);
        p.drawLine(QPointF(r.left() + r.width() * 0.12, y),
                   QPointF(r.right() - r.width() * (i == 2 ? 0.45 : 0.12), y));
    }
}

} // namespace

QIcon ProgramIcon()
{
    static const QIcon icon = [] {
        if (QFile::exists(QStringLiteral(":/icons/kordavina.png"))) {
            // Each size drawn for itself: small ones are not a blur of the big one.
            QIcon icon(QStringLiteral(":/icons/kordavina.png"));
            for (int size : {16, 22, 24, 32, 48, 64, 128}) {
                const QString file = QStringLiteral(":/icons/kordavina-%1.png").arg(size);
                if (QFile::exists(file))
                    icon.addFile(file, QSize(size, size));
            }
            return icon;
        }
        QIcon drawn;
        for (int size : {16, 32, 48, 64}) {
            QPixmap pixmap(size, size);
            pixmap.fill(Qt::transparent);
            QPainter p(&pixmap);
            DrawFormSheet(p, QRectF(1, size * 0.15, size - 2, size * 0.7));
            p.end();
            drawn.addPixmap(pixmap);
        }
        return drawn;
    }();
    return icon;
}

QPixmap SplashPixmap()
{
    if (QFile::exists(QStringLiteral(":/icons/splash.png")))
        return QPixmap(QStringLiteral(":/icons/splash.png"));
    QPixmap pixmap(450, 250);
    QPainter p(&pixmap);
    QLinearGradient g(0, 0, 0, 250);
    g.setColorAt(0, QColor(27, 94, 32));
    g.setColorAt(1, QColor(76, 175, 80));
    p.fillRect(pixmap.rect(), g);
    DrawFormSheet(p, QRectF(30, 60, 130, 90));
    p.setPen(Qt::white);
    QFont title(QStringLiteral("Liberation Sans"));
    title.setPixelSize(44);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRectF(180, 55, 260, 60), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Kordavina"));
    QFont line(QStringLiteral("Liberation Sans"));
    line.setPixelSize(16);
    p.setFont(line);
    p.drawText(QRectF(182, 115, 260, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Uplatnice: unos, čuvanje i štampa"));
    p.drawText(QRectF(182, 200, 260, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Verzija 3.3.2"));
    p.end();
    return pixmap;
}

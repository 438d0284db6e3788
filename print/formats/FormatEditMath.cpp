#include "print/formats/FormatEditMath.h"

#include "core/Conversions.h"
#include "core/Rounding.h"
#include "print/formats/FormatStore.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>

bool ValidFormatSize(double mm)
{
    return std::isfinite(mm) && mm >= MinFormatSize && mm <= MaxFormatSize;
}

float FineDragMm(float startMm, int deltaPx)
{
    // Whole tenths: float sums of 0.1 drift, and Formats.ini keeps tenths.
    const long long tenths = RoundHalfEven(static_cast<long double>(startMm) * 10) + deltaPx;
    return static_cast<float>(tenths / 10.0L);
}

float SnapToWholeMm(int px, int originPx, double dpi)
{
    return static_cast<float>(RoundHalfEven(PixelsToMm(px, originPx, dpi)));
}

std::optional<float> RightMarkWidth(float leftMm, float pointerMm)
{
    if (pointerMm > leftMm)
        return pointerMm - leftMm;
    return std::nullopt;
}

void ScalePositions(TFieldFormats &format, double factor)
{
    for (TFieldFormat &p : format.Positions) {
        p.Left = static_cast<float>(p.Left * factor);
        p.Top = static_cast<float>(p.Top * factor);
        p.Width = static_cast<float>(p.Width * factor);
    }
}

void MoveAll(TFieldFormats &format, float dx, float dy)
{
    for (TFieldFormat &p : format.Positions) {
        p.Left += dx;
        p.Top += dy;
    }
}

QList<int> FontGroup(int index)
{
    if (index < 0 || index >= PositionCount)
        return {};
    const QString key = QString::fromLatin1(DefaultPositions()[index].Key);
    const QChar last = key.back();
    if (last != u'1' && last != u'2' && last != u'3')
        return {index};
    const QString stem = key.chopped(1);
    QList<int> group;
    for (int i = 0; i < PositionCount; ++i) {
        const QString other = QString::fromLatin1(DefaultPositions()[i].Key);
        if (other.size() == key.size() && other.startsWith(stem) &&
            QStringLiteral("123").contains(other.back()))
            group.append(i);
    }
    return group;
}

bool SamePositions(const TFieldFormats &a, const TFieldFormats &b)
{
    if (PageSizeToText(a.Width) != PageSizeToText(b.Width) ||
        PageSizeToText(a.Height) != PageSizeToText(b.Height))
        return false;
    for (int i = 0; i < PositionCount; ++i)
        if (PositionToText(a.Positions[i]) != PositionToText(b.Positions[i]))
            return false;
    return true;
}

QList<TRulerTick> RulerTicks(double lengthMm, int originPx, double dpi)
{
    QList<TRulerTick> ticks;
    for (int n = 0; n < lengthMm; n += 10) {
        ticks.append({MmToPixels(originPx, float(n), dpi), 8, n});
        if (n + 5 < lengthMm)
            ticks.append({MmToPixels(originPx, float(n + 5), dpi), 5, std::nullopt});
    }
    return ticks;
}

TPanelLayout PanelLayout(double widthMm, double heightMm, double dpi, int textHeightW,
                         int textWidth999)
{
    TPanelLayout layout;
    const int width = MmToPixels(0, float(widthMm), dpi);
    const int height = MmToPixels(0, float(heightMm), dpi);
    const int left = textWidth999 + 11;
    const int top = textHeightW + 11;
    layout.Panel = QRect(left, top, width, height);
    layout.BoardSize = QSize(width + 2 * left, height + 2 * top);
    return layout;
}

QSize ScrollViewSize(QSize content, QSize available, int scrollBar)
{
    bool across = content.width() > available.width();
    bool down = content.height() > available.height();
    // A bar in one direction takes room from the other, which may then need one too.
    down = down || (across && content.height() + scrollBar > available.height());
    across = across || (down && content.width() + scrollBar > available.width());
    return QSize(std::min(content.width() + (down ? scrollBar : 0), available.width()),
                 std::min(content.height() + (across ? scrollBar : 0), available.height()));
}

namespace {

int Right(const QRect &r) // exclusive
{
    return r.x() + r.width();
}

int Bottom(const QRect &r) // exclusive
{
    return r.y() + r.height();
}

bool OverlapH(const QRect &a, const QRect &b)
{
    return a.x() < Right(b) && b.x() < Right(a);
}

bool OverlapV(const QRect &a, const QRect &b)
{
    return a.y() < Bottom(b) && b.y() < Bottom(a);
}

int CentredOn(const QRect &mark, int width)
{
    return mark.x() + mark.width() / 2 - width / 2;
}

} // namespace

TMarkLabelsOut PlaceMarkLabels(const TMarkLabelsIn &in)
{
    TMarkLabelsOut out;
    const int panelLeft = in.Panel.x();
    const int panelTop = in.Panel.y();

    out.Left = QRect(std::max(CentredOn(in.MarkLeft, in.Left.width()), panelLeft + 2), panelTop + 2,
                     in.Left.width(), in.Left.height());
    out.Width = QRect(std::max(CentredOn(in.MarkRight, in.Width.width()), Right(out.Left) + 1),
                      panelTop + 2, in.Width.width(), in.Width.height());

    out.Top = QRect(panelLeft + 2, 0, in.Top.width(), in.Top.height());
    const int wanted = in.MarkTop.y() + in.MarkTop.height() / 2 - in.Top.height() / 2;
    if (wanted < Bottom(out.Left) + 1 && OverlapH(out.Left, out.Top))
        out.Top.moveTop(Bottom(out.Left) + 1);
    else
        out.Top.moveTop(std::max(wanted, panelTop + 2));

    out.Font = QRect(in.Line.x(), std::max(in.Line.y() + 3, Bottom(out.Left) + 1), in.Font.width(),
                     in.Font.height());
    if (in.Line.x() < Right(out.Top) && OverlapV(out.Font, out.Top))
        out.Font.moveLeft(Right(out.Top) + 1);
    return out;
}

QString MmLabelText(float mm)
{
    // Tenths as Formats.ini keeps them (halves to even), so that the label
    // shows what "Snimi promjene" writes.
    const long long tenths = RoundHalfEven(static_cast<long double>(mm) * 10);
    return QLatin1Char(' ') + QLocale().toString(tenths / 10.0, 'f', 1) + QLatin1Char(' ');
}

QString FontLabelText(const TFieldFormat &position)
{
    QString text = position.FontName + QStringLiteral(", ") + QString::number(position.FontSize);
    const QString style = FontStyleToText(position.FontStyle);
    if (!style.isEmpty())
        text += QStringLiteral(", ") + style;
    return text;
}

int GridExtent(double mm)
{
    return RoundHalfEvenInt((static_cast<long double>(mm) - 20) / 10) * 10;
}

TDeleteOutcome AfterDelete(const QStringList &remaining, const QString &deleted,
                           const QString &oldDefault)
{
    TDeleteOutcome out;
    out.Select = remaining.isEmpty() ? QString() : remaining.first();
    const bool wasDefault = deleted.compare(oldDefault, Qt::CaseInsensitive) == 0;
    out.Default = wasDefault ? out.Select : oldDefault;
    return out;
}

#include "print/engine/ZorTextBox.h"

#include "core/Rounding.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

const QChar EllipsisChar(0x2026);

bool IsLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r';
}

// Lines of one paragraph [begin, end) of s.
void WrapParagraph(const QString &s, int begin, int end, int width, const QFontMetrics &fm,
                   QList<TWrappedLine> &lines)
{
    int pos = begin;
    while (pos < end) {
        // Take whole words while the line still fits.
        int lineEnd = -1;
        int k = pos;
        while (k < end) {
            int j = k;
            while (j < end && s[j] == u' ')
                ++j;
            while (j < end && s[j] != u' ')
                ++j;
            if (fm.horizontalAdvance(s.mid(pos, j - pos)) > width)
                break;
            lineEnd = j;
            k = j;
        }
        int next = 0;
        if (lineEnd < 0) {
            // The first word alone is wider than the line: cut it where the line is full
            // (at least one character, so that the text always moves on).
            int m = 1;
            while (pos + m < end && fm.horizontalAdvance(s.mid(pos, m + 1)) <= width)
                ++m;
            lineEnd = pos + m;
            next = lineEnd;
        } else {
            next = lineEnd;
            while (next < end && s[next] == u' ')
                ++next; // the blanks at a break belong to no line
        }
        lines.append({s.mid(pos, lineEnd - pos), pos, end});
        pos = next;
    }
}

// The last visible line when text below it is cut off: as much of the rest of
// its paragraph as fits before the ellipsis.
QString EllipsisLine(const QString &s, const TWrappedLine &line, int width, const QFontMetrics &fm)
{
    const QString rest = s.mid(line.Start, line.ParagraphEnd - line.Start);
    int m = 0;
    while (m < rest.size() && fm.horizontalAdvance(rest.left(m + 1) + EllipsisChar) <= width)
        ++m;
    QString text = rest.left(m);
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    return text + EllipsisChar;
}

// A border line drawn as MoveTo/LineTo draw it: every pixel but the end point.
void DrawBorder(QPainter *canvas, const QPen &pen, int x1, int y1, int x2, int y2)
{
    if (pen.style() == Qt::NoPen)
        return;
    if (pen.style() == Qt::SolidLine && pen.widthF() <= 1.0 && (x1 == x2 || y1 == y2)) {
        QRect r;
        if (y1 == y2 && x1 != x2)
            r = x2 > x1 ? QRect(x1, y1, x2 - x1, 1) : QRect(x2 + 1, y1, x1 - x2, 1);
        else if (x1 == x2 && y1 != y2)
            r = y2 > y1 ? QRect(x1, y1, 1, y2 - y1) : QRect(x1, y2 + 1, 1, y1 - y2);
        if (!r.isEmpty())
            canvas->fillRect(r, pen.color());
        return;
    }
    canvas->setPen(pen);
    canvas->drawLine(x1, y1, x2, y2);
}

} // namespace

QList<TWrappedLine> WrapText(const QString &s, int width, const QFontMetrics &fm)
{
    QList<TWrappedLine> lines;
    if (s.isEmpty())
        return lines;
    const int n = int(s.size());
    int p = 0;
    while (true) {
        int e = p;
        while (e < n && !IsLineBreak(s[e]))
            ++e;
        if (e == p)
            lines.append({QString(), p, e}); // an empty paragraph is an empty line
        else
            WrapParagraph(s, p, e, width, fm, lines);
        if (e >= n)
            break;
        p = (s[e] == u'\r' && e + 1 < n && s[e + 1] == u'\n') ? e + 2 : e + 1;
    }
    return lines;
}

TTextBoxLayout LayoutTextBox(const TZorTextBox &box, const QString &s, unsigned align,
                             const QFontMetrics &fm)
{
    const int innerLeft = box.Left + box.MarginLeft;
    const int innerTop = box.Top + box.MarginTop;
    const int innerRight = box.Right - box.MarginRight;
    const int innerBottom = box.Bottom - box.MarginBottom;
    const int width = innerRight - innerLeft;

    TTextBoxLayout layout;
    layout.LineHeight = fm.height();
    const QList<TWrappedLine> wrapped = WrapText(s, width, fm);
    layout.LineCount = int(wrapped.size());

    // Measured height of the whole text, cut to the inner rectangle; a text that
    // runs past the bottom therefore starts at the inner top whatever the code.
    int top = innerTop;
    int bottom = innerTop + layout.LineCount * layout.LineHeight;
    if (bottom > innerBottom)
        bottom = innerBottom;
    int shift = 0;
    if (align >= 4 && align <= 6)
        shift = RoundHalfEvenInt((innerBottom - bottom) / 2.0L);
    else if (align >= 7 && align <= 9)
        shift = innerBottom - bottom;
    top += shift;
    bottom += shift;
    layout.TextRect = QRect(innerLeft, top, width, bottom - top);

    const bool centre = align == 2 || align == 5 || align == 8;
    const bool right = align == 3 || align == 6 || align == 9;
    for (int i = 0; i < layout.LineCount; ++i) {
        const int y = top + i * layout.LineHeight;
        if (y >= bottom)
            break;
        if (box.Ellipsis && y + layout.LineHeight > bottom)
            break; // an edit control does not show a partly visible last line
        QString text = wrapped[i].Text;
        const bool lastShown =
            box.Ellipsis && i + 1 < layout.LineCount && y + 2 * layout.LineHeight > bottom;
        if (lastShown)
            text = EllipsisLine(s, wrapped[i], width, fm);
        const int w = fm.horizontalAdvance(text);
        int x = innerLeft;
        if (centre)
            x = innerLeft + (width - w) / 2;
        else if (right)
            x = innerRight - w;
        layout.Lines.append({text, x, y});
    }
    return layout;
}

void TZorTextBox::NoBorders()
{
    PenTop.setStyle(Qt::NoPen);
    PenLeft.setStyle(Qt::NoPen);
    PenBottom.setStyle(Qt::NoPen);
    PenRight.setStyle(Qt::NoPen);
}

void TZorTextBox::SetRect(int left, int top, int right, int bottom)
{
    Left = RoundHalfEvenInt(static_cast<long double>(left) * Scale);
    Top = RoundHalfEvenInt(static_cast<long double>(top) * Scale);
    Right = RoundHalfEvenInt(static_cast<long double>(right) * Scale);
    Bottom = RoundHalfEvenInt(static_cast<long double>(bottom) * Scale);
}

void TZorTextBox::SetRect(const QRect &r)
{
    SetRect(r.x(), r.y(), r.x() + r.width(), r.y() + r.height());
}

void TZorTextBox::DrawTo(const QString &s, unsigned align, QPainter *canvas)
{
    if (!canvas)
        return;
    const QFont oldFont = canvas->font();
    const QBrush oldBrush = canvas->brush();
    const QPen oldPen = canvas->pen();

    canvas->setFont(Font);
    canvas->setBrush(Brush);
    const QFontMetrics fm = canvas->fontMetrics();
    const TTextBoxLayout layout = LayoutTextBox(*this, s, align, fm);

    if (Brush.style() != Qt::NoBrush)
        canvas->fillRect(QRect(Left, Top, Right - Left, Bottom - Top), Brush);

    canvas->save();
    canvas->setClipRect(layout.TextRect,
                        canvas->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    canvas->setPen(QPen(TextColor));
    for (const TTextBoxLine &line : layout.Lines)
        canvas->drawText(QPoint(line.X, line.Y + fm.ascent()), line.Text);
    canvas->restore();

    canvas->setFont(oldFont);
    canvas->setBrush(oldBrush);

    DrawBorder(canvas, PenTop, Left, Top, Right, Top);
    DrawBorder(canvas, PenRight, Right, Top, Right, Bottom);
    DrawBorder(canvas, PenBottom, Right, Bottom, Left, Bottom);
    DrawBorder(canvas, PenLeft, Left, Bottom, Left, Top);
    canvas->setPen(oldPen);
}

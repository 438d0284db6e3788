#include "print/engine/ZorCanvas.h"

#include "core/Rounding.h"
#include "print/engine/GlyphPage.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <cmath>

int TZorCanvas::ToDeviceX(float x) const
{
    return RoundHalfEvenInt((static_cast<long double>(x) + OffsetX) * Scale);
}

int TZorCanvas::ToDeviceY(float y) const
{
    return RoundHalfEvenInt((static_cast<long double>(y) + OffsetY) * Scale);
}

void TZorCanvas::SetFont(const QFont &font)
{
    if (Shaper)
        m_fontId = Shaper->FontId(font);
    if (Canvas && Canvas->font() != font)
        Canvas->setFont(font);
}

int TZorCanvas::FontId() const
{
    if (m_fontId < 0)
        m_fontId = Shaper->FontId(Canvas ? Canvas->font() : QFont());
    return m_fontId;
}

void TZorCanvas::Line(float x1, float y1, float x2, float y2)
{
    Canvas->drawLine(ToDeviceX(x1), ToDeviceY(y1), ToDeviceX(x2), ToDeviceY(y2));
}

void TZorCanvas::TextOut(const QString &s, unsigned align, float x, float y)
{
    if (Gathers()) {
        const int font = FontId();
        Gather(font, Shaper->Shape(font, s), align, x, y, s);
        return;
    }
    const QFontMetrics fm = Canvas->fontMetrics();
    int px = ToDeviceX(x);
    int py = ToDeviceY(y);
    if (align < 1 || align > 9)
        align = 1;
    // Text extent height of "W": the cell height of the font (ascent + descent),
    // the same for every string, so the anchor does not move with S.
    const int h = fm.height();
    if (align >= 4 && align <= 6)
        py -= RoundHalfEvenInt(h / 2.0L);
    else if (align >= 7)
        py -= h;
    // A single character (every box of a slip) needs no text shaping.
    const int w = s.size() == 1 ? fm.horizontalAdvance(s.at(0)) : fm.horizontalAdvance(s);
    const int column = (align - 1) % 3; // 0 left, 1 centre, 2 right
    if (column == 1)
        px -= RoundHalfEvenInt(w / 2.0L);
    else if (column == 2)
        px -= w;
    // A solid brush paints the text cell first, as an opaque text background
    // does; with any other brush the text is transparent. Clients that want no
    // box set Qt::NoBrush.
    const QBrush brush = Canvas->brush();
    if (brush.style() == Qt::SolidPattern && !s.isEmpty())
        Canvas->fillRect(QRect(px, py, w, h), brush.color());
    // (px, py) is the top-left corner of the text cell; Qt draws at the baseline.
    Canvas->drawText(QPoint(px, py + fm.ascent()), s);
}

void TZorCanvas::CharOut(QChar c, unsigned align, float x, float y)
{
    if (!Gathers()) {
        TextOut(QString(c), align, x, y);
        return;
    }
    const int font = FontId();
    const TShapedText &shaped = Shaper->ShapeChar(font, c);
    Gather(font, shaped, align, x, y, shaped.Plain ? QString(c) : QString());
}

// TextOut's placement from the shaper's measures; the text is needed only
// when it is drawn as text.
void TZorCanvas::Gather(int font, const TShapedText &shaped, unsigned align, float x, float y,
                        const QString &text)
{
    const int h = Shaper->Height(font);
    int px = ToDeviceX(x);
    int py = ToDeviceY(y);
    if (align < 1 || align > 9)
        align = 1;
    if (align >= 4 && align <= 6)
        py -= RoundHalfEvenInt(h / 2.0L);
    else if (align >= 7)
        py -= h;
    const int column = (align - 1) % 3;
    if (column == 1)
        px -= RoundHalfEvenInt(shaped.Width / 2.0L);
    else if (column == 2)
        px -= shaped.Width;
    Glyphs->Add(font, text, shaped, QPoint(px, py + Shaper->Ascent(font)));
}

float TZorCanvas::TextWidth(const QString &s) const
{
    if (s.isEmpty())
        return 0.0f;
    if (Shaper)
        return static_cast<float>(Shaper->Width(FontId(), s) / static_cast<double>(Scale));
    return static_cast<float>(Canvas->fontMetrics().horizontalAdvance(s) /
                              static_cast<double>(Scale));
}

float TZorCanvas::CharWidth(QChar c) const
{
    const int w =
        Shaper ? Shaper->ShapeChar(FontId(), c).Width : Canvas->fontMetrics().horizontalAdvance(c);
    return static_cast<float>(w / static_cast<double>(Scale));
}

QFont DeviceFont(const QString &name, int pointSize, TFontStyles style, double pixelsPerInch)
{
    QFont font(name);
    // Windows sizes a font as -MulDiv(points, dpi, 72): rounded to whole pixels.
    font.setPixelSize(qMax(1, static_cast<int>(std::lround(pointSize * pixelsPerInch / 72.0))));
    ApplyFontStyle(font, style);
    // Outlines at the given pixel size, no hinting towards a screen grid.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferOutline);
    return font;
}

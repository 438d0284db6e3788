#pragma once

#include "core/FontStyle.h"

#include <QString>

class QFont;
class QPainter;
class TGlyphPage;
class TTextShaper;
struct TShapedText;

// Draws on a page in millimetres. Coordinates are converted to device pixels as
// (mm + offset) * Scale, rounded halves-to-even. The canvas does not own the
// painter and never changes its font, pen or brush: clients set those.
//
// Alignment codes, laid out as a telephone keypad:
//   1 2 3   left/centre/right, top
//   4 5 6   ... middle
//   7 8 9   ... bottom            (0 and codes above 9 act as 1)
// The vertical reference is the height of the letter "W" in the current font.
// TextOut paints the text cell with the painter's brush colour when the brush is
// solid (an opaque text background); clients printing on forms clear the brush.
//
// With Shaper and Glyphs set the canvas draws no text itself: it lays each
// text out with the shaper (the fonts given to SetFont) and gathers its glyphs
// on the page, to be drawn later with the pen of that painter; the text has no
// background then, and Canvas may be null when nothing else is drawn.
class TZorCanvas
{
public:
    TZorCanvas() = default;
    explicit TZorCanvas(QPainter *canvas) : Canvas(canvas) {}

    QPainter *Canvas = nullptr;
    float Scale = 1.0f;   // device pixels per millimetre
    float OffsetX = 0.0f; // millimetres added to every X before scaling
    float OffsetY = 0.0f;
    TTextShaper *Shaper = nullptr;
    TGlyphPage *Glyphs = nullptr;

    // Sets the font of the text that follows (on the painter when there is one).
    void SetFont(const QFont &font);
    int ToDeviceX(float x) const;
    int ToDeviceY(float y) const;
    void Line(float x1, float y1, float x2, float y2);
    // Draws s so that the anchor (x, y) in millimetres lies as the alignment code says.
    void TextOut(const QString &s, unsigned align, float x, float y);
    // The same for a single character (every box of a slip).
    void CharOut(QChar c, unsigned align, float x, float y);
    float TextWidth(const QString &s) const; // millimetres
    float CharWidth(QChar c) const;          // millimetres

private:
    bool Gathers() const { return Shaper && Glyphs; }
    int FontId() const;
    void Gather(int font, const TShapedText &shaped, unsigned align, float x, float y,
                const QString &text);
    mutable int m_fontId = -1; // the shaper's number of the current font
};

// A font whose size is given in device pixels for a device of pixelsPerInch,
// so that the same point size lands the same on paper whatever the painter's
// own resolution is (a recorded picture, a printer, a PDF).
QFont DeviceFont(const QString &name, int pointSize, TFontStyles style, double pixelsPerInch);

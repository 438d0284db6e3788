#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QList>
#include <QPen>
#include <QRect>
#include <QString>

class QFontMetrics;
class QPainter;

// A text inside a rectangle with inner margins, keypad alignment (see
// ZorCanvas.h), an optional background fill and four border lines, each with
// its own pen. All lengths are device pixels of the painter drawn on; right
// and bottom are exclusive edges, as the box's fill leaves them out.
//
// The box does not own the painter. After DrawTo the painter has the font,
// brush and pen it had before.
class TZorTextBox
{
public:
    TZorTextBox() = default;
    explicit TZorTextBox(QPainter *canvas) : Canvas(canvas) {}

    int Top = 0;
    int Left = 0;
    int Bottom = 0;
    int Right = 0;
    int MarginTop = 0;
    int MarginLeft = 0;
    int MarginBottom = 0;
    int MarginRight = 0;
    // Border lines; a pen of style Qt::NoPen draws no line.
    QPen PenTop{Qt::black, 1};
    QPen PenLeft{Qt::black, 1};
    QPen PenBottom{Qt::black, 1};
    QPen PenRight{Qt::black, 1};
    QFont Font{QStringLiteral("Arial"), 10};
    QColor TextColor = Qt::black; // the font's colour (QFont carries none)
    QBrush Brush = Qt::NoBrush;   // background of the whole box, margins included
    unsigned Alignment = 0;
    QPainter *Canvas = nullptr;
    float Scale = 1.0f; // applied by SetRect
    // Layout of a multi-line edit control: a line that is only partly visible
    // is not drawn, and the last visible line ends with an ellipsis when text
    // was left out.
    bool Ellipsis = false;

    void NoBorders();
    // The box from a rectangle given by its edges, each multiplied by Scale.
    void SetRect(int left, int top, int right, int bottom);
    // The same from a QRect; its right and bottom edges are x + width and y + height.
    void SetRect(const QRect &r);

    void Draw(const QString &s) { DrawTo(s, Alignment, Canvas); }
    void DrawTo(const QString &s, unsigned align, QPainter *canvas);
};

// One line of a laid-out text box: its text and the top-left corner of its cell.
struct TTextBoxLine
{
    QString Text;
    int X = 0;
    int Y = 0;
    bool operator==(const TTextBoxLine &) const = default;
};

// Where a text box puts its text, computed before anything is drawn.
struct TTextBoxLayout
{
    QRect TextRect; // the rectangle the text is drawn into and clipped to
    int LineHeight = 0;
    int LineCount = 0;         // lines of the whole wrapped text
    QList<TTextBoxLine> Lines; // the lines drawn, top to bottom (a partly visible one included)
};

// Lays out s in the box the way DrawTo draws it, measuring with fm.
TTextBoxLayout LayoutTextBox(const TZorTextBox &box, const QString &s, unsigned align,
                             const QFontMetrics &fm);

// Breaks s into lines no wider than width: at blanks where possible, inside a
// word that is wider than a whole line, and at line breaks. Each result keeps
// the offset in s where its line begins.
struct TWrappedLine
{
    QString Text;
    int Start = 0;
    int ParagraphEnd = 0; // offset in s where this line's paragraph ends
};
QList<TWrappedLine> WrapText(const QString &s, int width, const QFontMetrics &fm);

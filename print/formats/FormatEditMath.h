#pragma once

// Arithmetic of the format editor, free of widgets so that it can be tested on
// its own: the paper panel at true size, dragging with snapping and fine mode,
// the rulers, the value labels beside the selected line, scaling and moving
// every position. Lengths are screen pixels unless said otherwise; "rounded"
// means halves to the even neighbour. Millimetres go to pixels through the
// screen's density and InchMm (core/Conversions.h).

#include "print/formats/FieldFormat.h"

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

// The built-in format's width: new formats scale the built-in positions by
// their own width over this one.
constexpr double BuiltInWidth = 176;

// Sizes the editor lets a format be stored with (millimetres, both ends
// included): anything else is no sheet a slip printer takes.
constexpr double MinFormatSize = 10;
constexpr double MaxFormatSize = 1000;
bool ValidFormatSize(double mm);

// Fine mode moves by a tenth of a millimetre per screen pixel, whatever the
// density; the arrow keys and move-all buttons by this step.
constexpr float FineStepMm = 0.1f;
constexpr float NormalStepMm = 1.0f;
inline float MoveStep(bool fine)
{
    return fine ? FineStepMm : NormalStepMm;
}

// A length on the panel after a fine drag: start + deltaPx tenths, kept to
// whole tenths so that the value shown is the value stored.
float FineDragMm(float startMm, int deltaPx);
// The whole millimetre nearest to a pixel position on the panel whose
// millimetre 0 is at originPx.
float SnapToWholeMm(int px, int originPx, double dpi);
// Normal-mode drag of the right-end mark: the pointer at pointerMm (already
// snapped) gives the new width, or nothing while it is not right of the left
// end, so that the right end never reaches the left end.
std::optional<float> RightMarkWidth(float leftMm, float pointerMm);

// Every position's Left, Top and Width times factor (tops too: one ratio for
// both directions, so that a form twice as wide keeps its proportions).
void ScalePositions(TFieldFormats &format, double factor);
// dx added to every Left, dy to every Top.
void MoveAll(TFieldFormats &format, float dx, float dy);
// The lines that take a font together: the three lines of a three-line field
// (keys ending in 1, 2, 3), else the line alone.
QList<int> FontGroup(int index);
// The text the editor and Formats.ini agree on for a format's positions:
// two formats are "the same" when they would be stored alike.
bool SamePositions(const TFieldFormats &a, const TFieldFormats &b);

// One tick of a ruler: its position along the ruler, its length and the
// number written beside it (multiples of 10 only).
struct TRulerTick
{
    int Pos = 0;
    int Length = 0;
    std::optional<int> Number;
    bool operator==(const TRulerTick &) const = default;
};
// Ticks for a ruler of lengthMm starting at originPx: 8 pixels at 0, 10, 20,
// ... (while below lengthMm) with their number, 5 pixels at the fives between.
QList<TRulerTick> RulerTicks(double lengthMm, int originPx, double dpi);

// Where the panel and the window's drawing area go.
struct TPanelLayout
{
    QRect Panel;     // the paper
    QSize BoardSize; // the area holding the rulers and the panel
};
// The panel of a widthMm x heightMm sheet, left of it the width of "999" plus
// 11 pixels for the left ruler's numbers, above it the height of "W" plus 11
// for the top ruler's; the same margins on the other sides.
TPanelLayout PanelLayout(double widthMm, double heightMm, double dpi, int textHeightW,
                         int textWidth999);

// The view of a drawing area of size content on at most available pixels:
// the whole area when it fits; else clipped, with room for the scroll bar
// (scrollBar pixels) across the other direction where that still fits.
QSize ScrollViewSize(QSize content, QSize available, int scrollBar);

// The four value labels beside the selected line and its marks.
struct TMarkLabelsIn
{
    QRect Panel;
    QRect Line;                   // the selected line
    QRect MarkTop;                // shTop, left of the panel at the line's height
    QRect MarkLeft;               // shLeft, above the panel at the line's left end
    QRect MarkRight;              // shRight, above the panel at the line's right end
    QSize Top, Left, Width, Font; // sizes of mTop, mLeft, mWidth, mFont
};
struct TMarkLabelsOut
{
    QRect Top, Left, Width, Font;
};
// mLeft and mWidth along the panel's top edge centred on their marks (mWidth
// never over mLeft); mTop along the left edge centred on shTop, below mLeft
// where they would overlap; mFont just under the line, right of mTop where the
// line starts under it.
TMarkLabelsOut PlaceMarkLabels(const TMarkLabelsIn &in);

// " 12,5 ": a length with one decimal in the separators of QLocale(), a blank
// on each side.
QString MmLabelText(float mm);
// "Arial, 10" or "Arial, 10, bold, italic".
QString FontLabelText(const TFieldFormat &position);

// The calibration grid's extent for a sheet of mm: (mm - 20) / 10 rounded,
// times ten (176 -> 160, 100 -> 80).
int GridExtent(double mm);

// What is left after deleting a format: the format shown next (the first of
// the rest, or none) and the new default name.
struct TDeleteOutcome
{
    QString Select; // empty: no format left
    QString Default;
};
TDeleteOutcome AfterDelete(const QStringList &remaining, const QString &deleted,
                           const QString &oldDefault);

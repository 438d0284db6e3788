#pragma once

#include "print/formats/FieldFormat.h"

#include <QString>

#include <array>

class TZorCanvas;
struct TUpl;

// How the amount is written: with thousands separators, and with a leading "=".
struct TAmountOptions
{
    bool ThousandSep = false;
    bool IznosJednako = false;
};

// Box counts of the fields printed one character per box.
constexpr int RacunBoxes = 16;
constexpr int BrojObveznikaBoxes = 13;
constexpr int VrstaUplateBoxes = 1;
constexpr int VrstaPrihodaBoxes = 6;
constexpr int OpstinaBoxes = 3;
constexpr int PozivBoxes = 10;
constexpr int BudzetskaBoxes = 7;
constexpr int DateBoxes = 8;

// The amount as printed: "=" when iznosJednako, then a "-" for a negative
// amount, then the value with exactly two decimals (rounded half away from
// zero), in the separators of QLocale(); thousands separators only with
// thousandSep. An amount that rounds to zero carries no sign. An amount that
// cannot be printed (AmountPrintable) gives an empty text.
QString AmountText(double amount, bool thousandSep, bool iznosJednako);

// A stored date "ddmmyy" as the eight-box text "dd mm yy".
QString DateText(const QString &stored);

// Sets the canvas's font to the position's name, size and style, in pixels of
// the canvas's own resolution (Scale x 25.4 pixels per inch).
void SetPositionFont(TZorCanvas &canvas, const TFieldFormat &position);

// Breaks a text into three lines for the widths w1, w2, w3 (mm), measured with
// the canvas's current font. Every line begins with one blank as a small left
// margin; a text that fits on line 1 leaves lines 2 and 3 as a single blank.
// A line is broken at the last blank that fits. A word that does not fit on a
// line by itself (no blank before it on that line) is cut where the line is
// full and gets a "-", so that long account-like words are not lost. What does
// not fit on three lines is dropped.
std::array<QString, 3> SplitLines(const TZorCanvas &canvas, const QString &text, float w1, float w2,
                                  float w3);

// Prints text at a position: whole, starting at Left and standing on Top
// (boxes <= 0), or one character per box, centred in boxes equal boxes across
// Width. Characters after the last box are not printed.
void DrawField(TZorCanvas &canvas, const QString &text, int boxes, const TFieldFormat &position);

// Draws one slip on the canvas's page at the format's positions, each field in
// its position's font, text without background.
void DrawSlip(TZorCanvas &canvas, const TUpl &slip, const TFieldFormats &format,
              const TAmountOptions &amount);

// The calibration grid for a sheet of widthMm x heightMm: from 10 mm in, one
// line per millimetre, thicker (0.3 mm) every 5 mm, longer and numbered every
// 10 mm, up to the sheet's size minus 20 mm rounded to tens. Nothing is drawn
// when either extent is below 10 mm.
void DrawGridPage(TZorCanvas &canvas, double widthMm, double heightMm);

// The number of DrawSlip calls so far in this process; lets tests see how
// often a job draws its slips (once per page printed, once per page recorded).
long long DrawSlipCount();

#pragma once

// Print correction per printer. A printer feeds each form a little off, and
// each printer differently: the whole page lands shifted and, over its
// length, slightly stretched or shrunk. The correction moves and scales what
// is drawn so that it lands where the format says:
//
//   drawn x = ShiftX + x * ScaleX / 100     (x in millimetres from the sheet's
//   drawn y = ShiftY + y * ScaleY / 100      physical top-left corner)
//
// It is kept per printer name in the settings store, under
// Correction/<printer name, percent-encoded>/ with the values ShiftRight and
// ShiftDown (mm) and ScaleX and ScaleY (percent), written as plain numbers.

#include <QString>
#include <QStringList>
#include <QTransform>

#include <optional>

class QSettings;

struct TPrintCorrection
{
    double ShiftX = 0;   // mm to the right
    double ShiftY = 0;   // mm down
    double ScaleX = 100; // percent across
    double ScaleY = 100; // percent down

    bool IsIdentity() const { return ShiftX == 0 && ShiftY == 0 && ScaleX == 100 && ScaleY == 100; }
    double MapX(double mm) const { return ShiftX + mm * ScaleX / 100; }
    double MapY(double mm) const { return ShiftY + mm * ScaleY / 100; }
    bool operator==(const TPrintCorrection &) const = default;
};

// What a user may enter: shifts within +-MaxCorrectionShift mm (one decimal),
// scales within MinCorrectionScale..MaxCorrectionScale percent (two decimals).
// Anything beyond is a mismeasurement, not a printer's error.
constexpr double MaxCorrectionShift = 20;
constexpr double MinCorrectionScale = 90;
constexpr double MaxCorrectionScale = 110;
bool ValidCorrection(const TPrintCorrection &c);
// Shifts to one decimal, scales to two.
TPrintCorrection RoundedCorrection(const TPrintCorrection &c);

// One direction of a correction.
struct TAxisCorrection
{
    double Shift = 0;
    double Scale = 100;
    bool operator==(const TAxisCorrection &) const = default;
};

// Works out one direction from a calibration grid printed with `current` in
// force: the grid's lines at nominal1 and nominal2 mm (the 10 mm line and the
// last numbered one) were measured at measured1 and measured2 mm from the
// sheet's edge. The result, rounded as entered, makes those lines land on
// their nominal places. Nothing when the measurements are not increasing or
// the result is outside the limits above.
std::optional<TAxisCorrection> CorrectAxis(const TAxisCorrection &current, double nominal1,
                                           double nominal2, double measured1, double measured2);

// The correction as a transform of a page's drawing surface, whose pixel 0 is
// at the printable area's corner (leftOffset, topOffset mm in from the sheet's
// corner) with pixelsPerMm pixels per millimetre.
QTransform CorrectionTransform(const TPrintCorrection &c, double pixelsPerMm, double leftOffset,
                               double topOffset);

// The stored correction of a printer; missing, unreadable or out-of-range
// values read as no correction in that value.
TPrintCorrection ReadPrintCorrection(const QSettings &store, const QString &printer);
// Writes the correction; an identity correction removes the printer's entry.
void WritePrintCorrection(QSettings &store, const QString &printer, const TPrintCorrection &c);
// The printers with a stored correction.
QStringList CorrectedPrinters(QSettings &store);

// Empty when every value stored for printer is usable (or none is stored);
// otherwise a message naming the printer and the first value that is not a
// number, not finite or outside the limits above. ReadPrintCorrection would
// silently leave such a value out, and the print would come out uncorrected.
QString CheckStoredCorrection(const QSettings &store, const QString &printer);
QString CheckStoredCorrection(const QString &printer);

// The same on the program's settings store (OpenSettings()). Writing refuses
// (false) a correction that is not ValidCorrection.
TPrintCorrection ReadPrintCorrection(const QString &printer);
bool WritePrintCorrection(const QString &printer, const TPrintCorrection &c);
QStringList CorrectedPrinters();

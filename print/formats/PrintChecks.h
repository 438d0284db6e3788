#pragma once

#include "print/formats/FieldFormat.h"

#include <QString>

struct TUpl;

// What a print job must refuse before it draws anything, as plain checks the
// command line, the print window and the format editor share. Each returns
// the message to show, or an empty text when all is well.

// Paper sizes a format may have, in millimetres (inclusive). The widest
// continuous forms are well inside; anything outside is a typing error or a
// damaged Formats.ini, and would otherwise print on some other paper.
inline constexpr double MinPaperMm = 10;
inline constexpr double MaxPaperMm = 1000;

bool PaperSizePossible(double mm);
// "Format 'X': širina -176 mm nije moguća" (or "visina"); name is the
// format's name as the user knows it.
QString CheckFormatPrintable(const QString &name, const TFieldFormats &format);

// The largest amount printed: 15 significant digits, two of them decimals.
inline constexpr double MaxPrintableAmount = 9999999999999.99;

// False for NaN, infinities and amounts whose cents exceed 15 digits.
bool AmountPrintable(double amount);
// "Uplatnica 'X': iznos nije broj" for NaN and infinities, "Uplatnica 'X':
// iznos je prevelik (...)" beyond MaxPrintableAmount. The slip is named by its
// description, or by number (1-based, in the file) when that is empty.
QString CheckSlipAmount(const TUpl &slip, qsizetype number);

// "1 uplatnica", "3 uplatnice", "5 uplatnica": the count with the noun in the
// form Bosnian takes after it (2, 3, 4 and the numbers ending in them take
// "uplatnice", except 12 to 14).
QString SlipCountText(qsizetype count);
// What the status bar says after a job went out: "Štampano: 3 uplatnice na
// KordavinaPDF" for a printer, "Snimljeno u PDF: 3 uplatnice u /put/x.pdf" for
// a PDF file.
QString PrintedText(qsizetype count, const QString &where, bool pdf);

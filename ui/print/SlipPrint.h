#pragma once

#include "print/formats/FieldFormat.h"
#include "print/formats/PrintCorrection.h"
#include "print/formats/SlipRender.h"

#include <QList>
#include <QString>

#include <functional>

class TZorCanvas;
class TZorPrinter;
struct TUpl;
struct TUplFile;

// Job titles the printer queue shows.
QString SlipJobTitle(); // "Kordavina"
QString GridJobTitle(); // "Kordavina (štampanje mreže)"

// The slips a print command prints, in file order: every slip, or the marked ones.
QList<TUpl> SlipsToPrint(const TUplFile &file, bool markedOnly);

// Sets the printer's paper to the format's size as a user-defined paper, in
// whole tenths of a millimetre (truncated); the orientation stays as it is.
void SetPaperSize(TZorPrinter &printer, const TFieldFormats &format);

// A millimetre canvas on the printer's open page: coordinates from the
// physical top-left corner of the sheet, as the formats give them. The
// printer's correction (JobCorrection) is set on the page's painter: whatever
// is drawn on it lands shifted and scaled by that.
TZorCanvas PageCanvas(TZorPrinter &printer);

// The correction a job on this printer gets: the stored one of the printer
// by its name, none for PDF output, or that of the printer named by
// SetCorrectionFor (also for PDF output).
TPrintCorrection JobCorrection(const TZorPrinter &printer);
// Jobs on this printer object take the correction stored for printerName
// (empty: back to the printer's own).
void SetCorrectionFor(TZorPrinter &printer, const QString &printerName);

// Opens a job titled "Kordavina" of one slip per page, in the order given.
// Without slips the job holds one empty page. The job stays open: the caller
// ends it with EndDoc, which draws each slip straight onto the printer, or
// Preview, which records the pages first. The paper is not changed.
void BeginSlipJob(TZorPrinter &printer, const QList<TUpl> &slips, const TFieldFormats &format,
                  const TAmountOptions &amount);

// The print command of the main window and of the command line: the format's
// paper, the slips one per page, printed at once as one job.
void PrintSlips(TZorPrinter &printer, const QList<TUpl> &slips, const TFieldFormats &format,
                const TAmountOptions &amount);

// Opens a job titled "Kordavina (štampanje mreže)" holding the calibration
// grid for the format's size. The paper is not changed.
void BeginGridJob(TZorPrinter &printer, const TFieldFormats &format);

// The grid print of the format editor: the grid job, printed at once.
void PrintGrid(TZorPrinter &printer, const TFieldFormats &format);

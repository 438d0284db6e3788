#include "print/formats/SlipPrint.h"

#include "core/Upl.h"
#include "print/engine/ZorCanvas.h"
#include "print/engine/ZorPrinters.h"

#include <QPainter>

#include <cmath>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Qt's PDF writer sets up a compressor for every page and drops it again, a
// few hundred kilobytes each time. glibc gives such memory back to the system
// at once and faults it in anew for the next page, which doubled the time to
// write a long job. Freed memory is kept in the process instead (up to 64 MB).
void KeepFreedMemory()
{
#ifdef __GLIBC__
    static const bool done = [] {
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TRIM_THRESHOLD, 64 << 20);
        return true;
    }();
    Q_UNUSED(done);
#endif
}

} // namespace

QString SlipJobTitle()
{
    return QStringLiteral("Kordavina");
}

QString GridJobTitle()
{
    return QStringLiteral("Kordavina (štampanje mreže)");
}

QList<TUpl> SlipsToPrint(const TUplFile &file, bool markedOnly)
{
    QList<TUpl> slips;
    for (const TUpl &slip : file.Uplatnice)
        if (!markedOnly || slip.Oznacena)
            slips.append(slip);
    return slips;
}

void SetPaperSize(TZorPrinter &printer, const TFieldFormats &format)
{
    // The device mode holds tenths of a millimetre, truncated.
    const double width = std::trunc(format.Width * 10) / 10;
    const double height = std::trunc(format.Height * 10) / 10;
    printer.SetPaperSize(width, height);
}

namespace {

// Sets the correction on top of what the painter has. A painter that lives on
// from page to page (drawing straight onto a printer) keeps its transform, so
// asking again for the same painter replaces the correction set before
// instead of applying it twice.
void ApplyCorrection(TZorPrinter &printer, QPainter &painter, const QTransform &correction)
{
    const auto same = printer.property("kordavinaCorrectedPainter").value<quintptr>() ==
                          reinterpret_cast<quintptr>(&painter) &&
                      printer.property("kordavinaCorrectedTransform").value<QTransform>() ==
                          painter.worldTransform();
    const QTransform base = same ? printer.property("kordavinaCorrectionBase").value<QTransform>()
                                 : painter.worldTransform();
    painter.setWorldTransform(correction * base);
    printer.setProperty("kordavinaCorrectedPainter", reinterpret_cast<quintptr>(&painter));
    printer.setProperty("kordavinaCorrectionBase", base);
    printer.setProperty("kordavinaCorrectedTransform", painter.worldTransform());
}

} // namespace

TZorCanvas PageCanvas(TZorPrinter &printer)
{
    TZorCanvas canvas(printer.Canvas());
    canvas.Scale = printer.PixelsPerMM();
    canvas.OffsetX = -printer.LeftOffset();
    canvas.OffsetY = -printer.TopOffset();
    // The printer's own error, taken out on the page's surface: every line,
    // text and font drawn after this lands corrected.
    const TPrintCorrection correction = JobCorrection(printer);
    if (canvas.Canvas && !correction.IsIdentity())
        ApplyCorrection(printer, *canvas.Canvas,
                        CorrectionTransform(correction, canvas.Scale, printer.LeftOffset(),
                                            printer.TopOffset()));
    return canvas;
}

bool BeginSlipJob(TZorPrinter &printer, const QList<TUpl> &slips, const TFieldFormats &format,
                  const TAmountOptions &amount, const TPageDrawn &pageDrawn)
{
    KeepFreedMemory();
    printer.BeginDoc();
    printer.SetTitle(SlipJobTitle());
    bool drawn = false;
    int pages = 0;
    for (const TUpl &slip : slips) {
        if (drawn)
            printer.NewPage();
        TZorCanvas canvas = PageCanvas(printer);
        DrawSlip(canvas, slip, format, amount);
        drawn = true;
        ++pages;
        if (pageDrawn && !pageDrawn(pages))
            return false;
    }
    return true;
}

void PrintSlips(TZorPrinter &printer, const QList<TUpl> &slips, const TFieldFormats &format,
                const TAmountOptions &amount)
{
    SetPaperSize(printer, format);
    BeginSlipJob(printer, slips, format, amount);
    printer.EndDoc(false);
}

void BeginGridJob(TZorPrinter &printer, const TFieldFormats &format)
{
    KeepFreedMemory();
    printer.BeginDoc();
    printer.SetTitle(GridJobTitle());
    TZorCanvas canvas = PageCanvas(printer);
    DrawGridPage(canvas, format.Width, format.Height);
}

void PrintGrid(TZorPrinter &printer, const TFieldFormats &format)
{
    BeginGridJob(printer, format);
    printer.EndDoc(false);
}

namespace {
const char *const CorrectionForProperty = "kordavinaCorrectionFor";
}

TPrintCorrection JobCorrection(const TZorPrinter &printer)
{
    const QString named = printer.property(CorrectionForProperty).toString();
    if (!named.isEmpty())
        return ReadPrintCorrection(named);
    if (printer.IsPdfOutput())
        return {};
    return ReadPrintCorrection(printer.PrinterName());
}

void SetCorrectionFor(TZorPrinter &printer, const QString &printerName)
{
    printer.setProperty(CorrectionForProperty, printerName);
}

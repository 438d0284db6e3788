#include "print/formats/SlipPrint.h"

#include "core/Upl.h"
#include "print/engine/ZorCanvas.h"
#include "print/engine/ZorPrinters.h"

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

TZorCanvas PageCanvas(TZorPrinter &printer)
{
    TZorCanvas canvas(printer.Canvas());
    canvas.Scale = printer.PixelsPerMM();
    canvas.OffsetX = -printer.LeftOffset();
    canvas.OffsetY = -printer.TopOffset();
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

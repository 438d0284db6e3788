#include "ui/print/SlipPrint.h"

#include "core/Upl.h"
#include "print/engine/GlyphPage.h"
#include "print/engine/ZorCanvas.h"
#include "ui/print/ZorPrinters.h"

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

// The slips of a job, one per page; a job without slips has one empty page.
class TSlipPages : public TZorPageSource
{
public:
    TSlipPages(TZorPrinter &printer, const QList<TUpl> &slips, const TFieldFormats &format,
               const TAmountOptions &amount)
        : m_printer(printer), m_slips(slips), m_format(format), m_amount(amount)
    {}
    int PageCount() const override { return qMax(1, int(m_slips.size())); }
    void BeginPrint() override
    {
        // Every page of the device has the first one's millimetre canvas.
        m_canvas = PageCanvas(m_printer);
        m_canvas.Canvas = nullptr;
    }
    void LayoutPage(int index, TTextShaper &shaper, TGlyphPage &page) const override
    {
        if (index >= m_slips.size())
            return;
        TZorCanvas canvas = m_canvas;
        canvas.Shaper = &shaper;
        canvas.Glyphs = &page;
        DrawSlip(canvas, m_slips.at(index), m_format, m_amount);
    }
    void DrawPage(const TGlyphPage &page, TGlyphFonts &fonts) override
    {
        // Set up as a recorded page is, so that whatever PageCanvas does to the
        // painter applies to the glyphs too.
        const TZorCanvas canvas = PageCanvas(m_printer);
        canvas.Canvas->setBrush(Qt::NoBrush);
        canvas.Canvas->setBackgroundMode(Qt::TransparentMode);
        page.Draw(*canvas.Canvas, fonts);
    }
    void RecordPage(int index) override
    {
        if (index >= m_slips.size())
            return;
        TZorCanvas canvas = PageCanvas(m_printer);
        DrawSlip(canvas, m_slips.at(index), m_format, m_amount);
    }

private:
    TZorPrinter &m_printer;
    const QList<TUpl> m_slips;
    const TFieldFormats m_format;
    const TAmountOptions m_amount;
    TZorCanvas m_canvas;
};

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

void BeginSlipJob(TZorPrinter &printer, const QList<TUpl> &slips, const TFieldFormats &format,
                  const TAmountOptions &amount)
{
    KeepFreedMemory();
    printer.BeginDoc();
    printer.SetTitle(SlipJobTitle());
    // Drawn when printed (or recorded for a preview), not now.
    printer.SetPageSource(std::make_shared<TSlipPages>(printer, slips, format, amount));
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

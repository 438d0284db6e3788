#include "ui/print/ZorPrinters.h"

#include "core/Errors.h"
#include "print/engine/ZorSpooler.h"
#include "ui/common/DialogSeams.h"
#include "ui/print/ZorPrintDlgs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

TZorPrinter *g_zorPrinter = nullptr;

// Pixels per inch of a PDF, as a high-resolution printer has them.
constexpr int PdfResolution = 1200;

// Releases the job however the printing ends, so that a failed print leaves
// no half-closed job behind for the next BeginDoc.
class TJobRelease
{
public:
    explicit TJobRelease(TZorJob &job) : m_job(job) {}
    ~TJobRelease() { m_job.Release(); }
    TJobRelease(const TJobRelease &) = delete;
    TJobRelease &operator=(const TJobRelease &) = delete;

private:
    TZorJob &m_job;
};

} // namespace

TZorPrinter *ZorPrinter()
{
    return g_zorPrinter;
}

QString NoPrinterInstalledText()
{
    return QStringLiteral("Nije instaliran nijedan štampač.");
}

QString PrinterNotInstalledText(const QString &name)
{
    return QStringLiteral("Štampač \"%1\" nije instaliran.").arg(name);
}

TZorPrinter::TZorPrinter(QWidget *parent)
    : TZorPreview(parent, true), m_pdfLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                             QMarginsF(), QPageLayout::Millimeter)
{
    if (!g_zorPrinter)
        g_zorPrinter = this;
    PageNo = 0; // no preview yet: "the page on view" selects nothing
}

void TZorPrinter::EnsurePrinter() const
{
    if (!m_chosen)
        const_cast<TZorPrinter *>(this)->SetDefaultPrinter();
}

QPrinter &TZorPrinter::Device() const
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

QPrinter &TZorPrinter::Printer()
{
    EnsurePrinter();
    QPrinter &printer = Device();
    if (IsPdfOutput()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_pdfFile);
        printer.setPageLayout(m_pdfLayout);
    }
    return printer;
}

void TZorPrinter::SetPageSource(std::shared_ptr<TZorPageSource> source)
{
    m_job.SetPageSource(std::move(source));
}

void TZorPrinter::SetProgress(std::function<bool(int page, int total)> progress)
{
    m_job.Progress = std::move(progress);
}

TZorPrinter::~TZorPrinter()
{
    if (g_zorPrinter == this)
        g_zorPrinter = nullptr;
}

bool TZorPrinter::SetPrinterName(const QString &name)
{
    m_chosen = true;
    m_pdfFile.clear();
    if (!name.isEmpty() && QPrinterInfo::availablePrinterNames().contains(name)) {
        m_missingPrinter.clear();
        Device().setOutputFormat(QPrinter::NativeFormat);
        Device().setPrinterName(name);
        UseDeviceMargins();
        return true;
    }
    // Qt would quietly keep the previous printer, or write a PDF nowhere.
    m_missingPrinter = name;
    Device().setPrinterName(QString());
    return false;
}

void TZorPrinter::SetDefaultPrinter()
{
    m_chosen = true;
    QString name = QPrinterInfo::defaultPrinterName();
    if (name.isEmpty()) {
        const QStringList names = QPrinterInfo::availablePrinterNames();
        if (!names.isEmpty())
            name = names.first();
    }
    if (name.isEmpty()) {
        m_pdfFile.clear();
        m_missingPrinter.clear();
        Device().setPrinterName(QString());
        return;
    }
    SetPrinterName(name);
}

void TZorPrinter::SetPdfOutput(const QString &fileName)
{
    m_chosen = true;
    m_pdfFile = fileName;
    m_missingPrinter.clear();
    // The paper the printer had, if there is one; a PDF has no margins.
    if (m_printer) {
        const QPageLayout layout = m_printer->pageLayout();
        m_pdfLayout =
            QPageLayout(layout.pageSize(), layout.orientation(), QMarginsF(), layout.units());
    }
}

void TZorPrinter::SetPdfFile(const QString &fileName)
{
    if (!IsPdfOutput()) {
        SetPdfOutput(fileName);
        return;
    }
    m_pdfFile = fileName;
}

QString TZorPrinter::PrinterName() const
{
    EnsurePrinter();
    if (IsPdfOutput())
        return m_pdfFile;
    if (Device().outputFormat() == QPrinter::NativeFormat)
        return Device().printerName();
    return QString();
}

void TZorPrinter::SetPaperSize(double widthMm, double heightMm)
{
    EnsurePrinter();
    const QPageSize size(QSizeF(widthMm, heightMm), QPageSize::Millimeter, QString(),
                         QPageSize::ExactMatch);
    if (IsPdfOutput()) {
        m_pdfLayout.setPageSize(size);
        m_pdfLayout.setMargins(QMarginsF());
        return;
    }
    // A device that cannot take a user-defined size keeps what it had.
    Device().setPageSize(size);
    UseDeviceMargins();
}

void TZorPrinter::UseDeviceMargins()
{
    // The unprintable margins of the device, as a printer driver reports them;
    // a PDF has none.
    const QPageLayout layout = Device().pageLayout();
    Device().setPageMargins(layout.minimumMargins(), layout.units());
}

TDeviceGeometry TZorPrinter::DeviceGeometry() const
{
    EnsurePrinter();
    if (IsPdfOutput())
        return TDeviceGeometry::FromPageLayout(m_pdfLayout, PdfResolution);
    return TDeviceGeometry::FromPageLayout(Device().pageLayout(), Device().resolution());
}

void TZorPrinter::BeginDoc()
{
    m_job.BeginDoc(DeviceGeometry());
}

void TZorPrinter::NewPage()
{
    m_job.NewPage();
}

void TZorPrinter::EndDoc(bool askOptions)
{
    m_job.ClosePage();
    TJobRelease release(m_job);
    if (!askOptions || ExecutePrintDlg(m_job.PrintOptions))
        PrintPages();
}

void TZorPrinter::Preview()
{
    m_job.ClosePage();
    m_job.RecordPages();
    TJobRelease release(m_job);
    RunPreview();
}

bool TZorPrinter::DrawWholeJob()
{
    m_job.ClosePage();
    return m_job.RecordPages();
}

void TZorPrinter::AbortDoc()
{
    if (m_job.IsOpen())
        m_job.ClosePage();
    m_job.Release();
}

void TZorPrinter::PrintPages()
{
    EnsurePrinter();
    if (!IsPdfOutput()) {
        if (!m_missingPrinter.isEmpty())
            throw EKordavinaError(PrinterNotInstalledText(m_missingPrinter));
        const QString name = Device().printerName();
        if (Device().outputFormat() != QPrinter::NativeFormat || name.isEmpty())
            throw EKordavinaError(QPrinterInfo::availablePrinterNames().isEmpty()
                                      ? NoPrinterInstalledText()
                                      : QStringLiteral("Nije izabran nijedan štampač."));
        if (QPrinterInfo::printerInfo(name).isNull())
            throw EKordavinaError(PrinterNotInstalledText(name));
        if (!SpoolerAcceptsJobs(name))
            throw EKordavinaError(
                QStringLiteral("Štampač \"%1\" je odbio posao štampanja.").arg(name));
    }
    if (IsPdfOutput()) {
        QPdfWriter pdf(m_pdfFile);
        pdf.setResolution(PdfResolution);
        pdf.setPageLayout(m_pdfLayout);
        pdf.setCreator(QString());
        const bool done = m_job.PrintPages(pdf, PageNo);
        if (!done && !m_job.Cancelled())
            throw EKordavinaError(QStringLiteral("Datoteka %1 nije snimljena.").arg(m_pdfFile));
        return;
    }
    QPrinter &printer = Device();
    printer.setDocName(m_job.Title);
    printer.setCopyCount(1); // copies are made by repeating the pages
    const bool done = m_job.PrintPages(printer, PageNo);
    if (m_job.Cancelled())
        return; // the pages before the cancel went out; not an error
    if (!done || printer.printerState() == QPrinter::Error ||
        printer.printerState() == QPrinter::Aborted)
        throw EKordavinaError(
            QStringLiteral("Štampač \"%1\" je odbio posao štampanja.").arg(printer.printerName()));
}

bool TZorPrinter::ExecutePrintDlg(TZorPrintOptions &options)
{
    TZorPrintDlg dialog;
    return dialog.Execute(options);
}

int TZorPrinter::PreviewPageCount() const
{
    return m_job.PageCount();
}

void TZorPrinter::PreviewPaintPage(QPainter &painter, int index, const QRect &target)
{
    m_job.PaintPage(painter, index, QRectF(target));
}

TPreviewPaper TZorPrinter::PreviewPaper() const
{
    // The paper the pages were recorded for (the current printer's when the
    // job began).
    const TPaperMetrics m =
        PaperMetrics(m_job.Geometry().DpiY > 0 ? m_job.Geometry() : DeviceGeometry());
    TPreviewPaper paper;
    paper.PaperWidth = m.PaperWidth;
    paper.PaperHeight = m.PaperHeight;
    paper.LeftOffset = m.LeftOffset;
    paper.TopOffset = m.TopOffset;
    paper.RightOffset = m.RightOffset;
    paper.BottomOffset = m.BottomOffset;
    return paper;
}

void TZorPrinter::PreviewPrint()
{
    // Called from the preview's button: an error must not leave through the
    // event loop, so it is shown here as the standard error box would show it.
    try {
        if (ExecutePrintDlg(m_job.PrintOptions))
            PrintPages();
    } catch (const EKordavinaError &e) {
        ShowMessageBox(this, QMessageBox::Critical, QApplication::applicationDisplayName(),
                       e.Message());
    }
}

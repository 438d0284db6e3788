#include "print/engine/ZorPrinters.h"

#include "core/Errors.h"
#include "print/engine/ZorPrintDlgs.h"
#include "print/engine/ZorSpooler.h"

#include <QApplication>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

TZorPrinter *g_zorPrinter = nullptr;

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

TZorPrinter::TZorPrinter(QWidget *parent)
    : TZorPreview(parent), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    if (!g_zorPrinter)
        g_zorPrinter = this;
    PageNo = 0; // no preview yet: "the page on view" selects nothing
    SetDefaultPrinter();
}

TZorPrinter::~TZorPrinter()
{
    if (g_zorPrinter == this)
        g_zorPrinter = nullptr;
}

bool TZorPrinter::SetPrinterName(const QString &name)
{
    m_pdfFile.clear();
    if (!name.isEmpty() && QPrinterInfo::availablePrinterNames().contains(name)) {
        m_missingPrinter.clear();
        m_printer->setOutputFormat(QPrinter::NativeFormat);
        m_printer->setPrinterName(name);
        UseDeviceMargins();
        return true;
    }
    // Qt would quietly keep the previous printer, or write a PDF nowhere.
    m_missingPrinter = name;
    m_printer->setPrinterName(QString());
    return false;
}

void TZorPrinter::SetDefaultPrinter()
{
    QString name = QPrinterInfo::defaultPrinterName();
    if (name.isEmpty()) {
        const QStringList names = QPrinterInfo::availablePrinterNames();
        if (!names.isEmpty())
            name = names.first();
    }
    if (name.isEmpty()) {
        m_pdfFile.clear();
        m_missingPrinter.clear();
        m_printer->setPrinterName(QString());
        return;
    }
    SetPrinterName(name);
}

void TZorPrinter::SetPdfOutput(const QString &fileName)
{
    m_pdfFile = fileName;
    m_missingPrinter.clear();
    m_printer->setOutputFormat(QPrinter::PdfFormat);
    m_printer->setOutputFileName(fileName);
    UseDeviceMargins();
}

QString TZorPrinter::PrinterName() const
{
    if (IsPdfOutput())
        return m_pdfFile;
    if (m_printer->outputFormat() == QPrinter::NativeFormat)
        return m_printer->printerName();
    return QString();
}

void TZorPrinter::SetPaperSize(double widthMm, double heightMm)
{
    const QPageSize size(QSizeF(widthMm, heightMm), QPageSize::Millimeter, QString(),
                         QPageSize::ExactMatch);
    // A device that cannot take a user-defined size keeps what it had.
    m_printer->setPageSize(size);
    UseDeviceMargins();
}

void TZorPrinter::UseDeviceMargins()
{
    // The unprintable margins of the device, as a printer driver reports them;
    // a PDF has none.
    const QPageLayout layout = m_printer->pageLayout();
    m_printer->setPageMargins(layout.minimumMargins(), layout.units());
}

TDeviceGeometry TZorPrinter::DeviceGeometry() const
{
    return TDeviceGeometry::FromPageLayout(m_printer->pageLayout(), m_printer->resolution());
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
    TJobRelease release(m_job);
    RunPreview();
}

void TZorPrinter::AbortDoc()
{
    if (m_job.IsOpen())
        m_job.ClosePage();
    m_job.Release();
}

void TZorPrinter::PrintPages()
{
    if (!IsPdfOutput()) {
        if (!m_missingPrinter.isEmpty())
            throw EKordavinaError(
                QStringLiteral("The printer \"%1\" is not installed.").arg(m_missingPrinter));
        const QString name = m_printer->printerName();
        if (m_printer->outputFormat() != QPrinter::NativeFormat || name.isEmpty())
            throw EKordavinaError(QPrinterInfo::availablePrinterNames().isEmpty()
                                      ? QStringLiteral("No printer is installed.")
                                      : QStringLiteral("No printer is selected."));
        if (QPrinterInfo::printerInfo(name).isNull())
            throw EKordavinaError(QStringLiteral("The printer \"%1\" is not installed.").arg(name));
        if (!SpoolerAcceptsJobs(name))
            throw EKordavinaError(
                QStringLiteral("The printer \"%1\" refused the print job.").arg(name));
    }
    m_printer->setDocName(m_job.Title);
    m_printer->setCopyCount(1); // copies are made by repeating the pages
    const bool done = m_job.PrintPages(*m_printer, PageNo);
    if (!done || m_printer->printerState() == QPrinter::Error ||
        m_printer->printerState() == QPrinter::Aborted) {
        if (IsPdfOutput())
            throw EKordavinaError(QStringLiteral("Unable to write to %1").arg(m_pdfFile));
        throw EKordavinaError(QStringLiteral("The printer \"%1\" refused the print job.")
                                  .arg(m_printer->printerName()));
    }
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
        QMessageBox::critical(this, QApplication::applicationDisplayName(), e.Message());
    }
}

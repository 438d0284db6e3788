#pragma once

#include "print/engine/ZorJob.h"
#include "ui/print/ZorPreview.h"

#include <QPageLayout>

#include <memory>

class QPrinter;

// The printer errors, also said before a job begins.
QString NoPrinterInstalledText();
QString PrinterNotInstalledText(const QString &name);

// The program's one print job object (see ZorPrinter() below), which is also
// the print preview window. It holds the current printer: a named printer of
// the system, the default one, or a PDF file.
//
// A client opens a job, draws each page on Canvas() (printer pixels of the
// printable area; usually through a TZorCanvas set from PixelsPerMM,
// LeftOffset and TopOffset), and ends it with EndDoc or Preview:
//
//   ZorPrinter()->BeginDoc();
//   ZorPrinter()->SetTitle(QStringLiteral("Kordavina"));
//   draw page 1 on ZorPrinter()->Canvas();
//   ZorPrinter()->NewPage(); draw page 2 on ZorPrinter()->Canvas(); ...
//   ZorPrinter()->EndDoc(false);
//
// Printer failures (no printer, a printer that is gone, a file that cannot be
// written, a spooler that refuses the job) are thrown as EKordavinaError.
//
// The object is light until it is used: the system's default printer is
// looked up when something first needs a printer and none was chosen (a PDF
// output needs none), and the preview's controls are made when the preview
// first opens.
class TZorPrinter : public TZorPreview
{
    Q_OBJECT
public:
    explicit TZorPrinter(QWidget *parent = nullptr);
    ~TZorPrinter() override;

    // --- The current printer -------------------------------------------------
    // The printer device. With a PDF output the pages go through a PDF writer
    // of their own; this object then mirrors the PDF's file and paper.
    QPrinter &Printer();
    // Selects an installed printer by name. A name that is not installed leaves
    // no printer selected (printing then fails with a message naming it) and
    // returns false.
    bool SetPrinterName(const QString &name);
    // The system's default printer, else the first installed one, else none.
    void SetDefaultPrinter();
    // Prints into a PDF file instead of a printer.
    void SetPdfOutput(const QString &fileName);
    bool IsPdfOutput() const { return !m_pdfFile.isEmpty(); }
    // Another file for a PDF output, its paper kept; no device is made.
    void SetPdfFile(const QString &fileName);
    // The selected printer's name, or the PDF file's path.
    QString PrinterName() const;
    // A user-defined paper of this size (the orientation is left as it is), with
    // the smallest margins the device allows (none for a PDF).
    void SetPaperSize(double widthMm, double heightMm);

    // --- Metrics of the current printer, in millimetres, read anew each call --
    TDeviceGeometry DeviceGeometry() const;
    float PixelsPerMM() const { return PaperMetrics(DeviceGeometry()).PixelsPerMM; }
    float LeftOffset() const { return PaperMetrics(DeviceGeometry()).LeftOffset; }
    float TopOffset() const { return PaperMetrics(DeviceGeometry()).TopOffset; }
    float RightOffset() const { return PaperMetrics(DeviceGeometry()).RightOffset; }
    float BottomOffset() const { return PaperMetrics(DeviceGeometry()).BottomOffset; }
    float PrintableWidth() const { return PaperMetrics(DeviceGeometry()).PrintableWidth; }
    float PrintableHeight() const { return PaperMetrics(DeviceGeometry()).PrintableHeight; }
    float PaperWidth() const { return PaperMetrics(DeviceGeometry()).PaperWidth; }
    float PaperHeight() const { return PaperMetrics(DeviceGeometry()).PaperHeight; }

    // --- The job ---------------------------------------------------------------
    // Opens a job for the current printer, with page 1 open and default options.
    void BeginDoc();
    void NewPage();
    // The recording painter of the open page (a new object after each NewPage).
    QPainter *Canvas() const { return m_job.Canvas(); }
    // Closes the last page; prints at once, or after the print dialog when
    // askOptions is set (nothing if it is cancelled); then releases the job.
    void EndDoc(bool askOptions);
    // Closes the last page, shows the preview modally, then releases the job.
    void Preview();
    // Drops the open job without printing anything.
    void AbortDoc();
    QString Title() const { return m_job.Title; }
    void SetTitle(const QString &title) { m_job.Title = title; }
    TZorPrintOptions &PrintOptions() { return m_job.PrintOptions; }
    // Pages drawn by source instead of on Canvas(): printed straight onto the
    // printer, recorded only for the preview. Replaces the job's open page.
    void SetPageSource(std::shared_ptr<TZorPageSource> source);
    // Worker threads laying out a page source's pages (see TZorJob::LayoutThreads).
    void SetLayoutThreads(int threads) { m_job.LayoutThreads = threads; }
    // Called before each page printed (page from 1, total pages); returning
    // false cancels the printing: the rest is not printed (the pages before it
    // are) and no error is thrown. Kept for later jobs.
    void SetProgress(std::function<bool(int page, int total)> progress);
    // Draws every page of the open job into memory first, asking the progress
    // callback before each; false when it cancelled, and then nothing of the
    // job can reach the printer (the caller ends it with AbortDoc). A printer
    // job cannot be withdrawn once its pages are being sent.
    bool DrawWholeJob();
    // The last printing was cancelled through the progress function.
    bool PrintCancelled() const { return m_job.Cancelled(); }
    // Prints the job's pages by PrintOptions onto the current printer as one job.
    void PrintPages();
    // The print options dialog; fills options and returns true on OK.
    bool ExecutePrintDlg(TZorPrintOptions &options);

    const TZorJob &Job() const { return m_job; }

protected:
    int PreviewPageCount() const override;
    void PreviewPaintPage(QPainter &painter, int index, const QRect &target) override;
    TPreviewPaper PreviewPaper() const override;
    void PreviewPrint() override;

private:
    void UseDeviceMargins();
    // Chooses the default printer when nothing was chosen yet.
    void EnsurePrinter() const;
    // The printer device, made when first needed (making one asks the print
    // system for its default printer).
    QPrinter &Device() const;

    mutable std::unique_ptr<QPrinter> m_printer;
    TZorJob m_job;
    QString m_pdfFile;
    QPageLayout m_pdfLayout;  // the PDF's paper, no margins
    QString m_missingPrinter; // a name asked for that is not installed
    bool m_chosen = false;    // a printer, the default one or a PDF was chosen
};

// The single TZorPrinter of the program: the one created first and still
// alive (the program creates it at start, before the main window); nullptr
// when there is none.
TZorPrinter *ZorPrinter();

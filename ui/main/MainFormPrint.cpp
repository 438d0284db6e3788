#include "ui/main/MainFormU.h"

#include "core/Errors.h"
#include "print/engine/ZorPrinters.h"
#include "print/formats/SlipPrint.h"
#include "ui/main/ProgramData.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>

namespace {

enum TPrintTarget { ToPrinter, ToPreview, ToPdf };

// Jobs of more slips than this show their progress and can be cancelled.
constexpr int ProgressFrom = 300;

} // namespace

TZorPrinter &TMainForm::Printer()
{
    if (TZorPrinter *printer = ZorPrinter())
        return *printer;
    if (!FOwnPrinter)
        FOwnPrinter = std::make_unique<TZorPrinter>();
    return *FOwnPrinter;
}

void TMainForm::SelectPrinter()
{
    TZorPrinter &printer = Printer();
    const QString wanted = FData.Settings.DefaultPrinter;
    if (!wanted.isEmpty())
        for (const QString &name : QPrinterInfo::availablePrinterNames())
            if (name.compare(wanted, Qt::CaseInsensitive) == 0 && printer.SetPrinterName(name))
                return;
    printer.SetDefaultPrinter();
}

void TMainForm::PrintJob(bool markedOnly, int target)
{
    const TUplFile *file = CurrentFile();
    if (!file)
        return;
    std::unique_ptr<TZorPrinter> pdfPrinter;
    if (target == ToPdf) {
        const QString suggested = ShownName(file->FileName) + QStringLiteral(".pdf");
        const std::optional<QString> path = ChooseFile(TFileChoice::SavePdf, suggested);
        if (!path || path->isEmpty())
            return;
        pdfPrinter = std::make_unique<TZorPrinter>();
        pdfPrinter->SetPdfOutput(*path);
    }
    TZorPrinter &printer = pdfPrinter ? *pdfPrinter : Printer();
    // Said before anything is drawn, in the words the print job uses.
    if (target == ToPrinter && !printer.IsPdfOutput() &&
        QPrinterInfo::availablePrinterNames().isEmpty())
        throw EKordavinaError(QStringLiteral("No printer is installed."));

    const QList<TUpl> slips = SlipsToPrint(*file, markedOnly);
    if (target != ToPreview && !ConfirmPrintChecks(slips))
        return;
    const TFieldFormats format = FData.Formats.GetDefaultFormat();
    const TAmountOptions amount{FData.Settings.ThousandSep, FData.Settings.IznosJednako};
    SetPaperSize(printer, format);

    std::unique_ptr<QProgressDialog> progress;
    if (slips.size() > ProgressFrom && target != ToPreview) {
        progress = std::make_unique<QProgressDialog>(QStringLiteral("Štampanje uplatnica..."),
                                                     QStringLiteral("Odustani"), 0,
                                                     int(slips.size()), this);
        progress->setObjectName(QStringLiteral("PrintProgress"));
        progress->setWindowTitle(QStringLiteral("Štampanje"));
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        progress->setValue(0);
    }
    // The job asks before each page it puts out; the callback lives no longer
    // than this command.
    struct TProgressGuard
    {
        TZorPrinter &Printer;
        ~TProgressGuard() { Printer.SetProgress({}); }
    } guard{printer};
    if (progress)
        printer.SetProgress([&progress](int page, int total) {
            if (progress->maximum() != total)
                progress->setMaximum(total);
            if (page % 10 == 0 || page == total) {
                progress->setValue(page);
                QCoreApplication::processEvents();
            }
            return !progress->wasCanceled();
        });
    try {
        BeginSlipJob(printer, slips, format, amount);
        if (target == ToPreview) {
            printer.Preview();
            return;
        }
        if (progress) {
            // A job cannot be withdrawn once its pages are going out (to the
            // spooler or into the file): the whole job is drawn first, so that
            // "Odustani" sends nothing.
            if (!printer.DrawWholeJob()) {
                printer.AbortDoc();
                return;
            }
            printer.SetProgress({});
            progress->setLabelText(QStringLiteral("Slanje na štampač..."));
            progress->setCancelButton(nullptr);
            QCoreApplication::processEvents();
        }
        printer.EndDoc(false);
    } catch (...) {
        printer.AbortDoc();
        throw;
    }
}

void TMainForm::FilePrintAExecute()
{
    PrintJob(false, ToPrinter);
}

void TMainForm::UplPrintAExecute()
{
    PrintJob(true, ToPrinter);
}

void TMainForm::FilePreviewAExecute()
{
    PrintJob(false, ToPreview);
}

void TMainForm::FilePdfAExecute()
{
    PrintJob(false, ToPdf);
}

void TMainForm::FilePrinterSetupAExecute()
{
    TZorPrinter &printer = Printer();
    QPrintDialog dialog(&printer.Printer(), this);
    dialog.setWindowTitle(QStringLiteral("Podešavanje štampača"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The job object keeps its own record of where it prints; it follows the
    // choice for this run.
    QPrinter &chosen = printer.Printer();
    if (chosen.outputFormat() == QPrinter::PdfFormat && !chosen.outputFileName().isEmpty())
        printer.SetPdfOutput(chosen.outputFileName());
    else
        printer.SetPrinterName(chosen.printerName());
}

#include "ui/main/MainFormU.h"

#include "core/Errors.h"
#include "ui/print/ZorPdfOutput.h"
#include "ui/print/ZorPrinters.h"
#include "print/formats/PrintChecks.h"
#include "ui/print/SlipPrint.h"
#include "ui/common/ProgramData.h"

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
    // What cannot be printed is said before anything is asked or drawn.
    const TFieldFormats format = FData.Formats.GetDefaultFormat();
    if (const QString refused = CheckFormatPrintable(FData.Formats.DefaultName(), format);
        !refused.isEmpty())
        throw EKordavinaError(refused);
    const QList<TUpl> slips = SlipsToPrint(*file, markedOnly);
    for (qsizetype i = 0; i < file->Uplatnice.size(); ++i) {
        const TUpl &slip = file->Uplatnice[i];
        if (markedOnly && !slip.Oznacena)
            continue;
        if (const QString refused = CheckSlipAmount(slip, i + 1); !refused.isEmpty())
            throw EKordavinaError(refused);
    }

    std::unique_ptr<TZorPrinter> pdfPrinter;
    QString pdfPath;
    if (target == ToPdf) {
        const QString suggested = ShownName(file->FileName) + QStringLiteral(".pdf");
        const std::optional<QString> path = ChooseFile(TFileChoice::SavePdf, suggested);
        if (!path || path->isEmpty())
            return;
        pdfPath = *path;
        pdfPrinter = std::make_unique<TZorPrinter>();
        pdfPrinter->SetPdfOutput(pdfPath);
    }
    TZorPrinter &printer = pdfPrinter ? *pdfPrinter : Printer();
    // Said before anything is drawn, in the words the print job uses.
    if (target == ToPrinter && !printer.IsPdfOutput() &&
        QPrinterInfo::availablePrinterNames().isEmpty())
        throw EKordavinaError(QStringLiteral("No printer is installed."));

    if (target != ToPreview && !ConfirmPrintChecks(slips))
        return;
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
    // Returns false when the user cancelled.
    const auto run = [&]() {
        try {
            BeginSlipJob(printer, slips, format, amount);
            if (target == ToPreview) {
                printer.Preview();
                return true;
            }
            if (progress) {
                // A job cannot be withdrawn once its pages are going out (to
                // the spooler or into the file): the whole job is drawn first,
                // so that "Odustani" sends nothing.
                if (!printer.DrawWholeJob()) {
                    printer.AbortDoc();
                    return false;
                }
                printer.SetProgress({});
                progress->setLabelText(QStringLiteral("Slanje na štampač..."));
                progress->setCancelButton(nullptr);
                QCoreApplication::processEvents();
            }
            printer.EndDoc(false);
            return true;
        } catch (...) {
            printer.AbortDoc();
            throw;
        }
    };
    if (target == ToPdf)
        // Whole or not at all: an earlier file of that name stays until the
        // new one is complete, and the slip file itself is never overwritten.
        PrintToPdfFile(printer, pdfPath, {file->FileName}, run);
    else
        run();
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

#include "ui/main/MainFormU.h"

#include "core/Errors.h"
#include "ui/print/ZorPdfOutput.h"
#include "ui/print/ZorPrinters.h"
#include "print/formats/PrintChecks.h"
#include "ui/print/SlipPrint.h"
#include "ui/common/ProgramData.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

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
        throw EKordavinaError(NoPrinterInstalledText());
    // No printer of its own choosing (none is the system's default, or the
    // one chosen has gone) while queues are installed: the user picks one
    // rather than meeting an error or a printer picked for him.
    const bool noChoice =
        printer.PrinterName().isEmpty() ||
        (QPrinterInfo::defaultPrinterName().isEmpty() && FData.Settings.DefaultPrinter.isEmpty());
    if (target == ToPrinter && !printer.IsPdfOutput() && !FPrinterChosen && noChoice &&
        !ChoosePrinter())
        return;

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
    bool done = false;
    if (target == ToPdf)
        // Whole or not at all: an earlier file of that name stays until the
        // new one is complete, and the slip file itself is never overwritten.
        done = PrintToPdfFile(printer, pdfPath, {file->FileName}, run);
    else
        done = run();
    // Where the pages went, which a printer far down the hall does not show.
    if (done && target != ToPreview)
        statusBar()->showMessage(target == ToPdf
                                     ? PrintedText(slips.size(), pdfPath, true)
                                     : PrintedText(slips.size(), printer.PrinterName(), false));
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
    RunPrinterSetup();
}

bool TMainForm::ChoosePrinter()
{
    if (PrinterChooser)
        return PrinterChooser();
    return RunPrinterSetup();
}

bool TMainForm::RunPrinterSetup()
{
    TZorPrinter &printer = Printer();
    QPrintDialog dialog(&printer.Printer(), this);
    dialog.setWindowTitle(QStringLiteral("Podešavanje štampača"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    // Nothing is printed here: the dialog's button says so (again once it
    // runs, as the dialog may name it anew when shown).
    const auto rename = [&dialog] {
        for (QDialogButtonBox *box : dialog.findChildren<QDialogButtonBox *>())
            if (QPushButton *ok = box->button(QDialogButtonBox::Ok))
                ok->setText(QStringLiteral("U &redu"));
    };
    rename();
    QTimer::singleShot(0, &dialog, rename);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    // The job object keeps its own record of where it prints; it follows the
    // choice for this run.
    QPrinter &chosen = printer.Printer();
    if (chosen.outputFormat() == QPrinter::PdfFormat && !chosen.outputFileName().isEmpty())
        printer.SetPdfOutput(chosen.outputFileName());
    else
        printer.SetPrinterName(chosen.printerName());
    FPrinterChosen = true;
    return true;
}

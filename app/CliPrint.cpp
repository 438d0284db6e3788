#include "app/Cli.h"

#include "core/AppFolder.h"
#include "core/Errors.h"
#include "core/SafeFile.h"
#include "core/Settings.h"
#include "core/UplFileIO.h"
#include "ui/print/ZorPdfOutput.h"
#include "ui/print/ZorPrinters.h"
#include "print/formats/FormatStore.h"
#include "print/formats/PrintChecks.h"
#include "ui/print/SlipPrint.h"

#include <QPrinterInfo>

#include <functional>
#include <optional>

namespace Cli {

namespace {

// The options shared by print, grid and preview.
struct TPrintArgs
{
    QString File;
    QString Pdf;
    QString Printer;
    QString Format;
    QString CorrectFor; // the printer whose correction the job takes
    bool HasFormat = false;
    bool Marked = false;
    bool Strict = false; // print: refuse when a slip fails its account checks
};

// Parses args; allowed names the options the command takes. Returns nothing
// on wrong usage (after saying why).
std::optional<TPrintArgs> ParseArgs(const QString &command, const QStringList &args,
                                    const QStringList &allowed, bool needsFile)
{
    TPrintArgs a;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        const auto value = [&](QString &target) {
            // An empty value would quietly mean "no PDF" or "no printer".
            if (i + 1 >= args.size() || target.size() || args.at(i + 1).isEmpty()) {
                Err(QStringLiteral("%1: %2 needs one value\n").arg(command, arg));
                return false;
            }
            target = args.at(++i);
            return true;
        };
        if (arg.startsWith(QLatin1String("--")) && !allowed.contains(arg)) {
            Err(QStringLiteral("%1: unknown option %2\n").arg(command, arg));
            return std::nullopt;
        }
        if (arg == QLatin1String("--pdf")) {
            if (!value(a.Pdf))
                return std::nullopt;
        } else if (arg == QLatin1String("--printer")) {
            if (!value(a.Printer))
                return std::nullopt;
        } else if (arg == QLatin1String("--format")) {
            if (a.HasFormat || !value(a.Format))
                return std::nullopt;
            a.HasFormat = true;
        } else if (arg == QLatin1String("--correct-for")) {
            if (!value(a.CorrectFor))
                return std::nullopt;
        } else if (arg == QLatin1String("--marked")) {
            a.Marked = true;
        } else if (arg == QLatin1String("--strict")) {
            a.Strict = true;
        } else if (a.File.isEmpty() && needsFile) {
            a.File = arg;
        } else {
            Err(QStringLiteral("%1: unexpected argument %2\n").arg(command, arg));
            return std::nullopt;
        }
    }
    if (needsFile && a.File.isEmpty()) {
        Err(QStringLiteral("%1: a slip file is needed\n").arg(command));
        return std::nullopt;
    }
    if (!a.Pdf.isEmpty() && !a.Printer.isEmpty()) {
        Err(QStringLiteral("%1: --pdf and --printer exclude each other\n").arg(command));
        return std::nullopt;
    }
    return a;
}

QString FormatsFile()
{
    return ProgramFile(QStringLiteral("Formats.ini"));
}

// The format by name from Formats.ini of the program's folder, or its default;
// a format whose paper cannot be printed is refused.
TFieldFormats LoadFormat(const TPrintArgs &a)
{
    const QString path = FormatsFile();
    TFormatStore store;
    QString error;
    if (!store.Open(path, &error))
        throw EKordavinaError(PathError(path, error));
    if (a.HasFormat && !store.FormatExists(a.Format))
        throw EKordavinaError(QStringLiteral("Ne postoji format \"%1\"!").arg(a.Format));
    const QString name = a.HasFormat ? a.Format : store.DefaultName();
    TFieldFormats format;
    try {
        format = store.ReadFormat(name);
    } catch (const EConvertError &e) {
        throw EKordavinaError(PathError(path, e.Message()));
    }
    if (const QString refused = CheckFormatPrintable(name, format); !refused.isEmpty())
        throw EKordavinaError(refused);
    return format;
}

// The files a print job reads, which its output must not replace.
QStringList JobInputs(const TPrintArgs &a)
{
    return {a.File, FormatsFile(), SettingsFile()};
}

// An output that must not be written is refused before anything is read.
void CheckOutput(const TPrintArgs &a)
{
    if (a.Pdf.isEmpty())
        return;
    if (const QString refused = CheckOutputPath(a.Pdf, JobInputs(a)); !refused.isEmpty())
        throw EKordavinaError(PathError(a.Pdf, refused));
}

// Runs print() on the chosen printer; a PDF is written whole or not at all.
void Output(TZorPrinter &printer, const TPrintArgs &a, const std::function<void()> &print)
{
    if (a.Pdf.isEmpty())
        print();
    else
        PrintToPdfFile(printer, a.Pdf, JobInputs(a), [&] {
            print();
            return true;
        });
}

// Points the printer at the PDF file, the named queue, the settings' printer
// or the system's default, in that order.
void ChoosePrinter(TZorPrinter &printer, const TPrintArgs &a, const TSettings &settings)
{
    if (!a.Pdf.isEmpty()) {
        printer.SetPdfOutput(a.Pdf);
        return;
    }
    // Said before anything is drawn, in the words the print job uses.
    if (QPrinterInfo::availablePrinterNames().isEmpty())
        throw EKordavinaError(NoPrinterInstalledText());
    if (!a.Printer.isEmpty()) {
        if (!printer.SetPrinterName(a.Printer))
            throw EKordavinaError(PrinterNotInstalledText(a.Printer));
        return;
    }
    // A stored printer that has gone leaves the system's default in charge,
    // as at program start.
    if (settings.DefaultPrinter.isEmpty() || !printer.SetPrinterName(settings.DefaultPrinter))
        printer.SetDefaultPrinter();
}

// Reads the slip file and picks the slips to print; a slip whose amount
// cannot be printed stops the job before anything is drawn.
QList<TUpl> LoadSlips(const TPrintArgs &a)
{
    const TUplReadResult read = ReadUplFile(a.File);
    if (read.Status != TUplReadResult::Ok)
        throw EKordavinaError(PathError(a.File, read.Error));
    const QList<TUpl> &all = read.File->Uplatnice;
    for (qsizetype i = 0; i < all.size(); ++i)
        if (!a.Marked || all[i].Oznacena)
            if (const QString refused = CheckSlipAmount(all[i], i + 1); !refused.isEmpty())
                throw EKordavinaError(refused);
    return SlipsToPrint(*read.File, a.Marked);
}

// The user's settings (thousands separators, the printer, corrections) must
// be readable, or the output would differ from what was set; a FIFO would
// make the settings reader wait for ever.
void CheckSettings()
{
    if (const QString refused = CheckSettingsStore(); !refused.isEmpty())
        throw EKordavinaError(refused);
}

// The settings and the printer the arguments choose, shared by the commands.
struct TPrintContext
{
    TSettings Settings;
    TZorPrinter Printer;

    explicit TPrintContext(const TPrintArgs &a)
    {
        CheckSettings();
        LoadSettings(Settings);
        ChoosePrinter(Printer, a, Settings);
        if (!a.CorrectFor.isEmpty()) {
            if (!CorrectedPrinters().contains(a.CorrectFor))
                throw EKordavinaError(
                    QStringLiteral("Za štampač \"%1\" nije upisana korekcija.").arg(a.CorrectFor));
            if (const QString bad = CheckStoredCorrection(a.CorrectFor); !bad.isEmpty())
                throw EKordavinaError(bad);
            SetCorrectionFor(Printer, a.CorrectFor);
        } else if (a.Pdf.isEmpty()) {
            // A printer's own stored correction applies to its jobs.
            if (const QString bad = CheckStoredCorrection(Printer.PrinterName()); !bad.isEmpty())
                throw EKordavinaError(bad);
        }
    }
    TAmountOptions Amount() const { return {Settings.ThousandSep, Settings.IznosJednako}; }
};

int Fail(const EKordavinaError &e)
{
    Err(e.Message() + QLatin1Char('\n'));
    return 1;
}

} // namespace

int RunPrint(const QStringList &args)
{
    const auto a = ParseArgs(
        QStringLiteral("print"), args,
        {"--pdf", "--printer", "--marked", "--format", "--correct-for", "--strict"}, true);
    if (!a)
        return 2;
    try {
        CheckOutput(*a);
        CheckSettings();
        const QList<TUpl> slips = LoadSlips(*a);
        if (!SlipChecksAllowPrinting(slips, a->Strict))
            return 3;
        const TFieldFormats format = LoadFormat(*a);
        TPrintContext print(*a);
        Output(print.Printer, *a,
               [&] { PrintSlips(print.Printer, slips, format, print.Amount()); });
    } catch (const EKordavinaError &e) {
        return Fail(e);
    }
    return 0;
}

int RunGrid(const QStringList &args)
{
    const auto a = ParseArgs(QStringLiteral("grid"), args,
                             {"--pdf", "--printer", "--format", "--correct-for"}, false);
    if (!a)
        return 2;
    try {
        CheckOutput(*a);
        const TFieldFormats format = LoadFormat(*a);
        TPrintContext print(*a);
        // The format editor prints on the paper the printer has; here that is
        // the format's own, so that the grid covers the form it measures.
        SetPaperSize(print.Printer, format);
        Output(print.Printer, *a, [&] { PrintGrid(print.Printer, format); });
    } catch (const EKordavinaError &e) {
        return Fail(e);
    }
    return 0;
}

int RunPreview(const QStringList &args)
{
    const auto a = ParseArgs(QStringLiteral("preview"), args, {"--marked", "--format"}, true);
    if (!a)
        return 2;
    try {
        const QList<TUpl> slips = LoadSlips(*a);
        const TFieldFormats format = LoadFormat(*a);
        TPrintContext print(*a);
        SetPaperSize(print.Printer, format);
        BeginSlipJob(print.Printer, slips, format, print.Amount());
        print.Printer.Preview();
    } catch (const EKordavinaError &e) {
        return Fail(e);
    }
    return 0;
}

} // namespace Cli

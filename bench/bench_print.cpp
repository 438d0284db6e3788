// Prints slips into a PDF through the program's print job and reports the
// time taken; then prints a job in five copies and checks that the slips were
// drawn only once (copies replay the recorded pages).
//
//   bench_print [SLIPS [OUT.pdf]]      default 1000 slips, a temporary file
//
// Exit code 0 when 1,000 slips take under a second and copies do not draw again.

#include "core/Upl.h"
#include "print/engine/ZorPrinters.h"
#include "print/formats/SlipPrint.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

namespace {

QList<TUpl> MakeSlips(int n)
{
    QList<TUpl> slips;
    for (int i = 0; i < n; ++i) {
        TUpl s = NewSlip();
        s.Posiljalac = QStringLiteral("Ivan Ivić %1, Zmaja od Bosne 12, 71000 Sarajevo").arg(i);
        s.RacunPosiljaoca =
            QStringLiteral("14123456789%1").arg(i % 100000, 5, 10, QLatin1Char('0'));
        s.Svrha =
            QStringLiteral("Porez na dohodak za januar 2024. godine, akontacija broj %1").arg(i);
        s.Primalac = QStringLiteral("Kantonalno ministarstvo finansija, Sarajevo");
        s.RacunPrimaoca = QStringLiteral("3380002210018304");
        s.Iznos = 1000 + i * 12.345;
        s.Hitno = i % 3 == 0;
        s.BrojObveznika = QStringLiteral("4200000000001");
        s.VrstaUplate = QStringLiteral("0");
        s.VrstaPrihoda = QStringLiteral("716111");
        s.Opstina = QStringLiteral("077");
        s.Poziv = QStringLiteral("0000%1").arg(i % 1000000, 6, 10, QLatin1Char('0'));
        s.Budzetska = QStringLiteral("0000000");
        s.PeriodOd = QStringLiteral("010124");
        s.PeriodDo = QStringLiteral("310124");
        s.DatumUplate = QStringLiteral("150224");
        s.MjestoUplate = QStringLiteral("Sarajevo");
        slips.append(s);
    }
    return slips;
}

int PdfPages(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pdf = f.readAll();
    int pages = 0;
    for (qsizetype at = 0; (at = pdf.indexOf("/Type /Page\n", at)) >= 0; ++at)
        ++pages;
    return pages;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 1000;
    const QString out =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::temp().filePath("bench_print.pdf");

    const QList<TUpl> slips = MakeSlips(n);
    const TFieldFormats format;
    const TAmountOptions amount{true, true};
    TZorPrinter printer;
    printer.SetPdfOutput(out);
    SetPaperSize(printer, format);

    // Fonts are loaded once per process; a first small job keeps that out.
    BeginSlipJob(printer, slips.mid(0, 1), format, amount);
    printer.EndDoc(false);

    QElapsedTimer timer;
    timer.start();
    BeginSlipJob(printer, slips, format, amount);
    const qint64 recorded = timer.elapsed();
    printer.EndDoc(false);
    const qint64 total = timer.elapsed();
    const int pages = PdfPages(out);
    std::printf("%d slips: drawn and recorded %lld ms, written to PDF %lld ms, total %lld ms"
                " (%.3f ms per slip); %d pages, %lld bytes\n",
                n, static_cast<long long>(recorded), static_cast<long long>(total - recorded),
                static_cast<long long>(total), n ? double(total) / n : 0.0, pages,
                static_cast<long long>(QFile(out).size()));

    // Five copies: the pages are replayed, never drawn again.
    const QList<TUpl> few = slips.mid(0, qMin(n, 10));
    BeginSlipJob(printer, few, format, amount);
    const long long drawnBefore = DrawSlipCount();
    printer.PrintOptions().Copies = 5;
    timer.restart();
    printer.EndDoc(false);
    const qint64 copiesMs = timer.elapsed();
    const long long drawnAgain = DrawSlipCount() - drawnBefore;
    const int copyPages = PdfPages(out);
    std::printf(
        "%lld slips in 5 copies: %d pages in %lld ms; slips drawn again while printing: %lld\n",
        static_cast<long long>(few.size()), copyPages, static_cast<long long>(copiesMs),
        drawnAgain);

    const bool ok =
        (n != 1000 || total < 1000) && drawnAgain == 0 && pages == n && copyPages == 5 * few.size();
    std::printf("%s\n", ok ? "OK" : "NOT MET");
    return ok ? 0 : 1;
}

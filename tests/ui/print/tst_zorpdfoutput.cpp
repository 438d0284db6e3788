// "Print to a PDF file" written whole or not at all, as the windows and the
// command line use it.

#include "FileBytes.h"
#include "core/Errors.h"
#include "core/SafeFile.h"
#include "ui/print/ZorPdfOutput.h"
#include "ui/print/ZorPrinters.h"

#include <QDir>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

namespace {

// A two-page job on the printer's current output.
bool PrintTwoPages(TZorPrinter &printer)
{
    printer.BeginDoc();
    printer.Canvas()->drawRect(100, 100, 500, 300);
    printer.NewPage();
    printer.Canvas()->drawRect(200, 200, 500, 300);
    printer.EndDoc(false);
    return true;
}

} // namespace

class TestZorPdfOutput : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString Path(const QString &name) const { return m_dir.filePath(name); }
    QStringList Files() const { return QDir(m_dir.path()).entryList(QDir::Files); }

    // Runs the print expecting EKordavinaError; returns its message.
    QString Refusal(TZorPrinter &printer, const QString &target, const QStringList &inputs,
                    const std::function<bool()> &print)
    {
        try {
            PrintToPdfFile(printer, target, inputs, print);
        } catch (const EKordavinaError &e) {
            return e.Message();
        }
        return QStringLiteral("<no error>");
    }

private Q_SLOTS:
    void init() { QVERIFY(WriteAll(Path("out.pdf"), "earlier")); }

    void wholeJobReplacesTheFileAndKeepsThePaper()
    {
        TZorPrinter printer;
        printer.SetPdfOutput(Path("out.pdf"));
        printer.SetPaperSize(176, 100);
        QVERIFY(
            PrintToPdfFile(printer, Path("out.pdf"), {}, [&] { return PrintTwoPages(printer); }));
        QCOMPARE(CheckPdfComplete(Path("out.pdf")), QString());
        const QByteArray pdf = ReadAll(Path("out.pdf"));
        QCOMPARE(QString::fromLatin1(pdf).count(
                     QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))),
                 2);
        QCOMPARE(Files(), QStringList{"out.pdf"});
        QCOMPARE(printer.PrinterName(), Path("out.pdf"));
        QCOMPARE(qRound(printer.PaperWidth()), 176);
        QCOMPARE(qRound(printer.PaperHeight()), 100);
        // A PDF needs no printer: the print system's plugin (and the libraries
        // it pulls in) stays unloaded, which is most of a one-slip job's time.
        QFile maps(QStringLiteral("/proc/self/maps"));
        if (maps.open(QIODevice::ReadOnly))
            QVERIFY(!maps.readAll().contains("/printsupport/"));
    }

    void cancelledJobChangesNothing()
    {
        TZorPrinter printer;
        QVERIFY(!PrintToPdfFile(printer, Path("out.pdf"), {}, [] { return false; }));
        QCOMPARE(ReadAll(Path("out.pdf")), QByteArray("earlier"));
        QCOMPARE(Files(), QStringList{"out.pdf"});
    }

    void failuresLeaveTheEarlierFile()
    {
        TZorPrinter printer;
        const QString out = Path("out.pdf");
        // The job's own error passes through; the temporary file goes.
        QCOMPARE(Refusal(printer, out, {},
                         []() -> bool { throw EKordavinaError(QStringLiteral("odbijeno")); }),
                 QStringLiteral("odbijeno"));
        // The disk fails as the file is flushed before the rename.
        InjectWriteFailure(EIO, 100);
        const QString failed = Refusal(printer, out, {}, [&] { return PrintTwoPages(printer); });
        InjectWriteFailure(0);
        QCOMPARE(failed, PathError(out, SystemErrorText(EIO)));
        // A job that leaves no whole PDF (it wrote nothing).
        QCOMPARE(Refusal(printer, out, {}, [] { return true; }),
                 PathError(out, QStringLiteral("PDF nije zapisan do kraja")));
        // An output that is an input is refused before the job runs.
        bool ran = false;
        QCOMPARE(Refusal(printer, out, {out},
                         [&] {
                             ran = true;
                             return true;
                         }),
                 PathError(out, QStringLiteral("to je ulazna datoteka %1; izlaz mora biti druga "
                                               "datoteka")
                                    .arg(out)));
        QVERIFY(!ran);
        QCOMPARE(Refusal(printer, m_dir.path(), {}, [] { return true; }),
                 PathError(m_dir.path(), NotRegularFileText()));
        QCOMPARE(ReadAll(out), QByteArray("earlier"));
        QCOMPARE(Files(), QStringList{"out.pdf"});
    }
};

QTEST_MAIN(TestZorPdfOutput)
#include "tst_zorpdfoutput.moc"

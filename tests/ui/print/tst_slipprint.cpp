#include "PdfProbe.h"
#include "core/Upl.h"
#include "print/engine/ZorCanvas.h"
#include "ui/print/ZorPrinters.h"
#include "ui/print/SlipPrint.h"

#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace {

constexpr double HalfPoint = 25.4 / 144;

// The paper size as it was asked for, in millimetres.
QSizeF PaperDefinition(TZorPrinter &printer)
{
    const QPageSize size = printer.Printer().pageLayout().pageSize();
    return size.definitionUnits() == QPageSize::Millimeter ? size.definitionSize() : QSizeF();
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

TUplFile FiveSlips()
{
    TUplFile file;
    for (int i = 0; i < 5; ++i) {
        TUpl s = NewSlip();
        s.Opis = QString::number(i + 1);
        s.Posiljalac = QStringLiteral("Pošiljalac %1").arg(i + 1);
        s.Oznacena = i != 1 && i != 3;
        file.AddSlip(s);
    }
    return file;
}

// Slips whose texts exercise the layout: long words cut with a "-", lines
// broken at blanks, Bosnian letters, every box field, urgent marks.
QList<TUpl> VariedSlips(int n)
{
    QList<TUpl> slips;
    for (int i = 0; i < n; ++i) {
        TUpl s = NewSlip();
        s.Posiljalac = QStringLiteral("Šefik Đurđević %1, Titova 7, 88000 Mostar").arg(i);
        s.RacunPosiljaoca = QStringLiteral("1610000012345%1").arg(i % 1000, 3, 10, QChar('0'));
        s.Svrha = i % 2 ? QStringLiteral("Elektroprivredaidistribucijaelektricneenergije %1").arg(i)
                        : QStringLiteral("Uplata članarine za 2024. godinu, rata %1").arg(i);
        s.Primalac = QStringLiteral("JP Elektroprivreda BiH d.d. – Sarajevo");
        s.RacunPrimaoca = QStringLiteral("1990440001234567");
        s.Iznos = i * 1234.5 - 10;
        s.Hitno = i % 2 == 0;
        s.BrojObveznika = QStringLiteral("4200000000001");
        s.VrstaUplate = QString::number(i % 10);
        s.VrstaPrihoda = QStringLiteral("722131");
        s.Opstina = QStringLiteral("0%1").arg(i % 100, 2, 10, QChar('0'));
        s.Poziv = QStringLiteral("%1").arg(i, 10, 10, QChar('0'));
        s.PeriodOd = QStringLiteral("010124");
        s.DatumUplate = QStringLiteral("150224");
        s.MjestoUplate = QStringLiteral("Žepče");
        slips.append(s);
    }
    return slips;
}

// The file without its time of making, which is all that may differ between two runs.
QByteArray PdfBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    QString text = QString::fromLatin1(f.readAll());
    text.replace(QRegularExpression(QStringLiteral("/CreationDate \\(D:[0-9Z+'-]*\\)")),
                 QStringLiteral("/CreationDate ()"));
    return text.toLatin1();
}

// Which of the slips' senders page p of a PDF carries (its number), or -1.
int SenderOnPage(const QString &pdf, int page)
{
    QStringList words;
    for (const TPdfWord &w : PdfWords(pdf, page))
        words << w.Text;
    const qsizetype at = words.indexOf(QStringLiteral("Pošiljalac"));
    return at >= 0 && at + 1 < words.size() ? words[at + 1].toInt() : -1;
}

} // namespace

class TestSlipPrint : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void slipsToPrintKeepFileOrder()
    {
        const TUplFile file = FiveSlips();
        QStringList marked;
        for (const TUpl &s : SlipsToPrint(file, true))
            marked << s.Opis;
        QCOMPARE(marked, QStringList({"1", "3", "5"}));
        QCOMPARE(SlipsToPrint(file, false).size(), 5);
        QVERIFY(SlipsToPrint(TUplFile(), true).isEmpty());
    }

    void paperIsTheFormatsSizeInTenths()
    {
        TZorPrinter printer;
        printer.SetPdfOutput(m_dir.filePath("paper.pdf"));
        TFieldFormats format;
        format.Width = 150.57;
        format.Height = 90.99;
        SetPaperSize(printer, format);
        // Tenths of a millimetre, truncated: 150.5 x 90.9 (the device then
        // has it in whole points).
        QCOMPARE(PaperDefinition(printer), QSizeF(150.5, 90.9));
        QVERIFY(qAbs(printer.PaperWidth() - 150.5) < HalfPoint);
        QVERIFY(qAbs(printer.PaperHeight() - 90.9) < HalfPoint);

        // The canvas counts from the sheet's corner.
        printer.BeginDoc();
        const TZorCanvas canvas = PageCanvas(printer);
        QCOMPARE(canvas.Canvas, printer.Canvas());
        QCOMPARE(canvas.Scale, printer.PixelsPerMM());
        QCOMPARE(canvas.OffsetX, -printer.LeftOffset());
        QCOMPARE(canvas.OffsetY, -printer.TopOffset());
        printer.EndDoc(false);
    }

    void onePagePerSlip_data()
    {
        QTest::addColumn<bool>("marked");
        QTest::addColumn<int>("pages");
        QTest::newRow("every slip") << false << 5;
        QTest::newRow("three marked of five") << true << 3;
    }
    void onePagePerSlip()
    {
        QFETCH(bool, marked);
        QFETCH(int, pages);
        const QString pdf = m_dir.filePath("slips.pdf");
        TZorPrinter printer;
        printer.SetPdfOutput(pdf);
        const long long before = DrawSlipCount();
        PrintSlips(printer, SlipsToPrint(FiveSlips(), marked), TFieldFormats(), {});
        QCOMPARE(DrawSlipCount() - before, pages);
        QCOMPARE(PdfPages(pdf), pages);
    }

    void noSlipsGiveOneEmptyPage()
    {
        const QString pdf = m_dir.filePath("empty.pdf");
        TZorPrinter printer;
        printer.SetPdfOutput(pdf);
        BeginSlipJob(printer, {}, TFieldFormats(), {});
        QCOMPARE(printer.Title(), QStringLiteral("Kordavina"));
        printer.EndDoc(false);
        QCOMPARE(PdfPages(pdf), 1);
    }

    void copiesDrawTheSlipsInPrintOrder_data()
    {
        QTest::addColumn<bool>("collate");
        QTest::addColumn<bool>("reverse");
        QTest::addColumn<QList<int>>("senders");
        QTest::newRow("collated") << true << false << QList<int>{1, 3, 5, 1, 3, 5};
        QTest::newRow("page by page") << false << false << QList<int>{1, 1, 3, 3, 5, 5};
        QTest::newRow("collated, last first") << true << true << QList<int>{5, 3, 1, 5, 3, 1};
    }
    void copiesDrawTheSlipsInPrintOrder()
    {
        QFETCH(bool, collate);
        QFETCH(bool, reverse);
        QFETCH(QList<int>, senders);
        if (!HavePdfTools())
            QSKIP("poppler-utils are missing");
        const QString pdf = m_dir.filePath("copies.pdf");
        TZorPrinter printer;
        printer.SetPdfOutput(pdf);
        SetPaperSize(printer, TFieldFormats());
        BeginSlipJob(printer, SlipsToPrint(FiveSlips(), true), TFieldFormats(), {});
        QCOMPARE(printer.Job().PageCount(), 3);
        const long long drawn = DrawSlipCount();
        printer.PrintOptions().Copies = 2;
        printer.PrintOptions().Collate = collate;
        printer.PrintOptions().Reverse = reverse;
        printer.EndDoc(false);
        // Straight onto the PDF: each printed page is a slip drawn again.
        QCOMPARE(DrawSlipCount() - drawn, 6);
        QCOMPARE(PdfPages(pdf), 6);
        QList<int> found;
        for (int p = 1; p <= 6; ++p)
            found << SenderOnPage(pdf, p);
        QCOMPARE(found, senders);
    }

    void layoutThreadsGiveTheSameFile()
    {
        const QList<TUpl> slips = VariedSlips(60);
        QList<QByteArray> files;
        for (int threads : {1, 2, 3}) {
            const QString pdf = m_dir.filePath(QStringLiteral("threads%1.pdf").arg(threads));
            TZorPrinter printer;
            printer.SetPdfOutput(pdf);
            printer.SetLayoutThreads(threads);
            PrintSlips(printer, slips, TFieldFormats(), {true, true});
            files << PdfBytes(pdf);
        }
        QCOMPARE(PdfPages(m_dir.filePath("threads3.pdf")), 60);
        QVERIFY(files[0].size() > 60 * 1000);
        QVERIFY(files[1] == files[0]);
        QVERIFY(files[2] == files[0]);
    }

    void printedPagesLookAsRecordedOnes()
    {
        // Drawn straight with glyph runs or recorded and replayed as text, a
        // page carries the same words at the same places: the replay puts
        // baselines on a grid of its own, which may move them by up to 0.004
        // mm; at 300 dpi that can shade an edge pixel otherwise, no more.
        if (!HavePdfTools())
            QSKIP("poppler-utils are missing");
        const QList<TUpl> slips = VariedSlips(4);
        const TAmountOptions amount{true, false};
        const QString direct = m_dir.filePath("direct.pdf");
        const QString recorded = m_dir.filePath("recorded.pdf");
        {
            TZorPrinter printer;
            printer.SetPdfOutput(direct);
            PrintSlips(printer, slips, TFieldFormats(), amount);
        }
        {
            TZorPrinter printer;
            printer.SetPdfOutput(recorded);
            SetPaperSize(printer, TFieldFormats());
            printer.BeginDoc();
            for (qsizetype i = 0; i < slips.size(); ++i) {
                if (i)
                    printer.NewPage();
                TZorCanvas canvas = PageCanvas(printer);
                DrawSlip(canvas, slips[i], TFieldFormats(), amount);
            }
            printer.EndDoc(false);
        }
        constexpr double Tolerance = 0.01 * PointsPerMm;
        for (int page = 1; page <= 4; ++page) {
            const QList<TPdfWord> a = PdfWords(direct, page);
            const QList<TPdfWord> b = PdfWords(recorded, page);
            QVERIFY(a.size() > 40);
            QCOMPARE(a.size(), b.size());
            for (qsizetype i = 0; i < a.size(); ++i) {
                QCOMPARE(a[i].Text, b[i].Text);
                QVERIFY2(qAbs(a[i].XMin - b[i].XMin) < Tolerance &&
                             qAbs(a[i].XMax - b[i].XMax) < Tolerance &&
                             qAbs(a[i].YMin - b[i].YMin) < Tolerance &&
                             qAbs(a[i].YMax - b[i].YMax) < Tolerance,
                         qPrintable(a[i].Text));
            }
            const QImage x = PdfRender(direct, page, 300);
            const QImage y = PdfRender(recorded, page, 300);
            QVERIFY(!x.isNull());
            QCOMPARE(x.size(), y.size());
            int ink = 0;
            int changed = 0;
            for (int r = 0; r < x.height(); ++r)
                for (int c = 0; c < x.width(); ++c) {
                    ink += qGray(y.pixel(c, r)) < 128;
                    changed += qAbs(qGray(x.pixel(c, r)) - qGray(y.pixel(c, r))) > 80;
                }
            QVERIFY(ink > 3000);
            QVERIFY2(changed == 0,
                     qPrintable(QStringLiteral("page %1: %2").arg(page).arg(changed)));
        }
    }

    void progressCancelsTheRest()
    {
        const QString pdf = m_dir.filePath("cancelled.pdf");
        TZorPrinter printer;
        printer.SetPdfOutput(pdf);
        QList<QPair<int, int>> calls;
        printer.SetProgress([&calls](int page, int total) {
            calls.append({page, total});
            return page < 3;
        });
        PrintSlips(printer, VariedSlips(5), TFieldFormats(), {});
        QVERIFY(printer.PrintCancelled());
        QCOMPARE(calls, (QList<QPair<int, int>>{{1, 5}, {2, 5}, {3, 5}}));
        QCOMPARE(PdfPages(pdf), 2);
        QCOMPARE(printer.Job().PageCount(), 0); // released

        // The next job runs whole, told of every page.
        calls.clear();
        printer.SetProgress([&calls](int page, int total) {
            calls.append({page, total});
            return true;
        });
        PrintSlips(printer, VariedSlips(4), TFieldFormats(), {});
        QVERIFY(!printer.PrintCancelled());
        QCOMPARE(calls.size(), 4);
        QCOMPARE(PdfPages(pdf), 4);
    }

    void printingMakesNoWindowControls()
    {
        // A print job object that only prints is no window: the preview's
        // controls are made when a preview opens.
        TZorPrinter printer;
        printer.SetPdfOutput(m_dir.filePath("headless.pdf"));
        PrintSlips(printer, VariedSlips(2), TFieldFormats(), {});
        QVERIFY(printer.findChildren<QWidget *>().isEmpty());
        QVERIFY(printer.layout() == nullptr);
    }

    void gridJobKeepsThePaper()
    {
        TZorPrinter printer;
        printer.SetPdfOutput(m_dir.filePath("grid.pdf"));
        TFieldFormats format;
        format.Width = 120;
        format.Height = 80;
        SetPaperSize(printer, format);
        TFieldFormats other;
        BeginGridJob(printer, other);
        QCOMPARE(printer.Title(), QStringLiteral("Kordavina (štampanje mreže)"));
        QCOMPARE(PaperDefinition(printer), QSizeF(120, 80));
        printer.EndDoc(false);
        QCOMPARE(PdfPages(m_dir.filePath("grid.pdf")), 1);
    }
};

QTEST_MAIN(TestSlipPrint)
#include "tst_slipprint.moc"

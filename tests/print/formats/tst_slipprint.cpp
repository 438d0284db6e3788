#include "core/Upl.h"
#include "print/engine/ZorCanvas.h"
#include "print/engine/ZorPrinters.h"
#include "print/formats/SlipPrint.h"

#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

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

    void copiesReplayWithoutDrawing()
    {
        const QString pdf = m_dir.filePath("copies.pdf");
        TZorPrinter printer;
        printer.SetPdfOutput(pdf);
        SetPaperSize(printer, TFieldFormats());
        BeginSlipJob(printer, SlipsToPrint(FiveSlips(), true), TFieldFormats(), {});
        const long long drawn = DrawSlipCount();
        printer.PrintOptions().Copies = 5;
        printer.EndDoc(false);
        QCOMPARE(DrawSlipCount(), drawn);
        QCOMPARE(PdfPages(pdf), 15);
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

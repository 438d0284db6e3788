#include "PdfProbe.h"
#include "core/Errors.h"
#include "print/engine/ZorCanvas.h"
#include "print/engine/ZorSpooler.h"
#include "ui/print/ZorPrintDlgs.h"
#include "ui/print/ZorPrinters.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <optional>

namespace {

// The preview side of the printer, opened up for the test.
class TProbePrinter : public TZorPrinter
{
public:
    using TZorPrinter::PreviewPageCount;
    using TZorPrinter::PreviewPaintPage;
    using TZorPrinter::PreviewPaper;
    using TZorPrinter::PreviewPrint;
};

// Draws n pages of a slip-like job, each with its number, through a millimetre canvas.
void DrawJob(TZorPrinter &printer, int pages, const QString &title = QStringLiteral("Kordavina"))
{
    printer.BeginDoc();
    printer.SetTitle(title);
    for (int n = 1; n <= pages; ++n) {
        if (n > 1)
            printer.NewPage();
        TZorCanvas canvas(printer.Canvas());
        canvas.Scale = printer.PixelsPerMM();
        canvas.OffsetX = -printer.LeftOffset();
        canvas.OffsetY = -printer.TopOffset();
        printer.Canvas()->setBrush(Qt::NoBrush);
        canvas.TextOut(QStringLiteral("Uplatnica%1").arg(n), 7, 20, 30);
    }
}

// Answers the next print dialog by setting its controls.
struct TDialogAnswer
{
    bool Ok = true;
    int Choice = 0; // 0 all, 1 page on view, 2 pages typed
    QString Pages;
    int Copies = 1;
    bool Collate = true;
    bool Reverse = false;
};

// Every print dialog from now on, until the seams are cleared.
void AnswerDialogs(const TDialogAnswer &answer)
{
    PrintDialogSeam().AnswerAll([a = answer](TZorPrintDlg &dlg) {
        (a.Choice == 0 ? dlg.btnAll : a.Choice == 1 ? dlg.btnPage : dlg.btnPages)->setChecked(true);
        dlg.Pages->setText(a.Pages);
        dlg.Copies->setValue(a.Copies);
        dlg.chkColate->setChecked(a.Collate);
        dlg.chkReverse->setChecked(a.Reverse);
        return a.Ok ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
}

// Runs action once the preview window is on the screen (its modal loop running).
void WhenPreviewShown(TZorPrinter &printer, std::function<void()> action)
{
    auto *poll = new QTimer(&printer);
    QObject::connect(poll, &QTimer::timeout, &printer, [poll, &printer, action] {
        if (!printer.isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        action();
    });
    poll->start(10);
}

QStringList FirstWords(const QString &file, int pages)
{
    QStringList words;
    for (int p = 1; p <= pages; ++p)
        words << PdfWords(file, p).value(0).Text;
    return words;
}

} // namespace

class tst_ZorPrinter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void oneProgramWidePrinter();
    void pdfOutputHasPagesOfCustomPaper();
    void endDocAsksOptionsOnlyWhenTold();
    void cancelledDialogPrintsNothing();
    void pageOnViewIsPrintedFromDialog();
    void printerErrorsAreThrown();
    void previewShowsRecordedPages();
    void previewPrintReportsErrorsInABox();
    void installedPrinterMetrics();
    void spoolerRefusalIsReported();

private:
    QTemporaryDir m_dir;
};

void tst_ZorPrinter::cleanup()
{
    ClearDialogSeams();
}

void tst_ZorPrinter::oneProgramWidePrinter()
{
    QVERIFY(ZorPrinter() == nullptr);
    auto first = std::make_unique<TZorPrinter>();
    QCOMPARE(ZorPrinter(), first.get());
    {
        TZorPrinter second;
        QCOMPARE(ZorPrinter(), first.get());
    }
    QCOMPARE(ZorPrinter(), first.get());
    first.reset();
    QVERIFY(ZorPrinter() == nullptr);
}

void tst_ZorPrinter::pdfOutputHasPagesOfCustomPaper()
{
    TZorPrinter printer;
    const QString file = m_dir.filePath(QStringLiteral("slips.pdf"));
    printer.SetPdfOutput(file);
    QVERIFY(printer.IsPdfOutput());
    QCOMPARE(printer.PrinterName(), file);
    printer.SetPaperSize(176, 100);
    // A PDF has no unprintable margins; its resolution is 1200 dpi.
    QCOMPARE(qRound(printer.PixelsPerMM() * 100), 4724);
    QCOMPARE(printer.LeftOffset(), 0.0f);
    QCOMPARE(printer.TopOffset(), 0.0f);
    QCOMPARE(printer.RightOffset(), 0.0f);
    QCOMPARE(printer.BottomOffset(), 0.0f);
    // Qt keeps the size in whole points: 499 x 283 pt is 176.04 x 99.84 mm.
    QVERIFY(qAbs(printer.PaperWidth() - 176.0f) < 0.2f);
    QVERIFY(qAbs(printer.PaperHeight() - 100.0f) < 0.2f);
    QCOMPARE(printer.PrintableWidth(), 176.0f);
    QCOMPARE(printer.PrintableHeight(), 99.0f);

    DrawJob(printer, 3);
    QCOMPARE(printer.Canvas()->font().pixelSize(), 200); // 12 pt at 1200 dpi
    printer.PrintOptions().Copies = 2;
    printer.EndDoc(false);
    QVERIFY(printer.Canvas() == nullptr);
    QCOMPARE(printer.Job().PageCount(), 0);
    QCOMPARE(PdfPageCount(file), 6);

    if (!HavePdfTools())
        QSKIP("poppler-utils are not installed");
    QCOMPARE(PdfInfoPages(file), 6);
    QCOMPARE(PdfPageSize(file), QSizeF(499, 283));
    QVERIFY(RunPdfTool(QStringLiteral("pdfinfo"), {file}).contains(QStringLiteral("Kordavina")));
    QCOMPARE(FirstWords(file, 6),
             QStringList({QStringLiteral("Uplatnica1"), QStringLiteral("Uplatnica2"),
                          QStringLiteral("Uplatnica3"), QStringLiteral("Uplatnica1"),
                          QStringLiteral("Uplatnica2"), QStringLiteral("Uplatnica3")}));
    // The text stands where it was drawn: from 20 mm, its cell's bottom on 30 mm.
    const TPdfWord w = PdfWords(file, 1).value(0);
    QVERIFY2(qAbs(w.XMin / PointsPerMm - 20) < 0.2, qPrintable(QString::number(w.XMin)));
    QVERIFY2(qAbs(w.YMax / PointsPerMm - 30) < 0.15,
             qPrintable(QString::number(w.YMax / PointsPerMm)));
}

void tst_ZorPrinter::endDocAsksOptionsOnlyWhenTold()
{
    TZorPrinter printer;
    printer.SetPaperSize(100, 80);
    const QString file = m_dir.filePath(QStringLiteral("asked.pdf"));
    printer.SetPdfOutput(file);
    TDialogAnswer answer;
    answer.Choice = 2;
    answer.Pages = QStringLiteral("1,3");
    answer.Copies = 2;
    answer.Reverse = true;
    AnswerDialogs(answer);
    DrawJob(printer, 3);
    printer.EndDoc(true);
    QCOMPARE(printer.PrintOptions().Pages, QStringLiteral("1,3"));
    QCOMPARE(printer.PrintOptions().Copies, 2);
    QCOMPARE(PdfPageCount(file), 4); // 3,1,3,1

    // EndDoc(false) prints every page once, whatever the dialog said before,
    // without asking again.
    DrawJob(printer, 3);
    printer.EndDoc(false);
    QCOMPARE(PdfPageCount(file), 3);
    QCOMPARE(PrintDialogSeam().Asked(), QList<QStringList>{{QStringLiteral("Štampanje")}});

    if (!HavePdfTools())
        QSKIP("poppler-utils are not installed");
    QCOMPARE(FirstWords(file, 3),
             QStringList({QStringLiteral("Uplatnica1"), QStringLiteral("Uplatnica2"),
                          QStringLiteral("Uplatnica3")}));
}

void tst_ZorPrinter::cancelledDialogPrintsNothing()
{
    TZorPrinter printer;
    const QString file = m_dir.filePath(QStringLiteral("cancelled.pdf"));
    printer.SetPdfOutput(file);
    TDialogAnswer answer;
    answer.Ok = false;
    answer.Copies = 7;
    AnswerDialogs(answer);
    DrawJob(printer, 2);
    printer.EndDoc(true);
    QVERIFY(!QFile::exists(file));
    QCOMPARE(printer.PrintOptions(), TZorPrintOptions()); // left as they were
    QCOMPARE(printer.Job().PageCount(), 0);               // the job is released all the same
    QVERIFY(printer.Canvas() == nullptr);
}

void tst_ZorPrinter::pageOnViewIsPrintedFromDialog()
{
    TZorPrinter printer;
    const QString file = m_dir.filePath(QStringLiteral("page.pdf"));
    printer.SetPdfOutput(file);
    TDialogAnswer answer;
    answer.Choice = 1;
    answer.Copies = 3;
    AnswerDialogs(answer);

    // Before any preview there is no page on view: nothing is selected.
    QCOMPARE(printer.PageNo, 0);
    DrawJob(printer, 3);
    printer.EndDoc(true);
    QVERIFY(!QFile::exists(file));

    printer.PageNo = 2; // as the preview leaves it
    DrawJob(printer, 3);
    printer.EndDoc(true);
    QCOMPARE(PdfPageCount(file), 3);
    if (!HavePdfTools())
        QSKIP("poppler-utils are not installed");
    QCOMPARE(FirstWords(file, 3),
             QStringList({QStringLiteral("Uplatnica2"), QStringLiteral("Uplatnica2"),
                          QStringLiteral("Uplatnica2")}));
}

void tst_ZorPrinter::printerErrorsAreThrown()
{
    TZorPrinter printer;
    const QString bad = m_dir.filePath(QStringLiteral("no/such/folder/out.pdf"));
    printer.SetPdfOutput(bad);
    DrawJob(printer, 2);
    try {
        printer.EndDoc(false);
        QFAIL("an unwritable PDF was reported as printed");
    } catch (const EKordavinaError &e) {
        QCOMPARE(e.Message(), QStringLiteral("Datoteka %1 nije snimljena.").arg(bad));
    }
    QCOMPARE(printer.Job().PageCount(), 0); // released even so
    QVERIFY(printer.Canvas() == nullptr);

    QVERIFY(!printer.SetPrinterName(QStringLiteral("Nema takvog štampača")));
    QVERIFY(!printer.IsPdfOutput());
    DrawJob(printer, 1);
    try {
        printer.EndDoc(false);
        QFAIL("a missing printer was reported as printed");
    } catch (const EKordavinaError &e) {
        QCOMPARE(e.Message(), QStringLiteral("Štampač \"Nema takvog štampača\" nije instaliran."));
    }

    if (!QPrinterInfo::availablePrinterNames().isEmpty()) {
        QVERIFY(!printer.SetPrinterName(QString()));
        DrawJob(printer, 1);
        try {
            printer.EndDoc(false);
            QFAIL("printing without a printer was reported as done");
        } catch (const EKordavinaError &e) {
            QCOMPARE(e.Message(), QStringLiteral("Nije izabran nijedan štampač."));
        }
        return;
    }
    // With no printer installed at all.
    printer.SetDefaultPrinter();
    DrawJob(printer, 1);
    QVERIFY_THROWS_EXCEPTION(EKordavinaError, printer.EndDoc(false));
}

void tst_ZorPrinter::previewShowsRecordedPages()
{
    TProbePrinter printer;
    printer.SetPdfOutput(m_dir.filePath(QStringLiteral("preview.pdf")));
    printer.SetPaperSize(100, 80);
    printer.BeginDoc();
    // A block 10 mm square at 10 mm from the corner, on page 2.
    printer.NewPage();
    const float ppmm = printer.PixelsPerMM();
    printer.Canvas()->fillRect(QRectF(10 * ppmm, 10 * ppmm, 10 * ppmm, 10 * ppmm), Qt::black);

    int pagesSeen = -1;
    QImage page(200, 160, QImage::Format_RGB32);
    page.fill(Qt::white);
    TPreviewPaper paper;
    WhenPreviewShown(printer, [&] {
        pagesSeen = printer.PreviewPageCount();
        paper = printer.PreviewPaper();
        QPainter p(&page);
        // Two pixels a millimetre: the printable area is the whole 100 x 80 mm sheet.
        printer.PreviewPaintPage(p, 1, QRect(0, 0, 200, 160));
        p.end();
        printer.done(0);
    });
    printer.Preview();
    QCOMPARE(pagesSeen, 2);
    QVERIFY(qAbs(paper.PaperWidth - 100) < 0.2);
    QCOMPARE(paper.LeftOffset, 0.0);
    QVERIFY(qGray(page.pixel(21, 21)) < 128);
    QVERIFY(qGray(page.pixel(38, 38)) < 128);
    QVERIFY(qGray(page.pixel(18, 30)) > 128);
    QVERIFY(qGray(page.pixel(42, 30)) > 128);
    QCOMPARE(printer.Job().PageCount(), 0); // released when the preview closed
}

void tst_ZorPrinter::previewPrintReportsErrorsInABox()
{
    TProbePrinter printer;
    printer.SetPdfOutput(m_dir.filePath(QStringLiteral("missing/folder/x.pdf")));
    AnswerDialogs(TDialogAnswer());
    MessageBoxSeam().AnswerAll(QMessageBox::Ok);
    DrawJob(printer, 1);
    int pagesAfterPrint = -1;
    WhenPreviewShown(printer, [&] {
        printer.PreviewPrint(); // must not throw through the preview's event loop
        pagesAfterPrint = printer.PreviewPageCount();
        printer.done(0);
    });
    printer.Preview();
    QCOMPARE(MessageBoxSeam().Asked().size(), 1);
    QCOMPARE(MessageBoxSeam().Asked().first().value(2), QStringLiteral("critical"));
    const QString shown = MessageBoxSeam().Asked().first().value(1);
    QVERIFY2(shown.startsWith(QStringLiteral("Datoteka ")) &&
                 shown.endsWith(QStringLiteral(" nije snimljena.")),
             qPrintable(shown));
    QCOMPARE(pagesAfterPrint, 1); // the pages stay on view
}

void tst_ZorPrinter::installedPrinterMetrics()
{
    const QStringList names = QPrinterInfo::availablePrinterNames();
    if (names.isEmpty())
        QSKIP("no printer is installed");
    TZorPrinter printer;
    QVERIFY(printer.SetPrinterName(names.first()));
    QCOMPARE(printer.PrinterName(), names.first());
    printer.SetPaperSize(176, 100);
    QVERIFY(printer.PixelsPerMM() > 3);
    QVERIFY(qAbs(printer.PaperWidth() - 176.0f) < 0.5f);
    QVERIFY(qAbs(printer.PaperHeight() - 100.0f) < 0.5f);
    // The unprintable margins are the device's own, not Qt's default of 10 pt.
    const QPageLayout layout = printer.Printer().pageLayout();
    QCOMPARE(layout.margins(), layout.minimumMargins());
    QVERIFY(printer.LeftOffset() >= 0 && printer.LeftOffset() < 20);
    QVERIFY(qAbs(printer.LeftOffset() + printer.PrintableWidth() + printer.RightOffset() -
                 printer.PaperWidth()) < 1.0f);
}

namespace {

int RunQuietly(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000))
        return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace

void tst_ZorPrinter::spoolerRefusalIsReported()
{
    // A queue of our own that rejects jobs (needs a running CUPS and rights to add it).
    // Its name sorts last, so that nothing taking the first printer picks it.
    const QString queue = QStringLiteral("zz_KordavinaEngineRefuse");
    if (QStandardPaths::findExecutable(QStringLiteral("lpadmin")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("cupsreject")).isEmpty())
        QSKIP("CUPS administration tools are not installed");
    if (RunQuietly(QStringLiteral("lpadmin"),
                   {QStringLiteral("-p"), queue, QStringLiteral("-E"), QStringLiteral("-v"),
                    QStringLiteral("cups-pdf:/"), QStringLiteral("-m"),
                    QStringLiteral("lsb/usr/cups-pdf/CUPS-PDF_opt.ppd")}) != 0)
        QSKIP("cannot add a CUPS queue here (no scheduler, no cups-pdf or no rights)");
    const auto removeQueue = qScopeGuard([&] {
        RunQuietly(QStringLiteral("lpadmin"), {QStringLiteral("-x"), queue});
    });
    QVERIFY(SpoolerAcceptsJobs(queue));
    QCOMPARE(RunQuietly(QStringLiteral("cupsreject"), {queue}), 0);
    QVERIFY(!SpoolerAcceptsJobs(queue));

    TZorPrinter printer;
    QVERIFY(printer.SetPrinterName(queue));
    DrawJob(printer, 1);
    try {
        printer.EndDoc(false);
        QFAIL("a job the spooler refuses was reported as printed");
    } catch (const EKordavinaError &e) {
        QCOMPARE(e.Message(),
                 QStringLiteral("Štampač \"%1\" je odbio posao štampanja.").arg(queue));
    }
    QVERIFY(SpoolerAcceptsJobs(QStringLiteral("no such queue"))); // unknown: the driver decides
}

QTEST_MAIN(tst_ZorPrinter)
#include "tst_zorprinter.moc"

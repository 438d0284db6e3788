#include "PdfProbe.h"
#include "print/engine/GlyphPage.h"
#include "print/engine/ZorCanvas.h"
#include "print/engine/ZorJob.h"

#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

// A sheet of 100 x 80 mm without margins.
QPageLayout TestLayout(QMarginsF margins = QMarginsF())
{
    return QPageLayout(
        QPageSize(QSizeF(100, 80), QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
        QPageLayout::Portrait, margins, QPageLayout::Millimeter);
}

QImage ImageAtDpi(QSize size, int dpi)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    const int dpm = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    return image;
}

bool IsDark(const QImage &image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 128;
}

// Draws page n of a test job the way a slip renderer does: through a
// millimetre canvas on the job's page canvas. Counts its calls.
struct TClient
{
    int Calls = 0;
    void DrawPage(TZorJob &job, int n)
    {
        ++Calls;
        const TPaperMetrics m = PaperMetrics(job.Geometry());
        TZorCanvas canvas(job.Canvas());
        canvas.Scale = m.PixelsPerMM;
        canvas.OffsetX = -m.LeftOffset;
        canvas.OffsetY = -m.TopOffset;
        job.Canvas()->setBrush(Qt::NoBrush);
        canvas.TextOut(QStringLiteral("Strana%1").arg(n), 7, 20, 30);
    }
};

// Pages made on demand: "Strana<n>" laid out on whichever thread asks, and
// drawn or recorded through the job's canvas. Keeps what happened.
class TWordPages : public TZorPageSource
{
public:
    TWordPages(TZorJob &job, int pages) : m_job(job), m_pages(pages) {}
    int PageCount() const override { return m_pages; }
    void BeginPrint() override
    {
        m_canvas = Canvas();
        m_canvas.Canvas = nullptr;
        ++Begun;
    }
    void LayoutPage(int index, TTextShaper &shaper, TGlyphPage &page) const override
    {
        TZorCanvas canvas = m_canvas;
        canvas.Shaper = &shaper;
        canvas.Glyphs = &page;
        canvas.SetFont(DeviceFont(QStringLiteral("Arial"), 12, {}, 600));
        canvas.TextOut(QStringLiteral("Strana%1").arg(index + 1), 7, 20, 30);
        ++LaidOut;
    }
    void DrawPage(const TGlyphPage &page, TGlyphFonts &fonts) override
    {
        page.Draw(*m_job.Canvas(), fonts);
        Drawn.append(page.GlyphCount());
    }
    void RecordPage(int index) override
    {
        TZorCanvas canvas = Canvas();
        canvas.SetFont(DeviceFont(QStringLiteral("Arial"), 12, {}, 600));
        canvas.TextOut(QStringLiteral("Strana%1").arg(index + 1), 7, 20, 30);
        Recorded.append(index);
    }

    int Begun = 0;
    mutable std::atomic<int> LaidOut{0};
    QList<int> Drawn; // glyphs of each page drawn, in order
    QList<int> Recorded;

private:
    TZorCanvas Canvas() const
    {
        const TPaperMetrics m = PaperMetrics(m_job.Geometry());
        TZorCanvas canvas(m_job.Canvas());
        canvas.Scale = m.PixelsPerMM;
        canvas.OffsetX = -m.LeftOffset;
        canvas.OffsetY = -m.TopOffset;
        return canvas;
    }
    TZorJob &m_job;
    int m_pages = 0;
    TZorCanvas m_canvas;
};

// Prints the job into a new PDF of the test layout at 600 dpi.
// Worker threads slow on every page; the one that gets the first page holds
// it until the printing thread has laid out a page itself. A printing thread
// that only waited for the first page would hold it until the worker gives up
// (a minute, far beyond any machine's speed: then TimedOut fails the test).
class TSlowWorkerPages : public TWordPages
{
public:
    using TWordPages::TWordPages;
    void LayoutPage(int index, TTextShaper &shaper, TGlyphPage &page) const override
    {
        if (QThread::currentThread() == m_printing) {
            Signal([this] { ++ByPrintingThread; });
        } else if (index == 0) {
            Signal([this] { WorkerHasFirst = true; });
            TimedOut = !WaitFor([this] { return ByPrintingThread > 0; });
        } else {
            QThread::msleep(20);
        }
        TWordPages::LayoutPage(index, shaper, page);
    }
    // Waits until the worker holds the first page; false after the limit.
    bool WaitForWorker() const
    {
        return WaitFor([this] { return WorkerHasFirst; });
    }

    mutable int ByPrintingThread = 0;    // guarded by m_mutex
    mutable bool WorkerHasFirst = false; // guarded by m_mutex
    mutable std::atomic<bool> TimedOut{false};

private:
    template <class F> void Signal(F change) const
    {
        {
            std::lock_guard lock(m_mutex);
            change();
        }
        m_changed.notify_all();
    }
    template <class F> bool WaitFor(F condition) const
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::minutes(1), condition);
    }
    QThread *m_printing = QThread::currentThread();
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
};

bool PrintInto(TZorJob &job, const QString &file)
{
    QPdfWriter writer(file);
    writer.setResolution(600);
    writer.setPageLayout(TestLayout());
    return job.PrintPages(writer, 1);
}

} // namespace

class tst_ZorJob : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void printSequence_data();
    void printSequence();
    void metricsFromDeviceCaps();
    void metricsFromPageLayout();
    void beginDocOpensPageOneWithDefaults();
    void drawingStateCarriesToNextPage();
    void recordsOnceAndReplaysCopies();
    void nothingSelectedPrintsNothing();
    void replayPositionsOnImages();
    void replayPositionsInPdfAt1200Dpi();
    void sourcePagesFollowThePrintOrder();
    void printingThreadLaysOutAheadInsteadOfWaiting();
    void sourcePagesAreRecordedForThePreview();
    void progressCancelsASourceJob();
};

void tst_ZorJob::printSequence_data()
{
    QTest::addColumn<int>("pageCount");
    QTest::addColumn<QString>("pages");
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("collate");
    QTest::addColumn<bool>("reverse");
    QTest::addColumn<int>("pageNo");
    QTest::addColumn<QList<int>>("expected"); // 1-based page numbers
    using L = QList<int>;
    QTest::newRow("collated") << 3 << QString() << 2 << true << false << 1 << L{1, 2, 3, 1, 2, 3};
    QTest::newRow("not collated") << 3 << QString() << 2 << false << false << 1
                                  << L{1, 1, 2, 2, 3, 3};
    QTest::newRow("collated reversed")
        << 3 << QString() << 2 << true << true << 1 << L{3, 2, 1, 3, 2, 1};
    QTest::newRow("reversed not collated")
        << 3 << QString() << 2 << false << true << 1 << L{3, 3, 2, 2, 1, 1};
    QTest::newRow("2,4 of five") << 5 << QStringLiteral("2,4") << 1 << true << false << 1
                                 << L{2, 4};
    QTest::newRow("typed order does not matter")
        << 5 << QStringLiteral("4,2") << 1 << true << false << 1 << L{2, 4};
    QTest::newRow("blank after the comma")
        << 5 << QStringLiteral("2, 4") << 1 << true << false << 1 << L{2};
    QTest::newRow("a range matches nothing")
        << 5 << QStringLiteral("2-4") << 1 << true << false << 1 << L{};
    QTest::newRow("12 is not 1 or 2")
        << 12 << QStringLiteral("12") << 1 << true << false << 1 << L{12};
    QTest::newRow("selection with copies, reversed")
        << 3 << QStringLiteral("1,3") << 2 << true << true << 1 << L{3, 1, 3, 1};
    QTest::newRow("page on view, two copies")
        << 4 << QStringLiteral("0") << 2 << false << false << 3 << L{3, 3};
    QTest::newRow("page on view before any preview")
        << 4 << QStringLiteral("0") << 1 << true << false << 0 << L{};
    QTest::newRow("one page, one copy") << 1 << QString() << 1 << true << false << 1 << L{1};
    QTest::newRow("no copies") << 3 << QString() << 0 << true << false << 1 << L{};
    QTest::newRow("no pages") << 0 << QString() << 3 << true << false << 1 << L{};
}

void tst_ZorJob::printSequence()
{
    QFETCH(int, pageCount);
    QFETCH(QString, pages);
    QFETCH(int, copies);
    QFETCH(bool, collate);
    QFETCH(bool, reverse);
    QFETCH(int, pageNo);
    QFETCH(QList<int>, expected);
    TZorPrintOptions options;
    options.Pages = pages;
    options.Copies = copies;
    options.Collate = collate;
    options.Reverse = reverse;
    QList<int> printed;
    for (int index : PrintSequence(pageCount, options, pageNo))
        printed.append(index + 1);
    QCOMPARE(printed, expected);
}

void tst_ZorJob::metricsFromDeviceCaps()
{
    TDeviceGeometry g;
    g.DpiX = 600;
    g.DpiY = 600;
    g.PaperRect = QRect(0, 0, 4960, 7016);
    g.PageRect = QRect(100, 120, 4760, 6780);
    const TPaperMetrics m = PaperMetrics(g);
    QCOMPARE(qRound(m.PixelsPerMM * 100), 2362); // 23.62
    QCOMPARE(qRound(m.PaperWidth * 100), 20997); // 209.97
    QCOMPARE(qRound(m.PaperHeight * 100), 29701);
    QCOMPARE(qRound(m.LeftOffset * 1000), 4233);
    QCOMPARE(qRound(m.TopOffset * 1000), 5080);
    QCOMPARE(qRound(m.RightOffset * 1000), 4233);  // 4960 - 4760 - 100 = 100 px
    QCOMPARE(qRound(m.BottomOffset * 1000), 4911); // 7016 - 6780 - 120 = 116 px
    QCOMPARE(m.PrintableWidth, 201.0f);            // 201.51 mm, whole millimetres
    QCOMPARE(m.PrintableHeight, 287.0f);           // 287.02 mm

    // Across and down have their own resolution; PixelsPerMM is the vertical one.
    g.DpiX = 300;
    g.PaperRect = QRect(0, 0, 2480, 7016);
    g.PageRect = QRect(50, 120, 2380, 6780);
    const TPaperMetrics n = PaperMetrics(g);
    QCOMPARE(qRound(n.PixelsPerMM * 100), 2362);
    QCOMPARE(qRound(n.PaperWidth * 100), 20997);
    QCOMPARE(qRound(n.LeftOffset * 1000), 4233);
    QCOMPARE(n.PrintableWidth, 201.0f);

    QCOMPARE(PaperMetrics(TDeviceGeometry()).PixelsPerMM, 0.0f); // no device, no division
}

void tst_ZorJob::metricsFromPageLayout()
{
    // Qt keeps a custom size in whole points: 100 x 80 mm is 283 x 227 pt.
    TDeviceGeometry g = TDeviceGeometry::FromPageLayout(TestLayout(), 600);
    QCOMPARE(g.DpiX, 600);
    QCOMPARE(g.PaperRect, g.PageRect);
    TPaperMetrics m = PaperMetrics(g);
    QVERIFY(qAbs(m.PaperWidth - 100.0f) < 0.2f);
    QVERIFY(qAbs(m.PaperHeight - 80.0f) < 0.2f);
    QCOMPARE(m.LeftOffset, 0.0f);
    QCOMPARE(m.BottomOffset, 0.0f);
    QCOMPARE(m.PrintableWidth, std::floor(m.PaperWidth));

    g = TDeviceGeometry::FromPageLayout(TestLayout(QMarginsF(5, 4, 3, 2)), 1200);
    m = PaperMetrics(g);
    // Qt keeps margins in whole points too (5 mm is 14 pt, 4.94 mm).
    QVERIFY(qAbs(m.LeftOffset - 5.0f) < 0.2f);
    QVERIFY(qAbs(m.TopOffset - 4.0f) < 0.2f);
    QVERIFY(qAbs(m.RightOffset - 3.0f) < 0.2f);
    QVERIFY(qAbs(m.BottomOffset - 2.0f) < 0.2f);
    QCOMPARE(m.PrintableWidth, 91.0f); // 92 mm less a fraction of a point
}

void tst_ZorJob::beginDocOpensPageOneWithDefaults()
{
    TZorJob job;
    QVERIFY(!job.IsOpen());
    job.PrintOptions.Copies = 5;
    job.PrintOptions.Pages = QStringLiteral("1");
    job.BeginDoc(TDeviceGeometry::FromPageLayout(TestLayout(), 600));
    QCOMPARE(job.PrintOptions, TZorPrintOptions());
    QVERIFY(job.IsOpen());
    QCOMPARE(job.PageCount(), 0);
    QPainter *canvas = job.Canvas();
    QVERIFY(canvas && canvas->isActive());
    QCOMPARE(canvas->font().family(), QStringLiteral("Arial"));
    QCOMPARE(canvas->font().pixelSize(), 100); // 12 pt at 600 dpi
    QCOMPARE(canvas->brush(), QBrush(Qt::white, Qt::SolidPattern));
    QCOMPARE(canvas->pen().color(), QColor(Qt::black));
    QCOMPARE(canvas->pen().width(), 1);
    QCOMPARE(canvas->pen().style(), Qt::SolidLine);
    // The canvas measures at the printer's resolution: 12 pt Arial is about 115 px high.
    const int h = canvas->fontMetrics().height();
    QVERIFY2(h > 105 && h < 125, qPrintable(QString::number(h)));

    job.NewPage();
    job.ClosePage();
    QCOMPARE(job.PageCount(), 2);
    QVERIFY(!job.IsOpen());
    QVERIFY(job.Canvas() == nullptr);
    // Each page picture is framed as the printable area in whole millimetres.
    const TPaperMetrics m = PaperMetrics(job.Geometry());
    QCOMPARE(job.PageList()[0].boundingRect().width(),
             qRound(double(m.PrintableWidth) * double(m.PixelsPerMM)));
    job.Release();
    QCOMPARE(job.PageCount(), 0);
}

void tst_ZorJob::drawingStateCarriesToNextPage()
{
    TZorJob job;
    job.BeginDoc(TDeviceGeometry::FromPageLayout(TestLayout(), 600));
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(20); // points on a page canvas are printer pixels: 20 pt = 166.7 px
    font.setBold(true);
    job.Canvas()->setFont(font);
    const int pageOneHeight = job.Canvas()->fontMetrics().height();
    QVERIFY2(pageOneHeight > 170 && pageOneHeight < 210,
             qPrintable(QString::number(pageOneHeight)));
    job.Canvas()->setBrush(Qt::NoBrush);
    job.Canvas()->setPen(QPen(Qt::red, 3));
    job.NewPage();
    QPainter *canvas = job.Canvas();
    QCOMPARE(canvas->font().family(), QStringLiteral("Times New Roman"));
    QCOMPARE(canvas->font().pointSize(), 20);
    QVERIFY(canvas->font().bold());
    QCOMPARE(canvas->fontMetrics().height(), pageOneHeight);
    QCOMPARE(canvas->brush().style(), Qt::NoBrush);
    QCOMPARE(canvas->pen(), QPen(Qt::red, 3));
    QCOMPARE(job.SavedPen, QPen(Qt::red, 3));
    QCOMPARE(job.PageCount(), 1);

    // A new job starts again from Arial 12 pt.
    job.BeginDoc(TDeviceGeometry::FromPageLayout(TestLayout(), 600));
    QCOMPARE(job.PageCount(), 0);
    QCOMPARE(job.Canvas()->font().family(), QStringLiteral("Arial"));
    QCOMPARE(job.Canvas()->pen(), QPen(Qt::black, 1));
}

void tst_ZorJob::recordsOnceAndReplaysCopies()
{
    QTemporaryDir dir;
    TZorJob job;
    TClient client;
    job.BeginDoc(TDeviceGeometry::FromPageLayout(TestLayout(), 600));
    job.Title = QStringLiteral("Kordavina");
    for (int n = 1; n <= 3; ++n) {
        if (n > 1)
            job.NewPage();
        client.DrawPage(job, n);
    }
    job.ClosePage();
    QCOMPARE(client.Calls, 3);

    job.PrintOptions.Copies = 3;
    job.PrintOptions.Collate = false;
    const QString file = dir.filePath(QStringLiteral("copies.pdf"));
    QPdfWriter writer(file);
    writer.setResolution(600);
    writer.setPageLayout(TestLayout());
    QVERIFY(job.PrintPages(writer, 1));
    QCOMPARE(client.Calls, 3); // the client's drawing ran once per page, not per copy
    QCOMPARE(PdfPageCount(file), 9);

    // A second print and a preview-like repaint replay the same pictures.
    job.PrintOptions = TZorPrintOptions();
    const QString again = dir.filePath(QStringLiteral("again.pdf"));
    QPdfWriter writer2(again);
    writer2.setResolution(600);
    writer2.setPageLayout(TestLayout());
    QVERIFY(job.PrintPages(writer2, 1));
    QImage image = ImageAtDpi(QSize(400, 300), 96);
    QPainter painter(&image);
    for (int i = 0; i < 3; ++i)
        job.PaintPage(painter, i, QRectF(0, 0, 378, 302));
    painter.end();
    QCOMPARE(client.Calls, 3);
    QCOMPARE(PdfPageCount(again), 3);

    if (!HavePdfTools())
        QSKIP("poppler-utils are not installed");
    // Not collated: 1,1,1,2,2,2,3,3,3.
    QCOMPARE(PdfWords(file, 1).value(0).Text, QStringLiteral("Strana1"));
    QCOMPARE(PdfWords(file, 3).value(0).Text, QStringLiteral("Strana1"));
    QCOMPARE(PdfWords(file, 4).value(0).Text, QStringLiteral("Strana2"));
    QCOMPARE(PdfWords(file, 9).value(0).Text, QStringLiteral("Strana3"));
    QCOMPARE(RunPdfTool(QStringLiteral("pdfinfo"), {file}).contains(QStringLiteral("Kordavina")),
             true);
}

void tst_ZorJob::nothingSelectedPrintsNothing()
{
    QTemporaryDir dir;
    TZorJob job;
    job.BeginDoc(TDeviceGeometry::FromPageLayout(TestLayout(), 600));
    job.NewPage();
    job.ClosePage();
    job.PrintOptions.Pages = QStringLiteral("9");
    const QString file = dir.filePath(QStringLiteral("none.pdf"));
    QPdfWriter writer(file);
    writer.setPageLayout(TestLayout());
    QVERIFY(job.PrintPages(writer, 1));
    QVERIFY(!QFile::exists(file)); // no blank sheet for an empty selection

    // A device that cannot begin is reported.
    job.PrintOptions.Pages.clear();
    QPdfWriter bad(dir.filePath(QStringLiteral("no/such/dir/x.pdf")));
    QVERIFY(!job.PrintPages(bad, 1));
}

void tst_ZorJob::replayPositionsOnImages()
{
    // Recorded at 600 dpi: a 120 x 60 px block at (600, 1200) px, one inch from the
    // left and two from the top of the printable area.
    TZorJob job;
    TDeviceGeometry g = TDeviceGeometry::FromPageLayout(TestLayout(), 600);
    job.BeginDoc(g);
    job.Canvas()->fillRect(QRect(600, 1200, 120, 60), Qt::black);
    job.ClosePage();

    // At 300 dpi the block is 60 x 30 at (300, 600).
    QImage image = ImageAtDpi(QSize(1200, 1000), 300);
    QPainter painter(&image);
    job.ReplayPage(painter, 0);
    painter.end();
    QVERIFY(IsDark(image, 300, 600));
    QVERIFY(IsDark(image, 359, 629));
    QVERIFY(!IsDark(image, 299, 600));
    QVERIFY(!IsDark(image, 300, 599));
    QVERIFY(!IsDark(image, 360, 629));
    QVERIFY(!IsDark(image, 359, 630));

    // The same image claiming 96 dpi: replay at true size makes it 19.2 x 9.6 at (96, 192).
    image = ImageAtDpi(QSize(400, 400), 96);
    painter.begin(&image);
    job.ReplayPage(painter, 0);
    painter.end();
    QVERIFY(IsDark(image, 100, 195));
    QVERIFY(!IsDark(image, 94, 195));
    QVERIFY(!IsDark(image, 118, 195));

    // Stretched into a target standing for the printable area (a preview at some
    // zoom): a tenth of the size, offset by the target's corner.
    const QSizeF logical = job.LogicalPageSize();
    QCOMPARE(logical, QSizeF(g.PageRect.size()));
    image = ImageAtDpi(QSize(400, 400), 96);
    painter.begin(&image);
    job.PaintPage(painter, 0, QRectF(QPointF(50, 40), logical / 10));
    painter.end();
    QVERIFY(IsDark(image, 110, 160));
    QVERIFY(IsDark(image, 121, 165));
    QVERIFY(!IsDark(image, 108, 160));
    QVERIFY(!IsDark(image, 110, 158));
    QVERIFY(!IsDark(image, 123, 165));
}

void tst_ZorJob::replayPositionsInPdfAt1200Dpi()
{
    if (!HavePdfTools())
        QSKIP("poppler-utils are not installed");
    QTemporaryDir dir;
    // Recorded for a 600 dpi device with margins of 5 and 4 mm...
    const QPageLayout layout = TestLayout(QMarginsF(5, 4, 0, 0));
    TZorJob job;
    job.BeginDoc(TDeviceGeometry::FromPageLayout(layout, 600));
    const TPaperMetrics m = PaperMetrics(job.Geometry());
    QPainter *c = job.Canvas();
    // ...a block whose corner is at 30 x 20 mm from the sheet's corner, 10 x 5 mm,
    TZorCanvas canvas(c);
    canvas.Scale = m.PixelsPerMM;
    canvas.OffsetX = -m.LeftOffset;
    canvas.OffsetY = -m.TopOffset;
    c->fillRect(QRect(QPoint(canvas.ToDeviceX(30), canvas.ToDeviceY(20)),
                      QPoint(canvas.ToDeviceX(40) - 1, canvas.ToDeviceY(25) - 1)),
                Qt::black);
    // ...and a word standing on the line 50 mm down, starting 40 mm from the left.
    c->setFont(DeviceFont(QStringLiteral("Arial"), 12, {}, 600));
    c->setBrush(Qt::NoBrush);
    canvas.TextOut(QStringLiteral("Kordavina"), 7, 40, 50);
    const int descent = c->fontMetrics().descent();
    job.ClosePage();

    // ...replayed on a 1200 dpi PDF of the same paper.
    const QString file = dir.filePath(QStringLiteral("positions.pdf"));
    {
        QPdfWriter writer(file);
        writer.setResolution(1200);
        writer.setPageLayout(layout);
        QVERIFY(job.PrintPages(writer, 1));
    }
    const QSizeF size = PdfPageSize(file);
    QCOMPARE(size, QSizeF(283, 227));

    const QList<TPdfWord> words = PdfWords(file, 1);
    QCOMPARE(words.size(), 1);
    const TPdfWord &w = words[0];
    QCOMPARE(w.Text, QStringLiteral("Kordavina"));
    // The word starts at 40 mm and its cell's bottom (baseline + descent) is at 50 mm.
    QVERIFY2(qAbs(w.XMin / PointsPerMm - 40) < 0.2, qPrintable(QString::number(w.XMin)));
    const double baselineMm = 50 - descent / double(m.PixelsPerMM);
    const double fontMm = 12 * 25.4 / 72; // a 12 pt em
    // pdftotext puts the word's box from about ascent above to descent below the
    // baseline; its bottom is within the descent below the baseline.
    QVERIFY2(w.YMax / PointsPerMm > baselineMm && w.YMax / PointsPerMm < baselineMm + fontMm * 0.3,
             qPrintable(QString::number(w.YMax / PointsPerMm)));
    // 12 pt is 12 pt in the PDF too: the box is about an em high.
    QVERIFY2(qAbs((w.YMax - w.YMin) - 12) < 2.5, qPrintable(QString::number(w.YMax - w.YMin)));

    // Rendered at 254 dpi, ten pixels a millimetre: the block spans 300..399 x 200..249.
    const QImage page = PdfRender(file, 1, 254);
    QVERIFY(!page.isNull());
    QVERIFY(IsDark(page, 301, 201));
    QVERIFY(IsDark(page, 398, 248));
    QVERIFY(!IsDark(page, 298, 225));
    QVERIFY(!IsDark(page, 350, 198));
    QVERIFY(!IsDark(page, 401, 225));
    QVERIFY(!IsDark(page, 350, 251));
}

void tst_ZorJob::sourcePagesFollowThePrintOrder()
{
    QTemporaryDir dir;
    for (int threads : {1, 3}) {
        TZorJob job;
        job.BeginDoc(TDeviceGeometry::FromPageLayout(TestLayout(), 600));
        job.LayoutThreads = threads;
        auto source = std::make_shared<TWordPages>(job, 20);
        job.SetPageSource(source);
        QCOMPARE(job.PageCount(), 20);
        job.PrintOptions.Copies = 2;
        job.PrintOptions.Collate = false;
        job.PrintOptions.Reverse = true;
        const QString file = dir.filePath(QStringLiteral("order%1.pdf").arg(threads));
        QVERIFY(PrintInto(job, file));
        QCOMPARE(source->Begun, 1);
        QCOMPARE(source->LaidOut.load(), 40); // each copy laid out again
        QCOMPARE(source->Drawn.size(), 40);
        QVERIFY(job.PageList().isEmpty()); // nothing recorded
        QCOMPARE(PdfPageCount(file), 40);
        if (!HavePdfTools())
            continue;
        // Last first, page by page: 20,20,19,19,...,1,1.
        QCOMPARE(PdfWords(file, 1).value(0).Text, QStringLiteral("Strana20"));
        QCOMPARE(PdfWords(file, 2).value(0).Text, QStringLiteral("Strana20"));
        QCOMPARE(PdfWords(file, 3).value(0).Text, QStringLiteral("Strana19"));
        QCOMPARE(PdfWords(file, 40).value(0).Text, QStringLiteral("Strana1"));
        // At 20 mm, as a whole device pixel: 472 of 600 per inch.
        const TPdfWord w = PdfWords(file, 40).value(0);
        QVERIFY2(qAbs(w.XMin - 472 * 72.0 / 600) < 0.01, qPrintable(QString::number(w.XMin)));
    }
}

void tst_ZorJob::printingThreadLaysOutAheadInsteadOfWaiting()
{
    QTemporaryDir dir;
    TZorJob job;
    job.BeginDoc(TDeviceGeometry::FromPageLayout(TestLayout(), 600));
    job.LayoutThreads = 2;
    auto source = std::make_shared<TSlowWorkerPages>(job, 20);
    job.SetPageSource(source);
#ifdef Q_OS_WIN
    // There the printing thread lays out every page itself, whatever was asked.
    QVERIFY(PrintInto(job, dir.filePath(QStringLiteral("own.pdf"))));
    QCOMPARE(source->ByPrintingThread, 20);
    QCOMPARE(source->LaidOut.load(), 20);
    return;
#endif
    // The first page goes to a worker before the printing thread asks for it.
    bool workerStarted = true;
    job.Progress = [&source, &workerStarted](int page, int) {
        if (page == 1)
            workerStarted = source->WaitForWorker();
        return true;
    };
    const QString file = dir.filePath(QStringLiteral("ahead.pdf"));
    QVERIFY(PrintInto(job, file));
    QVERIFY(workerStarted);
    QVERIFY(!source->TimedOut);
    QVERIFY(source->ByPrintingThread > 0);
    QCOMPARE(source->LaidOut.load(), 20); // each page once, whoever laid it out
    QCOMPARE(PdfPageCount(file), 20);
    if (!HavePdfTools())
        return;
    for (int page : {1, 2, 3, 19, 20})
        QCOMPARE(PdfWords(file, page).value(0).Text, QStringLiteral("Strana%1").arg(page));
}

void tst_ZorJob::sourcePagesAreRecordedForThePreview()
{
    TZorJob job;
    job.BeginDoc(TDeviceGeometry::FromPageLayout(TestLayout(), 600));
    auto source = std::make_shared<TWordPages>(job, 3);
    job.SetPageSource(source);
    QVERIFY(!job.IsOpen()); // the page BeginDoc opened is not one of them
    job.RecordPages();
    QCOMPARE(source->Recorded, (QList<int>{0, 1, 2}));
    QCOMPARE(job.PageList().size(), 3);
    job.RecordPages(); // once only
    QCOMPARE(source->Recorded.size(), 3);

    // The recorded page shows the word where a printed one has it.
    QImage image = ImageAtDpi(QSize(400, 330), 96);
    {
        QPainter painter(&image);
        job.PaintPage(painter, 1, QRectF(0, 0, 378, 302));
    }
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (IsDark(image, x, y))
                ink |= QRect(x, y, 1, 1);
    QVERIFY(!ink.isEmpty());
    QVERIFY(qAbs(ink.left() - 20 * 378 / 100.0) < 3);
    job.Release();
    QCOMPARE(job.PageCount(), 0);
    QVERIFY(job.PageSource() == nullptr);
}

void tst_ZorJob::progressCancelsASourceJob()
{
    QTemporaryDir dir;
    TZorJob job;
    job.BeginDoc(TDeviceGeometry::FromPageLayout(TestLayout(), 600));
    job.LayoutThreads = 2;
    auto source = std::make_shared<TWordPages>(job, 50);
    job.SetPageSource(source);
    int asked = 0;
    job.Progress = [&asked](int page, int total) {
        ++asked;
        return total == 50 && page <= 30;
    };
    const QString file = dir.filePath(QStringLiteral("cancelled.pdf"));
    QVERIFY(PrintInto(job, file));
    QVERIFY(job.Cancelled());
    QCOMPARE(asked, 31);
    QCOMPARE(source->Drawn.size(), 30);
    QCOMPARE(PdfPageCount(file), 30);
    // Workers stop with the job: no more than the pages ahead were laid out.
    QVERIFY(source->LaidOut.load() < 50);

    // Recorded pages honour it too.
    job.Progress = [](int page, int) { return page < 2; };
    job.SetPageSource(nullptr);
    job.NewPage();
    job.NewPage();
    job.ClosePage();
    QVERIFY(PrintInto(job, file));
    QVERIFY(job.Cancelled());
    QCOMPARE(PdfPageCount(file), 1);
}

QTEST_MAIN(tst_ZorJob)
#include "tst_zorjob.moc"

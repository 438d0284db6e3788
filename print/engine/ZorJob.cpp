#include "print/engine/ZorJob.h"

#include "core/Rounding.h"
#include "print/engine/GlyphPage.h"
#include "print/engine/ZorCanvas.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QThread>

#include <cmath>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

namespace {

// Lays out the pages of a sequence on worker threads, a few pages ahead of the
// thread that prints them, which takes them strictly in order. Pages waiting
// to be printed are bounded, so memory does not grow with the job.
class TLayoutPipeline
{
public:
    TLayoutPipeline(const TZorPageSource &source, TFontTable &fonts, const QList<int> &sequence,
                    int threads)
        : m_source(source), m_fonts(fonts), m_sequence(sequence), m_slots(size_t(threads) * 8),
          m_ready(size_t(threads) * 8)
    {
        for (int i = 0; i < threads; ++i) {
            m_threads.emplace_back(QThread::create([this] { Work(); }));
            m_threads.back()->start();
        }
    }
    ~TLayoutPipeline()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_space.notify_all();
        for (auto &thread : m_threads)
            thread->wait();
    }
    TLayoutPipeline(const TLayoutPipeline &) = delete;
    TLayoutPipeline &operator=(const TLayoutPipeline &) = delete;

    // The page at position k of the sequence; positions are taken in order.
    // The calling thread never idles while pages remain to be laid out: a
    // page no worker has begun yet is laid out here with shaper, and while a
    // worker is still on page k, the next page not begun is laid out here
    // and kept for later.
    TGlyphPage Take(qsizetype k, TTextShaper &shaper)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        const size_t slot = size_t(k) % m_slots.size();
        while (!m_ready[slot]) {
            if (m_next == k) {
                ++m_next;
                m_taken = k + 1;
                lock.unlock();
                m_space.notify_all();
                TGlyphPage page;
                m_source.LayoutPage(m_sequence[k], shaper, page);
                return page;
            }
            if (m_next < m_sequence.size() && m_next < k + qsizetype(m_slots.size())) {
                const qsizetype ahead = m_next++;
                lock.unlock();
                TGlyphPage page;
                m_source.LayoutPage(m_sequence[ahead], shaper, page);
                lock.lock();
                const size_t aheadSlot = size_t(ahead) % m_slots.size();
                m_slots[aheadSlot] = std::move(page);
                m_ready[aheadSlot] = true;
                continue;
            }
            m_done.wait(lock, [&] { return m_ready[slot]; });
        }
        TGlyphPage page = std::move(m_slots[slot]);
        m_slots[slot] = TGlyphPage();
        m_ready[slot] = false;
        m_taken = k + 1;
        lock.unlock();
        m_space.notify_all();
        return page;
    }

private:
    void Work()
    {
        TTextShaper shaper(m_fonts);
        while (true) {
            qsizetype k = 0;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_space.wait(lock, [&] {
                    return m_stop || m_next >= m_sequence.size() ||
                           m_next < m_taken + qsizetype(m_slots.size());
                });
                if (m_stop || m_next >= m_sequence.size())
                    return;
                k = m_next++;
            }
            TGlyphPage page;
            m_source.LayoutPage(m_sequence[k], shaper, page);
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                const size_t slot = size_t(k) % m_slots.size();
                m_slots[slot] = std::move(page);
                m_ready[slot] = true;
            }
            m_done.notify_all();
        }
    }

    const TZorPageSource &m_source;
    TFontTable &m_fonts;
    const QList<int> &m_sequence;
    std::vector<TGlyphPage> m_slots;
    std::vector<bool> m_ready;
    std::vector<std::unique_ptr<QThread>> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_space; // a slot was freed, or stop
    std::condition_variable m_done;  // a page was laid out
    qsizetype m_next = 0;            // the next position to lay out
    qsizetype m_taken = 0;           // positions printed so far
    bool m_stop = false;
};

// Worker threads for a job of pages: none for a short job, where starting
// threads (each loads its fonts anew) costs more than it saves.
int LayoutThreadCount(int asked, qsizetype pages)
{
    if (asked == 1 || pages < 16)
        return 0;
#ifdef Q_OS_WIN
    // Under Qt's Windows font engines a text laid out on another thread came
    // out without its glyphs (a word with "ć" on every worker-made page):
    // there the printing thread lays out every page itself.
    return 0;
#endif
    if (asked > 1)
        return asked;
    // The printing thread keeps a core of its own busy with the PDF writer and
    // lays out pages itself when the workers fall behind; one worker more
    // than the cores left only takes turns with it.
    return qBound(1, QThread::idealThreadCount() - 1, 4);
}

} // namespace

QList<int> PrintSequence(int pageCount, const TZorPrintOptions &options, int pageNo)
{
    QList<int> sequence;
    if (pageCount <= 0 || options.Copies <= 0)
        return sequence;
    QString pages = options.Pages;
    if (pages == QLatin1String("0"))
        pages = QString::number(pageNo);
    // Page k is selected when ",k," occurs in ",Pages,": numbers separated by
    // single commas; a blank or a range matches nothing.
    const QString selection = QLatin1Char(',') + pages + QLatin1Char(',');
    const qint64 steps = qint64(pageCount) * options.Copies;
    for (qint64 i = 0; i < steps; ++i) {
        int index = int(options.Collate ? i % pageCount : i / options.Copies);
        if (options.Reverse)
            index = pageCount - 1 - index;
        if (pages.isEmpty() ||
            selection.contains(QLatin1Char(',') + QString::number(index + 1) + QLatin1Char(',')))
            sequence.append(index);
    }
    return sequence;
}

TDeviceGeometry TDeviceGeometry::FromPageLayout(const QPageLayout &layout, int dpi)
{
    TDeviceGeometry g;
    g.DpiX = dpi;
    g.DpiY = dpi;
    g.PaperRect = layout.fullRectPixels(dpi);
    g.PageRect = layout.paintRectPixels(dpi);
    return g;
}

TPaperMetrics PaperMetrics(const TDeviceGeometry &g)
{
    TPaperMetrics m;
    if (g.DpiX <= 0 || g.DpiY <= 0)
        return m;
    const long double mmPerPixelX = 25.4L / g.DpiX;
    const long double mmPerPixelY = 25.4L / g.DpiY;
    const long double printableWidth = g.PageRect.width() * mmPerPixelX;
    const long double printableHeight = g.PageRect.height() * mmPerPixelY;
    m.PixelsPerMM = float(g.DpiY / 25.4L);
    m.LeftOffset = float(g.PageRect.x() * mmPerPixelX);
    m.TopOffset = float(g.PageRect.y() * mmPerPixelY);
    m.RightOffset =
        float((g.PaperRect.width() - g.PageRect.width() - g.PageRect.x()) * mmPerPixelX);
    m.BottomOffset =
        float((g.PaperRect.height() - g.PageRect.height() - g.PageRect.y()) * mmPerPixelY);
    // Whole millimetres, cut down; the tolerance keeps an exact 176 from becoming 175.
    m.PrintableWidth = float(std::floor(printableWidth + 1e-6L));
    m.PrintableHeight = float(std::floor(printableHeight + 1e-6L));
    m.PaperWidth = float(g.PaperRect.width() * mmPerPixelX);
    m.PaperHeight = float(g.PaperRect.height() * mmPerPixelY);
    return m;
}

void ReplayPicture(QPainter &painter, const QPicture &picture, const QPointF &origin, qreal sx,
                   qreal sy)
{
    // QPicture::play multiplies the painter's transform by the device's
    // resolution over the default resolution that a plain QPicture reports.
    const QPicture reference;
    const qreal playX = qreal(painter.device()->logicalDpiX()) / reference.logicalDpiX();
    const qreal playY = qreal(painter.device()->logicalDpiY()) / reference.logicalDpiY();
    painter.save();
    painter.translate(origin);
    painter.scale(sx / playX, sy / playY);
    painter.drawPicture(QPointF(0, 0), picture);
    painter.restore();
}

// A page picture that reports the printer's resolution, so that fonts set on its
// painter in points become printer pixels and metrics are measured as the
// printer measures them.
class TZorJob::TPagePicture : public QPicture
{
public:
    explicit TPagePicture(int dpi) : m_dpi(dpi) {}

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return m_dpi;
        default:
            return QPicture::metric(m);
        }
    }

private:
    int m_dpi;
};

TZorJob::TZorJob() = default;

TZorJob::~TZorJob()
{
    Release();
}

void TZorJob::BeginDoc(const TDeviceGeometry &geometry)
{
    Release(); // the page source too
    m_geometry = geometry;
    PrintOptions = TZorPrintOptions();
    SavedFont = DeviceFont(QStringLiteral("Arial"), 12, {}, geometry.DpiY);
    SavedBrush = QBrush(Qt::white, Qt::SolidPattern);
    SavedPen = QPen(QBrush(Qt::black), 1, Qt::SolidLine);
    NewPage();
}

void TZorJob::NewPage()
{
    ClosePage();
    OpenPage();
}

void TZorJob::OpenPage()
{
    const int dpi = m_geometry.DpiY > 0 ? m_geometry.DpiY : 600;
    m_current = std::make_unique<TPagePicture>(dpi);
    const TPaperMetrics metrics = PaperMetrics(m_geometry);
    m_current->setBoundingRect(QRect(
        0, 0,
        RoundHalfEvenInt(static_cast<long double>(metrics.PrintableWidth) * metrics.PixelsPerMM),
        RoundHalfEvenInt(static_cast<long double>(metrics.PrintableHeight) * metrics.PixelsPerMM)));
    m_painter = std::make_unique<QPainter>(m_current.get());
    ResetPainter(*m_painter);
}

void TZorJob::ResetPainter(QPainter &painter) const
{
    painter.setFont(SavedFont);
    painter.setBrush(SavedBrush);
    painter.setPen(SavedPen);
}

void TZorJob::SetPageSource(std::shared_ptr<TZorPageSource> source)
{
    if (m_painter) {
        m_painter->end();
        m_painter.reset();
    }
    m_current.reset();
    m_pages.clear();
    m_source = std::move(source);
}

bool TZorJob::RecordPages()
{
    m_cancelled = false;
    if (!m_source || m_pages.size() == m_source->PageCount())
        return true;
    m_pages.clear();
    const int count = m_source->PageCount();
    for (int i = 0; i < count; ++i) {
        if (Progress && !Progress(i + 1, count)) {
            m_cancelled = true;
            m_pages.clear();
            return false;
        }
        OpenPage();
        m_source->RecordPage(i);
        ClosePage();
    }
    return true;
}

void TZorJob::ClosePage()
{
    if (!m_painter)
        return;
    SavedFont = m_painter->font();
    SavedBrush = m_painter->brush();
    SavedPen = m_painter->pen();
    m_painter->end();
    m_painter.reset();
    m_pages.append(*m_current);
    m_current.reset();
}

void TZorJob::Release()
{
    m_source.reset();
    if (m_painter) {
        m_painter->end();
        m_painter.reset();
    }
    m_current.reset();
    m_pages.clear();
    SavedFont = QFont();
    SavedBrush = QBrush();
    SavedPen = QPen();
}

QSizeF TZorJob::LogicalPageSize() const
{
    if (m_geometry.DpiX <= 0)
        return QSizeF();
    return QSizeF(m_geometry.PageRect.width() * qreal(m_geometry.DpiY) / m_geometry.DpiX,
                  m_geometry.PageRect.height());
}

void TZorJob::PaintPage(QPainter &painter, int index, const QRectF &target) const
{
    const QSizeF size = LogicalPageSize();
    if (index < 0 || index >= m_pages.size() || size.isEmpty())
        return;
    ReplayPicture(painter, m_pages[index], target.topLeft(), target.width() / size.width(),
                  target.height() / size.height());
}

void TZorJob::ReplayPage(QPainter &painter, int index) const
{
    if (index < 0 || index >= m_pages.size() || m_geometry.DpiY <= 0)
        return;
    const qreal dpi = m_geometry.DpiY;
    ReplayPicture(painter, m_pages[index], QPointF(0, 0), painter.device()->logicalDpiX() / dpi,
                  painter.device()->logicalDpiY() / dpi);
}

bool TZorJob::PrintPages(QPagedPaintDevice &device, int pageNo) const
{
    const QList<int> sequence = PrintSequence(PageCount(), PrintOptions, pageNo);
    if (sequence.isEmpty())
        return true; // an empty job would still put out a blank sheet
    if (auto *pdf = dynamic_cast<QPdfWriter *>(&device))
        pdf->setTitle(Title);
    m_cancelled = false;
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    if (m_source)
        return PrintSource(device, painter, sequence);
    bool first = true;
    for (qsizetype k = 0; k < sequence.size(); ++k) {
        if (Progress && !Progress(int(k + 1), int(sequence.size()))) {
            m_cancelled = true;
            painter.end();
            return true;
        }
        if (!first && !device.newPage()) {
            painter.end();
            return false;
        }
        first = false;
        ReplayPage(painter, sequence[k]);
    }
    return painter.end();
}

bool TZorJob::PrintSource(QPagedPaintDevice &device, QPainter &painter,
                          const QList<int> &sequence) const
{
    // The source's canvas is set up on the device's painter, as on a recorded page.
    m_direct = &painter;
    struct TDirectEnd
    {
        QPainter *&Direct;
        ~TDirectEnd() { Direct = nullptr; }
    } directEnd{m_direct};
    painter.save();
    ResetPainter(painter);
    m_source->BeginPrint();
    painter.restore();

    TFontTable fonts;
    TGlyphFonts drawFonts(fonts);
    const int threads = LayoutThreadCount(LayoutThreads, sequence.size());
    TTextShaper shaper(fonts);
    std::optional<TLayoutPipeline> pipeline;
    if (threads > 0)
        pipeline.emplace(*m_source, fonts, sequence, threads);
    for (qsizetype k = 0; k < sequence.size(); ++k) {
        if (Progress && !Progress(int(k + 1), int(sequence.size()))) {
            m_cancelled = true;
            pipeline.reset();
            painter.end();
            return true;
        }
        TGlyphPage page;
        if (pipeline)
            page = pipeline->Take(k, shaper);
        else
            m_source->LayoutPage(sequence[k], shaper, page);
        if (k > 0 && !device.newPage()) {
            pipeline.reset();
            painter.end();
            return false;
        }
        // Each page starts from the job's drawing state, as a recorded one does.
        painter.save();
        ResetPainter(painter);
        m_source->DrawPage(page, drawFonts);
        painter.restore();
    }
    pipeline.reset();
    return painter.end();
}

#include "print/engine/ZorJob.h"

#include "core/Rounding.h"
#include "print/engine/ZorCanvas.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>

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
    Release();
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
    const int dpi = m_geometry.DpiY > 0 ? m_geometry.DpiY : 600;
    m_current = std::make_unique<TPagePicture>(dpi);
    const TPaperMetrics metrics = PaperMetrics(m_geometry);
    m_current->setBoundingRect(QRect(
        0, 0,
        RoundHalfEvenInt(static_cast<long double>(metrics.PrintableWidth) * metrics.PixelsPerMM),
        RoundHalfEvenInt(static_cast<long double>(metrics.PrintableHeight) * metrics.PixelsPerMM)));
    m_painter = std::make_unique<QPainter>(m_current.get());
    m_painter->setFont(SavedFont);
    m_painter->setBrush(SavedBrush);
    m_painter->setPen(SavedPen);
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
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    bool first = true;
    for (int index : sequence) {
        if (!first && !device.newPage()) {
            painter.end();
            return false;
        }
        first = false;
        ReplayPage(painter, index);
    }
    return painter.end();
}

#pragma once

#include <QBrush>
#include <QFont>
#include <QList>
#include <QPen>
#include <QPicture>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QPageLayout;
class QPagedPaintDevice;
class QPainter;
class TGlyphFonts;
class TGlyphPage;
class TTextShaper;

// Options of a print job: which pages, how many copies, in what order.
struct TZorPrintOptions
{
    // Empty: every page. "0": only the page on view in the preview.
    // Otherwise page numbers separated by commas, as typed ("1,3,4"; no ranges).
    QString Pages;
    int Copies = 1;
    bool Collate = true;  // 1,2,3,1,2,3 rather than 1,1,2,2,3,3
    bool Reverse = false; // the last page first

    bool operator==(const TZorPrintOptions &) const = default;
};

// The pages printed, as 0-based indices in printing order, for a job of
// pageCount pages; pageNo is the 1-based page on view (what "0" selects).
QList<int> PrintSequence(int pageCount, const TZorPrintOptions &options, int pageNo);

// What a printing device reports about its paper, in device pixels.
struct TDeviceGeometry
{
    int DpiX = 0;    // pixels per inch across
    int DpiY = 0;    // pixels per inch down
    QRect PaperRect; // the whole sheet; (0, 0) is its physical top-left corner
    QRect PageRect;  // the printable area in the same pixels; its corner is the unprintable offset

    // From a page layout at a resolution (QPrinter and QPdfWriter both have one).
    static TDeviceGeometry FromPageLayout(const QPageLayout &layout, int dpi);
    bool operator==(const TDeviceGeometry &) const = default;
};

// The paper in millimetres (25.4 per inch), as the print job's clients ask.
struct TPaperMetrics
{
    float PixelsPerMM = 0; // vertical resolution per millimetre, used for both axes
    float LeftOffset = 0;  // unprintable margins
    float TopOffset = 0;
    float RightOffset = 0;
    float BottomOffset = 0;
    float PrintableWidth = 0;  // whole millimetres
    float PrintableHeight = 0; // whole millimetres
    float PaperWidth = 0;      // the whole sheet
    float PaperHeight = 0;
};
TPaperMetrics PaperMetrics(const TDeviceGeometry &g);

// Draws a recorded page so that one of its logical units becomes sx by sy
// pixels of the painter, with the page origin at origin. QPainter::drawPicture
// on its own scales by the device resolution over the picture's; that scale is
// taken out here.
void ReplayPicture(QPainter &painter, const QPicture &picture, const QPointF &origin, qreal sx,
                   qreal sy);

// Pages made on demand rather than recorded. A printer or a PDF gets each page
// drawn straight onto it, its text laid out ahead on worker threads; the
// preview gets the pages recorded.
class TZorPageSource
{
public:
    virtual ~TZorPageSource() = default;
    virtual int PageCount() const = 0;
    // Called on the printing thread before the first page is laid out, with the
    // device's painter open as the job's Canvas().
    virtual void BeginPrint() {}
    // Lays out page index onto page. Runs on any thread, for several pages at
    // once, each thread with its own shaper: it may only read shared state,
    // and the same index must always give the same page.
    virtual void LayoutPage(int index, TTextShaper &shaper, TGlyphPage &page) const = 0;
    // Draws a laid-out page on the job's open page (Canvas()), on the printing thread.
    virtual void DrawPage(const TGlyphPage &page, TGlyphFonts &fonts) = 0;
    // Draws page index on the job's open recording page (Canvas()).
    virtual void RecordPage(int index) = 0;
};

// A print job: pages are recorded once, each as a QPicture whose logical
// coordinates are printer pixels of the printable area (origin at the
// unprintable margin, DpiY pixels per inch on both axes), and replayed any
// number of times onto a printer, a PDF or the preview.
//
// Calling order: BeginDoc; draw on Canvas(); NewPage and draw again for each
// further page; then ClosePage, replay (PrintPages / PaintPage) and Release.
// The job does not guard that order.
//
// Instead of recorded pages a job may have a page source (SetPageSource):
// PrintPages then draws the pages straight onto the device, and RecordPages
// records them for PaintPage.
class TZorJob
{
public:
    TZorJob();
    ~TZorJob();
    TZorJob(const TZorJob &) = delete;
    TZorJob &operator=(const TZorJob &) = delete;

    QString Title; // document name handed to the printer
    TZorPrintOptions PrintOptions;
    // Drawing state carried from one page's canvas to the next.
    QFont SavedFont;
    QBrush SavedBrush;
    QPen SavedPen;

    // Starts a job for a device of this geometry: no pages, "Arial" 12 pt at the
    // device's resolution, a solid white brush, a black pen of width 1, default
    // options, and page 1 open.
    void BeginDoc(const TDeviceGeometry &geometry);
    // Closes the open page (keeping its font, brush and pen for the next one)
    // and opens a new one.
    void NewPage();
    // Closes the open page and appends it to the page list; no page is open then.
    void ClosePage();
    // Drops every page and the saved drawing state.
    void Release();

    // Worker threads that lay out a page source's pages: 0 one for each core
    // but the printing thread's (at least one, at most four), 1 none (all on
    // the printing thread), more that many. The output is the same whatever
    // the number.
    int LayoutThreads = 0;
    // Called before each page printed with its number (from 1) and the number
    // of pages of the job; returning false cancels the job: PrintPages then
    // stops and Cancelled() is true.
    std::function<bool(int page, int total)> Progress;

    // The pages come from source from now on (instead of the open page, which
    // is dropped) until Release or BeginDoc.
    void SetPageSource(std::shared_ptr<TZorPageSource> source);
    TZorPageSource *PageSource() const { return m_source.get(); }
    // Records the source's pages (for the preview, or to draw a whole job
    // before anything reaches a printer), asking Progress before each one.
    // False when Progress cancelled: then no page is kept and Cancelled() is
    // true. Nothing to do without a source.
    bool RecordPages();
    bool Cancelled() const { return m_cancelled; }

    // The painter of the open page; nullptr while no page is open. While a
    // page source prints, the device's painter.
    QPainter *Canvas() const { return m_direct ? m_direct : m_painter.get(); }
    bool IsOpen() const { return m_painter != nullptr; }
    int PageCount() const { return m_source ? m_source->PageCount() : int(m_pages.size()); }
    const QList<QPicture> &PageList() const { return m_pages; }
    const TDeviceGeometry &Geometry() const { return m_geometry; }
    // The logical size of a page: the printable area in printer pixels at DpiY.
    QSizeF LogicalPageSize() const;

    // Page index (0-based) stretched into target, which stands for the printable area.
    void PaintPage(QPainter &painter, int index, const QRectF &target) const;
    // Page index at true size on the painter's device (its resolution), origin at
    // the painter's origin, the printable area of a printer page.
    void ReplayPage(QPainter &painter, int index) const;
    // Prints the selected pages in order onto a paged device (a QPrinter or a
    // QPdfWriter, whose page layout the caller has set), a new sheet before every
    // page but the first. Nothing is started when no page is selected.
    // Returns false when the device refused to begin or to start a sheet.
    bool PrintPages(QPagedPaintDevice &device, int pageNo) const;

private:
    class TPagePicture;
    bool PrintSource(QPagedPaintDevice &device, QPainter &painter,
                     const QList<int> &sequence) const;
    void OpenPage();
    void ResetPainter(QPainter &painter) const;
    TDeviceGeometry m_geometry;
    QList<QPicture> m_pages;
    std::unique_ptr<TPagePicture> m_current;
    std::unique_ptr<QPainter> m_painter;
    std::shared_ptr<TZorPageSource> m_source;
    mutable QPainter *m_direct = nullptr; // the device's painter while a source prints
    mutable bool m_cancelled = false;
};

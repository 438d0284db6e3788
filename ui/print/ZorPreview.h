#pragma once

#include "print/engine/PreviewMath.h"

#include <QDialog>
#include <QPoint>
#include <QPointF>
#include <QSize>

class QAction;
class QComboBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QMouseEvent;
class QPainter;
class QResizeEvent;
class QRubberBand;
class QScrollArea;
class QShowEvent;
class QToolBar;
class QToolButton;

// The print preview window. The print job object derives from it, so the job
// and its preview are one object; the job supplies the pages through the
// virtual functions below.
//
// A later preview opens at the zoom choice the previous one left in cmbZoom:
// a fit mode fits the new job, a number is that number (the first preview
// opens at 100).
class TZorPreview : public QDialog
{
    Q_OBJECT
public:
    // With deferControls the window's controls are made when it is first
    // prepared or shown, so that an object that only prints makes none.
    explicit TZorPreview(QWidget *parent = nullptr, bool deferControls = false);
    ~TZorPreview() override;

    int PageNo = 1; // 1-based number of the page on view

protected:
    virtual int PreviewPageCount() const = 0;
    // Draws page index (0-based) stretched into target (the printable area).
    virtual void PreviewPaintPage(QPainter &painter, int index, const QRect &target) = 0;
    virtual TPreviewPaper PreviewPaper() const = 0;
    // The print button: the print options dialog, then printing.
    virtual void PreviewPrint() = 0;

    // Zoom 100, page 1, then the window modally, opened maximized.
    void RunPreview();
    // Makes the controls when they are not made yet.
    void EnsureControls();

    // The first half of RunPreview without showing anything: scroll-bar sizes,
    // paper on the screen, page 1, layout, page caption.
    void PreparePreview();
    // Logical dots per inch of the window's screen (x, y).
    virtual QPointF ScreenLogicalDpi() const;
    // The refusal sound of the zoom box.
    virtual void Beep();

    // Preview state; pixels unless said otherwise.
    int Zoom = 100;           // percent
    int Border = 20;          // free space around the paper image, also the scroll margins
    TScreenPaper ScreenPaper; // the sheet at 100 percent
    int VScrollWidth = 0;
    int HScrollHeight = 0;
    QPoint DragStart{-1, -1}; // (-1, -1) when no drag is under way
    TPreviewRect DragRect;
    QPoint ContextPoint;
    QSize ClientSize; // client of ScrollArea as the last layout left it

    // Controls.
    QToolBar *ToolBar1 = nullptr;
    QToolButton *btnFirst = nullptr;
    QToolButton *btnPrev = nullptr;
    QToolButton *btnNext = nullptr;
    QToolButton *btnLast = nullptr;
    QToolButton *btnArea = nullptr;
    QToolButton *btnTrack = nullptr;
    QToolButton *btnPrint = nullptr;
    QComboBox *cmbZoom = nullptr;
    QLabel *PageInfo = nullptr;
    QScrollArea *ScrollArea = nullptr;
    QWidget *PaperHolder = nullptr; // the scrolled area: paper plus margins
    QWidget *Paper = nullptr;
    QRubberBand *DragBand = nullptr;
    QMenu *PopupMenu = nullptr;
    QAction *mnuZoomIn = nullptr;
    QAction *mnoZoomOut = nullptr;
    QAction *mnuZoomToWidth = nullptr;
    QAction *mnuZoomToHeight = nullptr;
    QAction *mnuZoomToPage = nullptr;
    QAction *mnuActualSize = nullptr;

    // Handlers.
    void btnFirstClick();
    void btnPrevClick();
    void btnNextClick();
    void btnLastClick();
    void btnAreaClick();
    void btnTrackClick();
    void btnPrintClick();
    void cmbZoomClick();
    // True when the key was taken (swallowed) by the zoom box.
    bool cmbZoomKeyPress(QKeyEvent *e);
    void mnuZoomInClick();
    void mnoZoomOutClick();
    void mnuZoomToWidthClick();
    void mnuZoomToHeightClick();
    void mnuZoomToPageClick();
    void mnuActualSizeClick();
    void PaperPaint(QPainter &painter);
    void PaperMouseDown(QMouseEvent *e);
    void PaperMouseMove(QMouseEvent *e);
    void PaperMouseUp(QMouseEvent *e);
    // True when the key was one of the window's own.
    bool FormKeyDown(QKeyEvent *e);
    void FormResize();

    // Helpers.
    void LayoutPaper(bool repaint);
    void UpdatePageInfo();
    void ApplyZoomChoice();
    void ZoomIn(int x, int y);
    void ZoomOut(int x, int y);
    void ZoomToRect();
    void CentreOn(int x, int y);
    // Client of ScrollArea without scroll bars.
    QSize WholeClient() const;
    // Takes the keyboard focus away from the zoom box.
    void ResetZoomBoxFocus();
    // The numeric items of cmbZoom, read from the box each time.
    QList<int> ZoomStepsOfBox() const;

    void keyPressEvent(QKeyEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    friend class TPreviewPaperBox;
    void CreateControls();
    void SetZoomText(int zoom);
    void StepZoom(int x, int y, bool up);
};

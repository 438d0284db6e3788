#include "ui/print/ZorPreview.h"

#include "ui/print/ZorPreviewIcons.h"
#include "ui/help/HelpContexts.h"
#include "ui/main/AccessKeys.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

// The paper image: paints and takes the mouse through the preview's handlers.
class TPreviewPaperBox : public QWidget
{
public:
    TPreviewPaperBox(TZorPreview *owner, QWidget *parent) : QWidget(parent), Owner(owner)
    {
        setObjectName(QStringLiteral("Paper"));
        // The sheet covers the whole widget, so nothing below needs painting.
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        Owner->PaperPaint(painter);
    }
    void mousePressEvent(QMouseEvent *e) override { Owner->PaperMouseDown(e); }
    void mouseMoveEvent(QMouseEvent *e) override { Owner->PaperMouseMove(e); }
    void mouseReleaseEvent(QMouseEvent *e) override { Owner->PaperMouseUp(e); }

private:
    TZorPreview *Owner = nullptr;
};

TZorPreview::TZorPreview(QWidget *parent, bool deferControls) : QDialog(parent)
{
    setProperty("helpContext", hcPreview);
    setWindowTitle(QStringLiteral("Pregled prije štampe"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    resize(549, 425);
    // FormCreate
    Border = 20;
    DragStart = QPoint(-1, -1);
    if (!deferControls)
        EnsureControls();
}

void TZorPreview::EnsureControls()
{
    if (ScrollArea)
        return;
    CreateControls();
    VScrollWidth = ScrollArea->verticalScrollBar()->sizeHint().width();
    HScrollHeight = ScrollArea->horizontalScrollBar()->sizeHint().height();
}

TZorPreview::~TZorPreview() = default;

void TZorPreview::CreateControls()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setFixedHeight(30);
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(ToolBar1);

    // Nothing on the tool bar but the zoom box takes the focus, so that the
    // window's keys reach the window.
    const auto button = [this](const char *name, int picture, bool checkable) {
        auto *b = new QToolButton(ToolBar1);
        b->setObjectName(QLatin1String(name));
        b->setIcon(PreviewToolIcon(picture));
        b->setCheckable(checkable);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        ToolBar1->addWidget(b);
        return b;
    };
    btnFirst = button("btnFirst", 0, false);
    btnPrev = button("btnPrev", 1, false);
    btnNext = button("btnNext", 2, false);
    btnLast = button("btnLast", 3, false);
    ToolBar1->addSeparator();
    btnArea = button("btnArea", 4, true);
    btnTrack = button("btnTrack", 5, true);
    ToolBar1->addSeparator();
    btnPrint = button("btnPrint", 6, false);
    ToolBar1->addSeparator();

    cmbZoom = new QComboBox(ToolBar1);
    cmbZoom->setObjectName(QStringLiteral("cmbZoom"));
    cmbZoom->setEditable(true);
    cmbZoom->setFixedWidth(74);
    cmbZoom->setFocusPolicy(Qt::ClickFocus); // not a tab stop
    cmbZoom->setInsertPolicy(QComboBox::NoInsert);
    cmbZoom->setCompleter(nullptr); // "1" must stay "1", not become "10"
    cmbZoom->addItems({QString::fromUtf8(ZoomToPageText), QString::fromUtf8(ZoomToWidthText),
                       QString::fromUtf8(ZoomToHeightText), QStringLiteral("10"),
                       QStringLiteral("25"), QStringLiteral("50"), QStringLiteral("75"),
                       QStringLiteral("100"), QStringLiteral("200"), QStringLiteral("400"),
                       QStringLiteral("600"), QStringLiteral("800"), QStringLiteral("1000")});
    cmbZoom->setEditText(QStringLiteral("100"));
    // The box and its list wide enough for the longest choice.
    {
        const QFontMetrics metrics(cmbZoom->font());
        int longest = 0;
        for (int i = 0; i < cmbZoom->count(); ++i)
            longest = std::max(longest, metrics.horizontalAdvance(cmbZoom->itemText(i)));
        const int arrow = style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16;
        cmbZoom->setFixedWidth(std::max(74, longest + arrow));
        cmbZoom->view()->setMinimumWidth(longest + arrow);
    }
    cmbZoom->installEventFilter(this);
    ToolBar1->addWidget(cmbZoom);
    ToolBar1->addSeparator();

    PageInfo = new QLabel(PageInfoText(0, 0), ToolBar1);
    PageInfo->setObjectName(QStringLiteral("PageInfo"));
    PageInfo->setMinimumWidth(88); // wider when "Stranica 100 od 120" needs it
    PageInfo->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    PageInfo->setIndent(4);
    ToolBar1->addWidget(PageInfo);

    ScrollArea = new QScrollArea(this);
    ScrollArea->setObjectName(QStringLiteral("ScrollArea"));
    ScrollArea->setFocusPolicy(Qt::NoFocus);
    ScrollArea->setWidgetResizable(false);
    ScrollArea->viewport()->setBackgroundRole(QPalette::Button);
    PaperHolder = new QWidget;
    PaperHolder->setObjectName(QStringLiteral("PaperHolder"));
    ScrollArea->setWidget(PaperHolder); // turns on the holder's background fill
    PaperHolder->setBackgroundRole(QPalette::Button);
    Paper = new TPreviewPaperBox(this, PaperHolder);
    DragBand = new QRubberBand(QRubberBand::Rectangle, Paper);
    layout->addWidget(ScrollArea, 1);
    // Thumb tracking follows btnTrack, which starts up.
    ScrollArea->horizontalScrollBar()->setTracking(false);
    ScrollArea->verticalScrollBar()->setTracking(false);

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    const auto item = [this](const char *name, const char *text) {
        QAction *a = PopupMenu->addAction(QString::fromUtf8(text));
        a->setObjectName(QLatin1String(name));
        return a;
    };
    mnuZoomIn = item("mnuZoomIn", "&Uvećaj");
    mnoZoomOut = item("mnoZoomOut", "U&manji");
    mnuZoomToWidth = item("mnuZoomToWidth", "Po &širini");
    mnuZoomToHeight = item("mnuZoomToHeight", "Po &visini");
    mnuZoomToPage = item("mnuZoomToPage", "&Cijela stranica");
    mnuActualSize = item("mnuActualSize", "&Stvarna veličina");
    GiveAccessKeys(PopupMenu);

    connect(btnFirst, &QToolButton::clicked, this, &TZorPreview::btnFirstClick);
    connect(btnPrev, &QToolButton::clicked, this, &TZorPreview::btnPrevClick);
    connect(btnNext, &QToolButton::clicked, this, &TZorPreview::btnNextClick);
    connect(btnLast, &QToolButton::clicked, this, &TZorPreview::btnLastClick);
    connect(btnArea, &QToolButton::clicked, this, &TZorPreview::btnAreaClick);
    connect(btnTrack, &QToolButton::clicked, this, &TZorPreview::btnTrackClick);
    connect(btnPrint, &QToolButton::clicked, this, &TZorPreview::btnPrintClick);
    connect(cmbZoom, &QComboBox::activated, this, &TZorPreview::cmbZoomClick);
    connect(mnuZoomIn, &QAction::triggered, this, &TZorPreview::mnuZoomInClick);
    connect(mnoZoomOut, &QAction::triggered, this, &TZorPreview::mnoZoomOutClick);
    connect(mnuZoomToWidth, &QAction::triggered, this, &TZorPreview::mnuZoomToWidthClick);
    connect(mnuZoomToHeight, &QAction::triggered, this, &TZorPreview::mnuZoomToHeightClick);
    connect(mnuZoomToPage, &QAction::triggered, this, &TZorPreview::mnuZoomToPageClick);
    connect(mnuActualSize, &QAction::triggered, this, &TZorPreview::mnuActualSizeClick);
}

// ---------------------------------------------------------------- preview run

void TZorPreview::PreparePreview()
{
    EnsureControls();
    VScrollWidth = ScrollArea->verticalScrollBar()->sizeHint().width();
    HScrollHeight = ScrollArea->horizontalScrollBar()->sizeHint().height();
    Zoom = 100;
    const QPointF dpi = ScreenLogicalDpi();
    ScreenPaper = ScreenPaperAt100(PreviewPaper(), dpi.x(), dpi.y());
    PageNo = 1;
    LayoutPaper(false);
    UpdatePageInfo();
}

void TZorPreview::RunPreview()
{
    PreparePreview();
    // Showing applies the zoom choice left in cmbZoom (see showEvent).
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    exec();
    DragStart = QPoint(-1, -1);
    DragBand->hide();
}

QPointF TZorPreview::ScreenLogicalDpi() const
{
    const QScreen *s = screen();
    if (!s)
        s = QGuiApplication::primaryScreen();
    if (!s)
        return QPointF(96, 96);
    return QPointF(s->logicalDotsPerInchX(), s->logicalDotsPerInchY());
}

void TZorPreview::Beep()
{
    QApplication::beep();
}

void TZorPreview::showEvent(QShowEvent *e)
{
    EnsureControls();
    QDialog::showEvent(e);
    // The window may come back at the size it had, which brings no resize.
    cmbZoomClick();
}

void TZorPreview::resizeEvent(QResizeEvent *e)
{
    QDialog::resizeEvent(e);
    if (ScrollArea)
        FormResize();
}

void TZorPreview::FormResize()
{
    cmbZoomClick();
}

// -------------------------------------------------------------------- layout

QSize TZorPreview::WholeClient() const
{
    return ScrollArea->contentsRect().size();
}

void TZorPreview::LayoutPaper(bool repaint)
{
    // Qt paints only from the event loop, so the resizing below paints
    // nothing by itself; the scroll bars are decided here rather than by the
    // scroll area, whose own decision arrives later, so that the client size
    // is known now for placing and centring.
    const QSize size = ZoomedPaperSize(ScreenPaper, Zoom);
    const TScrollClient sc = ScrollClientFor(WholeClient(), size + QSize(2 * Border, 2 * Border),
                                             VScrollWidth, HScrollHeight);
    ClientSize = sc.Client;
    ScrollArea->setHorizontalScrollBarPolicy(sc.HBar ? Qt::ScrollBarAlwaysOn
                                                     : Qt::ScrollBarAlwaysOff);
    ScrollArea->setVerticalScrollBarPolicy(sc.VBar ? Qt::ScrollBarAlwaysOn
                                                   : Qt::ScrollBarAlwaysOff);
    const int left = PaperPlacement(ClientSize.width(), size.width(), Border);
    const int top = PaperPlacement(ClientSize.height(), size.height(), Border);
    Paper->setGeometry(left, top, size.width(), size.height());
    // The far margins make the scroll range end at the border, as the near ones.
    PaperHolder->resize(left + size.width() + Border, top + size.height() + Border);
    ScrollArea->horizontalScrollBar()->setValue(0);
    ScrollArea->verticalScrollBar()->setValue(0);
    if (repaint)
        Paper->update();
}

void TZorPreview::UpdatePageInfo()
{
    const int count = PreviewPageCount();
    btnFirst->setEnabled(PageNo > 1);
    btnPrev->setEnabled(PageNo > 1);
    btnNext->setEnabled(PageNo < count);
    btnLast->setEnabled(PageNo < count);
    PageInfo->setText(PageInfoText(PageNo, count));
}

void TZorPreview::CentreOn(int x, int y)
{
    QScrollBar *h = ScrollArea->horizontalScrollBar();
    QScrollBar *v = ScrollArea->verticalScrollBar();
    h->setValue(CentreScrollPosition(x, h->value(), ClientSize.width(), Border));
    v->setValue(CentreScrollPosition(y, v->value(), ClientSize.height(), Border));
}

// -------------------------------------------------------------------- paging

void TZorPreview::btnFirstClick()
{
    PageNo = 1;
    LayoutPaper(true);
    UpdatePageInfo();
}

void TZorPreview::btnPrevClick()
{
    if (PageNo < 2)
        return;
    --PageNo;
    LayoutPaper(true);
    UpdatePageInfo();
}

void TZorPreview::btnNextClick()
{
    if (PageNo >= PreviewPageCount())
        return;
    ++PageNo;
    LayoutPaper(true);
    UpdatePageInfo();
}

void TZorPreview::btnLastClick()
{
    PageNo = PreviewPageCount();
    LayoutPaper(true);
    UpdatePageInfo();
}

void TZorPreview::btnAreaClick()
{
    Paper->update();
}

void TZorPreview::btnTrackClick()
{
    const bool track = btnTrack->isChecked();
    ScrollArea->horizontalScrollBar()->setTracking(track);
    ScrollArea->verticalScrollBar()->setTracking(track);
}

void TZorPreview::btnPrintClick()
{
    PreviewPrint();
}

// ---------------------------------------------------------------------- zoom

QList<int> TZorPreview::ZoomStepsOfBox() const
{
    QStringList items;
    for (int i = 0; i < cmbZoom->count(); ++i)
        items.append(cmbZoom->itemText(i));
    return ZoomSteps(items);
}

void TZorPreview::SetZoomText(int zoom)
{
    cmbZoom->setEditText(QString::number(zoom));
}

void TZorPreview::ResetZoomBoxFocus()
{
    // Clearing the focus is the direct way; disabling and enabling the box
    // again, while it had the focus after a real click, left its edit
    // disabled under X.
    if (cmbZoom->hasFocus())
        cmbZoom->clearFocus();
}

void TZorPreview::StepZoom(int x, int y, bool up)
{
    const QList<int> steps = ZoomStepsOfBox();
    const std::optional<int> next = up ? ZoomStepUp(steps, Zoom) : ZoomStepDown(steps, Zoom);
    if (!next)
        return;
    const int cx = RescaleCoordinate(x, Zoom, *next);
    const int cy = RescaleCoordinate(y, Zoom, *next);
    Zoom = *next;
    SetZoomText(Zoom);
    LayoutPaper(false);
    CentreOn(cx, cy);
    Paper->update();
}

void TZorPreview::ZoomIn(int x, int y)
{
    StepZoom(x, y, true);
}

void TZorPreview::ZoomOut(int x, int y)
{
    StepZoom(x, y, false);
}

void TZorPreview::ZoomToRect()
{
    const TRectZoom rz = ZoomForRect(DragRect, Zoom, ClientSize, Border);
    Zoom = rz.Zoom;
    SetZoomText(Zoom);
    LayoutPaper(false);
    CentreOn(ScaleFraction(rz.CentreX, Zoom), ScaleFraction(rz.CentreY, Zoom));
    Paper->update();
}

void TZorPreview::ApplyZoomChoice()
{
    // The fit modes measure the whole area, as if no scroll bar were shown.
    const QSize whole = WholeClient();
    const QString text = cmbZoom->currentText();
    const TZoomRequest req = ParseZoomChoice(text);
    switch (req.Choice) {
    case TZoomChoice::ToPage:
        Zoom = ZoomToPage(whole, ScreenPaper, Border);
        break;
    case TZoomChoice::ToWidth:
        Zoom = ZoomToWidth(whole, ScreenPaper, Border, VScrollWidth);
        break;
    case TZoomChoice::ToHeight:
        Zoom = ZoomToHeight(whole, ScreenPaper, Border, HScrollHeight);
        break;
    case TZoomChoice::Percent:
        // A pasted number may lie outside the limits: it gets those of typing.
        Zoom = req.Percent;
        if (text != QString::number(Zoom))
            SetZoomText(Zoom);
        break;
    case TZoomChoice::Invalid:
        // Pasted text that is no zoom: the box shows the zoom in force again.
        SetZoomText(Zoom);
        break;
    }
    ResetZoomBoxFocus();
    LayoutPaper(true);
}

void TZorPreview::cmbZoomClick()
{
    ApplyZoomChoice();
}

bool TZorPreview::cmbZoomKeyPress(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        const std::optional<int> typed = ParseTypedZoom(cmbZoom->currentText());
        if (!typed) {
            if (QLineEdit *edit = cmbZoom->lineEdit())
                edit->selectAll();
            Beep();
            return true;
        }
        Zoom = ClampTypedZoom(*typed);
        SetZoomText(Zoom);
        LayoutPaper(true);
        ResetZoomBoxFocus();
        return true;
    }
    // Keys that type nothing (arrows, Home, Delete, Backspace, Ctrl+A and the
    // other editing shortcuts) and Tab keep their usual work; of the typed
    // characters only digits are taken.
    const QString text = e->text();
    if (text.isEmpty() || !text.at(0).isPrint() || e->key() == Qt::Key_Delete ||
        e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab ||
        (e->modifiers() & Qt::ControlModifier))
        return false;
    if (text.size() == 1 && text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9'))
        return false;
    // The box keeps the focus: the digits typed next belong in it too.
    Beep();
    return true;
}

bool TZorPreview::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == cmbZoom && e->type() == QEvent::KeyPress)
        return cmbZoomKeyPress(static_cast<QKeyEvent *>(e));
    return QDialog::eventFilter(watched, e);
}

void TZorPreview::mnuZoomInClick()
{
    ZoomIn(ContextPoint.x(), ContextPoint.y());
}

void TZorPreview::mnoZoomOutClick()
{
    ZoomOut(ContextPoint.x(), ContextPoint.y());
}

void TZorPreview::mnuZoomToWidthClick()
{
    cmbZoom->setEditText(QString::fromUtf8(ZoomToWidthText));
    cmbZoomClick();
}

void TZorPreview::mnuZoomToHeightClick()
{
    cmbZoom->setEditText(QString::fromUtf8(ZoomToHeightText));
    cmbZoomClick();
}

void TZorPreview::mnuZoomToPageClick()
{
    cmbZoom->setEditText(QString::fromUtf8(ZoomToPageText));
    cmbZoomClick();
}

void TZorPreview::mnuActualSizeClick()
{
    cmbZoom->setEditText(QStringLiteral("100"));
    cmbZoomClick();
}

// --------------------------------------------------------------------- paper

void TZorPreview::PaperPaint(QPainter &painter)
{
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::white);
    painter.drawRect(0, 0, Paper->width() - 1, Paper->height() - 1);

    const TPreviewRect r = PrintableRect(ScreenPaper, Zoom);
    if (PageNo >= 1 && PageNo <= PreviewPageCount()) {
        painter.save();
        PreviewPaintPage(painter, PageNo - 1, r.ToQRect());
        painter.restore();
    }
    if (btnArea->isChecked()) {
        painter.setPen(QPen(Qt::black, 0, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        const QPoint outline[] = {{r.Left, r.Top},
                                  {r.Right, r.Top},
                                  {r.Right, r.Bottom},
                                  {r.Left, r.Bottom},
                                  {r.Left, r.Top}};
        painter.drawPolyline(outline, 5);
    }
}

void TZorPreview::PaperMouseDown(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint p = e->position().toPoint();
    DragStart = p;
    DragRect = TPreviewRect{p.x(), p.y(), p.x(), p.y()};
    DragBand->setGeometry(DragRect.ToQRect());
    DragBand->show();
}

void TZorPreview::PaperMouseMove(QMouseEvent *e)
{
    if (DragStart.x() == -1 || DragStart.y() == -1)
        return;
    const QPoint p = e->position().toPoint();
    DragRect = TPreviewRect{std::min(DragStart.x(), p.x()), std::min(DragStart.y(), p.y()),
                            std::max(DragStart.x(), p.x()), std::max(DragStart.y(), p.y())};
    DragBand->setGeometry(DragRect.ToQRect());
}

void TZorPreview::PaperMouseUp(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::RightButton) {
        ContextPoint = p;
        DragStart = QPoint(-1, -1);
        DragBand->hide();
        PopupMenu->popup(e->globalPosition().toPoint());
        return;
    }
    if (DragStart.x() == -1 || DragStart.y() == -1)
        return;
    DragStart = QPoint(-1, -1);
    DragBand->hide();
    if (DragRect.Height() < 1 || DragRect.Width() < 1)
        ZoomIn(p.x(), p.y());
    else
        ZoomToRect();
}

// ---------------------------------------------------------------------- keys

bool TZorPreview::FormKeyDown(QKeyEvent *e)
{
    const Qt::KeyboardModifiers mods =
        e->modifiers() & (Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier);
    const bool none = mods == Qt::NoModifier;
    const bool ctrl = mods == Qt::ControlModifier;
    const auto scroll = [](QScrollBar *bar, int steps) {
        bar->setValue(bar->value() + steps * bar->singleStep());
    };
    switch (e->key()) {
    case Qt::Key_PageUp:
        if (none)
            btnPrevClick();
        else if (ctrl)
            btnFirstClick();
        else
            return false;
        return true;
    case Qt::Key_PageDown:
        if (none)
            btnNextClick();
        else if (ctrl)
            btnLastClick();
        else
            return false;
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (!none)
            return false;
        scroll(ScrollArea->horizontalScrollBar(), e->key() == Qt::Key_Left ? -1 : 1);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!none)
            return false;
        scroll(ScrollArea->verticalScrollBar(), e->key() == Qt::Key_Up ? -1 : 1);
        return true;
    default:
        return false;
    }
}

void TZorPreview::keyPressEvent(QKeyEvent *e)
{
    if (!ScrollArea || !FormKeyDown(e))
        QDialog::keyPressEvent(e);
}

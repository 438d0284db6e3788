#include "ui/print/ZorPreview.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPicture>
#include <QProcess>
#include <QRubberBand>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

class tst_ZorPreview;

namespace {

// Logical size of a recorded test page.
constexpr int PicW = 1000;
constexpr int PicH = 1400;
const QColor PageColour(170, 210, 250);

// A job of numbered pages, recorded once; counts what the preview asks of it.
class TTestPreview : public TZorPreview
{
    friend class ::tst_ZorPreview;

public:
    explicit TTestPreview(int pages, double marginMm = 10)
    {
        Sheet.PaperWidth = 210;
        Sheet.PaperHeight = 297;
        Sheet.LeftOffset = Sheet.TopOffset = Sheet.RightOffset = Sheet.BottomOffset = marginMm;
        for (int i = 1; i <= pages; ++i)
            Pages.append(Record(i));
    }

    TPreviewPaper Sheet;
    QList<QPicture> Pages;
    int Recorded = 0;
    int PaintCalls = 0;
    int LastIndex = -1;
    QRect LastTarget;
    int PrintCalls = 0;
    int Beeps = 0;

protected:
    int PreviewPageCount() const override { return Pages.size(); }
    void PreviewPaintPage(QPainter &painter, int index, const QRect &target) override
    {
        ++PaintCalls;
        LastIndex = index;
        LastTarget = target;
        painter.translate(target.topLeft());
        painter.scale(double(target.width()) / PicW, double(target.height()) / PicH);
        painter.drawPicture(0, 0, Pages.at(index));
    }
    TPreviewPaper PreviewPaper() const override { return Sheet; }
    void PreviewPrint() override { ++PrintCalls; }
    QPointF ScreenLogicalDpi() const override { return QPointF(96, 96); }
    void Beep() override { ++Beeps; }

private:
    QPicture Record(int number)
    {
        ++Recorded;
        QPicture pic;
        QPainter p(&pic);
        // A coloured block well inside the printable area, and the number.
        p.fillRect(QRect(100, 100, PicW - 200, PicH - 200), PageColour);
        p.setPen(Qt::black);
        QFont f = p.font();
        f.setPixelSize(400);
        p.setFont(f);
        p.drawText(QRect(0, 0, PicW, PicH), Qt::AlignCenter, QString::number(number));
        f.setPixelSize(60);
        p.setFont(f);
        p.drawText(QRect(150, 150, 700, 100), Qt::AlignLeft, QStringLiteral("Page %1").arg(number));
        p.drawLine(150, 260, 850, 260);
        return pic;
    }
};

void SendMouse(QWidget *w, QEvent::Type type, Qt::MouseButton button, QPoint pos)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)),
                  type == QEvent::MouseMove ? Qt::NoButton : button,
                  type == QEvent::MouseMove ? Qt::MouseButtons(Qt::LeftButton) : buttons,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

bool IsDark(QRgb c)
{
    return qGray(c) < 100;
}

} // namespace

class tst_ZorPreview : public QObject
{
    Q_OBJECT
private:
    // Shows the preview as prepared for a job, with a client area of the
    // scroll area of exactly client.
    void Open(TTestPreview &w, QSize client = QSize(1000, 700));
    void SetClient(TTestPreview &w, QSize client);
    void TypeZoom(TTestPreview &w, const QString &keys);
    // Where point p of the paper lands in the scroll area's viewport.
    QPoint InView(TTestPreview &w, QPoint p);
    int DarkInRow(const QImage &img, int y, int x0, int x1);

private Q_SLOTS:
    void controlsAndCaption();
    void pagingButtonsAndKeys();
    void onePageJob();
    void pageChangeScrollsHome();
    void arrowKeysScroll();
    void zoomSteps();
    void typedZoom();
    void typedTextRefused();
    void fitModesFollowResize();
    void fitToWidthBringsScrollBar();
    void layoutCentresAndMatchesScrollArea();
    void clickZoomsInAtPoint();
    void rubberBandZoom();
    void contextMenu();
    void printableAreaOutline();
    void repaintReplaysOnlyThePage();
    void trackAndPrintButtons();
    void tinyWindowAndPastedZero();
    void runPreviewAndLaterPreview();
    void realInputUnderX();
};

void tst_ZorPreview::SetClient(TTestPreview &w, QSize client)
{
    const QSize delta = w.size() - w.ScrollArea->contentsRect().size();
    w.resize(client + delta);
    QTRY_COMPARE(w.ScrollArea->contentsRect().size(), client);
}

void tst_ZorPreview::Open(TTestPreview &w, QSize client)
{
    w.PreparePreview();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    SetClient(w, client);
    QCoreApplication::processEvents();
}

void tst_ZorPreview::TypeZoom(TTestPreview &w, const QString &keys)
{
    w.cmbZoom->lineEdit()->selectAll();
    QTest::keyClicks(w.cmbZoom, keys);
    QTest::keyClick(w.cmbZoom, Qt::Key_Return);
}

QPoint tst_ZorPreview::InView(TTestPreview &w, QPoint p)
{
    return w.Paper->mapTo(w.ScrollArea->viewport(), p);
}

int tst_ZorPreview::DarkInRow(const QImage &img, int y, int x0, int x1)
{
    int n = 0;
    for (int x = x0; x <= x1; ++x)
        n += IsDark(img.pixel(x, y)) ? 1 : 0;
    return n;
}

void tst_ZorPreview::controlsAndCaption()
{
    TTestPreview w(3);
    QCOMPARE(w.windowTitle(), QStringLiteral("Pregled prije štampe"));
    QCOMPARE(w.size(), QSize(549, 425));
    QCOMPARE(w.PageInfo->text(), QStringLiteral("Stranica"));
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("100"));
    QCOMPARE(w.cmbZoom->count(), 13);
    QCOMPARE(w.cmbZoom->itemText(0), QStringLiteral("Cijela stranica"));
    QCOMPARE(w.cmbZoom->itemText(12), QStringLiteral("1000"));
    // Wide enough to read the longest choice, in the box and in its list.
    const int longest =
        w.cmbZoom->fontMetrics().horizontalAdvance(QStringLiteral("Cijela stranica"));
    QVERIFY(w.cmbZoom->width() > longest);
    QVERIFY(w.cmbZoom->view()->minimumWidth() > longest);
    QVERIFY(!(w.cmbZoom->focusPolicy() & Qt::TabFocus));
    for (const char *name :
         {"ToolBar1", "btnFirst", "btnPrev", "btnNext", "btnLast", "btnArea", "btnTrack",
          "btnPrint", "cmbZoom", "PageInfo", "ScrollArea", "Paper", "PopupMenu"})
        QVERIFY2(w.findChild<QObject *>(QLatin1String(name)), name);
    QVERIFY(w.btnArea->isCheckable() && w.btnTrack->isCheckable());
    QVERIFY(!w.btnArea->isChecked() && !w.btnTrack->isChecked());
    QStringList texts;
    for (QAction *a : w.PopupMenu->actions())
        texts << a->objectName() + '=' + a->text();
    QCOMPARE(texts,
             (QStringList{"mnuZoomIn=&Uvećaj", "mnoZoomOut=U&manji", "mnuZoomToWidth=Po &širini",
                          "mnuZoomToHeight=Po &visini", "mnuZoomToPage=&Cijela stranica",
                          "mnuActualSize=&Stvarna veličina"}));
    QCOMPARE(w.Border, 20);
    QCOMPARE(w.DragStart, QPoint(-1, -1));

    w.PreparePreview();
    QCOMPARE(w.PageInfo->text(), QStringLiteral("Stranica 1 od 3"));
    QCOMPARE(w.ScreenPaper.ScreenPaperWidth, 794);
    QCOMPARE(w.ScreenPaper.ScreenPaperHeight, 1123);
    QCOMPARE(w.ScreenPaper.ScreenMarginLeft, 38); // 10 mm at 96 dpi: 37.8
    QCOMPARE(w.Paper->size(), QSize(794, 1123));
}

void tst_ZorPreview::pagingButtonsAndKeys()
{
    TTestPreview w(3);
    Open(w);
    QCOMPARE(w.PageNo, 1);
    QVERIFY(!w.btnFirst->isEnabled() && !w.btnPrev->isEnabled());
    QVERIFY(w.btnNext->isEnabled() && w.btnLast->isEnabled());

    QTest::mouseClick(w.btnNext, Qt::LeftButton);
    QCOMPARE(w.PageNo, 2);
    QCOMPARE(w.PageInfo->text(), QStringLiteral("Stranica 2 od 3"));
    QVERIFY(w.btnFirst->isEnabled() && w.btnPrev->isEnabled());
    QVERIFY(w.btnNext->isEnabled() && w.btnLast->isEnabled());

    QTest::mouseClick(w.btnLast, Qt::LeftButton);
    QCOMPARE(w.PageInfo->text(), QStringLiteral("Stranica 3 od 3"));
    QVERIFY(!w.btnNext->isEnabled() && !w.btnLast->isEnabled());
    QTest::mouseClick(w.btnPrev, Qt::LeftButton);
    QCOMPARE(w.PageNo, 2);
    QTest::mouseClick(w.btnFirst, Qt::LeftButton);
    QCOMPARE(w.PageNo, 1);

    // Keys of the window.
    QTest::keyClick(&w, Qt::Key_PageDown);
    QCOMPARE(w.PageNo, 2);
    QTest::keyClick(&w, Qt::Key_PageUp);
    QCOMPARE(w.PageNo, 1);
    QTest::keyClick(&w, Qt::Key_PageUp); // stays at the first page
    QCOMPARE(w.PageNo, 1);
    QTest::keyClick(&w, Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(w.PageNo, 3);
    QCOMPARE(w.PageInfo->text(), QStringLiteral("Stranica 3 od 3"));
    QTest::keyClick(&w, Qt::Key_PageDown);
    QCOMPARE(w.PageNo, 3);
    QTest::keyClick(&w, Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(w.PageNo, 1);
    // Other modifiers leave the keys alone.
    QTest::keyClick(&w, Qt::Key_PageDown, Qt::ShiftModifier);
    QTest::keyClick(&w, Qt::Key_PageDown, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(w.PageNo, 1);

    // The page on view is the one painted.
    QTest::keyClick(&w, Qt::Key_PageDown);
    w.Paper->grab();
    QCOMPARE(w.LastIndex, 1);
}

void tst_ZorPreview::onePageJob()
{
    TTestPreview w(1);
    Open(w);
    QCOMPARE(w.PageInfo->text(), QStringLiteral("Stranica 1 od 1"));
    QVERIFY(!w.btnFirst->isEnabled() && !w.btnPrev->isEnabled());
    QVERIFY(!w.btnNext->isEnabled() && !w.btnLast->isEnabled());
    QTest::keyClick(&w, Qt::Key_PageDown);
    QTest::keyClick(&w, Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(w.PageNo, 1);
    QCOMPARE(w.PageInfo->text(), QStringLiteral("Stranica 1 od 1"));
}

void tst_ZorPreview::pageChangeScrollsHome()
{
    TTestPreview w(3);
    Open(w);
    TypeZoom(w, "400");
    QCOMPARE(w.Zoom, 400);
    w.ScrollArea->horizontalScrollBar()->setValue(500);
    w.ScrollArea->verticalScrollBar()->setValue(900);
    QCOMPARE(w.ScrollArea->verticalScrollBar()->value(), 900);
    QTest::keyClick(&w, Qt::Key_PageDown);
    QCOMPARE(w.PageNo, 2);
    QCOMPARE(w.ScrollArea->horizontalScrollBar()->value(), 0);
    QCOMPARE(w.ScrollArea->verticalScrollBar()->value(), 0);
    QCOMPARE(w.Zoom, 400);
}

void tst_ZorPreview::arrowKeysScroll()
{
    TTestPreview w(2);
    Open(w);
    TypeZoom(w, "200");
    QScrollBar *h = w.ScrollArea->horizontalScrollBar();
    QScrollBar *v = w.ScrollArea->verticalScrollBar();
    QVERIFY(h->singleStep() > 0 && v->singleStep() > 0);
    QTest::keyClick(&w, Qt::Key_Right);
    QTest::keyClick(&w, Qt::Key_Right);
    QCOMPARE(h->value(), 2 * h->singleStep());
    QTest::keyClick(&w, Qt::Key_Left);
    QCOMPARE(h->value(), h->singleStep());
    QTest::keyClick(&w, Qt::Key_Down);
    QCOMPARE(v->value(), v->singleStep());
    QTest::keyClick(&w, Qt::Key_Up);
    QTest::keyClick(&w, Qt::Key_Up); // the bar keeps the value in range
    QCOMPARE(v->value(), 0);
    QTest::keyClick(&w, Qt::Key_Right, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(h->value(), h->singleStep());
    QCOMPARE(v->value(), 0);
    QCOMPARE(w.PageNo, 1);
}

void tst_ZorPreview::zoomSteps()
{
    TTestPreview w(1);
    Open(w);
    TypeZoom(w, "150");
    QCOMPARE(w.Zoom, 150);
    w.ContextPoint = QPoint(0, 0);
    w.mnuZoomIn->trigger();
    QCOMPARE(w.Zoom, 200);
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("200"));
    QCOMPARE(w.Paper->size(), QSize(1588, 2246));

    TypeZoom(w, "150");
    w.mnoZoomOut->trigger();
    QCOMPARE(w.Zoom, 100);
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("100"));

    TypeZoom(w, "1000");
    w.mnuZoomIn->trigger();
    QCOMPARE(w.Zoom, 1000);
    TypeZoom(w, "10");
    w.mnoZoomOut->trigger();
    QCOMPARE(w.Zoom, 10);
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("10"));
    w.mnuZoomIn->trigger();
    QCOMPARE(w.Zoom, 25);
}

void tst_ZorPreview::typedZoom()
{
    TTestPreview w(1);
    Open(w);
    TypeZoom(w, "5");
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("10"));
    QCOMPARE(w.Zoom, 10);
    QCOMPARE(w.Paper->size(), QSize(79, 112)); // 79.4, 112.3
    TypeZoom(w, "5000");
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("1000"));
    QCOMPARE(w.Zoom, 1000);
    TypeZoom(w, "250");
    QCOMPARE(w.Zoom, 250);
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("250"));
    QCOMPARE(w.Beeps, 0);
    // Enter takes the focus away from the box, so the window's keys work again.
    QVERIFY(!w.cmbZoom->hasFocus());

    // The combo's own completion must not turn "1" into "10".
    w.cmbZoom->lineEdit()->selectAll();
    QTest::keyClicks(w.cmbZoom, "1");
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("1"));
    QTest::keyClick(w.cmbZoom, Qt::Key_Enter);
    QCOMPARE(w.Zoom, 10);
    QCOMPARE(w.cmbZoom->count(), 13); // nothing typed is added to the list
}

void tst_ZorPreview::typedTextRefused()
{
    TTestPreview w(1);
    Open(w);
    w.activateWindow();
    w.cmbZoom->setFocus();
    QTRY_VERIFY(w.cmbZoom->hasFocus());
    w.cmbZoom->lineEdit()->selectAll();
    QTest::keyClicks(w.cmbZoom, "3a");
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("3"));
    QCOMPARE(w.Beeps, 1);
    // The refusal leaves the focus in the box: the digits typed after it are
    // not lost to the window.
    QVERIFY(w.cmbZoom->hasFocus());
    QVERIFY(w.cmbZoom->isEnabled() && w.cmbZoom->lineEdit()->isEnabled());
    QTest::keyClicks(w.cmbZoom, "7");
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("37"));
    QTest::keyClick(w.cmbZoom, Qt::Key_Minus);
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("37"));
    QCOMPARE(w.Beeps, 2);
    // Backspace and Ctrl+A edit the box as in any field.
    QTest::keyClick(w.cmbZoom, Qt::Key_Backspace);
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("3"));
    QTest::keyClicks(w.cmbZoom, "5");
    QTest::keyClick(w.cmbZoom, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(w.cmbZoom->lineEdit()->selectedText(), QStringLiteral("35"));
    QTest::keyClicks(w.cmbZoom, "150");
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("150"));
    QCOMPARE(w.Beeps, 2);
    QCOMPARE(w.Zoom, 100);
    // Keys that type nothing keep their work in the edit.
    w.cmbZoom->lineEdit()->setCursorPosition(1);
    QTest::keyClick(w.cmbZoom, Qt::Key_Home);
    QCOMPARE(w.cmbZoom->lineEdit()->cursorPosition(), 0);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(w.cmbZoom, Qt::Key_Delete);
    QCOMPARE(w.cmbZoom->currentText(), QString());
    QCOMPARE(w.Beeps, 2);

    // Pasted text that is no number: selected, a beep, the zoom stays.
    w.cmbZoom->setEditText(QStringLiteral("abc"));
    w.cmbZoom->lineEdit()->deselect();
    QTest::keyClick(w.cmbZoom, Qt::Key_Return);
    QCOMPARE(w.Beeps, 3);
    QCOMPARE(w.Zoom, 100);
    QCOMPARE(w.cmbZoom->lineEdit()->selectedText(), QStringLiteral("abc"));
    // An empty box on Enter likewise.
    w.cmbZoom->setEditText(QString());
    QTest::keyClick(w.cmbZoom, Qt::Key_Return);
    QCOMPARE(w.Beeps, 4);
    QCOMPARE(w.Zoom, 100);

    // A resize with such text in the box shows the zoom in force again.
    w.cmbZoom->setEditText(QStringLiteral("abc"));
    SetClient(w, QSize(900, 650));
    QCOMPARE(w.Zoom, 100);
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("100"));
}

void tst_ZorPreview::fitModesFollowResize()
{
    TTestPreview w(1);
    Open(w, QSize(1000, 700));
    // Choosing the item in the box.
    w.cmbZoom->setCurrentIndex(0);
    Q_EMIT w.cmbZoom->activated(0);
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("Cijela stranica"));
    QCOMPARE(w.Zoom, 58);
    QVERIFY(!w.ScrollArea->horizontalScrollBar()->isVisible());
    QVERIFY(!w.ScrollArea->verticalScrollBar()->isVisible());

    // A new size fits again: min(960 / 794, 1160 / 1123) = 103.
    SetClient(w, QSize(1000, 1200));
    QCOMPARE(w.Zoom, 103);
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("Cijela stranica"));

    w.mnuZoomToHeight->trigger();
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("Po visini"));
    QCOMPARE(w.Zoom, 103); // 1160 / 1123
    SetClient(w, QSize(1000, 700));
    QCOMPARE(w.Zoom, 58);

    // A number chosen in the box stays put on resize.
    w.cmbZoom->setCurrentIndex(8);
    Q_EMIT w.cmbZoom->activated(8);
    QCOMPARE(w.Zoom, 200);
    SetClient(w, QSize(800, 600));
    QCOMPARE(w.Zoom, 200);
    w.mnuActualSize->trigger();
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("100"));
    QCOMPARE(w.Zoom, 100);
}

void tst_ZorPreview::fitToWidthBringsScrollBar()
{
    TTestPreview w(1);
    Open(w, QSize(1000, 700));
    w.mnuZoomToWidth->trigger();
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("Po širini"));
    // 120 percent would be 1348 tall: the vertical bar's width is given up.
    const int expected = (1000 - 40 - w.VScrollWidth) * 100 / 794;
    QVERIFY(expected < 120);
    QCOMPARE(w.Zoom, expected);
    QTRY_VERIFY(w.ScrollArea->verticalScrollBar()->isVisible());
    QVERIFY(!w.ScrollArea->horizontalScrollBar()->isVisible());
    // The sheet just fits the width that is left.
    const int viewW = w.ScrollArea->viewport()->width();
    QVERIFY(w.Paper->width() + 2 * w.Border <= viewW);
    QVERIFY(ZoomedPaperSize(w.ScreenPaper, w.Zoom + 1).width() + 2 * w.Border > viewW);

    // Wide enough that the sheet fits in height too: no bar, 120 percent.
    SetClient(w, QSize(1000, 1400));
    QCOMPARE(w.Zoom, 120);
    QTRY_VERIFY(!w.ScrollArea->verticalScrollBar()->isVisible());
}

void tst_ZorPreview::layoutCentresAndMatchesScrollArea()
{
    TTestPreview w(1);
    Open(w, QSize(1000, 700));
    // 100 percent: taller than the view, narrower than it.
    QCoreApplication::processEvents();
    QCOMPARE(w.ScrollArea->viewport()->size(), w.ClientSize);
    QCOMPARE(w.ClientSize, QSize(1000 - w.VScrollWidth, 700));
    QCOMPARE(w.Paper->y(), 20);
    const int leftGap = w.Paper->x();
    const int rightGap = w.ClientSize.width() - w.Paper->x() - w.Paper->width();
    QVERIFY(qAbs(leftGap - rightGap) <= 1);
    // The scroll range ends at the border below the sheet.
    QScrollBar *v = w.ScrollArea->verticalScrollBar();
    QCOMPARE(v->maximum(), 1123 + 40 - 700);

    // 400 percent: both bars; the sheet sits at the border.
    TypeZoom(w, "400");
    QCoreApplication::processEvents();
    QCOMPARE(w.ScrollArea->viewport()->size(), w.ClientSize);
    QCOMPARE(w.ClientSize, QSize(1000 - w.VScrollWidth, 700 - w.HScrollHeight));
    QCOMPARE(w.Paper->pos(), QPoint(20, 20));
    QCOMPARE(w.ScrollArea->horizontalScrollBar()->maximum(), 3176 + 40 - w.ClientSize.width());

    // 50 percent: no bars, centred both ways.
    TypeZoom(w, "50");
    QCoreApplication::processEvents();
    QCOMPARE(w.ScrollArea->viewport()->size(), QSize(1000, 700));
    // 397 x 561.5 -> 562, placed at (301.5 -> 302, 69).
    QCOMPARE(w.Paper->geometry(), QRect(302, 69, 397, 562));
}

void tst_ZorPreview::clickZoomsInAtPoint()
{
    TTestPreview w(1);
    Open(w, QSize(1000, 700));
    // A press and release without moving: one step in, the point centred.
    SendMouse(w.Paper, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(300, 500));
    SendMouse(w.Paper, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(300, 500));
    QCOMPARE(w.Zoom, 200);
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("200"));
    QCOMPARE(w.DragStart, QPoint(-1, -1));
    QVERIFY(!w.DragBand->isVisible());
    const QPoint centre = InView(w, QPoint(600, 1000));
    QVERIFY2(qAbs(centre.x() - w.ClientSize.width() / 2) <= 1,
             qPrintable(QString::number(centre.x())));
    QVERIFY(qAbs(centre.y() - w.ClientSize.height() / 2) <= 1);

    // A point near the corner cannot be centred: the view stays at the start.
    SendMouse(w.Paper, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(10, 10));
    SendMouse(w.Paper, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(10, 10));
    QCOMPARE(w.Zoom, 400);
    QCOMPARE(w.ScrollArea->horizontalScrollBar()->value(), 0);
    QCOMPARE(w.ScrollArea->verticalScrollBar()->value(), 0);

    // At the far corner the bar stops at its end.
    const QPoint far(w.Paper->width() - 5, w.Paper->height() - 5);
    SendMouse(w.Paper, QEvent::MouseButtonPress, Qt::LeftButton, far);
    SendMouse(w.Paper, QEvent::MouseButtonRelease, Qt::LeftButton, far);
    QCOMPARE(w.Zoom, 600);
    QCOMPARE(w.ScrollArea->horizontalScrollBar()->value(),
             w.ScrollArea->horizontalScrollBar()->maximum());
}

void tst_ZorPreview::rubberBandZoom()
{
    TTestPreview w(1);
    Open(w, QSize(1000, 700));
    SendMouse(w.Paper, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(300, 200));
    QCOMPARE(w.DragStart, QPoint(300, 200));
    QVERIFY(w.DragBand->isVisible());
    // Dragged up and to the left: the rectangle is kept normalised.
    SendMouse(w.Paper, QEvent::MouseMove, Qt::NoButton, QPoint(100, 100));
    QCOMPARE(w.DragRect, (TPreviewRect{100, 100, 300, 200}));
    QCOMPARE(w.DragBand->geometry(), QRect(100, 100, 200, 100));
    SendMouse(w.Paper, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(100, 100));
    QVERIFY(!w.DragBand->isVisible());
    QCOMPARE(w.DragStart, QPoint(-1, -1));
    // The client is 1000 less the vertical bar by 700: min(940-odd / 200, 660 / 100).
    const int expected = qRound((w.ClientSize.width() - 40) * 100.0 / 200);
    QCOMPARE(w.Zoom, expected);
    QCOMPARE(w.cmbZoom->currentText(), QString::number(expected));
    // The rectangle's centre (200, 150) at 100 percent is in the middle of the view.
    const QPoint c = InView(w, QPoint(2 * w.Zoom, qRound(1.5 * w.Zoom)));
    QVERIFY(qAbs(c.x() - w.ClientSize.width() / 2) <= 1);
    QVERIFY(qAbs(c.y() - w.ClientSize.height() / 2) <= 1);

    // A drag of no height zooms one step at the release point.
    TypeZoom(w, "100");
    SendMouse(w.Paper, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(100, 300));
    SendMouse(w.Paper, QEvent::MouseMove, Qt::NoButton, QPoint(400, 300));
    SendMouse(w.Paper, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(400, 300));
    QCOMPARE(w.Zoom, 200);

    // A tiny rectangle stops at 1000.
    SendMouse(w.Paper, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(100, 100));
    SendMouse(w.Paper, QEvent::MouseMove, Qt::NoButton, QPoint(103, 104));
    SendMouse(w.Paper, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(103, 104));
    QCOMPARE(w.Zoom, 1000);

    // Moving without a drag under way does nothing.
    SendMouse(w.Paper, QEvent::MouseMove, Qt::NoButton, QPoint(10, 10));
    QCOMPARE(w.DragRect, (TPreviewRect{100, 100, 103, 104}));
    SendMouse(w.Paper, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(10, 10));
    QCOMPARE(w.Zoom, 1000);
}

void tst_ZorPreview::contextMenu()
{
    TTestPreview w(1);
    Open(w, QSize(1000, 700));
    // A right press does not start a drag; its release sets the point and opens the menu.
    SendMouse(w.Paper, QEvent::MouseButtonPress, Qt::RightButton, QPoint(400, 600));
    QCOMPARE(w.DragStart, QPoint(-1, -1));
    SendMouse(w.Paper, QEvent::MouseButtonRelease, Qt::RightButton, QPoint(400, 600));
    QCOMPARE(w.ContextPoint, QPoint(400, 600));
    QTRY_VERIFY(w.PopupMenu->isVisible());
    w.PopupMenu->close();
    w.mnuZoomIn->trigger();
    QCOMPARE(w.Zoom, 200);
    const QPoint c = InView(w, QPoint(800, 1200));
    QVERIFY(qAbs(c.x() - w.ClientSize.width() / 2) <= 1);
    QVERIFY(qAbs(c.y() - w.ClientSize.height() / 2) <= 1);

    SendMouse(w.Paper, QEvent::MouseButtonRelease, Qt::RightButton, QPoint(800, 1200));
    w.PopupMenu->close();
    w.mnoZoomOut->trigger();
    QCOMPARE(w.Zoom, 100);

    // A right release during a left drag ends the drag without zooming.
    SendMouse(w.Paper, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(50, 50));
    SendMouse(w.Paper, QEvent::MouseButtonRelease, Qt::RightButton, QPoint(60, 70));
    w.PopupMenu->close();
    QCOMPARE(w.DragStart, QPoint(-1, -1));
    QVERIFY(!w.DragBand->isVisible());
    SendMouse(w.Paper, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(60, 70));
    QCOMPARE(w.Zoom, 100);

    w.mnuZoomToPage->trigger();
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("Cijela stranica"));
    QCOMPARE(w.Zoom, 58);
    w.mnuActualSize->trigger();
    QCOMPARE(w.Zoom, 100);
}

void tst_ZorPreview::printableAreaOutline()
{
    TTestPreview w(1); // margins 10 mm: 38 pixels at 100 percent
    Open(w, QSize(1000, 700));
    QImage img = w.Paper->grab().toImage();
    QCOMPARE(img.size(), QSize(794, 1123));
    // The sheet: black outline, white inside, the page's block within the margins.
    QVERIFY(IsDark(img.pixel(0, 0)) && IsDark(img.pixel(793, 500)) && IsDark(img.pixel(400, 1122)));
    QCOMPARE(QColor(img.pixel(10, 10)), QColor(Qt::white));
    QCOMPARE(QColor(img.pixel(38 + 300, 38 + 600)), PageColour);
    QCOMPARE(w.LastTarget, QRect(38, 38, 794 - 76, 1123 - 76));
    QCOMPARE(DarkInRow(img, 38, 40, 750), 0);

    QTest::mouseClick(w.btnArea, Qt::LeftButton);
    QVERIFY(w.btnArea->isChecked());
    img = w.Paper->grab().toImage();
    // Dotted: about half the pixels of the line, not all of them.
    const int top = DarkInRow(img, 38, 40, 750);
    QVERIFY2(top > 150 && top < 600, qPrintable(QString::number(top)));
    QVERIFY(DarkInRow(img, 1123 - 38, 40, 750) > 150);
    int left = 0;
    for (int y = 40; y < 1080; ++y)
        left += IsDark(img.pixel(38, y)) ? 1 : 0;
    QVERIFY(left > 200);

    // It follows the zoom.
    TypeZoom(w, "200");
    img = w.Paper->grab().toImage();
    QCOMPARE(w.LastTarget, QRect(76, 76, 1588 - 152, 2246 - 152));
    QVERIFY(DarkInRow(img, 76, 80, 1500) > 300);
    QCOMPARE(DarkInRow(img, 38, 40, 1500), 0);

    QTest::mouseClick(w.btnArea, Qt::LeftButton);
    img = w.Paper->grab().toImage();
    QCOMPARE(DarkInRow(img, 76, 80, 1500), 0);
}

void tst_ZorPreview::repaintReplaysOnlyThePage()
{
    TTestPreview w(3);
    Open(w, QSize(1000, 700));
    QTest::keyClick(&w, Qt::Key_PageDown);
    QCoreApplication::processEvents();
    const int recorded = w.Recorded;
    const int calls = w.PaintCalls;
    const QRect geometry = w.Paper->geometry();
    const int zoom = w.Zoom;
    w.ScrollArea->verticalScrollBar()->setValue(100);
    QCoreApplication::processEvents();
    const int afterScroll = w.PaintCalls;
    QVERIFY(afterScroll > calls); // scrolling shows the picture again

    w.Paper->repaint();
    QCOMPARE(w.PaintCalls, afterScroll + 1);
    QCOMPARE(w.LastIndex, 1);
    // Only the picture is replayed: nothing recorded, nothing laid out again.
    QCOMPARE(w.Recorded, recorded);
    QCOMPARE(w.Paper->geometry(), geometry);
    QCOMPARE(w.Zoom, zoom);
    QCOMPARE(w.ScrollArea->verticalScrollBar()->value(), 100);
}

void tst_ZorPreview::trackAndPrintButtons()
{
    TTestPreview w(2);
    Open(w);
    QScrollBar *h = w.ScrollArea->horizontalScrollBar();
    QScrollBar *v = w.ScrollArea->verticalScrollBar();
    QVERIFY(!h->hasTracking() && !v->hasTracking());
    QTest::mouseClick(w.btnTrack, Qt::LeftButton);
    QVERIFY(h->hasTracking() && v->hasTracking());
    QTest::mouseClick(w.btnTrack, Qt::LeftButton);
    QVERIFY(!h->hasTracking() && !v->hasTracking());

    QTest::mouseClick(w.btnPrint, Qt::LeftButton);
    QCOMPARE(w.PrintCalls, 1);
    QVERIFY(w.isVisible()); // the preview stays open
}

void tst_ZorPreview::tinyWindowAndPastedZero()
{
    TTestPreview w(1);
    Open(w, QSize(1000, 700));
    // A pasted 0 would leave nothing to divide by: it gets the typed limits.
    w.cmbZoom->setEditText(QStringLiteral("0"));
    SetClient(w, QSize(900, 600));
    QCOMPARE(w.Zoom, 10);
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("10"));
    w.cmbZoom->setEditText(QStringLiteral("99999999999"));
    SetClient(w, QSize(1000, 700));
    QCOMPARE(w.Zoom, 1000);

    // Fitting into a window smaller than its borders still gives a zoom.
    w.mnuZoomToPage->trigger();
    w.ScrollArea->setMinimumSize(1, 1); // below what its bars would ask for
    w.layout()->activate();
    SetClient(w, QSize(60, 30)); // 30 is less than the two borders
    QCOMPARE(w.Zoom, 1);
    w.ContextPoint = QPoint(0, 0);
    w.mnuZoomIn->trigger();
    QCOMPARE(w.Zoom, 10);
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("10"));
}

void tst_ZorPreview::runPreviewAndLaterPreview()
{
    TTestPreview w(3);
    bool checked = false;
    // The first preview: maximized, at 100 percent, on page 1.
    QTimer::singleShot(0, &w, [&] {
        checked = true;
        const auto closer = qScopeGuard([&] { w.close(); });
        QVERIFY(w.isVisible());
        QVERIFY(w.windowState() & Qt::WindowMaximized);
        QCOMPARE(w.Zoom, 100);
        QCOMPARE(w.PageInfo->text(), QStringLiteral("Stranica 1 od 3"));
        QTest::keyClick(&w, Qt::Key_PageDown);
        w.DragStart = QPoint(5, 5); // as if a drag were cut short
        w.mnuZoomToPage->trigger();
    });
    w.RunPreview();
    QVERIFY(checked);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.DragStart, QPoint(-1, -1));

    // A later preview opens at the choice left in the box: here a fit mode.
    checked = false;
    QTimer::singleShot(0, &w, [&] {
        checked = true;
        const auto closer = qScopeGuard([&] { w.close(); });
        QCOMPARE(w.PageNo, 1);
        QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("Cijela stranica"));
        QCOMPARE(w.Zoom, ZoomToPage(w.WholeClient(), w.ScreenPaper, w.Border));
        QVERIFY(w.Zoom != 100);
        if (const QString dir = qEnvironmentVariable("KORDAVINA_PREVIEW_SHOTS"); !dir.isEmpty()) {
            // Screenshots of the whole screen for a look by eye.
            const auto shot = [&](const char *name) {
                QTest::qWait(300);
                w.screen()->grabWindow(0).save(QDir(dir).filePath(QLatin1String(name)));
            };
            // No window manager maximizes under Xvfb: make room by hand.
            if (w.width() < 1000)
                w.resize(1200, 950);
            w.mnuActualSize->trigger();
            shot("preview-100.png");
            SendMouse(w.Paper, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(150, 120));
            SendMouse(w.Paper, QEvent::MouseMove, Qt::NoButton, QPoint(500, 330));
            shot("preview-drag.png");
            SendMouse(w.Paper, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(500, 330));
            shot("preview-dragged.png");
            w.mnuZoomToPage->trigger();
            QTest::keyClick(&w, Qt::Key_PageDown);
            shot("preview-topage.png");
            QTest::mouseClick(w.btnArea, Qt::LeftButton);
            TypeZoom(w, "200");
            shot("preview-200.png");
            SendMouse(w.Paper, QEvent::MouseButtonRelease, Qt::RightButton, QPoint(400, 300));
            shot("preview-menu.png");
            w.PopupMenu->close();
            w.mnuZoomToPage->trigger();
        }
    });
    w.RunPreview();
    QVERIFY(checked);
}

// Keys and clicks through a real X server, as a user gives them: run under
// Xvfb with QT_QPA_PLATFORM=xcb; skipped elsewhere.
void tst_ZorPreview::realInputUnderX()
{
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (QGuiApplication::platformName() != QLatin1String("xcb") || xdotool.isEmpty())
        QSKIP("needs an X server and xdotool");
    const auto run = [&](const QStringList &args) {
        QCOMPARE(QProcess::execute(xdotool, args), 0);
        QTest::qWait(150);
    };
    const auto click = [&](QWidget *target, QPoint p, const char *button) {
        const QPoint g = target->mapToGlobal(p);
        run({"mousemove", QString::number(g.x()), QString::number(g.y())});
        run({"click", QLatin1String(button)});
    };
    TTestPreview w(3);
    w.PreparePreview();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.resize(1100, 900);
    w.activateWindow();
    QTest::qWait(300);

    // Page keys reach the window while nothing has the focus.
    run({"key", "Next"});
    QTRY_COMPARE(w.PageNo, 2);
    run({"key", "ctrl+Next"});
    QTRY_COMPARE(w.PageNo, 3);

    // Typing into the zoom box: a letter beeps, the digit after it is typed
    // into the box all the same.
    click(w.cmbZoom, QPoint(20, w.cmbZoom->height() / 2), "1");
    QTRY_VERIFY(w.cmbZoom->hasFocus());
    run({"type", "x7"});
    QTRY_COMPARE(w.Beeps, 1);
    QTRY_VERIFY(w.cmbZoom->currentText().contains(QLatin1Char('7')));
    QVERIFY(w.cmbZoom->hasFocus());
    QVERIFY(w.cmbZoom->lineEdit()->isEnabled()); // the box stays usable
    // Digits and Enter: the zoom, clamped.
    click(w.cmbZoom, QPoint(20, w.cmbZoom->height() / 2), "1");
    w.cmbZoom->lineEdit()->selectAll();
    run({"type", "5"});
    QTRY_COMPARE(w.cmbZoom->currentText(), QStringLiteral("5"));
    run({"key", "Return"});
    QTRY_COMPARE(w.Zoom, 10);
    QCOMPARE(w.cmbZoom->currentText(), QStringLiteral("10"));
    QCOMPARE(w.Beeps, 1);
    // The box gave up the focus: the window's keys work again.
    run({"key", "ctrl+Prior"});
    QTRY_COMPARE(w.PageNo, 1);

    // A click on the paper zooms in one step; a drag zooms to its rectangle.
    click(w.Paper, QPoint(30, 40), "1");
    QTRY_COMPARE(w.Zoom, 25);
    const QPoint a = w.Paper->mapToGlobal(QPoint(20, 20));
    const QPoint b = w.Paper->mapToGlobal(QPoint(60, 50));
    run({"mousemove", QString::number(a.x()), QString::number(a.y())});
    run({"mousedown", "1"});
    run({"mousemove", QString::number(b.x()), QString::number(b.y())});
    QTRY_COMPARE(w.DragRect, (TPreviewRect{20, 20, 60, 50}));
    run({"mouseup", "1"});
    QTRY_VERIFY(w.Zoom > 200);
    // The right button opens the menu at the point.
    click(w.Paper, w.Paper->mapFrom(w.ScrollArea->viewport(), QPoint(300, 300)), "3");
    QTRY_VERIFY(w.PopupMenu->isVisible());
    run({"key", "Escape"});
    QTRY_VERIFY(!w.PopupMenu->isVisible());
    w.close();
}

QTEST_MAIN(tst_ZorPreview)
#include "tst_zorpreview.moc"

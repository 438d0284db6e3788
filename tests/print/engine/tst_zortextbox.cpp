#include "PaintRecorder.h"
#include "core/Rounding.h"
#include "print/engine/ZorTextBox.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QtTest>

#include <memory>

namespace {

QFont TestFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(20);
    return font;
}

// A box (10, 20)-(210, 120) with margins top 2, left 3, bottom 4, right 5:
// inner rectangle (13, 22)-(205, 116).
TZorTextBox TestBox()
{
    TZorTextBox box;
    box.Left = 10;
    box.Top = 20;
    box.Right = 210;
    box.Bottom = 120;
    box.MarginTop = 2;
    box.MarginLeft = 3;
    box.MarginBottom = 4;
    box.MarginRight = 5;
    box.Font = TestFont();
    return box;
}

QImage WhiteImage()
{
    QImage image(260, 160, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

int CountPixels(const QImage &image, QColor color, const QRect &area = QRect())
{
    const QRect r = area.isNull() ? image.rect() : area;
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.pixelColor(x, y) == color)
                ++n;
    return n;
}

int CountInk(const QImage &image, const QRect &area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 160)
                ++n;
    return n;
}

QString Words(int n)
{
    QStringList words;
    for (int i = 0; i < n; ++i)
        words << QStringLiteral("Wort%1").arg(i);
    return words.join(u' ');
}

} // namespace

class tst_ZorTextBox : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void wrapsAtBlanksBreaksAndInsideLongWords();
    void placesOneLineByCode_data();
    void placesOneLineByCode();
    void overflowStartsAtInnerTopAndIsCut();
    void ellipsisDropsPartLineAndMarksTheCut();
    void ellipsisLeavesFittingTextAlone();
    void ellipsisAndCutOnImage();
    void solidBrushFillsMarginsToo();
    void clearBrushNoBordersDrawsOnlyText();
    void eachBorderPenActsAlone();
    void bordersInOrderAndThickPens();
    void givesBackFontBrushPen();
    void setRectScalesAndRounds();
    void drawUsesOwnAlignmentCanvasAndColour();

private:
    std::unique_ptr<QFontMetrics> m_fm;
    QImage m_metricsImage = WhiteImage();
};

void tst_ZorTextBox::initTestCase()
{
    // Metrics of the test font on an image, the device the drawing tests use.
    QPainter p(&m_metricsImage);
    p.setFont(TestFont());
    m_fm = std::make_unique<QFontMetrics>(p.fontMetrics());
    QVERIFY(m_fm->height() > 15);
}

void tst_ZorTextBox::wrapsAtBlanksBreaksAndInsideLongWords()
{
    const QFontMetrics &fm = *m_fm;
    auto texts = [](const QList<TWrappedLine> &lines) {
        QStringList r;
        for (const TWrappedLine &l : lines)
            r << l.Text;
        return r;
    };
    const QString s = QStringLiteral("alpha beta gamma");
    QList<TWrappedLine> lines = WrapText(s, fm.horizontalAdvance(QStringLiteral("alpha beta")), fm);
    QCOMPARE(texts(lines), QStringList({QStringLiteral("alpha beta"), QStringLiteral("gamma")}));
    QCOMPARE(lines[1].Start, 11);
    // One pixel less and "beta" goes down too.
    lines = WrapText(s, fm.horizontalAdvance(QStringLiteral("alpha beta")) - 1, fm);
    QCOMPARE(texts(lines), QStringList({QStringLiteral("alpha"), QStringLiteral("beta"),
                                        QStringLiteral("gamma")}));
    // The blanks at a break belong to no line; leading blanks of the text stay.
    lines = WrapText(QStringLiteral("  alpha     beta"),
                     fm.horizontalAdvance(QStringLiteral("  alpha")), fm);
    QCOMPARE(texts(lines), QStringList({QStringLiteral("  alpha"), QStringLiteral("beta")}));
    // A word wider than the line is cut where the line is full.
    lines =
        WrapText(QStringLiteral("WWWWWWWWWW"), fm.horizontalAdvance(QStringLiteral("WWWW")), fm);
    QCOMPARE(texts(lines),
             QStringList({QStringLiteral("WWWW"), QStringLiteral("WWWW"), QStringLiteral("WW")}));
    // Line breaks, CR LF counted once; an empty paragraph is an empty line.
    lines = WrapText(QStringLiteral("one\r\ntwo\n\nthree"), 1000, fm);
    QCOMPARE(texts(lines), QStringList({QStringLiteral("one"), QStringLiteral("two"), QString(),
                                        QStringLiteral("three")}));
    QCOMPARE(lines[3].Start, 10);
    QVERIFY(WrapText(QString(), 100, fm).isEmpty());
    // Even a line narrower than one character moves on through the text.
    QCOMPARE(WrapText(QStringLiteral("WW"), 0, fm).size(), 2);
}

void tst_ZorTextBox::placesOneLineByCode_data()
{
    QTest::addColumn<unsigned>("code");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::newRow("0") << 0u << 0 << 0;
    for (unsigned code = 1; code <= 9; ++code)
        QTest::newRow(qPrintable(QString::number(code)))
            << code << int((code - 1) % 3) << int((code - 1) / 3);
    QTest::newRow("10") << 10u << 0 << 0;
}

void tst_ZorTextBox::placesOneLineByCode()
{
    QFETCH(unsigned, code);
    QFETCH(int, column);
    QFETCH(int, row);
    const QFontMetrics &fm = *m_fm;
    const TZorTextBox box = TestBox();
    const QString s = QStringLiteral("Uplatnica");
    const TTextBoxLayout layout = LayoutTextBox(box, s, code, fm);
    const int lh = fm.height();
    const int w = fm.horizontalAdvance(s);
    QCOMPARE(layout.LineCount, 1);
    QCOMPARE(layout.Lines.size(), 1);
    QCOMPARE(layout.Lines[0].Text, s);
    const int x = column == 0 ? 13 : column == 1 ? 13 + (192 - w) / 2 : 205 - w;
    const int y = row == 0   ? 22
                  : row == 1 ? 22 + RoundHalfEvenInt((116 - 22 - lh) / 2.0L)
                             : 116 - lh;
    QCOMPARE(layout.Lines[0].X, x);
    QCOMPARE(layout.Lines[0].Y, y);
    // The text rectangle spans the inner width and the measured height.
    QCOMPARE(layout.TextRect, QRect(13, y, 192, lh));
}

void tst_ZorTextBox::overflowStartsAtInnerTopAndIsCut()
{
    const QFontMetrics &fm = *m_fm;
    TZorTextBox box = TestBox();
    const int lh = fm.height();
    box.Bottom = 22 + lh * 3 + lh / 2 + 4; // inner height three and a half lines
    const QString s = Words(40);
    for (unsigned code : {1u, 5u, 9u}) {
        const TTextBoxLayout layout = LayoutTextBox(box, s, code, fm);
        QVERIFY(layout.LineCount > 5);
        QCOMPARE(layout.TextRect, QRect(13, 22, 192, lh * 3 + lh / 2));
        QCOMPARE(layout.Lines.size(), 4); // three whole lines and the part of a fourth
        QCOMPARE(layout.Lines[0].Y, 22);
        QCOMPARE(layout.Lines[3].Y, 22 + 3 * lh);
        for (const TTextBoxLine &line : layout.Lines)
            QVERIFY(fm.horizontalAdvance(line.Text) <= 192);
    }
}

void tst_ZorTextBox::ellipsisDropsPartLineAndMarksTheCut()
{
    const QFontMetrics &fm = *m_fm;
    TZorTextBox box = TestBox();
    const int lh = fm.height();
    box.Bottom = 22 + lh * 3 + lh / 2 + 4;
    const QString s = Words(40);
    const TTextBoxLayout plain = LayoutTextBox(box, s, 2, fm);
    box.Ellipsis = true;
    const TTextBoxLayout cut = LayoutTextBox(box, s, 2, fm);
    QCOMPARE(cut.Lines.size(), 3);
    QCOMPARE(cut.Lines[0], plain.Lines[0]);
    QCOMPARE(cut.Lines[1], plain.Lines[1]);
    const QString last = cut.Lines[2].Text;
    QVERIFY2(last.endsWith(QChar(0x2026)), qPrintable(last));
    QVERIFY(fm.horizontalAdvance(last) <= 192);
    // As much of the following text as fits stands before the ellipsis.
    QVERIFY(last.startsWith(plain.Lines[2].Text.left(plain.Lines[2].Text.size() - 3)));
    QVERIFY(fm.horizontalAdvance(last) > 192 - fm.horizontalAdvance(QStringLiteral("Wort99 ")));
    // Centred like every other line.
    QCOMPARE(cut.Lines[2].X, 13 + (192 - fm.horizontalAdvance(last)) / 2);

    // A box too low for a single whole line shows nothing.
    box.Bottom = 22 + lh - 1 + 4;
    QVERIFY(LayoutTextBox(box, s, 1, fm).Lines.isEmpty());
    box.Ellipsis = false;
    QCOMPARE(LayoutTextBox(box, s, 1, fm).Lines.size(), 1);
}

void tst_ZorTextBox::ellipsisLeavesFittingTextAlone()
{
    const QFontMetrics &fm = *m_fm;
    TZorTextBox box = TestBox();
    box.Ellipsis = true;
    const int lh = fm.height();
    box.Bottom = 22 + 2 * lh + 4; // exactly two lines
    const QString s = Words(5);
    const TTextBoxLayout layout = LayoutTextBox(box, s, 7, fm);
    QCOMPARE(layout.LineCount, 2);
    QCOMPARE(layout.Lines.size(), 2);
    QVERIFY(!layout.Lines[1].Text.contains(QChar(0x2026)));
    QCOMPARE(layout.Lines[0].Y, 22); // fills the box: nothing to move down
}

void tst_ZorTextBox::ellipsisAndCutOnImage()
{
    const int lh = m_fm->height();
    const QRect partLine(13, 22 + 3 * lh, 192, lh / 2);
    for (bool ellipsis : {false, true}) {
        QImage image = WhiteImage();
        QPainter painter(&image);
        TZorTextBox box = TestBox();
        box.Bottom = 22 + lh * 3 + lh / 2 + 4;
        box.NoBorders();
        box.Ellipsis = ellipsis;
        box.DrawTo(QStringLiteral("WWW WWW WWW WWW WWW WWW WWW WWW WWW WWW WWW WWW WWW WWW WWW"), 1,
                   &painter);
        painter.end();
        QVERIFY(CountInk(image, QRect(13, 22, 192, lh)) > 0);
        if (ellipsis)
            QCOMPARE(CountInk(image, partLine), 0);
        else
            QVERIFY(CountInk(image, partLine) > 0);
        // Nothing below the inner bottom: the text is clipped there.
        QCOMPARE(CountInk(image, QRect(0, box.Bottom - box.MarginBottom, image.width(),
                                       image.height() - box.Bottom + box.MarginBottom)),
                 0);
    }
}

void tst_ZorTextBox::solidBrushFillsMarginsToo()
{
    QImage image = WhiteImage();
    QPainter painter(&image);
    TZorTextBox box = TestBox();
    box.NoBorders();
    box.Brush = QBrush(Qt::red);
    box.DrawTo(QString(), 1, &painter);
    painter.end();
    const QColor red(Qt::red);
    // Fill of (Left, Top, Right, Bottom), the right and bottom edges left out.
    QCOMPARE(CountPixels(image, red), 200 * 100);
    QCOMPARE(image.pixelColor(10, 20), red);
    QCOMPARE(image.pixelColor(209, 119), red);
    QCOMPARE(image.pixelColor(210, 119), QColor(Qt::white));
    QCOMPARE(image.pixelColor(10, 120), QColor(Qt::white));
}

void tst_ZorTextBox::clearBrushNoBordersDrawsOnlyText()
{
    QImage image = WhiteImage();
    QPainter painter(&image);
    TZorTextBox box = TestBox();
    box.NoBorders();
    box.DrawTo(QStringLiteral("Tuzla"), 5, &painter);
    painter.end();
    const TTextBoxLayout layout = LayoutTextBox(box, QStringLiteral("Tuzla"), 5, *m_fm);
    const QRect cell(layout.Lines[0].X, layout.Lines[0].Y,
                     m_fm->horizontalAdvance(QStringLiteral("Tuzla")), m_fm->height());
    const int all = CountInk(image, image.rect());
    QVERIFY(all > 20);
    // Every inked pixel is inside the text's cell (a pixel of slack for antialiasing).
    QCOMPARE(CountInk(image, cell.adjusted(-1, -1, 1, 1)), all);
}

void tst_ZorTextBox::eachBorderPenActsAlone()
{
    QImage image = WhiteImage();
    QPainter painter(&image);
    TZorTextBox box = TestBox();
    box.NoBorders();
    box.PenBottom = QPen(Qt::blue, 1);
    box.DrawTo(QString(), 1, &painter);
    painter.end();
    const QColor blue(Qt::blue);
    // From (Right, Bottom) to (Left, Bottom): the end point is not painted.
    QCOMPARE(CountPixels(image, blue), 200);
    QCOMPARE(CountPixels(image, blue, QRect(11, 120, 200, 1)), 200);
    QCOMPARE(image.pixelColor(10, 120), QColor(Qt::white));

    image = WhiteImage();
    painter.begin(&image);
    box.PenTop = QPen(Qt::red, 1);
    box.PenRight = QPen(Qt::green, 1);
    box.PenLeft = QPen(Qt::yellow, 1);
    box.DrawTo(QString(), 1, &painter);
    painter.end();
    QCOMPARE(CountPixels(image, Qt::red, QRect(10, 20, 200, 1)), 200);    // top
    QCOMPARE(CountPixels(image, Qt::green, QRect(210, 20, 1, 100)), 100); // right
    QCOMPARE(CountPixels(image, Qt::blue, QRect(11, 120, 200, 1)), 200);  // bottom
    QCOMPARE(CountPixels(image, Qt::yellow, QRect(10, 21, 1, 100)), 100); // left
    QCOMPARE(CountPixels(image, Qt::white), 260 * 160 - 600);
}

void tst_ZorTextBox::bordersInOrderAndThickPens()
{
    TRecordingDevice device(96);
    QPainter painter(&device);
    TZorTextBox box = TestBox();
    box.PenTop = QPen(Qt::red, 1);
    box.PenRight = QPen(Qt::green, 1);
    box.PenBottom = QPen(Qt::blue, 1);
    box.PenLeft = QPen(Qt::yellow, 1);
    box.DrawTo(QString(), 1, &painter);
    QList<TRecordedOp> rects = device.Of(TRecordedOp::Rect);
    QCOMPARE(rects.size(), 4);
    QCOMPARE(rects[0].brush.color(), QColor(Qt::red));
    QCOMPARE(rects[1].brush.color(), QColor(Qt::green));
    QCOMPARE(rects[2].brush.color(), QColor(Qt::blue));
    QCOMPARE(rects[3].brush.color(), QColor(Qt::yellow));

    device.Clear();
    box.PenTop = QPen(Qt::red, 3);
    box.PenRight.setStyle(Qt::NoPen);
    box.PenBottom = QPen(Qt::blue, 3);
    box.PenLeft = QPen(Qt::black, 1, Qt::DashLine);
    box.DrawTo(QString(), 1, &painter);
    painter.end();
    const QList<TRecordedOp> lines = device.Of(TRecordedOp::Line);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0].line, QLineF(10, 20, 210, 20));
    QCOMPARE(lines[0].pen.width(), 3);
    QCOMPARE(lines[1].line, QLineF(210, 120, 10, 120));
    QCOMPARE(lines[1].pen.color(), QColor(Qt::blue));
    QCOMPARE(lines[2].line, QLineF(10, 120, 10, 20));
    QCOMPARE(lines[2].pen.style(), Qt::DashLine);
}

void tst_ZorTextBox::givesBackFontBrushPen()
{
    QImage image = WhiteImage();
    QPainter painter(&image);
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(11);
    font.setItalic(true);
    const QBrush brush(Qt::cyan, Qt::Dense4Pattern);
    const QPen pen(Qt::magenta, 2, Qt::DotLine);
    painter.setFont(font);
    painter.setBrush(brush);
    painter.setPen(pen);
    TZorTextBox box = TestBox();
    box.Brush = QBrush(Qt::red);
    box.TextColor = Qt::blue;
    box.Draw(QStringLiteral("nothing: no canvas")); // Canvas is not set: nothing happens
    box.DrawTo(QStringLiteral("Zenica Mostar Bihać"), 5, &painter);
    QCOMPARE(painter.font(), font);
    QCOMPARE(painter.brush(), brush);
    QCOMPARE(painter.pen(), pen);
    QVERIFY(!painter.hasClipping());
}

void tst_ZorTextBox::setRectScalesAndRounds()
{
    TZorTextBox box;
    QCOMPARE(box.Scale, 1.0f);
    QCOMPARE(box.PenTop.style(), Qt::SolidLine);
    QCOMPARE(box.PenTop.color(), QColor(Qt::black));
    QCOMPARE(box.Brush.style(), Qt::NoBrush);
    QCOMPARE(box.Font.family(), QStringLiteral("Arial"));
    QCOMPARE(box.Font.pointSize(), 10);
    box.Scale = 1.5f;
    box.SetRect(1, 1, 3, 5); // 1.5 -> 2, 4.5 -> 4, 7.5 -> 8
    QCOMPARE(box.Left, 2);
    QCOMPARE(box.Top, 2);
    QCOMPARE(box.Right, 4);
    QCOMPARE(box.Bottom, 8);
    box.Scale = 1.0f;
    box.SetRect(QRect(10, 20, 30, 40));
    QCOMPARE(box.Left, 10);
    QCOMPARE(box.Top, 20);
    QCOMPARE(box.Right, 40);
    QCOMPARE(box.Bottom, 60);
    box.NoBorders();
    QCOMPARE(box.PenTop.style(), Qt::NoPen);
    QCOMPARE(box.PenLeft.style(), Qt::NoPen);
    QCOMPARE(box.PenBottom.style(), Qt::NoPen);
    QCOMPARE(box.PenRight.style(), Qt::NoPen);
}

void tst_ZorTextBox::drawUsesOwnAlignmentCanvasAndColour()
{
    TRecordingDevice device(96);
    QPainter painter(&device);
    TZorTextBox box(&painter);
    box.Left = 0;
    box.Top = 0;
    box.Right = 300;
    box.Bottom = 200;
    box.Font = TestFont();
    box.TextColor = Qt::darkGreen;
    box.NoBorders();
    box.Alignment = 9;
    const QString s = QStringLiteral("Sarajevo");
    box.Draw(s);
    painter.setFont(TestFont());
    const QFontMetrics boxFm = painter.fontMetrics();
    painter.end();
    const QList<TRecordedOp> texts = device.Of(TRecordedOp::Text);
    QCOMPARE(texts.size(), 1);
    QCOMPARE(texts[0].baseline,
             QPointF(300 - boxFm.horizontalAdvance(s), 200 - boxFm.height() + boxFm.ascent()));
    QCOMPARE(texts[0].pen.color(), QColor(Qt::darkGreen));
    QCOMPARE(texts[0].font.pixelSize(), 20);
    QCOMPARE(texts[0].clip, QRectF(0, 200 - boxFm.height(), 300, boxFm.height()));
}

QTEST_MAIN(tst_ZorTextBox)
#include "tst_zortextbox.moc"

#include "PaintRecorder.h"
#include "core/Rounding.h"
#include "print/engine/ZorCanvas.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QtTest>

namespace {

// Bounding box of the non-white pixels of an image.
QRect InkBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

class tst_ZorCanvas : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void toDeviceRoundsHalvesToEven_data();
    void toDeviceRoundsHalvesToEven();
    void textOutPlacesAnchorByCode_data();
    void textOutPlacesAnchorByCode();
    void textOutPaintsCellOnlyWithBrush();
    void textWidthInMillimetres();
    void lineInDevicePixels();
    void textOnImageStandsWhereAsked();
    void deviceFontSizesInPixels();
};

void tst_ZorCanvas::toDeviceRoundsHalvesToEven_data()
{
    QTest::addColumn<float>("mm");
    QTest::addColumn<float>("scale");
    QTest::addColumn<float>("offset");
    QTest::addColumn<int>("expected");
    QTest::newRow("2.5 -> 2") << 2.5f << 1.0f << 0.0f << 2;
    QTest::newRow("3.5 -> 4") << 3.5f << 1.0f << 0.0f << 4;
    QTest::newRow("-2.5 -> -2") << -2.5f << 1.0f << 0.0f << -2;
    QTest::newRow("scaled tie 7.5 -> 8") << 3.0f << 2.5f << 0.0f << 8;
    QTest::newRow("offset 10 - 3.5 -> 6") << 10.0f << 1.0f << -3.5f << 6;
    // 0.1f is slightly above 0.1: the product of the float inputs is above 2.5.
    QTest::newRow("float input 0.1f x 25 -> 3") << 0.1f << 25.0f << 0.0f << 3;
    QTest::newRow("600 dpi, 20 mm") << 20.0f << float(600 / 25.4) << 0.0f << 472;
}

void tst_ZorCanvas::toDeviceRoundsHalvesToEven()
{
    QFETCH(float, mm);
    QFETCH(float, scale);
    QFETCH(float, offset);
    QFETCH(int, expected);
    TZorCanvas canvas;
    QCOMPARE(canvas.Scale, 1.0f);
    QCOMPARE(canvas.OffsetX, 0.0f);
    canvas.Scale = scale;
    canvas.OffsetX = offset;
    canvas.OffsetY = offset;
    QCOMPARE(canvas.ToDeviceX(mm), expected);
    QCOMPARE(canvas.ToDeviceY(mm), expected);
    canvas.OffsetY = offset + 1; // each axis has its own offset
    QCOMPARE(canvas.ToDeviceY(mm), RoundHalfEvenInt((static_cast<long double>(mm) + offset + 1) *
                                                    static_cast<long double>(scale)));
}

void tst_ZorCanvas::textOutPlacesAnchorByCode_data()
{
    QTest::addColumn<unsigned>("code");
    QTest::addColumn<int>("column"); // 0 left, 1 centre, 2 right
    QTest::addColumn<int>("row");    // 0 top, 1 middle, 2 bottom
    QTest::newRow("0 acts as 1") << 0u << 0 << 0;
    for (unsigned code = 1; code <= 9; ++code)
        QTest::newRow(qPrintable(QString::number(code)))
            << code << int((code - 1) % 3) << int((code - 1) / 3);
    QTest::newRow("10 acts as 1") << 10u << 0 << 0;
    QTest::newRow("57 acts as 1") << 57u << 0 << 0;
}

void tst_ZorCanvas::textOutPlacesAnchorByCode()
{
    QFETCH(unsigned, code);
    QFETCH(int, column);
    QFETCH(int, row);

    TRecordingDevice device(600);
    QPainter painter(&device);
    painter.setFont(DeviceFont(QStringLiteral("Arial"), 12, {}, 600));
    painter.setBrush(Qt::NoBrush);
    TZorCanvas canvas(&painter);
    canvas.Scale = float(600 / 25.4);
    canvas.OffsetX = -3.5f;
    canvas.OffsetY = -2.0f;

    const QString s = QStringLiteral("gyp 123");
    canvas.TextOut(s, code, 40.0f, 30.0f);
    const QFontMetrics fm = painter.fontMetrics();
    painter.end();

    const int ax = canvas.ToDeviceX(40.0f);
    const int ay = canvas.ToDeviceY(30.0f);
    const int w = fm.horizontalAdvance(s);
    const int h = fm.height(); // the "W"-high cell: ascent + descent, whatever S holds
    QCOMPARE(h, fm.ascent() + fm.descent());
    const int left = column == 0 ? ax : column == 1 ? ax - RoundHalfEvenInt(w / 2.0L) : ax - w;
    const int top = row == 0 ? ay : row == 1 ? ay - RoundHalfEvenInt(h / 2.0L) : ay - h;

    const QList<TRecordedOp> texts = device.Of(TRecordedOp::Text);
    QCOMPARE(texts.size(), 1);
    QCOMPARE(texts[0].text, s);
    QCOMPARE(texts[0].baseline, QPointF(left, top + fm.ascent()));
    if (row == 2) // the bottom of the cell lies on the line
        QCOMPARE(texts[0].baseline.y() + fm.descent(), qreal(ay));
    if (column == 2)
        QCOMPARE(texts[0].baseline.x() + w, qreal(ax));
    QCOMPARE(texts[0].font.pixelSize(), 100);
}

void tst_ZorCanvas::textOutPaintsCellOnlyWithBrush()
{
    TRecordingDevice device(600);
    QPainter painter(&device);
    painter.setFont(DeviceFont(QStringLiteral("Arial"), 10, {}, 600));
    painter.setBrush(QBrush(Qt::yellow));
    TZorCanvas canvas(&painter);
    canvas.Scale = 10;
    canvas.TextOut(QStringLiteral("Text"), 1, 10, 10);
    painter.setBrush(Qt::NoBrush);
    canvas.TextOut(QStringLiteral("Text"), 1, 10, 20);
    painter.setBrush(QBrush(Qt::yellow, Qt::BDiagPattern)); // a hatched brush: transparent text
    canvas.TextOut(QStringLiteral("Text"), 1, 10, 30);
    const QFontMetrics fm = painter.fontMetrics();
    QCOMPARE(painter.brush().style(), Qt::BDiagPattern); // the canvas left the brush alone
    painter.end();

    const QList<TRecordedOp> rects = device.Of(TRecordedOp::Rect);
    QCOMPARE(rects.size(), 1);
    QCOMPARE(rects[0].rect,
             QRectF(100, 100, fm.horizontalAdvance(QStringLiteral("Text")), fm.height()));
    QCOMPARE(rects[0].brush.color(), QColor(Qt::yellow));
    QCOMPARE(device.Of(TRecordedOp::Text).size(), 3);
    // The cell is painted before the text.
    QCOMPARE(device.Ops().first().kind, TRecordedOp::Rect);
}

void tst_ZorCanvas::textWidthInMillimetres()
{
    QImage image(100, 100, QImage::Format_RGB32);
    QPainter painter(&image);
    QFont font = DeviceFont(QStringLiteral("Arial"), 10, {}, 600);
    painter.setFont(font);
    TZorCanvas canvas(&painter);
    canvas.Scale = 10;
    QCOMPARE(canvas.TextWidth(QString()), 0.0f);
    const QString s = QStringLiteral("Sarajevo 71000");
    const int pixels = painter.fontMetrics().horizontalAdvance(s);
    QVERIFY(pixels > 100);
    QCOMPARE(canvas.TextWidth(s), float(pixels / 10.0));
    canvas.Scale = float(600 / 25.4);
    // 83 px at 600 dpi is 10 pt: "Sarajevo 71000" in Arial is about 25 mm wide.
    QVERIFY2(canvas.TextWidth(s) > 20 && canvas.TextWidth(s) < 30,
             qPrintable(QString::number(canvas.TextWidth(s))));
}

void tst_ZorCanvas::lineInDevicePixels()
{
    TRecordingDevice device(600);
    QPainter painter(&device);
    painter.setPen(QPen(Qt::black, 3));
    TZorCanvas canvas(&painter);
    canvas.Scale = 10;
    canvas.OffsetX = -0.5f;
    canvas.OffsetY = -0.25f;
    canvas.Line(1, 2, 3, 4);
    painter.end();
    const QList<TRecordedOp> lines = device.Of(TRecordedOp::Line);
    QCOMPARE(lines.size(), 1);
    // (1 - 0.5) x 10 = 5; (2 - 0.25) x 10 = 17.5 -> 18; 25; (4 - 0.25) x 10 = 37.5 -> 38.
    QCOMPARE(lines[0].line, QLineF(5, 18, 25, 38));
    QCOMPARE(lines[0].pen.width(), 3);
}

void tst_ZorCanvas::textOnImageStandsWhereAsked()
{
    QImage image(800, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(40);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    const QFontMetrics fm = painter.fontMetrics();
    TZorCanvas canvas(&painter);
    canvas.Scale = 4;
    canvas.TextOut(QStringLiteral("W"), 1, 50, 20); // top-left corner at (200, 80)
    painter.end();
    QRect ink = InkBox(image);
    QVERIFY(ink.isValid());
    QVERIFY2(ink.left() >= 199 && ink.left() <= 204, qPrintable(QString::number(ink.left())));
    QVERIFY(ink.top() >= 80);
    QVERIFY(ink.top() <= 80 + fm.ascent() - fm.capHeight() + 2);

    image.fill(Qt::white);
    painter.begin(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    canvas.Canvas = &painter;
    canvas.TextOut(QStringLiteral("W"), 9, 150, 80); // bottom-right corner at (600, 320)
    painter.end();
    ink = InkBox(image);
    QVERIFY2(ink.right() <= 600 && ink.right() >= 594, qPrintable(QString::number(ink.right())));
    const int baseline = 320 - fm.descent();
    QVERIFY2(ink.bottom() >= baseline - 3 && ink.bottom() <= baseline,
             qPrintable(QString::number(ink.bottom())));
}

void tst_ZorCanvas::deviceFontSizesInPixels()
{
    QCOMPARE(DeviceFont(QStringLiteral("Arial"), 12, {}, 600).pixelSize(), 100);
    QCOMPARE(DeviceFont(QStringLiteral("Arial"), 10, {}, 96).pixelSize(), 13);
    QCOMPARE(DeviceFont(QStringLiteral("Arial"), 9, {}, 96).pixelSize(), 12); // 11.52
    const QFont bold = DeviceFont(QStringLiteral("Times New Roman"), 8,
                                  TFontStyle::Bold | TFontStyle::Underline, 1200);
    QCOMPARE(bold.pixelSize(), 133);
    QVERIFY(bold.bold());
    QVERIFY(bold.underline());
    QVERIFY(!bold.italic());
}

QTEST_MAIN(tst_ZorCanvas)
#include "tst_zorcanvas.moc"

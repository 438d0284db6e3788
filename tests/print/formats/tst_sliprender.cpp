#include "PaintRecorder.h"

#include "core/Upl.h"
#include "print/engine/ZorCanvas.h"
#include "print/formats/SlipRender.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLocale>
#include <QTest>

namespace {

constexpr int Dpi = 600;
constexpr float ScaleAt600 = Dpi / 25.4f;

// A painter on a recording device with a millimetre canvas over it, offsets as
// a printer with a small unprintable margin gives them.
struct TPage
{
    TRecordingDevice Device{Dpi, {4200, 2400}};
    QPainter Painter{&Device};
    TZorCanvas Canvas{&Painter};
    TPage(float offsetX = 0, float offsetY = 0)
    {
        Canvas.Scale = ScaleAt600;
        Canvas.OffsetX = offsetX;
        Canvas.OffsetY = offsetY;
    }
    QList<TRecordedOp> Texts() const { return Device.Of(TRecordedOp::Text); }
    // Texts whose baseline lies on the writing line at top (mm), left to right.
    QList<TRecordedOp> TextsOnLine(float top) const
    {
        QList<TRecordedOp> out;
        for (const TRecordedOp &t : Texts()) {
            const QFontMetrics m(t.font);
            const double bottomMm = (t.baseline.y() + m.descent()) / Canvas.Scale - Canvas.OffsetY;
            if (qAbs(bottomMm - top) < 0.05)
                out.append(t);
        }
        std::sort(out.begin(), out.end(), [](const TRecordedOp &a, const TRecordedOp &b) {
            return a.baseline.x() < b.baseline.x();
        });
        return out;
    }
    double CentreMm(const TRecordedOp &t) const
    {
        return (t.baseline.x() + t.advance / 2) / Canvas.Scale - Canvas.OffsetX;
    }
};

TFieldFormat Position(float left, float top, float width)
{
    TFieldFormat f;
    f.Left = left;
    f.Top = top;
    f.Width = width;
    return f;
}

} // namespace

class TestSlipRender : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void arialIsTheMetricTwin()
    {
        const QFont font = DeviceFont(QStringLiteral("Arial"), 10, {}, 2048 * 72.0 / 10);
        // At 2048 pixels per em the advances are the font's own units: Arial
        // "W" is 1933, "i" 455, "0" 1139. Liberation Sans matches them.
        QCOMPARE(font.pixelSize(), 2048);
        const QFontMetrics fm(font);
        QCOMPARE(fm.horizontalAdvance(QStringLiteral("W")), 1933);
        QCOMPARE(fm.horizontalAdvance(QStringLiteral("i")), 455);
        QCOMPARE(fm.horizontalAdvance(QStringLiteral("0")), 1139);
        const QString family = QFontInfo(font).family();
        QVERIFY2(family == QLatin1String("Arial") || family == QLatin1String("Liberation Sans"),
                 qPrintable(family));
        const QFont bold = DeviceFont(QStringLiteral("Arial"), 10, TFontStyle::Bold, 2048 * 7.2);
        QCOMPARE(QFontMetrics(bold).horizontalAdvance(QStringLiteral("W")), 1933);
        QCOMPARE(QFontMetrics(bold).horizontalAdvance(QStringLiteral("i")), 569);
    }

    void splitLinesFitsOnLineOne()
    {
        TPage page;
        SetPositionFont(page.Canvas, Position(0, 0, 0));
        const auto l =
            SplitLines(page.Canvas, QStringLiteral("  \tIvan Ivić, Sarajevo \r\n"), 64, 64, 64);
        QCOMPARE(l[0], QStringLiteral(" Ivan Ivić, Sarajevo"));
        QCOMPARE(l[1], QStringLiteral(" "));
        QCOMPARE(l[2], QStringLiteral(" "));
        const auto empty = SplitLines(page.Canvas, QString(), 10, 10, 10);
        QCOMPARE(empty, (std::array<QString, 3>{" ", " ", " "}));
    }

    void splitLinesBreaksAtTheLastBlankThatFits()
    {
        TPage page;
        SetPositionFont(page.Canvas, Position(0, 0, 0));
        const QString text = QStringLiteral("Aaaa Bbbb Cccc Dddd Eeee");
        // Line 1 ends inside "Cccc": the break goes before it.
        const float w1 = page.Canvas.TextWidth(QStringLiteral(" Aaaa Bbbb Cc"));
        auto l = SplitLines(page.Canvas, text, w1, 64, 64);
        QCOMPARE(l[0], QStringLiteral(" Aaaa Bbbb"));
        QCOMPARE(l[1], QStringLiteral(" Cccc Dddd Eeee"));
        QCOMPARE(l[2], QStringLiteral(" "));
        QVERIFY(page.Canvas.TextWidth(l[0]) <= w1);

        // A line that is full exactly at a word's end, or at the blank after
        // it, keeps that word.
        const float exact = page.Canvas.TextWidth(QStringLiteral(" Aaaa Bbbb"));
        l = SplitLines(page.Canvas, text, exact, exact, 64);
        QCOMPARE(l[0], QStringLiteral(" Aaaa Bbbb"));
        QCOMPARE(l[1], QStringLiteral(" Cccc Dddd"));
        QCOMPARE(l[2], QStringLiteral(" Eeee"));
        const float withBlank = page.Canvas.TextWidth(QStringLiteral(" Aaaa Bbbb "));
        l = SplitLines(page.Canvas, text, withBlank, withBlank, withBlank);
        QCOMPARE(l[0], QStringLiteral(" Aaaa Bbbb"));
        QCOMPARE(l[1], QStringLiteral(" Cccc Dddd"));

        // What does not fit on three lines is dropped.
        l = SplitLines(page.Canvas, text + QStringLiteral(" Ffff Gggg"), exact, exact, exact);
        QCOMPARE(l[2], QStringLiteral(" Eeee Ffff"));
    }

    void splitLinesCutsAWordLongerThanTheLine()
    {
        TPage page;
        SetPositionFont(page.Canvas, Position(0, 0, 0));
        const QString word = QStringLiteral("Elektroprivredakomunalnoprometna");
        const float w = page.Canvas.TextWidth(QStringLiteral(" Elektroprivr"));
        const auto l = SplitLines(page.Canvas, word + QStringLiteral(" d.d."), w, w, 64);
        for (const QString &line : l)
            QVERIFY2(page.Canvas.TextWidth(line) <= w || &line == &l[2], qPrintable(line));
        QVERIFY(l[0].endsWith(QLatin1Char('-')));
        QVERIFY(l[1].endsWith(QLatin1Char('-')));
        QVERIFY(l[0].size() > 8);
        // The pieces put together give the word back, nothing lost or doubled.
        QString joined = l[0].mid(1).chopped(1) + l[1].mid(1).chopped(1) + l[2].mid(1);
        QCOMPARE(joined, word + QStringLiteral(" d.d."));

        // A long word after a short one starts on the next line.
        const auto m = SplitLines(page.Canvas, QStringLiteral("JP ") + word, w, 64, 64);
        QCOMPARE(m[0], QStringLiteral(" JP"));
        QCOMPARE(m[1], QLatin1Char(' ') + word);

        // A line too narrow for any character still moves on: one character each.
        const auto n = SplitLines(page.Canvas, QStringLiteral("abc"), 0.1f, 0.1f, 0.1f);
        QCOMPARE(n, (std::array<QString, 3>{" a-", " b-", " c"}));
    }

    void amountText_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("amount");
        QTest::addColumn<bool>("thousandSep");
        QTest::addColumn<bool>("jednako");
        QTest::addColumn<QString>("expected");
        QTest::newRow("comma locale, both") << "de_DE" << 4567.5 << true << true << "=4.567,50";
        QTest::newRow("comma locale, no sep") << "de_DE" << 4567.5 << false << false << "4567,50";
        QTest::newRow("bosnian") << "bs_BA" << 1234567.891 << true << false << "1.234.567,89";
        QTest::newRow("c locale") << "C" << 4567.5 << true << true << "=4,567.50";
        QTest::newRow("negative") << "de_DE" << -1234.567 << true << true << "=-1.234,57";
        QTest::newRow("negative, no prefix") << "de_DE" << -0.5 << false << false << "-0,50";
        QTest::newRow("half cent up") << "de_DE" << 0.125 << false << false << "0,13";
        QTest::newRow("negative half cent") << "de_DE" << -0.125 << false << false << "-0,13";
        QTest::newRow("below a cent") << "de_DE" << -0.004 << false << true << "=0,00";
        QTest::newRow("binary below half") << "de_DE" << 1.005 << false << false << "1,00";
        QTest::newRow("zero") << "de_DE" << 0.0 << true << false << "0,00";
        QTest::newRow("millions") << "de_DE" << 1e9 << true << false << "1.000.000.000,00";
    }
    void amountText()
    {
        QFETCH(QString, locale);
        QFETCH(double, amount);
        QFETCH(bool, thousandSep);
        QFETCH(bool, jednako);
        QFETCH(QString, expected);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(AmountText(amount, thousandSep, jednako), expected);
    }

    void dateText()
    {
        QCOMPARE(DateText(QStringLiteral("010124")), QStringLiteral("01 01 24"));
        QCOMPARE(DateText(QStringLiteral("3112")), QStringLiteral("31 12 "));
        QCOMPARE(DateText(QString()), QStringLiteral("  "));
    }

    void boxesAreCentredAndCut()
    {
        TPage page(-3.5f, -3.5f); // a printer margin of 3.5 mm
        const TFieldFormat pos = Position(98.0f, 22.5f, 65.0f);
        SetPositionFont(page.Canvas, pos);
        DrawField(page.Canvas, QStringLiteral("123456789012345678"), 16, pos);
        const auto t = page.TextsOnLine(pos.Top);
        QCOMPARE(t.size(), 16); // the 17th and 18th characters are not printed
        for (int k = 0; k < 16; ++k) {
            QCOMPARE(t[k].text, QString(QStringLiteral("1234567890123456").at(k)));
            const double want = 98.0 + 65.0 / 16 * (k + 0.5);
            QVERIFY2(qAbs(page.CentreMm(t[k]) - want) < 0.05,
                     qPrintable(QStringLiteral("box %1: %2 mm").arg(k).arg(page.CentreMm(t[k]))));
        }

        TPage shortPage;
        DrawField(shortPage.Canvas, QStringLiteral("1234567890"), 16, pos);
        QCOMPARE(shortPage.Texts().size(), 10); // boxes 11 to 16 stay empty
    }

    void wholeTextStartsAtLeftAndStandsOnTheLine()
    {
        TPage page(-3.53f, -4.0f);
        const TFieldFormat pos = Position(11.0f, 17.5f, 64.0f);
        SetPositionFont(page.Canvas, pos);
        DrawField(page.Canvas, QStringLiteral("Gjino"), 0, pos);
        QCOMPARE(page.Texts().size(), 1);
        const TRecordedOp t = page.Texts().first();
        QVERIFY(qAbs(t.baseline.x() / page.Canvas.Scale + 3.53 - 11.0) < 0.05);
        QCOMPARE(page.TextsOnLine(17.5f).size(), 1);
    }

    void slipFieldsLandInTheirBoxes()
    {
        QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
        TFieldFormats format;
        format[piIznos].FontSize = 12;
        format[piIznos].FontStyle = TFontStyle::Bold;
        TUpl slip;
        slip.Posiljalac = QStringLiteral("Ivan Ivić");
        slip.Iznos = 4567.5;
        slip.PeriodOd = QStringLiteral("010124");
        slip.MjestoUplate = QStringLiteral("Sarajevo");
        TPage page;
        const long long before = DrawSlipCount();
        DrawSlip(page.Canvas, slip, format, {true, true});
        QCOMPARE(DrawSlipCount(), before + 1);

        // Date: 0, 1, blank, 0, 1, blank, 2, 4 in eight boxes of 2.5 mm.
        const auto od = page.TextsOnLine(format[piPeriodOd].Top);
        QCOMPARE(od.size(), 6);
        const int boxOf[6] = {0, 1, 3, 4, 6, 7};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(od[i].text, QString(QStringLiteral("010124").at(i)));
            QVERIFY(qAbs(page.CentreMm(od[i]) - (141.0 + 2.5 * (boxOf[i] + 0.5))) < 0.05);
        }

        // Place: 8 characters over 40 mm, the first centred 2.5 mm in.
        const auto mjesto = page.TextsOnLine(format[piMjestoUplate].Top);
        QCOMPARE(mjesto.size(), 8); // the empty payment date on the same line prints nothing
        QVERIFY(qAbs(page.CentreMm(mjesto.first()) - 14.5) < 0.05);

        // Amount: right end at Left + Width, in the position's own font.
        const auto iznos = page.TextsOnLine(format[piIznos].Top);
        QCOMPARE(iznos.size(), 2); // the amount and the first line of the recipient
        const TRecordedOp &amount = iznos.last();
        QCOMPARE(amount.text, QStringLiteral("=4.567,50"));
        QVERIFY(amount.font.bold());
        QCOMPARE(amount.font.pixelSize(), qRound(12 * Dpi / 72.0));
        QVERIFY(qAbs((amount.baseline.x() + amount.advance) / page.Canvas.Scale - 141.0) < 0.05);

        // Not urgent: nothing on the Hitno line.
        QVERIFY(page.TextsOnLine(format[piHitno].Top).isEmpty());
        // Sender: line 1 with its margin blank, lines 2 and 3 a blank alone.
        const auto pos1 = page.TextsOnLine(format[piPosiljalac1].Top);
        QCOMPARE(pos1.size(), 1);
        QCOMPARE(pos1.first().text, QStringLiteral(" Ivan Ivić"));
        QCOMPARE(pos1.first().font.pixelSize(), qRound(10 * Dpi / 72.0));
    }

    void urgentMarkAndFontsPerPosition()
    {
        TFieldFormats format;
        format[piPosiljalac1].FontName = QStringLiteral("Courier New");
        format[piPosiljalac2].FontSize = 20; // lines 2 and 3 use line 1's font
        TUpl slip;
        slip.Hitno = true;
        slip.Posiljalac = QStringLiteral("Jedan dva tri četiri pet šest sedam osam devet");
        TPage page;
        DrawSlip(page.Canvas, slip, format, {});
        const auto hitno = page.TextsOnLine(format[piHitno].Top);
        QCOMPARE(hitno.size(), 1);
        QCOMPARE(hitno.first().text, QStringLiteral("X"));
        QVERIFY(qAbs(page.CentreMm(hitno.first()) - 145.5) < 0.05);
        const auto line2 = page.TextsOnLine(format[piPosiljalac2].Top);
        QCOMPARE(line2.size(), 1);
        QCOMPARE(line2.first().font.pixelSize(), qRound(10 * Dpi / 72.0));
        QCOMPARE(QFontInfo(line2.first().font).fixedPitch(), true);
        QVERIFY(page.Canvas.TextWidth(line2.first().text) <= format[piPosiljalac2].Width);
    }

    void gridPage_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        QTest::addColumn<int>("gw");
        QTest::addColumn<int>("gh");
        QTest::newRow("built-in 176 x 100") << 176.0 << 100.0 << 160 << 80;
        QTest::newRow("halves to even down") << 45.0 << 65.0 << 20 << 40;
        QTest::newRow("halves to even up") << 55.0 << 35.0 << 40 << 20;
        QTest::newRow("too narrow") << 24.0 << 100.0 << 0 << 80;
    }
    void gridPage()
    {
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(int, gw);
        QFETCH(int, gh);
        TPage page;
        DrawGridPage(page.Canvas, width, height);
        const auto &lines = page.Device.Of(TRecordedOp::Line);
        const auto &texts = page.Texts();
        if (gw < 10 || gh < 10) {
            QVERIFY(lines.isEmpty());
            QVERIFY(texts.isEmpty());
            return;
        }
        QCOMPARE(lines.size(), (gw - 9) + (gh - 9));
        QCOMPARE(texts.size(), gw / 10 + gh / 10);
        const double s = page.Canvas.Scale;
        const int thick = qRound(0.3 * s), thin = qRound(0.1 * s);
        int vertical = 0;
        for (const TRecordedOp &l : lines) {
            const bool isVertical = l.line.x1() == l.line.x2();
            const double at = (isVertical ? l.line.x1() : l.line.y1()) / s;
            const int n = qRound(at);
            QVERIFY(qAbs(at - n) < 0.03);
            QCOMPARE(int(l.pen.widthF()), n % 5 == 0 ? thick : thin);
            const double from = (isVertical ? l.line.y1() : l.line.x1()) / s;
            const double to = (isVertical ? l.line.y2() : l.line.x2()) / s;
            QVERIFY(qAbs(from - (n % 10 == 0 ? 9 : 10)) < 0.03);
            QVERIFY(qAbs(to - (n % 10 == 0 ? (isVertical ? gh : gw) + 1 : (isVertical ? gh : gw))) <
                    0.03);
            vertical += isVertical;
        }
        QCOMPARE(vertical, gw - 9);
        // Numbers: "10" centred over x = 10 mm, standing on y = 9 mm; row
        // numbers right-aligned to x = 9 mm.
        const TRecordedOp &first = texts.first();
        QCOMPARE(first.text, QStringLiteral("10"));
        QVERIFY(qAbs((first.baseline.x() + first.advance / 2) / s - 10) < 0.05);
        QCOMPARE(first.font.pixelSize(), qRound(8 * s * 25.4 / 72));
        const TRecordedOp &row = texts.at(gw / 10);
        QCOMPARE(row.text, QStringLiteral("10"));
        QVERIFY(qAbs((row.baseline.x() + row.advance) / s - 9) < 0.05);
    }
};

QTEST_MAIN(TestSlipRender)
#include "tst_sliprender.moc"

#include "print/engine/PreviewMath.h"

#include <QTest>

#include <climits>

namespace {

TScreenPaper A4At96()
{
    TPreviewPaper p;
    p.PaperWidth = 210;
    p.PaperHeight = 297;
    return ScreenPaperAt100(p, 96, 96);
}

TScreenPaper Sheet(int w, int h, int margin = 0)
{
    TScreenPaper s;
    s.ScreenPaperWidth = w;
    s.ScreenPaperHeight = h;
    s.ScreenMarginLeft = s.ScreenMarginTop = s.ScreenMarginRight = s.ScreenMarginBottom = margin;
    return s;
}

} // namespace

class tst_PreviewMath : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void screenPaper();
    void zoomedSizeAndPrintableRect();
    void placement();
    void zoomSteps();
    void rescaleInSinglePrecision();
    void fitModes();
    void fitModesInTinyWindows();
    void zoomToDraggedRect();
    void centring();
    void scrollClient();
    void typedZoom();
    void zoomChoiceText();
};

void tst_PreviewMath::screenPaper()
{
    const TScreenPaper a4 = A4At96();
    QCOMPARE(a4.ScreenPaperWidth, 794);   // 793.70
    QCOMPARE(a4.ScreenPaperHeight, 1123); // 1122.52

    // One pixel per millimetre: halves go to the even neighbour.
    TPreviewPaper p;
    p.PaperWidth = 100.5;
    p.PaperHeight = 101.5;
    p.LeftOffset = 2.5;
    p.TopOffset = 3.5;
    p.RightOffset = 4.4;
    p.BottomOffset = 4.6;
    const TScreenPaper s = ScreenPaperAt100(p, 25.4, 25.4);
    QCOMPARE(s.ScreenPaperWidth, 100);
    QCOMPARE(s.ScreenPaperHeight, 102);
    QCOMPARE(s.ScreenMarginLeft, 2);
    QCOMPARE(s.ScreenMarginTop, 4);
    QCOMPARE(s.ScreenMarginRight, 4);
    QCOMPARE(s.ScreenMarginBottom, 5);

    // Widths follow the horizontal resolution, heights the vertical one.
    p.PaperWidth = 25.4;
    p.PaperHeight = 25.4;
    p.LeftOffset = p.RightOffset = 25.4;
    p.TopOffset = p.BottomOffset = 25.4;
    const TScreenPaper t = ScreenPaperAt100(p, 120, 96);
    QCOMPARE(t.ScreenPaperWidth, 120);
    QCOMPARE(t.ScreenPaperHeight, 96);
    QCOMPARE(t.ScreenMarginLeft, 120);
    QCOMPARE(t.ScreenMarginRight, 120);
    QCOMPARE(t.ScreenMarginTop, 96);
    QCOMPARE(t.ScreenMarginBottom, 96);
}

void tst_PreviewMath::zoomedSizeAndPrintableRect()
{
    QCOMPARE(ZoomedPaperSize(A4At96(), 100), QSize(794, 1123));
    QCOMPARE(ZoomedPaperSize(A4At96(), 58), QSize(461, 651)); // 460.52, 651.34
    QCOMPARE(ZoomedPaperSize(Sheet(5, 7), 50), QSize(2, 4));  // 2.5, 3.5

    // Margins 16 on an A4 sheet at 150 percent: the bottom 1107 * 1.5 = 1660.5.
    const TPreviewRect r = PrintableRect(Sheet(794, 1123, 16), 150);
    QCOMPARE(r, (TPreviewRect{24, 24, 1167, 1660}));
    QCOMPARE(r.ToQRect(), QRect(24, 24, 1143, 1636));

    TScreenPaper odd = Sheet(101, 203);
    odd.ScreenMarginLeft = 1;
    odd.ScreenMarginTop = 3;
    odd.ScreenMarginRight = 0;
    odd.ScreenMarginBottom = 0;
    // 0.5 -> 0, 1.5 -> 2, 50.5 -> 50, 101.5 -> 102
    QCOMPARE(PrintableRect(odd, 50), (TPreviewRect{0, 2, 50, 102}));
    QCOMPARE(PrintableRect(odd, 100), (TPreviewRect{1, 3, 101, 203}));
}

void tst_PreviewMath::placement()
{
    // Centred only when the client exceeds paper and both borders.
    QCOMPARE(PaperPlacement(1000, 960, 20), 20);
    QCOMPARE(PaperPlacement(1001, 960, 20), 20);  // 20.5
    QCOMPARE(PaperPlacement(1003, 960, 20), 22);  // 21.5
    QCOMPARE(PaperPlacement(1000, 795, 20), 102); // 102.5
    QCOMPARE(PaperPlacement(1000, 797, 20), 102); // 101.5
    QCOMPARE(PaperPlacement(500, 794, 20), 20);
}

void tst_PreviewMath::zoomSteps()
{
    const QStringList items{"Cijela stranica",
                            "Po širini",
                            "Po visini",
                            "10",
                            "25",
                            "50",
                            "75",
                            "100",
                            "200",
                            "400",
                            "600",
                            "800",
                            "1000"};
    const QList<int> steps = ZoomSteps(items);
    QCOMPARE(steps, (QList<int>{10, 25, 50, 75, 100, 200, 400, 600, 800, 1000}));

    QCOMPARE(ZoomStepUp(steps, 150), 200);
    QCOMPARE(ZoomStepDown(steps, 150), 100);
    QCOMPARE(ZoomStepUp(steps, 100), 200);
    QCOMPARE(ZoomStepDown(steps, 100), 75);
    QCOMPARE(ZoomStepUp(steps, 5), 10);
    QCOMPARE(ZoomStepDown(steps, 1200), 1000);
    QVERIFY(!ZoomStepUp(steps, 1000));
    QVERIFY(!ZoomStepUp(steps, 1200));
    QVERIFY(!ZoomStepDown(steps, 10));
    QVERIFY(!ZoomStepDown(steps, 3));

    // Steps come from the box as they stand, in its order.
    const QList<int> odd = ZoomSteps({"300", "x", "150", "20"});
    QCOMPARE(odd, (QList<int>{300, 150, 20}));
    QCOMPARE(ZoomStepUp(odd, 100), 300);
    QCOMPARE(ZoomStepDown(odd, 200), 20); // searched from the last item
    QVERIFY(!ZoomStepUp({}, 100));
}

void tst_PreviewMath::rescaleInSinglePrecision()
{
    QCOMPARE(RescaleCoordinate(300, 150, 200), 400);
    QCOMPARE(RescaleCoordinate(100, 75, 100), 133);
    QCOMPARE(RescaleCoordinate(7, 75, 200), 19);
    // 3 / 200 is 0.0149999997 in single precision, so 1.4999... rounds to 1
    // where the exact 1.5 would go to 2.
    QCOMPARE(RescaleCoordinate(3, 200, 100), 1);
    QCOMPARE(ScaleFraction(1.5f, 100), 150);
    QCOMPARE(ScaleFraction(0.025f, 100), 3); // 2.50000004
    QCOMPARE(ScaleFraction(0.055f, 100), 5); // 5.49999997
    QCOMPARE(ScaleFraction(0.125f, 20), 2);  // exactly 2.5
}

void tst_PreviewMath::fitModes()
{
    const TScreenPaper a4 = A4At96();
    const QSize client(1000, 700);
    QCOMPARE(ZoomToPage(client, a4, 20), 58); // min(120.9, 58.8)
    // 120 would make the sheet 1348 tall: a vertical bar of 17 takes its width.
    QCOMPARE(ZoomToWidth(client, a4, 20, 0), 120);
    QCOMPARE(ZoomToWidth(client, a4, 20, 17), 118);
    QCOMPARE(ZoomToHeight(client, a4, 20, 17), 58); // the sheet is narrow enough

    // Landscape in a tall client: the horizontal bar takes its height.
    TScreenPaper land = a4;
    std::swap(land.ScreenPaperWidth, land.ScreenPaperHeight);
    QCOMPARE(ZoomToHeight(QSize(700, 1000), land, 20, 17), 118);
    QCOMPARE(ZoomToWidth(QSize(700, 1000), land, 20, 17), 58);

    // Whole quotients are not lost to binary fractions.
    QCOMPARE(ZoomToWidth(QSize(834, 2000), Sheet(794, 1123), 20, 17), 100);
    QCOMPARE(ZoomToPage(QSize(340, 340), Sheet(300, 100), 20), 100);
    QCOMPARE(ZoomToHeight(QSize(2000, 329), Sheet(100, 290), 20, 17), 99); // 99.66

    // The correction needs the height to exceed the client, equal is not enough.
    QCOMPARE(ZoomToWidth(QSize(840, 1040), Sheet(800, 1000), 20, 17), 100);
    QCOMPARE(ZoomToWidth(QSize(840, 1039), Sheet(800, 1000), 20, 17), 97); // 97.875
    QCOMPARE(ZoomToHeight(QSize(840, 1040), Sheet(800, 1000), 20, 17), 100);
    QCOMPARE(ZoomToHeight(QSize(839, 1040), Sheet(800, 1000), 20, 17), 98); // 98.3
}

void tst_PreviewMath::fitModesInTinyWindows()
{
    // Smaller than the two borders: the zoom stays usable (no zero to divide by).
    const TScreenPaper a4 = A4At96();
    QCOMPARE(ZoomToPage(QSize(30, 30), a4, 20), 1);
    QCOMPARE(ZoomToWidth(QSize(30, 30), a4, 20, 17), 1);
    QCOMPARE(ZoomToHeight(QSize(0, 0), a4, 20, 17), 1);
    // A sheet without size leaves the zoom at actual size.
    QCOMPARE(ZoomToPage(QSize(1000, 700), TScreenPaper{}, 20), 100);
}

void tst_PreviewMath::zoomToDraggedRect()
{
    const QSize client(1000, 700);
    TRectZoom z = ZoomForRect(TPreviewRect{100, 100, 300, 200}, 100, client, 20);
    QCOMPARE(z.Zoom, 480); // min(960 / 200, 660 / 100) * 100
    QCOMPARE(z.CentreX, 2.0f);
    QCOMPARE(z.CentreY, 1.5f);
    QCOMPARE(ScaleFraction(z.CentreX, z.Zoom), 960);
    QCOMPARE(ScaleFraction(z.CentreY, z.Zoom), 720);

    // The rectangle is taken back to 100 percent first: 1003 at 200 is 501.5,
    // rounded to 502, which gives 191.2 (501 would have given 192).
    z = ZoomForRect(TPreviewRect{0, 0, 1003, 10}, 200, client, 20);
    QCOMPARE(z.Zoom, 191);
    // 96000 / 1536 = 62.5 goes to 62.
    QCOMPARE(ZoomForRect(TPreviewRect{0, 0, 1536, 2}, 100, client, 20).Zoom, 62);

    // Small rectangles stop at 1000; an empty side counts as 1.
    QCOMPARE(ZoomForRect(TPreviewRect{10, 10, 15, 15}, 100, client, 20).Zoom, 1000);
    // 1 / 4 rounds to 0 and counts as 1; the height then decides: 660 / 500.
    QCOMPARE(ZoomForRect(TPreviewRect{0, 0, 1, 2000}, 400, client, 20).Zoom, 132);
    QCOMPARE(ZoomForRect(TPreviewRect{0, 0, 0, 0}, 400, client, 20).Zoom, 1000);

    // No lower step limit: a large rectangle may need less than 10.
    z = ZoomForRect(TPreviewRect{0, 0, 7940, 11230}, 1000, QSize(100, 100), 20);
    QCOMPARE(z.Zoom, 5); // min(60 / 794, 60 / 1123) * 100 = 5.3
    QCOMPARE(z.CentreX, 3.97f);
    QCOMPARE(ZoomForRect(TPreviewRect{0, 0, 794, 1123}, 100, QSize(30, 30), 20).Zoom, 1);
}

void tst_PreviewMath::centring()
{
    QCOMPARE(CentreScrollPosition(600, 0, 1000, 20), 120);
    QCOMPARE(CentreScrollPosition(600, 50, 1000, 20), 170);
    QCOMPARE(CentreScrollPosition(480, 0, 1000, 20), 0); // not beyond the half
    QCOMPARE(CentreScrollPosition(481, 7, 1000, 20), 8);
    // Odd clients: 119.5 -> 120, 120.5 -> 120.
    QCOMPARE(CentreScrollPosition(600, 0, 1001, 20), 120);
    QCOMPARE(CentreScrollPosition(601, 0, 1001, 20), 120);
    QCOMPARE(CentreScrollPosition(602, 0, 1001, 20), 122);
}

void tst_PreviewMath::scrollClient()
{
    const QSize whole(1000, 700);
    TScrollClient c = ScrollClientFor(whole, QSize(990, 690), 17, 15);
    QVERIFY(!c.HBar && !c.VBar);
    QCOMPARE(c.Client, whole);
    c = ScrollClientFor(whole, QSize(1000, 700), 17, 15); // equal fits
    QVERIFY(!c.HBar && !c.VBar);

    c = ScrollClientFor(whole, QSize(1034, 600), 17, 15);
    QVERIFY(c.HBar && !c.VBar);
    QCOMPARE(c.Client, QSize(1000, 685));
    c = ScrollClientFor(whole, QSize(1034, 690), 17, 15); // the bar brings the other
    QVERIFY(c.HBar && c.VBar);
    QCOMPARE(c.Client, QSize(983, 685));
    c = ScrollClientFor(whole, QSize(980, 720), 17, 15);
    QVERIFY(!c.HBar && c.VBar);
    QCOMPARE(c.Client, QSize(983, 700));
    c = ScrollClientFor(whole, QSize(990, 720), 17, 15);
    QVERIFY(c.HBar && c.VBar);
}

void tst_PreviewMath::typedZoom()
{
    QCOMPARE(ParseTypedZoom("5"), 5);
    QCOMPARE(ParseTypedZoom("0150"), 150);
    QCOMPARE(ParseTypedZoom(" 50 "), 50);
    QCOMPARE(ParseTypedZoom("99999999999"), INT_MAX);
    QVERIFY(!ParseTypedZoom(""));
    QVERIFY(!ParseTypedZoom("  "));
    QVERIFY(!ParseTypedZoom("12a"));
    QVERIFY(!ParseTypedZoom("-5"));
    QVERIFY(!ParseTypedZoom("1 5"));
    QVERIFY(!ParseTypedZoom(QStringLiteral("\u0663"))); // Arabic-Indic three

    QCOMPARE(ClampTypedZoom(5), 10);
    QCOMPARE(ClampTypedZoom(0), 10);
    QCOMPARE(ClampTypedZoom(10), 10);
    QCOMPARE(ClampTypedZoom(1000), 1000);
    QCOMPARE(ClampTypedZoom(5000), 1000);
    QCOMPARE(ClampTypedZoom(INT_MAX), 1000);
}

void tst_PreviewMath::zoomChoiceText()
{
    QCOMPARE(ParseZoomChoice("Cijela stranica").Choice, TZoomChoice::ToPage);
    QCOMPARE(ParseZoomChoice("Po širini").Choice, TZoomChoice::ToWidth);
    QCOMPARE(ParseZoomChoice("Po visini").Choice, TZoomChoice::ToHeight);
    QCOMPARE(ParseZoomChoice("to page").Choice, TZoomChoice::Invalid);
    QCOMPARE(ParseZoomChoice("abc").Choice, TZoomChoice::Invalid);
    QCOMPARE(ParseZoomChoice("").Choice, TZoomChoice::Invalid);
    TZoomRequest r = ParseZoomChoice("200");
    QCOMPARE(r.Choice, TZoomChoice::Percent);
    QCOMPARE(r.Percent, 200);
    QCOMPARE(ParseZoomChoice("0").Percent, 10);
    QCOMPARE(ParseZoomChoice("123456").Percent, 1000);
}

QTEST_APPLESS_MAIN(tst_PreviewMath)
#include "tst_previewmath.moc"

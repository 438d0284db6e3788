// The format editor's arithmetic, the print correction and the undo history
// of position changes, without any window.

#include "core/Settings.h"
#include "print/formats/FormatEditMath.h"
#include "print/formats/FormatStore.h"
#include "ui/formats/PositionsDocument.h"
#include "print/formats/PrintCorrection.h"

#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestFormatEditMath : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void init()
    {
        SetInchMm(25.4);
        QLocale::setDefault(QLocale::c());
    }
    void cleanup()
    {
        SetInchMm(25.4);
        QLocale::setDefault(QLocale::c());
    }

    void snappingFollowsDensityAndInchMm()
    {
        // 96 dpi: 3.7795 px per mm. Pixel 38 from the origin is 10.05 mm -> 10.
        QCOMPARE(SnapToWholeMm(100 + 38, 100, 96), 10.0f);
        // 144 dpi: 5.669 px per mm; 57 px = 10.05 mm -> 10, 60 px = 10.58 -> 11.
        QCOMPARE(SnapToWholeMm(57, 0, 144), 10.0f);
        QCOMPARE(SnapToWholeMm(60, 0, 144), 11.0f);
        // InchMm 30 at 96 dpi: 3.2 px per mm; 32 px is exactly 10 mm.
        SetInchMm(30);
        QCOMPARE(SnapToWholeMm(32, 0, 96), 10.0f);
        QCOMPARE(SnapToWholeMm(-33, 0, 96), -10.0f); // left of the panel
    }

    void fineDragKeepsWholeTenths()
    {
        // Seven pixels are 0.7 mm whatever the start, without float drift:
        // the value shown is the value stored.
        for (float start : {12.5f, 0.0f, 98.3f, -1.5f}) {
            const float moved = FineDragMm(start, 7);
            QCOMPARE(PositionToText(TFieldFormat{moved, 0, 0, {}, 10, {}}).section(';', 0, 0),
                     QString::number(qRound(start * 10) + 7));
        }
        float v = 22.5f;
        for (int i = 0; i < 30; ++i)
            v = FineDragMm(v, 1);
        QCOMPARE(v, 25.5f);
        // A start between tenths (after scaling) goes to the nearest tenth.
        QCOMPARE(FineDragMm(33.75f, 0), 33.8f);
    }

    void rightMarkNeverReachesLeftEnd()
    {
        QCOMPARE(RightMarkWidth(10, 25), std::optional<float>(15));
        QCOMPARE(RightMarkWidth(10, 11), std::optional<float>(1));
        QVERIFY(!RightMarkWidth(10, 10));
        QVERIFY(!RightMarkWidth(10, 3));
    }

    void scaleAndMoveEveryPosition()
    {
        TFieldFormats f;
        ScalePositions(f, 352 / BuiltInWidth);
        const TFieldFormats built;
        for (int i = 0; i < PositionCount; ++i) {
            QCOMPARE(f.Positions[i].Left, built.Positions[i].Left * 2);
            QCOMPARE(f.Positions[i].Top, built.Positions[i].Top * 2); // tops by the width ratio
            QCOMPARE(f.Positions[i].Width, built.Positions[i].Width * 2);
            QCOMPARE(f.Positions[i].FontSize, built.Positions[i].FontSize);
        }
        QCOMPARE(f.Width, 176.0); // the sheet is the caller's
        MoveAll(f, -1.5f, 0.5f);
        QCOMPARE(f[piIznos].Left, 89.0f * 2 - 1.5f);
        QCOMPARE(f[piIznos].Top, 42.5f * 2 + 0.5f);
        QCOMPARE(f[piIznos].Width, 52.0f * 2);
    }

    void threeLineFieldsShareTheirFont()
    {
        QCOMPARE(FontGroup(piSvrha2), (QList<int>{piSvrha1, piSvrha2, piSvrha3}));
        QCOMPARE(FontGroup(piPrimalac1), (QList<int>{piPrimalac1, piPrimalac2, piPrimalac3}));
        QCOMPARE(FontGroup(piPosiljalac3),
                 (QList<int>{piPosiljalac1, piPosiljalac2, piPosiljalac3}));
        QCOMPARE(FontGroup(piIznos), QList<int>{piIznos});
        QCOMPARE(FontGroup(piPeriodDo), QList<int>{piPeriodDo});
        QCOMPARE(FontGroup(-1), QList<int>{});
    }

    void samePositionsAsStored()
    {
        TFieldFormats a, b;
        // 0.1 summed in floats is not the parsed 12.3, but it is stored alike.
        a[piIznos].Left = 12.0f + 0.1f + 0.1f + 0.1f;
        b[piIznos].Left = 12.3f;
        QVERIFY(a[piIznos].Left != b[piIznos].Left);
        QVERIFY(SamePositions(a, b));
        b[piIznos].Left = 12.4f;
        QVERIFY(!SamePositions(a, b));
        b = a;
        b[piHitno].FontStyle = TFontStyle::Bold;
        QVERIFY(!SamePositions(a, b));
        b = a;
        b.Height = 99.5;
        QVERIFY(!SamePositions(a, b));
    }

    void rulerTicks()
    {
        const QList<TRulerTick> top = RulerTicks(176, 40, 96);
        // 0, 5, 10, ... 170, 175: 36 ticks, the numbered ones 8 pixels long.
        QCOMPARE(top.size(), 36);
        QCOMPARE(top.first(), (TRulerTick{40, 8, 0}));
        QCOMPARE(top.at(1), (TRulerTick{40 + 19, 5, std::nullopt})); // 18.9 px -> 19
        QCOMPARE(top.at(34), (TRulerTick{40 + 643, 8, 170}));        // 642.52 px
        QCOMPARE(top.last().Length, 5);
        // A sheet of 173 mm ends with the 170 mark: 175 is off the paper.
        const QList<TRulerTick> odd = RulerTicks(173, 0, 96);
        QCOMPARE(odd.last(), (TRulerTick{643, 8, 170}));
        // Exactly 100 mm: 95 is the last, 100 (the edge) gets no tick.
        const QList<TRulerTick> left = RulerTicks(100, 0, 96);
        QCOMPARE(left.last().Pos, MmToPixelsForTest(95));
        QCOMPARE(left.size(), 20);
        // InchMm 30 puts the ticks closer by 25.4 / 30.
        SetInchMm(30);
        QCOMPARE(RulerTicks(100, 0, 96).at(18).Pos, 288); // 90 mm * 3.2
    }

    void panelLayout()
    {
        const TPanelLayout l = PanelLayout(176, 100, 96, 16, 21);
        QCOMPARE(l.Panel, QRect(32, 27, 665, 378)); // 665.2 and 377.95 px
        QCOMPARE(l.BoardSize, QSize(665 + 64, 378 + 54));
        SetInchMm(30);
        const TPanelLayout small = PanelLayout(176, 100, 96, 16, 21);
        QCOMPARE(small.Panel.size(), QSize(563, 320)); // smaller by 25.4 / 30
    }

    void viewOfAnAreaLargerThanTheScreen()
    {
        // Fits: shown whole, no bars.
        QCOMPARE(ScrollViewSize({729, 432}, {1200, 800}, 16), QSize(729, 432));
        // Too wide: clipped across, a bar below.
        QCOMPARE(ScrollViewSize({3000, 432}, {1200, 800}, 16), QSize(1200, 448));
        // Too wide, and the bar then makes it too high: bars both ways.
        QCOMPARE(ScrollViewSize({3000, 790}, {1200, 800}, 16), QSize(1200, 800));
        // Too high only.
        QCOMPARE(ScrollViewSize({700, 3800}, {1200, 800}, 16), QSize(716, 800));
    }

    void valueLabelsKeepApart()
    {
        TMarkLabelsIn in;
        in.Panel = QRect(40, 30, 600, 400);
        in.Top = QSize(40, 16);
        in.Left = QSize(40, 16);
        in.Width = QSize(40, 16);
        in.Font = QSize(80, 16);
        // A line near the panel's top-left corner: the labels crowd there.
        in.Line = QRect(45, 38, 100, 2);
        in.MarkLeft = QRect(45, 19, 2, 10);
        in.MarkRight = QRect(60, 19, 2, 10);
        in.MarkTop = QRect(29, 38, 10, 2);
        TMarkLabelsOut out = PlaceMarkLabels(in);
        // mLeft is held inside the panel, mWidth right of it, never over it.
        QCOMPARE(out.Left.topLeft(), QPoint(42, 32));
        QCOMPARE(out.Width.left(), out.Left.left() + 40 + 1);
        // mTop would overlap mLeft: it goes just below it.
        QCOMPARE(out.Top.topLeft(), QPoint(42, 32 + 16 + 1));
        // mFont under mLeft, and right of mTop where they would overlap.
        QCOMPARE(out.Font.top(), 32 + 16 + 1);
        QCOMPARE(out.Font.left(), 42 + 40 + 1);

        // A line far inside: every label at its own mark.
        in.Line = QRect(300, 200, 100, 2);
        in.MarkLeft = QRect(300, 19, 2, 10);
        in.MarkRight = QRect(400, 19, 2, 10);
        in.MarkTop = QRect(29, 200, 10, 2);
        out = PlaceMarkLabels(in);
        QCOMPARE(out.Left.topLeft(), QPoint(301 - 20, 32));
        QCOMPARE(out.Width.topLeft(), QPoint(401 - 20, 32));
        QCOMPARE(out.Top.topLeft(), QPoint(42, 201 - 8));
        QCOMPARE(out.Font.topLeft(), QPoint(300, 203));
    }

    void labelTexts()
    {
        TFieldFormat p;
        p.FontName = QStringLiteral("Arial");
        p.FontSize = 10;
        QCOMPARE(FontLabelText(p), QStringLiteral("Arial, 10"));
        p.FontStyle = TFontStyle::Bold | TFontStyle::Underline;
        QCOMPARE(FontLabelText(p), QStringLiteral("Arial, 10, bold, underline"));
        QLocale::setDefault(QLocale(QLocale::Bosnian, QLocale::BosniaAndHerzegowina));
        QCOMPARE(MmLabelText(22.5f), QStringLiteral(" 22,5 "));
        // As Formats.ini stores it: 44.25 is 442 tenths (halves to even), not 44,3.
        QCOMPARE(MmLabelText(44.25f), QStringLiteral(" 44,2 "));
        QCOMPARE(MmLabelText(-1.5f), QStringLiteral(" -1,5 "));
    }

    void gridExtents()
    {
        QCOMPARE(GridExtent(176), 160);
        QCOMPARE(GridExtent(100), 80);
        QCOMPARE(GridExtent(352), 330);
        QCOMPARE(GridExtent(45), 20); // 2.5 tens, halves to even
        QCOMPARE(GridExtent(55), 40); // 3.5 tens
        QCOMPARE(GridExtent(25), 0);
    }

    void formatSizeLimits()
    {
        QVERIFY(ValidFormatSize(10));
        QVERIFY(ValidFormatSize(1000));
        QVERIFY(ValidFormatSize(176.5));
        QVERIFY(!ValidFormatSize(9.99));
        QVERIFY(!ValidFormatSize(1000.01));
        QVERIFY(!ValidFormatSize(std::numeric_limits<double>::quiet_NaN()));
    }

    void deletingFormats()
    {
        // The default goes: the first of the rest takes its place.
        TDeleteOutcome o = AfterDelete({"B", "C"}, "a", "A");
        QCOMPARE(o.Select, QStringLiteral("B"));
        QCOMPARE(o.Default, QStringLiteral("B"));
        // Another one goes: the default stays.
        o = AfterDelete({"A", "C"}, "B", "A");
        QCOMPARE(o.Select, QStringLiteral("A"));
        QCOMPARE(o.Default, QStringLiteral("A"));
        // The last one goes.
        o = AfterDelete({}, "A", "A");
        QVERIFY(o.Select.isEmpty());
        QVERIFY(o.Default.isEmpty());
    }

    // --- Print correction ---------------------------------------------------

    void correctionFromMeasurements()
    {
        // A printer that puts x at 1.2 + 1.01 x: the 10 mm line lands at
        // 11.3, the 160 mm line at 162.8.
        const auto x = CorrectAxis({}, 10, 160, 11.3, 162.8);
        QVERIFY(x);
        QCOMPARE(x->Scale, 99.01); // 1 / 1.01
        QCOMPARE(x->Shift, -1.2);  // -1.2 / 1.01 = -1.188
        // Printed through the correction, the lines come out within what
        // the rounding to 0.1 mm and 0.01 % leaves.
        const auto printer = [](double u) { return 1.2 + 1.01 * u; };
        const TPrintCorrection c{x->Shift, 0, x->Scale, 100};
        QVERIFY(std::abs(printer(c.MapX(10)) - 10) < 0.06);
        QVERIFY(std::abs(printer(c.MapX(160)) - 160) < 0.06);

        // Measured again on a grid printed with that correction: the second
        // round starts from the first and composes with it.
        const double m1 = printer(c.MapX(10));
        const double m2 = printer(c.MapX(160));
        const auto again = CorrectAxis(*x, 10, 160, m1, m2);
        QVERIFY(again);
        QVERIFY(std::abs(again->Scale - x->Scale) <= 0.011);
        QVERIFY(std::abs(again->Shift - x->Shift) <= 0.1);

        // A perfect printer needs nothing.
        QCOMPARE(CorrectAxis({}, 10, 80, 10, 80), (std::optional<TAxisCorrection>({0, 100})));
    }

    void largePrinterErrorIsCorrected()
    {
        // A printer 10 mm off and 5 % too large puts x at 10 + 1.05 x. The shift
        // is measured in the printer's scale: -10 / 1.05 = -9.52.
        const auto x = CorrectAxis({}, 10, 160, 20.5, 178);
        QVERIFY(x);
        QCOMPARE(x->Shift, -9.5);
        QCOMPARE(x->Scale, 95.24);
        const TPrintCorrection c{x->Shift, x->Shift, x->Scale, x->Scale};
        QVERIFY(ValidCorrection(c));
        QSettings store(m_dir.filePath("large.ini"), QSettings::IniFormat);
        WritePrintCorrection(store, QStringLiteral("P"), c);
        QCOMPARE(ReadPrintCorrection(store, QStringLiteral("P")), c);
        const auto printer = [](double u) { return 10 + 1.05 * u; };
        for (double mm : {10.0, 85.0, 160.0})
            QVERIFY2(std::abs(printer(c.MapX(mm)) - mm) < 0.1, qPrintable(QString::number(mm)));
    }

    void correctionsOfTwoPrintersInOneRun()
    {
        // The program's store: read once per printer and kept; a job on the
        // second printer must not get the first one's values.
        SetSettingsFile(m_dir.filePath("two.ini"));
        const auto restore = qScopeGuard([] { SetSettingsFile(QString()); });
        QVERIFY(WritePrintCorrection(QStringLiteral("HP"), {1, 0, 100, 100}));
        QVERIFY(WritePrintCorrection(QStringLiteral("Epson"), {2, 0, 100, 100}));
        for (int round = 0; round < 2; ++round) {
            QCOMPARE(ReadPrintCorrection(QStringLiteral("Epson")).ShiftX, 2.0);
            QCOMPARE(ReadPrintCorrection(QStringLiteral("HP")).ShiftX, 1.0);
            QCOMPARE(ReadPrintCorrection(QStringLiteral("Canon")), TPrintCorrection{});
        }
    }

    void impossibleMeasurementsAreRefused()
    {
        QVERIFY(!CorrectAxis({}, 10, 160, 160, 10)); // swapped
        QVERIFY(!CorrectAxis({}, 10, 160, 10, 10));  // one point
        QVERIFY(!CorrectAxis({}, 10, 160, 10, 140)); // 13 % short: a wrong line
        QVERIFY(!CorrectAxis({}, 10, 160, 40, 190)); // 30 mm off
        QVERIFY(!CorrectAxis({}, 10, 10, 10, 12));   // no length to measure over
    }

    void correctionTransformOfThePage()
    {
        // A page surface 4 px per mm whose pixel 0 is 3.5 mm in from the edge.
        const TPrintCorrection c{1.5, -2, 99, 101};
        const QTransform t = CorrectionTransform(c, 4, 3.5, 2.0);
        for (double mm : {0.0, 10.0, 98.0, 160.0}) {
            const double u = (mm - 3.5) * 4; // where it would have gone
            const double v = (mm - 2.0) * 4;
            const QPointF p = t.map(QPointF(u, v));
            QVERIFY(qAbs(p.x() / 4 + 3.5 - c.MapX(mm)) < 1e-9);
            QVERIFY(qAbs(p.y() / 4 + 2.0 - c.MapY(mm)) < 1e-9);
        }
        QVERIFY(CorrectionTransform({}, 4, 3.5, 2).isIdentity());
    }

    void correctionStoredPerPrinter()
    {
        QSettings store(m_dir.filePath("s.ini"), QSettings::IniFormat);
        const QString share = QStringLiteral("\\\\server\\HP LaserJet/2");
        WritePrintCorrection(store, share, {0.5, -1.2, 99.5, 100.25});
        WritePrintCorrection(store, QStringLiteral("Epson"), {0, 0.3, 100, 100});
        store.sync();
        QSettings back(m_dir.filePath("s.ini"), QSettings::IniFormat);
        QCOMPARE(ReadPrintCorrection(back, share), (TPrintCorrection{0.5, -1.2, 99.5, 100.25}));
        QCOMPARE(ReadPrintCorrection(back, QStringLiteral("Epson")).ShiftY, 0.3);
#ifdef Q_OS_WIN
        // Printer names, like the settings' keys, ignore letter case there.
        QCOMPARE(ReadPrintCorrection(back, QStringLiteral("epson")).ShiftY, 0.3);
#else
        QCOMPARE(ReadPrintCorrection(back, QStringLiteral("epson")), TPrintCorrection{});
#endif
        QStringList names = CorrectedPrinters(back);
        names.sort();
        QCOMPARE(names, (QStringList{QStringLiteral("Epson"), share}));
        // No correction: the entry goes.
        WritePrintCorrection(back, QStringLiteral("Epson"), {});
        QCOMPARE(CorrectedPrinters(back), QStringList{share});
    }

    void unreadableStoredValuesAreNoCorrection()
    {
        QSettings store(m_dir.filePath("bad.ini"), QSettings::IniFormat);
        store.setValue("Correction/P/ShiftRight", "abc");
        store.setValue("Correction/P/ShiftDown", "150"); // 15 cm: nonsense
        store.setValue("Correction/P/ScaleX", "50");
        store.setValue("Correction/P/ScaleY", " 101.5 ");
        const TPrintCorrection c = ReadPrintCorrection(store, QStringLiteral("P"));
        QCOMPARE(c, (TPrintCorrection{0, 0, 100, 101.5}));
        QVERIFY(!ValidCorrection({25, 0, 100, 100}));
        QVERIFY(!ValidCorrection({0, 0, 100, 111}));
        QVERIFY(ValidCorrection({-20, 20, 90, 110}));
        QCOMPARE(RoundedCorrection({0.25, -0.75, 99.125, 100.004}),
                 (TPrintCorrection{0.2, -0.8, 99.12, 100}));
    }

    // --- Undo history -------------------------------------------------------

    void dragsOfOneLineAreOneStep()
    {
        TPositionsDocument doc;
        doc.Load(TFieldFormats());
        int changes = 0;
        connect(&doc, &TPositionsDocument::Changed, this, [&] { ++changes; });
        for (int i = 1; i <= 5; ++i)
            doc.MoveLine(piIznos, 89.0f + i, 42.5f);
        doc.MoveLine(piIznos, 94.0f, 43.5f); // an arrow key after the drag
        QCOMPARE(changes, 6);
        QCOMPARE(doc.UndoStack().count(), 1);
        QVERIFY(!doc.UndoStack().isClean());
        doc.UndoStack().undo();
        QCOMPARE(doc.Format(), TFieldFormats());
        QVERIFY(doc.UndoStack().isClean());
        doc.UndoStack().redo();
        QCOMPARE(doc.Position(piIznos).Left, 94.0f);
        QCOMPARE(doc.Position(piIznos).Top, 43.5f);

        // Another line breaks the chain; so does a save.
        doc.MoveLine(piHitno, 150, 44.2f);
        QCOMPARE(doc.UndoStack().count(), 2);
        doc.MarkSaved();
        doc.MoveLine(piHitno, 151, 44.2f);
        QCOMPARE(doc.UndoStack().count(), 3);
        doc.UndoStack().undo();
        QCOMPARE(doc.Position(piHitno).Left, 150.0f);
        QVERIFY(doc.UndoStack().isClean());
    }

    void dragBackToTheStartLeavesNoStep()
    {
        TPositionsDocument doc;
        doc.Load(TFieldFormats());
        doc.MoveLine(piOpstina, 95, 78.2f);
        doc.MoveLine(piOpstina, 93.3f, 78.2f);
        QCOMPARE(doc.UndoStack().count(), 0);
        QVERIFY(!doc.UndoStack().canUndo());
        doc.MoveLine(piOpstina, 93.3f, 78.2f); // no change at all
        QCOMPARE(doc.UndoStack().count(), 0);
    }

    void everyKindOfChangeUndoes()
    {
        TPositionsDocument doc;
        doc.Load(TFieldFormats());
        doc.DragMark(piPoziv, TPositionsDocument::TMark::Right, 40);
        doc.DragMark(piPoziv, TPositionsDocument::TMark::Right, 42);
        doc.DragMark(piPoziv, TPositionsDocument::TMark::Left, 90);
        doc.MoveAll(0.1f, -1);
        doc.SetFont(FontGroup(piSvrha2), QStringLiteral("Courier New"), 12, TFontStyle::Bold);
        doc.Resize(352, 200, 2);
        // The two right-mark drags are one step, the left mark another.
        QCOMPARE(doc.UndoStack().count(), 5);
        QCOMPARE(doc.Format().Width, 352.0);
        QCOMPARE(doc.Position(piPoziv).Left, (90 + 0.1f) * 2);
        QCOMPARE(doc.Position(piSvrha3).FontName, QStringLiteral("Courier New"));
        QCOMPARE(doc.Position(piIznos).FontName, QStringLiteral("Arial"));

        doc.UndoStack().undo(); // size
        QCOMPARE(doc.Format().Width, 176.0);
        QCOMPARE(doc.Position(piPoziv).Left, 90 + 0.1f);
        doc.UndoStack().undo(); // font
        QCOMPARE(doc.Position(piSvrha1).FontName, QStringLiteral("Arial"));
        doc.UndoStack().undo(); // move-all
        QCOMPARE(doc.Position(piPoziv).Left, 90.0f);
        doc.UndoStack().undo(); // left mark
        QCOMPARE(doc.Position(piPoziv).Left, 93.3f);
        QCOMPARE(doc.Position(piPoziv).Width, 42.0f);
        doc.UndoStack().undo(); // right mark
        QCOMPARE(doc.Format(), TFieldFormats());
    }

private:
    static int MmToPixelsForTest(float mm) { return qRound(mm * 96 / 25.4); }
};

QTEST_GUILESS_MAIN(TestFormatEditMath)
#include "tst_formateditmath.moc"

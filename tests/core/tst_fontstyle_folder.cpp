#include "core/AppFolder.h"
#include "core/FontStyle.h"
#include "core/Rounding.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestFontStyleAndFolder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void styleToText_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("text");
        using S = TFontStyle;
        QTest::newRow("none") << 0 << QString();
        QTest::newRow("italic alone") << int(S::Italic) << "italic";
        QTest::newRow("strikeout alone") << int(S::StrikeOut) << "strikeout";
        QTest::newRow("bold underline") << int(S::Bold | S::Underline) << "bold, underline";
        QTest::newRow("all") << int(S::Bold | S::Italic | S::Underline | S::StrikeOut)
                             << "bold, italic, underline, strikeout";
    }
    void styleToText()
    {
        QFETCH(int, style);
        QFETCH(QString, text);
        const TFontStyles s = TFontStyles::fromInt(style);
        QCOMPARE(FontStyleToText(s), text);
        QCOMPARE(TextToFontStyle(text), s);
    }

    void textToStyleIgnoresOrderAndSeparators()
    {
        QCOMPARE(TextToFontStyle("italic;bold"), TFontStyle::Bold | TFontStyle::Italic);
        QCOMPARE(TextToFontStyle("xxboldxx"), TFontStyles(TFontStyle::Bold));
        // Case counts, as with the stored texts.
        QCOMPARE(TextToFontStyle("Bold, ITALIC"), TFontStyles());
    }

    void fontRoundTrip()
    {
        QFont f("Arial");
        const TFontStyles s = TFontStyle::Italic | TFontStyle::StrikeOut;
        ApplyFontStyle(f, s);
        QCOMPARE(FontStyleOf(f), s);
    }

    void roundingHalvesToEven()
    {
        QCOMPARE(RoundHalfEven(2.5), 2LL);
        QCOMPARE(RoundHalfEven(3.5), 4LL);
        QCOMPARE(RoundHalfEven(-2.5), -2LL);
        QCOMPARE(RoundHalfEven(2.5000001), 3LL);
        // A single-precision 44.2 times ten is 442.0000076..., not a half.
        QCOMPARE(RoundHalfEven(static_cast<long double>(44.2f) * 10), 442LL);

        // The quick rounding agrees with the FPU's own on halves, their
        // neighbours a unit in the last place away, lengths as the canvas
        // makes them, and magnitudes on both sides of where it hands over.
        const auto agree = [](long double v) {
            return RoundHalfEven(v) == static_cast<long long>(std::nearbyintl(v));
        };
        for (int k = -3000; k <= 3000; ++k) {
            const long double half = k + 0.5L;
            QVERIFY2(agree(half), qPrintable(QString::number(double(half))));
            QVERIFY(agree(std::nextafterl(half, 1e30L)));
            QVERIFY(agree(std::nextafterl(half, -1e30L)));
            QVERIFY(agree((static_cast<long double>(k * 0.37f) + 1.5f) * (1200 / 25.4f)));
        }
        for (const long double big : {0x1p60L, 0x1p61L - 0.5L, 0x1p61L + 1, -0x1p61L - 1, 0x1p62L})
            QVERIFY(agree(big));
        QCOMPARE(RoundHalfEven(-0.4L), 0LL);
        QCOMPARE(RoundHalfEven(0x1p61L + 0.5L), static_cast<long long>(0x1p61L));
    }

    void programFolderFollowsEnvironment()
    {
        QTemporaryDir dir;
        const QString home = dir.filePath("nested/home");
        qputenv("KORDAVINA_HOME", home.toLocal8Bit());
        QCOMPARE(ProgramFolder(), QDir::cleanPath(home));
        QVERIFY(QDir(home).exists()); // created on demand
        QCOMPARE(ProgramFile("Formats.ini"), QDir(home).filePath("Formats.ini"));
        qunsetenv("KORDAVINA_HOME");
    }
};

QTEST_APPLESS_MAIN(TestFontStyleAndFolder)
#include "tst_fontstyle_folder.moc"

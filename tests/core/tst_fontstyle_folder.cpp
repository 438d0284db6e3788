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

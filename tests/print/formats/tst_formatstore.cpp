#include "print/formats/FormatStore.h"

#include "IniTestUtil.h"
#include "core/Errors.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

using namespace IniTest;

namespace {
TFieldFormat Pos(float left, float top, float width, const QString &font = QStringLiteral("Arial"),
                 int size = 10, TFontStyles style = {})
{
    TFieldFormat p;
    p.Left = left;
    p.Top = top;
    p.Width = width;
    p.FontName = font;
    p.FontSize = size;
    p.FontStyle = style;
    return p;
}

QString ConvertErrorOf(const QString &text)
{
    try {
        TextToPosition(text);
    } catch (const EConvertError &e) {
        return e.Message();
    }
    return QStringLiteral("(no error)");
}
} // namespace

class TestFormatStore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString Path(const QString &name = QStringLiteral("Formats.ini")) const
    {
        return m_dir.filePath(name);
    }

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void positionRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<TFieldFormat>("position");
        QTest::newRow("built-in") << "980;225;650;Arial;10;" << Pos(98.0f, 22.5f, 65.0f);
        QTest::newRow("bold, italic")
            << "980;225;650;Arial;10;bold, italic"
            << Pos(98.0f, 22.5f, 65.0f, "Arial", 10, TFontStyle::Bold | TFontStyle::Italic);
        QTest::newRow("negative") << "-15;0;50;Times New Roman;12;underline, strikeout"
                                  << Pos(-1.5f, 0, 5.0f, "Times New Roman", 12,
                                         TFontStyle::Underline | TFontStyle::StrikeOut);
        QTest::newRow("all styles") << "1;2;3;Courier New;8;bold, italic, underline, strikeout"
                                    << Pos(0.1f, 0.2f, 0.3f, "Courier New", 8,
                                           TFontStyle::Bold | TFontStyle::Italic |
                                               TFontStyle::Underline | TFontStyle::StrikeOut);
        QTest::newRow("font with percent")
            << "10;20;30;Font %1 %6;9;" << Pos(1, 2, 3, "Font %1 %6", 9);
    }
    void positionRoundTrip()
    {
        QFETCH(QString, text);
        QFETCH(TFieldFormat, position);
        QCOMPARE(TextToPosition(text), position);
        QCOMPARE(PositionToText(position), text);
    }

    void positionReading()
    {
        // The style is everything after the fifth ';', other words ignored.
        const TFieldFormat p = TextToPosition(QStringLiteral("1;2;3;Arial;10;italic;x;bold"));
        QCOMPARE(p.FontStyle, TFontStyle::Italic | TFontStyle::Bold);
        QCOMPARE(TextToPosition(QStringLiteral("1;2;3;;10;")).FontName, QString());
        QCOMPARE(TextToPosition(QStringLiteral(" 15 ;+20;0;A;10;")).Left, 1.5f);
        QCOMPARE(TextToPosition(QStringLiteral("2147483647;-2147483648;0;A;10;")).Top,
                 -214748364.8f);
    }

    void tenthsRoundFromSinglePrecision()
    {
        // 44.2f is 44.2000007..., so 442; a double of the same digits would
        // not change that, but a float product (441.99997) would.
        QCOMPARE(PositionToText(Pos(44.2f, 93.3f, 30.4f)), QStringLiteral("442;933;304;Arial;10;"));
        // Exact halves go to the even neighbour; 0.35f lies below the half.
        QCOMPARE(PositionToText(Pos(0.25f, 0.75f, -0.25f)), QStringLiteral("2;8;-2;Arial;10;"));
        QCOMPARE(PositionToText(Pos(0.35f, 0.05f, 0)), QStringLiteral("3;1;0;Arial;10;"));
        for (const auto &info : DefaultPositions())
            QCOMPARE(TextToPosition(PositionToText(info.Default)), info.Default);
    }

    void badNumbersThrow_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("offending");
        QTest::newRow("no separator after size") << "980;225;650;Arial;10"
                                                 << "";
        QTest::newRow("two fields only") << "980;225"
                                         << "";
        QTest::newRow("nothing") << ""
                                 << "";
        QTest::newRow("empty top") << "980;;650;Arial;10;"
                                   << "";
        QTest::newRow("letters") << "98a;225;650;Arial;10;"
                                 << "98a";
        QTest::newRow("decimal") << "98.5;225;650;Arial;10;"
                                 << "98.5";
        QTest::newRow("size in words") << "980;225;650;Arial;ten;"
                                       << "ten";
        QTest::newRow("sign alone") << "-;225;650;Arial;10;"
                                    << "-";
        QTest::newRow("blank inside") << "9 8;225;650;Arial;10;"
                                      << "9 8";
        QTest::newRow("just above int") << "2147483648;225;650;Arial;10;"
                                        << "2147483648";
        QTest::newRow("just below int") << "0;-2147483649;650;Arial;10;"
                                        << "-2147483649";
        QTest::newRow("huge") << "0;0;99999999999999999999999;Arial;10;"
                              << "99999999999999999999999";
        QTest::newRow("huge size") << "0;0;0;Arial;4294967306;"
                                   << "4294967306";
        QTest::newRow("hex") << "0x10;0;0;Arial;10;"
                             << "0x10";
    }
    void badNumbersThrow()
    {
        QFETCH(QString, text);
        QFETCH(QString, offending);
        QCOMPARE(ConvertErrorOf(text),
                 QStringLiteral("'%1' is not a valid integer value").arg(offending));
    }

    void pageSizeText()
    {
        QCOMPARE(PageSizeToText(176), QStringLiteral("176"));
        QCOMPARE(PageSizeToText(99.5), QStringLiteral("99.5"));
        QLocale::setDefault(QLocale(QLocale::Bosnian, QLocale::BosniaAndHerzegovina));
        QCOMPARE(PageSizeToText(176), QStringLiteral("176"));
        QCOMPARE(PageSizeToText(99.5), QStringLiteral("99,5"));
        QCOMPARE(PageSizeToText(1234.25), QStringLiteral("1234,25")); // no thousands dot
        QCOMPARE(PageSizeToText(1.0 / 3), QStringLiteral("0,333333333333333"));
        QCOMPARE(TextToPageSize(QStringLiteral("176,5"), 1), 176.5);
        QCOMPARE(TextToPageSize(QStringLiteral(" 99,5 "), 1), 99.5);
        QCOMPARE(TextToPageSize(PageSizeToText(297.1), 1), 297.1);
        QCOMPARE(TextToPageSize(QString(), 100), 100.0);
        QCOMPARE(TextToPageSize(QStringLiteral("široko"), 176), 176.0);
        QCOMPARE(TextToPageSize(QStringLiteral("1.234"), 176), 176.0);
        QCOMPARE(TextToPageSize(QStringLiteral("1e999"), 176), 176.0);
        QCOMPARE(TextToPageSize(QStringLiteral("nan"), 100), 100.0);
    }

    void noFileIsEmptyStore()
    {
        TFormatStore store;
        QVERIFY(store.Open(Path("Nema.ini")));
        QVERIFY(store.FormatNames().isEmpty());
        QCOMPARE(store.DefaultName(), QString());
        QCOMPARE(store.GetDefaultFormat(), TFieldFormats());
        QCOMPARE(store.GetDefaultFormat().Width, 176.0);
        QCOMPARE(store.GetDefaultFormat().Height, 100.0);
        // Nothing changed, nothing written.
        QVERIFY(store.Flush());
        QVERIFY(!QFile::exists(Path("Nema.ini")));
    }

    void readsHandWrittenFile()
    {
        QLocale::setDefault(QLocale(QLocale::Croatian, QLocale::Croatia));
        const QString path = Path("Read.ini");
        QVERIFY(WriteAll(path, "; ru\x9Ano pisano\r\n"
                               "[]\r\n"
                               "Default=standard\r\n"
                               "\r\n"
                               "[Standard]\r\n"
                               "Width = 176,5\r\n"
                               "Height=99,5\r\n"
                               "RacunPosiljaoca=980;225;650;Arial;10;bold, italic\r\n"
                               "hitno=1430;442;50;Arial;12;\r\n"
                               "\r\n"
                               "[Uplatnica \x8A\x8D]\r\n"
                               "Width=ne zna se\r\n"
                               "Iznos=;;\r\n"));
        TFormatStore store;
        QVERIFY(store.Open(path));
        QCOMPARE(store.FormatNames(), QStringList({"Standard", "Uplatnica ŠŤ"}));
        QVERIFY(store.FormatExists("STANDARD"));
        QVERIFY(store.FormatExists("uplatnica šť"));
        QVERIFY(!store.FormatExists(""));
        QCOMPARE(store.DefaultName(), QStringLiteral("standard"));

        TFieldFormats expected;
        expected.Width = 176.5;
        expected.Height = 99.5;
        expected[piRacunPosiljaoca].FontStyle = TFontStyle::Bold | TFontStyle::Italic;
        expected[piHitno].FontSize = 12;
        QCOMPARE(store.GetDefaultFormat(), expected);
        QCOMPARE(store.ReadFormat("STANDARD"), expected);

        // Unreadable Width and missing Height take the defaults; a bad
        // position stops the read with the conversion error.
        try {
            store.ReadFormat(QStringLiteral("Uplatnica ŠŤ"));
            QFAIL("no conversion error");
        } catch (const EConvertError &e) {
            QCOMPARE(e.Message(), QStringLiteral("'' is not a valid integer value"));
        }
    }

    void missingOrUnknownFormat()
    {
        const QString path = Path("Unknown.ini");
        QVERIFY(WriteAll(path, "[]\r\nDefault=Izbrisani\r\n\r\n[Mali]\r\nWidth=x\r\n"
                               "Iznos=100;200;300;Verdana;9;\r\n"));
        TFormatStore store;
        QVERIFY(store.Open(path));
        QCOMPARE(store.GetDefaultFormat(), TFieldFormats());
        QCOMPARE(store.ReadFormat(QString()), TFieldFormats());

        TFieldFormats expected;
        expected[piIznos] = Pos(10, 20, 30, "Verdana", 9);
        QCOMPARE(store.ReadFormat("mali"), expected);

        // Missing keys take the given defaults, rounded to tenths as stored.
        TFieldFormats base;
        base[piHitno] = Pos(1.23f, 4.56f, 7.89f, "Times", 14, TFontStyle::Underline);
        expected[piHitno] = Pos(1.2f, 4.6f, 7.9f, "Times", 14, TFontStyle::Underline);
        QCOMPARE(store.ReadFormat("Mali", base), expected);
    }

    void writeKeepsPlacesAndFlushes()
    {
        QLocale::setDefault(QLocale(QLocale::Bosnian, QLocale::BosniaAndHerzegovina));
        const QString path = Path("Write.ini");
        QVERIFY(WriteAll(path, "[]\r\n"
                               "Default=Standard\r\n"
                               "\r\n"
                               "[Standard]\r\n"
                               "; ru\x9Bno\r\n"
                               "Iznos=890;425;520;Arial;10;\r\n"
                               "Height=100\r\n"
                               "Width=176\r\n"
                               "\r\n"
                               "[Stari]\r\n"
                               "Width=200\r\n"));
        TFormatStore store;
        QVERIFY(store.Open(path));
        QVERIFY(!store.Modified());

        TFieldFormats f = store.ReadFormat("Standard");
        f.Width = 99.5;
        f[piIznos].Left = 44.2f;
        f[piHitno].FontStyle = TFontStyle::Bold;
        QVERIFY(store.WriteFormat("standard", f));
        QVERIFY(!store.WriteFormat(QString(), f));
        store.DeleteFormat("STARI");
        store.DeleteFormat(QString()); // never the "[]" section
        store.SetDefaultName("Novi");
        QVERIFY(store.WriteFormat("Novi", TFieldFormats()));
        QVERIFY(store.Modified());
        QCOMPARE(store.FormatNames(), QStringList({"Standard", "Novi"}));
        QCOMPARE(store.ReadFormat("STANDARD"), f); // at once, without the disk

        QString error;
        QVERIFY2(store.Flush(&error), qPrintable(error));
        QVERIFY(!store.Modified());

        QByteArray expected = "[]\r\n"
                              "Default=Novi\r\n"
                              "\r\n"
                              "[Standard]\r\n"
                              "; ru\x9Bno\r\n"
                              "Iznos=442;425;520;Arial;10;\r\n"
                              "Height=100\r\n"
                              "Width=99,5\r\n";
        QByteArray novi = "\r\n[Novi]\r\nWidth=176\r\nHeight=100\r\n";
        for (int i = 0; i < PositionCount; ++i) {
            const TPositionIndex pi = TPositionIndex(i);
            const QByteArray line = QByteArray(DefaultPositions()[i].Key) + '=' +
                                    PositionToText(f[pi]).toLatin1() + "\r\n";
            if (pi != piIznos)
                expected += line;
            novi += QByteArray(DefaultPositions()[i].Key) + '=' +
                    PositionToText(DefaultPositions()[i].Default).toLatin1() + "\r\n";
        }
        expected += novi;
        QVERIFY(SameLines(ReadAll(path), expected));
        QVERIFY(ReadAll(path).contains("Hitno=1430;442;50;Arial;10;bold\r\n"));

        TFormatStore again;
        QVERIFY(again.Open(path));
        QCOMPARE(again.GetDefaultFormat(), TFieldFormats());
        QCOMPARE(again.ReadFormat("Standard"), f);
    }

    void failedFlushLosesNothing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Formats.ini");
        const QByteArray original = "[]\r\nDefault=A\r\n\r\n[A]\r\nWidth=176\r\n";
        QVERIFY(WriteAll(path, original));
        TFormatStore store;
        QVERIFY(store.Open(path));
        store.SetDefaultName("B");
        if (!MakeUnwritable(dir.path())) {
            MakeWritable(dir.path());
            QSKIP("cannot make a read-only folder here");
        }
        QString error;
        const bool ok = store.Flush(&error);
        MakeWritable(dir.path());
        QVERIFY(!ok);
        // The system's reason (EACCES or EPERM, as the folder was locked).
        QVERIFY2(error.startsWith(QStringLiteral("Unable to write to %1: ").arg(path)) &&
                     !error.endsWith(QLatin1String("Unknown error")) &&
                     error.size() > path.size() + 22,
                 qPrintable(error));
        QCOMPARE(ReadAll(path), original);
        QVERIFY(store.Modified());
        // Once the folder takes files again the change is still there to write.
        QVERIFY(store.Flush(&error));
        QVERIFY(ReadAll(path).startsWith("[]\r\nDefault=B\r\n"));
    }

    void unreadableFileIsNotReplaced()
    {
        // A folder in the file's place: it exists but cannot be read as a file.
        QTemporaryDir dir;
        const QString path = dir.filePath("Formats.ini");
        QVERIFY(QDir().mkdir(path));
        TFormatStore store;
        QString error;
        QVERIFY(!store.Open(path, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(store.FormatNames().isEmpty());
        store.SetDefaultName("X");
        QVERIFY(!store.Flush(&error));
        QCOMPARE(error,
                 QStringLiteral("Unable to write to %1: nije obična datoteka (mapa)").arg(path));
        QVERIFY(QFileInfo(path).isDir());
    }

    void twoStoresOnOneFileKeepEachOthersChanges()
    {
        // Two copies of the program on one folder: each write applies only
        // its own changes to the file as it is then.
        QTemporaryDir dir;
        const QString path = dir.filePath("Formats.ini");
        TFieldFormats x, y;
        x.Width = 200;
        y.Width = 210;
        {
            TFormatStore seed;
            QVERIFY(seed.Open(path));
            seed.WriteFormat("X", x);
            seed.WriteFormat("Y", y);
            seed.SetDefaultName("X");
            QVERIFY(seed.Flush());
        }
        TFormatStore a, b;
        QVERIFY(a.Open(path));
        QVERIFY(b.Open(path));
        TFieldFormats na, nb;
        na.Width = 150;
        nb.Width = 160;
        a.WriteFormat("Nova A", na);
        QVERIFY(a.Flush());
        b.WriteFormat("Nova B", nb);
        QVERIFY(b.Flush());
        // b now holds what a wrote as well.
        QCOMPARE(b.FormatNames(), QStringList({"X", "Y", "Nova A", "Nova B"}));

        // A delete in one copy and an edit in the other both land.
        a.DeleteFormat("x");
        a.SetDefaultName("Y");
        QVERIFY(a.Flush());
        TFieldFormats y2 = y;
        y2.Height = 120;
        b.WriteFormat("Y", y2);
        QVERIFY(b.Flush());

        TFormatStore disk;
        QVERIFY(disk.Open(path));
        QCOMPARE(disk.FormatNames(), QStringList({"Y", "Nova A", "Nova B"}));
        QCOMPARE(disk.ReadFormat("Y").Height, 120.0);
        QCOMPARE(disk.ReadFormat("Nova A").Width, 150.0);
        // b never chose a default, so a's choice stays.
        QCOMPARE(disk.DefaultName(), QStringLiteral("Y"));
        QVERIFY(!QFileInfo::exists(path + ".lock"));
    }

    void reloadKeepsUnwrittenChanges()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Formats.ini");
        TFormatStore a, b;
        QVERIFY(a.Open(path));
        QVERIFY(b.Open(path));
        a.WriteFormat("Od drugog", TFieldFormats());
        QVERIFY(a.Flush());
        TFieldFormats mine;
        mine.Width = 190;
        b.WriteFormat("Moj", mine);
        b.SetDefaultName("Moj");
        QVERIFY(b.Reload());
        QCOMPARE(b.FormatNames(), QStringList({"Od drugog", "Moj"}));
        QCOMPARE(b.DefaultName(), QStringLiteral("Moj"));
        // Still to be written, and written on top of the file.
        QVERIFY(b.Modified());
        QVERIFY(b.Flush());
        TFormatStore disk;
        QVERIFY(disk.Open(path));
        QCOMPARE(disk.FormatNames(), QStringList({"Od drugog", "Moj"}));
        QCOMPARE(disk.ReadFormat("Moj").Width, 190.0);
    }
};

QTEST_GUILESS_MAIN(TestFormatStore)
#include "tst_formatstore.moc"

#include "core/Conversions.h"
#include "core/Settings.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

// Settings, the store seam and the millimetre conversions. Every test points
// the store at a file of its own, never at the user's settings.
class TestSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;
    int m_count = 0;

    void WriteRaw(const QByteArray &text)
    {
        QFile f(m_file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("s%1.conf").arg(++m_count));
        SetSettingsFile(m_file);
        SetInchMm(DefaultInchMm);
    }
    void cleanupTestCase() { SetSettingsFile(QString()); }

    void defaultsWithoutKeyAndAllNineWritten()
    {
        SetInchMm(30.0); // a value from before must not survive
        TSettings s;
        s.DefaultPrinter = QStringLiteral("old");
        s.ThousandSep = true;
        LoadSettings(s);
        QCOMPARE(s, TSettings());
        QVERIFY(s.DefaultPrinter.isEmpty());
        QCOMPARE(InchMm(), 25.4);
        QVERIFY(!QFile::exists(m_file)); // reading creates nothing

        QVERIFY(SaveSettings(s));
        QSettings raw(m_file, QSettings::IniFormat);
        QStringList keys = raw.allKeys();
        keys.sort();
        QCOMPARE(keys, QStringList({"AlignFields", "DefaultPrinter", "ErrOpstina",
                                    "ErrRacunPrimaoca", "ErrVrstaPrihoda", "ErrVrstaUplate", "Inch",
                                    "IznosJednako", "ProvjeraRacuna", "ThousandSep"}));
        QCOMPARE(raw.value("Inch").toString(), QStringLiteral("254"));
        QCOMPARE(raw.value("AlignFields").toString(), QStringLiteral("0"));
        QCOMPARE(raw.value("DefaultPrinter").toString(), QString());
    }

    void roundTrip()
    {
        TSettings s;
        s.DefaultPrinter = QStringLiteral("Štampač, sprat 2 = \"HP\"");
        s.AlignFields = true;
        s.ErrVrstaUplate = true;
        s.ErrOpstina = true;
        s.IznosJednako = true;
        SetInchMm(30.0);
        QVERIFY(SaveSettings(s));
        QCOMPARE(QSettings(m_file, QSettings::IniFormat).value("Inch").toInt(), 300);
        QCOMPARE(QSettings(m_file, QSettings::IniFormat).value("ErrOpstina").toString(),
                 QStringLiteral("1"));

        SetInchMm(DefaultInchMm);
        TSettings back;
        LoadSettings(back);
        QCOMPARE(back, s);
        QCOMPARE(InchMm(), 30.0);

        // Saving again writes every value, also those switched off.
        back.ErrOpstina = false;
        QVERIFY(SaveSettings(back));
        TSettings again;
        LoadSettings(again);
        QCOMPARE(again, back);
    }

    void inchValues_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<double>("inchMm");
        QTest::newRow("300") << QByteArray("Inch=300") << 30.0;
        QTest::newRow("254") << QByteArray("Inch=254") << 25.4;
        QTest::newRow("blanks") << QByteArray("Inch=\" 300 \"") << 30.0;
        QTest::newRow("missing") << QByteArray("Other=1") << 25.4;
        QTest::newRow("text") << QByteArray("Inch=abc") << 25.4;
        QTest::newRow("decimal") << QByteArray("Inch=25.4") << 25.4;
        QTest::newRow("zero") << QByteArray("Inch=0") << 25.4;
        QTest::newRow("negative") << QByteArray("Inch=-300") << 25.4;
        QTest::newRow("too large") << QByteArray("Inch=99999999999") << 25.4;
    }
    void inchValues()
    {
        QFETCH(QByteArray, line);
        QFETCH(double, inchMm);
        WriteRaw("[General]\n" + line + "\nAlignFields=1\n");
        SetInchMm(12.0);
        LoadInch();
        QCOMPARE(InchMm(), inchMm);
        SetInchMm(12.0);
        TSettings s;
        LoadSettings(s);
        QCOMPARE(InchMm(), inchMm);
        QVERIFY(s.AlignFields);
    }

    void boolValues_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("expected");
        QTest::newRow("0") << QByteArray("0") << false;
        QTest::newRow("1") << QByteArray("1") << true;
        QTest::newRow("7") << QByteArray("7") << true;
        QTest::newRow("-1") << QByteArray("-1") << true;
        QTest::newRow("empty") << QByteArray("") << false;
        QTest::newRow("text") << QByteArray("yes") << false;
        QTest::newRow("list") << QByteArray("1, 0") << false;
    }
    void boolValues()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, expected);
        QByteArray text = "[General]\n";
        for (const char *name : {"AlignFields", "ErrRacunPrimaoca", "ErrVrstaUplate",
                                 "ErrVrstaPrihoda", "ErrOpstina", "ThousandSep", "IznosJednako"})
            text += QByteArray(name) + "=" + value + "\n";
        WriteRaw(text);
        TSettings s;
        LoadSettings(s);
        for (bool b : {s.AlignFields, s.ErrRacunPrimaoca, s.ErrVrstaUplate, s.ErrVrstaPrihoda,
                       s.ErrOpstina, s.ThousandSep, s.IznosJednako})
            QCOMPARE(b, expected);
    }

    void printerWithUnquotedComma()
    {
        // Hand-edited files hold a comma without quotes; the store reads a list.
        WriteRaw("[General]\nDefaultPrinter=HP LaserJet, sprat 2\n");
        TSettings s;
        LoadSettings(s);
        QCOMPARE(s.DefaultPrinter, QStringLiteral("HP LaserJet, sprat 2"));
    }

    void settingsIntOfEveryKind()
    {
        QCOMPARE(SettingsInt(QVariant(42)), std::optional<int>(42));
        QCOMPARE(SettingsInt(QVariant(-3)), std::optional<int>(-3));
        QCOMPARE(SettingsInt(QVariant(42u)), std::optional<int>(42));
        QCOMPARE(SettingsInt(QVariant(QStringLiteral(" 17 "))), std::optional<int>(17));
        QCOMPARE(SettingsInt(QVariant(QByteArray("5"))), std::optional<int>(5));
        QCOMPARE(SettingsInt(QVariant(true)), std::optional<int>(1));
        QCOMPARE(SettingsInt(QVariant()), std::nullopt);
        QCOMPARE(SettingsInt(QVariant(QStringLiteral("12a"))), std::nullopt);
        QCOMPARE(SettingsInt(QVariant(QStringLiteral("0x10"))), std::nullopt);
        QCOMPARE(SettingsInt(QVariant(QStringList{"1"})), std::nullopt);
        QCOMPARE(SettingsInt(QVariant(Q_UINT64_C(4294967295))), std::nullopt);
        QCOMPARE(SettingsInt(QVariant(QStringLiteral("3000000000"))), std::nullopt);
        QCOMPARE(SettingsInt(QVariant(1.5)), std::nullopt);
    }

    void storeSeam()
    {
        QCOMPARE(SettingsFile(), m_file);
        QCOMPARE(OpenSettings()->fileName(), m_file);
        QCOMPARE(OpenSettings()->format(), QSettings::IniFormat);

        // Without a file set in the process the environment decides; without
        // either it is the native store of Orvinel/Kordavina (only its name
        // is looked at here).
        const QString envFile = m_dir.filePath(QStringLiteral("env.conf"));
        qputenv("KORDAVINA_SETTINGS", envFile.toLocal8Bit());
        SetSettingsFile(QString());
        QCOMPARE(OpenSettings()->fileName(), envFile);
        qunsetenv("KORDAVINA_SETTINGS");
        const auto native = OpenSettings();
        QCOMPARE(native->format(), QSettings::NativeFormat);
        QCOMPARE(native->organizationName(), QStringLiteral("Orvinel"));
        QCOMPARE(native->applicationName(), QStringLiteral("Kordavina"));
#ifdef Q_OS_WIN
        QCOMPARE(native->fileName().toLower(),
                 QStringLiteral("\\hkey_current_user\\software\\orvinel\\kordavina"));
#else
        QVERIFY2(native->fileName().endsWith(QStringLiteral("/Orvinel/Kordavina.conf")),
                 qPrintable(native->fileName()));
#endif
        SetSettingsFile(m_file);
    }

    void unwritableStoreReportsFailure()
    {
        // A folder that cannot exist: its parent is a file (refused even for root).
        WriteRaw("[General]\n");
        SetSettingsFile(m_file + QStringLiteral("/inner.conf"));
        QVERIFY(!SaveSettings(TSettings()));
    }

    void inchMmRejectsNonsense()
    {
        SetInchMm(30.0);
        QCOMPARE(InchMm(), 30.0);
        SetInchMm(0.0);
        QCOMPARE(InchMm(), 25.4);
        SetInchMm(30.0);
        SetInchMm(std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(InchMm(), 25.4);
        SetInchMm(-30.0);
        QCOMPARE(InchMm(), 25.4);
    }

    void mmToPixelsHalvesToEven_data()
    {
        QTest::addColumn<int>("origin");
        QTest::addColumn<float>("mm");
        QTest::addColumn<int>("pixels");
        // 120 pixels per inch over 30 mm: exactly 4 pixels per millimetre.
        QTest::newRow("2.5 -> 2") << 0 << 0.625f << 2;
        QTest::newRow("3.5 -> 4") << 0 << 0.875f << 4;
        QTest::newRow("4.5 -> 4") << 0 << 1.125f << 4;
        QTest::newRow("-2.5 -> -2") << 0 << -0.625f << -2;
        QTest::newRow("origin added after rounding") << 7 << 0.625f << 9;
        QTest::newRow("2.6 -> 3") << 0 << 0.65f << 3;
        QTest::newRow("whole") << 100 << 10.0f << 140;
    }
    void mmToPixelsHalvesToEven()
    {
        QFETCH(int, origin);
        QFETCH(float, mm);
        QFETCH(int, pixels);
        SetInchMm(30.0);
        QCOMPARE(MmToPixels(origin, mm, 120.0), pixels);
    }

    void inch300DrawsSmaller()
    {
        // A 176 mm wide form at 96 pixels per inch: 665.2 pixels at true size,
        // 563.2 at 30 mm per inch, smaller by 25.4/30.
        SetInchMm(25.4);
        QCOMPARE(MmToPixels(0, 176.0f, 96.0), 665);
        QCOMPARE(MmToPixels(0, 25.4f, 96.0), 96);
        QCOMPARE(PixelsToMm(96, 0, 96.0), 25.4f);
        WriteRaw("[General]\nInch=300\n");
        LoadInch();
        QCOMPARE(MmToPixels(0, 176.0f, 96.0), 563);
        QCOMPARE(MmToPixels(0, 30.0f, 96.0), 96);
        QCOMPARE(PixelsToMm(96, 0, 96.0), 30.0f);
        QCOMPARE(PixelsToMm(52, 12, 120.0), 10.0f);
        QCOMPARE(PixelsToMm(2, 12, 120.0), -2.5f);
    }

    void pixelsToMmInvertsWithinHalfPixel()
    {
        for (double inch : {25.4, 30.0})
            for (double ppi : {72.0, 96.0, 120.0, 144.0}) {
                SetInchMm(inch);
                for (float mm = -20.0f; mm <= 300.0f; mm += 0.37f) {
                    const int px = MmToPixels(13, mm, ppi);
                    const float back = PixelsToMm(px, 13, ppi);
                    QVERIFY(std::fabs(back - mm) <= 0.5 * inch / ppi + 1e-4);
                }
            }
    }

    void nonsenseLengthsStayDefined()
    {
        SetInchMm(25.4);
        QCOMPARE(MmToPixels(5, std::numeric_limits<float>::quiet_NaN(), 96.0), 5);
        QCOMPARE(MmToPixels(5, 1e30f, 96.0), std::numeric_limits<int>::max());
        QCOMPARE(MmToPixels(-5, -1e30f, 96.0), std::numeric_limits<int>::min());
    }

    void screenFallbackWithoutGui()
    {
        // A core program has no screen: the conversions still work at 96.
        QCOMPARE(ScreenPixelsPerInch(), 96.0);
        SetInchMm(25.4);
        QCOMPARE(MmToPixels(10, 25.4f), 106);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"

#include "core/Settings.h"
#include "core/WindowPlacement.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// Which placement values are written, read and applied, and where.
class TestWindowPlacement : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;
    int m_count = 0;

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("p%1.conf").arg(++m_count));
        SetSettingsFile(m_file);
    }
    void cleanupTestCase() { SetSettingsFile(QString()); }

    void keys()
    {
        QCOMPARE(PlacementKey("MainForm"), QStringLiteral("Forms/MainForm"));
        QCOMPARE(ColumnsKey("RacuniForm", "List"), QStringLiteral("Forms/RacuniForm/List"));
    }

    void sizeableWindowRoundTrip()
    {
        QVERIFY(WritePlacement("MainForm", QRect(10, 20, 300, 400), true));
        QSettings raw(m_file, QSettings::IniFormat);
        QCOMPARE(raw.value("Forms/MainForm/Top").toInt(), 20);
        QCOMPARE(raw.value("Forms/MainForm/Left").toInt(), 10);
        QCOMPARE(raw.value("Forms/MainForm/Height").toInt(), 400);
        QCOMPARE(raw.value("Forms/MainForm/Width").toInt(), 300);

        const TPlacement p = ReadPlacement("MainForm", true);
        QCOMPARE(p, (TPlacement{20, 10, 400, 300}));
        QCOMPARE(ApplyPlacement(QRect(0, 0, 50, 60), p), QRect(10, 20, 300, 400));
    }

    void fixedDialogKeepsDesignedSize()
    {
        QVERIFY(WritePlacement("SetupForm", QRect(-5, 700, 320, 200), false));
        QSettings raw(m_file, QSettings::IniFormat);
        raw.beginGroup("Forms/SetupForm");
        QStringList written = raw.childKeys();
        written.sort();
        QCOMPARE(written, QStringList({"Left", "Top"}));
        raw.endGroup();

        // Width and Height left from a time the window was sizeable do not apply.
        raw.setValue("Forms/SetupForm/Width", 999);
        raw.setValue("Forms/SetupForm/Height", 999);
        raw.sync();
        const TPlacement p = ReadPlacement("SetupForm", false);
        QCOMPARE(p, (TPlacement{700, -5, std::nullopt, std::nullopt}));
        QCOMPARE(ApplyPlacement(QRect(1, 2, 250, 150), p), QRect(-5, 700, 250, 150));
    }

    void missingValuesKeepDesigned()
    {
        const QRect designed(100, 50, 640, 480);
        QCOMPARE(ReadPlacement("Nothing", true), TPlacement());
        QCOMPARE(ApplyPlacement(designed, ReadPlacement("Nothing", true)), designed);

        QFile f(m_file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        // Off-screen values stay as they are; text that is no number is missing.
        f.write("[Forms]\nMainForm\\Left=-32000\nMainForm\\Width=\" 800 \"\n"
                "MainForm\\Top=abc\nMainForm\\Height=\n");
        f.close();
        const TPlacement p = ReadPlacement("MainForm", true);
        QCOMPARE(p, (TPlacement{std::nullopt, -32000, std::nullopt, 800}));
        QCOMPARE(ApplyPlacement(designed, p), QRect(-32000, 50, 800, 480));
    }

    void columnWidths()
    {
        QVERIFY(WriteColumnWidths("RacuniForm", "RacuniList", {50, 120, 0}));
        QSettings raw(m_file, QSettings::IniFormat);
        QCOMPARE(raw.value("Forms/RacuniForm/RacuniList/0").toInt(), 50);
        QCOMPARE(raw.value("Forms/RacuniForm/RacuniList/1").toInt(), 120);
        QCOMPARE(raw.value("Forms/RacuniForm/RacuniList/2").toInt(), 0);

        const QList<std::optional<int>> widths = ReadColumnWidths("RacuniForm", "RacuniList", 4);
        QCOMPARE(widths, (QList<std::optional<int>>{50, 120, 0, std::nullopt}));
        QCOMPARE(ReadColumnWidths("RacuniForm", "RacuniList", 1), (QList<std::optional<int>>{50}));
        // Another list of the same window is its own key.
        QCOMPARE(ReadColumnWidths("RacuniForm", "Other", 2),
                 (QList<std::optional<int>>{std::nullopt, std::nullopt}));
    }

    // A window put back where it was left, on a desktop that changed since.
    void fitOnScreens_data()
    {
        QTest::addColumn<QRect>("bounds");
        QTest::addColumn<bool>("sizeable");
        QTest::addColumn<QRect>("fitted");
        // One screen of 1280 x 1024 with a 40-pixel panel at the bottom; the
        // frame adds 4 around and a 30-pixel title bar.
        QTest::newRow("inside stays")
            << QRect(100, 100, 400, 300) << true << QRect(100, 100, 400, 300);
        QTest::newRow("0,0 stays") << QRect(0, 0, 400, 300) << false << QRect(0, 0, 400, 300);
        QTest::newRow("above the top")
            << QRect(70, -10, 640, 200) << true << QRect(70, 0, 640, 200);
        QTest::newRow("off to the right")
            << QRect(1900, 300, 400, 300) << false << QRect(1280 - 408, 300, 400, 300);
        QTest::newRow("under the panel")
            << QRect(100, 900, 400, 300) << false << QRect(100, 984 - 334, 400, 300);
        QTest::newRow("far away") << QRect(-5000, -5000, 400, 300) << false
                                  << QRect(0, 0, 400, 300);
        QTest::newRow("too large, sizeable")
            << QRect(50, 50, 1600, 1200) << true << QRect(0, 0, 1280 - 8, 984 - 34);
        QTest::newRow("too large, fixed")
            << QRect(50, 50, 1600, 1200) << false << QRect(0, 0, 1600, 1200);
    }
    void fitOnScreens()
    {
        QFETCH(QRect, bounds);
        QFETCH(bool, sizeable);
        QFETCH(QRect, fitted);
        const QMargins frame(4, 30, 4, 4);
        QCOMPARE(FitOnScreens(bounds, frame, {QRect(0, 0, 1280, 984)}, sizeable), fitted);
    }

    void fitOnTheScreenItIsOn()
    {
        // Two screens side by side; the second one is shorter and lies lower.
        const QList<QRect> screens{QRect(0, 0, 1280, 1024), QRect(1280, 200, 1024, 768)};
        const QMargins frame(4, 30, 4, 4);
        // Mostly on the second screen: kept on it, pulled up from below.
        QCOMPARE(FitOnScreens(QRect(1500, 900, 300, 200), frame, screens, false),
                 QRect(1500, 968 - 234, 300, 200));
        // Straddling with most of it on the first: moved fully onto the first.
        QCOMPARE(FitOnScreens(QRect(1100, 100, 300, 200), frame, screens, false),
                 QRect(1280 - 308, 100, 300, 200));
        // On neither: the first screen (the primary one).
        QCOMPARE(FitOnScreens(QRect(3000, 3000, 300, 200), frame, screens, false),
                 QRect(1280 - 308, 1024 - 234, 300, 200));
        // No screen known: left alone.
        QCOMPARE(FitOnScreens(QRect(3000, 3000, 300, 200), frame, {}, false),
                 QRect(3000, 3000, 300, 200));
    }
};

QTEST_GUILESS_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"

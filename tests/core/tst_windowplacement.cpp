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
};

QTEST_GUILESS_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"

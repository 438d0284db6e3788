#include "core/Settings.h"
#include "ui/common/Placement.h"

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

// Windows and list views put back where and as large as they were left.
class TestPlacement : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;
    int m_count = 0;

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("w%1.conf").arg(++m_count));
        SetSettingsFile(m_file);
    }
    void cleanupTestCase() { SetSettingsFile(QString()); }

    void sizeableWindowComesBack()
    {
        {
            QWidget w;
            w.setObjectName("MainForm");
            w.move(40, 60);
            w.resize(500, 300);
            w.show();
            QVERIFY(SavePlacement(&w, QString(), true));
        }
        QWidget again;
        again.move(1, 2);
        again.resize(200, 100);
        RestorePlacement(&again, "MainForm", true);
        QCOMPARE(again.pos(), QPoint(40, 60));
        QCOMPARE(again.size(), QSize(500, 300));
    }

    void fixedDialogMovesWithDesignedSize()
    {
        {
            QDialog d;
            d.setFixedSize(250, 120);
            d.move(300, 200);
            d.show();
            QVERIFY(SavePlacement(&d, "UplSetupForm", false));
        }
        QCOMPARE(QSettings(m_file, QSettings::IniFormat).value("Forms/UplSetupForm/Width"),
                 QVariant());
        QDialog again;
        again.setFixedSize(260, 130); // the design changed meanwhile
        again.move(5, 5);
        RestorePlacement(&again, "UplSetupForm", false);
        QCOMPARE(again.pos(), QPoint(300, 200));
        QCOMPARE(again.size(), QSize(260, 130));
    }

    void nothingStoredLeavesWindowAsDesigned()
    {
        QWidget w;
        w.move(11, 22);
        w.resize(333, 222);
        RestorePlacement(&w, "Never", true);
        QCOMPARE(w.pos(), QPoint(11, 22));
        QCOMPARE(w.size(), QSize(333, 222));
    }

    void onlyStoredValuesApply()
    {
        QSettings raw(m_file, QSettings::IniFormat);
        raw.setValue("Forms/PrihodiForm/Width", 640);
        raw.setValue("Forms/PrihodiForm/Top", -10);
        raw.sync();
        QWidget w;
        w.move(70, 80);
        w.resize(300, 200);
        RestorePlacement(&w, "PrihodiForm", true);
        // Above the screen's top is moved down onto it.
        QCOMPARE(w.pos(), QPoint(70, 0));
        QCOMPARE(w.size(), QSize(640, 200));
    }

    void neverShownStoresNothing()
    {
        QSettings raw(m_file, QSettings::IniFormat);
        raw.setValue("Forms/CopyUplForm/Left", 120);
        raw.setValue("Forms/CopyUplForm/Top", 90);
        raw.sync();
        {
            QDialog d; // made, never shown: at 0,0
            QCOMPARE(d.pos(), QPoint(0, 0));
            QVERIFY(SavePlacement(&d, "CopyUplForm", false));
            QDialog fresh;
            QVERIFY(SavePlacement(&fresh, "NeverShown", false));
        }
        QSettings back(m_file, QSettings::IniFormat);
        QCOMPARE(back.value("Forms/CopyUplForm/Left").toInt(), 120);
        QCOMPARE(back.value("Forms/CopyUplForm/Top").toInt(), 90);
        QVERIFY(!back.contains("Forms/NeverShown/Left"));
        QVERIFY(!back.contains("Forms/NeverShown/Top"));
    }

    void restoredOffTheScreenComesBackOnIt()
    {
        // Left on a second screen that is gone now.
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QSettings raw(m_file, QSettings::IniFormat);
        raw.setValue("Forms/RacuniKForm/Left", area.right() + 500);
        raw.setValue("Forms/RacuniKForm/Top", area.bottom() + 300);
        raw.setValue("Forms/RacuniKForm/Width", area.width() + 400);
        raw.setValue("Forms/RacuniKForm/Height", 200);
        raw.sync();
        QWidget w;
        RestorePlacement(&w, "RacuniKForm", true);
        QVERIFY(area.contains(QRect(w.pos(), w.size())));
        QCOMPARE(w.height(), 200);
        QVERIFY(w.width() < area.width());
        // A shown dialog placed off the screen is brought onto it.
        InstallScreenKeeper();
        QDialog d;
        d.setWindowTitle("Nova opština - Kordavina");
        d.setFixedSize(120, 80);
        d.move(area.right() + 50, area.top() + 20);
        d.show();
        QVERIFY(area.contains(QRect(d.pos(), d.size())));
        // ... and wide enough for its title.
        QFont bold = QApplication::font();
        bold.setBold(true);
        QVERIFY(d.width() > QFontMetrics(bold).horizontalAdvance(d.windowTitle()));
    }

    void columnWidthsComeBack()
    {
        {
            QTreeWidget list;
            list.setColumnCount(3);
            list.header()->setStretchLastSection(false);
            list.header()->resizeSection(0, 55);
            list.header()->resizeSection(1, 210);
            list.header()->resizeSection(2, 90);
            QVERIFY(SaveColumnWidths(&list, "RacuniKForm", "List"));
        }
        QSettings raw(m_file, QSettings::IniFormat);
        QCOMPARE(raw.value("Forms/RacuniKForm/List/1").toInt(), 210);
        // A column added since then keeps its width.
        raw.remove("Forms/RacuniKForm/List/2");
        raw.sync();

        QTreeWidget list;
        list.setColumnCount(4);
        list.header()->setStretchLastSection(false);
        const int designed = list.header()->sectionSize(2);
        RestoreColumnWidths(&list, "RacuniKForm", "List");
        QCOMPARE(list.header()->sectionSize(0), 55);
        QCOMPARE(list.header()->sectionSize(1), 210);
        QCOMPARE(list.header()->sectionSize(2), designed);
    }
};

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"

// Every window and every menu of the program, walked for access keys: no
// two captions that share a window or a menu may have the same key, and
// every menu item has one.
#include "core/AppFolder.h"
#include "core/Settings.h"
#include "ui/print/ZorPrintDlgs.h"
#include "ui/print/ZorPrinters.h"
#include "ui/formats/AddEditPositionsFormU.h"
#include "ui/formats/FormatsFormU.h"
#include "ui/formats/PrintCorrectionFormU.h"
#include "ui/help/HelpFormU.h"
#include "ui/main/AccessKeys.h"
#include "ui/common/ConfirmFormU.h"
#include "ui/main/DialogsU.h"
#include "ui/main/MainFormU.h"
#include "ui/common/ProgramData.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <memory>

namespace {

// The captions whose keys the window shares: its menu bar's menus and every
// label with a buddy, button, group box and tab in it, not those of windows
// inside it. Tool-bar buttons repeat a menu item and take no Alt key.
QStringList WindowCaptions(const QWidget *window)
{
    QStringList captions;
    if (const auto *main = qobject_cast<const QMainWindow *>(window); main && main->menuWidget())
        for (const QAction *a : main->menuBar()->actions())
            if (!a->isSeparator())
                captions << a->text();
    for (const QWidget *w : window->findChildren<QWidget *>()) {
        if (w->window() != window)
            continue;
        if (qobject_cast<const QToolBar *>(w->parentWidget()))
            continue;
        if (const auto *l = qobject_cast<const QLabel *>(w)) {
            if (l->buddy())
                captions << l->text();
        } else if (const auto *b = qobject_cast<const QAbstractButton *>(w)) {
            captions << b->text();
        } else if (const auto *g = qobject_cast<const QGroupBox *>(w)) {
            captions << g->title();
        } else if (const auto *t = qobject_cast<const QTabBar *>(w)) {
            // The file tabs of the main window are names, not commands.
            if (t->objectName() != QLatin1String("FileTabs"))
                for (int i = 0; i < t->count(); ++i)
                    captions << t->tabText(i);
        }
    }
    return captions;
}

// Every menu the window can open: its menu bar's, its context and pop-up
// menus, and their submenus.
QList<QMenu *> WindowMenus(QWidget *window)
{
    QList<QMenu *> menus;
    QList<QMenu *> todo = window->findChildren<QMenu *>();
    if (auto *main = qobject_cast<QMainWindow *>(window); main && main->menuWidget())
        for (QAction *a : main->menuBar()->actions())
            if (a->menu())
                todo << a->menu();
    while (!todo.isEmpty()) {
        QMenu *m = todo.takeFirst();
        if (menus.contains(m))
            continue;
        menus << m;
        for (QAction *a : m->actions())
            if (a->menu())
                todo << a->menu();
    }
    return menus;
}

QStringList MenuCaptions(const QMenu *menu)
{
    QStringList captions;
    for (const QAction *a : menu->actions())
        if (!a->isSeparator() && !a->text().isEmpty())
            captions << a->text();
    return captions;
}

QString NameOf(const QWidget *w)
{
    return QStringLiteral("%1 \"%2\"").arg(w->objectName(), w->windowTitle());
}

} // namespace

class TestAccessKeys : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void keyOfACaption();
    void clashesAndMissingKeys();
    void keysGivenWhereMissing();
    void everyWindowAndMenu();

private:
    // Checks one window and its menus; what is wrong goes to m_faults.
    void CheckWindow(QWidget *window);

    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_faults;
    QStringList m_checked;
};

void TestAccessKeys::initTestCase()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("KORDAVINA_HOME", m_dir->path().toUtf8());
    SetSettingsFile(m_dir->filePath(QStringLiteral("settings.ini")));
}

void TestAccessKeys::keyOfACaption()
{
    QCOMPARE(AccessKeyOf(QStringLiteral("&Datoteka")), QChar(u'd'));
    QCOMPARE(AccessKeyOf(QStringLiteral("I&zvoz u CSV...")), QChar(u'z'));
    QCOMPARE(AccessKeyOf(QStringLiteral("Opć&ina")), QChar(u'i'));
    QCOMPARE(AccessKeyOf(QStringLiteral("&Šifra")), QChar(u'š'));
    // "&&" shows an ampersand; the key is the next single one.
    QCOMPARE(AccessKeyOf(QStringLiteral("A && B &sve")), QChar(u's'));
    QVERIFY(AccessKeyOf(QStringLiteral("Pero && Ana")).isNull());
    QVERIFY(AccessKeyOf(QStringLiteral("Kraj")).isNull());
    QVERIFY(AccessKeyOf(QStringLiteral("Kraj&")).isNull());
    QVERIFY(AccessKeyOf(QString()).isNull());
}

void TestAccessKeys::clashesAndMissingKeys()
{
    // The faults a user met: "&Uplatnice" beside the "&Uplatnica" menu, two
    // Z in "Datoteka".
    const QStringList window{QStringLiteral("&Datoteka"), QStringLiteral("&Uplatnica"),
                             QStringLiteral("&Uplatnice"), QStringLiteral("Napomene")};
    const auto clashes = AccessKeyClashes(window);
    QCOMPARE(clashes.size(), 1);
    QCOMPARE(clashes.at(0).Key, QChar(u'u'));
    QCOMPARE(clashes.at(0).Captions,
             (QStringList{QStringLiteral("&Uplatnica"), QStringLiteral("&Uplatnice")}));

    const QStringList menu{QStringLiteral("&Zatvori"), QStringLiteral("I&zvoz u CSV..."),
                           QStringLiteral("&Nova"),    QStringLiteral("&nešto"),
                           QStringLiteral("Kraj"),     QString(),
                           QStringLiteral("&Otvori")};
    const auto menuClashes = AccessKeyClashes(menu);
    QCOMPARE(menuClashes.size(), 2);
    QCOMPARE(menuClashes.at(0).Key, QChar(u'z')); // case does not matter
    QCOMPARE(menuClashes.at(1).Key, QChar(u'n'));
    QCOMPARE(DescribeClashes(menuClashes),
             QStringLiteral("Z: &Zatvori, I&zvoz u CSV...\nN: &Nova, &nešto"));
    QCOMPARE(CaptionsWithoutAccessKey(menu), QStringList{QStringLiteral("Kraj")});
    QVERIFY(AccessKeyClashes({QStringLiteral("&Da"), QStringLiteral("&Ne")}).isEmpty());
}

void TestAccessKeys::keysGivenWhereMissing()
{
    // Word starts first, never a key another item has; existing keys stay.
    const QStringList keyed =
        WithAccessKeys({QStringLiteral("Uvećaj"), QStringLiteral("Umanji"), QStringLiteral("&Kraj"),
                        QString(), QStringLiteral("Po širini"), QStringLiteral("Po visini"),
                        QStringLiteral("K"), QStringLiteral("1:1")});
    QCOMPARE(keyed, (QStringList{QStringLiteral("&Uvećaj"), QStringLiteral("U&manji"),
                                 QStringLiteral("&Kraj"), QString(), QStringLiteral("&Po širini"),
                                 QStringLiteral("Po &visini"), QStringLiteral("K"),
                                 QStringLiteral("&1:1")}));
    QVERIFY(AccessKeyClashes(keyed).isEmpty());
    // "K" had nothing left: it stays without a key rather than clash.
    QCOMPARE(CaptionsWithoutAccessKey(keyed), QStringList{QStringLiteral("K")});
}

void TestAccessKeys::CheckWindow(QWidget *window)
{
    m_checked << window->objectName();
    const QStringList captions = WindowCaptions(window);
    if (const auto clashes = AccessKeyClashes(captions); !clashes.isEmpty())
        m_faults << QStringLiteral("%1:\n%2").arg(NameOf(window), DescribeClashes(clashes));
    for (QMenu *menu : WindowMenus(window)) {
        const QStringList items = MenuCaptions(menu);
        if (const auto clashes = AccessKeyClashes(items); !clashes.isEmpty())
            m_faults << QStringLiteral("menu %1 of %2:\n%3")
                            .arg(menu->objectName(), NameOf(window), DescribeClashes(clashes));
        if (const QStringList missing = CaptionsWithoutAccessKey(items); !missing.isEmpty())
            m_faults << QStringLiteral("menu %1 of %2 without keys: %3")
                            .arg(menu->objectName(), NameOf(window),
                                 missing.join(QStringLiteral(", ")));
    }
}

void TestAccessKeys::everyWindowAndMenu()
{
    TProgramData data;
    LoadProgramData(data);
    TZorPrinter printer;
    TConfirmForm confirm;
    TMainForm::SetCommandLineFile(QString());
    TMainForm main(data);
    main.show();

    // The main window and the windows it keeps: catalogues with their add
    // and change dialogs, options, slip dialogs.
    CheckWindow(&main);
    for (QWidget *w : main.findChildren<QWidget *>())
        if (w->isWindow() && !qobject_cast<QMenu *>(w))
            CheckWindow(w);
    CheckWindow(&confirm);

    // The windows made when they are first needed.
    TFormatsForm formats(data.Formats, data.Settings);
    CheckWindow(&formats);
    for (QWidget *w : formats.findChildren<QWidget *>())
        if (w->isWindow() && !qobject_cast<QMenu *>(w))
            CheckWindow(w);
    TAddEditPositionsForm positions;
    CheckWindow(&positions);
    TPrintCorrectionForm correction(190, 100, QString());
    CheckWindow(&correction);
    CheckWindow(&printer); // the print job is the print preview window
    TZorPrintDlg printDialog;
    CheckWindow(&printDialog);
    THelpForm help;
    CheckWindow(&help);
    TOpenUplDialog open;
    CheckWindow(&open);
    TSaveUplDialog save;
    CheckWindow(&save);

    // The About window lives only while it is shown.
    bool aboutSeen = false;
    QTimer::singleShot(0, this, [this, &aboutSeen] {
        if (QWidget *about = QApplication::activeModalWidget()) {
            aboutSeen = true;
            CheckWindow(about);
            static_cast<QDialog *>(about)->reject();
        }
    });
    main.mnuHelpAbout->trigger();
    QVERIFY(aboutSeen);

    // Enough windows were found to mean something.
    for (const char *name :
         {"MainForm", "OpstineForm", "RacuniKForm", "UplSetupForm", "CopyUplForm", "AboutForm"})
        QVERIFY2(m_checked.contains(QLatin1String(name)), name);
    QVERIFY2(m_faults.isEmpty(), qPrintable(m_faults.join(QStringLiteral("\n\n"))));
}

QTEST_MAIN(TestAccessKeys)
#include "tst_accesskeys.moc"

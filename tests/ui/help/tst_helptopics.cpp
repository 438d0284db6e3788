#include "ui/help/HelpContexts.h"
#include "ui/help/HelpFormU.h"
#include "ui/main/ProgramIcon.h"

#include "DialogTest.h"

#include <QDialog>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

// The help topics shipped as resources under :/help: one per context number a
// window uses, every link pointing at a topic that exists, every topic
// reachable from the contents page.
class TestHelpTopics : public QObject
{
    Q_OBJECT

    QHash<QString, QString> m_pages; // file name under :/help -> its text

    static QStringList Links(const QString &html)
    {
        static const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
        QStringList links;
        for (const auto &m : href.globalMatch(html))
            links << m.captured(1);
        return links;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QDirIterator it(QStringLiteral(":/help"));
        while (it.hasNext()) {
            const QString path = it.next();
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QStringDecoder utf8(QStringDecoder::Utf8);
            const QString text = utf8(f.readAll());
            QVERIFY2(!utf8.hasError(), qPrintable(path + " is not UTF-8"));
            m_pages.insert(it.fileName(), text);
        }
        QVERIFY(m_pages.contains(QStringLiteral("index.html")));
    }

    void everyContextHasItsTopic()
    {
        for (int context : kHelpContexts) {
            const QString name = QStringLiteral("ctx%1.html").arg(context);
            QVERIFY2(m_pages.contains(name), qPrintable(name + " is missing"));
            const QString &page = m_pages[name];
            QVERIFY2(page.contains(QLatin1String("<title>")) &&
                         page.contains(QLatin1String("<h1>")),
                     qPrintable(name));
            // Always a way back to the contents.
            QVERIFY2(Links(page).contains(QStringLiteral("index.html")), qPrintable(name));
        }
        // And no topic is left for a number nothing uses.
        static const QRegularExpression ctx(QStringLiteral("^ctx(\\d+)\\.html$"));
        for (const QString &name : m_pages.keys()) {
            const auto m = ctx.match(name);
            if (m.hasMatch())
                QVERIFY2(std::find(kHelpContexts.begin(), kHelpContexts.end(),
                                   m.captured(1).toInt()) != kHelpContexts.end(),
                         qPrintable(name + " has no context number in HelpContexts.h"));
        }
    }

    void windowsUseListedContexts()
    {
        // Every number a window or control carries has its topic; a number
        // without one would open the contents page instead.
        static const QRegularExpression set(
            QStringLiteral("setProperty\\(\\s*\"helpContext\"\\s*,\\s*(\\w+)\\s*\\)"));
        int found = 0;
        QDirIterator it(QStringLiteral(KORDAVINA_SOURCE_DIR), {QStringLiteral("*.cpp")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.contains(QLatin1String("/build")) || path.contains(QLatin1String("/tests/")))
                continue;
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            for (const auto &m : set.globalMatch(QString::fromUtf8(f.readAll()))) {
                ++found;
                const QString value = m.captured(1);
                bool number = false;
                const int context = value.toInt(&number);
                if (!number)
                    continue; // a named constant of HelpContexts.h
                QVERIFY2(std::find(kHelpContexts.begin(), kHelpContexts.end(), context) !=
                             kHelpContexts.end(),
                         qPrintable(path + ": help context " + value + " has no topic"));
            }
        }
        QVERIFY(found > 0);
    }

    void linksPointAtTopicsThatExist()
    {
        for (auto it = m_pages.cbegin(); it != m_pages.cend(); ++it)
            for (const QString &link : Links(it.value())) {
                // The help works offline, inside the program.
                QVERIFY2(!link.contains(QLatin1Char(':')),
                         qPrintable(it.key() + " links outside: " + link));
                const QString target = link.section(QLatin1Char('#'), 0, 0);
                QVERIFY2(target.isEmpty() || m_pages.contains(target),
                         qPrintable(it.key() + " links to missing " + link));
            }
    }

    void everyTopicIsReachableFromTheContents()
    {
        QSet<QString> seen{QStringLiteral("index.html")};
        QStringList todo{QStringLiteral("index.html")};
        while (!todo.isEmpty())
            for (const QString &link : Links(m_pages.value(todo.takeFirst()))) {
                const QString target = link.section(QLatin1Char('#'), 0, 0);
                if (m_pages.contains(target) && !seen.contains(target)) {
                    seen.insert(target);
                    todo << target;
                }
            }
        for (const QString &name : m_pages.keys())
            QVERIFY2(seen.contains(name), qPrintable(name + " cannot be reached from index.html"));
    }

    void browserShowsEachTopicWithItsTitle()
    {
        // What the help window does: a text browser on the qrc URL.
        QTextBrowser browser;
        for (int context : kHelpContexts) {
            browser.setSource(QUrl(QStringLiteral("qrc:/help/ctx%1.html").arg(context)));
            QVERIFY2(!browser.documentTitle().isEmpty(), qPrintable(QString::number(context)));
            QVERIFY(browser.toPlainText().size() > 200);
        }
        browser.setSource(QUrl(QStringLiteral("qrc:/help/index.html")));
        QCOMPARE(browser.documentTitle(), QStringLiteral("Sadržaj"));
    }

    void helpWindowOpensEachContextAtItsTopic()
    {
        for (int context : kHelpContexts) {
            THelpForm *help = THelpForm::ShowHelp(context);
            QVERIFY(help && help->isVisible());
            // A missing topic would fall back to the contents page.
            QCOMPARE(help->Browser->source().toString(),
                     QStringLiteral("qrc:/help/ctx%1.html").arg(context));
            QVERIFY(!help->Browser->documentTitle().isEmpty());
        }
        // The window follows links between topics: the first link of a
        // topic, reached by keyboard, is the way back to the contents.
        THelpForm *help = THelpForm::ShowHelp(hcUplProc);
        help->Browser->setFocus();
        QTest::keyClick(help->Browser, Qt::Key_Tab);
        QTest::keyClick(help->Browser, Qt::Key_Return);
        QCOMPARE(help->Browser->source().toString(), QStringLiteral("qrc:/help/index.html"));
        QCOMPARE(help->Browser->documentTitle(), QStringLiteral("Sadržaj"));
        // Esc closes it, wherever the focus is inside.
        QTest::keyClick(help->Browser, Qt::Key_Escape);
        QVERIFY(!help->isVisible());
        delete help;
    }

    void f1InAModalDialogOpensItsTopic()
    {
        InstallHelpKey();
        QWidget main;
        main.setProperty("helpContext", int(hcMainForm));
        main.show();
        // An earlier help window, opened from the main window.
        THelpForm *help = THelpForm::ShowHelp(hcMainForm, &main);
        QDialog dialog(&main);
        dialog.setProperty("helpContext", int(hcUplSetup));
        auto *edit = new QLineEdit(&dialog);
        bool checked = false;
        WhenShown(dialog, [&] {
            // The main window's shortcut does not reach into a modal dialog;
            // the key reaches the focused control.
            QTest::keyClick(edit, Qt::Key_F1);
            // The one help window of the run, moved into the dialog.
            QCOMPARE(help->Browser->source().toString(), QStringLiteral("qrc:/help/ctx420.html"));
            // Inside the modal dialog, so not blocked by it: it can be
            // scrolled and its links followed while the dialog is open.
            QCOMPARE(dialog.findChild<THelpForm *>(), help);
            QVERIFY(help->isVisible());
            checked = true;
            dialog.reject();
        });
        dialog.exec();
        QVERIFY(checked);
        // F1 elsewhere without a topic of its own gives the nearest one.
        QTest::keyClick(&main, Qt::Key_F1);
        QVERIFY(help);
        QCOMPARE(help->Browser->source().toString(), QStringLiteral("qrc:/help/ctx10.html"));
        delete help;
    }

    void programIconAndSplashAreOurs()
    {
        // Every size the launcher gets is in the window icon too, drawn for it.
        const QIcon icon = ProgramIcon();
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            QVERIFY2(icon.availableSizes().contains(QSize(size, size)),
                     qPrintable(QString::number(size)));
        const QImage small = icon.pixmap(16, 16).toImage();
        const QImage own(QStringLiteral(":/icons/kordavina-16.png"));
        QCOMPARE(small.convertToFormat(QImage::Format_ARGB32),
                 own.convertToFormat(QImage::Format_ARGB32));
        QCOMPARE(SplashPixmap().size(), QSize(450, 250));
        QVERIFY(!QImage(QStringLiteral(":/icons/splash.png")).isNull());
    }
};

QTEST_MAIN(TestHelpTopics)
#include "tst_helptopics.moc"

// Every key of every window of the program, walked for clashes: a key bound
// twice where both bindings are live at once makes Qt report an ambiguous
// shortcut and do nothing at all. Windows made on demand are walked while
// they are open; add new ones to walkEveryWindow.
#include "ui/common/DialogSeams.h"
#include "core/Settings.h"
#include "ui/print/ZorPrinters.h"
#include "ui/main/MainFormU.h"
#include "ui/common/ProgramData.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <QSet>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// One key bound in a window. Scope is the widget a widget-only binding is
// live in, nullptr for a binding live in the whole window.
struct TBinding
{
    QKeySequence Key;
    QString Owner;
    const QWidget *Scope = nullptr;
};

QString NameOf(const QObject *o)
{
    return o->objectName().isEmpty() ? QString::fromLatin1(o->metaObject()->className())
                                     : o->objectName();
}

// The widgets an action's keys are live in: those it was added to, a menu
// standing for wherever the menu itself is shown from.
void LiveWidgets(const QAction *action, QList<const QWidget *> &widgets, int depth = 0)
{
    for (const QObject *o : action->associatedObjects()) {
        if (const auto *menu = qobject_cast<const QMenu *>(o)) {
            if (depth < 8)
                LiveWidgets(menu->menuAction(), widgets, depth + 1);
        } else if (const auto *w = qobject_cast<const QWidget *>(o)) {
            widgets.append(w);
        }
    }
}

bool Clash(const TBinding &a, const TBinding &b)
{
    return a.Key == b.Key && (!a.Scope || !b.Scope || a.Scope == b.Scope);
}

// Every clash among the live actions and shortcuts, one line each; also an
// action or shortcut carrying one key twice.
QStringList ShortcutClashes()
{
    QHash<const QWidget *, QList<TBinding>> byWindow;
    const auto bind = [&](const QList<QKeySequence> &keys, const QString &owner,
                          Qt::ShortcutContext context, const QList<const QWidget *> &widgets,
                          QStringList &clashes) {
        QList<QKeySequence> seen;
        for (const QKeySequence &key : keys) {
            if (key.isEmpty())
                continue;
            if (seen.contains(key))
                clashes << QStringLiteral("%1 carries %2 twice").arg(owner, key.toString());
            else
                seen.append(key);
        }
        QSet<const QWidget *> windows;
        for (const QWidget *w : widgets) {
            const bool widgetOnly =
                context == Qt::WidgetShortcut || context == Qt::WidgetWithChildrenShortcut;
            const QWidget *window = w->window();
            // Added to the window and to its tool bar: still one binding.
            if (!widgetOnly && windows.contains(window))
                continue;
            windows.insert(window);
            for (const QKeySequence &key : seen)
                byWindow[window].append({key, owner, widgetOnly ? w : nullptr});
        }
    };

    QStringList clashes;
    QSet<const QAction *> actions;
    QSet<const QShortcut *> shortcuts;
    for (const QWidget *w : QApplication::allWidgets()) {
        for (const QAction *a : w->actions())
            actions.insert(a);
        for (const QShortcut *s : w->findChildren<QShortcut *>(Qt::FindDirectChildrenOnly))
            shortcuts.insert(s);
    }
    for (const QAction *a : actions) {
        QList<const QWidget *> widgets;
        LiveWidgets(a, widgets);
        bind(a->shortcuts(), NameOf(a) + QLatin1Char('/') + a->text(), a->shortcutContext(),
             widgets, clashes);
    }
    for (const QShortcut *s : shortcuts)
        if (const auto *parent = qobject_cast<const QWidget *>(s->parent()))
            bind(s->keys(), NameOf(s), s->context(), {parent}, clashes);

    for (auto it = byWindow.cbegin(); it != byWindow.cend(); ++it) {
        const QList<TBinding> &b = it.value();
        for (qsizetype i = 0; i < b.size(); ++i)
            for (qsizetype j = i + 1; j < b.size(); ++j)
                if (Clash(b[i], b[j]))
                    clashes << QStringLiteral("%1: %2 bound to %3 and %4")
                                   .arg(NameOf(it.key()), b[i].Key.toString(), b[i].Owner,
                                        b[j].Owner);
    }
    clashes.removeDuplicates();
    return clashes;
}

} // namespace

class TestShortcuts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void walkerFindsAClash();
    void walkEveryWindow();

private:
    // Runs command, which opens a modal window, walks every window while it
    // is open and closes it; the window's name goes into walked.
    void WalkWhileOpen(const std::function<void()> &command);

    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_clashes;
    QStringList m_walked;
};

void TestShortcuts::initTestCase()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("KORDAVINA_HOME", m_dir->path().toUtf8());
    SetSettingsFile(m_dir->filePath(QStringLiteral("settings.ini")));
}

void TestShortcuts::walkerFindsAClash()
{
    // The walk itself: the format editor's old redo (Ctrl+Shift+Z and the
    // platform's redo key, the same key on X11) and two window-wide actions
    // on one key are found; a key on two widget-only actions is not.
    QWidget window;
    window.setObjectName(QStringLiteral("Probe"));
    auto *redo = new QAction(QStringLiteral("Ponovi"), &window);
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    window.addAction(redo);
    QVERIFY(ShortcutClashes().join(u'\n').contains(QStringLiteral("twice")));
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    QVERIFY(ShortcutClashes().isEmpty());

    QWidget left(&window), right(&window);
    for (QWidget *w : {&left, &right}) {
        auto *a = new QAction(QStringLiteral("Poništi"), w);
        a->setObjectName(w == &left ? QStringLiteral("left") : QStringLiteral("right"));
        a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
        a->setShortcutContext(Qt::WidgetShortcut);
        w->addAction(a);
    }
    QVERIFY(ShortcutClashes().isEmpty());
    auto *shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), &window);
    QCOMPARE(ShortcutClashes().size(), 2); // clashes with both widget actions
    delete shortcut;
    QVERIFY(ShortcutClashes().isEmpty());
}

void TestShortcuts::WalkWhileOpen(const std::function<void()> &command)
{
    QPointer<QTimer> timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, timer] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        m_walked << NameOf(modal);
        m_clashes << ShortcutClashes();
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    });
    timer->start(10);
    command();
    if (timer)
        delete timer; // the command opened no window
}

void TestShortcuts::walkEveryWindow()
{
    TProgramData data;
    LoadProgramData(data);
    TZorPrinter printer;
    TMainForm::SetCommandLineFile(QString());
    TMainForm w(data);
    MessageBoxSeam().AnswerAll(QMessageBox::Ok);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    // The main window with the windows it keeps for the run: the catalogue
    // windows and their add/change dialogs, options, copy, properties and
    // multiple entry.
    m_clashes << ShortcutClashes();
    QVERIFY(w.OpstineForm && w.RacuniKForm && w.SetupForm && w.UplSetupForm);

    // Windows made on demand, walked while they are open.
    WalkWhileOpen([&] { w.SetFormatsAExecute(); });
    QVERIFY(w.FormatsForm);
    WalkWhileOpen([&] { w.FilePreviewAExecute(); });
    WalkWhileOpen([&] {
        TZorPrintOptions options;
        w.Printer().ExecutePrintDlg(options);
    });
    WalkWhileOpen([&] { w.mnuHelpAboutClick(); });
    w.mnuHelpHelpClick(); // the help window stays open by itself
    m_clashes << ShortcutClashes();

    QCOMPARE(m_walked.size(), 4);
    m_clashes.removeDuplicates();
    if (!m_clashes.isEmpty())
        QFAIL(qPrintable(m_clashes.join(u'\n')));
}

QTEST_MAIN(TestShortcuts)
#include "tst_shortcuts.moc"

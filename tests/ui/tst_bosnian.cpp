// Every window in Bosnian: each window's captions, buttons, labels, lists,
// column headings, menus, actions and tool tips walked against a short list
// of English words. Add a window to Windows() when one is added to the
// program.

#include "ui/catalogues/RacunKAddEditFormU.h"
#include "core/Settings.h"
#include "ui/print/ZorPrintDlgs.h"
#include "ui/print/ZorPrinters.h"
#include "ui/formats/AddEditPositionsFormU.h"
#include "ui/formats/FormatsFormU.h"
#include "ui/formats/PrintCorrectionFormU.h"
#include "ui/help/HelpFormU.h"
#include "ui/common/ConfirmFormU.h"
#include "ui/main/DialogsU.h"
#include "ui/main/MainFormU.h"
#include "ui/common/ProgramData.h"
#include "ui/main/Translations.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrintDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// English words that have no place in a Bosnian window, matched as whole
// words with their letter case (so "Po širini" and "list" pass).
const QStringList &EnglishWords()
{
    static const QStringList words{
        "Page",     "Pages",     "of",       "Print",     "Printer",   "ZorPrinter", "Zoom",
        "Colate",   "Collate",   "Copies",   "Options",   "Reverse",   "All",        "Width",
        "Height",   "Actual",    "Cancel",   "OK",        "Yes",       "Open",       "Save",
        "Close",    "File",      "Edit",     "View",      "Help",      "Settings",   "Properties",
        "Delete",   "Apply",     "Name",     "Size",      "Type",      "Date",       "Modified",
        "unknown",  "Unknown",   "Folder",   "Look",      "Back",      "Forward",    "Detail",
        "Preview",  "Style",     "Effects",  "Sample",    "Underline", "Strikeout",  "Writing",
        "selected", "installed", "Selected", "Installed", "Choose",    "Select"};
    return words;
}

// The English words of a text (access-key markers dropped).
QStringList EnglishIn(QString text)
{
    text.remove(QLatin1Char('&'));
    static const QRegularExpression word(QStringLiteral("[\\p{L}]+"));
    QStringList found;
    for (auto it = word.globalMatch(text); it.hasNext();) {
        const QString w = it.next().captured();
        if (EnglishWords().contains(w))
            found << w;
    }
    return found;
}

void Note(QStringList &bad, const QString &where, const QString &text)
{
    if (const QStringList words = EnglishIn(text); !words.isEmpty())
        bad << QStringLiteral("%1: \"%2\" (%3)").arg(where, text, words.join(", "));
}

QString Where(const QObject *o)
{
    QString path = o->objectName().isEmpty() ? QString::fromLatin1(o->metaObject()->className())
                                             : o->objectName();
    for (const QObject *p = o->parent(); p; p = p->parent())
        if (!p->objectName().isEmpty()) {
            path = p->objectName() + '/' + path;
            break;
        }
    return path;
}

void WalkActions(QStringList &bad, const QString &where, const QList<QAction *> &actions)
{
    for (QAction *a : actions) {
        const QString at = where + '/' + (a->objectName().isEmpty() ? a->text() : a->objectName());
        Note(bad, at, a->text());
        Note(bad, at + "[tip]", a->toolTip());
        Note(bad, at + "[status]", a->statusTip());
        if (QMenu *m = a->menu()) {
            Note(bad, at + "[menu]", m->title());
            WalkActions(bad, at, m->actions());
        }
    }
}

// Every text a user can meet in window and the windows it owns.
QStringList EnglishTexts(QWidget *window)
{
    QStringList bad;
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *w : widgets) {
        const QString at = Where(w);
        if (w->isWindow())
            Note(bad, at + "[title]", w->windowTitle());
        Note(bad, at + "[tip]", w->toolTip());
        Note(bad, at + "[accessible]", w->accessibleName());
        WalkActions(bad, at, w->actions());
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            Note(bad, at, b->text());
        else if (auto *l = qobject_cast<QLabel *>(w))
            Note(bad, at, l->text());
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            Note(bad, at, g->title());
        else if (auto *e = qobject_cast<QLineEdit *>(w))
            Note(bad, at + "[placeholder]", e->placeholderText());
        else if (auto *c = qobject_cast<QComboBox *>(w)) {
            for (int i = 0; i < c->count(); ++i)
                Note(bad, at + "[item]", c->itemText(i));
        } else if (auto *t = qobject_cast<QTabBar *>(w)) {
            for (int i = 0; i < t->count(); ++i)
                Note(bad, at + "[tab]", t->tabText(i));
        } else if (auto *h = qobject_cast<QHeaderView *>(w)) {
            if (QAbstractItemModel *m = h->model())
                for (int i = 0; i < h->count(); ++i)
                    Note(bad, at + "[column]",
                         m->headerData(i, h->orientation(), Qt::DisplayRole).toString());
        } else if (auto *m = qobject_cast<QMenu *>(w)) {
            Note(bad, at + "[menu]", m->title());
        }
    }
    bad.removeDuplicates();
    return bad;
}

// The print job object with its preview window's controls made.
class TPreviewWindow : public TZorPrinter
{
public:
    using TZorPrinter::EnsureControls;
};

// The windows that are not kept by the main window, each made as the program
// makes it.
const QList<std::pair<QString, std::function<QWidget *()>>> &Windows()
{
    static const QList<std::pair<QString, std::function<QWidget *()>>> windows{
        {"preview",
         [] {
             auto *p = new TPreviewWindow;
             p->EnsureControls();
             return p;
         }},
        {"print dialog", [] { return new TZorPrintDlg; }},
        {"help", [] { return new THelpForm; }},
        {"open dialog", [] { return new TOpenUplDialog(nullptr); }},
        {"save dialog", [] { return new TSaveUplDialog; }},
        {"confirm", [] { return new TConfirmForm; }},
        {"new format", [] { return new TAddEditPositionsForm; }},
        {"print correction",
         [] { return new TPrintCorrectionForm(176, 100, QStringLiteral("Laser")); }},
        {"sender", [] { return new TRacunKAddEditForm; }},
        {"font dialog", [] { return new QFontDialog; }},
    };
    return windows;
}

} // namespace

class TestBosnian : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TProgramData> m_data;

    // Runs check on the modal window the next command opens, then closes it.
    static void OnModal(std::function<void(QWidget *)> check)
    {
        QTimer::singleShot(0, [check] {
            QWidget *modal = QApplication::activeModalWidget();
            QVERIFY(modal);
            check(modal);
            if (auto *d = qobject_cast<QDialog *>(modal))
                d->reject();
            else
                modal->close();
        });
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("KORDAVINA_HOME", m_dir->path().toUtf8());
        SetSettingsFile(m_dir->filePath("settings.ini"));
        m_data = std::make_unique<TProgramData>();
        LoadProgramData(*m_data);
    }

    void theWordListFindsEnglish()
    {
        QCOMPARE(EnglishIn("Page 1 of 3"), QStringList({"Page", "of"}));
        QCOMPARE(EnglishIn("&Colate"), QStringList{"Colate"});
        QCOMPARE(EnglishIn("Stranica 1 od 3"), QStringList());
        QCOMPARE(EnglishIn("Po širini, list papira"), QStringList());
    }

    // The main window with every window it makes and keeps: catalogue
    // windows, options, slip dialogs, the format editor.
    void mainWindowAndItsWindows()
    {
        TMainForm w(*m_data);
        w.InitFormatEditor();
        QStringList bad = EnglishTexts(&w);
        QVERIFY2(bad.isEmpty(), qPrintable(bad.join('\n')));
    }

    // Windows made on demand; Windows() names them.
    void windowsOfTheirOwn_data()
    {
        QTest::addColumn<QString>("name");
        for (const auto &[name, make] : Windows())
            QTest::newRow(qPrintable(name)) << name;
    }
    void windowsOfTheirOwn()
    {
        QFETCH(QString, name);
        for (const auto &[n, make] : Windows())
            if (n == name) {
                std::unique_ptr<QWidget> window(make());
                const QStringList bad = EnglishTexts(window.get());
                QVERIFY2(bad.isEmpty(), qPrintable(bad.join('\n')));
            }
    }

    // Slip files are "Uplatnice" in the file list's type column.
    void openDialogNamesSlipFiles()
    {
        QFile slip(m_dir->filePath("maj.upl"));
        QVERIFY(slip.open(QIODevice::WriteOnly));
        slip.close();
        TOpenUplDialog dialog(nullptr);
        dialog.setDirectory(m_dir->path());
        auto *model = dialog.findChild<QFileSystemModel *>();
        QVERIFY(model);
        const QModelIndex index = model->index(slip.fileName());
        QVERIFY(index.isValid());
        QTRY_COMPARE(model->type(index), SlipFileTypeName());
        QTRY_COMPARE(model->index(index.row(), 2, index.parent()).data().toString(),
                     QStringLiteral("Uplatnice"));
    }

    // "Podešavanje štampača" prints nothing: its button does not say so.
    void printerSetupButton()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows shows its own printer dialog, in the system's language");
#endif
        TMainForm w(*m_data);
        QString okText;
        QStringList bad;
        OnModal([&](QWidget *modal) {
            QVERIFY(qobject_cast<QPrintDialog *>(modal));
            // The button is renamed once the dialog runs.
            for (int i = 0; i < 100 && okText != QStringLiteral("U &redu"); ++i) {
                QTest::qWait(10);
                for (QDialogButtonBox *box : modal->findChildren<QDialogButtonBox *>())
                    if (QPushButton *ok = box->button(QDialogButtonBox::Ok))
                        okText = ok->text();
            }
            bad = EnglishTexts(modal);
            // The printer's model and place are the system's data, not captions.
            bad.removeIf([](const QString &line) {
                return line.startsWith(QLatin1String("printerGroup/type:")) ||
                       line.startsWith(QLatin1String("printerGroup/location:"));
            });
        });
        w.FilePrinterSetupA->trigger();
        QCOMPARE(okText, QStringLiteral("U &redu"));
        QVERIFY2(bad.isEmpty(), qPrintable(bad.join('\n')));
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // As the program starts: Qt's own texts in the user's language.
    if (!InstallTranslations(app))
        qWarning("no Qt translation installed (qt6-translations-l10n): Qt's texts stay English");
    TestBosnian test;
    QTest::setMainSourcePath(__FILE__);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_bosnian.moc"

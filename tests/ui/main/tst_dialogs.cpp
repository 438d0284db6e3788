#include "SlipFileBytes.h"
#include "ui/main/DialogsU.h"
#include "ui/main/Translations.h"
#include "ui/main/UplPreview.h"

#include "DialogTest.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// Presses the dialog's Open or Save button.
void PressAccept(QFileDialog &dialog)
{
    auto *buttons = dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    QVERIFY(buttons);
    QPushButton *button =
        buttons->button(dialog.acceptMode() == QFileDialog::AcceptOpen ? QDialogButtonBox::Open
                                                                       : QDialogButtonBox::Save);
    QTRY_VERIFY(button && button->isEnabled());
    button->click();
}

QStringList ListTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_three, m_other, m_caps, m_bad, m_folder;
    const QString m_notes = QStringLiteral("Režije za stan\r\nplaća se do 15.");
    const QStringList m_slips = {QStringLiteral("Struja"), QStringLiteral("Voda i kanalizacija"),
                                 QStringLiteral("Telefon (fiksni)")};

    QString Path(const QString &name) const { return QDir(m_dir.path()).filePath(name); }

    // A slip file name that exists but cannot be opened for reading. Root reads
    // any file whatever its mode, so there it names a write-only kernel switch.
    static bool MakeUnreadable(const QString &path)
    {
#ifdef Q_OS_UNIX
        if (::geteuid() != 0) {
            return TestSlipFile::Write(path, TestSlipFile::Build({}, {})) &&
                   QFile::setPermissions(path, QFileDevice::WriteOwner);
        }
        for (const char *target : {"/sys/bus/pci/rescan", "/sys/class/zram-control/hot_remove"}) {
            QFile probe(QString::fromLatin1(target));
            if (QFileInfo(probe).isFile() && !probe.open(QIODevice::ReadOnly))
                return QFile::link(probe.fileName(), path);
        }
#else
        Q_UNUSED(path);
#endif
        return false;
    }

    // Makes path the current entry of the dialog's file list, as a click would.
    static void SelectInView(QFileDialog &dialog, const QString &path)
    {
        auto *model = dialog.findChild<QFileSystemModel *>();
        auto *view = dialog.findChild<QListView *>(QStringLiteral("listView"));
        QVERIFY(model && view);
        const QString folder = QFileInfo(path).absolutePath();
        if (QDir(dialog.directory()).absolutePath() != folder) {
            QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
            dialog.setDirectory(folder);
            if (!model->index(path).isValid())
                QVERIFY(loaded.wait(5000));
        }
        QModelIndex index;
        QTRY_VERIFY_WITH_TIMEOUT((index = model->index(path)).isValid(), 5000);
        QSignalSpy current(&dialog, &QFileDialog::currentChanged);
        view->setCurrentIndex(index);
        QCOMPARE(current.count(), 1);
        QCOMPARE(current.first().first().toString(), path);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_three = Path(QStringLiteral("Rezije.upl"));
        m_other = Path(QStringLiteral("Jedna.upl"));
        m_caps = Path(QStringLiteral("VELIKA.UPL"));
        m_bad = Path(QStringLiteral("Losa.upl"));
        m_folder = Path(QStringLiteral("Arhiva.upl"));
        QVERIFY(TestSlipFile::Write(m_three, TestSlipFile::Build(m_notes, m_slips)));
        QVERIFY(TestSlipFile::Write(
            m_other, TestSlipFile::Build(QStringLiteral("x"), {QStringLiteral("A")})));
        QVERIFY(TestSlipFile::Write(m_caps, TestSlipFile::Build(m_notes, m_slips)));
        // Same layout, header in another letter case.
        QVERIFY(TestSlipFile::Write(
            m_bad, TestSlipFile::Build(m_notes, m_slips, QStringLiteral("kordavina 3.3.2"))));
        QVERIFY(QDir().mkdir(m_folder));
    }

    void settings()
    {
        TOpenUplDialog open;
        TSaveUplDialog save;
        QCOMPARE(open.windowTitle(), QStringLiteral("Otvaranje"));
        QCOMPARE(save.windowTitle(), QStringLiteral("Snimanje"));
        for (QFileDialog *d :
             {static_cast<QFileDialog *>(&open), static_cast<QFileDialog *>(&save)}) {
            QCOMPARE(d->nameFilters(), QStringList{QStringLiteral("Kordavina (*.upl)")});
            QCOMPARE(d->defaultSuffix(), QStringLiteral("upl"));
            QVERIFY(d->testOption(QFileDialog::DontUseNativeDialog));
            QVERIFY(!d->testOption(QFileDialog::DontConfirmOverwrite));
        }
        QCOMPARE(open.fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(open.acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(save.acceptMode(), QFileDialog::AcceptSave);
        QVERIFY(open.FileName().isEmpty());
        QCOMPARE(open.MyPanel->objectName(), QStringLiteral("MyPanel"));
        QVERIFY(!open.Memo->isEnabled());
    }

    // The open and the save dialog preview the same way.
    void previewFollowsSelection_data()
    {
        QTest::addColumn<bool>("saving");
        QTest::newRow("open") << false;
        QTest::newRow("save") << true;
    }
    void previewFollowsSelection()
    {
        QFETCH(bool, saving);
        std::unique_ptr<TOpenUplDialog> d(saving ? new TSaveUplDialog : new TOpenUplDialog);

        SelectInView(*d, m_three);
        QCOMPARE(ListTexts(d->List), m_slips);
        QCOMPARE(d->Memo->toPlainText(), QStringLiteral("Režije za stan\nplaća se do 15."));

        SelectInView(*d, m_folder);
        QCOMPARE(d->List->count(), 0);
        QVERIFY(d->Memo->toPlainText().isEmpty());

        // Going into another folder leaves nothing selected.
        SelectInView(*d, m_three);
        QCOMPARE(d->List->count(), 3);
        d->setDirectory(m_folder);
        QCOMPARE(d->List->count(), 0);
        QVERIFY(d->Memo->toPlainText().isEmpty());

        SelectInView(*d, m_other);
        QCOMPARE(ListTexts(d->List), QStringList{QStringLiteral("A")});

        // The name filter lets "VELIKA.UPL" through, but only ".upl" is read.
        SelectInView(*d, m_caps);
        QCOMPARE(d->List->count(), 0);
        QVERIFY(d->Memo->toPlainText().isEmpty());
        QVERIFY(d->Status->isHidden());
    }

    // A .upl file that is not a slip file is named so in the panel: no box
    // stops the user at each file the selection passes over. A folder, a
    // missing name or a good file clear it.
    void refusedFileIsNamedInThePanel()
    {
        TOpenUplDialog d;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        SelectInView(d, m_three);
        QCOMPARE(d.List->count(), 3);
        QVERIFY(d.Status->isHidden());

        SelectInView(d, m_bad);
        QCOMPARE(d.Status->text(), TOpenUplDialog::NotASlipFileText());
        QVERIFY(d.Status->isVisible());
        QCOMPARE(QApplication::activeModalWidget(), nullptr); // no message box
        QCOMPARE(d.List->count(), 0);
        QVERIFY(d.Memo->toPlainText().isEmpty());

        SelectInView(d, m_folder);
        QVERIFY(d.Status->isHidden());
        QVERIFY(d.Status->text().isEmpty());

        SelectInView(d, m_bad);
        QVERIFY(d.Status->isVisible());
        d.DoSelectionChange(Path(QStringLiteral("Nema.upl")));
        QVERIFY(d.Status->isHidden());

        SelectInView(d, m_three);
        QVERIFY(d.Status->isHidden());
        QCOMPARE(d.List->count(), 3);
    }

    void unreadableFileIsNamedInThePanel()
    {
        const QString path = Path(QStringLiteral("Zakljucana.upl"));
        if (!MakeUnreadable(path))
            QSKIP("no way to make a file unreadable here");
        TOpenUplDialog d;
        SelectInView(d, m_three);
        SelectInView(d, path);
        QVERIFY(!d.Status->isHidden());
        QVERIFY(d.Status->text().startsWith(QStringLiteral("Datoteka se ne može pročitati.")));
        QVERIFY(d.Status->text() != TOpenUplDialog::NotASlipFileText());
        QCOMPARE(d.List->count(), 0);
        QVERIFY(d.Memo->toPlainText().isEmpty());
    }

    void previewCandidates()
    {
        QVERIFY(IsUplPreviewCandidate(m_three));
        QVERIFY(!IsUplPreviewCandidate(m_caps));
        QVERIFY(!IsUplPreviewCandidate(m_folder));
        QVERIFY(!IsUplPreviewCandidate(Path(QStringLiteral("Nema.upl"))));
        QVERIFY(!IsUplPreviewCandidate(QString()));
        const QString copy = Path(QStringLiteral("Rezije.upl.bak"));
        QVERIFY(QFile::copy(m_three, copy));
        QVERIFY(!IsUplPreviewCandidate(copy));
        QCOMPARE(LoadUplPreview(copy).Kind, TUplPreview::TKind::Empty);
    }

    void panelFollowsResize()
    {
        TOpenUplDialog d;
        d.resize(900, 500);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QCOMPARE(d.MyPanel->height(), d.height() - TOpenUplDialog::PanelBottomGap);
        QVERIFY(d.MyPanel->isVisible());

        // The dialog's own controls stay left of the panel.
        auto *buttons = d.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        QVERIFY(buttons);
        QVERIFY(buttons->geometry().right() < d.MyPanel->geometry().left());
        QCOMPARE(d.MyPanel->geometry().right(), d.width() - 1);

        const int listHeight = d.List->height();
        for (const QSize &size : {QSize(1000, 700), QSize(950, 420), QSize(900, 500)}) {
            d.resize(size);
            QTRY_COMPARE(d.height(), size.height());
            QCOMPARE(d.MyPanel->height(), size.height() - TOpenUplDialog::PanelBottomGap);
            // The slip list takes up the change.
            QTRY_COMPARE(d.List->height(), listHeight + size.height() - 500);
        }
    }

    void executeRemembersFileName()
    {
        TOpenUplDialog d;
        d.setDirectory(m_dir.path());

        // Accept a file the first time.
        QTimer::singleShot(0, &d, [&] {
            d.selectFile(m_three);
            PressAccept(d);
        });
        QVERIFY(d.Execute());
        QCOMPARE(d.FileName(), m_three);

        // The next use starts at it, its preview already shown; cancelling keeps it.
        QStringList atStart;
        QString notesAtStart;
        int tilesAtStart = -1;
        WhenShown(d, [&] {
            atStart = d.selectedFiles();
            notesAtStart = d.Memo->toPlainText();
            tilesAtStart = d.List->count();
            d.reject();
        });
        QVERIFY(!d.Execute());
        QCOMPARE(atStart, QStringList{m_three});
        QCOMPARE(notesAtStart,
                 QString(m_notes).replace(QLatin1String("\r\n"), QLatin1String("\n")));
        QCOMPARE(tilesAtStart, int(m_slips.size()));
        QCOMPARE(d.FileName(), m_three);
    }

    void saveAddsExtension()
    {
        TSaveUplDialog d;
        d.setDirectory(m_dir.path());
        WhenShown(d, [&] {
            auto *edit = d.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(edit);
            edit->setText(QStringLiteral("Novi"));
            PressAccept(d);
        });
        QVERIFY(d.Execute());
        QCOMPARE(d.FileName(), Path(QStringLiteral("Novi.upl")));
    }

    void openRefusesMissingFile()
    {
        TOpenUplDialog d;
        d.setDirectory(m_dir.path());
        bool stillOpen = false;
        WhenShown(d, [&] {
            auto *edit = d.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(edit);
            edit->setText(QStringLiteral("Nema"));
            auto *buttons = d.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
            QVERIFY(buttons);
            // Qt disables the accept button for a name that does not exist.
            stillOpen = !buttons->button(QDialogButtonBox::Open)->isEnabled();
            d.reject();
        });
        QVERIFY(!d.Execute());
        QVERIFY(stillOpen);
    }

    void qtTextsTranslated()
    {
        if (FindQtTranslation().isEmpty())
            QSKIP("Qt's translations are not installed (qt6-translations-l10n)");
        QVERIFY(InstallTranslations(*qApp));
        TOpenUplDialog d;
        auto *lookIn = d.findChild<QLabel *>(QStringLiteral("lookInLabel"));
        QVERIFY(lookIn);
        QVERIFY(!lookIn->text().isEmpty());
        QVERIFY(lookIn->text() != QStringLiteral("Look in:"));
        QVERIFY(QCoreApplication::translate("QPlatformTheme", "Cancel") !=
                QStringLiteral("Cancel"));
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"

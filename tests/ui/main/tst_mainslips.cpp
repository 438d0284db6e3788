#include "controls/NumEdit.h"
#include "core/Settings.h"
#include "core/SlipCommands.h"
#include "core/UplFileIO.h"
#include "ui/common/ConfirmFormU.h"
#include "ui/main/CopyUplFormU.h"
#include "ui/main/MainFormU.h"
#include "ui/common/ProgramData.h"
#include "ui/main/UplProcFormU.h"
#include "ui/main/UplSetupFormU.h"

#include "DialogTest.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoGroup>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

TUplFile Letters(const QString &letters, const QString &marked, const QString &name)
{
    TUplFile f;
    f.FileName = name;
    for (int i = 0; i < letters.size(); ++i) {
        TUpl u = NewSlip();
        u.Opis = letters.mid(i, 1);
        u.Posiljalac = QStringLiteral("Pošiljalac %1").arg(i);
        u.Iznos = 10.5 * (i + 1);
        u.Stanja[i % 16] = 1;
        u.Procenat = float(i);
        u.Oznacena = marked.contains(letters[i]);
        f.AddSlip(u);
    }
    f.Snimljena = true;
    return f;
}

QString Order(const TUplFile &f)
{
    QString s;
    for (const TUpl &u : f.Uplatnice)
        s += u.Opis;
    return s;
}

QList<int> SelectedRows(QListView *list)
{
    QList<int> rows;
    for (const QModelIndex &i : list->selectionModel()->selectedIndexes())
        rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace

class TestMainSlips : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("KORDAVINA_HOME", m_home.path().toLocal8Bit());
        SetSettingsFile(m_home.filePath(QStringLiteral("settings.conf")));
        QLocale::setDefault(
            QLocale(QLocale::Bosnian, QLocale::LatinScript, QLocale::BosniaAndHerzegovina));
        TMainForm::SetCommandLineFile(QString());
    }
    void init()
    {
        LoadProgramData(m_data);
        m_form = std::make_unique<TMainForm>(m_data);
        ResetDialogSeams();
        m_form->show();
        QApplication::setActiveWindow(m_form.get());
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
    void cleanup()
    {
        TConfirmForm::ClearQueuedAnswers();
        m_form.reset();
        QFile::remove(DefaultSlipPath());
        QVERIFY2(ShownErrors().isEmpty(), qPrintable(ShownErrors().join('\n')));
    }
    void cleanupTestCase() { SetSettingsFile(QString()); }

    void newSlipStartsFromTheDefaultSlip()
    {
        TMainForm &form = *m_form;
        form.AddOpenFile(Letters(QStringLiteral("AB"), QStringLiteral("A"), "/x/a.upl"));
        TUplFile &file = *form.CurrentFile();
        InputDialogSeam().QueueAnswer(std::nullopt);
        form.UplAddA->trigger();
        QCOMPARE(InputDialogSeam().Asked(),
                 (QList<QStringList>{{"Nova uplatnica", "Unesite opis uplatnice", ""}}));
        QCOMPARE(file.Count(), 2); // cancelled: nothing added
        QVERIFY(file.Snimljena);

        TUpl def = NewSlip();
        def.Opis = QStringLiteral("Standard");
        def.Svrha = QStringLiteral("Struja");
        def.Stanja[stIznos] = spNevidljivo;
        def.Procenat = 12.5f;
        QVERIFY(WriteDefaultSlip(def));
        InputDialogSeam().QueueAnswer(QStringLiteral("Račun za struju"));
        form.UplAddA->trigger();
        QCOMPARE(file.Count(), 3);
        TUpl expected = def;
        expected.Opis = QStringLiteral("Račun za struju");
        expected.Oznacena = true;
        QCOMPARE(file.SlipByIndex(2), expected);
        QCOMPARE(MarkedIndices(file), QList<qsizetype>{2});
        QCOMPARE(SelectedRows(form.UplList), QList<int>{2});
        QVERIFY(!file.Snimljena);
    }

    void deleteAllThenSaveAndReopen()
    {
        TMainForm &form = *m_form;
        const QString path = m_home.filePath(QStringLiteral("brisanje.upl"));
        form.AddOpenFile(Letters(QStringLiteral("ABC"), QStringLiteral("AC"), path));
        TUplFile &file = *form.CurrentFile();
        TConfirmForm::QueueAnswer(TConfirmResult::No);
        form.UplDelA->trigger();
        QCOMPARE(TConfirmForm::LastQuestion(),
                 QStringLiteral("Sigurno želite obrisati označene uplatnice?"));
        QCOMPARE(file.Count(), 3);
        QVERIFY(file.Snimljena);

        form.SpeedButton1->click(); // "Označi sve"
        QVERIFY(file.Snimljena);    // marking is no change
        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        form.UplDelA->trigger();
        QCOMPARE(file.Count(), 0);
        QVERIFY(!file.Snimljena);
        form.FileSaveA->trigger();
        QVERIFY(file.Snimljena);
        const TUplReadResult back = ReadUplFile(path);
        QCOMPARE(back.Status, TUplReadResult::Ok);
        QCOMPARE(back.File->Count(), 0);
    }

    void copyIntoANewFile()
    {
        TMainForm &form = *m_form;
        const int tabs = form.FileTabs->count();
        form.AddOpenFile(Letters(QStringLiteral("ABC"), QStringLiteral("BC"), "/x/plate.upl"));
        TUplFile &source = *form.CurrentFile();
        const QList<TUpl> marked = SlipsAt(source, MarkedIndices(source));
        QStringList offered;
        WhenShown(form.CopyUplForm, [&] {
            for (int i = 0; i < form.CopyUplForm->ctFileName->count(); ++i)
                offered << form.CopyUplForm->ctFileName->itemText(i);
            form.CopyUplForm->ctFileName->setCurrentIndex(form.CopyUplForm->ctFileName->count() -
                                                          1);
            form.CopyUplForm->btnOK->click();
        });
        form.UplCopyA->trigger();
        QCOMPARE(offered.last(), QStringLiteral("Nova datoteka"));
        QCOMPARE(offered.at(tabs), QStringLiteral("plate"));
        QCOMPARE(form.FileTabs->count(), tabs + 2);
        QCOMPARE(form.FileTabs->currentIndex(), tabs + 1);
        // The start file is Datoteka1; the new one takes the next number.
        QCOMPARE(form.FileTabs->tabText(tabs + 1), QStringLiteral("Datoteka2"));
        const TUplFile &target = *form.CurrentFile();
        QCOMPARE(target.FileName, QStringLiteral("Datoteka2"));
        QCOMPARE(target.Uplatnice, marked); // only the copies, in source order
        QVERIFY(!target.Snimljena);
        QCOMPARE(Order(source), QStringLiteral("ABC"));
        QVERIFY(source.Snimljena);
    }

    void moveIntoAnotherFileMarksTheSourcesFirstRemainingSlip()
    {
        TMainForm &form = *m_form;
        const int tabs = form.FileTabs->count();
        form.AddOpenFile(Letters(QStringLiteral("XY"), QString(), "/x/cilj.upl"));
        form.AddOpenFile(Letters(QStringLiteral("ABCDE"), QStringLiteral("BD"), "/x/izvor.upl"));
        TUplFile &source = *form.CurrentFile();
        WhenShown(form.CopyUplForm, [&] {
            QCOMPARE(form.CopyUplForm->ctFileName->itemText(tabs), QStringLiteral("cilj"));
            form.CopyUplForm->ctFileName->setCurrentIndex(tabs);
            form.CopyUplForm->ctDelete->setChecked(true);
            form.CopyUplForm->btnOK->click();
        });
        form.UplCopyA->trigger();
        QCOMPARE(Order(source), QStringLiteral("ACE"));
        QVERIFY(!source.Snimljena);
        // The moved slips took their marks along; the source shows its first
        // remaining slip, marked, so that typing goes into that one only.
        QCOMPARE(MarkedIndices(source), QList<qsizetype>{0});
        const TUplFile *target = form.FileByIndex(tabs);
        QVERIFY(target);
        QString letters = Order(*target);
        std::sort(letters.begin(), letters.end());
        QCOMPARE(letters, QStringLiteral("BDXY"));
    }

    void moveWithinTheFileAndUndoIt()
    {
        TMainForm &form = *m_form;
        form.AddOpenFile(Letters(QStringLiteral("ABCDE"), QStringLiteral("BD"), "/x/m.upl"));
        TUplFile &file = *form.CurrentFile();
        const QByteArray before = UplFileToBytes(file);
        WhenShown(form.CopyUplForm, [&] {
            form.CopyUplForm->ctUplatnica->setCurrentRow(5); // "<Poslije ostalih>"
            form.CopyUplForm->ctDelete->setChecked(true);
            form.CopyUplForm->btnOK->click();
        });
        form.UplCopyA->trigger();
        QCOMPARE(Order(file), QStringLiteral("ACEBD"));
        QCOMPARE(form.FileTabs->count(), 2); // no file was made
        QVERIFY(!file.Snimljena);
        QCOMPARE(SelectedRows(form.UplList), (QList<int>{3, 4}));
        const QByteArray moved = UplFileToBytes(file);

        // Offscreen, nothing gives the window back its activation after a dialog.
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.UplList->setFocus();
        QTest::keyClick(form.UplList, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(UplFileToBytes(file), before); // order, fields and marks
        QVERIFY(file.Snimljena);                // back at the state last saved
        QCOMPARE(form.UplList->model()->index(1, 0).data().toString(), QStringLiteral("B"));
        QTest::keyClick(form.UplList, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(UplFileToBytes(file), moved);
        QVERIFY(!file.Snimljena);
    }

    void undoDoesNotHideAnEditorChange()
    {
        TMainForm &form = *m_form;
        form.AddOpenFile(Letters(QStringLiteral("AB"), QStringLiteral("A"), "/x/e.upl"));
        TUplFile &file = *form.CurrentFile();
        form.mSvrha->setFocus();
        QTest::keyClicks(form.mSvrha, QStringLiteral("x"));
        QVERIFY(!file.Snimljena);
        InputDialogSeam().QueueAnswer(QStringLiteral("Novi opis"));
        form.UplRenameA->trigger();
        QCOMPARE(file.SlipByIndex(0).Opis, QStringLiteral("Novi opis"));
        form.UplList->setFocus();
        QTest::keyClick(form.UplList, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(file.SlipByIndex(0).Opis, QStringLiteral("A"));
        QVERIFY(!file.Snimljena); // the typed change is still unsaved
    }

    void renameCancelledStillChangesTheFile()
    {
        TMainForm &form = *m_form;
        form.AddOpenFile(Letters(QStringLiteral("AB"), QStringLiteral("B"), "/x/r.upl"));
        TUplFile &file = *form.CurrentFile();
        InputDialogSeam().QueueAnswer(std::nullopt);
        form.UplRenameA->trigger();
        const QStringList asked = InputDialogSeam().Asked().value(0);
        QCOMPARE(asked.value(0) + '|' + asked.value(2), QStringLiteral("Promjena opisa|B"));
        QCOMPARE(Order(file), QStringLiteral("AB"));
        QVERIFY(!file.Snimljena);
    }

    void propertiesKeepDifferingStates()
    {
        TMainForm &form = *m_form;
        TUplFile f = Letters(QStringLiteral("AB"), QStringLiteral("AB"), "/x/p.upl");
        f.Uplatnice[0].Stanja = {};
        f.Uplatnice[1].Stanja = {};
        f.Uplatnice[0].Stanja[stIznos] = spNevidljivo;
        f.Uplatnice[1].Stanja[stIznos] = spZabranjeno;
        form.AddOpenFile(f);
        TUplFile &file = *form.CurrentFile();
        WhenShown(form.UplSetupForm, [&] {
            form.UplSetupForm->mPolja->setCurrentRow(1); // Pošiljalac
            form.UplSetupForm->mState->setFocus();
            QTest::keyClick(form.UplSetupForm->mState, Qt::Key_Down); // Zabranjeno
            form.UplSetupForm->btnOK->click();
        });
        form.UplPropertiesA->trigger();
        QCOMPARE(file.SlipByIndex(0).Stanja[stPosiljalac], qint32(spZabranjeno));
        QCOMPARE(file.SlipByIndex(1).Stanja[stPosiljalac], qint32(spZabranjeno));
        QCOMPARE(file.SlipByIndex(0).Stanja[stIznos], qint32(spNevidljivo));
        QCOMPARE(file.SlipByIndex(1).Stanja[stIznos], qint32(spZabranjeno));
        QCOMPARE(file.SlipByIndex(0).Procenat, 0.0f);
        QCOMPARE(file.SlipByIndex(1).Procenat, 1.0f);
        QVERIFY(!file.Snimljena);
        // With a single slip shown, its read-only sender cannot be typed into.
        form.MoveToSlip(0);
        QVERIFY(form.mPosiljalac->isReadOnly() || !form.mPosiljalac->isEnabled());
    }

    void multipleEntryWritesTheAmounts()
    {
        TMainForm &form = *m_form;
        TUplFile f = Letters(QStringLiteral("ABCD"), QStringLiteral("A"), "/x/v.upl");
        const float shares[] = {50, 30, 20, 0};
        for (int i = 0; i < 4; ++i)
            f.Uplatnice[i].Procenat = shares[i];
        form.AddOpenFile(f);
        TUplFile &file = *form.CurrentFile();
        WhenShown(form.UplProcForm, [&] {
            QTest::keyClicks(form.UplProcForm->mIznos, QStringLiteral("1000"));
            form.UplProcForm->btnOK->click();
        });
        form.FileProcenatA->trigger();
        QCOMPARE(file.SlipByIndex(0).Iznos, 500.0);
        QCOMPARE(file.SlipByIndex(1).Iznos, 300.0);
        QCOMPARE(file.SlipByIndex(2).Iznos, 200.0);
        QCOMPARE(file.SlipByIndex(3).Iznos, 42.0); // share 0 keeps its amount
        QVERIFY(!file.Snimljena);
        QCOMPARE(form.mIznos->Value(), 500.0); // the current slip is shown again

        // Without an open file the command is off.
        while (form.FileTabs->count() > 0) {
            form.CurrentFile()->Snimljena = true;
            QVERIFY(form.CloseCurrentFile());
        }
        form.UpdateActions();
        QVERIFY(!form.FileProcenatA->isEnabled());
    }

    void defaultSlipCommandsLeaveTheFileAlone()
    {
        TMainForm &form = *m_form;
        form.AddOpenFile(Letters(QStringLiteral("AB"), QStringLiteral("B"), "/x/d.upl"));
        TUplFile &file = *form.CurrentFile();
        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        form.UplDefaultA->trigger();
        QCOMPARE(TConfirmForm::LastQuestion(),
                 QStringLiteral("Želite li da trenutno označena uplatnica bude standardna "
                                "uplatnica?"));
        const TUplReadResult def = ReadUplFile(DefaultSlipPath());
        QCOMPARE(def.Status, TUplReadResult::Ok);
        QCOMPARE(def.File->Uplatnice, QList<TUpl>{file.SlipByIndex(1)});
        QVERIFY(file.Snimljena);
        form.UpdateActions();
        QVERIFY(form.UplDefaultDelA->isEnabled());

        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        form.UplDefaultDelA->trigger();
        QCOMPARE(TConfirmForm::LastQuestion(),
                 QStringLiteral("Želite li da standardna uplatnica bude obrisana?"));
        QVERIFY(!DefaultSlipExists());
        QVERIFY(file.Snimljena);
    }

private:
    QTemporaryDir m_home;
    TProgramData m_data;
    std::unique_ptr<TMainForm> m_form;
};

QTEST_MAIN(TestMainSlips)
#include "tst_mainslips.moc"

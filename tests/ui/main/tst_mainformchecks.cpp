// The account marks of the editor, the print question and the CSV commands
// of the main window.

#include "FileBytes.h"

#include "ui/catalogues/RacuniFormU.h"
#include "ui/catalogues/RacuniKFormU.h"
#include "controls/CheckMark.h"
#include "core/SafeFile.h"
#include "core/Settings.h"
#include "core/SlipCsv.h"
#include "core/UplFileIO.h"
#include "ui/common/ConfirmFormU.h"
#include "ui/main/MainFormU.h"
#include "ui/common/ProgramData.h"

#include "DialogTest.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

class TestMainFormChecks : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<TProgramData> m_data;
    std::unique_ptr<TMainForm> m_form;

    static QString AccessibleName(QWidget *w)
    {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        return a ? a->text(QAccessible::Name) : QString();
    }
    static QString AccessibleDescription(QWidget *w)
    {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        return a ? a->text(QAccessible::Description) : QString();
    }
    // Replaces the current file's slips and shows them.
    void SetSlips(const QList<TUpl> &slips)
    {
        m_form->CurrentFile()->Uplatnice = slips;
        m_form->FillSlipList();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("KORDAVINA_HOME", m_dir.filePath("home").toUtf8());
        SetSettingsFile(m_dir.filePath("settings.ini"));
    }

    void init()
    {
        m_data = std::make_unique<TProgramData>();
        LoadProgramData(*m_data);
        m_form = std::make_unique<TMainForm>(*m_data);
        ResetDialogSeams();
        m_form->show();
        QApplication::setActiveWindow(m_form.get());
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        TConfirmForm::ClearQueuedAnswers();
    }
    void cleanup()
    {
        m_form.reset();
        m_data.reset();
    }

    void marksBesideTheFields()
    {
        TCheckMark *mark = m_form->findChild<TCheckMark *>("markRacunPrimaoca");
        QVERIFY(mark);
        QVERIFY(mark->isHidden());
        m_form->mRacunPrimaoca->setFocus();
        QTest::keyClicks(m_form->mRacunPrimaoca, "199044000120027");
        QVERIFY(mark->isHidden()); // still being typed
        QTest::keyClicks(m_form->mRacunPrimaoca, "8");
        QVERIFY(mark->isVisible());
        QCOMPARE(mark->toolTip(), QStringLiteral("Kontrolni broj računa nije ispravan"));
        QCOMPARE(AccessibleName(mark), QStringLiteral("Račun primaoca: neispravno"));
        QCOMPARE(AccessibleDescription(mark),
                 QStringLiteral("Kontrolni broj računa nije ispravan"));
        // Never blocking: the text is in the slip all the same.
        QCOMPARE(m_form->CurrentFile()->Uplatnice[0].RacunPrimaoca,
                 QStringLiteral("1990440001200278"));
        // Right of the "..." button, not over it.
        QVERIFY(mark->geometry().left() > m_form->spRacunPrimaoca->geometry().right());
        QVERIFY(qAbs(mark->geometry().center().y() -
                     m_form->mRacunPrimaoca->geometry().center().y()) <= 1);

        // Another slip's fields are checked as it is shown.
        TUpl a = NewSlip();
        a.Opis = "A";
        a.Oznacena = true;
        a.RacunPosiljaoca = "1990440001200279";
        a.BrojObveznika = "2902990175005";
        SetSlips({a});
        QVERIFY(mark->isHidden());
        TCheckMark *sender = m_form->findChild<TCheckMark *>("markRacunPosiljaoca");
        TCheckMark *taxpayer = m_form->findChild<TCheckMark *>("markBrojObveznika");
        QCOMPARE(sender->Kind(), TMarkKind::Valid);
        QCOMPARE(AccessibleName(sender), QStringLiteral("Račun pošiljaoca: ispravno"));
        QCOMPARE(taxpayer->Kind(), TMarkKind::Invalid);
        QCOMPARE(taxpayer->toolTip(), QStringLiteral("JMB ne sadrži ispravan datum rođenja"));

        // The switch turns every mark off, and back on.
        m_data->Settings.ProvjeraRacuna = false;
        Q_EMIT m_form->SettingsChanged();
        QVERIFY(sender->isHidden() && taxpayer->isHidden());
        m_data->Settings.ProvjeraRacuna = true;
        Q_EMIT m_form->SettingsChanged();
        QVERIFY(sender->isVisible() && taxpayer->isVisible());
    }

    void printAsksOnceListingFailingSlips()
    {
        TUpl good = NewSlip();
        good.Opis = "Dobra";
        good.RacunPrimaoca = "1990440001200279";
        good.Oznacena = true;
        TUpl bad = good;
        bad.Opis = "Struja";
        bad.RacunPrimaoca = "1990440001200278";
        bad.Oznacena = false;
        TUpl short15 = good;
        short15.Opis = "Voda";
        short15.RacunPosiljaoca = "199044000120027";
        short15.Oznacena = false;
        SetSlips({good, bad, short15});
        const QString pdf = m_dir.filePath("slips.pdf");
        FileDialogSeam().AnswerAll(pdf);

        TConfirmForm::QueueAnswer(TConfirmResult::No);
        m_form->FilePdfA->trigger();
        QCOMPARE(TConfirmForm::QueuedAnswers(), 0);
        QCOMPARE(TConfirmForm::LastQuestion(), QStringLiteral("Uplatnice sa neispravnim računom:\n"
                                                              "Struja (Račun primaoca)\n"
                                                              "Voda (Račun pošiljaoca)\n\n"
                                                              "Želite li ipak štampati?"));
        QVERIFY(!QFile::exists(pdf));

        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        m_form->FilePdfA->trigger();
        QCOMPARE(TConfirmForm::QueuedAnswers(), 0);
        QVERIFY(QFile::exists(pdf));
        QVERIFY(ShownErrors().isEmpty());

        // Slips that all pass print without a question.
        QFile::remove(pdf);
        SetSlips({good});
        TConfirmForm::QueueAnswer(TConfirmResult::No); // would stop the print if asked
        m_form->FilePdfA->trigger();
        QVERIFY(QFile::exists(pdf));
        QCOMPARE(TConfirmForm::QueuedAnswers(), 1);
        TConfirmForm::ClearQueuedAnswers();
    }

    void importAppendsAndNamesRefusedRows()
    {
        TUpl first = NewSlip();
        first.Opis = "Prva";
        first.Oznacena = true;
        SetSlips({first});
        m_form->CurrentFile()->Snimljena = true;
        FileDialogSeam().AnswerAll(QStringLiteral(KORDAVINA_TEST_DATA "/csv/utf8-comma.csv"));

        // "Ne": nothing is added.
        TConfirmForm::QueueAnswer(TConfirmResult::No);
        m_form->FileImportCsvA->trigger();
        const QString question = TConfirmForm::LastQuestion();
        QVERIFY(question.startsWith("Neki redovi nisu uvezeni:\nRed 4: Opis sadrži znak „Ñ“"));
        QVERIFY(question.contains("\nRed 5: Iznos „abc“ nije broj\n"));
        QVERIFY(question.contains("\nRed 6: Svrha ima 151 znakova, a najviše je 150"));
        QVERIFY(question.contains("Nepoznate kolone su zanemarene: Ignorisano"));
        QVERIFY(question.endsWith("Želite li ipak uvesti ostale uplatnice (3)?"));
        QCOMPARE(m_form->CurrentFile()->Count(), 1);
        QVERIFY(m_form->CurrentFile()->Snimljena);

        // "Da": the good rows come after the file's own slips.
        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        m_form->FileImportCsvA->trigger();
        const TUplFile *file = m_form->CurrentFile();
        QCOMPARE(file->Count(), 4);
        QCOMPARE(file->Uplatnice[0].Opis, QStringLiteral("Prva"));
        QCOMPARE(file->Uplatnice[1].Opis, QStringLiteral("Kirija"));
        QCOMPARE(file->Uplatnice[3].Opis, QStringLiteral("Zadnji"));
        QVERIFY(!file->Snimljena);
        // The first new slip is the one shown.
        QCOMPARE(m_form->CurrentSlipIndex(), 1);
        QCOMPARE(m_form->mSvrha->text(), QStringLiteral("Kirija za mart, stan"));
        QVERIFY(!file->Uplatnice[0].Oznacena && !file->Uplatnice[2].Oznacena);

        // Export writes what a spreadsheet in Bosnian settings opens.
        const QString out = m_dir.filePath("out.csv");
        FileDialogSeam().Clear();
        FileDialogSeam().QueueAnswer(out);
        m_form->FileExportCsvA->trigger();
        QCOMPARE(FileDialogSeam().Asked().value(0).value(0), QStringLiteral("Izvoz u CSV"));
        QVERIFY(FileDialogSeam().Asked().value(0).value(1).endsWith(".csv"));
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const TSlipCsvImport back = ImportSlipsCsv(f.readAll(), NewSlip());
        QCOMPARE(back.Encoding, TCsvEncoding::Utf8Bom);
        QCOMPARE(back.Slips, file->Uplatnice);
        QVERIFY(ShownErrors().isEmpty());

        // The import is one undo step, and undo gives the marks back.
        QUndoStack &undo = m_form->CurrentOpenFile()->Undo;
        undo.undo();
        QCOMPARE(file->Count(), 1);
        QVERIFY(file->Uplatnice[0].Oznacena);
        QCOMPARE(m_form->UplList->model()->rowCount(), 1);
        undo.redo();
        QCOMPARE(back.Slips, file->Uplatnice);
    }

    // Rows taken with an account or JMB failing its check are listed; with
    // refused rows the list stands in the question, after the refusals.
    void importListsCheckWarnings()
    {
        SetSlips({NewSlip()});
        const QString in = m_dir.filePath("warn.csv");
        QFile f(in);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Opis;RacunPrimaoca;BrojObveznika;DatumUplate\n"
                "dobra;1990440001200279;;1.7.26\n"
                "losa;1990440001200278;;5.1.2026\n");
        f.close();
        FileDialogSeam().AnswerAll(in);
        MessageBoxSeam().AnswerAll(QMessageBox::Ok);
        const auto notes = [] {
            QStringList texts;
            for (const QStringList &asked : MessageBoxSeam().Asked())
                texts += asked.value(1);
            return texts;
        };
        m_form->FileImportCsvA->trigger();
        QCOMPARE(notes(), QStringList{"Uvezeni redovi sa neispravnim računom ili JMB:\n"
                                      "Red 3: Račun primaoca: Kontrolni broj računa nije ispravan"});
        QCOMPARE(m_form->CurrentFile()->Count(), 3);
        QCOMPARE(m_form->CurrentFile()->Uplatnice[2].DatumUplate, QStringLiteral("050126"));

        // The switch off: nothing to say.
        m_data->Settings.ProvjeraRacuna = false;
        MessageBoxSeam().Clear();
        MessageBoxSeam().AnswerAll(QMessageBox::Ok);
        FileDialogSeam().AnswerAll(in);
        m_form->FileImportCsvA->trigger();
        m_data->Settings.ProvjeraRacuna = true;
        QVERIFY(notes().isEmpty());
        QCOMPARE(m_form->CurrentFile()->Count(), 5);

        QVERIFY(f.open(QIODevice::Append));
        f.write("treca;1990440001200270;703985127167;\n");
        f.close();
        TConfirmForm::QueueAnswer(TConfirmResult::No);
        m_form->FileImportCsvA->trigger();
        const QString question = TConfirmForm::LastQuestion();
        QVERIFY2(question.startsWith("Neki redovi nisu uvezeni:\nRed 4: RacunPrimaoca "
                                     "„1990440001200270“ nije ispravan račun, a završava nulom"),
                 qPrintable(question));
        QVERIFY(question.contains("\nRed 4: BrojObveznika „703985127167“ ima 12 cifara"));
        QVERIFY(question.contains("\n\nUvezeni redovi sa neispravnim računom ili JMB:\nRed 3: "));
        QCOMPARE(m_form->CurrentFile()->Count(), 5);
        ClearDialogSeams();
    }

    // The window's CSV export and import go through the same checks as the
    // commands: never onto the slip file itself, never onto a FIFO, never
    // from one, and a default slip that cannot be read is named.
    void csvExportAndImportRefuseHostileFiles()
    {
        TUpl slip = NewSlip();
        slip.Opis = "Vlastita";
        SetSlips({slip});
        const QString own = m_dir.filePath("own.upl");
        TUplFile &file = *m_form->CurrentFile();
        file.FileName = own;
        QVERIFY(WriteUplFile(file));
        const QByteArray before = ReadAll(own);
        QString target = own;
        FileDialogSeam().AnswerAll(target);
        m_form->FileExportCsvA->trigger();
        const QStringList firstErrors = ShownErrors();
        QCOMPARE(firstErrors.size(), 1);
        QVERIFY2(firstErrors[0].contains(QDir::toNativeSeparators(own)) &&
                     firstErrors[0].contains("to je ulazna datoteka"),
                 qPrintable(firstErrors[0]));
        QCOMPARE(ReadAll(own), before);
#ifdef Q_OS_UNIX
        target = m_dir.filePath("csv.fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
        FileDialogSeam().AnswerAll(target);
        m_form->FileExportCsvA->trigger();
        QCOMPARE(ShownErrors().size(), 2);
        QVERIFY2(ShownErrors()[1].contains(NotRegularFileText()), qPrintable(ShownErrors()[1]));
        m_form->FileImportCsvA->trigger(); // would wait for ever on the FIFO
        QCOMPARE(ShownErrors().size(), 3);
        QVERIFY2(ShownErrors()[2].contains("imenovana cijev"), qPrintable(ShownErrors()[2]));
        QCOMPARE(m_form->CurrentFile()->Count(), 1);
#endif
        // A default slip that is garbage: nothing imported, the file named.
        const QString def = m_dir.filePath("home/Default1.upl");
        QVERIFY(QDir().mkpath(m_dir.filePath("home")));
        QFile d(def);
        QVERIFY(d.open(QIODevice::WriteOnly));
        d.write("garbage");
        d.close();
        target = QStringLiteral(KORDAVINA_TEST_DATA "/csv/libreoffice-bs.csv");
        FileDialogSeam().AnswerAll(target);
        m_form->FileImportCsvA->trigger();
        QFile::remove(def);
        QVERIFY2(ShownErrors().last().contains("Default1.upl: " + UplBadFormatText()),
                 qPrintable(ShownErrors().last()));
        QCOMPARE(m_form->CurrentFile()->Count(), 1);
    }

    void catalogueAccountColumns()
    {
        m_data->Racuni.Add("1990440001200279", "Dobar");
        m_data->Racuni.Add("1990440001200278", "Loš");
        m_data->Posiljaoci.Add({"1020500000106698", "Firma", "4200000123458", ""});
        TCatalogueModel *racuni = m_form->RacuniForm->Model();
        TCatalogueModel *senders = m_form->RacuniKForm->Model();
        racuni->Refresh();
        senders->Refresh();
        const auto rowOf = [racuni](const QString &code) {
            for (int r = 0; r < racuni->rowCount(); ++r)
                if (racuni->index(r, 0).data().toString() == code)
                    return r;
            return -1;
        };
        const QModelIndex good = racuni->index(rowOf("1990440001200279"), 0);
        const QModelIndex bad = racuni->index(rowOf("1990440001200278"), 0);
        QVERIFY(good.isValid() && bad.isValid());
        QCOMPARE(good.data(Qt::ToolTipRole).toString(), QStringLiteral("Ispravno"));
        QCOMPARE(bad.data(Qt::ToolTipRole).toString(),
                 QStringLiteral("Kontrolni broj računa nije ispravan"));
        QCOMPARE(bad.data(Qt::AccessibleDescriptionRole).toString(),
                 QStringLiteral("Kontrolni broj računa nije ispravan"));
        QVERIFY(!bad.data(Qt::DecorationRole).value<QIcon>().isNull());
        // A whole account fits beside its mark.
        const QTableView *list = m_form->RacuniForm->List;
        QVERIFY(list->horizontalHeader()->sectionSize(0) >=
                list->fontMetrics().horizontalAdvance("1990440001200278") + 16);
        // Only the account column is marked.
        QVERIFY(!racuni->index(bad.row(), 1).data(Qt::DecorationRole).isValid());
        // The senders' taxpayer numbers are checked as well.
        QCOMPARE(senders->index(0, 0).data(Qt::ToolTipRole).toString(), QStringLiteral("Ispravno"));
        QCOMPARE(senders->index(0, 2).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("Kontrolna cifra identifikacionog broja nije ispravna"));

        m_data->Settings.ProvjeraRacuna = false;
        Q_EMIT m_form->SettingsChanged();
        QVERIFY(!bad.data(Qt::DecorationRole).isValid());
        QVERIFY(!bad.data(Qt::ToolTipRole).isValid());
        m_data->Settings.ProvjeraRacuna = true;
        Q_EMIT m_form->SettingsChanged();
        QVERIFY(bad.data(Qt::DecorationRole).isValid());
    }

    void commandsInTheFileMenu()
    {
        const QList<QAction *> actions = m_form->mnuFile->actions();
        const qsizetype import = actions.indexOf(m_form->FileImportCsvA);
        QVERIFY(import > actions.indexOf(m_form->FilePdfA));
        QCOMPARE(actions.indexOf(m_form->FileExportCsvA), import + 1);
        QCOMPARE(m_form->FileImportCsvA->text().remove('&'), QStringLiteral("Uvoz iz CSV..."));
        QCOMPARE(m_form->FileExportCsvA->text().remove('&'), QStringLiteral("Izvoz u CSV..."));
    }
};

QTEST_MAIN(TestMainFormChecks)
#include "tst_mainformchecks.moc"

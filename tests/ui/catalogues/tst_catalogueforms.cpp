#include "catalogues/CatalogueStore.h"
#include "ui/catalogues/OpstineFormU.h"
#include "ui/catalogues/PrihodiFormU.h"
#include "ui/catalogues/RacunKAddEditFormU.h"
#include "ui/catalogues/RacuniFormU.h"
#include "ui/catalogues/RacuniKFormU.h"
#include "ui/options/SetupFormU.h"
#include "ui/catalogues/SvrheFormU.h"
#include "core/Settings.h"
#include "ui/print/ZorPrinters.h"
#include "ui/common/ConfirmFormU.h"
#include "ui/common/ProgramData.h"

#include "DialogTest.h"
#include "BosnianCollation.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

const QLocale Bosnian(QLocale::Bosnian, QLocale::BosniaAndHerzegovina);

// Fills an add/change dialog of a code and presses "Potvrdi".
void AnswerCodeDialog(const QString &sifra, const QString &naziv)
{
    WhenShown<TCodeAddEditForm>([sifra, naziv](TCodeAddEditForm *d) {
        d->mSifra->setText(sifra);
        d->mNaziv->setText(naziv);
        QTest::mouseClick(d->btnOK, Qt::LeftButton);
    });
}

void AnswerPurpose(const QString &text)
{
    WhenShown<QInputDialog>([text](QInputDialog *d) {
        d->setTextValue(text);
        d->accept();
    });
}

QStringList Column(const TCatalogueForm &form, int column)
{
    QStringList texts;
    const TCatalogueModel *m = form.Model();
    for (int r = 0; r < m->rowCount(); ++r)
        texts.append(m->data(m->index(r, column)).toString());
    return texts;
}

// Types text key by key, as the keyboard would (also letters beyond ASCII).
void Type(QWidget *w, const QString &text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &release);
    }
}

void SelectRow(TCatalogueForm &form, int row)
{
    form.List->selectRow(row);
}

} // namespace

class TestCatalogueForms : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString Home() const { return m_dir->path(); }

private Q_SLOTS:
    void init()
    {
        QLocale::setDefault(Bosnian);
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("KORDAVINA_HOME", m_dir->path().toLocal8Bit());
        SetSettingsFile(m_dir->filePath("settings.ini"));
        AnswerMessageBoxes();
        TConfirmForm::ClearQueuedAnswers();
    }

    void cleanup()
    {
        QCOMPARE(TConfirmForm::QueuedAnswers(), 0);
        MessageBoxSeam().Clear();
        SetSettingsFile(QString());
        QLocale::setDefault(QLocale::c());
    }

    void addExistingCodeAsksToRename()
    {
        TCatalogue c;
        c.Assign({{"077", "Zenica"}, {"AB", "Bihać"}, {"010", "Tuzla"}});
        TOpstineForm form(c);
        form.show();
        SelectRow(form, 1); // 077
        QVERIFY(!form.btnPick->isVisible());

        TConfirmForm::QueueAnswer(TConfirmResult::No);
        AnswerCodeDialog("077", "Zenica-Doboj");
        QTest::mouseClick(form.btnAdd, Qt::LeftButton);
        QCOMPARE(TConfirmForm::LastQuestion(),
                 QStringLiteral("Pod tom šifrom je već unesena opština 'Zenica'. Želite li joj "
                                "promijeniti naziv ?"));
        QCOMPARE(c.Count(), 3);
        QCOMPARE(c.FindNaziv("077"), QStringLiteral("Zenica"));
        QVERIFY(!c.Modified());

        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        AnswerCodeDialog("ab", "Bihać grad");
        QTest::mouseClick(form.btnAdd, Qt::LeftButton);
        QCOMPARE(c.Count(), 3);
        QCOMPARE(c.At(c.IndexOf("ab")).Sifra, QStringLiteral("AB")); // stored case kept
        QCOMPARE(c.FindNaziv("AB"), QStringLiteral("Bihać grad"));
        QVERIFY(c.Modified());
        // The row selected before is still the one selected.
        QCOMPARE(c.At(form.Selected()).Sifra, QStringLiteral("077"));

        // A new code goes in without a question; it is not selected.
        const QString asked = TConfirmForm::LastQuestion();
        AnswerCodeDialog("020", "Mostar");
        QTest::mouseClick(form.btnAdd, Qt::LeftButton);
        QCOMPARE(TConfirmForm::LastQuestion(), asked);
        QCOMPARE(Column(form, 0), QStringList({"010", "020", "077", "AB"}));
        QCOMPARE(c.At(form.Selected()).Sifra, QStringLiteral("077"));
    }

    void changeOntoAnotherCode()
    {
        TCatalogue c;
        c.Assign({{"001", "Sarajevo"}, {"002", "Zenica"}, {"003", "Mostar"}});
        TOpstineForm form(c);
        form.show();
        SelectRow(form, 0);

        TConfirmForm::QueueAnswer(TConfirmResult::Cancel);
        AnswerCodeDialog("002", "Sarajevo Centar");
        QTest::mouseClick(form.btnChange, Qt::LeftButton);
        QCOMPARE(TConfirmForm::LastQuestion(),
                 QStringLiteral(
                     "Pod tom šifrom je već unesena opština 'Zenica'. Želite li je obrisati ?"));
        QCOMPARE(c.Entries(), QList<TCatalogueEntry>(
                                  {{"001", "Sarajevo"}, {"002", "Zenica"}, {"003", "Mostar"}}));
        QVERIFY(!c.Modified());

        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        AnswerCodeDialog("002", "Sarajevo Centar");
        QTest::mouseClick(form.btnChange, Qt::LeftButton);
        QCOMPARE(c.Entries(),
                 QList<TCatalogueEntry>({{"002", "Sarajevo Centar"}, {"003", "Mostar"}}));
        QVERIFY(c.Modified());
        QCOMPARE(form.Selected(), c.IndexOf("002"));

        // Only the name: nothing asked.
        c.SetModified(false);
        const QString asked = TConfirmForm::LastQuestion();
        AnswerCodeDialog("002", "Centar");
        QTest::mouseClick(form.btnChange, Qt::LeftButton);
        QCOMPARE(TConfirmForm::LastQuestion(), asked);
        QCOMPARE(c.FindNaziv("002"), QStringLiteral("Centar"));

        // Delete: "Ne" keeps it, "Da" removes it and leaves no row selected.
        TConfirmForm::QueueAnswer(TConfirmResult::No);
        QTest::mouseClick(form.btnDel, Qt::LeftButton);
        QCOMPARE(TConfirmForm::LastQuestion(),
                 QStringLiteral("Sigurno želite obrisati opštinu 'Centar' ?"));
        QCOMPARE(c.Count(), 2);
        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        QTest::mouseClick(form.btnDel, Qt::LeftButton);
        QCOMPARE(c.Count(), 1);
        QCOMPARE(form.Selected(), -1);
        QVERIFY(!form.btnChange->isEnabled());
        QVERIFY(!form.btnDel->isEnabled());
        QVERIFY(form.btnAdd->isEnabled());
    }

    // What the file cannot hold is refused, the dialog stays open with the
    // text as typed.
    void refusesCodesTheFileCannotHold()
    {
        TCatalogue c;
        TRacuniForm form(c);
        form.show();
        QStringList seen;
        WhenShown<TCodeAddEditForm>([&seen](TCodeAddEditForm *d) {
            // The accounts dialog enables "Potvrdi" only when the code changes.
            d->mNaziv->setText("Naziv");
            seen.append(d->btnOK->isEnabled() ? "on" : "off");
            for (const QString code : {"a=b", "[1]", ";1", " "}) {
                d->mSifra->setText(code);
                seen.append(d->btnOK->isEnabled() ? "on" : "off");
                QTest::mouseClick(d->btnOK, Qt::LeftButton);
                seen.append(d->isVisible() ? d->mSifra->text() : QStringLiteral("closed"));
            }
            d->mSifra->setText("1610000000000001");
            d->mNaziv->setText("Ispravno ime \u0416");
            QTest::mouseClick(d->btnOK, Qt::LeftButton);
            seen.append(d->isVisible() ? QStringLiteral("open") : QStringLiteral("closed"));
            d->reject();
        });
        QTest::mouseClick(form.btnAdd, Qt::LeftButton);
        QCOMPARE(seen,
                 QStringList({"off", "on", "a=b", "on", "[1]", "on", ";1", "on", " ", "open"}));
        QCOMPARE(ShownMessages(),
                 QStringList({"Šifra ne smije sadržavati znak \"=\".",
                              "Šifra ne smije počinjati znakom \"[\" ni znakom \";\".",
                              "Šifra ne smije počinjati znakom \"[\" ni znakom \";\".",
                              "Šifra ne smije biti prazna.",
                              "Znak \"\u0416\" se ne može snimiti u katalog."}));
        QCOMPARE(c.Count(), 0);
        QVERIFY(!c.Modified());

        // Blanks around the texts are dropped as the file would drop them.
        AnswerCodeDialog("  1610001 ", " Elektroprivreda  ");
        QTest::mouseClick(form.btnAdd, Qt::LeftButton);
        QCOMPARE(c.Entries(), QList<TCatalogueEntry>({{"1610001", "Elektroprivreda"}}));
    }

    void purposesCompareLetterCase()
    {
        TCatalogue c;
        c.Assign({{"Porez na dobit", ""}, {"Akontacija", ""}});
        TSvrheForm form(c);
        form.show();
        QCOMPARE(form.List->model()->columnCount(), 1);

        AnswerPurpose("Porez na dobit"); // repeats are allowed
        QTest::mouseClick(form.btnAdd, Qt::LeftButton);
        QCOMPARE(form.InputBox()->windowTitle(), QStringLiteral("Nova svrha doznake"));
        QCOMPARE(c.Count(), 3);
        c.SetModified(false);

        SelectRow(form, 0); // Akontacija
        AnswerPurpose("Akontacija");
        QTest::mouseClick(form.btnChange, Qt::LeftButton);
        QCOMPARE(form.InputBox()->windowTitle(), QStringLiteral("Izmjena svrhe doznake"));
        QVERIFY(!c.Modified());
        AnswerPurpose("AKONTACIJA");
        QTest::mouseClick(form.btnChange, Qt::LeftButton);
        QVERIFY(c.Modified());
        QCOMPARE(Column(form, 0), QStringList({"AKONTACIJA", "Porez na dobit", "Porez na dobit"}));

        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        SelectRow(form, 1);
        QTest::mouseClick(form.btnDel, Qt::LeftButton);
        QCOMPARE(TConfirmForm::LastQuestion(),
                 QStringLiteral("Sigurno želite obrisati svrhu 'Porez na dobit' ?"));
        QCOMPARE(c.Count(), 2);
    }

    void headerClicksToggleDirection()
    {
        TCatalogue c;
        SKIP_WITHOUT_BOSNIAN_COLLATION();
        c.Assign({{"1", "Zenica"}, {"2", "Čapljina"}, {"3", "Cazin"}, {"4", "Ćelić"}});
        TPrihodiForm form(c);
        form.show();
        QHeaderView *header = form.List->horizontalHeader();
        SelectRow(form, 2); // 3 Cazin
        const auto click = [&](int section) {
            QTest::mouseClick(
                header->viewport(), Qt::LeftButton, {},
                QPoint(header->sectionViewportPosition(section) + 10, header->height() / 2));
        };
        click(1);
        QCOMPARE(c.SortColumn(), 2);
        QCOMPARE(Column(form, 1), QStringList({"Cazin", "Čapljina", "Ćelić", "Zenica"}));
        QCOMPARE(header->sortIndicatorSection(), 1);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        click(1);
        QCOMPARE(c.SortColumn(), -2);
        QCOMPARE(Column(form, 1), QStringList({"Zenica", "Ćelić", "Čapljina", "Cazin"}));
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        // The selection went with its entry.
        QCOMPARE(c.At(form.Selected()).Naziv, QStringLiteral("Cazin"));
        click(0);
        QCOMPARE(c.SortColumn(), 1);
        QCOMPARE(Column(form, 0), QStringList({"1", "2", "3", "4"}));
        QCOMPARE(header->sortIndicatorSection(), 0);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    }

    void pickHandsBackTheChosenEntry()
    {
        TCatalogue c;
        c.Assign({{"1", "Zenica"}, {"2", "Čapljina"}, {"3", "Cazin"}, {"4", "Ćelić"}});
        TOpstineForm form(c);

        // After a sort by name, descending: the first row is Zenica.
        WhenShown<TOpstineForm>([](TOpstineForm *f) {
            QVERIFY(f->btnPick->isVisible());
            QVERIFY(f->btnPick->isDefault());
            f->List->horizontalHeader()->sectionClicked(1);
            f->List->horizontalHeader()->sectionClicked(1);
            f->List->selectRow(0);
            QTest::mouseClick(f->btnPick, Qt::LeftButton);
        });
        std::optional<TCatalogueEntry> picked = form.Pick();
        QVERIFY(picked);
        QCOMPARE(*picked, (TCatalogueEntry{"1", "Zenica"}));
        QVERIFY(!form.btnPick->isVisible());

        // After a filter: the one row left, picked with Enter.
        WhenShown<TOpstineForm>([](TOpstineForm *f) {
            Type(f->mTrazi, "ćel");
            QCOMPARE(f->Model()->rowCount(), 1);
            QTest::keyClick(f->mTrazi, Qt::Key_Return);
        });
        picked = form.Pick();
        QVERIFY(picked);
        QCOMPARE(*picked, (TCatalogueEntry{"4", "Ćelić"}));

        // Typing in the list jumps by the sort column (the name, descending
        // now), a letter without its mark also to one with it ("ca" would be
        // Čapljina); the current code is selected at the start.
        WhenShown<TOpstineForm>([](TOpstineForm *f) {
            QCOMPARE(f->Model()->rowCount(), 4); // the filter starts empty
            QCOMPARE(f->Model()->data(f->List->currentIndex()).toString(), QStringLiteral("2"));
            Type(f->List, "caz");
            QTest::mouseClick(f->btnPick, Qt::LeftButton);
        });
        picked = form.Pick("2");
        QVERIFY(picked);
        QCOMPARE(picked->Naziv, QStringLiteral("Cazin"));

        // Closed without a pick; Enter in edit mode picks nothing and keeps it open.
        WhenShown<TOpstineForm>([](TOpstineForm *f) { f->reject(); });
        QVERIFY(!form.Pick());
        WhenShown<TOpstineForm>([](TOpstineForm *f) {
            QVERIFY(!f->btnPick->isVisible());
            f->List->selectRow(0);
            QTest::keyClick(f->List, Qt::Key_Return);
            QVERIFY(f->isVisible());
            QTest::keyClick(f->List, Qt::Key_Escape);
        });
        form.Edit();
        QVERIFY(!form.isVisible());
    }

    void sendersShareAccounts()
    {
        TSenderCatalogue s;
        s.Assign({{"1610000000000001", "Šipad", "4200000000001", "1234"}});
        TRacuniKForm form(s);
        form.show();
        QCOMPARE(form.windowTitle(), QStringLiteral("Pošiljaoci"));
        QCOMPARE(form.Model()->columnCount(), 4);

        WhenShown<TRacunKAddEditForm>([](TRacunKAddEditForm *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Novi pošiljalac"));
            QVERIFY(d->mSifra->text().isEmpty());
            d->mSifra->setText("1610000000000001");
            d->mNaziv->setText("Željezara");
            d->mBroj->setText("4200000000002");
            QTest::mouseClick(d->btnOK, Qt::LeftButton);
        });
        QTest::mouseClick(form.btnAdd, Qt::LeftButton);
        QCOMPARE(s.Count(), 2); // no question, a second row
        QVERIFY(s.Modified());

        WhenShown<TRacuniKForm>([](TRacuniKForm *f) {
            f->List->horizontalHeader()->sectionClicked(1);
            f->List->selectRow(1); // by name: Šipad, Željezara
            QTest::mouseClick(f->btnPick, Qt::LeftButton);
        });
        std::optional<TSenderEntry> picked = form.Pick();
        QVERIFY(picked);
        QCOMPARE(*picked, (TSenderEntry{"1610000000000001", "Željezara", "4200000000002", ""}));

        WhenShown<TRacunKAddEditForm>([](TRacunKAddEditForm *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Izmjena"));
            QCOMPARE(d->mNaziv->text(), QStringLiteral("Željezara"));
            d->mPoziv->setText("99");
            QTest::mouseClick(d->btnOK, Qt::LeftButton);
        });
        form.List->selectRow(1);
        QTest::mouseClick(form.btnChange, Qt::LeftButton);
        QCOMPARE(s.FindPoziv("1610000000000001"), QStringLiteral("1234")); // Šipad sorts first
        QCOMPARE(s.At(1).Poziv, QStringLiteral("99"));

        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        QTest::mouseClick(form.btnDel, Qt::LeftButton);
        QCOMPARE(TConfirmForm::LastQuestion(),
                 QStringLiteral("Sigurno želite obrisati pošiljaoca 'Željezara' ?"));
        QCOMPARE(s.Count(), 1);
    }

    // A changed catalogue is written as its window closes; a failure names
    // the file and keeps the change for the next attempt.
    void writtenWhenTheWindowCloses()
    {
        const QString ini = QDir(Home()).filePath("Kordavina.ini");
        const QString racuni = QDir(Home()).filePath("Racuni.ini");
        TCatalogue c;
        TOpstineForm form(c);
        WhenShown<TOpstineForm>([](TOpstineForm *f) {
            AnswerCodeDialog("071", "Sarajevo");
            QTest::mouseClick(f->btnAdd, Qt::LeftButton);
            QTest::mouseClick(f->btnClose, Qt::LeftButton);
        });
        form.Edit();
        QVERIFY(!c.Modified());
        TCatalogue back;
        QVERIFY(LoadCatalogue(ini, TCatalogueKind::Opstine, back));
        QCOMPARE(back.Entries(), QList<TCatalogueEntry>({{"071", "Sarajevo"}}));

        // A folder where the senders' file should be.
        QVERIFY(QDir(Home()).mkdir("Racuni.ini"));
        TSenderCatalogue s;
        TRacuniKForm senders(s);
        WhenShown<TRacuniKForm>([](TRacuniKForm *f) {
            WhenShown<TRacunKAddEditForm>([](TRacunKAddEditForm *d) {
                d->mNaziv->setText("Pošta");
                QTest::mouseClick(d->btnOK, Qt::LeftButton);
            });
            QTest::mouseClick(f->btnAdd, Qt::LeftButton);
            QTest::keyClick(f->List, Qt::Key_Escape);
        });
        senders.Edit();
        QCOMPARE(ShownMessages().size(), 1);
        QVERIFY2(ShownMessages().first().contains(racuni), qPrintable(ShownMessages().first()));
        QVERIFY(
            ShownMessages().first().startsWith("Izmjene kataloga \"Pošiljaoci\" nisu snimljene."));
        QVERIFY(s.Modified());

        // Once the folder is gone the next close writes it.
        QVERIFY(QDir(Home()).rmdir("Racuni.ini"));
        QVERIFY(senders.SaveIfModified());
        QVERIFY(!s.Modified());
        TSenderCatalogue sendersBack;
        QVERIFY(LoadSenders(racuni, sendersBack));
        QCOMPARE(sendersBack.Count(), 1);
        QCOMPARE(sendersBack.At(0).Naziv, QStringLiteral("Pošta"));
    }

    // The catalogues are read when first needed, not at start: the windows
    // made at start leave them alone; a look-up reads them; an opening window
    // reads what another copy wrote since. A file that cannot be read is
    // named once.
    void readWhenFirstNeededAndWhenOpened()
    {
        const QString racuni = QDir(Home()).filePath("Racuni.ini");
        TSenderCatalogue first;
        first.Assign({{"1610000000000001", "Šipad", "4200000000001", "77"}});
        QVERIFY(SaveSenders(racuni, first));
        QVERIFY(QDir(Home()).mkdir("Kordavina.ini"));

        TProgramData data;
        QStringList told;
        data.OnLoadError = [&told](const QString &message) { told.append(message); };
        LoadProgramData(data);
        TRacuniKForm form(data.Posiljaoci);
        TOpstineForm opstine(data.Opstine);
        QVERIFY(!data.Posiljaoci.IsLoaded());
        QVERIFY(!data.Opstine.IsLoaded());
        QCOMPARE(form.Model()->rowCount(), 0);

        QCOMPARE(data.Posiljaoci.FindPoziv("1610000000000001"), QStringLiteral("77"));
        QVERIFY(data.Posiljaoci.IsLoaded());
        QCOMPARE(data.Opstine.FindNaziv("077"), QString());
        QCOMPARE(data.Prihodi.FindNaziv("7"), QString());
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().contains(QDir(Home()).filePath("Kordavina.ini")),
                 qPrintable(told.first()));

        // Another copy adds a sender; this one has an unwritten change.
        TSenderCatalogue other;
        QVERIFY(LoadSenders(racuni, other));
        other.Add({"1610000000000002", "Pošta", "", ""});
        QVERIFY(SaveSenders(racuni, other));
        data.Posiljaoci.Add({"1610000000000003", "Elektro", "", ""});
        form.Reload();
        QCOMPARE(form.Model()->rowCount(), 3);
        QCOMPARE(data.Posiljaoci.FindNaziv("1610000000000002"), QStringLiteral("Pošta"));
        QVERIFY(form.SaveIfModified());
        TSenderCatalogue back;
        QVERIFY(LoadSenders(racuni, back));
        QCOMPARE(back.Count(), 3);
        QVERIFY(QDir(Home()).rmdir("Kordavina.ini"));
    }

    // Every control goes to its setting on "Potvrdi", nothing on "Odustani";
    // a printer removed since it was chosen shows an empty choice.
    void optionsRoundTrip()
    {
        TZorPrinter printer;
        const QString systemDefault = printer.PrinterName();
        TProgramData data;
        data.Settings.DefaultPrinter = QStringLiteral("laser hp");
        data.Settings.ErrOpstina = true;
        SetInchMm(25.4);
        TSetupForm::SetInstalledPrintersForTest(QStringList{"PDF", "Laser HP"});
        TSetupForm form(data);

        QStringList seen;
        WhenShown<TSetupForm>([&seen](TSetupForm *f) {
            seen << f->mPrinter->currentText() << QString::number(f->mPrinter->count());
            seen << (f->mOpstina->isChecked() ? "opstina" : "")
                 << (f->mRes->isChecked() ? "res" : "");
            seen << (f->mProvjeraRacuna->isChecked() ? "provjera" : "");
            seen << (f->focusWidget() == f->mPrinter ? "focus" : "");
            f->mPrinter->setCurrentIndex(1);
            for (QCheckBox *b :
                 {f->mRacunPrimaoca, f->mVrstaUplate, f->mVrstaPrihoda, f->mOpstina,
                  f->mAlignFields, f->mRes, f->mThousSep, f->mIznosJednako, f->mProvjeraRacuna})
                b->toggle();
            QTest::mouseClick(f->btnCancel, Qt::LeftButton);
        });
        QVERIFY(!form.Execute());
        QCOMPARE(seen, QStringList({"Laser HP", "3", "opstina", "", "provjera", "focus"}));
        QCOMPARE(data.Settings.DefaultPrinter, QStringLiteral("laser hp"));
        QVERIFY(data.Settings.ErrOpstina);
        QVERIFY(data.Settings.ProvjeraRacuna);
        QCOMPARE(InchMm(), 25.4);
        QCOMPARE(printer.PrinterName(), systemDefault);

        WhenShown<TSetupForm>([](TSetupForm *f) {
            QCOMPARE(f->mPrinter->currentText(), QStringLiteral("Laser HP")); // nothing kept
            f->mPrinter->setCurrentIndex(1);
            for (QCheckBox *b :
                 {f->mRacunPrimaoca, f->mVrstaUplate, f->mVrstaPrihoda, f->mOpstina,
                  f->mAlignFields, f->mRes, f->mThousSep, f->mIznosJednako, f->mProvjeraRacuna})
                b->toggle();
            QTest::mouseClick(f->btnOK, Qt::LeftButton);
        });
        QVERIFY(form.Execute());
        TSettings expected;
        expected.DefaultPrinter = QStringLiteral("PDF");
        expected.ErrRacunPrimaoca = expected.ErrVrstaUplate = expected.ErrVrstaPrihoda = true;
        expected.ErrOpstina = false;
        expected.AlignFields = expected.ThousandSep = expected.IznosJednako = true;
        expected.ProvjeraRacuna = false;
        QCOMPARE(data.Settings, expected);
        QCOMPARE(InchMm(), 30.0);
        // Already in the store, as a later start (or a crash now) would find it.
        {
            TSettings stored;
            LoadSettings(stored);
            QCOMPARE(stored, expected);
            QCOMPARE(InchMm(), 30.0);
        }

        // Removed since: no entry selected; "Potvrdi" empties the name.
        TSetupForm::SetInstalledPrintersForTest(QStringList{"Laser HP"});
        WhenShown<TSetupForm>([](TSetupForm *f) {
            QCOMPARE(f->mPrinter->currentIndex(), -1);
            QCOMPARE(f->mPrinter->currentText(), QString());
            QVERIFY(f->mRes->isChecked()); // 30.0 mm shows checked
            QTest::keyClick(f, Qt::Key_Return);
        });
        QVERIFY(form.Execute());
        QCOMPARE(data.Settings.DefaultPrinter, QString());
        QCOMPARE(InchMm(), 30.0);
        QCOMPARE(printer.PrinterName(), systemDefault);

        // With a real queue installed, choosing it makes it the current printer.
        TSetupForm::SetInstalledPrintersForTest(std::nullopt);
        const QStringList installed = QPrinterInfo::availablePrinterNames();
        if (!installed.isEmpty()) {
            WhenShown<TSetupForm>([](TSetupForm *f) {
                f->mPrinter->setCurrentIndex(f->mPrinter->count() - 1);
                QTest::mouseClick(f->btnOK, Qt::LeftButton);
            });
            QVERIFY(form.Execute());
            QCOMPARE(data.Settings.DefaultPrinter, installed.last());
            QCOMPARE(printer.PrinterName(), installed.last());
        }
        SetInchMm(25.4);
    }

    // At the end of the run every catalogue still changed is written; a file
    // that cannot be written is named, the others are written all the same.
    void endOfRunNamesTheFileNotWritten()
    {
        TProgramData data;
        data.Opstine.Add("077", "Zenica");
        data.Svrhe.AddPurpose("Porez");
        data.Posiljaoci.Add({"1610000000000001", "Šipad", "", ""});
        const QString ini = QDir(Home()).filePath("Kordavina.ini");
        const QString racuni = QDir(Home()).filePath("Racuni.ini");
        QVERIFY(QDir(Home()).mkdir("Kordavina.ini"));
        QStringList errors;
        QVERIFY(!SaveCatalogues(data, &errors));
        QCOMPARE(errors.size(), 2); // municipalities and purposes
        for (const QString &e : errors)
            QVERIFY2(e.contains(ini), qPrintable(e));
        QVERIFY(data.Opstine.Modified());
        QVERIFY(data.Svrhe.Modified());
        QVERIFY(!data.Posiljaoci.Modified());
        TSenderCatalogue back;
        QVERIFY(LoadSenders(racuni, back));
        QCOMPARE(back.Count(), 1);

        // The next attempt, once the file can be written, loses nothing.
        QVERIFY(QDir(Home()).rmdir("Kordavina.ini"));
        errors.clear();
        QVERIFY(SaveCatalogues(data, &errors));
        TCatalogue opstine, svrhe;
        QVERIFY(LoadCatalogue(ini, TCatalogueKind::Opstine, opstine));
        QVERIFY(LoadCatalogue(ini, TCatalogueKind::Svrhe, svrhe));
        QCOMPARE(opstine.FindNaziv("077"), QStringLiteral("Zenica"));
        QCOMPARE(svrhe.Count(), 1);
    }

    void placementAndColumnsKept()
    {
        TCatalogue c;
        c.Assign({{"1", "Zenica"}});
        {
            TRacuniForm form(c);
            // The designed size and widths, wider where the font needs it
            // to show a whole account.
            QVERIFY(form.width() >= 420);
            QCOMPARE(form.height(), 322);
            const int account = form.List->horizontalHeader()->sectionSize(0);
            QVERIFY(account >= 120);
            QVERIFY(account > form.List->fontMetrics().horizontalAdvance("1610000012345678"));
            QVERIFY(form.width() > account + 250);
            QCOMPARE(form.List->horizontalHeader()->sectionSize(1), 250);
            QCOMPARE(form.minimumSize(), QSize(337, 200));
            form.show(); // a window never shown keeps what was stored
            form.resize(500, 400);
            form.List->horizontalHeader()->resizeSection(0, 77);
        }
        TRacuniForm again(c);
        QCOMPARE(again.size(), QSize(500, 400));
        QCOMPARE(again.List->horizontalHeader()->sectionSize(0), 77);
        QCOMPARE(again.List->horizontalHeader()->sectionSize(1), 250);
    }
};

QTEST_MAIN(TestCatalogueForms)
#include "tst_catalogueforms.moc"

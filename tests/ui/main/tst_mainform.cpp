#include "controls/NumEdit.h"
#include "core/AppFolder.h"
#include "core/Settings.h"
#include "core/UplFileIO.h"
#include "ui/print/ZorPrinters.h"
#include "ui/help/HelpFormU.h"
#include "ui/common/ConfirmFormU.h"
#include "ui/main/MainFormU.h"
#include "ui/common/ProgramData.h"

#include "DialogTest.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QUndoStack>

#include <limits>
#include <memory>

namespace {

// A slip file of count slips described "Slip 1" …, the marked ones as given.
TUplFile MakeFile(const QString &path, int count, std::initializer_list<int> marked)
{
    TUplFile file;
    file.FileName = path;
    for (int i = 0; i < count; ++i) {
        TUpl slip = NewSlip();
        slip.Opis = QStringLiteral("Slip %1").arg(i + 1);
        slip.Posiljalac = QStringLiteral("Sender %1").arg(i + 1);
        slip.Iznos = 10 * (i + 1);
        file.AddSlip(slip);
    }
    for (int m : marked)
        file.Uplatnice[m].Oznacena = true;
    return file;
}

// Types text as keystrokes, also characters QTest has no key for.
void TypeText(QWidget *w, const QString &text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

QStringList MarkedOpis(const TUplFile &file)
{
    QStringList opis;
    for (const TUpl &slip : file.Uplatnice)
        if (slip.Oznacena)
            opis << slip.Opis;
    return opis;
}

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void startsWithANewFile();
    void commandLineFile();
    void rejectedCommandLineFileStartsANewFile();
    void senderAccountFillsEveryMarkedSlip();
    void lookupsKeepWhatTheCatalogueLacks();
    void fieldEditsAreUndoStepsPerSlip();
    void severalMarkedSlipsShowEmptyFieldsAndMergedStates();
    void alignFieldsMovesRowsUp();
    void pageKeysWrapAround();
    void enterStaysOnUnknownCodeAndPicks();
    void closeQuestionAnswers();
    void closeQuestionSavesUnnamedFile();
    void openingAnOpenFileSwitchesToIt();
    void fileNumbersAreNeverReused();
    void closingTabsActivatesNeighbour();
    void selectMenuMatchesCaptionIgnoringCase();
    void defaultFileRoundTrip();
    void saveAsksWhenFileChangedOnDisk();
    void clipboardKeysInTextFields();
    void commandKeysWinOverLineEditingKeys();
    void charactersOutsideWin1250AreRefused();
    void notesAndDates();
    void enablingFollowsTheFile();
    void printsToPdfAndCancels();
    void helpContexts();
    void aboutWindow();
    void clickingASlipShowsItAndMovesOn();
    void copyKeyOutsideTextFieldsRunsTheCommand();
    void markedSlipsPrintOnTheCurrentPrinter();
    void printerIsOfferedWhenNoneIsTheDefault();
    void saveAsKeepsNameWhenCancelledOrFailed();
    void rejectedDefaultFileGivesOneSlip();
    void hideKeepsTheWindowReachable();
    void placementIsKeptAndWidthHasAFloor();

private:
    std::unique_ptr<TMainForm> MakeForm(const QString &commandLine = QString());
    QString Path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TProgramData> m_data;
    std::unique_ptr<TZorPrinter> m_printer;
};

void TestMainForm::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    m_printer = std::make_unique<TZorPrinter>();
}

void TestMainForm::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("KORDAVINA_HOME", m_dir->path().toUtf8());
    SetSettingsFile(Path(QStringLiteral("settings.ini")));
    m_data = std::make_unique<TProgramData>();
    LoadProgramData(*m_data);
    ResetDialogSeams();
    TConfirmForm::ClearQueuedAnswers();
}

void TestMainForm::cleanup()
{
    QCOMPARE(TConfirmForm::QueuedAnswers(), 0);
    TConfirmForm::ClearQueuedAnswers();
}

std::unique_ptr<TMainForm> TestMainForm::MakeForm(const QString &commandLine)
{
    TMainForm::SetCommandLineFile(commandLine);
    auto form = std::make_unique<TMainForm>(*m_data);
    form->show();
    // Focus tests need the active window (a display without a window manager
    // does not activate it by itself).
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get()))
        qWarning("the main window did not become active");
    return form;
}

void TestMainForm::startsWithANewFile()
{
    auto w = MakeForm();
    QCOMPARE(int(w->OpenFiles.size()), 1);
    QCOMPARE(w->FileTabs->tabText(0), QStringLiteral("Datoteka1"));
    QCOMPARE(w->NextFileNumber, 2);
    const TUplFile *file = w->CurrentFile();
    QVERIFY(file->Snimljena);
    QCOMPARE(file->Count(), 1);
    QCOMPARE(file->Uplatnice.at(0).Opis, QStringLiteral("Uplatnica"));
    QVERIFY(file->Uplatnice.at(0).Oznacena);
    QCOMPARE(w->windowTitle(), QStringLiteral("Kordavina"));
    QVERIFY(w->width() >= MinClientWidth);
}

void TestMainForm::commandLineFile()
{
    TUplFile file = MakeFile(Path(QStringLiteral("Plate.upl")), 3, {1});
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    QCOMPARE(int(w->OpenFiles.size()), 1);
    QCOMPARE(w->FileTabs->tabText(0), QStringLiteral("Plate"));
    QCOMPARE(w->NextFileNumber, 1);
    QCOMPARE(w->mPosiljalac->text(), QStringLiteral("Sender 2"));
    QCOMPARE(w->CurrentSlipIndex(), 1);
    QVERIFY(ShownErrors().isEmpty());
}

void TestMainForm::rejectedCommandLineFileStartsANewFile()
{
    const QString bad = Path(QStringLiteral("bad.upl"));
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not a slip file at all");
    f.close();
    auto w = MakeForm(bad);
    QTRY_COMPARE(ShownErrors().size(), 1);
    QVERIFY2(ShownErrors().at(0).contains(UplBadFormatText()), qPrintable(ShownErrors().at(0)));
    QVERIFY(ShownErrors().at(0).contains(QStringLiteral("bad.upl")));
    QCOMPARE(int(w->OpenFiles.size()), 1);
    QCOMPARE(w->CurrentFile()->FileName, QStringLiteral("Datoteka1"));
}

void TestMainForm::senderAccountFillsEveryMarkedSlip()
{
    m_data->Posiljaoci.Add({QStringLiteral("1011000000000001"), QStringLiteral("Firma d.o.o."),
                            QStringLiteral("4200000000001"), QStringLiteral("7654321")});
    TUplFile file = MakeFile(Path(QStringLiteral("a.upl")), 4, {0, 2});
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    const TUplFile &f = *w->CurrentFile();
    QVERIFY(f.Snimljena);

    w->mRacunPosiljaoca->setFocus();
    QTest::keyClicks(w->mRacunPosiljaoca, QStringLiteral("1011000000000001"));
    for (int i : {0, 2}) {
        const TUpl &slip = f.Uplatnice.at(i);
        QCOMPARE(slip.RacunPosiljaoca, QStringLiteral("1011000000000001"));
        QCOMPARE(slip.Posiljalac, QStringLiteral("Firma d.o.o."));
        QCOMPARE(slip.BrojObveznika, QStringLiteral("4200000000001"));
        QCOMPARE(slip.Poziv, QStringLiteral("7654321"));
    }
    for (int i : {1, 3}) {
        QCOMPARE(f.Uplatnice.at(i).RacunPosiljaoca, QString());
        QCOMPARE(f.Uplatnice.at(i).Posiljalac, QStringLiteral("Sender %1").arg(i + 1));
    }
    QCOMPARE(w->mPosiljalac->text(), QStringLiteral("Firma d.o.o."));
    QVERIFY(!f.Snimljena);

    // Shown again, the marked slips agree on the sender: it is shown.
    w->ShowCurrentSlip();
    QCOMPARE(w->mPosiljalac->text(), QStringLiteral("Firma d.o.o."));
    // An account the catalogue does not know leaves the three fields of
    // every marked slip as they were.
    w->mRacunPosiljaoca->selectAll();
    QTest::keyClicks(w->mRacunPosiljaoca, QStringLiteral("9"));
    for (int i : {0, 2}) {
        QCOMPARE(f.Uplatnice.at(i).RacunPosiljaoca, QStringLiteral("9"));
        QCOMPARE(f.Uplatnice.at(i).Posiljalac, QStringLiteral("Firma d.o.o."));
        QCOMPARE(f.Uplatnice.at(i).Poziv, QStringLiteral("7654321"));
    }
    // The amount typed goes into both; their other fields stay.
    w->mIznos->setFocus();
    w->mIznos->selectAll();
    QTest::keyClicks(w->mIznos, QStringLiteral("12.5"));
    QCOMPARE(f.Uplatnice.at(0).Iznos, 12.5);
    QCOMPARE(f.Uplatnice.at(2).Iznos, 12.5);
    QCOMPARE(f.Uplatnice.at(1).Iznos, 20.0);
}

void TestMainForm::lookupsKeepWhatTheCatalogueLacks()
{
    // Sender 1011…0001 is known without a reference number; the slip's
    // account 1011…0009 is not in the catalogue.
    const QString known = QStringLiteral("1011000000000001");
    m_data->Posiljaoci.Add(
        {known, QStringLiteral("Firma d.o.o."), QStringLiteral("4200000000001"), QString()});
    m_data->Racuni.Add(QStringLiteral("3380000000000001"), QStringLiteral("Elektroprivreda"));
    m_data->Racuni.Add(QStringLiteral("3380000000000002"), QString());
    m_data->Opstine.Add(QStringLiteral("077"), QStringLiteral("Centar"));
    m_data->Prihodi.Add(QStringLiteral("711111"), QStringLiteral("Porez"));
    TUplFile file = MakeFile(Path(QStringLiteral("l.upl")), 1, {0});
    TUpl &start = file.Uplatnice[0];
    start.RacunPosiljaoca = QStringLiteral("1011000000000009");
    start.Posiljalac = QStringLiteral("Ručno upisano ime");
    start.BrojObveznika = QStringLiteral("4200000000009");
    start.Poziv = QStringLiteral("1234567890");
    start.Primalac = QStringLiteral("Primalac upisan rukom");
    start.Opstina = QStringLiteral("099");
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    const TUpl &slip = w->CurrentFile()->Uplatnice.at(0);

    // Correcting the last digit to another unknown account: on the way
    // (deleted, retyped) nothing typed by hand is lost.
    w->mRacunPosiljaoca->setFocus();
    w->mRacunPosiljaoca->end(false);
    QTest::keyClick(w->mRacunPosiljaoca, Qt::Key_Backspace);
    QCOMPARE(slip.Posiljalac, QStringLiteral("Ručno upisano ime"));
    QTest::keyClicks(w->mRacunPosiljaoca, QStringLiteral("8"));
    QCOMPARE(slip.RacunPosiljaoca, QStringLiteral("1011000000000008"));
    QCOMPARE(slip.Posiljalac + slip.BrojObveznika + slip.Poziv,
             QStringLiteral("Ručno upisano ime42000000000091234567890"));
    // Corrected to the known account: its name and number come in, the
    // reference number it does not have stays.
    QTest::keyClick(w->mRacunPosiljaoca, Qt::Key_Backspace);
    QTest::keyClicks(w->mRacunPosiljaoca, QStringLiteral("1"));
    QCOMPARE(slip.Posiljalac, QStringLiteral("Firma d.o.o."));
    QCOMPARE(slip.BrojObveznika, QStringLiteral("4200000000001"));
    QCOMPARE(slip.Poziv, QStringLiteral("1234567890"));
    QCOMPARE(w->mPoziv->text(), QStringLiteral("1234567890"));

    // Recipient account: unknown and known without a name keep the typed
    // recipient; a known one with a name fills it.
    w->mRacunPrimaoca->setFocus();
    QTest::keyClicks(w->mRacunPrimaoca, QStringLiteral("3380000000000002"));
    QCOMPARE(slip.Primalac, QStringLiteral("Primalac upisan rukom"));
    w->mRacunPrimaoca->clear();
    QTest::keyClicks(w->mRacunPrimaoca, QStringLiteral("3380000000000001"));
    QCOMPARE(slip.Primalac, QStringLiteral("Elektroprivreda"));

    // Revenue type and municipality show a name beside a known code and
    // touch no other field of the slip.
    const TUpl beforeCodes = slip;
    w->mOpstina->setFocus();
    w->mOpstina->clear();
    QTest::keyClicks(w->mOpstina, QStringLiteral("077"));
    QCOMPARE(w->stOpstina->text(), QStringLiteral("Centar"));
    w->mVrstaPrihoda->setFocus();
    QTest::keyClicks(w->mVrstaPrihoda, QStringLiteral("711111"));
    QCOMPARE(w->stVrstaPrihoda->text(), QStringLiteral("Porez"));
    TUpl expected = beforeCodes;
    expected.Opstina = QStringLiteral("077");
    expected.VrstaPrihoda = QStringLiteral("711111");
    QCOMPARE(slip, expected);

    // Picks follow the same rule: what the entry lacks stays.
    w->WritePickedEntry(TCatalogueKind::Racuni, {QStringLiteral("3380000000000002"), QString()});
    QCOMPARE(slip.RacunPrimaoca, QStringLiteral("3380000000000002"));
    QCOMPARE(slip.Primalac, QStringLiteral("Elektroprivreda"));
    w->WritePickedSender(
        {QStringLiteral("1011000000000005"), QStringLiteral("Drugi"), QString(), QString()});
    QCOMPARE(slip.RacunPosiljaoca + slip.Posiljalac, QStringLiteral("1011000000000005Drugi"));
    QCOMPARE(slip.BrojObveznika + slip.Poziv, QStringLiteral("42000000000011234567890"));
    w->WritePickedEntry(TCatalogueKind::Svrhe, {QStringLiteral("Porez na dobit"), QString()});
    QCOMPARE(slip.Svrha, QStringLiteral("Porez na dobit"));

    // What is kept is what is saved.
    QVERIFY(w->SaveFile(*w->CurrentOpenFile()));
    const TUplReadResult saved = ReadUplFile(file.FileName);
    QVERIFY(saved.File);
    QCOMPARE(saved.File->Uplatnice.at(0).Poziv, QStringLiteral("1234567890"));
    QCOMPARE(saved.File->Uplatnice.at(0).Primalac, QStringLiteral("Elektroprivreda"));
}

void TestMainForm::fieldEditsAreUndoStepsPerSlip()
{
    m_data->Posiljaoci.Add({QStringLiteral("1011000000000001"), QStringLiteral("Firma d.o.o."),
                            QString(), QStringLiteral("7654321")});
    TUplFile file = MakeFile(Path(QStringLiteral("u.upl")), 4, {0, 1, 3});
    for (int i = 0; i < 4; ++i)
        file.Uplatnice[i].DatumUplate = QStringLiteral("0%1").arg(i + 1) + QStringLiteral("0126");
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    const TUplFile &f = *w->CurrentFile();
    const QList<TUpl> start = f.Uplatnice;
    QUndoStack &stack = w->CurrentOpenFile()->Undo;

    // A date typed into three marked slips: one step, named after the field.
    w->mDatumUplate->setFocus();
    w->mDatumUplate->home(false);
    QTest::keyClicks(w->mDatumUplate, QStringLiteral("150626"));
    for (int i : {0, 1, 3})
        QCOMPARE(f.Uplatnice.at(i).DatumUplate, QStringLiteral("150626"));
    QCOMPARE(stack.count(), 1);
    w->SyncSlipUndo();
    QVERIFY(w->UplUndoA->isEnabled());
    QCOMPARE(w->UplUndoA->text(), QStringLiteral("Pon&išti: Datum uplate"));

    // Ctrl+Z in the field goes to the file's stack: each slip gets its own
    // date back (the line edit's own undo would blank all three).
    QTest::keyClick(w->mDatumUplate, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.Uplatnice, start);
    QVERIFY(f.Snimljena);
    QCOMPARE(w->UplRedoA->text(), QStringLiteral("Pono&vi: Datum uplate"));
    QCOMPARE(w->UplUndoA->text(), QStringLiteral("Pon&išti"));
    QTest::keyClick(w->mDatumUplate, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    for (int i : {0, 1, 3})
        QCOMPARE(f.Uplatnice.at(i).DatumUplate, QStringLiteral("150626"));
    QCOMPARE(f.Uplatnice.at(2).DatumUplate, QStringLiteral("030126"));
    QVERIFY(!f.Snimljena);

    // Another field is another step; the look-up's writes belong to it.
    w->mRacunPosiljaoca->setFocus();
    QTest::keyClicks(w->mRacunPosiljaoca, QStringLiteral("1011000000000001"));
    QCOMPARE(stack.count(), 2);
    QCOMPARE(w->UplUndoA->text(), QStringLiteral("Pon&išti: Račun pošiljaoca"));
    QCOMPARE(f.Uplatnice.at(1).Poziv, QStringLiteral("7654321"));
    QTest::keyClick(w->mRacunPosiljaoca, Qt::Key_Z, Qt::ControlModifier);
    for (int i : {0, 1, 3}) {
        QCOMPARE(f.Uplatnice.at(i).Posiljalac, start.at(i).Posiljalac);
        QCOMPARE(f.Uplatnice.at(i).Poziv, QString());
        QCOMPARE(f.Uplatnice.at(i).DatumUplate, QStringLiteral("150626"));
    }
    // Leaving the field and coming back starts a new step.
    QTest::keyClicks(w->mRacunPosiljaoca, QStringLiteral("5"));
    w->mPoziv->setFocus();
    w->mRacunPosiljaoca->setFocus();
    QTest::keyClicks(w->mRacunPosiljaoca, QStringLiteral("6"));
    QCOMPARE(stack.count(), 3);
    // The slip list's Ctrl+Z takes back the same steps.
    w->UplList->setFocus();
    QTest::keyClick(w->UplList, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(w->UplList, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(w->UplList, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.Uplatnice, start);
}

void TestMainForm::severalMarkedSlipsShowEmptyFieldsAndMergedStates()
{
    TUplFile file = MakeFile(Path(QStringLiteral("s.upl")), 3, {0, 1});
    file.Uplatnice[0].Stanja[stSvrha] = spZabranjeno;
    file.Uplatnice[1].Stanja[stPoziv] = spNevidljivo;
    file.Uplatnice[2].Stanja[stOpstina] = spNevidljivo; // not marked: no say
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    QCOMPARE(w->mPosiljalac->text(), QString());
    QCOMPARE(w->mIznos->Value(), 0.0);
    QVERIFY(!w->mSvrha->isEnabled());
    QVERIFY(w->mSvrha->isVisibleTo(w->TabSheet));
    QVERIFY(!w->mPoziv->isVisibleTo(w->TabSheet));
    QVERIFY(!w->RowLabel(RowOf(efPoziv))->isVisibleTo(w->TabSheet));
    QVERIFY(w->mOpstina->isVisibleTo(w->TabSheet));
    QVERIFY(!w->spSvrha->isEnabled());

    // Showing the third slip alone: its own states and values.
    w->MoveToSlip(2);
    QCOMPARE(w->mPosiljalac->text(), QStringLiteral("Sender 3"));
    QVERIFY(w->mSvrha->isEnabled());
    QVERIFY(w->mPoziv->isVisibleTo(w->TabSheet));
    QVERIFY(!w->mOpstina->isVisibleTo(w->TabSheet));
    QVERIFY(!w->stOpstina->isVisibleTo(w->TabSheet));
    QVERIFY(!w->spOpstina->isVisibleTo(w->TabSheet));
    QVERIFY(w->CurrentFile()->Snimljena); // showing and marking change nothing
    QCOMPARE(MarkedOpis(*w->CurrentFile()), QStringList{QStringLiteral("Slip 3")});

    // Unselecting every line (a click beside them) marks the first slip again.
    w->UplList->clearSelection();
    QTRY_COMPARE(MarkedOpis(*w->CurrentFile()), QStringList{QStringLiteral("Slip 1")});
    QCOMPARE(w->mPosiljalac->text(), QStringLiteral("Sender 1"));

    // "Označi sve" marks every slip.
    QTest::mouseClick(w->SpeedButton1, Qt::LeftButton);
    QCOMPARE(MarkedOpis(*w->CurrentFile()).size(), 3);
    QVERIFY(!w->mOpstina->isVisibleTo(w->TabSheet));
    QCOMPARE(w->mPosiljalac->text(), QString());
}

void TestMainForm::alignFieldsMovesRowsUp()
{
    TUplFile file = MakeFile(Path(QStringLiteral("h.upl")), 1, {0});
    file.Uplatnice[0].Stanja[stSvrha] = spNevidljivo;
    file.Uplatnice[0].Stanja[stRacunPosiljaoca] = spNevidljivo;
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    const int gapped = w->mMjestoUplate->y();
    const int posiljalac = w->mPosiljalac->y();
    QVERIFY(w->spPosiljalac->isVisibleTo(w->TabSheet)); // its account is hidden
    // The options dialog changes the setting and says so.
    m_data->Settings.AlignFields = true;
    Q_EMIT w->SettingsChanged();
    QCOMPARE(w->mMjestoUplate->y(), gapped - 40);
    QCOMPARE(w->mPosiljalac->y(), posiljalac - 20);
    QCOMPARE(w->RowLabel(RowOf(efMjestoUplate))->y(), w->mMjestoUplate->y() + 3);
    QCOMPARE(w->spPosiljalac->y(), w->mPosiljalac->y() + 1);
}

void TestMainForm::pageKeysWrapAround()
{
    TUplFile file = MakeFile(Path(QStringLiteral("p.upl")), 3, {2});
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    w->mSvrha->setFocus();
    QTest::keyClick(w->mSvrha, Qt::Key_PageDown);
    QCOMPARE(MarkedOpis(*w->CurrentFile()), QStringList{QStringLiteral("Slip 1")});
    QCOMPARE(w->mPosiljalac->text(), QStringLiteral("Sender 1"));
    QCOMPARE(QApplication::focusWidget(), w->mSvrha);
    QTest::keyClick(w->mSvrha, Qt::Key_PageUp);
    QCOMPARE(MarkedOpis(*w->CurrentFile()), QStringList{QStringLiteral("Slip 3")});
    QTest::keyClick(w->mSvrha, Qt::Key_PageUp);
    QCOMPARE(MarkedOpis(*w->CurrentFile()), QStringList{QStringLiteral("Slip 2")});
    QCOMPARE(w->UplList->selectionModel()->selectedRows().size(), 1);

    // Enter and the arrows walk the rows.
    QTest::keyClick(w->mSvrha, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), w->mRacunPrimaoca);
    QTest::keyClick(w->mRacunPrimaoca, Qt::Key_Up);
    QCOMPARE(QApplication::focusWidget(), w->mSvrha);
    // "+" and "-" on HITNO.
    w->mHitno->setFocus();
    QTest::keyClick(w->mHitno, Qt::Key_Plus);
    QVERIFY(w->CurrentFile()->Uplatnice.at(1).Hitno);
    QTest::keyClick(w->mHitno, Qt::Key_Minus);
    QVERIFY(!w->CurrentFile()->Uplatnice.at(1).Hitno);
}

void TestMainForm::enterStaysOnUnknownCodeAndPicks()
{
    m_data->Opstine.Add(QStringLiteral("077"), QStringLiteral("Centar"));
    auto w = MakeForm();
    QStringList asked;
    std::optional<TCatalogueEntry> answer;
    w->CataloguePicker = [&](TCatalogueKind kind, const QString &current) {
        asked << QStringLiteral("%1:%2").arg(int(kind)).arg(current);
        return answer;
    };
    w->mOpstina->setFocus();
    QTest::keyClicks(w->mOpstina, QStringLiteral("99"));
    QTest::keyClick(w->mOpstina, Qt::Key_Return);
    QCOMPARE(asked, QStringList{QStringLiteral("%1:99").arg(int(TCatalogueKind::Opstine))});
    QCOMPARE(QApplication::focusWidget(), w->mOpstina);

    answer = TCatalogueEntry{QStringLiteral("077"), QStringLiteral("Centar")};
    QTest::keyClick(w->mOpstina, Qt::Key_Down);
    QCOMPARE(w->mOpstina->text(), QStringLiteral("077"));
    QCOMPARE(w->stOpstina->text(), QStringLiteral("Centar"));
    QCOMPARE(w->CurrentFile()->Uplatnice.at(0).Opstina, QStringLiteral("077"));
    QCOMPARE(QApplication::focusWidget(), w->mOpstina);
    // Now it has a name: the focus moves on.
    QTest::keyClick(w->mOpstina, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), w->mPoziv);

    // With the switch on, an unknown code may be left.
    m_data->Settings.ErrOpstina = true;
    w->mOpstina->setFocus();
    w->mOpstina->setText(QStringLiteral("5"));
    QTest::keyClick(w->mOpstina, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), w->mPoziv);
    QCOMPARE(asked.size(), 2);

    // A picked sender fills its four fields.
    w->WritePickedSender(
        {QStringLiteral("1"), QStringLiteral("N"), QStringLiteral("B"), QStringLiteral("P")});
    const TUpl &slip = w->CurrentFile()->Uplatnice.at(0);
    QCOMPARE(slip.RacunPosiljaoca + slip.Posiljalac + slip.BrojObveznika + slip.Poziv,
             QStringLiteral("1NBP"));
    w->WritePickedEntry(TCatalogueKind::Racuni, {QStringLiteral("338"), QStringLiteral("EP")});
    QCOMPARE(slip.RacunPrimaoca + slip.Primalac, QStringLiteral("338EP"));
}

void TestMainForm::closeQuestionAnswers()
{
    // A file whose folder is gone cannot be saved.
    TUplFile file = MakeFile(Path(QStringLiteral("gone/x.upl")), 1, {0});
    auto w = MakeForm();
    w->AddOpenFile(file);
    QTest::keyClicks(w->mSvrha, QStringLiteral("promjena"));
    QVERIFY(!w->CurrentFile()->Snimljena);

    TConfirmForm::QueueAnswer(TConfirmResult::Cancel);
    QVERIFY(!w->close());
    QCOMPARE(TConfirmForm::LastQuestion(), QStringLiteral("Želite li snimiti promjene u x.upl?"));
    QVERIFY(ShownErrors().isEmpty());

    TConfirmForm::QueueAnswer(TConfirmResult::Yes);
    QVERIFY(!w->close());
    QCOMPARE(ShownErrors().size(), 1);
    QVERIFY(ShownErrors().at(0).contains(QStringLiteral("x.upl")));
    QCOMPARE(w->CurrentFile()->FileName, file.FileName);
    QVERIFY(!w->CurrentFile()->Snimljena);

    TConfirmForm::QueueAnswer(TConfirmResult::No);
    QVERIFY(w->close());
    QVERIFY(!QFile::exists(file.FileName));
}

void TestMainForm::closeQuestionSavesUnnamedFile()
{
    auto w = MakeForm();
    w->NewFile();
    w->ActivateFile(0);
    QTest::keyClicks(w->mSvrha, QStringLiteral("prva"));
    w->ActivateFile(1);
    QTest::keyClicks(w->mSvrha, QStringLiteral("druga"));
    FileDialogSeam().QueueAnswer(Path(QStringLiteral("prva.upl")));
    // The first file is saved under a chosen name, the second is let go.
    TConfirmForm::QueueAnswer(TConfirmResult::Yes);
    TConfirmForm::QueueAnswer(TConfirmResult::No);
    QVERIFY(w->close());
    QCOMPARE(FileDialogSeam().Asked(),
             (QList<QStringList>{{QStringLiteral("Snimanje"), QStringLiteral("Datoteka1.upl")}}));
    const TUplReadResult back = ReadUplFile(Path(QStringLiteral("prva.upl")));
    QCOMPARE(back.Status, TUplReadResult::Ok);
    QCOMPARE(back.File->Uplatnice.at(0).Svrha, QStringLiteral("prva"));
    QCOMPARE(w->FileTabs->tabText(0), QStringLiteral("prva"));
}

void TestMainForm::openingAnOpenFileSwitchesToIt()
{
    TUplFile file = MakeFile(Path(QStringLiteral("o.upl")), 2, {0});
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm();
    FileDialogSeam().QueueAnswer(file.FileName);
    FileDialogSeam().QueueAnswer(file.FileName);
    w->FileOpenA->trigger();
    QCOMPARE(int(w->OpenFiles.size()), 2);
    QTest::keyClicks(w->mSvrha, QStringLiteral("neu"));
    w->ActivateFile(0);
    w->FileOpenA->trigger();
    QCOMPARE(int(w->OpenFiles.size()), 2);
    QCOMPARE(w->FileTabs->currentIndex(), 1);
    // Nothing was read again: the unsaved change is still there.
    QCOMPARE(w->CurrentFile()->Uplatnice.at(0).Svrha, QStringLiteral("neu"));
    QCOMPARE(w->mSvrha->text(), QStringLiteral("neu"));

    // A file the reader refuses opens nothing.
    const QString bad = Path(QStringLiteral("bad.upl"));
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("Kordavina 9.9");
    f.close();
    QVERIFY(!w->OpenFileByName(bad));
    QCOMPARE(int(w->OpenFiles.size()), 2);
    QCOMPARE(ShownErrors(), QStringList{UplBadFormatText()});
}

void TestMainForm::fileNumbersAreNeverReused()
{
    auto w = MakeForm();
    w->FileNewA->trigger();
    QCOMPARE(w->FileTabs->tabText(1), QStringLiteral("Datoteka2"));
    w->ActivateFile(0);
    w->FileCloseA->trigger(); // unchanged: no question
    w->FileNewA->trigger();
    QCOMPARE(w->FileTabs->count(), 2);
    QCOMPARE(w->FileTabs->tabText(1), QStringLiteral("Datoteka3"));
}

void TestMainForm::closingTabsActivatesNeighbour()
{
    auto w = MakeForm();
    w->NewFile();
    w->NewFile();
    w->ActivateFile(1);
    // Switching back and forth leaves one selection model behind the list.
    for (int i = 0; i < 6; ++i)
        w->ActivateFile(i % 3);
    QCOMPARE(w->UplList->findChildren<QItemSelectionModel *>().size(), 1);
    w->ActivateFile(1);
    w->FileCloseA->trigger();
    QCOMPARE(w->FileTabs->currentIndex(), 1);
    QCOMPARE(w->CurrentFile()->FileName, QStringLiteral("Datoteka3"));
    w->FileCloseA->trigger();
    QCOMPARE(w->CurrentFile()->FileName, QStringLiteral("Datoteka1"));
    const int withTabs = w->height();
    w->FileCloseA->trigger();
    QCOMPARE(w->CurrentFile(), nullptr);
    QVERIFY(w->centralWidget()->isHidden());
    w->UpdateActions();
    QVERIFY(w->height() < withTabs - 200); // down to the bars
    QVERIFY(!w->FileSaveA->isEnabled());
    QVERIFY(w->FileNewA->isEnabled() && w->FileOpenA->isEnabled());
    w->FileNewA->trigger();
    QVERIFY(!w->centralWidget()->isHidden());
    w->UpdateActions();
    QCOMPARE(w->height(), withTabs);
}

void TestMainForm::selectMenuMatchesCaptionIgnoringCase()
{
    const QString a = Path(QStringLiteral("one/Plate.upl"));
    const QString b = Path(QStringLiteral("two/plate.upl"));
    QVERIFY(QDir().mkpath(Path(QStringLiteral("one"))) &&
            QDir().mkpath(Path(QStringLiteral("two"))));
    TUplFile fa = MakeFile(a, 1, {0});
    TUplFile fb = MakeFile(b, 1, {0});
    QVERIFY(WriteUplFile(fa) && WriteUplFile(fb));
    auto w = MakeForm();
    QVERIFY(w->OpenFileByName(a) && w->OpenFileByName(b));
    w->mnuFileClick();
    const QList<QAction *> items = w->mnuFileSelect->actions();
    QCOMPARE(items.size(), 3);
    QVERIFY(items.at(2)->isChecked() && !items.at(1)->isChecked());
    // Both later files carry the same caption but for its case: the first wins.
    w->MenuFileSelect(QStringLiteral("PLATE"));
    QCOMPARE(w->FileTabs->currentIndex(), 1);
    items.at(2)->trigger();
    QCOMPARE(w->FileTabs->currentIndex(), 1);
    items.at(0)->trigger();
    QCOMPARE(w->FileTabs->currentIndex(), 0);
}

void TestMainForm::defaultFileRoundTrip()
{
    TUplFile file = MakeFile(Path(QStringLiteral("d.upl")), 2, {1});
    file.Napomene = QStringLiteral("uzorak");
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    QTest::keyClicks(w->mSvrha, QStringLiteral("svrha"));
    QVERIFY(!w->FileDefaultDelA->isEnabled());

    TConfirmForm::QueueAnswer(TConfirmResult::No);
    w->FileDefaultA->trigger();
    const QString defaultPath = ProgramFile(QStringLiteral("Default.upl"));
    QVERIFY(!QFile::exists(defaultPath));

    TConfirmForm::QueueAnswer(TConfirmResult::Yes);
    w->FileDefaultA->trigger();
    QCOMPARE(TConfirmForm::LastQuestion(),
             QStringLiteral("Želite li da aktivna datoteka bude standardna datoteka?"));
    QVERIFY(QFile::exists(defaultPath));
    // The current file stays what it was: its name, its unsaved state.
    QCOMPARE(w->CurrentFile()->FileName, file.FileName);
    QVERIFY(!w->CurrentFile()->Snimljena);
    QCOMPARE(w->FileTabs->tabText(0), QStringLiteral("d"));
    w->UpdateActions();
    QVERIFY(w->FileDefaultDelA->isEnabled());

    // A new file takes the default's notes and slips, and still has no name.
    w->FileNewA->trigger();
    const TUplFile *made = w->CurrentFile();
    QCOMPARE(made->FileName, QStringLiteral("Datoteka1"));
    QCOMPARE(made->Napomene, QStringLiteral("uzorak"));
    QCOMPARE(made->Count(), 2);
    QCOMPARE(made->Uplatnice.at(1).Svrha, QStringLiteral("svrha"));
    QVERIFY(made->Snimljena);
    QCOMPARE(w->mSvrha->text(), QStringLiteral("svrha"));

    TConfirmForm::QueueAnswer(TConfirmResult::Yes);
    w->FileDefaultDelA->trigger();
    QVERIFY(!QFile::exists(defaultPath));
    w->FileNewA->trigger();
    QCOMPARE(w->CurrentFile()->Uplatnice.at(0).Opis, QStringLiteral("Uplatnica"));
}

void TestMainForm::saveAsksWhenFileChangedOnDisk()
{
    TUplFile file = MakeFile(Path(QStringLiteral("m.upl")), 1, {0});
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    QTest::keyClicks(w->mSvrha, QStringLiteral("moja"));
    // Another program writes the file meanwhile.
    TUplFile other = MakeFile(file.FileName, 2, {0});
    QVERIFY(WriteUplFile(other));
    QFile(file.FileName)
        .setFileTime(QDateTime::currentDateTime().addSecs(3), QFileDevice::FileModificationTime);

    TConfirmForm::QueueAnswer(TConfirmResult::No);
    w->FileSaveA->trigger();
    QCOMPARE(TConfirmForm::LastQuestion(),
             QStringLiteral("Datoteka je u međuvremenu promijenjena. Želite li je ipak snimiti?"));
    QCOMPARE(ReadUplFile(file.FileName).File->Count(), 2);
    QVERIFY(!w->CurrentFile()->Snimljena);

    TConfirmForm::QueueAnswer(TConfirmResult::Yes);
    w->FileSaveA->trigger();
    QCOMPARE(ReadUplFile(file.FileName).File->Uplatnice.at(0).Svrha, QStringLiteral("moja"));
    QVERIFY(w->CurrentFile()->Snimljena);
    QVERIFY(w->CurrentOpenFile()->Undo.isClean());
    // Saved by us: the next save does not ask.
    QTest::keyClicks(w->mSvrha, QStringLiteral("!"));
    w->FileSaveA->trigger();
    QVERIFY(w->CurrentFile()->Snimljena);
}

void TestMainForm::clipboardKeysInTextFields()
{
    auto w = MakeForm();
    w->activateWindow();
    QApplication::clipboard()->clear();
    w->mSvrha->setFocus();
    QTest::keyClicks(w->mSvrha, QStringLiteral("najam"));
    w->mSvrha->selectAll();
    QTest::keyClick(w->mSvrha, Qt::Key_X, Qt::ControlModifier);
    // Cut, not "Zatvori".
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("najam"));
    QCOMPARE(w->mSvrha->text(), QString());
    QCOMPARE(int(w->OpenFiles.size()), 1);
    QTest::keyClick(w->mSvrha, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w->CurrentFile()->Uplatnice.at(0).Svrha, QStringLiteral("najam"));

    // Outside a text field Ctrl+X closes the file.
    w->CurrentFile()->Snimljena = true;
    w->UplList->setFocus();
    QTest::keyClick(w->UplList, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(int(w->OpenFiles.size()), 0);
}

// What a text field does under the X11 key scheme: it claims Ctrl+E (end of
// line) and Ctrl+U (delete the line) before any shortcut sees them.
class TX11LineKeys : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->modifiers() == Qt::ControlModifier &&
                (key->key() == Qt::Key_E || key->key() == Qt::Key_U))
                event->accept();
        }
        return false;
    }
};

void TestMainForm::commandKeysWinOverLineEditingKeys()
{
    TUplFile file = MakeFile(Path(QStringLiteral("k.upl")), 2, {0});
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    w->activateWindow();
    int properties = 0, added = 0;
    connect(w->UplPropertiesA, &QAction::triggered, w.get(), [&properties] { ++properties; });
    connect(w->UplAddA, &QAction::triggered, w.get(), [&added] { ++added; });
    auto *closer = new QTimer(w.get());
    connect(closer, &QTimer::timeout, w.get(), [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    closer->start(10);
    auto *x11 = new TX11LineKeys(w.get());
    for (QWidget *field : std::initializer_list<QWidget *>{w->mSvrha, w->mIznos, w->mNapomene})
        field->installEventFilter(x11);
    // Back in the window after each dialog, as a user is.
    const auto focusIn = [&w](QWidget *field) {
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        field->setFocus();
        // The key's shortcut check goes to the application's focus, which
        // follows the window system's activation: on a slow machine later.
        QTRY_COMPARE(QApplication::focusWidget(), field);
    };

    focusIn(w->mSvrha);
    QTest::keyClick(w->mSvrha, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(properties, 1);
    focusIn(w->mSvrha);
    QTest::keyClick(w->mSvrha, Qt::Key_U, Qt::ControlModifier);
    QCOMPARE(added, 1);
    focusIn(w->mIznos);
    QTest::keyClick(w->mIznos, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(properties, 2);
    focusIn(w->mNapomene);
    QTest::keyClick(w->mNapomene, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(properties, 3);
    closer->stop();
}

void TestMainForm::charactersOutsideWin1250AreRefused()
{
    auto w = MakeForm();
    w->mPosiljalac->setFocus();
    TypeText(w->mPosiljalac, QStringLiteral("Đurđa→ж"));
    QCOMPARE(w->mPosiljalac->text(), QStringLiteral("Đurđa"));
    QCOMPARE(w->CurrentFile()->Uplatnice.at(0).Posiljalac, QStringLiteral("Đurđa"));
    QVERIFY(!w->statusBar()->currentMessage().isEmpty());

    QApplication::clipboard()->setText(QStringLiteral(" i Šemsa ☺"));
    QTest::keyClick(w->mPosiljalac, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w->CurrentFile()->Uplatnice.at(0).Posiljalac, QStringLiteral("Đurđa i Šemsa "));

    w->statusBar()->clearMessage();
    QApplication::clipboard()->setText(QStringLiteral("čćž ✓"));
    w->mNapomene->setFocus();
    QTest::keyClick(w->mNapomene, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w->CurrentFile()->Napomene, QStringLiteral("čćž "));
    QVERIFY(!w->statusBar()->currentMessage().isEmpty());
}

void TestMainForm::notesAndDates()
{
    TUplFile file = MakeFile(Path(QStringLiteral("n.upl")), 0, {});
    file.Napomene = QStringLiteral("red 1\r\nred 2");
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    QCOMPARE(w->mNapomene->toPlainText(), QStringLiteral("red 1\nred 2"));
    QVERIFY(!w->UplDelA->isEnabled());
    // A file without slips: the notes still mark it changed.
    w->mNapomene->setFocus();
    QTest::keyClick(w->mNapomene, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(w->mNapomene, Qt::Key_Return);
    QTest::keyClicks(w->mNapomene, QStringLiteral("red 3"));
    QCOMPARE(w->CurrentFile()->Napomene, QStringLiteral("red 1\r\nred 2\r\nred 3"));
    QVERIFY(!w->CurrentFile()->Snimljena);

    w->FileNewA->trigger();
    w->mDatumUplate->setFocus();
    w->mDatumUplate->home(false);
    QTest::keyClicks(w->mDatumUplate, QStringLiteral("0801"));
    QCOMPARE(w->CurrentFile()->Uplatnice.at(0).DatumUplate, QStringLiteral("0801  "));
    QTest::keyClicks(w->mDatumUplate, QStringLiteral("26"));
    QCOMPARE(w->CurrentFile()->Uplatnice.at(0).DatumUplate, QStringLiteral("080126"));
    w->ShowCurrentSlip();
    QCOMPARE(w->mDatumUplate->text(), QStringLiteral("08.01.26"));
}

void TestMainForm::enablingFollowsTheFile()
{
    TUplFile file = MakeFile(Path(QStringLiteral("e.upl")), 3, {0});
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    w->UpdateActions();
    QVERIFY(w->UplRenameA->isEnabled());
    QVERIFY(w->UplDelA->isEnabled());
    QTest::mouseClick(w->SpeedButton1, Qt::LeftButton);
    w->UpdateActions();
    QVERIFY(!w->UplRenameA->isEnabled());
    QVERIFY(w->UplPrintA->isEnabled());
    // The tool bar buttons are named by their hints.
    const auto *save = w->findChild<QWidget *>(QStringLiteral("tbFileSaveA"));
    QVERIFY(save);
    QCOMPARE(save->accessibleName(), QStringLiteral("Snimi datoteku"));
    QCOMPARE(w->ToolButton12->accessibleName(), QStringLiteral("Sakrij"));
    // Every field is reachable through its label.
    for (int f = 0; f < EditorFieldCount; ++f) {
        const auto field = TEditorField(f);
        if (field == efHitno || field == efPeriodDo)
            continue;
        QCOMPARE(w->RowLabel(RowOf(field))->buddy(), w->FieldControl(field));
        QVERIFY(w->RowLabel(RowOf(field))->text().contains(QLatin1Char('&')));
    }
    QCOMPARE(w->mRacunPosiljaoca->accessibleName(), QStringLiteral("Račun pošiljaoca"));
    QCOMPARE(w->mIznos->accessibleName(), QStringLiteral("Iznos"));
}

void TestMainForm::printsToPdfAndCancels()
{
    TUplFile file = MakeFile(Path(QStringLiteral("pr.upl")), 3, {0, 2});
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    QString pdf = Path(QStringLiteral("out.pdf"));
    FileDialogSeam().QueueAnswer(pdf);
    w->FilePdfA->trigger();
    QVERIFY(ShownErrors().isEmpty());
    QFile out(pdf);
    QVERIFY(out.open(QIODevice::ReadOnly));
    const QByteArray bytes = out.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                 bytes.count("/Type /Page "),
             3);
    QVERIFY(w->CurrentFile()->Snimljena); // printing changes nothing
    QCOMPARE(FileDialogSeam().Asked(),
             (QList<QStringList>{{QStringLiteral("Štampaj u PDF"), QStringLiteral("pr.pdf")}}));

    // A big job shows its progress; "Odustani" leaves an earlier file of
    // that name as it was.
    TUplFile big = MakeFile(Path(QStringLiteral("big.upl")), 400, {0});
    w->AddOpenFile(big);
    pdf = Path(QStringLiteral("big.pdf"));
    {
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("earlier");
    }
    bool seen = false;
    auto *timer = new QTimer(w.get());
    connect(timer, &QTimer::timeout, w.get(), [&] {
        if (auto *p = w->findChild<QProgressDialog *>(QStringLiteral("PrintProgress"))) {
            seen = p->isVisible();
            p->cancel();
        }
    });
    timer->start(1);
    FileDialogSeam().QueueAnswer(pdf);
    w->FilePdfA->trigger();
    timer->stop();
    QVERIFY(seen);
    {
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("earlier"));
    }
    QCOMPARE(
        QDir(Path(QString())).entryList({QStringLiteral("*.pdf*")}, QDir::Files),
        (QStringList{QStringLiteral("big.pdf"), QStringLiteral("out.pdf")})); // no temporary file
    QVERIFY(ShownErrors().isEmpty());

    // An amount that is not a number is refused by name; nothing is written.
    w->CurrentFile()->Uplatnice[0].Iznos = std::numeric_limits<double>::quiet_NaN();
    w->CurrentFile()->Uplatnice[0].Opis = QStringLiteral("Pokvarena");
    pdf = Path(QStringLiteral("nan.pdf"));
    FileDialogSeam().QueueAnswer(pdf);
    w->FilePdfA->trigger();
    QCOMPARE(ShownErrors().size(), 1);
    QVERIFY2(
        ShownErrors().first().contains(QStringLiteral("Uplatnica 'Pokvarena': iznos nije broj")),
        qPrintable(ShownErrors().first()));
    QVERIFY(!QFile::exists(pdf));
    AnswerMessageBoxes();
}

void TestMainForm::helpContexts()
{
    auto w = MakeForm();
    QCOMPARE(HelpContextOf(w->mNapomene), 17);
    QCOMPARE(HelpContextOf(w->mSvrha), 10);
    QCOMPARE(HelpContextOf(nullptr), 0);
    QCOMPARE(THelpForm::TopicUrl(17), QStringLiteral("qrc:/help/ctx17.html"));
    QCOMPARE(THelpForm::TopicUrl(4242), QStringLiteral("qrc:/help/index.html"));
    w->mNapomene->setFocus();
    QTest::keyClick(w->mNapomene, Qt::Key_F1);
    auto *help = qobject_cast<THelpForm *>([] {
        for (QWidget *t : QApplication::topLevelWidgets())
            if (t->objectName() == QLatin1String("HelpForm"))
                return t;
        return static_cast<QWidget *>(nullptr);
    }());
    QVERIFY(help);
    QCOMPARE(help->Browser->source().toString(), QStringLiteral("qrc:/help/ctx17.html"));
    QVERIFY(help->Browser->toPlainText().contains(QStringLiteral("Napomene")));
    help->close();
}

void TestMainForm::saveAsKeepsNameWhenCancelledOrFailed()
{
    TUplFile file = MakeFile(Path(QStringLiteral("k.upl")), 1, {0});
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    QTest::keyClicks(w->mSvrha, QStringLiteral("x"));
    const auto asked = [] { return FileDialogSeam().Asked().size(); };
    // Cancelled: the same name, still unsaved.
    FileDialogSeam().QueueAnswer(std::nullopt);
    w->FileSaveAsA->trigger();
    QCOMPARE(asked(), 1);
    QCOMPARE(w->CurrentFile()->FileName, file.FileName);
    QVERIFY(!w->CurrentFile()->Snimljena);
    // A folder that does not exist: the write fails, the name comes back.
    FileDialogSeam().QueueAnswer(Path(QStringLiteral("nowhere/k2.upl")));
    w->FileSaveAsA->trigger();
    QCOMPARE(w->CurrentFile()->FileName, file.FileName);
    QCOMPARE(ShownErrors().size(), 1);
    QVERIFY(!w->CurrentFile()->Snimljena);
    // Chosen and written: the new name, the tab follows, saved.
    const QString answer = Path(QStringLiteral("k2.upl"));
    FileDialogSeam().QueueAnswer(answer);
    w->FileSaveAsA->trigger();
    QCOMPARE(w->CurrentFile()->FileName, answer);
    QCOMPARE(w->FileTabs->tabText(0), QStringLiteral("k2"));
    QVERIFY(w->CurrentFile()->Snimljena);
    // A plain save of a named file asks nothing.
    QTest::keyClicks(w->mSvrha, QStringLiteral("y"));
    w->FileSaveA->trigger();
    QCOMPARE(asked(), 3);
    QCOMPARE(ReadUplFile(answer).File->Uplatnice.at(0).Svrha, QStringLiteral("xy"));
}

void TestMainForm::rejectedDefaultFileGivesOneSlip()
{
    QFile bad(ProgramFile(QStringLiteral("Default.upl")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("Kordavina 3.3.2"); // cut short
    bad.close();
    auto w = MakeForm();
    QCOMPARE(w->CurrentFile()->Count(), 1);
    QCOMPARE(w->CurrentFile()->Uplatnice.at(0).Opis, QStringLiteral("Uplatnica"));
    QCOMPARE(w->CurrentFile()->FileName, QStringLiteral("Datoteka1"));
}

void TestMainForm::copyKeyOutsideTextFieldsRunsTheCommand()
{
    TUplFile file = MakeFile(Path(QStringLiteral("c.upl")), 2, {0});
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    int copies = 0;
    connect(w->UplCopyA, &QAction::triggered, w.get(), [&copies] { ++copies; });
    // Whatever the command shows is closed again.
    auto *closer = new QTimer(w.get());
    connect(closer, &QTimer::timeout, w.get(), [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    closer->start(10);

    QApplication::clipboard()->clear();
    w->mSvrha->setFocus();
    QTest::keyClicks(w->mSvrha, QStringLiteral("kopija"));
    w->mSvrha->selectAll();
    QTest::keyClick(w->mSvrha, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("kopija"));
    QCOMPARE(copies, 0);
    w->mHitno->setFocus();
    QTest::keyClick(w->mHitno, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(copies, 1);
    w->mNapomene->setFocus();
    TypeText(w->mNapomene, QStringLiteral("bilješka"));
    w->mNapomene->selectAll();
    QTest::keyClick(w->mNapomene, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("bilješka"));
    QCOMPARE(copies, 1);
    // A character the slip file cannot hold is not typed into the notes.
    TypeText(w->mNapomene, QStringLiteral("ж"));
    QCOMPARE(w->CurrentFile()->Napomene, QStringLiteral("bilješka"));
    closer->stop();
}

void TestMainForm::markedSlipsPrintOnTheCurrentPrinter()
{
    TUplFile file = MakeFile(Path(QStringLiteral("mp.upl")), 5, {1, 3});
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    const QString pdf = Path(QStringLiteral("marked.pdf"));
    QCOMPARE(&w->Printer(), m_printer.get());
    m_printer->SetPdfOutput(pdf);
    w->UplPrintA->trigger();
    m_printer->SetDefaultPrinter();
    QVERIFY2(ShownErrors().isEmpty(), qPrintable(ShownErrors().join('\n')));
    // The status bar says what went where.
    QCOMPARE(w->statusBar()->currentMessage(),
             QStringLiteral("Štampano: 2 uplatnice na %1").arg(pdf));
    QFile out(pdf);
    QVERIFY(out.open(QIODevice::ReadOnly));
    const QByteArray bytes = out.readAll();
    QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                 bytes.count("/Type /Page "),
             2);
    // The marked slips' texts, not the others'.
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    if (!text.waitForFinished(20000) || text.exitCode() != 0)
        QSKIP("pdftotext (poppler-utils) is needed to read the PDF back");
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY(printed.contains(QStringLiteral("Sender 2")));
    QVERIFY(printed.contains(QStringLiteral("Sender 4")));
    QVERIFY(!printed.contains(QStringLiteral("Sender 1")));
    QVERIFY(!printed.contains(QStringLiteral("Sender 3")));
}

void TestMainForm::printerIsOfferedWhenNoneIsTheDefault()
{
    if (QPrinterInfo::availablePrinterNames().isEmpty() ||
        !QPrinterInfo::defaultPrinterName().isEmpty())
        QSKIP("needs an installed queue and no default printer (scripts/start-cups.sh)");
    TUplFile file = MakeFile(Path(QStringLiteral("np.upl")), 3, {0});
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    m_printer->SetDefaultPrinter();
    int asked = 0;
    w->PrinterChooser = [&asked] {
        ++asked;
        return false; // the user cancels: nothing printed, nothing reported
    };
    w->FilePrintA->trigger();
    QCOMPARE(asked, 1);
    QVERIFY2(ShownErrors().isEmpty(), qPrintable(ShownErrors().join('\n')));
    QVERIFY(w->statusBar()->currentMessage().isEmpty());
}

void TestMainForm::clickingASlipShowsItAndMovesOn()
{
    TUplFile file = MakeFile(Path(QStringLiteral("cl.upl")), 4, {0});
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    QWidget *viewport = w->UplList->viewport();
    const QRect third = w->UplList->visualRect(w->UplList->model()->index(2, 0));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, third.center());
    QCOMPARE(MarkedOpis(*w->CurrentFile()), QStringList{QStringLiteral("Slip 3")});
    QCOMPARE(w->mPosiljalac->text(), QStringLiteral("Sender 3"));
    QVERIFY(QApplication::focusWidget() != w->UplList);
    w->UpdateActions();
    QVERIFY(w->UplRenameA->isEnabled());
    // Ctrl+click adds a line: two marked, empty fields, no rename.
    const QRect first = w->UplList->visualRect(w->UplList->model()->index(0, 0));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, first.center());
    QCOMPARE(MarkedOpis(*w->CurrentFile()),
             (QStringList{QStringLiteral("Slip 1"), QStringLiteral("Slip 3")}));
    QCOMPARE(w->mPosiljalac->text(), QString());
    w->UpdateActions();
    QVERIFY(!w->UplRenameA->isEnabled());
    QVERIFY(w->CurrentFile()->Snimljena);
}

void TestMainForm::aboutWindow()
{
    auto w = MakeForm();
    QStringList seen;
    WhenModalShown([&](QWidget *modal) {
        seen << modal->windowTitle();
        for (const QLabel *l : modal->findChildren<QLabel *>())
            if (!l->text().isEmpty())
                seen << l->text();
        auto *close = modal->findChild<QPushButton *>(QStringLiteral("btnZatvori"));
        QVERIFY(close);
        seen << close->text();
        QTest::keyClick(close, Qt::Key_Escape);
    });
    w->mnuHelpAbout->trigger();
    QCOMPARE(seen, (QStringList{QStringLiteral("O programu"), QStringLiteral("Kordavina"),
                                QStringLiteral("Verzija 3.3.2"), QStringLiteral("Zatvori")}));
    // Its place is kept under its own name.
    QVERIFY(OpenSettings()->contains(QStringLiteral("Forms/AboutForm/Top")));
}

void TestMainForm::hideKeepsTheWindowReachable()
{
    auto w = MakeForm();
    QTest::mouseClick(w->ToolButton12, Qt::LeftButton);
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        QVERIFY(w->InTray);
        QVERIFY(!w->isVisible());
        w->RestoreFromTray();
        QVERIFY(w->isVisible());
        QVERIFY(!w->InTray);
    } else {
        // No notification area: minimised, never hidden out of reach.
        QVERIFY(!w->InTray);
        QVERIFY(w->isVisible());
        QTRY_VERIFY(w->isMinimized());
    }
}

void TestMainForm::placementIsKeptAndWidthHasAFloor()
{
    {
        auto w = MakeForm();
        const int fitted = w->height();
        const int listHeight = w->UplList->height();
        QCOMPARE(w->minimumHeight(), fitted);
        // Taller than the contents need: the slip list takes the height.
        w->resize(700, fitted + 50);
        w->move(40, 30);
        QCOMPARE(w->minimumWidth(), MinClientWidth);
        QTRY_COMPARE(w->UplList->height(), listHeight + 50);
        QCOMPARE(w->minimumHeight(), fitted); // no lower than the contents
    }
    const auto settings = OpenSettings();
    QCOMPARE(settings->value(QStringLiteral("Forms/MainForm/Width")).toInt(), 700);
    QVERIFY(settings->contains(QStringLiteral("Forms/MainForm/Left")));
    auto again = MakeForm();
    QCOMPARE(again->width(), 700);
    QCOMPARE(again->height(), settings->value(QStringLiteral("Forms/MainForm/Height")).toInt());
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"

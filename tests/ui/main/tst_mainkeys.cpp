// The main window by keyboard: where the focus lands after each command, the
// pickers' keys, Tab past the tool bar, the slip list by Alt key, number
// fields wide enough for their digits, and what the editor says while
// several slips are marked.
#include "ui/common/DialogSeams.h"
#include "controls/NumEdit.h"
#include "core/Settings.h"
#include "core/UplFileIO.h"
#include "ui/print/ZorPrinters.h"
#include "ui/common/ConfirmFormU.h"
#include "ui/main/EditorMarks.h"
#include "ui/main/MainFormU.h"
#include "ui/common/ProgramData.h"

#include <QApplication>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <memory>

namespace {

TUplFile MakeFile(const QString &path, int count)
{
    TUplFile file;
    file.FileName = path;
    for (int i = 0; i < count; ++i) {
        TUpl slip = NewSlip();
        slip.Opis = QStringLiteral("Slip %1").arg(i + 1);
        slip.Posiljalac = QStringLiteral("Sender %1").arg(i + 1);
        slip.Svrha = QStringLiteral("Kirija");
        slip.Iznos = 10 * (i + 1);
        slip.Oznacena = true;
        file.AddSlip(slip);
    }
    return file;
}

bool InToolBar(const QWidget *w)
{
    for (; w; w = w->parentWidget())
        if (qobject_cast<const QToolBar *>(w))
            return true;
    return false;
}

} // namespace

class TestMainKeys : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void markedCountAgrees();
    void focusAfterNewFileSlipAndOpen();
    void severalMarkedSlipsShowWhatDiffers();
    void differingAmountAndHitnoTakeWhatIsTyped();
    void pickerKeys();
    void tabSkipsTheToolBarAndAltReachesTheList();
    void numberFieldsShowAllDigits();

private:
    std::unique_ptr<TMainForm> MakeForm(const QString &commandLine = QString());
    QString Path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TProgramData> m_data;
    std::unique_ptr<TZorPrinter> m_printer;
};

void TestMainKeys::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    m_printer = std::make_unique<TZorPrinter>();
}

void TestMainKeys::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("KORDAVINA_HOME", m_dir->path().toUtf8());
    SetSettingsFile(Path(QStringLiteral("settings.ini")));
    m_data = std::make_unique<TProgramData>();
    LoadProgramData(*m_data);
    TConfirmForm::ClearQueuedAnswers();
}

void TestMainKeys::cleanup()
{
    TConfirmForm::ClearQueuedAnswers();
}

std::unique_ptr<TMainForm> TestMainKeys::MakeForm(const QString &commandLine)
{
    TMainForm::SetCommandLineFile(commandLine);
    auto form = std::make_unique<TMainForm>(*m_data);
    MessageBoxSeam().AnswerAll(QMessageBox::Ok);
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get()))
        qWarning("the main window did not become active");
    return form;
}

void TestMainKeys::markedCountAgrees()
{
    QCOMPARE(MarkedSlipsText(2), QStringLiteral("Uređujete 2 označene uplatnice"));
    QCOMPARE(MarkedSlipsText(4), QStringLiteral("Uređujete 4 označene uplatnice"));
    QCOMPARE(MarkedSlipsText(5), QStringLiteral("Uređujete 5 označenih uplatnica"));
    QCOMPARE(MarkedSlipsText(8), QStringLiteral("Uređujete 8 označenih uplatnica"));
    QCOMPARE(MarkedSlipsText(11), QStringLiteral("Uređujete 11 označenih uplatnica"));
    QCOMPARE(MarkedSlipsText(12), QStringLiteral("Uređujete 12 označenih uplatnica"));
    QCOMPARE(MarkedSlipsText(21), QStringLiteral("Uređujete 21 označenu uplatnicu"));
    QCOMPARE(MarkedSlipsText(22), QStringLiteral("Uređujete 22 označene uplatnice"));
    QCOMPARE(MarkedSlipsText(111), QStringLiteral("Uređujete 111 označenih uplatnica"));
    QCOMPARE(MarkedSlipsText(114), QStringLiteral("Uređujete 114 označenih uplatnica"));
    QCOMPARE(MarkedSlipsText(124), QStringLiteral("Uređujete 124 označene uplatnice"));
}

void TestMainKeys::focusAfterNewFileSlipAndOpen()
{
    TUplFile kept = MakeFile(Path(QStringLiteral("kept.upl")), 2);
    QVERIFY(WriteUplFile(kept));
    auto w = MakeForm();
    QTRY_COMPARE(QApplication::focusWidget(), w->mRacunPosiljaoca); // at start

    // Each command starts from the focus somewhere else.
    w->mMjestoUplate->setFocus();
    w->FileNewA->trigger();
    QCOMPARE(w->FileTabs->count(), 2);
    QTRY_COMPARE(QApplication::focusWidget(), w->mRacunPosiljaoca);

    w->mMjestoUplate->setFocus();
    InputDialogSeam().QueueAnswer(QStringLiteral("Struja"));
    w->UplAddA->trigger();
    QCOMPARE(w->CurrentFile()->Count(), 2);
    QTRY_COMPARE(QApplication::focusWidget(), w->mRacunPosiljaoca);

    w->mMjestoUplate->setFocus();
    FileDialogSeam().QueueAnswer(Path(QStringLiteral("kept.upl")));
    w->FileOpenA->trigger();
    QCOMPARE(w->FileTabs->count(), 3);
    QTRY_COMPARE(QApplication::focusWidget(), w->mRacunPosiljaoca);

    // A hidden account leaves the focus to the first field that takes typing;
    // a read-only name is passed over as well.
    TUplFile hidden = MakeFile(Path(QStringLiteral("hidden.upl")), 1);
    hidden.Uplatnice[0].Stanja[stRacunPosiljaoca] = spNevidljivo;
    hidden.Uplatnice[0].Stanja[stPosiljalac] = spZabranjeno;
    QVERIFY(WriteUplFile(hidden));
    FileDialogSeam().QueueAnswer(Path(QStringLiteral("hidden.upl")));
    w->FileOpenA->trigger();
    QTRY_COMPARE(QApplication::focusWidget(), w->mSvrha);
}

void TestMainKeys::severalMarkedSlipsShowWhatDiffers()
{
    TUplFile file = MakeFile(Path(QStringLiteral("eight.upl")), 8);
    file.Uplatnice[3].Hitno = true;
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    const TUplFile &f = *w->CurrentFile();

    QVERIFY(w->stOznacene->isVisible());
    QCOMPARE(w->stOznacene->text(), QStringLiteral("Uređujete 8 označenih uplatnica"));
    // Agreed values are shown, differing ones say so.
    QCOMPARE(w->mSvrha->text(), QStringLiteral("Kirija"));
    QVERIFY(w->mSvrha->placeholderText().isEmpty());
    QCOMPARE(w->mPosiljalac->text(), QString());
    QCOMPARE(w->mPosiljalac->placeholderText(), QStringLiteral("(različito)"));
    QCOMPARE(w->mPosiljalac->accessibleDescription(), QStringLiteral("(različito)"));
    QCOMPARE(w->mIznos->text(), QString());
    QCOMPARE(w->mIznos->placeholderText(), QStringLiteral("(različito)"));
    QCOMPARE(w->mHitno->checkState(), Qt::PartiallyChecked);
    QVERIFY(w->mMjestoUplate->placeholderText().isEmpty()); // all empty alike
    QVERIFY(f.Snimljena);                                   // showing wrote nothing

    // Leaving untouched fields changes no slip.
    w->mPosiljalac->setFocus();
    QTest::keyClick(w->mPosiljalac, Qt::Key_Tab);
    w->mIznos->setFocus();
    QTest::keyClick(w->mIznos, Qt::Key_Tab);
    QTRY_VERIFY(!w->mIznos->hasFocus());
    QVERIFY(f.Snimljena);
    QCOMPARE(f.Uplatnice.at(7).Iznos, 80.0);

    // One slip alone: its own values, no marks.
    w->MoveToSlip(1);
    QVERIFY(!w->stOznacene->isVisible());
    QCOMPARE(w->mPosiljalac->text(), QStringLiteral("Sender 2"));
    QVERIFY(w->mPosiljalac->placeholderText().isEmpty());
    QCOMPARE(w->mIznos->text(), QStringLiteral("20.00"));
    QVERIFY(w->mIznos->placeholderText().isEmpty());
    QCOMPARE(w->mHitno->checkState(), Qt::Unchecked);
    QVERIFY(!w->mHitno->isTristate());
    w->MoveToSlip(3);
    QCOMPARE(w->mHitno->checkState(), Qt::Checked);

    // Two marked with the same amount: the amount is shown.
    QTest::mouseClick(w->SpeedButton1, Qt::LeftButton);
    QCOMPARE(w->stOznacene->text(), QStringLiteral("Uređujete 8 označenih uplatnica"));
    w->UplList->selectionModel()->select(
        QItemSelection(w->UplList->model()->index(0, 0), w->UplList->model()->index(1, 0)),
        QItemSelectionModel::ClearAndSelect);
    QCOMPARE(w->stOznacene->text(), QStringLiteral("Uređujete 2 označene uplatnice"));
    QCOMPARE(w->mIznos->text(), QString()); // 10 and 20
    QCOMPARE(w->mHitno->checkState(), Qt::Unchecked);
}

void TestMainKeys::differingAmountAndHitnoTakeWhatIsTyped()
{
    TUplFile file = MakeFile(Path(QStringLiteral("three.upl")), 3);
    file.Uplatnice[1].Hitno = true;
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    const TUplFile &f = *w->CurrentFile();

    // An amount typed into the differing field goes into every marked slip.
    w->mIznos->setFocus();
    QTest::keyClicks(w->mIznos, QStringLiteral("15"));
    QTest::keyClick(w->mIznos, Qt::Key_Tab);
    for (const TUpl &slip : f.Uplatnice)
        QCOMPARE(slip.Iznos, 15.0);
    QCOMPARE(w->mIznos->text(), QStringLiteral("15.00"));

    // Typed and erased again: the slips hold what was typed last, and the
    // field shows it rather than "(različito)".
    w->CurrentFile()->Uplatnice[2].Iznos = 99;
    w->ShowCurrentSlip();
    QCOMPARE(w->mIznos->text(), QString());
    w->mIznos->setFocus();
    QTest::keyClicks(w->mIznos, QStringLiteral("7"));
    QTest::keyClick(w->mIznos, Qt::Key_Backspace);
    QTest::keyClick(w->mIznos, Qt::Key_Tab);
    QTRY_VERIFY(!w->mIznos->hasFocus());
    QCOMPARE(f.Uplatnice.at(2).Iznos, 7.0);
    QCOMPARE(w->mIznos->text(), QStringLiteral("7.00"));

    // HITNO standing for both: "+" checks it in all, a click then clears all.
    QCOMPARE(w->mHitno->checkState(), Qt::PartiallyChecked);
    w->mHitno->setFocus();
    QTest::keyClick(w->mHitno, Qt::Key_Plus);
    for (const TUpl &slip : f.Uplatnice)
        QVERIFY(slip.Hitno);
    QTest::keyClick(w->mHitno, Qt::Key_Space);
    for (const TUpl &slip : f.Uplatnice)
        QVERIFY(!slip.Hitno);

    // Partial again after a re-show; "-" clears all, though it looked unchecked.
    w->CurrentFile()->Uplatnice[0].Hitno = true;
    w->ShowCurrentSlip();
    QCOMPARE(w->mHitno->checkState(), Qt::PartiallyChecked);
    w->mHitno->setFocus();
    QTest::keyClick(w->mHitno, Qt::Key_Minus);
    for (const TUpl &slip : f.Uplatnice)
        QVERIFY(!slip.Hitno);
    QCOMPARE(w->mHitno->checkState(), Qt::Unchecked);
}

void TestMainKeys::pickerKeys()
{
    TUplFile file = MakeFile(Path(QStringLiteral("one.upl")), 1);
    file.Uplatnice[0].Stanja[stOpstina] = spZabranjeno;
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    QList<TCatalogueKind> asked;
    int senders = 0;
    w->CataloguePicker = [&asked](TCatalogueKind kind, const QString &) {
        asked << kind;
        return std::optional<TCatalogueEntry>(
            TCatalogueEntry{QStringLiteral("077"), QStringLiteral("Naziv")});
    };
    w->SenderPicker = [&senders](const QString &) {
        ++senders;
        return std::optional<TSenderEntry>();
    };

    QTest::keyClick(w->mSvrha, Qt::Key_F4);
    QTest::keyClick(w->mRacunPrimaoca, Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(w->mPrimalac, Qt::Key_F4);
    QTest::keyClick(w->mVrstaPrihoda, Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(asked, (QList<TCatalogueKind>{TCatalogueKind::Svrhe, TCatalogueKind::Racuni,
                                           TCatalogueKind::Racuni, TCatalogueKind::Prihodi}));
    // What was picked went in like typing.
    QCOMPARE(w->mSvrha->text(), QStringLiteral("077"));
    QCOMPARE(w->CurrentFile()->Uplatnice.at(0).VrstaPrihoda, QStringLiteral("077"));

    QTest::keyClick(w->mRacunPosiljaoca, Qt::Key_F4);
    QTest::keyClick(w->mPosiljalac, Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(senders, 2);

    // No picker: a read-only field, a field without one; Alt+Down does not
    // move on either.
    asked.clear();
    QTest::keyClick(w->mOpstina, Qt::Key_F4);
    w->mPoziv->setFocus();
    QTest::keyClick(w->mPoziv, Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(w->mPoziv, Qt::Key_F4);
    QVERIFY(asked.isEmpty());
    QCOMPARE(QApplication::focusWidget(), w->mPoziv);

    // The payment kinds' menu.
    w->mVrstaUplate->setFocus();
    QTest::keyClick(w->mVrstaUplate, Qt::Key_F4);
    QTRY_VERIFY(w->mnuSvrhe->isVisible());
    QTest::keyClick(w->mnuSvrhe, Qt::Key_1);
    QTRY_VERIFY(!w->mnuSvrhe->isVisible());
    QCOMPARE(w->mVrstaUplate->text(), QStringLiteral("1"));
    QCOMPARE(w->stVrstaUplate->text(), QStringLiteral("Prinudna"));
}

void TestMainKeys::tabSkipsTheToolBarAndAltReachesTheList()
{
    TUplFile file = MakeFile(Path(QStringLiteral("two.upl")), 2);
    QVERIFY(WriteUplFile(file));
    auto w = MakeForm(file.FileName);
    for (QWidget *b : w->ToolBar->findChildren<QWidget *>())
        QVERIFY2(b->focusPolicy() == Qt::NoFocus || !b->isVisible(), qPrintable(b->objectName()));
    w->mMjestoUplate->setFocus();
    QStringList visited;
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *now = QApplication::focusWidget();
        QVERIFY(now);
        QVERIFY2(!InToolBar(now), qPrintable(now->objectName()));
        visited << now->objectName();
    }
    QVERIFY(visited.contains(QStringLiteral("mRacunPosiljaoca"))); // it goes round

    // Alt+P ("U&platnice") puts the focus into the slip list.
    QTest::keyClick(w.get(), Qt::Key_P, Qt::AltModifier);
    QTRY_VERIFY(w->UplList->hasFocus());
}

void TestMainKeys::numberFieldsShowAllDigits()
{
    auto w = MakeForm();
    const auto showsAll = [](QLineEdit *e) {
        e->setText(QString(e->maxLength(), u'8'));
        e->end(false);
        // Scrolled text would put the caret before the end of the digits.
        return e->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x() >=
               e->fontMetrics().horizontalAdvance(e->text()) + e->textMargins().left();
    };
    QVERIFY(showsAll(w->mBrojObveznika));
    QVERIFY(showsAll(w->mRacunPosiljaoca));
    QVERIFY(showsAll(w->mRacunPrimaoca));
    // The "..." button stays beside its field.
    QCOMPARE(w->spRacunPosiljaoca->x(),
             w->mRacunPosiljaoca->x() + w->mRacunPosiljaoca->width() + 2);
}

QTEST_MAIN(TestMainKeys)
#include "tst_mainkeys.moc"

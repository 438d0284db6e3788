#include "ui/catalogues/OpstineFormU.h"
#include "ui/catalogues/RacuniKFormU.h"
#include "ui/options/SetupFormU.h"
#include "core/Settings.h"
#include "ui/print/ZorPrinters.h"
#include "ui/common/ConfirmFormU.h"
#include "ui/main/MainFormU.h"
#include "ui/common/ProgramData.h"

#include "DialogTest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// Picks the row of the entry whose first column reads code.
void PickCode(TCatalogueForm *f, const QString &code)
{
    const TCatalogueModel *m = f->Model();
    for (int r = 0; r < m->rowCount(); ++r)
        if (m->data(m->index(r, 0)).toString() == code)
            f->List->selectRow(r);
    QTest::mouseClick(f->btnPick, Qt::LeftButton);
}

} // namespace

class TestMainCatalogues : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("KORDAVINA_HOME", m_dir.path().toLocal8Bit());
        SetSettingsFile(m_dir.filePath("settings.ini"));
    }

    // The "..." buttons open the catalogue windows in pick mode and the
    // editor takes what they hand back, as typing would.
    void pickFillsTheEditor()
    {
        TZorPrinter printer;
        TProgramData data;
        data.Opstine.Assign({{"077", "Zenica"}, {"071", "Sarajevo Centar"}});
        data.Posiljaoci.Assign({{"1610000000000001", "Šipad", "4200000000001", ""},
                                {"1549000000000002", "Željezara", "4200000000002", "12"}});
        TMainForm form(data);
        TConfirmForm confirm(&form);
        form.show();

        auto *mOpstina = form.findChild<QLineEdit *>("mOpstina");
        auto *stOpstina = form.findChild<QLabel *>("stOpstina");
        QVERIFY(mOpstina && stOpstina);
        WhenShown<TOpstineForm>([](TOpstineForm *f) { PickCode(f, "071"); });
        QTest::mouseClick(form.findChild<QAbstractButton *>("spOpstina"), Qt::LeftButton);
        QCOMPARE(mOpstina->text(), QStringLiteral("071"));
        QCOMPARE(stOpstina->text(), QStringLiteral("Sarajevo Centar"));

        auto *mPoziv = form.findChild<QLineEdit *>("mPoziv");
        mPoziv->setText("stari");
        WhenShown<TRacuniKForm>([](TRacuniKForm *f) { PickCode(f, "1610000000000001"); });
        QTest::mouseClick(form.findChild<QAbstractButton *>("spRacunPosiljaoca"), Qt::LeftButton);
        QCOMPARE(form.findChild<QLineEdit *>("mRacunPosiljaoca")->text(),
                 QStringLiteral("1610000000000001"));
        QCOMPARE(form.findChild<QLineEdit *>("mPosiljalac")->text(), QStringLiteral("Šipad"));
        QCOMPARE(form.findChild<QLineEdit *>("mBrojObveznika")->text(),
                 QStringLiteral("4200000000001"));
        // The sender has no reference number: the one typed stays.
        QCOMPARE(mPoziv->text(), QStringLiteral("stari"));

        // Closing without a pick leaves the field alone.
        WhenShown<TOpstineForm>([](TOpstineForm *f) { f->reject(); });
        QTest::mouseClick(form.findChild<QAbstractButton *>("spOpstina"), Qt::LeftButton);
        QCOMPARE(mOpstina->text(), QStringLiteral("071"));

        // An entry added in the edit window answers the editor's look-up at once.
        WhenShown<TOpstineForm>([](TOpstineForm *f) {
            WhenShown<TCodeAddEditForm>([](TCodeAddEditForm *d) {
                d->mSifra->setText("010");
                d->mNaziv->setText("Tuzla");
                QTest::mouseClick(d->btnOK, Qt::LeftButton);
            });
            QTest::mouseClick(f->btnAdd, Qt::LeftButton);
            f->reject();
        });
        form.SetOpstineAExecute();
        QCOMPARE(data.Opstine.FindNaziv("010"), QStringLiteral("Tuzla"));
        mOpstina->setText("010");
        QCOMPARE(stOpstina->text(), QStringLiteral("Tuzla"));
    }

    void confirmedOptionsReachTheEditor()
    {
        TZorPrinter printer;
        TProgramData data;
        TMainForm form(data);
        QSignalSpy changed(&form, &TMainForm::SettingsChanged);
        WhenShown<TSetupForm>([](TSetupForm *f) { f->reject(); });
        form.SetSetupAExecute();
        QCOMPARE(changed.count(), 0);
        WhenShown<TSetupForm>([](TSetupForm *f) {
            f->mAlignFields->setChecked(true);
            QTest::mouseClick(f->btnOK, Qt::LeftButton);
        });
        form.SetSetupAExecute();
        QCOMPARE(changed.count(), 1);
        QVERIFY(data.Settings.AlignFields);
    }
};

QTEST_MAIN(TestMainCatalogues)
#include "tst_maincatalogues.moc"

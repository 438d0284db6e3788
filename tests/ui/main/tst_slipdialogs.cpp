#include "controls/NumEdit.h"
#include "core/Settings.h"
#include "ui/main/CopyUplFormU.h"
#include "ui/main/UplProcFormU.h"
#include "ui/main/UplSetupFormU.h"

#include "DialogTest.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

namespace {

TUplFile SharesFile(const QList<float> &shares)
{
    TUplFile f;
    f.FileName = QStringLiteral("Datoteka1");
    for (int i = 0; i < shares.size(); ++i) {
        TUpl u = NewSlip();
        u.Opis = QStringLiteral("Uplatnica %1").arg(i + 1);
        u.Procenat = shares[i];
        u.Iznos = 7.5;
        f.AddSlip(u);
    }
    return f;
}

QStringList Column(const QTreeWidget *list, int column)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts.append(list->topLevelItem(i)->text(column));
    return texts;
}

QStringList Items(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

} // namespace

class TestSlipDialogs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetSettingsFile(m_dir.filePath(QStringLiteral("settings.conf")));
        QLocale::setDefault(
            QLocale(QLocale::Bosnian, QLocale::LatinScript, QLocale::BosniaAndHerzegovina));
    }
    void cleanupTestCase() { SetSettingsFile(QString()); }

    void multipleEntryDesign()
    {
        TUplProcForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Višestruki unos"));
        QCOMPARE(form.property("helpContext").toInt(), 810);
        QCOMPARE(form.size(), QSize(440, 275));
        QCOMPARE(form.mIznos->Decimals(), 2);
        QCOMPARE(form.mIznos->CheckType(), ctNone);
        QCOMPARE(form.Label1->buddy(), form.mIznos);
        QVERIFY(form.Label1->alignment() & Qt::AlignRight);
        QCOMPARE(form.Uplatnice->headerItem()->text(1), QStringLiteral("Procenat"));
        QCOMPARE(form.Uplatnice->header()->sectionSize(0), 230);
        QCOMPARE(form.Uplatnice->header()->sectionSize(1), 60);
        QCOMPARE(form.Uplatnice->header()->sectionSize(2), 100);
        QVERIFY(form.btnOK->isDefault());
        QCOMPARE(form.findChild<QPushButton *>("btnCancel")->text(), QStringLiteral("Odustani"));
    }

    void multipleEntrySplitsTheTypedBase()
    {
        TUplProcForm form;
        const TUplFile file = SharesFile({50, 30, 20, 0});
        QStringList shown;
        QString summary;
        QWidget *focused = nullptr;
        WhenShown(form, [&] {
            focused = form.focusWidget(); // the window itself may not be active yet
            // Rows as they open: ticked by share, four and two decimals.
            QCOMPARE(Column(form.Uplatnice, 1),
                     (QStringList{"50,0000", "30,0000", "20,0000", "0,0000"}));
            QCOMPARE(Column(form.Uplatnice, 2), (QStringList{"0,00", "0,00", "0,00", "0,00"}));
            QCOMPARE(form.Uplatnice->topLevelItem(3)->checkState(0), Qt::Unchecked);
            QTest::keyClicks(form.mIznos, QStringLiteral("1000"));
            shown = Column(form.Uplatnice, 2);
            // Ticking the slip with share 0 adds nothing.
            form.Uplatnice->topLevelItem(3)->setCheckState(0, Qt::Checked);
            summary = form.stZbir->text();
            QTest::mouseClick(form.btnOK, Qt::LeftButton);
        });
        QVERIFY(form.Execute(file));
        QCOMPARE(focused, form.mIznos);
        QCOMPARE(shown, (QStringList{"500,00", "300,00", "200,00", "0,00"}));
        QCOMPARE(summary, QStringLiteral("Zbir novih iznosa: 1000,00    "
                                         "Razlika od osnovnog iznosa: 0,00"));
        QCOMPARE(form.Changes(), (QList<TAmountChange>{{0, 500.0}, {1, 300.0}, {2, 200.0}}));
        QCOMPARE(form.Uplatnice->topLevelItemCount(), 0); // rows exist only while open
    }

    void multipleEntryShowsTheRoundingCent()
    {
        TUplProcForm form;
        const TUplFile file = SharesFile({33.3333f, 33.3333f, 33.3333f, 25});
        QStringList shown;
        QString summary;
        WhenShown(form, [&] {
            QTest::keyClicks(form.mIznos, QStringLiteral("100"));
            // The user unticks the slip of 25 %: it keeps its amount.
            form.Uplatnice->topLevelItem(3)->setCheckState(0, Qt::Unchecked);
            shown = Column(form.Uplatnice, 2);
            summary = form.stZbir->text();
            QTest::keyClick(form.mIznos, Qt::Key_Return);
        });
        QVERIFY(form.Execute(file));
        QCOMPARE(shown, (QStringList{"33,33", "33,33", "33,33", "25,00"}));
        QVERIFY2(summary.contains(QStringLiteral("99,99")) &&
                     summary.endsWith(QStringLiteral("-0,01")),
                 qPrintable(summary));
        QCOMPARE(form.Changes().size(), 3);
        for (const TAmountChange &c : form.Changes())
            QCOMPARE(c.Iznos, 33.33);
    }

    void multipleEntryCancelledAndReopenedStartsAtZero()
    {
        TUplProcForm form;
        const TUplFile file = SharesFile({50});
        WhenShown(form, [&] {
            QTest::keyClicks(form.mIznos, QStringLiteral("80"));
            QTest::keyClick(form.mIznos, Qt::Key_Escape);
        });
        QVERIFY(!form.Execute(file));
        QVERIFY(form.Changes().isEmpty());
        QString base;
        WhenShown(form, [&] {
            base = form.mIznos->text();
            form.btnOK->click();
        });
        QVERIFY(form.Execute(file));
        QCOMPARE(base, QStringLiteral("0,00"));
        QCOMPARE(form.Changes(), (QList<TAmountChange>{{0, 0.0}}));
    }

    void copyOffersTheOpenFilesAndPlaces()
    {
        TCopyUplForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Kopiranje"));
        QCOMPARE(form.property("helpContext").toInt(), 380);
        QCOMPARE(form.minimumSize(), form.maximumSize());
        const QList<TCopyTarget> files{{"Plate", {"Prva", "Druga", "Treća"}},
                                       {"Datoteka2", {"Jedina"}}};
        QStringList files0, places1, placesNew;
        bool deleteTicked = true;
        WhenShown(form, [&] {
            for (int i = 0; i < form.ctFileName->count(); ++i)
                files0.append(form.ctFileName->itemText(i));
            deleteTicked = form.ctDelete->isChecked();
            QCOMPARE(form.ctFileName->currentIndex(), 1); // the active file
            places1 = Items(form.ctUplatnica);
            // Chosen by keyboard, as a user would.
            form.ctFileName->setFocus();
            QTest::keyClick(form.ctFileName, Qt::Key_Down);
            placesNew = Items(form.ctUplatnica);
            QCOMPARE(form.ctUplatnica->currentRow(), 0);
            form.btnOK->click();
        });
        const std::optional<TCopyChoice> choice = form.Execute(files, 1);
        QCOMPARE(files0, (QStringList{"Plate", "Datoteka2", "Nova datoteka"}));
        QVERIFY(!deleteTicked);
        QCOMPARE(places1, (QStringList{"Jedina", "<Poslije ostalih>"}));
        QCOMPARE(placesNew, QStringList{"<Poslije ostalih>"});
        QVERIFY(choice);
        QCOMPARE(*choice, (TCopyChoice{TCopyChoice::NewFile, 0, false}));
    }

    void copyChoosesAPlaceAndDeleting()
    {
        TCopyUplForm form;
        const QList<TCopyTarget> files{{"Plate", {"Prva", "Druga", "Treća"}}};
        int places = 0;
        WhenShown(form, [&] {
            places = form.ctUplatnica->count();
            form.ctUplatnica->setCurrentRow(3); // "<Poslije ostalih>"
            form.ctDelete->click();
            QTest::keyClick(&form, Qt::Key_K, Qt::AltModifier);
        });
        QCOMPARE(form.Execute(files, 0), (TCopyChoice{0, 3, true}));
        QCOMPARE(places, 4);
        // The tick does not carry over to the next use; cancelling copies nothing.
        bool ticked = true;
        WhenShown(form, [&] {
            ticked = form.ctDelete->isChecked();
            form.btnCancel->click();
        });
        QVERIFY(!form.Execute(files, 0));
        QVERIFY(!ticked);
    }

    void propertiesShowDifferingStatesAsNone()
    {
        TUplSetupForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Podešavanje uplatnice"));
        QCOMPARE(form.property("helpContext").toInt(), 420);
        QCOMPARE(form.mPolja->count(), 15);
        QCOMPARE(form.mPolja->item(5)->text(), QStringLiteral("Iznos"));
        QCOMPARE(form.mProcenat->Decimals(), 4);
        TUpl a = NewSlip();
        TUpl b = NewSlip();
        a.Stanja[stIznos] = spNevidljivo;
        b.Stanja[stIznos] = spZabranjeno;
        a.Stanja[stSvrha] = b.Stanja[stSvrha] = spZabranjeno;
        a.Procenat = 25;
        b.Procenat = 50;
        QString posiljalac, svrha, iznos, procenat;
        QWidget *focused = nullptr;
        WhenShown(form, [&] {
            focused = form.focusWidget(); // the window itself may not be active yet
            QCOMPARE(form.mPolja->currentRow(), 0);
            QTest::keyClick(form.mPolja, Qt::Key_Down); // Pošiljalac
            posiljalac = form.mState->currentText();
            QTest::keyClick(form.mPolja, Qt::Key_Down); // Svrha doznake
            svrha = form.mState->currentText();
            form.mPolja->setCurrentRow(5); // Iznos
            iznos = form.mState->currentIndex() < 0 ? QStringLiteral("<none>")
                                                    : form.mState->currentText();
            procenat = form.mProcenat->text();
            form.btnOK->click();
        });
        QVERIFY(form.Execute({a, b}));
        QCOMPARE(focused, form.mPolja);
        QCOMPARE(posiljalac, QStringLiteral("Slobodno"));
        QCOMPARE(svrha, QStringLiteral("Zabranjeno"));
        QCOMPARE(iznos, QStringLiteral("<none>"));
        QCOMPARE(form.mState->placeholderText(), QStringLiteral("(različito)"));
        // Differing shares say so, not "-1,0000".
        QCOMPARE(procenat, QString());
        QCOMPARE(form.mProcenat->placeholderText(), QStringLiteral("(različito)"));
        // Untouched: each slip keeps its own Iznos state and share.
        TUpl a2 = a, b2 = b;
        ApplySlipProperties(a2, form.Answer());
        ApplySlipProperties(b2, form.Answer());
        QCOMPARE(a2, a);
        QCOMPARE(b2, b);
    }

    // A differing share the user typed into and erased again still keeps
    // each slip's own; leaving the blank field neither beeps nor shows 0.
    void propertiesKeepAnErasedDifferingShare()
    {
        TUplSetupForm form;
        TUpl a = NewSlip();
        TUpl b = NewSlip();
        a.Procenat = 25;
        b.Procenat = 50;
        bool focusLeft = false;
        WhenShown(form, [&] {
            form.mProcenat->setFocus();
            QTest::keyClicks(form.mProcenat, QStringLiteral("4"));
            QTest::keyClick(form.mProcenat, Qt::Key_Backspace);
            form.mPolja->setFocus();
            QApplication::processEvents();
            focusLeft = !form.mProcenat->hasFocus() && form.mProcenat->text().isEmpty();
            form.btnOK->click();
        });
        QVERIFY(form.Execute({a, b}));
        QVERIFY(focusLeft);
        QCOMPARE(form.Answer().Procenat, kProcenatDiffers);

        // A single slip afterwards shows its share again.
        TUpl c = NewSlip();
        c.Procenat = 0;
        QString shown;
        WhenShown(form, [&] {
            shown = form.mProcenat->text();
            form.btnCancel->click();
        });
        QVERIFY(!form.Execute({c}));
        QCOMPARE(shown, QStringLiteral("0,0000"));
    }

    void propertiesTakeWhatTheUserChose()
    {
        TUplSetupForm form;
        TUpl a = NewSlip();
        TUpl b = NewSlip();
        a.Stanja[stIznos] = spNevidljivo;
        a.Procenat = 25;
        b.Procenat = 50;
        WhenShown(form, [&] {
            form.mPolja->setCurrentRow(5);
            form.mState->setFocus();
            // Down on a combo box without a current item takes the first.
            QTest::keyClick(form.mState, Qt::Key_Down);
            QTest::keyClick(form.mState, Qt::Key_Down);
            form.mPolja->setCurrentRow(12); // Period
            QTest::keyClick(form.mState, Qt::Key_Down);
            form.mProcenat->selectAll();
            QTest::keyClicks(form.mProcenat, QStringLiteral("40"));
            form.btnOK->click();
        });
        QVERIFY(form.Execute({a, b}));
        ApplySlipProperties(a, form.Answer());
        ApplySlipProperties(b, form.Answer());
        QCOMPARE(a.Stanja[stIznos], qint32(spZabranjeno));
        QCOMPARE(b.Stanja[stIznos], qint32(spZabranjeno));
        QCOMPARE(a.Stanja[stPeriod], qint32(spZabranjeno));
        QCOMPARE(a.Procenat, 40.0f);
        QCOMPARE(b.Procenat, 40.0f);
    }

    void propertiesKeepAnUntouchedShareExactly()
    {
        TUplSetupForm form;
        TUpl a = NewSlip();
        a.Procenat = 33.333333f; // shown as 33,3333
        WhenShown(form, [&] { form.btnOK->click(); });
        QVERIFY(form.Execute({a}));
        QCOMPARE(form.Answer().Procenat, double(33.333333f));

        // Without marked slips the last answer is offered again.
        QString shown;
        WhenShown(form, [&] {
            shown = form.mProcenat->text();
            form.btnCancel->click();
        });
        QVERIFY(!form.Execute({}));
        QCOMPARE(shown, QStringLiteral("33,3333"));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestSlipDialogs)
#include "tst_slipdialogs.moc"

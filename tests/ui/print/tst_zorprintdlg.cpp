#include "ui/print/ZorPrintDlgs.h"

#include "DialogTest.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

QImage Stack(const QImage &image, int stack)
{
    return image.copy(4 + stack * 48, 0, 38, 48);
}

} // namespace

class tst_ZorPrintDlg : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { ClearDialogSeams(); }
    void controlsCaptionsAndDefaults();
    void pagesEditOnlyWithPagesButton();
    void pictureFollowsCheckBoxes_data();
    void pictureFollowsCheckBoxes();
    void picturesShowTheSheetOrder();
    void copiesStayWithinOneToHundred();
    void okFillsOptions();
    void typedCopiesConfirmedWithEnter();
    void escapeLeavesOptions();
    void seamAnswersWithoutWindow();
};

void tst_ZorPrintDlg::controlsCaptionsAndDefaults()
{
    TZorPrintDlg dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Štampanje"));
    auto text = [&](const char *name) -> QString {
        QObject *o = dlg.findChild<QObject *>(QLatin1String(name));
        if (!o)
            return QStringLiteral("<missing %1>").arg(QLatin1String(name));
        if (auto *g = qobject_cast<QGroupBox *>(o))
            return g->title();
        if (auto *b = qobject_cast<QAbstractButton *>(o))
            return b->text();
        if (auto *l = qobject_cast<QLabel *>(o))
            return l->text();
        return QString();
    };
    QCOMPARE(text("GroupBox1"), QStringLiteral("Štampaj"));
    QCOMPARE(text("btnAll"), QStringLiteral("&Sve"));
    QCOMPARE(text("btnPage"), QStringLiteral("&Trenutnu stranicu"));
    QCOMPARE(text("btnPages"), QStringLiteral("Str&anice:"));
    QCOMPARE(text("GroupBox2"), QStringLiteral("Opcije"));
    QCOMPARE(text("lblCopies"), QStringLiteral("&Broj kopija:"));
    QCOMPARE(text("chkColate"), QStringLiteral("Slo&ži po kopijama"));
    QCOMPARE(text("chkReverse"), QStringLiteral("&Obrnutim redom"));
    QCOMPARE(text("btnOK"), QStringLiteral("Štam&paj"));
    QCOMPARE(text("btnCancel"), QStringLiteral("Odustani"));
    QCOMPARE(dlg.findChild<QLineEdit *>(QStringLiteral("Pages")), dlg.Pages);
    QCOMPARE(dlg.findChild<QSpinBox *>(QStringLiteral("Copies")), dlg.Copies);

    QVERIFY(dlg.btnAll->isChecked());
    QVERIFY(!dlg.Pages->isEnabled());
    QVERIFY(dlg.Pages->text().isEmpty());
    QCOMPARE(dlg.Copies->value(), 1);
    QCOMPARE(dlg.Copies->minimum(), 1);
    QCOMPARE(dlg.Copies->maximum(), 100);
    QVERIFY(!dlg.Copies->wrapping());
    QVERIFY(dlg.chkColate->isChecked());
    QVERIFY(!dlg.chkReverse->isChecked());
    QVERIFY(dlg.btnOK->isDefault());
    QCOMPARE(dlg.Options(), TZorPrintOptions());
    for (const char *name : {"Image1", "Image2", "Image3", "Image4"}) {
        auto *image = dlg.findChild<QLabel *>(QLatin1String(name));
        QVERIFY(image);
        QCOMPARE(image->size(), QSize(143, 48));
    }
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QVERIFY(dlg.Image1->isVisible());
    // All four pictures take one place.
    const QRect place = dlg.Image1->geometry();
    dlg.chkColate->click();
    dlg.chkReverse->click();
    dlg.layout()->activate();
    dlg.GroupBox2->layout()->activate();
    QVERIFY(dlg.Image4->isVisible());
    QVERIFY(!dlg.Image1->isVisible());
    QCOMPARE(dlg.Image4->geometry(), place);
    QVERIFY(dlg.width() >= 289 && dlg.height() >= 200);
}

void tst_ZorPrintDlg::pagesEditOnlyWithPagesButton()
{
    TZorPrintDlg dlg;
    dlg.btnPages->click();
    QVERIFY(dlg.Pages->isEnabled());
    dlg.Pages->setText(QStringLiteral("1,3"));
    QCOMPARE(dlg.Options().Pages, QStringLiteral("1,3"));
    dlg.btnPage->click();
    QVERIFY(!dlg.Pages->isEnabled());
    QCOMPARE(dlg.Options().Pages, QStringLiteral("0"));
    dlg.btnAll->click();
    QVERIFY(!dlg.Pages->isEnabled());
    QCOMPARE(dlg.Options().Pages, QString());
}

void tst_ZorPrintDlg::pictureFollowsCheckBoxes_data()
{
    QTest::addColumn<bool>("collate");
    QTest::addColumn<bool>("reverse");
    QTest::addColumn<QString>("shown");
    QTest::newRow("collated") << true << false << QStringLiteral("Image1");
    QTest::newRow("not collated") << false << false << QStringLiteral("Image2");
    QTest::newRow("collated reversed") << true << true << QStringLiteral("Image3");
    QTest::newRow("reversed") << false << true << QStringLiteral("Image4");
}

void tst_ZorPrintDlg::pictureFollowsCheckBoxes()
{
    QFETCH(bool, collate);
    QFETCH(bool, reverse);
    QFETCH(QString, shown);
    TZorPrintDlg dlg;
    // Clicked by the user, through both boxes' handlers.
    if (dlg.chkColate->isChecked() != collate)
        dlg.chkColate->click();
    if (dlg.chkReverse->isChecked() != reverse)
        dlg.chkReverse->click();
    for (QLabel *image : {dlg.Image1, dlg.Image2, dlg.Image3, dlg.Image4})
        QCOMPARE(image->isVisibleTo(&dlg), image->objectName() == shown);
    QCOMPARE(dlg.Options().Collate, collate);
    QCOMPARE(dlg.Options().Reverse, reverse);
}

void tst_ZorPrintDlg::picturesShowTheSheetOrder()
{
    const QImage collated = SheetOrderImage(true, false);
    const QImage notCollated = SheetOrderImage(false, false);
    const QImage collatedReversed = SheetOrderImage(true, true);
    const QImage reversed = SheetOrderImage(false, true);
    QCOMPARE(collated.size(), QSize(143, 48));
    // Collated: the three stacks are alike (1-2-3, or 3-2-1 reversed).
    QCOMPARE(Stack(collated, 0), Stack(collated, 1));
    QCOMPARE(Stack(collated, 1), Stack(collated, 2));
    QCOMPARE(Stack(collatedReversed, 0), Stack(collatedReversed, 2));
    QVERIFY(Stack(collated, 0) != Stack(collatedReversed, 0));
    // Not collated: each stack holds one page; reversed, the same stacks in the other order.
    QVERIFY(Stack(notCollated, 0) != Stack(notCollated, 1));
    QVERIFY(Stack(notCollated, 1) != Stack(notCollated, 2));
    QCOMPARE(Stack(reversed, 0), Stack(notCollated, 2));
    QCOMPARE(Stack(reversed, 1), Stack(notCollated, 1));
    QCOMPARE(Stack(reversed, 2), Stack(notCollated, 0));
    QVERIFY(Stack(notCollated, 0) != Stack(collated, 0));
    // The dialog shows these very pictures.
    TZorPrintDlg dlg;
    QCOMPARE(dlg.Image3->pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
             collatedReversed);
}

void tst_ZorPrintDlg::copiesStayWithinOneToHundred()
{
    TZorPrintDlg dlg;
    dlg.Copies->setValue(150);
    QCOMPARE(dlg.Copies->value(), 100);
    dlg.Copies->stepUp(); // no wrap-around to 1
    QCOMPARE(dlg.Copies->value(), 100);
    dlg.Copies->setValue(1);
    dlg.Copies->stepDown();
    QCOMPARE(dlg.Copies->value(), 1);
}

void tst_ZorPrintDlg::okFillsOptions()
{
    TZorPrintDlg dlg;
    TZorPrintOptions options;
    WhenShown<TZorPrintDlg>([](TZorPrintDlg *d) {
        d->btnPages->click();
        QTest::keyClicks(d->Pages, QStringLiteral("2,4"));
        d->Copies->setValue(3);
        d->chkColate->click();
        d->chkReverse->click();
        QVERIFY(d->Image4->isVisible());
        QTest::mouseClick(d->btnOK, Qt::LeftButton);
    });
    QVERIFY(dlg.Execute(options));
    QCOMPARE(options.Pages, QStringLiteral("2,4"));
    QCOMPARE(options.Copies, 3);
    QVERIFY(!options.Collate);
    QVERIFY(options.Reverse);
}

void tst_ZorPrintDlg::typedCopiesConfirmedWithEnter()
{
    TZorPrintDlg dlg;
    TZorPrintOptions options;
    WhenShown<TZorPrintDlg>([](TZorPrintDlg *d) {
        d->Copies->setFocus();
        d->Copies->selectAll();
        QTest::keyClicks(d->Copies, QStringLiteral("7"));
        QTest::keyClick(d->Copies, Qt::Key_Return); // the default button takes Enter
    });
    QVERIFY(dlg.Execute(options));
    QCOMPARE(options.Copies, 7);
    QCOMPARE(options.Pages, QString());
}

void tst_ZorPrintDlg::escapeLeavesOptions()
{
    TZorPrintDlg dlg;
    TZorPrintOptions options;
    options.Pages = QStringLiteral("3");
    options.Copies = 4;
    options.Collate = false;
    WhenShown<TZorPrintDlg>([](TZorPrintDlg *d) {
        d->Copies->setValue(9);
        QTest::keyClick(d, Qt::Key_Escape);
    });
    QVERIFY(!dlg.Execute(options));
    QCOMPARE(options.Pages, QStringLiteral("3"));
    QCOMPARE(options.Copies, 4);
    QVERIFY(!options.Collate);

    TZorPrintDlg again; // opens with its own defaults, not the last answer
    QCOMPARE(again.Options(), TZorPrintOptions());
    WhenShown<TZorPrintDlg>(
        [](TZorPrintDlg *d) { QTest::mouseClick(d->btnCancel, Qt::LeftButton); });
    QVERIFY(!again.Execute(options));
    QCOMPARE(options.Copies, 4);
}

void tst_ZorPrintDlg::seamAnswersWithoutWindow()
{
    // Queued answers are taken once each, in order.
    PrintDialogSeam().QueueAnswer([](TZorPrintDlg &d) {
        d.btnPage->setChecked(true);
        d.Copies->setValue(2);
        return int(QDialog::Accepted);
    });
    PrintDialogSeam().QueueAnswer([](TZorPrintDlg &) { return int(QDialog::Rejected); });
    TZorPrintDlg dlg;
    TZorPrintOptions options;
    QVERIFY(dlg.Execute(options));
    QCOMPARE(options.Pages, QStringLiteral("0"));
    QCOMPARE(options.Copies, 2);
    QVERIFY(!dlg.isVisible());
    options = TZorPrintOptions();
    QVERIFY(!dlg.Execute(options));
    QCOMPARE(options, TZorPrintOptions());
    QCOMPARE(PrintDialogSeam().QueuedAnswers(), 0);
    QCOMPARE(PrintDialogSeam().Asked().size(), 2);
    QCOMPARE(PrintDialogSeam().Asked().first(), QStringList{QStringLiteral("Štampanje")});
    // An empty answer is Cancel, not a crash.
    PrintDialogSeam().QueueAnswer({});
    QVERIFY(!dlg.Execute(options));
    QCOMPARE(options, TZorPrintOptions());
    // ClearDialogSeams reaches this family's seam too: the dialog shows again.
    PrintDialogSeam().AnswerAll([](TZorPrintDlg &) { return int(QDialog::Accepted); });
    ClearDialogSeams();
    QVERIFY(PrintDialogSeam().Asked().isEmpty());
    WhenShown<TZorPrintDlg>(
        [](TZorPrintDlg *d) { QTest::mouseClick(d->btnCancel, Qt::LeftButton); });
    QVERIFY(!dlg.Execute(options));
    QVERIFY(PrintDialogSeam().Asked().isEmpty());
}

QTEST_MAIN(tst_ZorPrintDlg)
#include "tst_zorprintdlg.moc"

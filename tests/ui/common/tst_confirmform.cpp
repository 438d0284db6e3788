#include "ui/common/ConfirmFormU.h"

#include "DialogTest.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

Q_DECLARE_METATYPE(TConfirmResult)

namespace {

// Fails (and closes the dialog, so the test ends) whenever it is shown.
void FailIfShown(TConfirmForm &form)
{
    auto *timer = new QTimer(&form);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, &form, [&form] {
        if (form.isVisible()) {
            QTest::qFail("the dialog was shown", __FILE__, __LINE__);
            form.reject();
        }
    });
    timer->start();
}

const QString kLong = QStringLiteral(
    "Datoteka \"Plate za mjesec mart.upl\" je promijenjena nakon posljednjeg snimanja. "
    "Ako je sada zatvorite bez snimanja, sve izmjene uplatnica i napomena biće izgubljene. "
    "Da li želite snimiti izmjene prije zatvaranja datoteke?");

} // namespace

class TestConfirmForm : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { TConfirmForm::ClearQueuedAnswers(); }

    void design()
    {
        TConfirmForm form;
        QCOMPARE(ConfirmForm, &form);
        QCOMPARE(form.windowTitle(), QStringLiteral("Potvrda"));
        QCOMPARE(form.Button1->text(), QStringLiteral("&Da"));
        QCOMPARE(form.Button2->text(), QStringLiteral("&Ne"));
        QCOMPARE(form.Button3->text(), QStringLiteral("&Odustani"));
        QVERIFY(form.Button1->isDefault());
        QVERIFY(form.Poruka->wordWrap());
        QCOMPARE(form.Poruka->size(), QSize(249, 49));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(form.findChild<QLabel *>("Poruka"));
        QVERIFY(form.findChild<QPushButton *>("Button3"));
    }

    void buttonsAnswer_data()
    {
        QTest::addColumn<int>("how");
        QTest::addColumn<TConfirmResult>("expected");
        QTest::newRow("Enter") << 0 << TConfirmResult::Yes;
        QTest::newRow("Da") << 1 << TConfirmResult::Yes;
        QTest::newRow("Ne") << 2 << TConfirmResult::No;
        QTest::newRow("Odustani") << 3 << TConfirmResult::Cancel;
        QTest::newRow("Esc") << 4 << TConfirmResult::Cancel;
        QTest::newRow("close box") << 5 << TConfirmResult::Cancel;
        QTest::newRow("Alt+N") << 6 << TConfirmResult::No;
    }
    void buttonsAnswer()
    {
        QFETCH(int, how);
        QFETCH(TConfirmResult, expected);
        TConfirmForm form;
        QWidget *focused = nullptr;
        WhenShown(form, [&] {
            focused = QApplication::focusWidget();
            switch (how) {
            case 0:
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                break;
            case 1:
                form.Button1->click();
                break;
            case 2:
                form.Button2->click();
                break;
            case 3:
                form.Button3->click();
                break;
            case 4:
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                break;
            case 5:
                form.close();
                break;
            case 6:
                QTest::keyClick(&form, Qt::Key_N, Qt::AltModifier);
                break;
            }
        });
        QCOMPARE(form.Ask(QStringLiteral("Obrisati uplatnicu?")), expected);
        QCOMPARE(focused, form.Button1);
        QVERIFY(!form.isVisible());
    }

    void focusReturnsToDaOnEveryAsk()
    {
        TConfirmForm form;
        WhenShown(form, [&] {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), form.Button2);
            // Enter answers with the focused button, as on Windows.
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        QCOMPARE(form.Ask(QStringLiteral("Prvo?")), TConfirmResult::No);
        WhenShown(form, [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter); });
        QCOMPARE(form.Ask(QStringLiteral("Drugo?")), TConfirmResult::Yes);
    }

    void queuedAnswersDoNotShow()
    {
        TConfirmForm form;
        FailIfShown(form);
        TConfirmForm::QueueAnswer(TConfirmResult::No);
        TConfirmForm::QueueAnswer(TConfirmResult::Cancel);
        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        QCOMPARE(TConfirmForm::QueuedAnswers(), 3);
        QCOMPARE(form.Ask(QStringLiteral("Jedan?")), TConfirmResult::No);
        QCOMPARE(form.Poruka->text(), QStringLiteral("Jedan?"));
        QCOMPARE(ConfirmAsk(QStringLiteral("Dva?")), TConfirmResult::Cancel);
        QCOMPARE(TConfirmForm::LastQuestion(), QStringLiteral("Dva?"));
        QCOMPARE(form.Ask(QStringLiteral("Tri?")), TConfirmResult::Yes);
        QCOMPARE(TConfirmForm::QueuedAnswers(), 0);
        QVERIFY(!form.isVisible());

        // Once the queue is empty the dialog asks again.
        qDeleteAll(form.findChildren<QTimer *>());
        WhenShown(form, [&] { form.Button2->click(); });
        QCOMPARE(ConfirmAsk(QStringLiteral("Četiri?")), TConfirmResult::No);
    }

    void queueWorksWithoutDialog()
    {
        QVERIFY(!ConfirmForm);
        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        QCOMPARE(ConfirmAsk(QStringLiteral("Bez prozora?")), TConfirmResult::Yes);
        QCOMPARE(TConfirmForm::LastQuestion(), QStringLiteral("Bez prozora?"));
    }

    void longQuestionWraps()
    {
        TConfirmForm form;
        QSize shortSize;
        WhenShown(form, [&] {
            shortSize = form.size();
            form.Button1->click();
        });
        form.Ask(QStringLiteral("Kratko?"));
        QCOMPARE(form.Poruka->height(), 49);

        QRect label, da, client;
        int needed = 0;
        WhenShown(form, [&] {
            label = form.Poruka->geometry();
            da = form.Button1->geometry();
            client = form.rect();
            needed = form.Poruka->heightForWidth(249);
            form.Button1->click();
        });
        form.Ask(kLong);
        QCOMPARE(label.width(), 249);
        QVERIFY2(needed > 49, "the sample question should need more than the designed lines");
        QCOMPARE(label.height(), needed);
        QVERIFY(label.bottom() < da.top());
        QVERIFY(client.contains(label) && client.contains(da));
        QCOMPARE(form.width(), shortSize.width());
        QVERIFY(form.height() > shortSize.height());
        // Every line fits: the wrapped text's box lies within the label.
        const QRect text = form.Poruka->fontMetrics().boundingRect(QRect(0, 0, 249, 10000),
                                                                   Qt::TextWordWrap, kLong);
        QVERIFY(text.width() <= 249 && text.height() <= label.height());

        // A short question afterwards gives the designed size back.
        WhenShown(form, [&] { form.Button1->click(); });
        form.Ask(QStringLiteral("Kratko?"));
        QCOMPARE(form.size(), shortSize);
    }

    void unbreakableWordIsNotCut()
    {
        // No break opportunity in the name: it cannot wrap.
        const QString path = QStringLiteral("Snimiti izmjene u datoteku "
                                            "Plate_i_doprinosi_za_mart_2024_svi_radnici.upl?");
        TConfirmForm form;
        QRect label;
        WhenShown(form, [&] {
            label = form.Poruka->geometry();
            form.Button1->click();
        });
        form.Ask(path);
        const QRect text = form.Poruka->fontMetrics().boundingRect(
            QRect(0, 0, label.width(), 10000), Qt::TextWordWrap, path);
        QVERIFY(label.width() > 249);
        QVERIFY(text.width() <= label.width() && text.height() <= label.height());
        QVERIFY(form.rect().contains(label));
    }

    void centredOnScreen()
    {
        TConfirmForm form;
        QPoint centre;
        WhenShown(form, [&] {
            centre = form.frameGeometry().center();
            form.Button3->click();
        });
        form.Ask(kLong);
        const QPoint screen = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY2((centre - screen).manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1,%2 vs %3,%4")
                                .arg(centre.x())
                                .arg(centre.y())
                                .arg(screen.x())
                                .arg(screen.y())));
    }

    void questionShownAsPlainText()
    {
        TConfirmForm form;
        const QString q = QStringLiteral("Obrisati <b>A&B</b>.upl?");
        QString shown;
        WhenShown(form, [&] {
            shown = form.Poruka->text();
            form.Button1->click();
        });
        form.Ask(q);
        QCOMPARE(shown, q);
        QCOMPARE(form.Poruka->textFormat(), Qt::PlainText);
    }
};

QTEST_MAIN(TestConfirmForm)
#include "tst_confirmform.moc"

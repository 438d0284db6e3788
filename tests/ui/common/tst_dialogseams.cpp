// The dialog seams themselves: answers taken once and in order, what was
// asked kept only for dialogs answered, and ClearDialogSeams reaching every
// seam, those it does not name too.

#include "ui/common/DialogSeams.h"

#include "DialogTest.h"

#include <QApplication>
#include <QFontDialog>
#include <QTest>

#include <optional>

class TestDialogSeams : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { ClearDialogSeams(); }

    void fontAnswerTakenOnceThenTheDialogShows()
    {
        QFont opened(QStringLiteral("Courier New"), 12);
        QFont chosen(QStringLiteral("Times New Roman"), 14);
        chosen.setBold(true);
        FontDialogSeam().QueueAnswer(chosen);
        FontDialogSeam().QueueAnswer(std::nullopt);
        QCOMPARE(ChooseFont(nullptr, opened, QStringLiteral("Vrsta slova")).value_or(opened),
                 chosen);
        QVERIFY(!ChooseFont(nullptr, opened, QStringLiteral("Vrsta slova")));
        QCOMPARE(FontDialogSeam().QueuedAnswers(), 0);
        QCOMPARE(FontDialogSeam().Asked(),
                 (QList<QStringList>{{"Vrsta slova", opened.family(), "12"},
                                     {"Vrsta slova", opened.family(), "12"}}));

        // Nothing queued: the real dialog, and nothing kept as asked.
        WhenShown<QFontDialog>([](QFontDialog *dialog) {
            QCOMPARE(dialog->objectName(), QStringLiteral("FontDialog"));
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Slova"));
            dialog->reject();
        });
        QVERIFY(!ChooseFont(nullptr, opened, QStringLiteral("Slova")));
        QCOMPARE(FontDialogSeam().Asked().size(), 2);
    }

    void clearReachesSeamsItDoesNotName()
    {
        TDialogSeam<int> elsewhere; // a window family's own seam
        elsewhere.QueueAnswer(1);
        elsewhere.AnswerAll(2);
        QCOMPARE(elsewhere.Take({"a"}).value_or(0), 1);
        FontDialogSeam().AnswerAll(std::nullopt);
        ClearDialogSeams();
        QCOMPARE(elsewhere.QueuedAnswers(), 0);
        QVERIFY(elsewhere.Asked().isEmpty());
        QVERIFY(!elsewhere.Take({"b"})); // the standing answer went too
        QVERIFY(elsewhere.Asked().isEmpty());
        QVERIFY(!FontDialogSeam().Take({"c"}));
        QVERIFY(FontDialogSeam().Asked().isEmpty());
    }
};

QTEST_MAIN(TestDialogSeams)
#include "tst_dialogseams.moc"

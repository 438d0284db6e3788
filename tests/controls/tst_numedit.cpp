#include "controls/NumEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTest>
#include <QVBoxLayout>

namespace {

// Counts the beeps instead of sounding them.
class TBeepingEdit : public TNumEdit
{
public:
    using TNumEdit::TNumEdit;
    int Beeps = 0;

protected:
    void Beep() override { ++Beeps; }
};

// A window with two numeric edits and a plain line edit after them.
struct TForm
{
    QWidget Window;
    TBeepingEdit *A = new TBeepingEdit(&Window);
    TBeepingEdit *B = new TBeepingEdit(&Window);
    QLineEdit *Other = new QLineEdit(&Window);

    TForm()
    {
        auto *layout = new QVBoxLayout(&Window);
        layout->addWidget(A);
        layout->addWidget(B);
        layout->addWidget(Other);
        A->setObjectName("A");
        B->setObjectName("B");
    }
    bool Show()
    {
        Window.show();
        Window.activateWindow();
        return QTest::qWaitForWindowActive(&Window);
    }
};

} // namespace

class TestNumEdit : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        QLocale::setDefault(
            QLocale(QLocale::Bosnian, QLocale::LatinScript, QLocale::BosniaAndHerzegovina));
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void defaults()
    {
        TNumEdit e;
        QCOMPARE(e.text(), QStringLiteral("0"));
        QCOMPARE(e.Decimals(), 0);
        QCOMPARE(e.Value(), 0.0);
        QCOMPARE(e.MinValue(), 0.0);
        QCOMPARE(e.MaxValue(), 0.0);
        QCOMPARE(e.ExitOnCorrect(), false);
        QCOMPARE(e.CheckType(), ctNone);
        QCOMPARE(e.Alignment(), Qt::Alignment(Qt::AlignLeft));
        QCOMPARE(e.Increment(), 1);
        QCOMPARE(e.IncrementDivider(), 1);
        QCOMPARE(e.IncrementMultiplier(), 1);
        QCOMPARE(e.IncrementTreshold(), 10);
        QCOMPARE(e.ButtonVisible(), true);
        QCOMPARE(e.KeysEnabled(), false);
        QCOMPARE(e.ChangeOnType(), true);
        e.SetDecimals(2);
        QCOMPARE(e.text(), QStringLiteral("0,00"));
        // The properties are reachable by name as well.
        QVERIFY(e.setProperty("Decimals", 3));
        QCOMPARE(e.text(), QStringLiteral("0,000"));
    }

    void typingStopsAtDecimals()
    {
        TForm f;
        QVERIFY(f.Show());
        TNumEdit *e = f.A;
        e->SetDecimals(2);
        QSignalSpy changes(e, &TNumEdit::OnChange);
        e->setFocus();
        e->clear();
        QTest::keyClicks(e, "12,345");
        QCOMPARE(e->text(), QStringLiteral("12,34"));
        QCOMPARE(e->Value(), 12.34);
        // 1, 12, 12,3 and 12,34 change the value; "12," does not.
        QCOMPARE(changes.count(), 4);

        QTest::keyClicks(e, "a+.");
        QCOMPARE(e->text(), QStringLiteral("12,34"));
    }

    // The amount field takes no more digits than print: typing stops at 13
    // whole digits with two decimals, a pasted or stepped longer number is
    // refused, and nothing ever shows as "1E20".
    void digitsStopAtWhatPrints()
    {
        TForm f;
        QVERIFY(f.Show());
        TBeepingEdit *e = f.A;
        e->SetDecimals(2);
        e->setFocus();
        e->clear();
        QTest::keyClicks(e, QStringLiteral("100000000000000000000"));
        QCOMPARE(e->text(), QStringLiteral("1000000000000"));
        QTest::keyClicks(e, QStringLiteral(",999"));
        QCOMPARE(e->text(), QStringLiteral("1000000000000,99"));
        QCOMPARE(e->Value(), 1000000000000.99);

        // Pasted: the value stays what it was and the field keeps the focus.
        e->SetValue(12.5);
        e->setText(QStringLiteral("100000000000000000000"));
        QCOMPARE(e->Value(), 12.5);
        const int beeps = e->Beeps;
        f.Other->setFocus();
        QTRY_VERIFY(e->hasFocus());
        QCOMPARE(e->Beeps, beeps + 1);
        QVERIFY(!e->text().contains(u'E'));

        // Stepping up from the largest amount stays there.
        e->SetValue(9999999999999.99);
        e->StepValue(true, 0);
        QCOMPARE(e->Value(), 9999999999999.99);
        QCOMPARE(e->text(), QStringLiteral("9999999999999,99"));
    }

    void separatorSelectsDecimals()
    {
        TForm f;
        QVERIFY(f.Show());
        TNumEdit *e = f.A;
        e->SetDecimals(2);
        e->SetValue(12.5);
        e->setFocus();
        e->end(false);
        QTest::keyClick(e, ',');
        QCOMPARE(e->selectedText(), QStringLiteral("50"));
        QTest::keyClick(e, '7'); // selected decimals still count as full
        QCOMPARE(e->text(), QStringLiteral("12,50"));
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, "789");
        QCOMPARE(e->text(), QStringLiteral("12,78"));
        QCOMPARE(e->Value(), 12.78);

        e->SetDecimals(0);
        e->end(false);
        QTest::keyClick(e, ',');
        QCOMPARE(e->text(), QStringLiteral("13"));
        QVERIFY(!e->hasSelectedText());
    }

    void minusRules()
    {
        TForm f;
        QVERIFY(f.Show());
        TNumEdit *e = f.A;
        e->SetValue(123);
        e->setFocus();
        e->setCursorPosition(1);
        QTest::keyClick(e, '-');
        QCOMPARE(e->text(), QStringLiteral("123"));
        e->setCursorPosition(0);
        QTest::keyClick(e, '-');
        QCOMPARE(e->text(), QStringLiteral("-123"));
        QCOMPARE(e->Value(), -123.0);
        QTest::keyClick(e, '-');
        QCOMPARE(e->text(), QStringLiteral("-123"));
        QCOMPARE(e->selectedText(), QStringLiteral("123"));
        QTest::keyClicks(e, "45");
        QCOMPARE(e->text(), QStringLiteral("-45"));
    }

    void leavingEmptyKeepsFocus()
    {
        TForm f;
        QVERIFY(f.Show());
        TBeepingEdit *e = f.A;
        e->SetDecimals(2);
        e->SetValue(7);
        QSignalSpy exits(e, &TNumEdit::OnExit);
        QSignalSpy changes(e, &TNumEdit::OnChange);
        e->setFocus();
        e->clear();
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(e->text(), QStringLiteral("7,00"));
        QCOMPARE(e->Beeps, 1);
        QTRY_VERIFY(e->hasFocus());
        QCOMPARE(e->selectedText(), e->text());
        QCOMPARE(exits.count(), 0);
        QCOMPARE(changes.count(), 0);
        QCOMPARE(e->Value(), 7.0);
    }

    void leavingUnparseableText()
    {
        TForm f;
        QVERIFY(f.Show());
        TBeepingEdit *e = f.A;
        e->SetValue(3);
        QSignalSpy exits(e, &TNumEdit::OnExit);
        e->setFocus();
        e->clear();
        QTest::keyClick(e, '-');
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(e->text(), QStringLiteral("-"));
        QCOMPARE(e->Beeps, 1);
        QCOMPARE(exits.count(), 1);
        QTRY_VERIFY(e->hasFocus());
        QCOMPARE(e->selectedText(), QStringLiteral("-"));
        QCOMPARE(e->Value(), 3.0);
    }

    void leavingShowsStandardForm()
    {
        TForm f;
        QVERIFY(f.Show());
        TBeepingEdit *e = f.A;
        e->SetDecimals(2);
        e->SetChangeOnType(false);
        QSignalSpy changes(e, &TNumEdit::OnChange);
        QSignalSpy exits(e, &TNumEdit::OnExit);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, " 5");
        QCOMPARE(e->Value(), 5.0);
        QCOMPARE(changes.count(), 0); // not while typing
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(e->text(), QStringLiteral("5,00"));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(exits.count(), 1);
        QCOMPARE(e->Beeps, 0);
        QVERIFY(f.B->hasFocus());
        QTest::qWait(50);
        QVERIFY(f.B->hasFocus());
    }

    void correctionOnLeaving()
    {
        TForm f;
        QVERIFY(f.Show());
        TBeepingEdit *e = f.A;
        e->SetDecimals(2);
        e->SetCheckType(ctCheckMin);
        e->SetMinValue(0);
        QSignalSpy corrects(e, &TNumEdit::OnCorrect);
        QSignalSpy exits(e, &TNumEdit::OnExit);
        QSignalSpy changes(e, &TNumEdit::OnChange);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, "-5");
        QCOMPARE(e->Value(), 0.0); // out of range while typing: kept
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(e->text(), QStringLiteral("0,00"));
        QCOMPARE(e->Beeps, 1);
        QCOMPARE(corrects.count(), 1);
        QCOMPARE(exits.count(), 1);
        QCOMPARE(changes.count(), 0);
        QTRY_VERIFY(e->hasFocus());
        QCOMPARE(e->selectedText(), QStringLiteral("0,00"));

        // Allowed to exit: corrected quietly and the focus goes on.
        e->SetExitOnCorrect(true);
        e->selectAll();
        QTest::keyClicks(e, "-8");
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(e->text(), QStringLiteral("0,00"));
        QCOMPARE(e->Beeps, 1);
        QCOMPARE(corrects.count(), 2);
        QTest::qWait(50);
        QVERIFY(f.B->hasFocus());
    }

    void correctionReportedThroughTyping()
    {
        TForm f;
        QVERIFY(f.Show());
        TBeepingEdit *e = f.A;
        e->SetCheckType(ctCheckMax);
        e->SetMaxValue(10);
        QSignalSpy changes(e, &TNumEdit::OnChange);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, "25");
        QCOMPARE(e->Value(), 2.0); // "2" was in range, "25" is not
        QCOMPARE(changes.count(), 1);
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(e->Value(), 10.0);
        QCOMPARE(changes.count(), 2);
    }

    void outsideAndBounds()
    {
        TNumEdit e;
        e.SetCheckType(ctCheckOutside);
        e.SetMinValue(0);
        e.SetMaxValue(10);
        e.SetValue(4.9);
        QCOMPARE(e.Value(), 0.0);
        e.SetValue(5);
        QCOMPARE(e.Value(), 10.0);
        QCOMPARE(e.text(), QStringLiteral("10"));

        e.SetMinValue(20);
        QCOMPARE(e.MaxValue(), 20.0);
        QCOMPARE(e.Value(), 10.0); // at or below the lower bound is outside
        e.SetValue(15);
        QCOMPARE(e.Value(), 15.0);
        e.SetMaxValue(-1);
        QCOMPARE(e.MinValue(), -1.0);

        TNumEdit g;
        g.SetValue(-3);
        QSignalSpy changes(&g, &TNumEdit::OnChange);
        g.SetMinValue(0); // no range check yet
        QCOMPARE(g.Value(), -3.0);
        g.SetCheckType(ctCheckMin);
        QCOMPARE(g.Value(), 0.0);
        QCOMPARE(g.text(), QStringLiteral("0"));
        QCOMPARE(changes.count(), 1); // through the typing rule only
    }

    void settingValue()
    {
        TNumEdit e;
        e.SetDecimals(2);
        QSignalSpy changes(&e, &TNumEdit::OnChange);
        e.SetValue(1.234);
        QCOMPARE(e.Value(), 1.23);
        QCOMPARE(e.text(), QStringLiteral("1,23"));
        // Typing rule, then the forced notification.
        QCOMPARE(changes.count(), 2);
        e.SetValue(1.23);
        QCOMPARE(changes.count(), 2);
        // The text does not change here, yet the value still becomes 1.23.
        e.SetValue(1.2349);
        QCOMPARE(e.Value(), 1.23);
        QCOMPARE(changes.count(), 3);

        e.SetChangeOnType(false);
        e.SetValue(8);
        QCOMPARE(changes.count(), 4); // forced only
        e.SetValue(qQNaN());
        QCOMPARE(e.Value(), 8.0);
        QCOMPARE(changes.count(), 4);
    }

    void loadingHoldsNotification()
    {
        TForm f;
        QVERIFY(f.Show());
        TNumEdit *e = f.A;
        QSignalSpy changes(e, &TNumEdit::OnChange);
        e->BeginLoad();
        e->SetDecimals(2);
        e->SetValue(5);
        e->EndLoad();
        QCOMPARE(changes.count(), 0);
        // The loaded value is no change when the user merely passes through.
        e->setFocus();
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(changes.count(), 0);
        QCOMPARE(e->text(), QStringLiteral("5,00"));
    }

    void keysStep()
    {
        TNumEdit e;
        QTest::keyClick(&e, Qt::Key_Up);
        QCOMPARE(e.Value(), 0.0); // keys off by default
        e.SetKeysEnabled(true);
        e.SetIncrementMultiplier(10);
        e.SetIncrementTreshold(2);
        QTest::keyPress(&e, Qt::Key_Up);
        QTest::keyPress(&e, Qt::Key_Up);
        QTest::keyPress(&e, Qt::Key_Up); // held: third key-down
        QCOMPARE(e.Value(), 12.0);
        QTest::keyRelease(&e, Qt::Key_Up);
        QTest::keyClick(&e, Qt::Key_Down);
        QCOMPARE(e.Value(), 11.0);
        e.setReadOnly(true);
        QTest::keyClick(&e, Qt::Key_Down);
        QCOMPARE(e.Value(), 11.0);
    }

    void stepWithDivider()
    {
        TNumEdit e;
        e.SetDecimals(2);
        e.SetIncrementDivider(100);
        QSignalSpy changes(&e, &TNumEdit::OnChange);
        for (int i = 0; i < 30; ++i)
            e.StepValue(true, 0);
        QCOMPARE(e.text(), QStringLiteral("0,30"));
        QCOMPARE(e.Value(), 0.3);
        // The base is the text when it parses, even if the value lags behind.
        e.SetMaxValue(1);
        e.SetCheckType(ctCheckMax);
        e.setText(QStringLiteral("5"));
        QCOMPARE(e.Value(), 0.3);
        e.StepValue(false, 0);
        QCOMPARE(e.Value(), 1.0);
    }

    void holdingTheUpButton()
    {
        TForm f;
        QVERIFY(f.Show());
        TNumEdit *e = f.A;
        e->SetIncrementMultiplier(10);
        e->SetChangeOnType(false); // one notification per step
        QList<double> values;
        connect(e, &TNumEdit::OnChange, e, [&] { values << e->Value(); });
        TNumEditButton *up = e->Buttons()->UpButton();
        const QPoint inside = up->rect().center();
        QTest::mousePress(up, Qt::LeftButton, {}, inside);
        QCOMPARE(values, QList<double>{1});
        QCOMPARE(up->State(), TNumEditButton::TState::Pressed);
        QTest::qWait(150);
        QCOMPARE(values.size(), 1); // the first repeat waits 400 ms

        QTRY_VERIFY_WITH_TIMEOUT(values.size() >= 5, 3000);
        QTest::mouseMove(up, QPoint(inside.x(), -20));
        QCOMPARE(up->State(), TNumEditButton::TState::Normal);
        QTRY_VERIFY_WITH_TIMEOUT(values.size() >= 12, 5000);
        QTest::mouseMove(up, inside);
        QCOMPARE(up->State(), TNumEditButton::TState::Pressed);
        QTest::mouseRelease(up, Qt::LeftButton, {}, inside);
        QVERIFY(!up->Held());

        const QList<double> expected{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 20, 30};
        QCOMPARE(values.mid(0, 12), expected);
        for (int i = 12; i < values.size(); ++i)
            QCOMPARE(values[i], values[i - 1] + 10);
        const qsizetype held = values.size();
        QTest::qWait(300);
        QCOMPARE(values.size(), held);
    }

    void buttonsFollowTheEdit()
    {
        TForm f;
        QVERIFY(f.Show());
        TNumEdit *e = f.A;
        e->resize(160, e->height());
        TNumEditButtons *buttons = e->Buttons();
        QVERIFY(buttons);
        const int extent = e->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, e);
        QCOMPARE(buttons->width(), extent);
        QCOMPARE(e->textMargins().right(), extent);
        QVERIFY(buttons->geometry().right() < e->width());
        QVERIFY(buttons->geometry().right() >= e->width() - 4);
        QVERIFY(buttons->height() >= e->height() - 6);
        QCOMPARE(buttons->UpButton()->height() + buttons->DownButton()->height(),
                 buttons->height());

        // Rebuilt on resize: the same gap to the right edge as before.
        const int gap = e->width() - 1 - buttons->geometry().right();
        const int oldWidth = e->width();
        f.Window.resize(f.Window.width() + 100, f.Window.height());
        QTRY_VERIFY(e->width() > oldWidth);
        QCOMPARE(e->width() - 1 - buttons->geometry().right(), gap);

        e->setEnabled(false);
        QCOMPARE(buttons->UpButton()->State(), TNumEditButton::TState::Disabled);
        QTest::mouseClick(buttons->UpButton(), Qt::LeftButton);
        QCOMPARE(e->Value(), 0.0);
        e->setEnabled(true);
        QCOMPARE(buttons->UpButton()->State(), TNumEditButton::TState::Normal);

        e->SetButtonVisible(false);
        QVERIFY(!e->Buttons());
        QCOMPARE(e->textMargins().right(), 0);
        e->SetButtonVisible(true);
        QVERIFY(e->Buttons());
        QCOMPARE(e->textMargins().right(), extent);

        e->setLayoutDirection(Qt::RightToLeft);
        QVERIFY(e->Buttons()->geometry().left() <= 4);
    }

    void pasteIsNotFiltered()
    {
        TForm f;
        QVERIFY(f.Show());
        TBeepingEdit *e = f.A;
        e->SetValue(4);
        QGuiApplication::clipboard()->setText(QStringLiteral("x1"));
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e->text(), QStringLiteral("x1"));
        QCOMPARE(e->Value(), 4.0);
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(e->Beeps, 1);
        QTRY_VERIFY(e->hasFocus());
    }

    void pastedTypographicMinusIsNegative()
    {
        // Amounts copied from a document carry U+2212, not the hyphen.
        TForm f;
        QVERIFY(f.Show());
        TBeepingEdit *e = f.A;
        e->SetValue(4);
        QGuiApplication::clipboard()->setText(QStringLiteral("\u2212150,00"));
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e->Value(), -150.0);
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(e->Beeps, 0);
        QCOMPARE(e->Value(), -150.0);
    }

    // Two edits with text that cannot be read must not hand the focus to and
    // fro: the one that lost the focus first keeps it.
    void twoBadEditsDoNotLoop()
    {
        TForm f;
        QVERIFY(f.Show());
        QSignalSpy exitsA(f.A, &TNumEdit::OnExit);
        QSignalSpy exitsB(f.B, &TNumEdit::OnExit);
        f.B->setText(QStringLiteral("xyz"));
        f.A->setFocus();
        f.A->setText(QStringLiteral("abc"));
        f.B->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(f.A->hasFocus());
        QTest::qWait(200);
        QVERIFY(f.A->hasFocus());
        QCOMPARE(exitsA.count(), 1);
        QCOMPARE(exitsB.count(), 1);
        QCOMPARE(f.A->Beeps, 1);
        QCOMPARE(f.B->Beeps, 0);
    }

    void otherWindowIsNoLeaving()
    {
        TForm f;
        QVERIFY(f.Show());
        TBeepingEdit *e = f.A;
        e->setFocus();
        e->clear();
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(e->Beeps, 0);
        QCOMPARE(e->text(), QString());
    }
};

QTEST_MAIN(TestNumEdit)
#include "tst_numedit.moc"

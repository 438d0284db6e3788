#include "controls/CheckMark.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestCheckMark : public QObject
{
    Q_OBJECT
private:
    QWidget *m_window = nullptr;
    QLineEdit *m_edit = nullptr;
    QPushButton *m_other = nullptr;
    TCheckMark *m_mark = nullptr;

    QString AccessibleName() const
    {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(m_mark);
        return a ? a->text(QAccessible::Name) : QStringLiteral("<none>");
    }
    QString AccessibleDescription() const
    {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(m_mark);
        return a ? a->text(QAccessible::Description) : QStringLiteral("<none>");
    }

private Q_SLOTS:
    void init()
    {
        m_window = new QWidget;
        m_window->resize(300, 100);
        m_edit = new QLineEdit(m_window);
        m_edit->setGeometry(10, 10, 150, 20);
        m_other = new QPushButton(QStringLiteral("x"), m_window);
        m_other->setGeometry(10, 50, 50, 20);
        m_mark = new TCheckMark(m_edit, CheckAccount, QStringLiteral("Račun primaoca"));
        m_window->show();
        QApplication::setActiveWindow(m_window);
        QVERIFY(QTest::qWaitForWindowActive(m_window));
    }
    void cleanup() { delete m_window; }

    void nothingWhileEmptyOrTyping()
    {
        QVERIFY(m_mark->isHidden());
        m_edit->setFocus();
        QTest::keyClicks(m_edit, QStringLiteral("1990440"));
        QCOMPARE(m_mark->Kind(), TMarkKind::None);
        QVERIFY(m_mark->isHidden());
        QCOMPARE(AccessibleName(), QString());
        // Left too short, it is a fault.
        m_other->setFocus();
        QCOMPARE(m_mark->Kind(), TMarkKind::Invalid);
        QVERIFY(m_mark->isVisible());
        QCOMPARE(m_mark->toolTip(), QStringLiteral("Račun mora imati 16 cifara"));
    }

    void validAndInvalidAreToldApart()
    {
        m_edit->setFocus();
        QTest::keyClicks(m_edit, QStringLiteral("1990440001200279"));
        QCOMPARE(m_mark->Kind(), TMarkKind::Valid);
        QVERIFY(m_mark->isVisible());
        QCOMPARE(m_mark->toolTip(), QStringLiteral("Ispravno"));
        QCOMPARE(AccessibleName(), QStringLiteral("Račun primaoca: ispravno"));
        // Beside the edit, on its right.
        QCOMPARE(m_mark->geometry().left(), m_edit->geometry().right() + 1 + TCheckMark::Gap);
        QVERIFY(m_mark->geometry().top() >= m_edit->geometry().top());

        QTest::keyClick(m_edit, Qt::Key_Backspace);
        QTest::keyClicks(m_edit, QStringLiteral("8"));
        QCOMPARE(m_edit->text(), QStringLiteral("1990440001200278"));
        QCOMPARE(m_mark->Kind(), TMarkKind::Invalid);
        QCOMPARE(m_mark->toolTip(), QStringLiteral("Kontrolni broj računa nije ispravan"));
        QCOMPARE(AccessibleName(), QStringLiteral("Račun primaoca: neispravno"));
        QCOMPARE(AccessibleDescription(), QStringLiteral("Kontrolni broj računa nije ispravan"));
        // The symbols differ, so the marks are not told apart by colour alone.
        QVERIFY(CheckMarkImage(TMarkKind::Valid, 14) != CheckMarkImage(TMarkKind::Invalid, 14));
        QCOMPARE(CheckMarkImage(TMarkKind::None, 14).pixel(7, 7), qRgba(0, 0, 0, 0));

        // A letter is wrong at once, even while typing.
        m_edit->clear();
        QTest::keyClicks(m_edit, QStringLiteral("19a"));
        QCOMPARE(m_mark->Kind(), TMarkKind::Invalid);
    }

    void followsTheEditAndTheSwitch()
    {
        m_other->setFocus();
        m_edit->setText(QStringLiteral("1990440001200278"));
        QVERIFY(m_mark->isVisible());
        m_mark->SetActive(false);
        QVERIFY(m_mark->isHidden());
        QCOMPARE(AccessibleName(), QString());
        m_edit->setText(QStringLiteral("12"));
        QVERIFY(m_mark->isHidden());
        m_mark->SetActive(true);
        QVERIFY(m_mark->isVisible()); // too short and not being typed
        m_edit->hide();
        QVERIFY(m_mark->isHidden());
        m_edit->show();
        QVERIFY(m_mark->isVisible());
        m_edit->move(20, 40);
        QCOMPARE(m_mark->x(), m_edit->geometry().right() + 1 + TCheckMark::Gap);
        // Beside a "..." button while it is shown, else beside the edit.
        auto *button = new QPushButton(QStringLiteral("..."), m_window);
        button->setGeometry(m_edit->geometry().right() + 3, 40, 20, 20);
        button->show();
        m_mark->SetPlaceAfter(button);
        QCOMPARE(m_mark->x(), button->geometry().right() + 1 + TCheckMark::Gap);
        button->move(200, 40);
        QCOMPARE(m_mark->x(), 220 + TCheckMark::Gap);
        button->hide();
        QCOMPARE(m_mark->x(), m_edit->geometry().right() + 1 + TCheckMark::Gap);
        // Text set from outside (a catalogue pick) is checked too.
        m_edit->setText(QString());
        QVERIFY(m_mark->isHidden());
    }
};

QTEST_MAIN(TestCheckMark)
#include "tst_checkmark.moc"

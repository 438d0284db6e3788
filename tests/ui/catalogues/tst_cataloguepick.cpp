// Picking from a catalogue window by keyboard and by mouse: Enter and a
// double-click on a row pick it in pick mode; in edit mode they pick nothing.
#include "ui/common/DialogSeams.h"
#include "ui/catalogues/CatalogueFormU.h"
#include "ui/catalogues/OpstineFormU.h"
#include "core/Settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// Acts on the catalogue window once its modal loop shows it.
void WhenShown(std::function<void(TOpstineForm *)> act)
{
    auto *timer = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, started, act] {
        if (auto *f = qobject_cast<TOpstineForm *>(QApplication::activeModalWidget());
            f && f->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(f);
            // Not closed by what act did: the check after the pick fails.
            if (f->isVisible())
                f->reject();
        } else if (started->elapsed() > 5000) {
            timer->stop();
            timer->deleteLater();
            if (auto *w = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                w->reject();
            QFAIL("the window did not show");
        }
    });
    timer->start();
}

void DoubleClickRow(TCatalogueForm *f, int row)
{
    // A real double-click: a click, then the double-click event.
    const QPoint at = f->List->visualRect(f->Model()->index(row, 1)).center();
    QTest::mouseClick(f->List->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(f->List->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestCataloguePick : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("KORDAVINA_HOME", m_dir->path().toLocal8Bit());
        SetSettingsFile(m_dir->filePath("settings.ini"));
        MessageBoxSeam().AnswerAll(QMessageBox::Ok);
    }
    void cleanup()
    {
        ClearDialogSeams();
        SetSettingsFile(QString());
    }

    void enterAndDoubleClickPick()
    {
        TCatalogue c;
        c.Assign({{"1", "Zenica"}, {"2", "Cazin"}, {"3", "Bihać"}});
        TOpstineForm form(c);

        // Enter on the list, the row moved to with the arrow keys.
        QString moved;
        WhenShown([&moved](TOpstineForm *f) {
            f->List->setFocus();
            f->List->setCurrentIndex(f->Model()->index(0, 0));
            QTest::keyClick(f->List, Qt::Key_Down);
            moved = f->Model()->data(f->Model()->index(1, 0)).toString();
            QTest::keyClick(f->List, Qt::Key_Return);
        });
        std::optional<TCatalogueEntry> picked = form.Pick();
        QVERIFY(picked);
        QCOMPARE(picked->Sifra, moved);
        const TCatalogueEntry second = *picked;

        // A double-click on another row picks that row at once.
        QString clicked;
        WhenShown([&clicked](TOpstineForm *f) {
            clicked = f->Model()->data(f->Model()->index(2, 0)).toString();
            DoubleClickRow(f, 2);
        });
        picked = form.Pick();
        QVERIFY(picked);
        QCOMPARE(picked->Sifra, clicked);
        QVERIFY(picked->Sifra != second.Sifra);
        QVERIFY(!form.isVisible());

        // In edit mode neither picks: the window stays open.
        bool stayed = false;
        WhenShown([&stayed](TOpstineForm *f) {
            DoubleClickRow(f, 1);
            f->List->setFocus();
            QTest::keyClick(f->List, Qt::Key_Return);
            stayed = f->isVisible();
            f->reject();
        });
        form.Edit();
        QVERIFY(stayed);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestCataloguePick)
#include "tst_cataloguepick.moc"

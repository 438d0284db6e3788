#pragma once

// Acting on a modal dialog that the code under test shows with exec(): the
// test arms a helper, then runs the command; the helper acts once the dialog
// shows. A check that fails inside the action closes every modal dialog, so
// the test fails at once instead of hanging until CTest's time-out; a dialog
// that never shows fails the test too.

#include "ui/common/DialogSeams.h"

#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace DialogTest {

// How long a dialog may take to show before the test fails: generous, since
// only a fault ever reaches it.
inline constexpr int ShowLimitMs = 30000;

// Closes the modal dialogs (and message boxes) that are open, innermost first.
inline void CloseModalDialogs()
{
    for (int i = 0; i < 16; ++i) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
        // A dialog whose exec() was left still counts as modal until its
        // event loop runs again; hide it so that the next one is seen.
        if (QApplication::activeModalWidget() == modal)
            modal->hide();
    }
}

// Calls act(dialog) once found() gives a visible modal dialog; then, when a
// check failed, closes what is still open.
inline void WhenFound(std::function<QWidget *()> found, std::function<void(QWidget *)> act)
{
    auto *timer = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    timer->setInterval(5);
    // A test function that ended without the dialog has failed by itself; the
    // helper then stops instead of failing the next one.
    const QByteArray armedIn = QTest::currentTestFunction();
    QObject::connect(timer, &QTimer::timeout, [timer, started, found, act, armedIn] {
        if (armedIn != QTest::currentTestFunction()) {
            timer->stop();
            timer->deleteLater();
            return;
        }
        QWidget *w = found();
        if (w && w->isVisible() && QApplication::activeModalWidget() == w) {
            timer->stop();
            timer->deleteLater();
            act(w);
            if (QTest::currentTestFailed())
                CloseModalDialogs();
        } else if (started->elapsed() > ShowLimitMs) {
            timer->stop();
            timer->deleteLater();
            CloseModalDialogs();
            QTest::qFail("the dialog did not show", __FILE__, __LINE__);
        }
    });
    timer->start();
}

} // namespace DialogTest

// Acts on the next modal dialog of type T once it shows.
template <class T> void WhenShown(std::function<void(T *)> act)
{
    DialogTest::WhenFound([] { return qobject_cast<T *>(QApplication::activeModalWidget()); },
                          [act](QWidget *w) { act(static_cast<T *>(w)); });
}

// Acts on this dialog once it shows.
inline void WhenShown(QDialog *dialog, std::function<void()> act)
{
    QPointer<QDialog> guarded(dialog);
    DialogTest::WhenFound([guarded] { return static_cast<QWidget *>(guarded.data()); },
                          [act](QWidget *) { act(); });
}
inline void WhenShown(QDialog &dialog, std::function<void()> act)
{
    WhenShown(&dialog, std::move(act));
}

// Acts on whatever modal window shows next (a message box, an about window).
inline void WhenModalShown(std::function<void(QWidget *)> act)
{
    DialogTest::WhenFound([] { return QApplication::activeModalWidget(); }, std::move(act));
}

// Every standard dialog is answered from now on without showing: message
// boxes with OK, file, input and font dialogs with Cancel unless an answer is
// queued; what was asked before is forgotten, and the seams of the program's
// own dialogs (format, print) are emptied, so those show unless answered.
inline void ResetDialogSeams()
{
    ClearDialogSeams();
    MessageBoxSeam().AnswerAll(QMessageBox::Ok);
    FileDialogSeam().AnswerAll(std::nullopt);
    InputDialogSeam().AnswerAll(std::nullopt);
    FontDialogSeam().AnswerAll(std::nullopt);
}

// Message boxes are answered with OK from now on, without showing; the ones
// answered before are forgotten.
inline void AnswerMessageBoxes()
{
    MessageBoxSeam().Clear();
    MessageBoxSeam().AnswerAll(QMessageBox::Ok);
}

// The texts of the message boxes answered so far, of one kind ("critical",
// "warning", "information") or of all.
inline QStringList ShownMessages(const QString &kind = QString())
{
    QStringList texts;
    for (const QStringList &asked : MessageBoxSeam().Asked())
        if (kind.isEmpty() || asked.value(2) == kind)
            texts << asked.value(1);
    return texts;
}
inline QStringList ShownErrors()
{
    return ShownMessages(QStringLiteral("critical"));
}

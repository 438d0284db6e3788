#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

enum class TConfirmResult { Yes, No, Cancel };

// The program's one question box, "Potvrda", with the answers "&Da", "&Ne" and
// "&Odustani". Created once at start and kept for the whole run; it opens
// centred on the screen every time.
class TConfirmForm : public QDialog
{
    Q_OBJECT
public:
    explicit TConfirmForm(QWidget *parent = nullptr);
    ~TConfirmForm() override;

    // Shows the question modally with the focus on "&Da" and returns the
    // answer: Yes for "&Da" (also Enter), No for "&Ne", Cancel for
    // "&Odustani", Esc and the close box.
    TConfirmResult Ask(const QString &message);

    // Test seam: answers queued here are taken by the next calls of Ask, in
    // order, without showing the dialog (the question still lands in Poruka
    // and LastQuestion).
    static void QueueAnswer(TConfirmResult answer);
    static int QueuedAnswers();
    static void ClearQueuedAnswers();
    // The question of the latest Ask, shown or answered from the queue.
    static QString LastQuestion();

    QLabel *Poruka = nullptr;
    QPushButton *Button1 = nullptr; // "&Da", default
    QPushButton *Button2 = nullptr; // "&Ne"
    QPushButton *Button3 = nullptr; // "&Odustani", cancel

private:
    void Arrange();
    void CentreOnScreen();
};

// The dialog made at start; the windows ask their questions through it.
extern TConfirmForm *ConfirmForm;

// Asks through ConfirmForm. Queued answers are taken even when no dialog
// exists yet; without one a temporary dialog asks.
TConfirmResult ConfirmAsk(const QString &message);

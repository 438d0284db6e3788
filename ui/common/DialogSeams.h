#pragma once

#include <QFont>
#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>

class QWidget;

// The program's standard dialogs, each kind with the same test seam as the
// confirmation dialog: a test queues the answers the user would give; the
// next dialog of that kind takes the first of them instead of showing, and
// what it would have asked is kept for the test to read. With nothing queued
// the dialog shows as usual. Used from the GUI thread only.

// Every seam, listed while it exists, so that ClearDialogSeams() reaches the
// seams of the window families too, which this folder does not know.
class TDialogSeamBase
{
public:
    TDialogSeamBase(const TDialogSeamBase &) = delete;
    TDialogSeamBase &operator=(const TDialogSeamBase &) = delete;
    virtual void Clear() = 0;

protected:
    TDialogSeamBase();
    virtual ~TDialogSeamBase();
};

template <class TAnswer> class TDialogSeam : public TDialogSeamBase
{
public:
    TDialogSeam() = default;
    // The next dialog of this kind gives answer without showing.
    void QueueAnswer(TAnswer answer) { m_answers.push_back(std::move(answer)); }
    // Every dialog of this kind gives answer until Clear(): for message boxes,
    // whose number a test need not know.
    void AnswerAll(TAnswer answer) { m_standing = std::move(answer); }
    int QueuedAnswers() const { return int(m_answers.size()); }
    // What the dialogs answered here asked, in order (title first).
    const QList<QStringList> &Asked() const { return m_asked; }
    void Clear() override
    {
        m_answers.clear();
        m_standing.reset();
        m_asked.clear();
    }

    // For the dialog: the answer to give instead of showing, if any; then
    // asked is kept.
    std::optional<TAnswer> Take(const QStringList &asked)
    {
        std::optional<TAnswer> answer;
        if (!m_answers.empty()) {
            answer = std::move(m_answers.front());
            m_answers.pop_front();
        } else {
            answer = m_standing;
        }
        if (answer)
            m_asked.append(asked);
        return answer;
    }

private:
    std::deque<TAnswer> m_answers;
    std::optional<TAnswer> m_standing;
    QList<QStringList> m_asked;
};

// Message boxes with one button (errors, warnings, information); the answer
// is the button. Asked: {title, text, "critical" | "warning" | "information"}.
TDialogSeam<QMessageBox::StandardButton> &MessageBoxSeam();
// File dialogs (open, save, PDF, CSV); the answer is the path, nothing for
// Cancel. Asked: {caption, suggested name}.
TDialogSeam<std::optional<QString>> &FileDialogSeam();
// One-line input boxes; the answer is the text, nothing for Cancel.
// Asked: {caption, prompt, text offered}.
TDialogSeam<std::optional<QString>> &InputDialogSeam();
// Font dialogs; the answer is the font chosen, nothing for Cancel.
// Asked: {caption, family opened on, point size opened on}.
TDialogSeam<std::optional<QFont>> &FontDialogSeam();
// Every seam emptied, those of the window families included (a test's cleanup).
void ClearDialogSeams();

// A message box with OK, or the queued answer of MessageBoxSeam.
void ShowMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                    const QString &text);
// The font dialog (object name "FontDialog") opened on font, or the queued
// answer of FontDialogSeam: the font chosen, nothing for Cancel.
std::optional<QFont> ChooseFont(QWidget *parent, const QFont &font, const QString &title);

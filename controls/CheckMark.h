#pragma once

#include "controls/CheckMarkIcon.h"

#include <QLabel>

#include <functional>

class QLineEdit;

// The mark beside an edit that holds an account or an ID number. It follows
// the edit: checks its text on every change, shows nothing while the text is
// empty or still too short in the focused edit, keeps to the edit's right
// side and hides with it. Its tool tip gives the reason; its accessible name
// and description say the same for a screen reader. It never blocks typing.
class TCheckMark : public QLabel
{
    Q_OBJECT
public:
    using TCheck = std::function<TCheckResult(const QString &)>;

    // The mark becomes a sibling of edit. caption names the field ("Račun
    // primaoca") in what a screen reader says.
    TCheckMark(QLineEdit *edit, TCheck check, const QString &caption);

    // Places the mark right of after (a "..." button beside the edit) while
    // that is shown, instead of right of the edit.
    void SetPlaceAfter(QWidget *after);

    // Off: the mark stays hidden whatever the text (the settings switch).
    void SetActive(bool active);
    bool Active() const { return m_active; }

    // Checks the edit's text again and shows the result.
    void Refresh();

    TMarkKind Kind() const { return m_kind; }
    const TCheckResult &Result() const { return m_result; }

    static constexpr int Size = 14;
    static constexpr int Gap = 4;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Place();

    QLineEdit *m_edit = nullptr;
    QWidget *m_after = nullptr;
    TCheck m_check;
    QString m_caption;
    bool m_active = true;
    TMarkKind m_kind = TMarkKind::None;
    TCheckResult m_result;
};

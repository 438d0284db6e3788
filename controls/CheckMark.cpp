#include "controls/CheckMark.h"

#include <QEvent>
#include <QLineEdit>
#include <QPixmap>

TCheckMark::TCheckMark(QLineEdit *edit, TCheck check, const QString &caption)
    : QLabel(edit->parentWidget()), m_edit(edit), m_check(std::move(check)), m_caption(caption)
{
    setFixedSize(Size, Size);
    // Not a tab stop: the field itself keeps the keyboard; a screen reader
    // still finds the mark beside it.
    setFocusPolicy(Qt::NoFocus);
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textChanged, this, &TCheckMark::Refresh);
    hide();
    Refresh();
}

void TCheckMark::SetPlaceAfter(QWidget *after)
{
    if (m_after)
        m_after->removeEventFilter(this);
    m_after = after;
    if (m_after)
        m_after->installEventFilter(this);
    Place();
}

void TCheckMark::SetActive(bool active)
{
    m_active = active;
    Refresh();
}

void TCheckMark::Refresh()
{
    m_result = m_check(m_edit->text());
    const TMarkKind kind = m_active ? MarkKind(m_result, m_edit->hasFocus()) : TMarkKind::None;
    if (kind != m_kind || kind != TMarkKind::None) {
        m_kind = kind;
        const qreal dpr = devicePixelRatioF();
        QPixmap pixmap = QPixmap::fromImage(CheckMarkImage(kind, qRound(Size * dpr)));
        pixmap.setDevicePixelRatio(dpr);
        setPixmap(pixmap);
        setToolTip(kind == TMarkKind::None ? QString() : CheckMarkToolTip(m_result));
        setAccessibleName(CheckMarkAccessibleName(m_caption, kind));
        setAccessibleDescription(kind == TMarkKind::None ? QString() : CheckMarkToolTip(m_result));
    }
    Place();
}

void TCheckMark::Place()
{
    const bool afterShown = m_after && m_after->isVisibleTo(parentWidget());
    const QRect r = m_edit->geometry();
    const int left = afterShown ? m_after->geometry().right() + 1 : r.right() + 1;
    move(left + Gap, r.top() + (r.height() - Size) / 2);
    setVisible(m_kind != TMarkKind::None && m_edit->isVisibleTo(parentWidget()));
    raise();
}

bool TCheckMark::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_after && watched != m_edit) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
            Place();
            break;
        case QEvent::Destroy:
            m_after = nullptr;
            break;
        default:
            break;
        }
    } else if (watched == m_edit) {
        switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::EnabledChange:
            Refresh();
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
            Place();
            break;
        default:
            break;
        }
    }
    return QLabel::eventFilter(watched, event);
}

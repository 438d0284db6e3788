#include "controls/NumEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QTimer>

#include <cmath>

namespace {

// The edit that is taking the focus back after a refused leave. Another edit
// losing the focus to it must not pull the focus back in turn, or two edits
// with bad text would hand it to and fro for ever.
QPointer<TNumEdit> sReclaiming;

// A character the user types, as opposed to a shortcut such as Ctrl+V (AltGr,
// which arrives as Ctrl+Alt on Windows, still types).
bool IsTypedCharacter(const QKeyEvent *event)
{
    const QString text = event->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;
    const Qt::KeyboardModifiers mods = event->modifiers();
    if ((mods & (Qt::ControlModifier | Qt::MetaModifier)) && !(mods & Qt::AltModifier))
        return false;
    return true;
}

} // namespace

// --- TNumEditButton ---------------------------------------------------------

TNumEditButton::TNumEditButton(bool up, QWidget *parent) : QWidget(parent), FUp(up)
{
    setObjectName(up ? QStringLiteral("UpButton") : QStringLiteral("DownButton"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

TNumEditButton::TState TNumEditButton::State() const
{
    if (!isEnabled())
        return TState::Disabled;
    if (FPressedLook)
        return TState::Pressed;
    if (FHot && !Held())
        return TState::Hot;
    return TState::Normal;
}

void TNumEditButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const TState state = State();

    QStyleOptionButton face;
    face.initFrom(this);
    face.rect = rect();
    face.features = QStyleOptionButton::None;
    face.state &= ~(QStyle::State_MouseOver | QStyle::State_HasFocus);
    face.state |= state == TState::Pressed ? QStyle::State_Sunken : QStyle::State_Raised;
    if (state == TState::Hot)
        face.state |= QStyle::State_MouseOver;
    style()->drawControl(QStyle::CE_PushButtonBevel, &face, &painter, this);

    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.state = face.state;
    const int side = qMax(3, qMin(width() - 4, height() - 2));
    QRect r(0, 0, side, side);
    r.moveCenter(rect().center());
    if (state == TState::Pressed)
        r.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &face, this),
                    style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &face, this));
    arrow.rect = r;
    style()->drawPrimitive(FUp ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                           &arrow, &painter, this);
}

void TNumEditButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || Held()) {
        event->ignore();
        return;
    }
    FPressedLook = true;
    FRepeatCount = 0;
    FTimer = new QTimer(this);
    connect(FTimer, &QTimer::timeout, this, &TNumEditButton::Repeat);
    FTimer->start(RepeatDelay);
    update();
    Q_EMIT Step(FUp, 0);
}

void TNumEditButton::Repeat()
{
    if (!FTimer)
        return;
    if (FTimer->interval() != RepeatInterval)
        FTimer->setInterval(RepeatInterval);
    ++FRepeatCount;
    Q_EMIT Step(FUp, FRepeatCount);
}

void TNumEditButton::mouseMoveEvent(QMouseEvent *event)
{
    const bool inside = rect().contains(event->position().toPoint());
    FHot = inside;
    // Off the button it looks released, but the repetition goes on.
    if (Held() && inside != FPressedLook) {
        FPressedLook = inside;
        update();
    }
}

void TNumEditButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    FHot = rect().contains(event->position().toPoint());
    StopRepeat();
}

void TNumEditButton::StopRepeat()
{
    if (FTimer) {
        FTimer->stop();
        // Deleted later: this may run inside the timer's own timeout.
        FTimer->deleteLater();
        FTimer = nullptr;
    }
    FPressedLook = false;
    update();
}

void TNumEditButton::enterEvent(QEnterEvent *event)
{
    FHot = true;
    update();
    QWidget::enterEvent(event);
}

void TNumEditButton::leaveEvent(QEvent *event)
{
    FHot = false;
    update();
    QWidget::leaveEvent(event);
}

void TNumEditButton::changeEvent(QEvent *event)
{
    // A disabled button receives no release: stop repeating now.
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        StopRepeat();
    QWidget::changeEvent(event);
}

void TNumEditButton::hideEvent(QHideEvent *event)
{
    StopRepeat();
    FHot = false;
    QWidget::hideEvent(event);
}

// --- TNumEditButtons --------------------------------------------------------

TNumEditButtons::TNumEditButtons(TNumEdit *edit) : QWidget(edit)
{
    setObjectName(QStringLiteral("Buttons"));
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    FUp = new TNumEditButton(true, this);
    FDown = new TNumEditButton(false, this);
}

void TNumEditButtons::resizeEvent(QResizeEvent *)
{
    const int upHeight = height() / 2;
    FUp->setGeometry(0, 0, width(), upHeight);
    FDown->setGeometry(0, upHeight, width(), height() - upHeight);
}

// --- TNumEdit ---------------------------------------------------------------

TNumEdit::TNumEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, &TNumEdit::TextChanged);
    BeginLoad();
    ShowValue();
    RebuildButtons();
    EndLoad();
}

void TNumEdit::EndLoad()
{
    if (FLoading > 0 && --FLoading == 0)
        FLastValue = FValue;
}

void TNumEdit::SetDecimals(int decimals)
{
    if (decimals == FDecimals)
        return;
    FDecimals = decimals;
    ShowValue();
}

void TNumEdit::SetValue(double value)
{
    // A blank edit shows the value even when it is the one it holds.
    if (!std::isfinite(value) || (value == FValue && !FBlank))
        return;
    FValue = value;
    CheckRange(FValue, FCheckType, FMinValue, FMaxValue);
    ShowValue();
    Notify(true, false);
}

void TNumEdit::SetMinValue(double value)
{
    if (!std::isfinite(value) || value == FMinValue)
        return;
    FMinValue = value;
    if (FMinValue > FMaxValue)
        FMaxValue = FMinValue;
    CorrectAndShow();
}

void TNumEdit::SetMaxValue(double value)
{
    if (!std::isfinite(value) || value == FMaxValue)
        return;
    FMaxValue = value;
    if (FMaxValue < FMinValue)
        FMinValue = FMaxValue;
    CorrectAndShow();
}

void TNumEdit::SetCheckType(TCheckType checkType)
{
    if (checkType == FCheckType)
        return;
    FCheckType = checkType;
    double value = FValue;
    if (!CheckRange(value, FCheckType, FMinValue, FMaxValue)) {
        FValue = value;
        ShowValue();
    }
}

void TNumEdit::SetAlignment(Qt::Alignment alignment)
{
    setAlignment((alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
}

void TNumEdit::SetButtonVisible(bool visible)
{
    if (visible == FButtonVisible)
        return;
    FButtonVisible = visible;
    RebuildButtons();
}

void TNumEdit::CorrectAndShow()
{
    CheckRange(FValue, FCheckType, FMinValue, FMaxValue);
    ShowValue();
}

void TNumEdit::ShowBlank()
{
    BeginLoad();
    FBlank = true;
    FBlankValue = FValue;
    clear();
    EndLoad();
}

void TNumEdit::ShowValue()
{
    FBlank = false;
    const QString shown = FormatNumber(FValue, FDecimals);
    if (shown != text())
        setText(shown); // runs the typing rule through textChanged
    else
        TextChanged(); // same text: still make Value the number it shows
}

void TNumEdit::TextChanged()
{
    if (const std::optional<double> parsed = ParseNumber(text());
        parsed && FitsShownDigits(*parsed, FDecimals)) {
        double value = *parsed;
        if (CheckRange(value, FCheckType, FMinValue, FMaxValue))
            FValue = *parsed;
    }
    Notify(false, true);
}

void TNumEdit::Notify(bool force, bool typing)
{
    if (FLoading > 0)
        return;
    if (!force && FValue == FLastValue)
        return;
    if (typing && !FChangeOnType)
        return;
    FLastValue = FValue;
    Q_EMIT OnChange();
}

void TNumEdit::StepValue(bool up, int repeatCount)
{
    if (isReadOnly())
        return;
    const double base = ParseNumber(text()).value_or(FValue);
    const double stepped = SteppedValue(base, up, FStep, repeatCount);
    // Stepping past what can be shown and printed stops at the last value.
    if (FitsShownDigits(stepped, FDecimals))
        SetValue(stepped);
}

void TNumEdit::Beep()
{
    QApplication::beep();
}

void TNumEdit::keyPressEvent(QKeyEvent *event)
{
    if (FKeysEnabled) {
        if (event->key() == Qt::Key_Up)
            StepValue(true, FKeyCount);
        else if (event->key() == Qt::Key_Down)
            StepValue(false, FKeyCount);
        ++FKeyCount;
    }

    if (!isReadOnly() && IsTypedCharacter(event)) {
        const QString typed = event->text();
        TKeyDecision decision{TKeyAction::Refuse};
        if (typed.size() == 1)
            decision = FilterKeystroke(typed.at(0), text(), cursorPosition(),
                                       hasSelectedText() ? selectionStart() : -1, FDecimals,
                                       LocaleDecimalSeparator(), int(selectedText().size()));
        switch (decision.Action) {
        case TKeyAction::Accept:
            break;
        case TKeyAction::Refuse:
            event->accept();
            return;
        case TKeyAction::SelectToEnd:
            setSelection(decision.SelectFrom, int(text().size()) - decision.SelectFrom);
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TNumEdit::keyReleaseEvent(QKeyEvent *event)
{
    // X11 reports auto-repeat as release/press pairs; only a real release
    // ends the run of key-downs.
    if (!event->isAutoRepeat())
        FKeyCount = 0;
    QLineEdit::keyReleaseEvent(event);
}

void TNumEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Another window becoming active, a popup or the menu bar do not take
    // the focus away from the field for good.
    switch (event->reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
        return;
    default:
        LeaveField();
    }
}

bool TNumEdit::KeepFocus()
{
    // A hidden or disabled edit cannot hold the focus.
    if (!isVisible() || !isEnabled())
        return false;
    if (sReclaiming && sReclaiming != this)
        return false;
    sReclaiming = this;
    // Qt is in the middle of moving the focus: take it back once that is done.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isVisible() && isEnabled()) {
                setFocus(Qt::OtherFocusReason);
                selectAll();
            }
            if (sReclaiming == this)
                sReclaiming = nullptr;
        },
        Qt::QueuedConnection);
    return true;
}

void TNumEdit::LeaveField()
{
    const QString typed = text();
    if (typed.isEmpty() && FBlank) {
        // Still (or again) standing for values that differ: what was typed
        // and erased is taken back without a word.
        FValue = FLastValue = FBlankValue;
        Q_EMIT OnExit();
        return;
    }
    if (typed.isEmpty()) {
        ShowValue();
        selectAll();
        if (KeepFocus())
            Beep();
        return;
    }

    const std::optional<double> parsed = ParseNumber(typed);
    // A pasted number with more digits than can be shown and printed is
    // refused like one that does not parse.
    if (!parsed || !FitsShownDigits(*parsed, FDecimals)) {
        selectAll();
        if (KeepFocus())
            Beep();
        Q_EMIT OnExit();
        return;
    }

    double value = *parsed;
    if (CheckRange(value, FCheckType, FMinValue, FMaxValue)) {
        FValue = value;
        ShowValue();
        Notify(false, false);
        Q_EMIT OnExit();
        return;
    }

    // Out of range: corrected; no forced notification, the typing rule run
    // by showing the value reports it when ChangeOnType allows.
    FValue = value;
    ShowValue();
    if (!FExitOnCorrect) {
        selectAll();
        if (KeepFocus())
            Beep();
    }
    Q_EMIT OnCorrect();
    Q_EMIT OnExit();
}

void TNumEdit::RebuildButtons()
{
    if (FButtonVisible && !FButtons) {
        FButtons = new TNumEditButtons(this);
        connect(FButtons->UpButton(), &TNumEditButton::Step, this, &TNumEdit::StepValue);
        connect(FButtons->DownButton(), &TNumEditButton::Step, this, &TNumEdit::StepValue);
        FButtons->show();
    } else if (!FButtonVisible && FButtons) {
        // Later: this may be reached from a handler of the buttons' own step.
        FButtons->hide();
        FButtons->deleteLater();
        FButtons = nullptr;
    }
    LayoutButtons();
}

void TNumEdit::LayoutButtons()
{
    if (!FButtons) {
        setTextMargins(0, 0, 0, 0);
        return;
    }
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect client = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    const int width = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    const int left = rightToLeft ? client.left() : client.right() + 1 - width;
    FButtons->setGeometry(left, client.top(), width, client.height());
    if (rightToLeft)
        setTextMargins(width, 0, 0, 0);
    else
        setTextMargins(0, 0, width, 0);
}

void TNumEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    LayoutButtons();
}

void TNumEdit::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    switch (event->type()) {
    case QEvent::StyleChange:
    case QEvent::LayoutDirectionChange:
    case QEvent::FontChange:
        LayoutButtons();
        break;
    default:
        break;
    }
}

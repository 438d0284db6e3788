#pragma once

// TNumEdit: one-line edit for a real number with a keystroke filter, a fixed
// number of decimals, an optional range check and a pair of small up/down
// buttons at its right edge that step the value and repeat while held.

#include "controls/NumberRules.h"

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

class QTimer;
class TNumEdit;

// One half of the button pair. Steps its edit once when pressed, then after
// RepeatDelay and every RepeatInterval until released.
class TNumEditButton : public QWidget
{
    Q_OBJECT
public:
    enum class TState { Normal, Pressed, Disabled, Hot };

    TNumEditButton(bool up, QWidget *parent);

    bool Up() const { return FUp; }
    TState State() const;
    int RepeatCount() const { return FRepeatCount; }
    bool Held() const { return FTimer != nullptr; }

    static constexpr int RepeatDelay = 400;
    static constexpr int RepeatInterval = 100;

Q_SIGNALS:
    // Asks the edit to step; repeatCount is 0 for the press itself.
    void Step(bool up, int repeatCount);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void Repeat();
    void StopRepeat();

    bool FUp = true;
    bool FHot = false;         // pointer over the button
    bool FPressedLook = false; // held with the pointer over it
    int FRepeatCount = 0;
    QTimer *FTimer = nullptr; // exists only while the button is held
};

// The up button over the down button, as wide as the pair.
class TNumEditButtons : public QWidget
{
    Q_OBJECT
public:
    explicit TNumEditButtons(TNumEdit *edit);

    TNumEditButton *UpButton() const { return FUp; }
    TNumEditButton *DownButton() const { return FDown; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    TNumEditButton *FUp = nullptr;
    TNumEditButton *FDown = nullptr;
};

class TNumEdit : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(int Decimals READ Decimals WRITE SetDecimals)
    Q_PROPERTY(double Value READ Value WRITE SetValue NOTIFY OnChange)
    Q_PROPERTY(double MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(double MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(bool ExitOnCorrect READ ExitOnCorrect WRITE SetExitOnCorrect)
    Q_PROPERTY(TCheckType CheckType READ CheckType WRITE SetCheckType)
    Q_PROPERTY(Qt::Alignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(int Increment READ Increment WRITE SetIncrement)
    Q_PROPERTY(int IncrementDivider READ IncrementDivider WRITE SetIncrementDivider)
    Q_PROPERTY(int IncrementMultiplier READ IncrementMultiplier WRITE SetIncrementMultiplier)
    Q_PROPERTY(int IncrementTreshold READ IncrementTreshold WRITE SetIncrementTreshold)
    Q_PROPERTY(bool ButtonVisible READ ButtonVisible WRITE SetButtonVisible)
    Q_PROPERTY(bool KeysEnabled READ KeysEnabled WRITE SetKeysEnabled)
    Q_PROPERTY(bool ChangeOnType READ ChangeOnType WRITE SetChangeOnType)

public:
    explicit TNumEdit(QWidget *parent = nullptr);

    int Decimals() const { return FDecimals; }
    void SetDecimals(int decimals);
    double Value() const { return FValue; }
    // Stores, corrects into range and shows the value, then notifies
    // (forced). Equal and non-finite values are ignored.
    void SetValue(double value);
    double MinValue() const { return FMinValue; }
    void SetMinValue(double value);
    double MaxValue() const { return FMaxValue; }
    void SetMaxValue(double value);
    bool ExitOnCorrect() const { return FExitOnCorrect; }
    void SetExitOnCorrect(bool exitOnCorrect) { FExitOnCorrect = exitOnCorrect; }
    TCheckType CheckType() const { return FCheckType; }
    void SetCheckType(TCheckType checkType);
    // Horizontal alignment of the text: Qt::AlignLeft (default), AlignRight
    // or AlignHCenter.
    Qt::Alignment Alignment() const { return alignment() & Qt::AlignHorizontal_Mask; }
    void SetAlignment(Qt::Alignment alignment);
    int Increment() const { return FStep.Increment; }
    void SetIncrement(int increment) { FStep.Increment = increment; }
    int IncrementDivider() const { return FStep.IncrementDivider; }
    void SetIncrementDivider(int divider) { FStep.IncrementDivider = divider; }
    int IncrementMultiplier() const { return FStep.IncrementMultiplier; }
    void SetIncrementMultiplier(int multiplier) { FStep.IncrementMultiplier = multiplier; }
    int IncrementTreshold() const { return FStep.IncrementTreshold; }
    void SetIncrementTreshold(int treshold) { FStep.IncrementTreshold = treshold; }
    bool ButtonVisible() const { return FButtonVisible; }
    void SetButtonVisible(bool visible);
    bool KeysEnabled() const { return FKeysEnabled; }
    void SetKeysEnabled(bool enabled) { FKeysEnabled = enabled; }
    bool ChangeOnType() const { return FChangeOnType; }
    void SetChangeOnType(bool changeOnType) { FChangeOnType = changeOnType; }

    // While the owner sets up its controls, OnChange is held back; the value
    // set by then is the one later changes are measured against. Nests.
    void BeginLoad() { ++FLoading; }
    void EndLoad();
    bool Loading() const { return FLoading > 0; }

    // Shows an empty text (the owner's placeholder then says why, e.g. that
    // the values it stands for differ) with Value unchanged. Until a value is
    // shown, leaving the field empty is no error: Value returns to what it
    // was when blanked, without a notification.
    void ShowBlank();
    bool Blank() const { return FBlank; }

    // Steps the value as the buttons and arrow keys do (nothing when
    // read-only); repeatCount decides whether the multiplier applies.
    void StepValue(bool up, int repeatCount);

    // The button pair, absent while ButtonVisible is false.
    TNumEditButtons *Buttons() const { return FButtons; }

Q_SIGNALS:
    // The value changed (not merely the text). Typing reports while
    // ChangeOnType is on; leaving reports a changed value; setting and
    // stepping always report, and may report twice (once from showing the
    // new text, once forced).
    void OnChange();
    // An out-of-range value was corrected when the focus left.
    void OnCorrect();
    // The focus left (not when it was taken back from an empty text).
    void OnExit();

protected:
    // The system beep of the leave rules; a seam for tests.
    virtual void Beep();

    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void ShowValue();
    void TextChanged();
    void Notify(bool force, bool typing);
    void CorrectAndShow();
    void LeaveField();
    bool KeepFocus();
    void RebuildButtons();
    void LayoutButtons();

    int FDecimals = 0;
    double FValue = 0;
    double FMinValue = 0;
    double FMaxValue = 0;
    bool FExitOnCorrect = false;
    TCheckType FCheckType = ctNone;
    TStepRule FStep;
    bool FButtonVisible = true;
    bool FKeysEnabled = false;
    bool FChangeOnType = true;

    double FLastValue = 0; // the value last reported through OnChange
    int FKeyCount = 0;     // key-downs since the last key release
    int FLoading = 0;
    bool FBlank = false;    // ShowBlank's empty text is allowed
    double FBlankValue = 0; // Value when it was blanked
    TNumEditButtons *FButtons = nullptr;
};

#pragma once

#include "core/SlipCommands.h"
#include "core/Upl.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class TNumEdit;

// "Podešavanje uplatnice": the state of each editor field and the share of
// the marked slips. Where they differ the dialog holds -1, which keeps each
// slip's own value unless the user picks one. The caller applies Answer().
class TUplSetupForm : public QDialog
{
    Q_OBJECT
public:
    explicit TUplSetupForm(QWidget *parent = nullptr);
    ~TUplSetupForm() override;

    // Shows the merged properties of the marked slips (with none, those of
    // the last use) and returns true on "Potvrdi".
    bool Execute(const QList<TUpl> &marked);
    // The dialog's states and share: after Execute, what is to be applied.
    const TSlipProperties &Answer() const { return FProperties; }

    // Another field chosen in mPolja: mState shows its state (none for -1).
    void mPoljaClick();
    // Another state chosen in mState: stored for the field chosen in mPolja.
    void mFontChange();

    QLabel *Label7 = nullptr;
    QListWidget *mPolja = nullptr;
    QLabel *Label5 = nullptr;
    QComboBox *mState = nullptr;
    QLabel *Label6 = nullptr;
    TNumEdit *mProcenat = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    TSlipProperties FProperties; // kept between uses; all 0 at first
    double FShownProcenat = 0;   // the edit's value right after filling
};

#pragma once

#include "core/SlipCommands.h"
#include "core/Upl.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TNumEdit;

// "Višestruki unos": one base amount split over the slips of a file by their
// shares. The dialog only asks; the caller writes the amounts (Changes) into
// the slips, so that the change can be undone.
class TUplProcForm : public QDialog
{
    Q_OBJECT
public:
    explicit TUplProcForm(QWidget *parent = nullptr);
    ~TUplProcForm() override;

    // Shows the file's slips with the base set to 0 and returns true on
    // "Potvrdi"; Changes() then holds the new amounts.
    bool Execute(const TUplFile &file);
    // The amounts of the last confirmed Execute, for the ticked slips with a
    // share above 0.
    const QList<TAmountChange> &Changes() const { return FChanges; }

    // The amounts the rows show for the base now typed.
    void mIznosChange();

    QLabel *Label1 = nullptr;
    TNumEdit *mIznos = nullptr;
    QLabel *Label2 = nullptr;
    QTreeWidget *Uplatnice = nullptr;
    QLabel *stZbir = nullptr; // sum of the new amounts and its difference from the base
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QList<bool> Ticked() const;
    void ShowSummary();

    const TUplFile *FFile = nullptr; // only while Execute runs
    QList<TAmountChange> FChanges;
};

#pragma once

#include "catalogues/Catalogue.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

// The dialog of one sender: account, name, taxpayer number, reference number.
// No field is required; a text the file cannot hold is refused with a
// message and the dialog stays open.
class TRacunKAddEditForm : public QDialog
{
    Q_OBJECT
public:
    explicit TRacunKAddEditForm(QWidget *parent = nullptr);
    ~TRacunKAddEditForm() override;

    // Shows the dialog with this caption and sender; true when confirmed, the
    // sender then as it will be stored (blanks around the texts dropped).
    bool Run(const QString &caption, TSenderEntry &sender);

    QLineEdit *mSifra = nullptr;
    QLineEdit *mNaziv = nullptr;
    QLineEdit *mBroj = nullptr;
    QLineEdit *mPoziv = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    void Confirm();
};

#pragma once

#include <QDialog>
#include <QSize>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

// What tells the add/change dialogs of the municipalities, accounts and
// revenue types apart.
struct TCodeAddEditLayout
{
    QString FormName; // placement key and objectName, e.g. "OpstineAddEditForm"
    QString CodeLabel;
    int CodeLength = 3;
    int NameLength = 30;
    QSize Client{249, 113};
    // "Potvrdi" needs both texts, applied on every change (municipalities);
    // otherwise it needs either, applied when the code changes.
    bool BothRequired = true;
    bool CentredFirst = true; // else shown at its saved position
    bool ButtonsFirstInTabOrder = false;
};

// The dialog of a code and a name. "Potvrdi" refuses what the catalogue file
// cannot hold (see CodeProblem, TextProblem) with a message and keeps the
// dialog open, so that nothing typed is lost.
class TCodeAddEditForm : public QDialog
{
    Q_OBJECT
public:
    ~TCodeAddEditForm() override;

    // Shows the dialog with this caption and texts; true when confirmed, the
    // texts then as they will be stored (blanks around them dropped).
    bool Run(const QString &caption, QString &sifra, QString &naziv);

    QLineEdit *mSifra = nullptr;
    QLineEdit *mNaziv = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

protected:
    TCodeAddEditForm(const TCodeAddEditLayout &layout, QWidget *parent);

private:
    void UpdateOk();
    void Confirm();

    TCodeAddEditLayout m_layout;
    bool m_shownBefore = false;
};

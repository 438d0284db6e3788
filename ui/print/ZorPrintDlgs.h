#pragma once

#include "print/engine/ZorJob.h"
#include "ui/common/DialogSeams.h"

#include <QDialog>
#include <QImage>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

// The print options dialog: which pages, how many copies, collated or not,
// reversed or not. It always opens with its own defaults (all pages, one
// copy, collated, not reversed), whatever the job's options are.
class TZorPrintDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TZorPrintDlg(QWidget *parent = nullptr);

    QGroupBox *GroupBox1 = nullptr;
    QRadioButton *btnAll = nullptr;
    QRadioButton *btnPage = nullptr;
    QRadioButton *btnPages = nullptr;
    QLineEdit *Pages = nullptr;
    QGroupBox *GroupBox2 = nullptr;
    QLabel *lblCopies = nullptr;
    QSpinBox *Copies = nullptr; // the number edit and its up-down in one
    QCheckBox *chkColate = nullptr;
    QCheckBox *chkReverse = nullptr;
    QLabel *Image1 = nullptr; // collated
    QLabel *Image2 = nullptr; // not collated
    QLabel *Image3 = nullptr; // collated, reversed
    QLabel *Image4 = nullptr; // reversed, not collated
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

    void btnAllClick();
    void chkColateClick() { UpdateImage(); }
    void chkReverseClick() { UpdateImage(); }
    // Shows the one picture that matches the two check boxes.
    void UpdateImage();

    // The options the controls stand for.
    TZorPrintOptions Options() const;
    // Shows the dialog modally (or takes PrintDialogSeam's answer); on OK
    // fills options and returns true, on Cancel (or closing) leaves them and
    // returns false.
    bool Execute(TZorPrintOptions &options);
};

// The print dialog's test seam, in the style of the standard dialogs: the
// answer acts as the user would, setting the dialog's controls, and returns
// QDialog::Accepted or QDialog::Rejected (an empty one: Rejected). Asked:
// {caption}.
using TPrintDialogAnswer = std::function<int(TZorPrintDlg &)>;
TDialogSeam<TPrintDialogAnswer> &PrintDialogSeam();

// Three stacks of three numbered sheets in the order they come out of the
// printer for three pages in three copies, front sheet first, 143 x 48 pixels.
QImage SheetOrderImage(bool collate, bool reverse);

#pragma once

#include "ui/common/DialogSeams.h"

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class TNumEdit;

// "Format": the name and sheet size of a new format (or the new size of the
// one shown, with the name fixed). "Potvrdi" is enabled only while the name is
// not empty and both sizes lie within 10 to 1000 mm.
class TAddEditPositionsForm : public QDialog
{
    Q_OBJECT
public:
    explicit TAddEditPositionsForm(QWidget *parent = nullptr);

    QString Name() const;
    double FormatWidth() const;
    double FormatHeight() const;
    // Fills the fields; with nameFixed the name is shown but cannot be changed.
    void SetValues(const QString &name, double width, double height, bool nameFixed = false);

    // Whether "Potvrdi" may be pressed for these values.
    static bool CanConfirm(const QString &name, double width, double height);

    QLineEdit *mName = nullptr;
    TNumEdit *mWidth = nullptr;
    TNumEdit *mHeight = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void UpdateEnabling();

    QLabel *FHint = nullptr;
};

// A format's name and sheet size (mm), as the dialog above asks them.
struct TFormatSize
{
    QString Name;
    double Width = 0;
    double Height = 0;
};

// The format dialog's test seam, in the style of the standard dialogs: the
// answer is what the user confirms, nothing for Cancel. Asked: {caption,
// name the dialog opened with}.
TDialogSeam<std::optional<TFormatSize>> &FormatDialogSeam();

// The format dialog filled with offered (the name fixed with nameFixed), or
// the queued answer of FormatDialogSeam: the values confirmed, nothing for
// Cancel.
std::optional<TFormatSize> AskFormatSize(QWidget *parent, const TFormatSize &offered,
                                         bool nameFixed);

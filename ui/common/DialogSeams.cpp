#include "ui/common/DialogSeams.h"

TDialogSeam<QMessageBox::StandardButton> &MessageBoxSeam()
{
    static TDialogSeam<QMessageBox::StandardButton> seam;
    return seam;
}

TDialogSeam<std::optional<QString>> &FileDialogSeam()
{
    static TDialogSeam<std::optional<QString>> seam;
    return seam;
}

TDialogSeam<std::optional<QString>> &InputDialogSeam()
{
    static TDialogSeam<std::optional<QString>> seam;
    return seam;
}

void ClearDialogSeams()
{
    MessageBoxSeam().Clear();
    FileDialogSeam().Clear();
    InputDialogSeam().Clear();
}

void ShowMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                    const QString &text)
{
    const QString kind = icon == QMessageBox::Critical  ? QStringLiteral("critical")
                         : icon == QMessageBox::Warning ? QStringLiteral("warning")
                                                        : QStringLiteral("information");
    if (MessageBoxSeam().Take({title, text, kind}))
        return;
    switch (icon) {
    case QMessageBox::Critical:
        QMessageBox::critical(parent, title, text);
        break;
    case QMessageBox::Warning:
        QMessageBox::warning(parent, title, text);
        break;
    default:
        QMessageBox::information(parent, title, text);
        break;
    }
}

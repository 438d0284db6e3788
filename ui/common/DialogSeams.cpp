#include "ui/common/DialogSeams.h"

#include <QFontDialog>

#include <vector>

namespace {

std::vector<TDialogSeamBase *> &AllSeams()
{
    static std::vector<TDialogSeamBase *> seams;
    return seams;
}

} // namespace

TDialogSeamBase::TDialogSeamBase()
{
    AllSeams().push_back(this);
}

TDialogSeamBase::~TDialogSeamBase()
{
    std::erase(AllSeams(), this);
}

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

TDialogSeam<std::optional<QFont>> &FontDialogSeam()
{
    static TDialogSeam<std::optional<QFont>> seam;
    return seam;
}

void ClearDialogSeams()
{
    for (TDialogSeamBase *seam : AllSeams())
        seam->Clear();
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

std::optional<QFont> ChooseFont(QWidget *parent, const QFont &font, const QString &title)
{
    if (auto answer =
            FontDialogSeam().Take({title, font.family(), QString::number(font.pointSize())}))
        return *answer;
    QFontDialog dialog(font, parent);
    dialog.setObjectName(QStringLiteral("FontDialog"));
    dialog.setWindowTitle(title);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFont();
}

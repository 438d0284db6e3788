// The format editor: a placeholder until that window lands.
#include "ui/main/MainFormU.h"

#include <QMessageBox>

void TMainForm::InitFormatEditor() {}

void TMainForm::SetFormatsAExecute()
{
    QMessageBox::information(this, QStringLiteral("Kordavina"),
                             QStringLiteral("Ova komanda još nije dostupna."));
}

// The catalogue windows and the options dialog: placeholders until those
// windows land. InitCatalogueWindows is where they install CataloguePicker
// and SenderPicker.
#include "ui/main/MainFormU.h"

#include <QMessageBox>

namespace {

void NotYet(QWidget *parent)
{
    QMessageBox::information(parent, QStringLiteral("Kordavina"),
                             QStringLiteral("Ova komanda još nije dostupna."));
}

} // namespace

void TMainForm::InitCatalogueWindows() {}

void TMainForm::SetOpstineAExecute()
{
    NotYet(this);
}

void TMainForm::SetRacuniAExecute()
{
    NotYet(this);
}

void TMainForm::SetVrstePrihodaAExecute()
{
    NotYet(this);
}

void TMainForm::SetSvrheExecute()
{
    NotYet(this);
}

void TMainForm::SetUsersAExecute()
{
    NotYet(this);
}

void TMainForm::SetSetupAExecute()
{
    NotYet(this);
}

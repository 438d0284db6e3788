// The commands on the slips of a file: placeholders until those commands land.
#include "ui/main/MainFormU.h"

#include <QMessageBox>

namespace {

void NotYet(QWidget *parent)
{
    QMessageBox::information(parent, QStringLiteral("Kordavina"),
                             QStringLiteral("Ova komanda još nije dostupna."));
}

} // namespace

void TMainForm::InitSlipCommands() {}

void TMainForm::UplAddAExecute()
{
    NotYet(this);
}

void TMainForm::UplDelAExecute()
{
    NotYet(this);
}

void TMainForm::UplRenameAExecute()
{
    NotYet(this);
}

void TMainForm::UplCopyAExecute()
{
    NotYet(this);
}

void TMainForm::UplPropertiesAExecute()
{
    NotYet(this);
}

void TMainForm::UplDefaultAExecute()
{
    NotYet(this);
}

void TMainForm::UplDefaultDelAExecute()
{
    NotYet(this);
}

void TMainForm::FileProcenatAExecute()
{
    NotYet(this);
}

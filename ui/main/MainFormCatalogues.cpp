// The catalogue windows and the options dialog: made once with the main
// window; their pick mode serves the editor's "..." buttons.
#include "ui/main/MainFormU.h"

#include "ui/catalogues/OpstineFormU.h"
#include "ui/catalogues/PrihodiFormU.h"
#include "ui/catalogues/RacuniFormU.h"
#include "ui/catalogues/RacuniKFormU.h"
#include "ui/options/SetupFormU.h"
#include "ui/catalogues/SvrheFormU.h"
#include "ui/common/ProgramData.h"

void TMainForm::InitCatalogueWindows()
{
    OpstineForm = new TOpstineForm(FData.Opstine, this);
    RacuniForm = new TRacuniForm(FData.Racuni, this);
    PrihodiForm = new TPrihodiForm(FData.Prihodi, this);
    SvrheForm = new TSvrheForm(FData.Svrhe, this);
    RacuniKForm = new TRacuniKForm(FData.Posiljaoci, this);
    SetupForm = new TSetupForm(FData, this);

    CataloguePicker = [this](TCatalogueKind kind, const QString &current) {
        return CatalogueForm(kind)->Pick(current);
    };
    SenderPicker = [this](const QString &current) { return RacuniKForm->Pick(current); };
}

TCodeCatalogueForm *TMainForm::CatalogueForm(TCatalogueKind kind) const
{
    switch (kind) {
    case TCatalogueKind::Opstine:
        return OpstineForm;
    case TCatalogueKind::Racuni:
        return RacuniForm;
    case TCatalogueKind::Prihodi:
        return PrihodiForm;
    case TCatalogueKind::Svrhe:
        break;
    }
    return SvrheForm;
}

void TMainForm::SetOpstineAExecute()
{
    OpstineForm->Edit();
}

void TMainForm::SetRacuniAExecute()
{
    RacuniForm->Edit();
}

void TMainForm::SetVrstePrihodaAExecute()
{
    PrihodiForm->Edit();
}

void TMainForm::SetSvrheExecute()
{
    SvrheForm->Edit();
}

void TMainForm::SetUsersAExecute()
{
    RacuniKForm->Edit();
}

void TMainForm::SetSetupAExecute()
{
    if (!SetupForm->Execute())
        return;
    // AlignFields and the field switches take effect on the slip shown.
    ShowCurrentSlip();
    Q_EMIT SettingsChanged();
}

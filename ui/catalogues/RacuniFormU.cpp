#include "ui/catalogues/RacuniFormU.h"

TRacunAddEditForm::TRacunAddEditForm(QWidget *parent)
    : TCodeAddEditForm({.FormName = QStringLiteral("RacunAddEditForm"),
                        .CodeLabel = QStringLiteral("Račun"),
                        .CodeLength = 16,
                        .NameLength = 150,
                        .Client = {369, 113},
                        .BothRequired = false,
                        .CentredFirst = false,
                        .ButtonsFirstInTabOrder = false},
                       parent)
{}

TRacuniForm::TRacuniForm(TCatalogue &catalogue, QWidget *parent)
    : TCodeCatalogueForm(
          {.FormName = QStringLiteral("RacuniForm"),
           .Caption = QStringLiteral("Računi primaoca"),
           .ListName = QStringLiteral("RacuniV"),
           .Columns = {{QStringLiteral("Šifra"), 120, 16}, {QStringLiteral("Naziv"), 250}},
           .Designed = {420, 322}},
          catalogue, TCatalogueKind::Racuni, parent)
{
    SetAddEditForm(new TRacunAddEditForm(this));
}

QString TRacuniForm::AddCaption() const
{
    return QStringLiteral("Novi račun");
}

#include "ui/catalogues/OpstineFormU.h"

TOpstineAddEditForm::TOpstineAddEditForm(QWidget *parent)
    : TCodeAddEditForm({.FormName = QStringLiteral("OpstineAddEditForm"),
                        .CodeLabel = QStringLiteral("Šifra:"),
                        .CodeLength = 3,
                        .NameLength = 30,
                        .Client = {249, 113},
                        .BothRequired = true,
                        .CentredFirst = true,
                        .ButtonsFirstInTabOrder = true},
                       parent)
{}

TOpstineForm::TOpstineForm(TCatalogue &catalogue, QWidget *parent)
    : TCodeCatalogueForm(
          {.FormName = QStringLiteral("OpstineForm"),
           .Caption = QStringLiteral("Opštine"),
           .ListName = QStringLiteral("OpstineV"),
           .Columns = {{QStringLiteral("Šifra"), 49, 3}, {QStringLiteral("Naziv"), 235}},
           .Designed = {337, 322}},
          catalogue, TCatalogueKind::Opstine, parent)
{
    SetAddEditForm(new TOpstineAddEditForm(this));
}

QString TOpstineForm::AddCaption() const
{
    return QStringLiteral("Nova opština");
}

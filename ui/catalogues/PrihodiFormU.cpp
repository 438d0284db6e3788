#include "ui/catalogues/PrihodiFormU.h"

TPrihodAddEditForm::TPrihodAddEditForm(QWidget *parent)
    : TCodeAddEditForm({.FormName = QStringLiteral("PrihodAddEditForm"),
                        .CodeLabel = QStringLiteral("Šifra"),
                        .CodeLength = 6,
                        .NameLength = 150,
                        .Client = {369, 113},
                        .BothRequired = false,
                        .CentredFirst = false,
                        .ButtonsFirstInTabOrder = false},
                       parent)
{}

TPrihodiForm::TPrihodiForm(TCatalogue &catalogue, QWidget *parent)
    : TCodeCatalogueForm(
          {.FormName = QStringLiteral("PrihodiForm"),
           .Caption = QStringLiteral("Vrste prihoda"),
           .ListName = QStringLiteral("PrihodiV"),
           .Columns = {{QStringLiteral("Šifra"), 60, 6}, {QStringLiteral("Naziv"), 300}},
           .Designed = {420, 322}},
          catalogue, TCatalogueKind::Prihodi, parent)
{
    SetAddEditForm(new TPrihodAddEditForm(this));
}

QString TPrihodiForm::AddCaption() const
{
    return QStringLiteral("Novi prihod");
}

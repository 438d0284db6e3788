#pragma once

#include "ui/catalogues/CodeAddEditFormU.h"
#include "ui/catalogues/CodeCatalogueFormU.h"

class TRacunAddEditForm : public TCodeAddEditForm
{
    Q_OBJECT
public:
    explicit TRacunAddEditForm(QWidget *parent = nullptr);
};

class TRacuniForm : public TCodeCatalogueForm
{
    Q_OBJECT
public:
    explicit TRacuniForm(TCatalogue &catalogue, QWidget *parent = nullptr);

protected:
    QString AddCaption() const override;
};

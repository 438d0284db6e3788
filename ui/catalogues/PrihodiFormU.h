#pragma once

#include "ui/catalogues/CodeAddEditFormU.h"
#include "ui/catalogues/CodeCatalogueFormU.h"

class TPrihodAddEditForm : public TCodeAddEditForm
{
    Q_OBJECT
public:
    explicit TPrihodAddEditForm(QWidget *parent = nullptr);
};

class TPrihodiForm : public TCodeCatalogueForm
{
    Q_OBJECT
public:
    explicit TPrihodiForm(TCatalogue &catalogue, QWidget *parent = nullptr);

protected:
    QString AddCaption() const override;
};

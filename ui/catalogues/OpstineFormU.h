#pragma once

#include "ui/catalogues/CodeAddEditFormU.h"
#include "ui/catalogues/CodeCatalogueFormU.h"

class TOpstineAddEditForm : public TCodeAddEditForm
{
    Q_OBJECT
public:
    explicit TOpstineAddEditForm(QWidget *parent = nullptr);
};

class TOpstineForm : public TCodeCatalogueForm
{
    Q_OBJECT
public:
    explicit TOpstineForm(TCatalogue &catalogue, QWidget *parent = nullptr);

protected:
    QString AddCaption() const override;
};

#pragma once

#include "ui/catalogues/CatalogueFormU.h"

#include <optional>

class TCodeAddEditForm;

// A window over one catalogue of Kordavina.ini (municipalities, recipient
// accounts, revenue types, purposes): the add, change and delete commands with
// their questions, the pick of an entry and the writing of the section.
class TCodeCatalogueForm : public TCatalogueForm
{
    Q_OBJECT
public:
    // Shows the window in pick mode; the entry chosen with "Izaberi", or
    // nothing when the window was closed. current (a code, or a purpose's
    // text) is selected when the catalogue holds it.
    std::optional<TCatalogueEntry> Pick(const QString &current = {});

    TCatalogue &Catalogue() const { return m_catalogue; }
    TCatalogueKind Kind() const { return m_kind; }
    TCodeAddEditForm *AddEditForm() const { return m_addEdit; }

protected:
    // addEdit is made by the window (as its child) for the three code
    // catalogues; the purposes use an input box instead.
    TCodeCatalogueForm(const TCatalogueLayout &layout, TCatalogue &catalogue, TCatalogueKind kind,
                       QWidget *parent);
    void SetAddEditForm(TCodeAddEditForm *addEdit) { m_addEdit = addEdit; }

    void DoAdd() override;
    void DoChange(qsizetype entry) override;
    void DoDelete(qsizetype entry) override;
    qsizetype FindCode(const QString &code) const override;
    bool IsModified() const override;
    bool WriteCatalogue(QString *error) override;
    bool ReadCatalogue(bool *reread, QString *error) override;

    // The caption of the add dialog ("Nova opština", ...).
    virtual QString AddCaption() const = 0;

private:
    TCatalogue &m_catalogue;
    TCatalogueKind m_kind;
    TCodeAddEditForm *m_addEdit = nullptr;
};

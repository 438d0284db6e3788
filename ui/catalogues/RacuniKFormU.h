#pragma once

#include "ui/catalogues/CatalogueFormU.h"

#include <optional>

class TRacunKAddEditForm;

// "Pošiljaoci": the senders of Racuni.ini. No uniqueness check: two senders
// may share an account.
class TRacuniKForm : public TCatalogueForm
{
    Q_OBJECT
public:
    explicit TRacuniKForm(TSenderCatalogue &senders, QWidget *parent = nullptr);

    // Shows the window in pick mode; the sender chosen with "Izaberi", or
    // nothing. The first sender on the account current is selected.
    std::optional<TSenderEntry> Pick(const QString &current = {});

    TSenderCatalogue &Senders() const { return m_senders; }
    TRacunKAddEditForm *AddEditForm() const { return m_addEdit; }

protected:
    void DoAdd() override;
    void DoChange(qsizetype entry) override;
    void DoDelete(qsizetype entry) override;
    qsizetype FindCode(const QString &code) const override;
    bool IsModified() const override;
    bool WriteCatalogue(QString *error) override;
    bool ReadCatalogue(bool *reread, QString *error) override;

private:
    TSenderCatalogue &m_senders;
    TRacunKAddEditForm *m_addEdit = nullptr;
};

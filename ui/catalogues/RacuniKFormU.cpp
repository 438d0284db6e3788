#include "ui/catalogues/RacuniKFormU.h"

#include "catalogues/CatalogueStore.h"
#include "ui/catalogues/RacunKAddEditFormU.h"
#include "core/AppFolder.h"
#include "core/SafeFile.h"
#include "ui/common/ConfirmFormU.h"

TRacuniKForm::TRacuniKForm(TSenderCatalogue &senders, QWidget *parent)
    : TCatalogueForm({.FormName = QStringLiteral("RacuniKForm"),
                      .Caption = QStringLiteral("Pošiljaoci"),
                      .ListName = QStringLiteral("RacuniKV"),
                      .Columns = {{QStringLiteral("Šifra"), 120, 16},
                                  {QStringLiteral("Naziv"), 200},
                                  {QStringLiteral("Broj por. obv."), 100, 13},
                                  {QStringLiteral("Poziv na broj"), 80, 10}},
                      .Designed = {624, 200}},
                     std::make_unique<TCatalogueRowsOf<TSenderEntry>>(senders), parent),
      m_senders(senders), m_addEdit(new TRacunKAddEditForm(this))
{}

std::optional<TSenderEntry> TRacuniKForm::Pick(const QString &current)
{
    const qsizetype picked = RunPick(current);
    if (picked < 0 || picked >= m_senders.Count())
        return std::nullopt;
    return m_senders.At(picked);
}

void TRacuniKForm::DoAdd()
{
    TSenderEntry sender;
    qsizetype follow = Selected();
    if (m_addEdit->Run(QStringLiteral("Novi pošiljalac"), sender))
        m_senders.Add(sender, &follow);
    AfterEdit(follow);
}

void TRacuniKForm::DoChange(qsizetype entry)
{
    TSenderEntry sender = m_senders.At(entry);
    qsizetype follow = entry;
    if (m_addEdit->Run(QStringLiteral("Izmjena"), sender))
        m_senders.Change(entry, sender, &follow);
    AfterEdit(follow);
}

void TRacuniKForm::DoDelete(qsizetype entry)
{
    if (ConfirmAsk(DeleteSenderQuestion(m_senders.At(entry).Naziv)) != TConfirmResult::Yes)
        return;
    m_senders.Delete(entry);
    AfterEdit(-1);
}

qsizetype TRacuniKForm::FindCode(const QString &code) const
{
    return m_senders.IndexOf(code);
}

bool TRacuniKForm::IsModified() const
{
    return m_senders.Modified();
}

bool TRacuniKForm::WriteCatalogue(QString *error)
{
    if (!SaveSenders(ProgramFile(QStringLiteral("Racuni.ini")), m_senders, error))
        return false;
    m_senders.SetModified(false);
    return true;
}

bool TRacuniKForm::ReadCatalogue(bool *reread, QString *error)
{
    const QString file = ProgramFile(QStringLiteral("Racuni.ini"));
    QString reason;
    if (RefreshSenders(file, m_senders, reread, &reason))
        return true;
    if (error)
        *error = PathError(file, reason);
    return false;
}

#include "ui/catalogues/CodeCatalogueFormU.h"

#include "catalogues/CatalogueStore.h"
#include "ui/catalogues/CodeAddEditFormU.h"
#include "core/AppFolder.h"
#include "core/SafeFile.h"
#include "ui/common/ConfirmFormU.h"

TCodeCatalogueForm::TCodeCatalogueForm(const TCatalogueLayout &layout, TCatalogue &catalogue,
                                       TCatalogueKind kind, QWidget *parent)
    : TCatalogueForm(layout, std::make_unique<TCatalogueRowsOf<TCatalogueEntry>>(catalogue),
                     parent),
      m_catalogue(catalogue), m_kind(kind)
{}

std::optional<TCatalogueEntry> TCodeCatalogueForm::Pick(const QString &current)
{
    const qsizetype picked = RunPick(current);
    if (picked < 0 || picked >= m_catalogue.Count())
        return std::nullopt;
    return m_catalogue.At(picked);
}

void TCodeCatalogueForm::DoAdd()
{
    QString sifra, naziv;
    qsizetype follow = Selected();
    if (m_addEdit->Run(AddCaption(), sifra, naziv)) {
        const TCatalogueEdit edit = m_catalogue.Add(sifra, naziv, &follow);
        if (edit.Outcome == TCatalogueEdit::AskRename &&
            ConfirmAsk(AddExistsQuestion(m_kind, edit.Naziv)) == TConfirmResult::Yes)
            m_catalogue.Rename(edit.Index, naziv, &follow);
    }
    // Sorted again (it already is) and focused, whatever the answer.
    AfterEdit(follow);
}

void TCodeCatalogueForm::DoChange(qsizetype entry)
{
    QString sifra = m_catalogue.At(entry).Sifra;
    QString naziv = m_catalogue.At(entry).Naziv;
    qsizetype follow = entry;
    if (m_addEdit->Run(QStringLiteral("Izmjena"), sifra, naziv)) {
        const TCatalogueEdit edit = m_catalogue.Change(entry, sifra, naziv, &follow);
        if (edit.Outcome == TCatalogueEdit::AskDeleteOther &&
            ConfirmAsk(ChangeExistsQuestion(m_kind, edit.Naziv)) == TConfirmResult::Yes)
            m_catalogue.ReplaceOther(entry, edit.Index, sifra, naziv, &follow);
    }
    AfterEdit(follow);
}

void TCodeCatalogueForm::DoDelete(qsizetype entry)
{
    // A purpose keeps its text in Sifra.
    const TCatalogueEntry &e = m_catalogue.At(entry);
    const QString shown = m_kind == TCatalogueKind::Svrhe ? e.Sifra : e.Naziv;
    if (ConfirmAsk(DeleteQuestion(m_kind, shown)) != TConfirmResult::Yes)
        return;
    m_catalogue.Delete(entry);
    // No row is selected after a delete.
    AfterEdit(-1);
}

qsizetype TCodeCatalogueForm::FindCode(const QString &code) const
{
    return m_catalogue.IndexOf(code);
}

bool TCodeCatalogueForm::IsModified() const
{
    return m_catalogue.Modified();
}

bool TCodeCatalogueForm::WriteCatalogue(QString *error)
{
    const QString file = ProgramFile(QStringLiteral("Kordavina.ini"));
    if (!SaveCatalogue(file, m_kind, m_catalogue, error))
        return false;
    m_catalogue.SetModified(false);
    return true;
}

bool TCodeCatalogueForm::ReadCatalogue(bool *reread, QString *error)
{
    const QString file = ProgramFile(QStringLiteral("Kordavina.ini"));
    QString reason;
    if (RefreshCatalogue(file, m_kind, m_catalogue, reread, &reason))
        return true;
    if (error)
        *error = PathError(file, reason);
    return false;
}

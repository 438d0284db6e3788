#include "ui/common/ProgramData.h"

#include "catalogues/CatalogueStore.h"
#include "core/AppFolder.h"
#include "core/SafeFile.h"

namespace {

const TCatalogueKind CodeKinds[] = {TCatalogueKind::Opstine, TCatalogueKind::Racuni,
                                    TCatalogueKind::Prihodi, TCatalogueKind::Svrhe};

void Note(QStringList *errors, const QString &message)
{
    if (errors)
        errors->append(message);
}

QString WriteFailed(const QString &path)
{
    return QStringLiteral("Datoteka %1 nije snimljena.").arg(path);
}

} // namespace

TCatalogue &TProgramData::Catalogue(TCatalogueKind kind)
{
    switch (kind) {
    case TCatalogueKind::Opstine:
        return Opstine;
    case TCatalogueKind::Racuni:
        return Racuni;
    case TCatalogueKind::Prihodi:
        return Prihodi;
    case TCatalogueKind::Svrhe:
        break;
    }
    return Svrhe;
}

void TProgramData::NoteLoadError(const QString &message)
{
    // The four catalogues of Kordavina.ini fail alike: one message is enough.
    if (LoadErrors.contains(message))
        return;
    LoadErrors.append(message);
    if (OnLoadError)
        OnLoadError(message);
}

void LoadProgramData(TProgramData &data, QStringList *errors)
{
    LoadSettings(data.Settings);
    QString error;
    if (!data.Formats.Open(ProgramFile(QStringLiteral("Formats.ini")), &error))
        Note(errors, error);
    // The folder is the one of this start, also if the catalogue is first
    // needed later.
    const QString ini = ProgramFile(QStringLiteral("Kordavina.ini"));
    for (TCatalogueKind kind : CodeKinds)
        data.Catalogue(kind).SetLoader([&data, ini, kind](TCatalogueList<TCatalogueEntry> &list) {
            QString reason;
            if (!LoadCatalogue(ini, kind, static_cast<TCatalogue &>(list), &reason))
                data.NoteLoadError(PathError(ini, reason));
        });
    const QString senders = ProgramFile(QStringLiteral("Racuni.ini"));
    data.Posiljaoci.SetLoader([&data, senders](TCatalogueList<TSenderEntry> &list) {
        QString reason;
        if (!LoadSenders(senders, static_cast<TSenderCatalogue &>(list), &reason))
            data.NoteLoadError(PathError(senders, reason));
    });
}

bool SaveCatalogues(TProgramData &data, QStringList *errors)
{
    bool ok = true;
    const QString ini = ProgramFile(QStringLiteral("Kordavina.ini"));
    for (TCatalogueKind kind : CodeKinds) {
        TCatalogue &catalogue = data.Catalogue(kind);
        if (!catalogue.Modified())
            continue;
        QString error;
        if (SaveCatalogue(ini, kind, catalogue, &error)) {
            catalogue.SetModified(false);
        } else {
            ok = false;
            Note(errors, error.isEmpty() ? WriteFailed(ini) : error);
        }
    }
    if (data.Posiljaoci.Modified()) {
        const QString senders = ProgramFile(QStringLiteral("Racuni.ini"));
        QString error;
        if (SaveSenders(senders, data.Posiljaoci, &error)) {
            data.Posiljaoci.SetModified(false);
        } else {
            ok = false;
            Note(errors, error.isEmpty() ? WriteFailed(senders) : error);
        }
    }
    return ok;
}

bool SaveProgramData(TProgramData &data, QStringList *errors)
{
    bool ok = SaveCatalogues(data, errors);
    if (!SaveSettings(data.Settings)) {
        ok = false;
        const QString where = SettingsFile();
        Note(errors, where.isEmpty()
                         ? QStringLiteral("Podešavanja nisu snimljena.")
                         : QStringLiteral("Podešavanja nisu snimljena (%1).").arg(where));
    }
    QString error;
    if (data.Formats.Modified() && !data.Formats.Flush(&error)) {
        ok = false;
        Note(errors, error.isEmpty() ? WriteFailed(data.Formats.FileName()) : error);
    }
    return ok;
}

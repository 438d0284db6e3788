#include "catalogues/CatalogueStore.h"

namespace {

const QString SifraKey = QStringLiteral("Šifra");
const QString NazivKey = QStringLiteral("Naziv");
const QString BrojKey = QStringLiteral("Broj");
const QString PozivKey = QStringLiteral("Poziv");

// A line break inside a text would end its line in the file and turn the rest
// into lines of their own (even a section header), so it goes as a blank.
QString OneLine(const QString &text)
{
    if (!text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString s = text;
    s.replace(QLatin1String("\r\n"), QLatin1String(" "));
    s.replace(u'\r', u' ');
    s.replace(u'\n', u' ');
    return s;
}

// Loads the file as it is on disk now, so that what others wrote stays.
bool LoadForSave(TIniFile &ini, QString *error)
{
    QString reason;
    if (ini.Load(&reason))
        return true;
    // Replacing a file we could not read would lose what it holds.
    if (error)
        *error = UnableToWriteText(ini.FileName(), reason);
    return false;
}

} // namespace

QString CatalogueSection(TCatalogueKind kind)
{
    switch (kind) {
    case TCatalogueKind::Opstine:
        return QStringLiteral("Opštine");
    case TCatalogueKind::Racuni:
        return QStringLiteral("Računi");
    case TCatalogueKind::Prihodi:
        return QStringLiteral("Prihodi");
    case TCatalogueKind::Svrhe:
        return QStringLiteral("Svrhe");
    }
    return QString();
}

void ReadCatalogue(const TIniFile &ini, TCatalogueKind kind, TCatalogue &catalogue)
{
    const QString section = CatalogueSection(kind);
    const QStringList keys = ini.Keys(section); // a key written twice is listed once
    QList<TCatalogueEntry> entries;
    entries.reserve(keys.size());
    for (const QString &key : keys) {
        const QString value = ini.ReadString(section, key);
        if (kind == TCatalogueKind::Svrhe)
            entries.append({value, QString()});
        else
            entries.append({key, value});
    }
    catalogue.Assign(std::move(entries));
}

void WriteCatalogue(TIniFile &ini, TCatalogueKind kind, const TCatalogue &catalogue)
{
    const QString section = CatalogueSection(kind);
    ini.EraseSection(section);
    const QList<TCatalogueEntry> &entries = catalogue.Entries();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (kind == TCatalogueKind::Svrhe)
            ini.WriteString(section, QString::number(i), OneLine(entries[i].Sifra));
        else
            ini.WriteString(section, OneLine(entries[i].Sifra), OneLine(entries[i].Naziv));
    }
}

void ReadSenders(const TIniFile &ini, TSenderCatalogue &senders)
{
    const QStringList sections = ini.Sections();
    QList<TSenderEntry> entries;
    entries.reserve(sections.size());
    for (const QString &s : sections)
        entries.append({ini.ReadString(s, SifraKey), ini.ReadString(s, NazivKey),
                        ini.ReadString(s, BrojKey), ini.ReadString(s, PozivKey)});
    senders.Assign(std::move(entries));
}

void WriteSenders(TIniFile &ini, const TSenderCatalogue &senders)
{
    ini.EraseAllSections();
    const QList<TSenderEntry> &entries = senders.Entries();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString section = QString::number(i);
        ini.WriteString(section, SifraKey, OneLine(entries[i].Sifra));
        ini.WriteString(section, NazivKey, OneLine(entries[i].Naziv));
        ini.WriteString(section, BrojKey, OneLine(entries[i].Broj));
        ini.WriteString(section, PozivKey, OneLine(entries[i].Poziv));
    }
}

bool LoadCatalogue(const QString &fileName, TCatalogueKind kind, TCatalogue &catalogue,
                   QString *error)
{
    TIniFile ini(fileName);
    const bool ok = ini.Load(error);
    ReadCatalogue(ini, kind, catalogue);
    return ok;
}

bool SaveCatalogue(const QString &fileName, TCatalogueKind kind, const TCatalogue &catalogue,
                   QString *error)
{
    TIniFile ini(fileName);
    if (!LoadForSave(ini, error))
        return false;
    WriteCatalogue(ini, kind, catalogue);
    return ini.Save(error);
}

bool LoadSenders(const QString &fileName, TSenderCatalogue &senders, QString *error)
{
    TIniFile ini(fileName);
    const bool ok = ini.Load(error);
    ReadSenders(ini, senders);
    return ok;
}

bool SaveSenders(const QString &fileName, const TSenderCatalogue &senders, QString *error)
{
    TIniFile ini(fileName);
    if (!LoadForSave(ini, error))
        return false;
    WriteSenders(ini, senders);
    return ini.Save(error);
}

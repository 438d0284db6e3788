#include "catalogues/CatalogueStore.h"

#include "catalogues/CatalogueMerge.h"
#include "core/FileLock.h"
#include "core/SafeFile.h"
#include "core/Win1250.h"

#include <QFileInfo>
#include <QSet>

#include <optional>

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

// The file's bytes, nothing when there is no file (as TIniFile::Load tells
// a missing file). False with the reason for a file that cannot be read.
bool ReadFile(const QString &fileName, std::optional<QByteArray> &bytes, QString *error)
{
    bytes.reset();
    const QFileInfo info(fileName);
    const QFileInfo folder(info.absolutePath());
    if (!info.exists() && !(folder.exists() && !folder.isExecutable()))
        return true;
    bytes = ReadRegularFile(fileName, error);
    return bytes.has_value();
}

quint64 StampOf(const std::optional<QByteArray> &bytes)
{
    return FileStamp(bytes ? &*bytes : nullptr);
}

void SetError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// The section as the file holds it.
QList<TCatalogueEntry> SectionEntries(const std::optional<QByteArray> &bytes, TCatalogueKind kind)
{
    TIniFile ini;
    if (bytes)
        ini.LoadFromBytes(*bytes);
    TCatalogue c;
    ReadCatalogue(ini, kind, c);
    return c.Entries();
}

QList<TCatalogueEntry> Merge(TCatalogueKind kind, QList<TCatalogueEntry> file,
                             const TCatalogueChanges<TCatalogueEntry> &changes)
{
    // Purposes have no code: two equal texts are two entries.
    if (kind == TCatalogueKind::Svrhe)
        return MergeByRecord(std::move(file), changes);
    return MergeByCode(std::move(file), changes);
}

// A read-change-write takes the lock first, so that two copies of the
// program never both write what they read before the other wrote.
bool LockForWrite(TFileLock &lock, const QString &fileName, QString *error)
{
    if (lock.Lock())
        return true;
    SetError(error, UnableToWriteText(fileName, lock.ErrorText()));
    return false;
}

bool IsBlankByte(char c)
{
    return c == ' ' || c == '\t';
}

// Where the first section header of an INI file begins (its size when none).
qsizetype PreambleEnd(const QByteArray &bytes)
{
    qsizetype pos = 0;
    const qsizetype n = bytes.size();
    while (pos < n) {
        qsizetype p = pos;
        while (p < n && IsBlankByte(bytes[p]))
            ++p;
        if (p < n && bytes[p] == '[')
            return pos;
        const qsizetype end = bytes.indexOf('\n', pos);
        pos = end < 0 ? n : end + 1;
    }
    return n;
}

// A list read before: merged with what the file holds now when another copy
// wrote it since. merged(bytes) gives the file's entries with the list's own
// changes laid over them.
template <class TList, class FMerged>
bool RefreshList(const QString &fileName, TList &list, bool *reread, QString *error, FMerged merged)
{
    if (reread)
        *reread = false;
    if (!list.IsLoaded()) {
        // Never read yet: the first read is fresh anyway.
        list.EnsureLoaded();
        if (reread)
            *reread = true;
        return true;
    }
    if (list.Stamp() == TList::NotFromFile)
        return true;
    std::optional<QByteArray> bytes;
    if (!ReadFile(fileName, bytes, error))
        return false;
    const quint64 stamp = StampOf(bytes);
    if (stamp == list.Stamp())
        return true;
    list.Rebase(merged(bytes), stamp);
    if (reread)
        *reread = true;
    return true;
}

// Writes the list under the file's lock. The file is read first, so that
// what others wrote stays (replacing a file that could not be read would lose
// what it holds); it is merged again only when another copy wrote since, so a
// big catalogue is written without being parsed and sorted once more.
// toBytes(bytes) gives the whole new file from the one read.
template <class TList, class FMerged, class FBytes>
bool SaveList(const QString &fileName, TList &list, QString *error, FMerged merged, FBytes toBytes)
{
    TFileLock lock(fileName);
    if (!LockForWrite(lock, fileName, error))
        return false;
    std::optional<QByteArray> bytes;
    QString reason;
    if (!ReadFile(fileName, bytes, &reason)) {
        SetError(error, UnableToWriteText(fileName, reason));
        return false;
    }
    const quint64 stamp = StampOf(bytes);
    if (list.Stamp() != TList::NotFromFile && list.Stamp() != stamp)
        list.Rebase(merged(bytes), stamp);
    const QByteArray out = toBytes(bytes);
    if (!WriteFileAtomically(fileName, out, &reason)) {
        SetError(error, UnableToWriteText(fileName, reason));
        return false;
    }
    list.SetModified(false);
    list.SetStamp(FileStamp(&out));
    return true;
}

} // namespace

quint64 FileStamp(const QByteArray *bytes)
{
    if (!bytes)
        return 0;
    // 0 is no file and ~0 no file at all (TCatalogueList::NotFromFile).
    const quint64 h = quint64(qHash(*bytes, 0x4b6f7264)) ^ quint64(bytes->size());
    return h == 0 || h == ~quint64(0) ? 1 : h;
}

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
    std::optional<QByteArray> bytes;
    const bool ok = ReadFile(fileName, bytes, error);
    catalogue.Assign(SectionEntries(bytes, kind));
    if (ok)
        catalogue.SetStamp(StampOf(bytes));
    return ok;
}

bool RefreshCatalogue(const QString &fileName, TCatalogueKind kind, TCatalogue &catalogue,
                      bool *reread, QString *error)
{
    return RefreshList(fileName, catalogue, reread, error, [&](const auto &bytes) {
        return Merge(kind, SectionEntries(bytes, kind), catalogue.Changes());
    });
}

bool SaveCatalogue(const QString &fileName, TCatalogueKind kind, TCatalogue &catalogue,
                   QString *error)
{
    return SaveList(
        fileName, catalogue, error,
        [&](const auto &bytes) {
            return Merge(kind, SectionEntries(bytes, kind), catalogue.Changes());
        },
        [&](const auto &bytes) {
            TIniFile ini(fileName);
            if (bytes)
                ini.LoadFromBytes(*bytes);
            WriteCatalogue(ini, kind, catalogue);
            return ini.ToBytes();
        });
}

bool SaveCatalogue(const QString &fileName, TCatalogueKind kind, const TCatalogue &catalogue,
                   QString *error)
{
    TCatalogue copy = catalogue;
    return SaveCatalogue(fileName, kind, copy, error);
}

QList<TSenderEntry> ParseSenders(const QByteArray &bytes)
{
    // Windows-1250 gives one character per byte: the text is decoded once
    // and taken apart in place.
    const QString text = Win1250::Decode(bytes.constData(), bytes.size());
    const QStringView all(text);
    const QStringView keys[] = {SifraKey, NazivKey, BrojKey, PozivKey};
    QList<TSenderEntry> senders;
    QSet<QString> seen;
    TSenderEntry *current = nullptr;
    unsigned found = 0; // the keys already read in this section: the first one counts
    qsizetype pos = 0;
    const qsizetype n = all.size();
    while (pos < n) {
        qsizetype end = all.indexOf(u'\n', pos);
        end = end < 0 ? n : end + 1;
        qsizetype len = end - pos;
        while (len > 0 && (all[pos + len - 1] == u'\n' || all[pos + len - 1] == u'\r'))
            --len;
        const QStringView line = TrimBlanks(all.mid(pos, len));
        pos = end;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            const QString name = TrimBlanks(line.mid(1, close < 0 ? line.size() - 1 : close - 1))
                                     .toString()
                                     .toCaseFolded();
            // A section name given twice: the first section is the sender.
            if (seen.contains(name)) {
                current = nullptr;
                continue;
            }
            seen.insert(name);
            senders.append(TSenderEntry());
            current = &senders.last();
            found = 0;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!current || eq <= 0 || line.startsWith(u';'))
            continue;
        const QStringView key = TrimBlanks(line.left(eq));
        for (unsigned k = 0; k < 4; ++k) {
            if ((found & (1u << k)) || key.compare(keys[k], Qt::CaseInsensitive) != 0)
                continue;
            found |= 1u << k;
            QString value = TrimBlanks(line.mid(eq + 1)).toString();
            switch (k) {
            case 0:
                current->Sifra = std::move(value);
                break;
            case 1:
                current->Naziv = std::move(value);
                break;
            case 2:
                current->Broj = std::move(value);
                break;
            default:
                current->Poziv = std::move(value);
                break;
            }
            break;
        }
    }
    return senders;
}

QByteArray SendersBytes(const QByteArray &oldBytes, const QList<TSenderEntry> &senders)
{
    QByteArray out = oldBytes.left(PreambleEnd(oldBytes));
    out.reserve(out.size() + senders.size() * 96);
    QByteArray keys[4];
    const QString names[] = {SifraKey, NazivKey, BrojKey, PozivKey};
    for (int k = 0; k < 4; ++k) {
        Win1250::AppendEncoded(keys[k], names[k]);
        keys[k] += '=';
    }
    for (qsizetype i = 0; i < senders.size(); ++i) {
        if (!out.isEmpty() && !out.endsWith('\n'))
            out += "\r\n";
        // Sections set apart by an empty line, as the INI store writes them.
        if (!out.isEmpty() && !out.endsWith("\n\r\n") && !out.endsWith("\n\n"))
            out += "\r\n";
        out += '[';
        out += QByteArray::number(i);
        out += "]\r\n";
        const TSenderEntry &e = senders[i];
        const QString *values[] = {&e.Sifra, &e.Naziv, &e.Broj, &e.Poziv};
        for (int k = 0; k < 4; ++k) {
            out += keys[k];
            Win1250::AppendEncoded(out, OneLine(*values[k]));
            out += "\r\n";
        }
    }
    return out;
}

bool LoadSenders(const QString &fileName, TSenderCatalogue &senders, QString *error)
{
    std::optional<QByteArray> bytes;
    const bool ok = ReadFile(fileName, bytes, error);
    senders.Assign(bytes ? ParseSenders(*bytes) : QList<TSenderEntry>());
    if (ok)
        senders.SetStamp(StampOf(bytes));
    return ok;
}

bool RefreshSenders(const QString &fileName, TSenderCatalogue &senders, bool *reread,
                    QString *error)
{
    return RefreshList(fileName, senders, reread, error, [&](const auto &bytes) {
        return MergeByRecord(bytes ? ParseSenders(*bytes) : QList<TSenderEntry>(),
                             senders.Changes());
    });
}

bool SaveSenders(const QString &fileName, TSenderCatalogue &senders, QString *error)
{
    return SaveList(
        fileName, senders, error,
        [&](const auto &bytes) {
            return MergeByRecord(bytes ? ParseSenders(*bytes) : QList<TSenderEntry>(),
                                 senders.Changes());
        },
        [&](const auto &bytes) {
            return SendersBytes(bytes.value_or(QByteArray()), senders.Entries());
        });
}

bool SaveSenders(const QString &fileName, const TSenderCatalogue &senders, QString *error)
{
    TSenderCatalogue copy = senders;
    return SaveSenders(fileName, copy, error);
}

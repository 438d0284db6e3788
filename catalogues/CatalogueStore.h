#pragma once

#include "catalogues/Catalogue.h"
#include "core/IniFile.h"

#include <QString>

// The catalogues on disk. Kordavina.ini holds the sections "Opštine",
// "Računi", "Prihodi" (code = name) and "Svrhe" ("0", "1", ... = purpose);
// Racuni.ini holds one section per sender, "0", "1", ..., with the keys
// "Šifra", "Naziv", "Broj" and "Poziv". Both are Windows-1250 INI files
// (TIniFile). The caller passes ProgramFile("Kordavina.ini") and
// ProgramFile("Racuni.ini"). There is no limit on the number of entries.
//
// Two copies of the program may work on one program folder. A write
// therefore holds the file's lock (TFileLock), reads the file afresh and
// applies to it only the catalogue's own Changes() (CatalogueMerge.h); a
// catalogue window reads its catalogue afresh when it opens (Refresh...).
// Each list remembers a stamp of the file contents it stands for, so that
// neither reads what it already holds.

QString CatalogueSection(TCatalogueKind kind);

// The stamp of a file's contents (nullptr: no file).
quint64 FileStamp(const QByteArray *bytes);

// Fills the catalogue from its section, sorted by its SortColumn, Modified
// cleared. A missing file or section gives an empty catalogue; a file that
// exists but cannot be read gives an empty catalogue, false and the reason.
bool LoadCatalogue(const QString &fileName, TCatalogueKind kind, TCatalogue &catalogue,
                   QString *error = nullptr);
// Reads the section again when the file is no longer what the catalogue
// stands for; changes not yet written stay applied. *reread tells whether
// it was read. A catalogue given by Assign alone (NotFromFile) is left as
// it is.
bool RefreshCatalogue(const QString &fileName, TCatalogueKind kind, TCatalogue &catalogue,
                      bool *reread = nullptr, QString *error = nullptr);
// Under the file's lock: the section as the file holds it now with the
// catalogue's changes applied, in the catalogue's display order; other
// sections untouched, an empty catalogue leaves no section. The catalogue
// then holds what was written, Modified cleared. The file is replaced
// atomically: on failure error holds "Unable to write to <path>: <reason>",
// the file is as it was and the changes stay to be written.
bool SaveCatalogue(const QString &fileName, TCatalogueKind kind, TCatalogue &catalogue,
                   QString *error = nullptr);
// The same for a catalogue that is not kept afterwards.
bool SaveCatalogue(const QString &fileName, TCatalogueKind kind, const TCatalogue &catalogue,
                   QString *error = nullptr);

bool LoadSenders(const QString &fileName, TSenderCatalogue &senders, QString *error = nullptr);
bool RefreshSenders(const QString &fileName, TSenderCatalogue &senders, bool *reread = nullptr,
                    QString *error = nullptr);
// Under the file's lock: the senders the file holds now with the changes
// applied, written as sections "0", "1", ... in display order (every other
// section goes; lines before the first section stay).
bool SaveSenders(const QString &fileName, TSenderCatalogue &senders, QString *error = nullptr);
bool SaveSenders(const QString &fileName, const TSenderCatalogue &senders,
                 QString *error = nullptr);

// Racuni.ini read and written without a general INI store, which a
// catalogue of 100,000 senders makes slow and large. They read as
// ReadSenders reads a TIniFile and write as WriteSenders and TIniFile::ToBytes
// would: the lines before the first section (kept as they are), then the
// senders.
QList<TSenderEntry> ParseSenders(const QByteArray &bytes);
QByteArray SendersBytes(const QByteArray &oldBytes, const QList<TSenderEntry> &senders);

// The same on a store already in memory.
void ReadCatalogue(const TIniFile &ini, TCatalogueKind kind, TCatalogue &catalogue);
void WriteCatalogue(TIniFile &ini, TCatalogueKind kind, const TCatalogue &catalogue);
void ReadSenders(const TIniFile &ini, TSenderCatalogue &senders);
void WriteSenders(TIniFile &ini, const TSenderCatalogue &senders);

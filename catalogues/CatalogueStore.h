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

QString CatalogueSection(TCatalogueKind kind);

// Fills the catalogue from its section, sorted by its SortColumn, Modified
// cleared. A missing file or section gives an empty catalogue; a file that
// exists but cannot be read gives an empty catalogue, false and the reason.
bool LoadCatalogue(const QString &fileName, TCatalogueKind kind, TCatalogue &catalogue,
                   QString *error = nullptr);
// Replaces the catalogue's section with the entries in display order, other
// sections untouched; an empty catalogue leaves no section. The file is
// replaced atomically: on failure error holds "Unable to write to <path>:
// <reason>" and the file is as it was.
bool SaveCatalogue(const QString &fileName, TCatalogueKind kind, const TCatalogue &catalogue,
                   QString *error = nullptr);

bool LoadSenders(const QString &fileName, TSenderCatalogue &senders, QString *error = nullptr);
// Erases every section, then writes the senders in display order.
bool SaveSenders(const QString &fileName, const TSenderCatalogue &senders,
                 QString *error = nullptr);

// The same on a store already in memory.
void ReadCatalogue(const TIniFile &ini, TCatalogueKind kind, TCatalogue &catalogue);
void WriteCatalogue(TIniFile &ini, TCatalogueKind kind, const TCatalogue &catalogue);
void ReadSenders(const TIniFile &ini, TSenderCatalogue &senders);
void WriteSenders(TIniFile &ini, const TSenderCatalogue &senders);

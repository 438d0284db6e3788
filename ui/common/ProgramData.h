#pragma once

#include "catalogues/Catalogue.h"
#include "core/Settings.h"
#include "print/formats/FormatStore.h"

#include <QString>
#include <QStringList>

// What the windows share for the whole run. Made once at start, before the
// first window, and handed to every window by reference: the main window
// reads and changes the settings and asks the catalogues for names by code,
// the catalogue windows edit the catalogues, the format editor edits the
// formats, the print commands read the default format.
struct TProgramData
{
    TSettings Settings;
    TFormatStore Formats;        // Formats.ini
    TCatalogue Opstine;          // Kordavina.ini [Opštine]
    TCatalogue Racuni;           // Kordavina.ini [Računi]
    TCatalogue Prihodi;          // Kordavina.ini [Prihodi]
    TCatalogue Svrhe;            // Kordavina.ini [Svrhe]
    TSenderCatalogue Posiljaoci; // Racuni.ini

    TCatalogue &Catalogue(TCatalogueKind kind);
};

// Reads the settings, Formats.ini and the catalogues from the program's
// folder. A file that exists but cannot be read leaves its part empty and
// adds a message naming the file to errors; the program goes on.
void LoadProgramData(TProgramData &data, QStringList *errors = nullptr);

// Writes the catalogues that were changed (each file through its atomic
// writer). A failure adds a message naming the file; the file is then as it
// was before.
bool SaveCatalogues(TProgramData &data, QStringList *errors = nullptr);

// Writes everything that changed at program end: the settings, Formats.ini
// and the catalogues. False with one message per file that failed.
bool SaveProgramData(TProgramData &data, QStringList *errors = nullptr);

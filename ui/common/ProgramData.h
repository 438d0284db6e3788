#pragma once

#include "catalogues/Catalogue.h"
#include "core/Settings.h"
#include "print/formats/FormatStore.h"

#include <QString>
#include <QStringList>

#include <functional>

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

    // Told of a catalogue file that could not be read when the catalogue was
    // first needed (a message naming the file), once per message. LoadErrors
    // gathers them all, also those noted before OnLoadError was set.
    std::function<void(const QString &message)> OnLoadError;
    QStringList LoadErrors;

    TCatalogue &Catalogue(TCatalogueKind kind);
    void NoteLoadError(const QString &message);
};

// Reads the settings and Formats.ini from the program's folder and makes the
// catalogues read themselves when first needed (a look-up, a catalogue
// window), so that a big catalogue does not slow the start. A file that
// exists but cannot be read leaves its part empty and adds a message naming
// the file to errors (for a catalogue, through NoteLoadError); the program
// goes on.
void LoadProgramData(TProgramData &data, QStringList *errors = nullptr);

// Writes the catalogues that were changed (each file through its atomic
// writer). A failure adds a message naming the file; the file is then as it
// was before.
bool SaveCatalogues(TProgramData &data, QStringList *errors = nullptr);

// Writes everything that changed at program end: the settings, Formats.ini
// and the catalogues. False with one message per file that failed.
bool SaveProgramData(TProgramData &data, QStringList *errors = nullptr);

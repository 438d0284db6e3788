#pragma once

#include <QString>
#include <QStringList>

// The rules of the options dialog, free of widgets. The printer list shows
// "Standardni" (the system's default printer) first, then the installed
// printers in the order the system lists them.

// The list index to select for the stored printer name: 0 for an empty name,
// the installed printer's index + 1 for a name installed (letter case
// ignored), -1 (nothing selected) for a printer that has since been removed.
int PrinterListIndex(const QStringList &installed, const QString &defaultPrinter);
// The printer name to store for the list index chosen: empty for
// "Standardni" and for no choice at all.
QString PrinterForListIndex(const QStringList &installed, int index);
// The installed printer to make the current one for the stored name, spelt
// as installed; empty for the system's default printer (an empty name, or a
// name no longer installed).
QString InstalledPrinter(const QStringList &installed, const QString &defaultPrinter);

// "Rezolucija 640 x 480": checked when one screen inch stands for more than
// 25.4 millimetres (compared in tenths, as stored); the millimetres it sets.
bool LowResolutionChecked(double inchMm);
double InchMmFor(bool lowResolution);

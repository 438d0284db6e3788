#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class TZorPrinter;

// Prints into the PDF file target whole or not at all, for every "print to a
// PDF file" of the program (the command line's --pdf, the window's
// "Štampaj u PDF..."). print() runs with the printer writing into a temporary
// file beside target (it opens and ends the job itself, for example with
// PrintSlips or PrintGrid) and returns false when the user cancelled the job
// (a print dialog): then nothing changes and false is returned. When it
// returns true, the printer reported no error and the file holds a whole PDF,
// the file is flushed to the disk and renamed over target. Anything else
// throws EKordavinaError "target: reason" (the system's reason where there is
// one) and leaves an earlier target as it was. A target that exists and is
// not a regular file, or is one of inputs (the files the job reads), is
// refused before anything is written. The page layout is kept; afterwards the
// printer's PDF output names target.
bool PrintToPdfFile(TZorPrinter &printer, const QString &target, const QStringList &inputs,
                    const std::function<bool()> &print);

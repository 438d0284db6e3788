#pragma once

#include <QString>

// The program's folder: where Formats.ini, Kordavina.ini, Racuni.ini,
// Default.upl and Default1.upl live. KORDAVINA_HOME overrides it; otherwise it
// is the executable's folder, or the per-user data folder when the
// executable's folder cannot be written (an installed program). The folder is
// created when missing.
QString ProgramFolder();
// A file of the program's folder.
QString ProgramFile(const QString &name);

#pragma once

#include <QString>

// The program's folder: where Formats.ini, Kordavina.ini, Racuni.ini,
// Default.upl and Default1.upl live. KORDAVINA_HOME overrides it; otherwise it
// is the executable's folder, or the per-user data folder for an installed
// program (see ProgramFolderFor). The folder is created when missing.
QString ProgramFolder();
// A file of the program's folder.
QString ProgramFile(const QString &name);

// The program's folder for an executable in exeDir, without KORDAVINA_HOME:
// the per-user data folder (~/.local/share/Orvinel/Kordavina) when exeDir
// cannot be written or belongs to an installed tree (exeDir/../share/kordavina
// exists), else exeDir itself. A per-user folder is created and given the
// installed tree's Formats.ini when it has none, so a first start can print.
QString ProgramFolderFor(const QString &exeDir);

// The installed tree's shared data folder (exeDir/../share/kordavina), or an
// empty text when exeDir is not the bin folder of an installed tree. On
// Windows an installed program lives under Program Files (the folders named
// by %ProgramFiles%, %ProgramW6432%, %ProgramFiles(x86)%) with its shipped
// files beside it: exeDir itself, and the per-user folder is
// %APPDATA%\Orvinel\Kordavina.
QString InstalledDataFolder(const QString &exeDir);

#pragma once

#include "core/Upl.h"

#include <QStringList>

// Commands of the command line. Each takes the arguments after its own name
// and returns the process exit code: 0 success, 1 failure, 2 wrong usage.
namespace Cli {

enum class Needs {
    Core,    // no GUI application object at all
    Painter, // fonts and painting, no window (offscreen when there is no display)
    Window,  // a real window
};

struct Command
{
    const char *name;
    const char *usage; // one line, shown by --help
    Needs needs;
    int (*run)(const QStringList &args);
};

// The table of commands, in the order --help lists them.
const QList<Command> &Commands();

QString UsageText();

// Prints text to standard output / standard error (UTF-8).
void Out(const QString &text);
void Err(const QString &text);

int RunDump(const QStringList &args);
int RunConvert(const QStringList &args);
int RunPrint(const QStringList &args);
int RunGrid(const QStringList &args);
int RunPreview(const QStringList &args);
int RunImportCsv(const QStringList &args);
int RunExportCsv(const QStringList &args);

// Warns on standard error about each slip whose account or taxpayer number
// fails its check. False (print nothing, exit 3) only when strict.
bool SlipChecksAllowPrinting(const QList<TUpl> &slips, bool strict);
int RunPaths(const QStringList &args);

} // namespace Cli

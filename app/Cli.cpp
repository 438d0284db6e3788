#include "app/Cli.h"

#include <cstdio>

namespace Cli {

const QList<Command> &Commands()
{
    static const QList<Command> commands = {
        {"dump", "dump FILE.upl              print the slip file as JSON", Needs::Core, RunDump},
        {"convert", "convert IN.upl OUT.upl     write the file in the current version", Needs::Core,
         RunConvert},
        {"print",
         "print FILE.upl [--pdf OUT.pdf | --printer NAME] [--marked] [--format NAME]\n"
         "                             [--correct-for PRINTER] [--strict]\n"
         "                             print the slips (or the marked ones), one per page",
         Needs::Painter, RunPrint},
        {"grid",
         "grid [--pdf OUT.pdf | --printer NAME] [--format NAME] [--correct-for PRINTER]\n"
         "                             print the calibration grid of a format\n"
         "                             (a printer's stored correction applies to its jobs;\n"
         "                             --correct-for applies that of PRINTER, also to a PDF)",
         Needs::Painter, RunGrid},
        {"preview",
         "preview FILE.upl [--marked] [--format NAME]\n"
         "                             show the slip job in the print preview",
         Needs::Window, RunPreview},
        {"import-csv",
         "import-csv IN.csv OUT.upl [--append]\n"
         "                             slips from a spreadsheet file (all rows or nothing)",
         Needs::Core, RunImportCsv},
        {"export-csv", "export-csv IN.upl OUT.csv  the slips for a spreadsheet (UTF-8, ';')",
         Needs::Core, RunExportCsv},
        {"paths", "paths                      where the program keeps and finds its files",
         Needs::Core, RunPaths},
    };
    return commands;
}

QString UsageText()
{
    QString text =
        QStringLiteral("Usage: kordavina [FILE.upl]\n"
                       "       kordavina COMMAND ARGUMENTS...\n"
                       "       kordavina --help | --version\n\n"
                       "Without a command the program window opens, with FILE.upl if given.\n\n"
                       "Commands:\n");
    for (const Command &c : Commands())
        text += QStringLiteral("  %1\n").arg(QString::fromUtf8(c.usage));
    return text;
}

void Out(const QString &text)
{
    const QByteArray b = text.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stdout);
    std::fflush(stdout);
}

void Err(const QString &text)
{
    const QByteArray b = text.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stderr);
    std::fflush(stderr);
}

} // namespace Cli

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
         "                             print the slips (or the marked ones), one per page",
         Needs::Painter, RunPrint},
        {"grid",
         "grid [--pdf OUT.pdf | --printer NAME] [--format NAME]\n"
         "                             print the calibration grid of a format",
         Needs::Painter, RunGrid},
        {"preview",
         "preview FILE.upl [--marked] [--format NAME]\n"
         "                             show the slip job in the print preview",
         Needs::Window, RunPreview},
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

#include "app/Cli.h"

#include "core/FileLock.h"
#include "core/NumberChecks.h"
#include "core/SafeFile.h"
#include "core/Settings.h"
#include "core/SlipCsv.h"
#include "core/UplFileIO.h"

#include <QFileInfo>

#include <new>

namespace Cli {

namespace {

// A damaged slip file's message names it, as every other failure does.
QString ReadFailure(const QString &path, const TUplReadResult &r)
{
    return PathError(path, r.Error) + u'\n';
}

int ImportCsv(const QString &in, const QString &out, bool append)
{
    // Refused before anything is read: the input itself, a FIFO, a device.
    if (const QString refused = CheckOutputPath(out, {in}); !refused.isEmpty()) {
        Err(PathError(out, refused) + u'\n');
        return 1;
    }
    QString defaultError;
    const std::optional<TUpl> defaults = ImportDefaultSlip(&defaultError);
    if (!defaults) {
        Err(defaultError + QStringLiteral("\n%1: ništa nije upisano (bez zadane uplatnice "
                                          "uvezene uplatnice ne bi imale njene vrijednosti)\n")
                               .arg(out));
        return 1;
    }
    // Slips are kept in the file's own form, not as the CSV's text.
    TUplRecords records;
    const TSlipCsvImport r =
        ImportSlipsCsvFile(in, *defaults, [&records](TUpl &&slip) { records.Append(slip); });
    if (!r.Error.isEmpty()) {
        Err(PathError(in, r.Error) + u'\n');
        return 1;
    }
    if (!r.UnknownColumns.isEmpty())
        Err(QStringLiteral("%1: nepoznate kolone su zanemarene: %2\n")
                .arg(in, r.UnknownColumns.join(QStringLiteral(", "))));
    {
        // The warnings print would give, while the spreadsheet is still at hand.
        TSettings settings;
        LoadSettings(settings);
        if (settings.ProvjeraRacuna) {
            for (const TCsvRefusal &w : r.Warnings)
                Err(QStringLiteral("Upozorenje: %1: %2\n").arg(in, CsvRefusalText(w)));
            if (r.MoreWarnings > 0)
                Err(QStringLiteral("Upozorenje: %1: … i još %2 upozorenja\n")
                        .arg(in)
                        .arg(r.MoreWarnings));
        }
    }
    if (!r.Refused.isEmpty()) {
        for (const TCsvRefusal &x : r.Refused)
            Err(QStringLiteral("%1: %2\n").arg(in, CsvRefusalText(x)));
        if (r.MoreRefused > 0)
            Err(QStringLiteral("%1: … i još %2 razloga\n").arg(in).arg(r.MoreRefused));
        Err(QStringLiteral("%1: ništa nije upisano\n").arg(out));
        return 1;
    }

    // Appending reads the file and writes it back: another writer must not
    // come between (its slips would be lost).
    TFileLock lock(out);
    if (append && !lock.Lock()) {
        Err(PathError(out, lock.ErrorText()) + u'\n');
        return 1;
    }
    TUplFile file;
    if (append && QFileInfo::exists(out)) {
        TUplReadResult old = ReadUplFile(out);
        if (old.Status != TUplReadResult::Ok) {
            Err(ReadFailure(out, old));
            return 1;
        }
        file = std::move(*old.File);
    }
    file.FileName = out;
    QString error;
    if (!WriteUplFile(file, &error, {in}, &records)) {
        Err(PathError(out, error) + u'\n');
        return 1;
    }
    Out(QStringLiteral("Uvezeno uplatnica: %1 (%2, separator \"%3\")\n")
            .arg(r.Taken)
            .arg(CsvEncodingName(r.Encoding), r.Separator));
    return 0;
}

} // namespace

int RunImportCsv(const QStringList &args)
{
    QStringList files;
    bool append = false;
    for (const QString &a : args) {
        if (a == QLatin1String("--append"))
            append = true;
        else if (a.startsWith(QLatin1String("--")) || files.size() == 2) {
            Err(UsageText());
            return 2;
        } else
            files += a;
    }
    if (files.size() != 2 || files[0].isEmpty() || files[1].isEmpty()) {
        Err(UsageText());
        return 2;
    }
    try {
        return ImportCsv(files[0], files[1], append);
    } catch (const std::bad_alloc &) {
        // Everything held is gone with the stack; nothing was written.
        Err(PathError(files[0], QStringLiteral("nema dovoljno memorije za uvoz; ništa nije "
                                               "upisano u %1")
                                    .arg(files[1])) +
            u'\n');
        return 1;
    }
}

int RunExportCsv(const QStringList &args)
{
    if (args.size() != 2 || args[0].startsWith(QLatin1String("--")) ||
        args[1].startsWith(QLatin1String("--")) || args[0].isEmpty() || args[1].isEmpty()) {
        Err(UsageText());
        return 2;
    }
    if (const QString refused = CheckOutputPath(args[1], {args[0]}); !refused.isEmpty()) {
        Err(PathError(args[1], refused) + u'\n');
        return 1;
    }
    const TUplReadResult r = ReadUplFile(args[0]);
    if (r.Status != TUplReadResult::Ok) {
        Err(ReadFailure(args[0], r));
        return 1;
    }
    QString error;
    if (!WriteSlipsCsv(args[1], r.File->Uplatnice, &error, {args[0]})) {
        Err(PathError(args[1], error) + u'\n');
        return 1;
    }
    return 0;
}

bool SlipChecksAllowPrinting(const QList<TUpl> &slips, bool strict)
{
    TSettings settings;
    LoadSettings(settings);
    // The switch silences the warnings; --strict asks for the checks itself.
    if (!settings.ProvjeraRacuna && !strict)
        return true;
    bool failed = false;
    for (qsizetype i = 0; i < slips.size(); ++i) {
        const QStringList problems = SlipCheckProblems(slips[i]);
        if (problems.isEmpty())
            continue;
        failed = true;
        Err(QStringLiteral("Upozorenje: uplatnica %1 „%2“: %3\n")
                .arg(i + 1)
                .arg(slips[i].Opis, problems.join(QStringLiteral("; "))));
    }
    if (failed && strict) {
        Err(QStringLiteral("Ništa nije štampano (--strict).\n"));
        return false;
    }
    return true;
}

} // namespace Cli

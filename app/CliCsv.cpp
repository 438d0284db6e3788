#include "app/Cli.h"

#include "core/NumberChecks.h"
#include "core/Settings.h"
#include "core/SlipCsv.h"
#include "core/UplFileIO.h"

#include <QFile>
#include <QFileInfo>

namespace Cli {

namespace {

std::optional<QByteArray> ReadBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        Err(QStringLiteral("%1: %2\n").arg(path, f.errorString()));
        return std::nullopt;
    }
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        Err(QStringLiteral("%1: %2\n").arg(path, f.errorString()));
        return std::nullopt;
    }
    return bytes;
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
    if (files.size() != 2) {
        Err(UsageText());
        return 2;
    }
    const QString &in = files[0];
    const QString &out = files[1];
    const std::optional<QByteArray> bytes = ReadBytes(in);
    if (!bytes)
        return 1;
    const TSlipCsvImport r = ImportSlipsCsv(*bytes, ImportDefaultSlip());
    if (!r.Error.isEmpty()) {
        Err(QStringLiteral("%1: %2\n").arg(in, r.Error));
        return 1;
    }
    if (!r.UnknownColumns.isEmpty())
        Err(QStringLiteral("%1: nepoznate kolone su zanemarene: %2\n")
                .arg(in, r.UnknownColumns.join(QStringLiteral(", "))));
    {
        // The warnings print would give, while the spreadsheet is still at hand.
        TSettings settings;
        LoadSettings(settings);
        if (settings.ProvjeraRacuna)
            for (const TCsvRefusal &w : r.Warnings)
                Err(QStringLiteral("Upozorenje: %1: %2\n").arg(in, CsvRefusalText(w)));
    }
    if (!r.Refused.isEmpty()) {
        for (const TCsvRefusal &x : r.Refused)
            Err(QStringLiteral("%1: %2\n").arg(in, CsvRefusalText(x)));
        Err(QStringLiteral("%1: ništa nije upisano\n").arg(out));
        return 1;
    }

    TUplFile file;
    if (append && QFileInfo::exists(out)) {
        TUplReadResult old = ReadUplFile(out);
        if (old.Status != TUplReadResult::Ok) {
            Err(old.Status == TUplReadResult::BadFormat
                    ? old.Error + u'\n'
                    : QStringLiteral("%1: %2\n").arg(out, old.Error));
            return 1;
        }
        file = std::move(*old.File);
    }
    file.FileName = out;
    file.Uplatnice += r.Slips;
    QString error;
    if (!WriteUplFile(file, &error)) {
        Err(QStringLiteral("%1: %2\n").arg(out, error));
        return 1;
    }
    Out(QStringLiteral("Uvezeno uplatnica: %1 (%2, separator \"%3\")\n")
            .arg(r.Slips.size())
            .arg(CsvEncodingName(r.Encoding), r.Separator));
    return 0;
}

int RunExportCsv(const QStringList &args)
{
    if (args.size() != 2 || args[0].startsWith(QLatin1String("--")) ||
        args[1].startsWith(QLatin1String("--"))) {
        Err(UsageText());
        return 2;
    }
    const TUplReadResult r = ReadUplFile(args[0]);
    if (r.Status != TUplReadResult::Ok) {
        Err(r.Status == TUplReadResult::BadFormat
                ? r.Error + u'\n'
                : QStringLiteral("%1: %2\n").arg(args[0], r.Error));
        return 1;
    }
    QString error;
    if (!WriteWholeFile(args[1], ExportSlipsCsv(r.File->Uplatnice), &error)) {
        Err(QStringLiteral("%1: %2\n").arg(args[1], error));
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

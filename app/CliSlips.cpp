#include "app/Cli.h"

#include "core/FileLock.h"

#include "core/SafeFile.h"
#include "core/UplFileIO.h"

#include <QFileInfo>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace Cli {

namespace {

void AppendJsonString(QByteArray &out, const QString &text)
{
    out += '"';
    const QByteArray utf8 = text.toUtf8();
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

// Shortest text that reads back to the same value. JSON has no NaN or
// infinities, so those are written as strings.
template <typename T> void AppendNumber(QByteArray &out, T v)
{
    if (std::isnan(v)) {
        out += "\"NaN\"";
        return;
    }
    if (std::isinf(v)) {
        out += v < 0 ? "\"-Infinity\"" : "\"Infinity\"";
        return;
    }
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, res.ptr - buf);
}

void AppendSlip(QByteArray &out, const TUpl &u)
{
    auto text = [&out](const char *key, const QString &value) {
        out += '"';
        out += key;
        out += "\": ";
        AppendJsonString(out, value);
        out += ", ";
    };
    auto flag = [&out](const char *key, bool value) {
        out += '"';
        out += key;
        out += value ? "\": true, " : "\": false, ";
    };
    out += "    {";
    text("Opis", u.Opis);
    text("RacunPosiljaoca", u.RacunPosiljaoca);
    text("Posiljalac", u.Posiljalac);
    text("Svrha", u.Svrha);
    text("RacunPrimaoca", u.RacunPrimaoca);
    text("Primalac", u.Primalac);
    out += "\"Iznos\": ";
    AppendNumber(out, u.Iznos);
    out += ", ";
    flag("Hitno", u.Hitno);
    text("BrojObveznika", u.BrojObveznika);
    text("VrstaUplate", u.VrstaUplate);
    text("VrstaPrihoda", u.VrstaPrihoda);
    text("Opstina", u.Opstina);
    text("Poziv", u.Poziv);
    text("Budzetska", u.Budzetska);
    text("PeriodOd", u.PeriodOd);
    text("PeriodDo", u.PeriodDo);
    text("DatumUplate", u.DatumUplate);
    text("MjestoUplate", u.MjestoUplate);
    out += "\"Stanja\": [";
    for (size_t i = 0; i < u.Stanja.size(); ++i) {
        if (i > 0)
            out += ", ";
        out += QByteArray::number(u.Stanja[i]);
    }
    out += "], ";
    flag("Oznacena", u.Oznacena);
    out += "\"Procenat\": ";
    AppendNumber(out, u.Procenat);
    out += '}';
}

QByteArray FileToJson(const QString &header, const TUplFile &file)
{
    QByteArray out;
    out.reserve(256 + file.Uplatnice.size() * 600);
    out += "{\n  \"header\": ";
    AppendJsonString(out, header);
    out += ",\n  \"notes\": ";
    AppendJsonString(out, file.Napomene);
    out += ",\n  \"slips\": [";
    for (qsizetype i = 0; i < file.Uplatnice.size(); ++i) {
        out += i == 0 ? "\n" : ",\n";
        AppendSlip(out, file.Uplatnice[i]);
    }
    out += file.Uplatnice.isEmpty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

// Reads path, printing the reason on standard error when it fails.
std::optional<TUplReadResult> ReadOrComplain(const QString &path)
{
    TUplReadResult r = ReadUplFile(path);
    switch (r.Status) {
    case TUplReadResult::Ok:
        return r;
    case TUplReadResult::BadFormat:
    case TUplReadResult::IoError:
        Err(PathError(path, r.Error) + u'\n');
        break;
    }
    return std::nullopt;
}

// What standard output is, for a message about it: the file it was opened
// on where the system tells, else a description.
QString StandardOutputName()
{
    const QString target = QFileInfo(QStringLiteral("/proc/self/fd/1")).symLinkTarget();
    return target.isEmpty() ? QStringLiteral("standardni izlaz") : target;
}

} // namespace

int RunDump(const QStringList &args)
{
    if (args.size() != 1 || args[0].isEmpty()) {
        Err(UsageText());
        return 2;
    }
    const std::optional<TUplReadResult> r = ReadOrComplain(args[0]);
    if (!r)
        return 1;
    const QByteArray json = FileToJson(r->Header, *r->File);
    errno = 0;
    if (std::fwrite(json.constData(), 1, size_t(json.size()), stdout) != size_t(json.size()) ||
        std::fflush(stdout) != 0) {
        const int e = errno != 0 ? errno : EIO;
        Err(PathError(StandardOutputName(), SystemErrorText(e)) + u'\n');
        return 1;
    }
    return 0;
}

int RunConvert(const QStringList &args)
{
    if (args.size() != 2 || args[0].isEmpty() || args[1].isEmpty()) {
        Err(UsageText());
        return 2;
    }
    // Refused before the input is even read: the answer cannot change.
    if (const QString refused = CheckOutputPath(args[1], {args[0]}); !refused.isEmpty()) {
        Err(PathError(args[1], refused) + u'\n');
        return 1;
    }
    // Not between another writer's read and write of the same output (an
    // import appending to it would lose its slips or these).
    TFileLock lock(args[1]);
    if (!lock.Lock()) {
        Err(PathError(args[1], lock.ErrorText()) + u'\n');
        return 1;
    }
    std::optional<TUplReadResult> r = ReadOrComplain(args[0]);
    if (!r)
        return 1;
    TUplFile &file = *r->File;
    file.FileName = args[1];
    QString error;
    if (!WriteUplFile(file, &error, {args[0]})) {
        Err(PathError(args[1], error) + u'\n');
        return 1;
    }
    return 0;
}

} // namespace Cli

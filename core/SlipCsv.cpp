#include "core/SlipCsv.h"

#include "core/AppFolder.h"
#include "core/UplFileIO.h"
#include "core/Win1250.h"

#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <charconv>
#include <cmath>

namespace {

enum class TKind { Text, Date, Amount, Flag, States, Percent };

struct TColumn
{
    const char *Name;
    TKind Kind;
    int Limit;                     // editor limit of a text, 0 for none
    QString TUpl::*Text = nullptr; // the field of a text or date
};

const TColumn kColumns[] = {
    {"Opis", TKind::Text, 0, &TUpl::Opis},
    {"RacunPosiljaoca", TKind::Text, 16, &TUpl::RacunPosiljaoca},
    {"Posiljalac", TKind::Text, 150, &TUpl::Posiljalac},
    {"Svrha", TKind::Text, 150, &TUpl::Svrha},
    {"RacunPrimaoca", TKind::Text, 16, &TUpl::RacunPrimaoca},
    {"Primalac", TKind::Text, 150, &TUpl::Primalac},
    {"Iznos", TKind::Amount, 0},
    {"Hitno", TKind::Flag, 0},
    {"BrojObveznika", TKind::Text, 13, &TUpl::BrojObveznika},
    {"VrstaUplate", TKind::Text, 1, &TUpl::VrstaUplate},
    {"VrstaPrihoda", TKind::Text, 6, &TUpl::VrstaPrihoda},
    {"Opstina", TKind::Text, 3, &TUpl::Opstina},
    {"Poziv", TKind::Text, 10, &TUpl::Poziv},
    {"Budzetska", TKind::Text, 7, &TUpl::Budzetska},
    {"PeriodOd", TKind::Date, 6, &TUpl::PeriodOd},
    {"PeriodDo", TKind::Date, 6, &TUpl::PeriodDo},
    {"DatumUplate", TKind::Date, 6, &TUpl::DatumUplate},
    {"MjestoUplate", TKind::Text, 0, &TUpl::MjestoUplate},
    {"Stanja", TKind::States, 0},
    {"Oznacena", TKind::Flag, 0},
    {"Procenat", TKind::Percent, 0},
};
constexpr qsizetype kColumnCount = sizeof kColumns / sizeof kColumns[0];

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool IsGroupBlank(QChar c)
{
    return c == u' ' || c == u'\u00A0' || c == u'\u202F' || c == u'\'';
}

// The number in the form std::from_chars reads ("-1234.5"), or nothing.
std::optional<std::string> NormaliseNumber(QStringView text)
{
    text = text.trimmed();
    std::string out;
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        if (text.front() == u'-')
            out += '-';
        text = text.mid(1);
    }
    qsizetype dots = 0, commas = 0, lastDot = -1, lastComma = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'.')
            ++dots, lastDot = i;
        else if (c == u',')
            ++commas, lastComma = i;
        else if (!IsDigit(c) && !IsGroupBlank(c))
            return std::nullopt;
    }
    qsizetype decimal = -1; // position of the decimal separator
    if (dots > 0 && commas > 0) {
        decimal = std::max(lastDot, lastComma);
        if ((decimal == lastDot ? dots : commas) != 1)
            return std::nullopt;
    } else if (dots == 1) {
        decimal = lastDot;
    } else if (commas == 1) {
        decimal = lastComma;
    }
    const QStringView whole = decimal < 0 ? text : text.left(decimal);
    const QStringView fraction = decimal < 0 ? QStringView() : text.mid(decimal + 1);
    // Whole part: groups of three after the first when separated at all.
    qsizetype group = 0, groups = 0, digits = 0;
    bool separated = false;
    for (QChar c : whole) {
        if (IsDigit(c)) {
            out += char(c.unicode());
            ++group, ++digits;
            continue;
        }
        if (group == 0 || (groups > 0 && group != 3) || group > 3)
            return std::nullopt;
        separated = true;
        ++groups;
        group = 0;
    }
    if (separated && group != 3)
        return std::nullopt;
    if (decimal >= 0) {
        out += '.';
        for (QChar c : fraction) {
            if (!IsDigit(c))
                return std::nullopt;
            out += char(c.unicode());
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    return out;
}

template <typename T> std::optional<T> ParseAs(QStringView text)
{
    const std::optional<std::string> s = NormaliseNumber(text);
    if (!s)
        return std::nullopt;
    T value{};
    const char *end = s->data() + s->size();
    const auto res = std::from_chars(s->data(), end, value, std::chars_format::fixed);
    if (res.ec != std::errc() || res.ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

template <typename T> QString ShortestText(T value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
    char buf[512];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    QString text = QString::fromLatin1(buf, res.ptr - buf);
    text.replace(u'.', u',');
    return text;
}

// The first character of text that Windows-1250 has no byte for.
std::optional<QChar> FirstUnwritable(const QString &text)
{
    bool ascii = true;
    for (QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return std::nullopt;
    const QByteArray bytes = Win1250::Encode(text);
    for (qsizetype i = 0; i < text.size(); ++i)
        if (bytes[i] == '?' && text[i] != u'?')
            return text[i];
    return std::nullopt;
}

std::optional<bool> ParseFlag(QStringView text)
{
    const QString t = text.trimmed().toString().toLower();
    static const QStringList yes = {"1", "da", "true", "x", "yes", "hitno"};
    static const QStringList no = {"0", "ne", "false", "", "no"};
    if (yes.contains(t))
        return true;
    if (no.contains(t))
        return false;
    return std::nullopt;
}

std::optional<std::array<qint32, 16>> ParseStates(QStringView text)
{
    std::array<qint32, 16> states{};
    const auto parts = text.trimmed().split(u' ', Qt::SkipEmptyParts);
    if (text.trimmed().isEmpty())
        return states;
    if (parts.size() != 16)
        return std::nullopt;
    for (int i = 0; i < 16; ++i) {
        bool ok = false;
        states[i] = parts[i].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return states;
}

QString StatesText(const std::array<qint32, 16> &states)
{
    QString text;
    for (size_t i = 0; i < states.size(); ++i) {
        if (i > 0)
            text += u' ';
        text += QString::number(states[i]);
    }
    return text;
}

// Dates are kept as six characters without the mask's dots; spreadsheet users
// see and type them with the dots.
QString DateForSheet(const QString &stored)
{
    if (stored.size() != 6)
        return stored;
    return stored.left(2) + u'.' + stored.mid(2, 2) + u'.' + stored.mid(4, 2);
}

QString DateFromSheet(const QString &cell)
{
    if (cell.size() == 8 && cell[2] == u'.' && cell[5] == u'.')
        return cell.left(2) + cell.mid(3, 2) + cell.mid(6, 2);
    return cell;
}

QString Quoted(const QString &text)
{
    return QStringLiteral("„%1“").arg(text);
}

// Stores one cell into slip; returns the reason when the cell is refused.
std::optional<QString> Apply(const TColumn &col, const QString &cell, TUpl &slip,
                             bool checkCodePage)
{
    const QString name = QString::fromLatin1(col.Name);
    switch (col.Kind) {
    case TKind::Text:
    case TKind::Date: {
        const QString value = col.Kind == TKind::Date ? DateFromSheet(cell) : cell;
        if (checkCodePage)
            if (const auto c = FirstUnwritable(value))
                return QStringLiteral("%1 sadrži znak %2 koji Windows-1250 ne može zapisati")
                    .arg(name, Quoted(*c));
        if (col.Limit > 0 && value.size() > col.Limit)
            return QStringLiteral("%1 ima %2 znakova, a najviše je %3")
                .arg(name)
                .arg(value.size())
                .arg(col.Limit);
        slip.*col.Text = value;
        return std::nullopt;
    }
    case TKind::Amount: {
        if (cell.trimmed().isEmpty()) {
            slip.Iznos = 0;
            return std::nullopt;
        }
        const auto v = ParseCsvNumber(cell);
        if (!v)
            return QStringLiteral("%1 %2 nije broj").arg(name, Quoted(cell));
        slip.Iznos = *v;
        return std::nullopt;
    }
    case TKind::Percent: {
        if (cell.trimmed().isEmpty()) {
            slip.Procenat = 0;
            return std::nullopt;
        }
        const auto v = ParseCsvFloat(cell);
        if (!v)
            return QStringLiteral("%1 %2 nije broj").arg(name, Quoted(cell));
        slip.Procenat = *v;
        return std::nullopt;
    }
    case TKind::Flag: {
        const auto v = ParseFlag(cell);
        if (!v)
            return QStringLiteral("%1 %2 nije ni „da“ ni „ne“ (1 ili 0)").arg(name, Quoted(cell));
        (col.Name[0] == 'H' ? slip.Hitno : slip.Oznacena) = *v;
        return std::nullopt;
    }
    case TKind::States: {
        const auto v = ParseStates(cell);
        if (!v)
            return QStringLiteral("%1 %2 nije 16 cijelih brojeva odvojenih razmakom")
                .arg(name, Quoted(cell));
        slip.Stanja = *v;
        return std::nullopt;
    }
    }
    return std::nullopt;
}

} // namespace

const QStringList &SlipCsvColumns()
{
    static const QStringList names = [] {
        QStringList n;
        for (const TColumn &c : kColumns)
            n += QString::fromLatin1(c.Name);
        return n;
    }();
    return names;
}

QString CsvRefusalText(const TCsvRefusal &refusal)
{
    return QStringLiteral("Red %1: %2").arg(refusal.Row).arg(refusal.Reason);
}

std::optional<double> ParseCsvNumber(QStringView text)
{
    return ParseAs<double>(text);
}

std::optional<float> ParseCsvFloat(QStringView text)
{
    return ParseAs<float>(text);
}

QString CsvAmountText(double value)
{
    if (std::isfinite(value)) {
        char buf[512];
        const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
        double back = 0;
        std::from_chars(buf, res.ptr, back);
        if (back == value && !(value == 0 && std::signbit(value))) {
            QString text = QString::fromLatin1(buf, res.ptr - buf);
            text.replace(u'.', u',');
            return text;
        }
    }
    return ShortestText(value);
}

QString CsvFloatText(float value)
{
    return ShortestText(value);
}

TSlipCsvImport ImportSlipsCsv(const QByteArray &bytes, const TUpl &defaults)
{
    TSlipCsvImport result;
    const TCsvText decoded = DecodeCsvBytes(bytes);
    result.Encoding = decoded.Encoding;
    result.Separator = DetectCsvSeparator(decoded.Text);
    TCsvParse parse = ParseCsv(decoded.Text, result.Separator);
    if (!parse.Error.isEmpty()) {
        result.Error = parse.Error;
        return result;
    }
    if (parse.Records.isEmpty()) {
        result.Error = QStringLiteral("Datoteka je prazna");
        return result;
    }

    // Header: which column of the file feeds which field.
    const QStringList &header = parse.Records.front().Fields;
    QHash<QString, qsizetype> byName;
    for (qsizetype c = 0; c < kColumnCount; ++c)
        byName.insert(QString::fromLatin1(kColumns[c].Name).toLower(), c);
    QList<std::pair<qsizetype, const TColumn *>> used; // file column, field
    for (qsizetype i = 0; i < header.size(); ++i) {
        const QString cell = header[i].trimmed();
        const auto it = byName.constFind(cell.toLower());
        if (it == byName.constEnd()) {
            if (!cell.isEmpty())
                result.UnknownColumns += cell;
            continue;
        }
        for (const auto &u : used)
            if (u.second == &kColumns[*it]) {
                result.Error = QStringLiteral("Kolona %1 se ponavlja u prvom redu")
                                   .arg(QString::fromLatin1(kColumns[*it].Name));
                return result;
            }
        used.append({i, &kColumns[*it]});
    }
    if (used.isEmpty()) {
        result.Error = QStringLiteral("Prvi red ne imenuje nijedno polje uplatnice "
                                      "(Opis, RacunPosiljaoca, Svrha, Iznos, …)");
        return result;
    }

    const bool checkCodePage = decoded.Encoding != TCsvEncoding::Windows1250;
    for (qsizetype r = 1; r < parse.Records.size(); ++r) {
        const TCsvRecord &rec = parse.Records[r];
        bool blank = true;
        for (const QString &f : rec.Fields)
            if (!f.trimmed().isEmpty()) {
                blank = false;
                break;
            }
        if (blank)
            continue; // empty rows a spreadsheet leaves in its range
        bool refused = false;
        for (qsizetype i = header.size(); i < rec.Fields.size(); ++i)
            if (!rec.Fields[i].isEmpty()) {
                result.Refused.append(
                    {rec.Row, QStringLiteral("red ima %1 ćelija, a prvi red samo %2 kolona")
                                  .arg(rec.Fields.size())
                                  .arg(header.size())});
                refused = true;
                break;
            }
        TUpl slip = defaults;
        for (const auto &[index, col] : used) {
            const QString cell = rec.Fields.value(index);
            if (const auto reason = Apply(*col, cell, slip, checkCodePage)) {
                result.Refused.append({rec.Row, *reason});
                refused = true;
            }
        }
        if (!refused)
            result.Slips.append(std::move(slip));
    }
    return result;
}

QByteArray ExportSlipsCsv(const QList<TUpl> &slips)
{
    const QChar sep = u';';
    QString out;
    out.reserve(512 + slips.size() * 256);
    AppendCsvRecord(out, SlipCsvColumns(), sep);
    QStringList fields;
    for (const TUpl &s : slips) {
        fields.clear();
        for (const TColumn &c : kColumns) {
            switch (c.Kind) {
            case TKind::Text:
                fields += s.*c.Text;
                break;
            case TKind::Date:
                fields += DateForSheet(s.*c.Text);
                break;
            case TKind::Amount:
                fields += CsvAmountText(s.Iznos);
                break;
            case TKind::Flag:
                fields += QLatin1String((c.Name[0] == 'H' ? s.Hitno : s.Oznacena) ? "1" : "0");
                break;
            case TKind::States:
                fields += StatesText(s.Stanja);
                break;
            case TKind::Percent:
                fields += CsvFloatText(s.Procenat);
                break;
            }
        }
        AppendCsvRecord(out, fields, sep);
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

TUpl ImportDefaultSlip()
{
    const QString path = ProgramFile(QStringLiteral("Default1.upl"));
    if (QFileInfo::exists(path)) {
        TUplReadResult r = ReadUplFile(path);
        if (r.Status == TUplReadResult::Ok && !r.File->Uplatnice.isEmpty())
            return r.File->Uplatnice.front();
    }
    return NewSlip();
}

bool WriteWholeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    // Unbuffered: a buffered save file writes its last bytes inside commit(),
    // which then reports success for a file cut short by a full disk.
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 n = f.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            if (error)
                *error = f.errorString();
            f.cancelWriting();
            return false;
        }
        done += n;
    }
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

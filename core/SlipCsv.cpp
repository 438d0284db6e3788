#include "core/SlipCsv.h"

#include "core/AppFolder.h"
#include "core/CsvCells.h"
#include "core/NumberChecks.h"
#include "core/UplFileIO.h"
#include "core/Win1250.h"

#include <QFileInfo>
#include <QRegularExpression>
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
// Spreadsheets save a cell as shown, so a currency format brings its mark
// along. Only the slip's own currency is taken off; an amount in any other
// currency is no amount for the slip.
QStringView WithoutCurrency(QStringView text)
{
    for (QStringView mark : {u"KM", u"BAM"}) {
        if (text.endsWith(mark, Qt::CaseInsensitive))
            return text.chopped(mark.size()).trimmed();
        if (text.startsWith(mark, Qt::CaseInsensitive))
            return text.mid(mark.size()).trimmed();
    }
    return text;
}

std::optional<std::string> NormaliseNumber(QStringView text)
{
    text = WithoutCurrency(text.trimmed());
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

std::optional<bool> ParseFlag(QStringView text)
{
    text = text.trimmed();
    const auto any = [text](std::initializer_list<const char16_t *> words) {
        for (const char16_t *w : words)
            if (text.compare(QStringView(w), Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    // Also the words spreadsheets in Bosnian, Croatian or Serbian settings
    // write for logical cells.
    if (any({u"1", u"da", u"true", u"x", u"yes", u"hitno", u"istina", u"tačno", u"tacno"}))
        return true;
    if (text.isEmpty() ||
        any({u"0", u"ne", u"false", u"no", u"neistina", u"netačno", u"netacno", u"laž", u"laz"}))
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

QString Quoted(QStringView text)
{
    return QStringLiteral("„%1“").arg(text);
}

// "1,99044000120028E+015": what a spreadsheet makes of a long account typed
// into a number cell. The digits past the fifteenth are gone.
bool IsExponentForm(QStringView text)
{
    if (!text.contains(u'+'))
        return false; // the common case, without the expression
    static const QRegularExpression form(QStringLiteral("^\\d[.,]\\d+E\\+\\d+$"),
                                         QRegularExpression::CaseInsensitiveOption);
    return form.match(text.trimmed()).hasMatch();
}

// Stores one cell into slip; returns the reason when the cell is refused.
std::optional<QString> Apply(const TColumn &col, QStringView cell, TUpl &slip, bool checkCodePage)
{
    const QLatin1String name(col.Name);
    switch (col.Kind) {
    case TKind::Date: {
        TCsvCell date = CsvDateToField(cell, QString(name));
        if (!date.Ok())
            return date.Refusal;
        slip.*col.Text = std::move(date.Value);
        return std::nullopt;
    }
    case TKind::Text: {
        QString value = CsvFormulaUnguard(cell);
        if (col.Text == &TUpl::RacunPosiljaoca || col.Text == &TUpl::RacunPrimaoca)
            value = CsvAccountText(value);
        if (checkCodePage)
            if (const qsizetype bad = Win1250::FirstUnencodable(value); bad >= 0)
                return QStringLiteral("%1 sadrži znak %2 koji Windows-1250 ne može zapisati")
                    .arg(name, Quoted(value.mid(bad, 1)));
        if (col.Limit > 0 && IsExponentForm(value))
            return QStringLiteral("%1 %2 je u tabeli zapisan kao broj i izgubio je cifre; "
                                  "formatirajte tu kolonu kao tekst")
                .arg(name, Quoted(value));
        if (const auto damage = CsvNumberDamage(QString(name), value))
            return damage;
        if (col.Limit > 0 && value.size() > col.Limit)
            return QStringLiteral("%1 ima %2 znakova, a najviše je %3")
                .arg(name)
                .arg(value.size())
                .arg(col.Limit);
        slip.*col.Text = std::move(value);
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
        const auto v = ParseCsvPercent(cell);
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
    TCsvReader reader(decoded.Text, result.Separator);
    if (!reader.Next()) {
        result.Error =
            reader.Error().isEmpty() ? QStringLiteral("Datoteka je prazna") : reader.Error();
        return result;
    }

    // Header: which column of the file feeds which field.
    const qsizetype headerSize = reader.FieldCount();
    QList<std::pair<qsizetype, const TColumn *>> used; // file column, field
    for (qsizetype i = 0; i < headerSize; ++i) {
        const QStringView cell = reader.Field(i).trimmed();
        const TColumn *col = nullptr;
        for (const TColumn &c : kColumns)
            if (cell.compare(QLatin1String(c.Name), Qt::CaseInsensitive) == 0)
                col = &c;
        if (!col) {
            if (!cell.isEmpty())
                result.UnknownColumns += cell.toString();
            continue;
        }
        for (const auto &u : used)
            if (u.second == col) {
                result.Error = QStringLiteral("Kolona %1 se ponavlja u prvom redu")
                                   .arg(QLatin1String(col->Name));
                return result;
            }
        used.append({i, col});
    }
    if (used.isEmpty()) {
        result.Error = QStringLiteral("Prvi red ne imenuje nijedno polje uplatnice "
                                      "(Opis, RacunPosiljaoca, Svrha, Iznos, …)");
        return result;
    }

    const bool checkCodePage = decoded.Encoding != TCsvEncoding::Windows1250;
    while (reader.Next()) {
        bool blank = true;
        for (qsizetype i = 0; i < reader.FieldCount() && blank; ++i)
            blank = reader.Field(i).trimmed().isEmpty();
        if (blank)
            continue; // empty rows a spreadsheet leaves in its range
        bool refused = false;
        for (qsizetype i = headerSize; i < reader.FieldCount(); ++i)
            if (!reader.Field(i).isEmpty()) {
                result.Refused.append(
                    {reader.Row(), QStringLiteral("red ima %1 ćelija, a prvi red samo %2 kolona")
                                       .arg(reader.FieldCount())
                                       .arg(headerSize)});
                refused = true;
                break;
            }
        TUpl slip = defaults;
        for (const auto &[index, col] : used) {
            const QStringView cell =
                index < reader.FieldCount() ? reader.Field(index) : QStringView();
            if (const auto reason = Apply(*col, cell, slip, checkCodePage)) {
                result.Refused.append({reader.Row(), *reason});
                refused = true;
            }
        }
        if (refused)
            continue;
        // The checks print makes, reported here already; they do not refuse.
        if (const QStringList problems = SlipCheckProblems(slip); !problems.isEmpty())
            result.Warnings.append({reader.Row(), problems.join(QStringLiteral("; "))});
        result.Slips.append(std::move(slip));
    }
    if (!reader.Error().isEmpty()) {
        result.Error = reader.Error();
        result.Slips.clear();
        result.Refused.clear();
        result.Warnings.clear();
    }
    return result;
}

QByteArray ExportSlipsCsv(const QList<TUpl> &slips)
{
    const QChar sep = u';';
    QString out;
    out.reserve(512 + slips.size() * 256);
    AppendCsvRecord(out, SlipCsvColumns(), sep);
    for (const TUpl &s : slips) {
        for (const TColumn &c : kColumns) {
            if (&c != kColumns)
                out += sep;
            switch (c.Kind) {
            case TKind::Text:
                AppendCsvField(out, CsvFormulaGuard(s.*c.Text), sep);
                break;
            case TKind::Date:
                AppendCsvField(out, CsvDateFromField(s.*c.Text), sep);
                break;
            case TKind::Amount:
                out += CsvAmountText(s.Iznos);
                break;
            case TKind::Flag:
                out += (c.Name[0] == 'H' ? s.Hitno : s.Oznacena) ? u'1' : u'0';
                break;
            case TKind::States:
                out += StatesText(s.Stanja);
                break;
            case TKind::Percent:
                out += CsvFloatText(s.Procenat);
                break;
            }
        }
        out += QLatin1String("\r\n");
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

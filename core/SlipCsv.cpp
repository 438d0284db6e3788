#include "core/SlipCsv.h"

#include "core/AppFolder.h"
#include "core/CsvCells.h"
#include "core/NumberChecks.h"
#include "core/SafeFile.h"
#include "core/UplFileIO.h"
#include "core/Win1250.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <charconv>
#include <cmath>
#include <cstring>

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

namespace {

constexpr qsizetype kRefusalsKept = 100;
// A record longer than this is no spreadsheet row (a quote left open, most
// likely); it is refused rather than held whole.
constexpr qsizetype kLongestRecord = qsizetype(16) << 20;

// Bytes from a file or from memory, read from the start again when asked.
class TByteSource
{
public:
    virtual ~TByteSource() = default;
    // Up to size bytes; 0 at the end, -1 on a read error (ErrorText()).
    virtual qint64 Read(char *data, qint64 size) = 0;
    virtual bool Rewind() = 0;
    virtual QString ErrorText() const { return {}; }
};

class TMemorySource : public TByteSource
{
public:
    explicit TMemorySource(const QByteArray &bytes) : m_bytes(bytes) {}
    qint64 Read(char *data, qint64 size) override
    {
        const qint64 n = std::min<qint64>(size, m_bytes.size() - m_pos);
        std::memcpy(data, m_bytes.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    bool Rewind() override
    {
        m_pos = 0;
        return true;
    }

private:
    const QByteArray &m_bytes;
    qsizetype m_pos = 0;
};

class TFileSource : public TByteSource
{
public:
    explicit TFileSource(QFile &file) : m_file(file) {}
    qint64 Read(char *data, qint64 size) override
    {
        // No further than the size at opening: a growing file cannot make
        // the import run on.
        const qint64 left = m_size - m_pos;
        if (left <= 0)
            return 0;
        const qint64 n = m_file.read(data, std::min(size, left));
        if (n > 0)
            m_pos += n;
        return n;
    }
    bool Rewind() override
    {
        m_pos = 0;
        return m_file.seek(0);
    }
    QString ErrorText() const override { return m_file.errorString(); }

private:
    QFile &m_file;
    qint64 m_size = m_file.size();
    qint64 m_pos = 0;
};

// Bytes to be read at the next call: the end of data may cut a UTF-8
// character, whose start waits for the next piece.
qsizetype WholeUtf8(const char *data, qsizetype size)
{
    qsizetype i = size;
    for (int back = 0; back < 3 && i > 0 && (uchar(data[i - 1]) & 0xC0) == 0x80; ++back)
        --i;
    if (i == 0)
        return size;
    const uchar lead = uchar(data[i - 1]);
    const qsizetype need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return need > size - (i - 1) ? i - 1 : size;
}

// Decoded text, piece by piece, in the encoding DecodeCsvBytes would find.
class TCsvDecoder
{
public:
    TCsvDecoder(TByteSource &source, qsizetype chunk) : m_source(source), m_chunk(chunk) {}

    // Finds the encoding (reading a file without a mark through once).
    bool Start(QString *error)
    {
        if (!Fill(4, error))
            return false;
        if (m_pending.startsWith("\xEF\xBB\xBF")) {
            Encoding = TCsvEncoding::Utf8Bom;
            m_pending.remove(0, 3);
            m_utf8 = Utf8Pieces();
            return true;
        }
        if (m_pending.startsWith("\xFF\xFE") || m_pending.startsWith("\xFE\xFF")) {
            if (const auto encoding = QStringConverter::encodingForData(m_pending)) {
                Encoding = TCsvEncoding::Utf16;
                m_utf16 = QStringDecoder(*encoding); // keeps state; drops the mark
                return true;
            }
        }
        // UTF-8 only when the whole file is: one pass to find out.
        QStringDecoder check(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        bool valid = true;
        for (;;) {
            const qsizetype whole =
                m_eof ? m_pending.size() : WholeUtf8(m_pending.constData(), m_pending.size());
            // decode() is lazy: the text must be made for the check to run.
            const QString text = check.decode(QByteArrayView(m_pending.constData(), whole));
            if (check.hasError()) {
                valid = false;
                break;
            }
            m_pending.remove(0, whole);
            if (m_eof)
                break;
            if (!Fill(m_pending.size() + m_chunk, error))
                return false;
        }
        if (!m_source.Rewind()) {
            if (error)
                *error = m_source.ErrorText();
            return false;
        }
        m_pending.clear();
        m_eof = false;
        Encoding = valid ? TCsvEncoding::Utf8 : TCsvEncoding::Windows1250;
        if (valid)
            m_utf8 = Utf8Pieces();
        return true;
    }

    // Appends the next piece of at least about want characters to text;
    // false at the end (AtEnd()) or on a read error.
    bool Next(QString &text, qsizetype want, QString *error)
    {
        if (m_eof && m_pending.isEmpty())
            return false;
        if (!Fill(std::max(want, m_chunk), error))
            return false;
        qsizetype take = m_pending.size();
        if (Encoding == TCsvEncoding::Utf8 || Encoding == TCsvEncoding::Utf8Bom) {
            if (!m_eof)
                take = WholeUtf8(m_pending.constData(), m_pending.size());
            text += m_utf8.decode(QByteArrayView(m_pending.constData(), take));
        } else if (Encoding == TCsvEncoding::Utf16) {
            text += m_utf16.decode(QByteArrayView(m_pending.constData(), take));
        } else {
            text += Win1250::Decode(m_pending.constData(), take);
        }
        m_pending.remove(0, take);
        return true;
    }
    bool AtEnd() const { return m_eof && m_pending.isEmpty(); }

    TCsvEncoding Encoding = TCsvEncoding::Utf8;

private:
    // Each piece ends on a whole character, so no state is carried; a byte
    // order mark at the start of a piece is inside the text and stays there.
    static QStringDecoder Utf8Pieces()
    {
        return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                        QStringDecoder::Flag::ConvertInitialBom);
    }

    // Reads until pending holds size bytes or the source ends.
    bool Fill(qsizetype size, QString *error)
    {
        while (!m_eof && m_pending.size() < size) {
            const qsizetype had = m_pending.size();
            m_pending.resize(size);
            const qint64 n = m_source.Read(m_pending.data() + had, size - had);
            m_pending.resize(had + std::max<qint64>(n, 0));
            if (n < 0) {
                if (error)
                    *error = m_source.ErrorText();
                return false;
            }
            if (n == 0)
                m_eof = true;
        }
        return true;
    }

    TByteSource &m_source;
    qsizetype m_chunk;
    QByteArray m_pending; // read, not yet decoded
    bool m_eof = false;
    QStringDecoder m_utf8;
    QStringDecoder m_utf16;
};

// The header's meaning and the rows after it.
class TSlipRows
{
public:
    TSlipRows(TSlipCsvImport &result, const TUpl &defaults, const TSlipSink &take)
        : m_result(result), m_defaults(defaults), m_take(take)
    {}

    // Which column of the file feeds which field; false when the header is refused.
    bool Header(const TCsvReader &reader)
    {
        m_headerSize = reader.FieldCount();
        for (qsizetype i = 0; i < m_headerSize; ++i) {
            const QStringView cell = reader.Field(i).trimmed();
            const TColumn *col = nullptr;
            for (const TColumn &c : kColumns)
                if (cell.compare(QLatin1String(c.Name), Qt::CaseInsensitive) == 0)
                    col = &c;
            if (!col) {
                if (!cell.isEmpty())
                    m_result.UnknownColumns += cell.toString();
                continue;
            }
            for (const auto &u : m_used)
                if (u.second == col) {
                    m_result.Error = QStringLiteral("Kolona %1 se ponavlja u prvom redu")
                                         .arg(QLatin1String(col->Name));
                    return false;
                }
            m_used.append({i, col});
        }
        if (m_used.isEmpty()) {
            m_result.Error = QStringLiteral("Prvi red ne imenuje nijedno polje uplatnice "
                                            "(Opis, RacunPosiljaoca, Svrha, Iznos, …)");
            return false;
        }
        return true;
    }

    void Row(const TCsvReader &reader, bool checkCodePage)
    {
        bool blank = true;
        for (qsizetype i = 0; i < reader.FieldCount() && blank; ++i)
            blank = reader.Field(i).trimmed().isEmpty();
        if (blank)
            return; // empty rows a spreadsheet leaves in its range
        bool refused = false;
        for (qsizetype i = m_headerSize; i < reader.FieldCount(); ++i)
            if (!reader.Field(i).isEmpty()) {
                Refuse({reader.Row(), QStringLiteral("red ima %1 ćelija, a prvi red samo %2 kolona")
                                          .arg(reader.FieldCount())
                                          .arg(m_headerSize)});
                refused = true;
                break;
            }
        TUpl slip = m_defaults;
        for (const auto &[index, col] : m_used) {
            const QStringView cell =
                index < reader.FieldCount() ? reader.Field(index) : QStringView();
            if (const auto reason = Apply(*col, cell, slip, checkCodePage)) {
                Refuse({reader.Row(), *reason});
                refused = true;
            }
        }
        if (!refused) {
            // The checks print makes, reported here already; they do not refuse.
            if (const QStringList problems = SlipCheckProblems(slip); !problems.isEmpty()) {
                if (m_result.Warnings.size() < kRefusalsKept)
                    m_result.Warnings.append({reader.Row(), problems.join(QStringLiteral("; "))});
                else
                    ++m_result.MoreWarnings;
            }
            ++m_result.Taken;
            m_take(std::move(slip));
        }
    }

private:
    void Refuse(TCsvRefusal refusal)
    {
        if (m_result.Refused.size() < kRefusalsKept)
            m_result.Refused.append(std::move(refusal));
        else
            ++m_result.MoreRefused;
    }

    TSlipCsvImport &m_result;
    const TUpl &m_defaults;
    const TSlipSink &m_take;
    qsizetype m_headerSize = 0;
    QList<std::pair<qsizetype, const TColumn *>> m_used; // file column, field
};

TSlipCsvImport ImportFrom(TByteSource &source, const TUpl &defaults, const TSlipSink &take,
                          qsizetype chunk)
{
    TSlipCsvImport result;
    TCsvDecoder decoder(source, chunk);
    QString readError;
    auto failRead = [&] {
        result.Error = readError.isEmpty() ? QStringLiteral("čitanje nije uspjelo") : readError;
        return result;
    };
    if (!decoder.Start(&readError))
        return failRead();
    result.Encoding = decoder.Encoding;

    QString text;
    // The separator is the header line's: read on until the text has a line
    // end outside quotes, where DetectCsvSeparator stops (or the file ends).
    const auto headerEnds = [](QStringView t) {
        bool quoted = false;
        for (QChar c : t) {
            if (c == u'"')
                quoted = !quoted;
            else if (!quoted && (c == u'\n' || c == u'\r'))
                return true;
        }
        return false;
    };
    while (!headerEnds(text) && text.size() < kLongestRecord && !decoder.AtEnd())
        if (!decoder.Next(text, chunk, &readError))
            return failRead();
    result.Separator = DetectCsvSeparator(text);

    TSlipRows rows(result, defaults, take);
    const bool checkCodePage = decoder.Encoding != TCsvEncoding::Windows1250;
    bool header = true;
    qsizetype row = 0;
    for (;;) {
        TCsvReader reader(text, result.Separator);
        reader.StartAtRow(row);
        reader.SetMoreToCome(!decoder.AtEnd());
        while (reader.Next()) {
            if (header) {
                header = false;
                if (!rows.Header(reader))
                    return result;
            } else {
                rows.Row(reader, checkCodePage);
            }
        }
        if (!reader.Error().isEmpty()) {
            result.Error = reader.Error();
            return result;
        }
        row = reader.Row();
        if (!reader.NeedsMore())
            break;
        text.remove(0, reader.Consumed());
        if (text.size() >= kLongestRecord) {
            result.Error =
                QStringLiteral("Red %1: red je duži od %2 znakova (navodnici možda nisu zatvoreni)")
                    .arg(row + 1)
                    .arg(kLongestRecord);
            return result;
        }
        // A record longer than the piece: read as much again as is waiting,
        // so that a long record is gone over a few times, not once per piece.
        if (!decoder.Next(text, std::max(chunk, text.size()), &readError))
            return failRead();
    }
    if (header && result.Error.isEmpty())
        result.Error = QStringLiteral("Datoteka je prazna");
    return result;
}

} // namespace

TSlipCsvImport ImportSlipsCsv(const QByteArray &bytes, const TUpl &defaults, qsizetype chunk)
{
    TMemorySource source(bytes);
    TSlipCsvImport result;
    QList<TUpl> slips;
    result = ImportFrom(
        source, defaults, [&slips](TUpl &&slip) { slips.append(std::move(slip)); }, chunk);
    if (result.Error.isEmpty())
        result.Slips = std::move(slips);
    else
        result.Refused.clear(), result.MoreRefused = 0, result.Taken = 0, result.Warnings.clear(),
            result.MoreWarnings = 0;
    return result;
}

TSlipCsvImport ImportSlipsCsvFile(const QString &path, const TUpl &defaults, const TSlipSink &take)
{
    QFile file;
    TSlipCsvImport result;
    if (!OpenRegularFile(file, path, &result.Error))
        return result;
    TFileSource source(file);
    result = ImportFrom(source, defaults, take, qsizetype(1) << 20);
    if (!result.Error.isEmpty())
        result.Refused.clear(), result.MoreRefused = 0, result.Taken = 0, result.Warnings.clear(),
            result.MoreWarnings = 0;
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

QString ImportDefaultPath()
{
    return ProgramFile(QStringLiteral("Default1.upl"));
}

std::optional<TUpl> ImportDefaultSlip(QString *error)
{
    // Only a missing file means "no defaults"; one that is there but cannot
    // be used would leave the slips without what the user put into it.
    const QString path = ImportDefaultPath();
    QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return NewSlip();
    const TUplReadResult r = ReadUplFile(path);
    if (r.Status != TUplReadResult::Ok) {
        if (error)
            *error = PathError(path, r.Error);
        return std::nullopt;
    }
    if (r.File->Uplatnice.isEmpty())
        return NewSlip();
    return r.File->Uplatnice.front();
}

bool WriteSlipsCsv(const QString &path, const QList<TUpl> &slips, QString *error,
                   const QStringList &inputs)
{
    // In batches, so that a large file is never held whole as text; each
    // batch after the first leaves out the mark and the header it repeats.
    constexpr qsizetype batch = 4096;
    const qsizetype prefix = ExportSlipsCsv({}).size();
    TAtomicWriter w(path);
    if (w.Open(inputs)) {
        if (slips.isEmpty())
            w.Write(ExportSlipsCsv({}));
        for (qsizetype i = 0; i < slips.size() && !w.Failed(); i += batch) {
            const QByteArray bytes = ExportSlipsCsv(slips.mid(i, batch));
            const qsizetype skip = i == 0 ? 0 : prefix;
            w.Write(bytes.constData() + skip, bytes.size() - skip);
        }
        if (!w.Failed())
            w.Commit();
    }
    if (w.Failed() && error)
        *error = w.ErrorText();
    return !w.Failed();
}

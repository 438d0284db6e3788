#include "core/CsvCells.h"

#include "core/NumberChecks.h"
#include "core/SlipCsv.h"

#include <QDate>
#include <QRegularExpression>

namespace {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool AllDigits(QStringView text)
{
    for (QChar c : text)
        if (!IsDigit(c))
            return false;
    return !text.isEmpty();
}

QString Quoted(QStringView text)
{
    return QStringLiteral("„%1“").arg(text);
}

QString TwoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

TCsvCell Refuse(QString reason)
{
    return {QString(), std::move(reason)};
}

// The date as stored, or the reason: day and month must exist in the year.
TCsvCell DateOf(int day, int month, int year, QStringView cell, QStringView column)
{
    if (year < 2000 || year > 2099)
        return Refuse(QStringLiteral("%1 %2: polje čuva godinu sa dvije cifre, pa su moguće "
                                     "samo godine od 2000. do 2099.")
                          .arg(column, Quoted(cell)));
    if (!QDate::isValid(year, month, day))
        return Refuse(QStringLiteral("%1 %2 nije postojeći datum").arg(column, Quoted(cell)));
    return {TwoDigits(day) + TwoDigits(month) + TwoDigits(year % 100), {}};
}

bool IsFormulaStart(QChar c)
{
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r';
}

} // namespace

TCsvCell CsvDateToField(QStringView cell, QStringView column)
{
    // The export's own shape with blank positions: an unfinished date of the
    // editor, kept as it is (all blanks is no date at all).
    static const QRegularExpression partial(
        QStringLiteral("^([0-9 ]{2})\\.([0-9 ]{2})\\.([0-9 ]{2})$"));
    if (const auto m = partial.match(cell); m.hasMatch() && cell.contains(u' ')) {
        const QString stored = m.captured(1) + m.captured(2) + m.captured(3);
        return {stored.trimmed().isEmpty() ? QString() : stored, {}};
    }
    const QStringView text = cell.trimmed();
    if (text.isEmpty())
        return {};
    if (text.size() == 6 && AllDigits(text))
        return DateOf(text.left(2).toInt(), text.mid(2, 2).toInt(), 2000 + text.mid(4).toInt(),
                      cell, column);

    static const QRegularExpression dotted(
        QStringLiteral("^(\\d{1,2})\\. ?(\\d{1,2})\\. ?(\\d{2}|\\d{4})\\.?$"));
    if (const auto m = dotted.match(text); m.hasMatch()) {
        const int year = m.capturedView(3).toInt();
        return DateOf(m.capturedView(1).toInt(), m.capturedView(2).toInt(),
                      m.capturedView(3).size() == 2 ? 2000 + year : year, cell, column);
    }
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    if (const auto m = iso.match(text); m.hasMatch())
        return DateOf(m.capturedView(3).toInt(), m.capturedView(2).toInt(),
                      m.capturedView(1).toInt(), cell, column);

    // A date column kept as numbers: 010726 becomes 10726, and a date cell
    // written without its format is a day count such as 46204.
    if (text.size() == 5 && AllDigits(text))
        return Refuse(QStringLiteral("%1 %2 je u tabeli zapisan kao broj; formatirajte tu "
                                     "kolonu kao tekst ili datum")
                          .arg(column, Quoted(cell)));
    return Refuse(QStringLiteral("%1 %2 nije datum (dd.mm.gg, d.m.gggg ili gggg-mm-dd)")
                      .arg(column, Quoted(cell)));
}

QString CsvDateFromField(const QString &stored)
{
    if (stored.size() != 6)
        return stored;
    return stored.left(2) + u'.' + stored.mid(2, 2) + u'.' + stored.mid(4, 2);
}

std::optional<float> ParseCsvPercent(QStringView cell)
{
    QStringView text = cell.trimmed();
    if (text.endsWith(u'%')) {
        text.chop(1);
        // Spreadsheets put a (no-break) blank before the sign in some settings.
        while (!text.isEmpty() &&
               (text.back().isSpace() || text.back() == u'\u00A0' || text.back() == u'\u202F'))
            text.chop(1);
        if (text.isEmpty())
            return std::nullopt;
    }
    return ParseCsvFloat(text);
}

QString CsvAccountText(QStringView cell)
{
    QString digits;
    for (QChar c : cell) {
        if (IsDigit(c))
            digits += c;
        else if (c != u' ' && c != u'-' && c != u'\u00A0' && c != u'\u202F' && c != u'\t')
            return cell.toString();
    }
    return digits.size() == 16 ? digits : cell.toString();
}

std::optional<QString> CsvNumberDamage(QStringView column, QStringView value)
{
    const QString asText = QStringLiteral("; formatirajte tu kolonu kao tekst");
    if (column == u"RacunPosiljaoca" || column == u"RacunPrimaoca") {
        if (value.size() != 16 || !AllDigits(value) || value.back() != u'0')
            return std::nullopt;
        if (AccountCheckDigits(value) == value.mid(14).toInt())
            return std::nullopt;
        // A number cell holds 15 significant digits: the account came in
        // rounded (up to 5 below or 4 above) or cut (up to 9 above).
        const qint64 shown = value.toLongLong();
        for (qint64 d = -5; d <= 9; ++d) {
            const QString original = QString::number(shown + d);
            if (original.size() == 16 && AccountCheckDigits(original) == original.mid(14).toInt())
                return QStringLiteral("%1 %2 nije ispravan račun, a završava nulom: tabela ga je "
                                      "čuvala kao broj i izgubila mu je posljednju cifru")
                           .arg(column, Quoted(value)) +
                       asText;
        }
        return std::nullopt;
    }
    if (column == u"BrojObveznika" && value.size() == 12 && AllDigits(value))
        return QStringLiteral("%1 %2 ima 12 cifara: tabela ga je čuvala kao broj i izostavila "
                              "mu je vodeću nulu")
                   .arg(column, Quoted(value)) +
               asText;
    if (column == u"Opstina" && (value.size() == 1 || value.size() == 2) && AllDigits(value))
        return QStringLiteral("%1 %2 ima manje od tri cifre: tabela ga je čuvala kao broj i "
                              "izostavila mu je vodeće nule")
                   .arg(column, Quoted(value)) +
               asText;
    return std::nullopt;
}

QString CsvFormulaGuard(const QString &text)
{
    if (!text.isEmpty() && (IsFormulaStart(text.front()) || text.front() == u'\''))
        return u'\'' + text;
    return text;
}

QString CsvFormulaUnguard(QStringView cell)
{
    if (cell.size() >= 2 && cell.front() == u'\'' && (IsFormulaStart(cell[1]) || cell[1] == u'\''))
        return cell.mid(1).toString();
    return cell.toString();
}

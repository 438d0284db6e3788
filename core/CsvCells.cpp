#include "core/CsvCells.h"

#include "core/NumberChecks.h"
#include "core/SlipCsv.h"

#include <QDate>

#include <algorithm>

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

QChar Digit(int n)
{
    return QChar(u'0' + n);
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
    const int y = year % 100;
    const QChar stored[6] = {Digit(day / 10),   Digit(day % 10), Digit(month / 10),
                             Digit(month % 10), Digit(y / 10),   Digit(y % 10)};
    return {QString(stored, 6), {}};
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
    if (cell.size() == 8 && cell[2] == u'.' && cell[5] == u'.' && cell.contains(u' ')) {
        QString stored;
        for (qsizetype i : {0, 1, 3, 4, 6, 7})
            stored += cell[i];
        if (std::all_of(stored.cbegin(), stored.cend(),
                        [](QChar c) { return IsDigit(c) || c == u' '; }))
            return {stored.trimmed().isEmpty() ? QString() : stored, {}};
    }
    const QStringView text = cell.trimmed();
    if (text.isEmpty())
        return {};
    if (text.size() == 6 && AllDigits(text))
        return DateOf(text.left(2).toInt(), text.mid(2, 2).toInt(), 2000 + text.mid(4).toInt(),
                      cell, column);

    // D.M.YY … DD.MM.YYYY, a final dot and one blank after each dot allowed;
    // or YYYY-MM-DD. Read by hand: this runs for three cells of every row.
    qsizetype pos = 0;
    const auto number = [&text, &pos](int &value) {
        const qsizetype from = pos;
        value = 0;
        while (pos < text.size() && IsDigit(text[pos]))
            value = value * 10 + (text[pos++].unicode() - u'0');
        return pos - from;
    };
    const auto skip = [&text, &pos](QChar c) {
        if (pos < text.size() && text[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    };
    int a = 0, b = 0, c = 0;
    const qsizetype first = number(a);
    if (first == 4 && skip(u'-') && number(b) == 2 && skip(u'-') && number(c) == 2 &&
        pos == text.size())
        return DateOf(c, b, a, cell, column);
    pos = first;
    if (first >= 1 && first <= 2 && skip(u'.')) {
        skip(u' ');
        const qsizetype second = number(b);
        if (second >= 1 && second <= 2 && skip(u'.')) {
            skip(u' ');
            const qsizetype third = number(c);
            skip(u'.');
            if ((third == 2 || third == 4) && pos == text.size())
                return DateOf(a, b, third == 2 ? 2000 + c : c, cell, column);
        }
    }

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

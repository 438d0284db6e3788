#include "controls/NumberRules.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int SignificantDigits = 15;

bool IsAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Qt writes exponents as "e+20" / "e-07"; the edit shows "E20" / "E-7".
QString TidyExponent(const QString &s)
{
    const qsizetype e = s.indexOf(u'e');
    if (e < 0)
        return s;
    const int exponent = s.mid(e + 1).toInt();
    return s.left(e) + u'E' + QString::number(exponent);
}

QString GeneralForm(double value)
{
    return TidyExponent(QString::number(value, 'g', SignificantDigits));
}

// Fixed point with `decimals` digits where those reach past the 15th
// significant digit: the 15 digits, then zeros.
QString PaddedFixed(double value, int decimals)
{
    const QString e = QString::number(std::fabs(value), 'e', SignificantDigits - 1);
    const qsizetype ePos = e.indexOf(u'e');
    const int exponent = e.mid(ePos + 1).toInt();
    QString digits = e.left(ePos);
    digits.remove(u'.');

    QString intPart;
    QString fracPart;
    if (exponent >= 0) {
        intPart = digits.left(exponent + 1);
        fracPart = digits.mid(exponent + 1);
    } else {
        intPart = QStringLiteral("0");
        fracPart = QString(-exponent - 1, u'0') + digits;
    }
    fracPart = fracPart.leftJustified(decimals, u'0');
    QString s = intPart;
    if (decimals > 0)
        s += u'.' + fracPart;
    return value < 0 ? u'-' + s : s;
}

} // namespace

QChar LocaleDecimalSeparator(const QLocale &locale)
{
    const QString point = locale.decimalPoint();
    return point.isEmpty() ? QChar(u'.') : point.at(0);
}

std::optional<double> ParseNumber(const QString &text, QChar separator)
{
    const QString s = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = s.size();
    QByteArray ascii;
    ascii.reserve(n + 2);

    if (i < n && (s[i] == u'-' || s[i] == u'+' || s[i] == QChar(0x2212))) {
        if (s[i] != u'+')
            ascii += '-';
        ++i;
    }
    qsizetype intDigits = 0;
    while (i < n && IsAsciiDigit(s[i])) {
        ascii += char(s[i].unicode());
        ++i;
        ++intDigits;
    }
    if (intDigits == 0)
        ascii += '0';
    qsizetype fracDigits = 0;
    if (i < n && s[i] == separator) {
        ++i;
        ascii += '.';
        while (i < n && IsAsciiDigit(s[i])) {
            ascii += char(s[i].unicode());
            ++i;
            ++fracDigits;
        }
        if (fracDigits == 0)
            ascii += '0';
    }
    if (intDigits + fracDigits == 0)
        return std::nullopt;
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        ascii += 'e';
        ++i;
        if (i < n && (s[i] == u'-' || s[i] == u'+')) {
            ascii += char(s[i].unicode());
            ++i;
        }
        qsizetype expDigits = 0;
        while (i < n && IsAsciiDigit(s[i])) {
            ascii += char(s[i].unicode());
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;

    bool ok = false;
    const double value = QLocale::c().toDouble(QString::fromLatin1(ascii), &ok);
    // Qt reports an overflow as failure; an underflow to zero is fine.
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString FormatNumber(double value, int decimals, QChar separator)
{
    if (!std::isfinite(value))
        return QString();
    QString s;
    if (decimals < 0 || value == 0) {
        s = decimals < 0 ? GeneralForm(value) : QString::number(0.0, 'f', decimals);
    } else {
        const QString e = QString::number(value, 'e', SignificantDigits - 1);
        const int exponent = e.mid(e.indexOf(u'e') + 1).toInt();
        if (exponent >= SignificantDigits)
            s = GeneralForm(value);
        else if (exponent + 1 + decimals <= SignificantDigits)
            s = QString::number(value, 'f', decimals);
        else
            s = PaddedFixed(value, decimals);
    }
    // -0.001 with two decimals is "0.00", not "-0.00".
    if (s.startsWith(u'-')) {
        bool nonZero = false;
        for (QChar c : s) {
            if (c == u'E')
                break;
            if (c >= u'1' && c <= u'9')
                nonZero = true;
        }
        if (!nonZero)
            s.remove(0, 1);
    }
    s.replace(u'.', separator);
    return s;
}

bool CheckRange(double &value, TCheckType checkType, double minValue, double maxValue)
{
    switch (checkType) {
    case ctNone:
        return true;
    case ctCheckMax:
        if (value <= maxValue)
            return true;
        value = maxValue;
        return false;
    case ctCheckMin:
        if (value >= minValue)
            return true;
        value = minValue;
        return false;
    case ctCheckInside:
        if (value >= minValue && value <= maxValue)
            return true;
        value = value < minValue ? minValue : maxValue;
        return false;
    case ctCheckOutside:
        if (value <= minValue || value >= maxValue)
            return true;
        value = value < (minValue + maxValue) / 2 ? minValue : maxValue;
        return false;
    }
    return true;
}

int MaxWholeDigits(int decimals)
{
    return std::max(1, SignificantDigits - std::max(decimals, 0));
}

bool FitsShownDigits(double value, int decimals)
{
    if (decimals < 0)
        return true;
    return std::fabs(value) < std::pow(10.0, MaxWholeDigits(decimals));
}

TKeyDecision FilterKeystroke(QChar ch, const QString &text, int cursor, int selectionStart,
                             int decimals, QChar separator, int selectionLength)
{
    // The caret, or the start of the selection when there is one.
    const int position = selectionStart >= 0 ? selectionStart : cursor;

    if (ch == separator) {
        if (decimals == 0)
            return {TKeyAction::Refuse};
        const qsizetype existing = text.indexOf(separator);
        if (existing >= 0)
            return {TKeyAction::SelectToEnd, int(existing) + 1};
        return {TKeyAction::Accept};
    }
    if (ch == u'-') {
        if (text.startsWith(u'-'))
            return {TKeyAction::SelectToEnd, 1};
        return {position == 0 ? TKeyAction::Accept : TKeyAction::Refuse};
    }
    if (ch == u'\b' || ch == u'\r' || ch == u' ')
        return {TKeyAction::Accept};
    if (!IsAsciiDigit(ch))
        return {TKeyAction::Refuse};

    // Decimals already full: the selection does not count, so selected
    // decimals must be deleted before new ones can be typed.
    const qsizetype sep = text.indexOf(separator);
    if (decimals > 0 && sep >= 0 && position > sep && text.size() - sep - 1 >= decimals)
        return {TKeyAction::Refuse};

    // No more whole digits than can be shown and printed.
    if (decimals >= 0 && (sep < 0 || position <= sep)) {
        QString after = text;
        after.replace(position, selectionStart >= 0 ? selectionLength : 0, ch);
        const qsizetype afterSep = after.indexOf(separator);
        int whole = 0;
        bool leading = true;
        for (qsizetype i = 0; i < (afterSep < 0 ? after.size() : afterSep); ++i) {
            if (!IsAsciiDigit(after.at(i)))
                continue;
            if (leading && after.at(i) == u'0')
                continue; // leading zeros carry no digit of the value
            leading = false;
            ++whole;
        }
        if (whole > MaxWholeDigits(decimals))
            return {TKeyAction::Refuse};
    }
    return {TKeyAction::Accept};
}

double StepSize(const TStepRule &rule, int repeatCount)
{
    const int divider = rule.IncrementDivider == 0 ? 1 : rule.IncrementDivider;
    double step = double(rule.Increment) / double(divider);
    if (repeatCount >= rule.IncrementTreshold)
        step *= rule.IncrementMultiplier;
    return step;
}

double SteppedValue(double base, bool up, const TStepRule &rule, int repeatCount)
{
    const double step = StepSize(rule, repeatCount);
    return up ? base + step : base - step;
}

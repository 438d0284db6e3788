#include "core/NumberChecks.h"

#include <QDate>

#include <optional>

namespace {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The digits of text with the allowed separators taken out; nullopt when
// something other than digits and separators is in it.
std::optional<QString> DigitsOf(const QString &text, bool separators)
{
    QString digits;
    digits.reserve(text.size());
    for (QChar c : text) {
        if (IsDigit(c))
            digits += c;
        else if (!(separators && (c == u' ' || c == u'-')))
            return std::nullopt;
    }
    return digits;
}

struct TTexts
{
    const char16_t *Length;
    const char16_t *NotDigits;
    const char16_t *Control;
};

constexpr TTexts kAccount = {u"Račun mora imati 16 cifara", u"Račun smije sadržavati samo cifre",
                             u"Kontrolni broj računa nije ispravan"};
constexpr TTexts kJmb = {u"JMB mora imati 13 cifara", u"JMB smije sadržavati samo cifre",
                         u"Kontrolna cifra JMB nije ispravna"};
constexpr TTexts kIdNumber = {u"Identifikacioni broj mora imati 13 cifara",
                              u"Identifikacioni broj smije sadržavati samo cifre",
                              u"Kontrolna cifra identifikacionog broja nije ispravna"};

TCheckResult Fail(TCheckState state, const char16_t *reason)
{
    return {state, QString::fromUtf16(reason)};
}

// Empty, not digits, too few or too many: the result, or nullopt with digits
// set when the length is right and the control can be checked.
std::optional<TCheckResult> CheckShape(const QString &text, qsizetype length, bool separators,
                                       const TTexts &texts, QString &digits)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return TCheckResult{};
    const std::optional<QString> d = DigitsOf(trimmed, separators);
    if (!d)
        return Fail(TCheckState::Invalid, texts.NotDigits);
    if (d->size() < length)
        return Fail(TCheckState::Incomplete, texts.Length);
    if (d->size() > length)
        return Fail(TCheckState::Invalid, texts.Length);
    digits = *d;
    return std::nullopt;
}

TCheckResult CheckMod11(const QString &text, const TTexts &texts, bool withDate)
{
    QString digits;
    if (auto shape = CheckShape(text, 13, false, texts, digits))
        return *shape;
    if (Mod11ControlDigit(digits) != digits[12].unicode() - u'0')
        return Fail(TCheckState::Invalid, texts.Control);
    if (withDate) {
        const int day = QStringView(digits).mid(0, 2).toInt();
        const int month = QStringView(digits).mid(2, 2).toInt();
        const int y = QStringView(digits).mid(4, 3).toInt();
        const int year = y >= 900 ? 1000 + y : 2000 + y;
        if (!QDate::isValid(year, month, day))
            return Fail(TCheckState::Invalid, u"JMB ne sadrži ispravan datum rođenja");
    }
    return {TCheckState::Valid, {}};
}

} // namespace

int Mod11ControlDigit(QStringView digits)
{
    static constexpr int weights[12] = {7, 6, 5, 4, 3, 2, 7, 6, 5, 4, 3, 2};
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += weights[i] * (digits[i].unicode() - u'0');
    const int m = 11 - sum % 11;
    return m > 9 ? 0 : m;
}

int AccountCheckDigits(QStringView digits)
{
    // N * 100 mod 97, digit by digit so that 14 digits never overflow.
    int rest = 0;
    for (int i = 0; i < 14; ++i)
        rest = (rest * 10 + (digits[i].unicode() - u'0')) % 97;
    rest = rest * 100 % 97;
    return 98 - rest;
}

TCheckResult CheckAccount(const QString &text)
{
    QString digits;
    if (auto shape = CheckShape(text, 16, true, kAccount, digits))
        return *shape;
    const int check = QStringView(digits).mid(14, 2).toInt();
    if (AccountCheckDigits(digits) != check)
        return Fail(TCheckState::Invalid, kAccount.Control);
    return {TCheckState::Valid, {}};
}

TCheckResult CheckJmb(const QString &text)
{
    return CheckMod11(text, kJmb, true);
}

TCheckResult CheckIdNumber(const QString &text)
{
    return CheckMod11(text, kIdNumber, false);
}

TCheckResult CheckBrojObveznika(const QString &text)
{
    return text.trimmed().startsWith(u'4') ? CheckIdNumber(text) : CheckJmb(text);
}

QStringList SlipCheckProblems(const TUpl &slip)
{
    QStringList problems;
    const auto add = [&problems](const char16_t *label, const TCheckResult &r) {
        if (CheckFails(r))
            problems += QString::fromUtf16(label) + QStringLiteral(": ") + r.Reason;
    };
    add(u"Račun pošiljaoca", CheckAccount(slip.RacunPosiljaoca));
    add(u"Račun primaoca", CheckAccount(slip.RacunPrimaoca));
    add(u"Br. por. obveznika", CheckBrojObveznika(slip.BrojObveznika));
    return problems;
}

#pragma once

// The number rules of the numeric edit, kept apart from the widget: reading
// and showing numbers with the locale's decimal separator, the range check,
// the keystroke filter and the stepping arithmetic.

#include <QLocale>
#include <QString>

#include <optional>

// Which bounds a numeric edit keeps its value within.
enum TCheckType { ctNone, ctCheckMax, ctCheckMin, ctCheckInside, ctCheckOutside };

// The decimal separator of the default locale (a comma in Bosnian settings).
QChar LocaleDecimalSeparator(const QLocale &locale = QLocale());

// Reads a decimal number written with the given separator: optional blanks
// around it, an optional sign, digits with at most one separator, an optional
// exponent ("1,5E3"). No thousands separators. Empty text, a lone sign or
// separator, anything else and numbers too large for a double give nothing.
std::optional<double> ParseNumber(const QString &text, QChar separator);
inline std::optional<double> ParseNumber(const QString &text)
{
    return ParseNumber(text, LocaleDecimalSeparator());
}

// Shows a number. decimals >= 0: fixed point with exactly that many digits
// after the separator, at most 15 significant digits (the rest are zeros) and
// no thousands separators; more than 15 digits before the separator switch to
// the general form. decimals < 0: the shortest general form with up to 15
// significant digits ("0,5", "1E20", "1E-5"). Never shows a negative zero.
QString FormatNumber(double value, int decimals, QChar separator);
inline QString FormatNumber(double value, int decimals)
{
    return FormatNumber(value, decimals, LocaleDecimalSeparator());
}

// Returns whether the value is acceptable for the check type; otherwise
// replaces it by the bound it is corrected to and returns false.
bool CheckRange(double &value, TCheckType checkType, double minValue, double maxValue);

// What the numeric edit does with one typed character.
enum class TKeyAction {
    Accept,     // insert it as usual
    Refuse,     // drop it
    SelectToEnd // drop it and select from SelectFrom to the end of the text
};
struct TKeyDecision
{
    TKeyAction Action = TKeyAction::Accept;
    int SelectFrom = 0;
};

// The keystroke filter for one typed character. cursor is the caret position;
// selectionStart is -1 when nothing is selected, selectionLength the number of
// characters selected.
TKeyDecision FilterKeystroke(QChar ch, const QString &text, int cursor, int selectionStart,
                             int decimals, QChar separator, int selectionLength = 0);

// A number is shown and printed with at most 15 significant digits; with a
// fixed number of decimals that leaves 15 - decimals digits before the
// separator (a value past them would show as "1E20" and could not be printed).
int MaxWholeDigits(int decimals);
// Whether value keeps every digit when shown with decimals (always true for a
// general form, decimals < 0).
bool FitsShownDigits(double value, int decimals);

// How far one step of the up/down buttons or arrow keys moves the value.
struct TStepRule
{
    int Increment = 1;
    int IncrementDivider = 1;
    int IncrementMultiplier = 1;
    int IncrementTreshold = 10;
};

// Increment / IncrementDivider as a real division (a divider of 0 counts as
// 1), times IncrementMultiplier once repeatCount reaches IncrementTreshold.
double StepSize(const TStepRule &rule, int repeatCount);
double SteppedValue(double base, bool up, const TStepRule &rule, int repeatCount);

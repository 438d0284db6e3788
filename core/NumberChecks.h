#pragma once

#include "core/Upl.h"

#include <QString>
#include <QStringList>

// Checks of the numbers a slip carries: the bank accounts and the taxpayer
// number (a personal number, JMB, or a company's identification number). They
// never refuse a text; they only say whether it passes and, when not, why, so
// that the editor can mark the field and printing can warn.

enum class TCheckState {
    Empty,      // nothing typed
    Incomplete, // so far only digits (and group separators), too few of them
    Valid,
    Invalid,
};

struct TCheckResult
{
    TCheckState State = TCheckState::Empty;
    QString Reason; // empty for Empty and Valid

    bool operator==(const TCheckResult &) const = default;
};

// A text that must not go to the bank as it stands. While typing, an
// incomplete number is expected; on a finished slip it is a fault.
inline bool CheckFails(const TCheckResult &r)
{
    return r.State == TCheckState::Invalid || r.State == TCheckState::Incomplete;
}

// Bosnian bank account: 16 digits (bank 3, branch 3, account 8, check 2), the
// check digits by ISO 7064 MOD 97-10 over the first 14. Blanks or dashes
// between digits are allowed ("199-044-00012002-79"); leading or trailing
// blanks are ignored.
TCheckResult CheckAccount(const QString &text);

// Personal number (JMB): 13 digits, the last one the modulo-11 control digit
// over the first 12 (weights 7 6 5 4 3 2 7 6 5 4 3 2, 11 minus the remainder,
// above 9 gives 0), and the first seven digits a date that exists (DDMMYYY,
// a year of 900 and above in the 1900s, below it in the 2000s).
TCheckResult CheckJmb(const QString &text);

// Identification (taxpayer) number of a company: 13 digits with the same
// control digit as the JMB, no date.
TCheckResult CheckIdNumber(const QString &text);

// The taxpayer number of a slip: a company's number begins with 4, anything
// else is a person's JMB.
TCheckResult CheckBrojObveznika(const QString &text);

// The control digit the first 12 digits of digits call for (0 … 9).
int Mod11ControlDigit(QStringView digits);
// The two check digits the first 14 digits of an account call for (2 … 98).
int AccountCheckDigits(QStringView digits);

// What fails its check on a finished slip, one line per field, such as
// "Račun primaoca: Kontrolni broj računa nije ispravan". Empty fields pass.
QStringList SlipCheckProblems(const TUpl &slip);

#pragma once

#include <QString>

#include <optional>

// Single cells as spreadsheets write them into CSV, and as the export writes
// them back: dates, percentages, accounts, numbers a spreadsheet has damaged
// by keeping a text column as numbers, and texts that would start a formula.

// A cell turned into the value of a slip field, or the reason it cannot be.
struct TCsvCell
{
    QString Value;
    QString Refusal; // empty when Value holds the field

    bool Ok() const { return Refusal.isEmpty(); }
};

// A date cell into the six characters DDMMYY the slip keeps. Taken are
// D.M.YY, DD.MM.YY, D.M.YYYY and DD.MM.YYYY (with or without a final dot and
// blanks after the dots), YYYY-MM-DD and the stored form DDMMYY itself. A
// two-digit year is 20YY, as for the three-digit year of a JMB below 900, so a
// four-digit year outside 2000-2099 cannot be kept and is refused. A date of
// the export's shape with blank positions ("  .07.26", what the editor's mask
// keeps for an unfinished date) is kept as it stands; every other date must
// exist. column names the field in the reason.
TCsvCell CsvDateToField(QStringView cell, QStringView column);
// The stored date as the export writes it, with the dots ("01.07.26").
QString CsvDateFromField(const QString &stored);

// A percentage cell: "30%", "30,00 %" and the plain number 30 are all the
// share 30. Nothing for a cell that is no number.
std::optional<float> ParseCsvPercent(QStringView cell);

// An account cell of 16 digits without the blanks and dashes between its
// groups ("161-000-00123456-86" is "1610000012345686"); any other cell comes
// back unchanged, so that what the editor kept comes back as it was.
QString CsvAccountText(QStringView cell);

// The reason to refuse value of column when it looks like a number that a
// spreadsheet kept in a number cell and so lost digits of: a 16-digit account
// failing its check with a last digit 0 that an account passing the check
// rounds or cuts to, a 12-digit taxpayer number (a JMB that lost its leading
// zero), a municipality code of one or two digits. Nothing otherwise.
std::optional<QString> CsvNumberDamage(QStringView column, QStringView value);

// Formula guard. A text that a spreadsheet would take for a formula (starting
// with '=', '+', '-', '@', a tab or a carriage return) is written with an
// apostrophe before it, which spreadsheets show as part of a text; a text that
// starts with an apostrophe gets one more, so that CsvFormulaUnguard() takes
// exactly one off and every text comes back as it was.
QString CsvFormulaGuard(const QString &text);
QString CsvFormulaUnguard(QStringView cell);

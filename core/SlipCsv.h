#pragma once

#include "core/Csv.h"
#include "core/Upl.h"

#include <functional>
#include <optional>

// Slips exchanged with spreadsheets. The first row names the slip fields as
// `kordavina dump` does (Opis, RacunPosiljaoca, …, Iznos, Hitno, …, Stanja,
// Oznacena, Procenat), in any order and letter case; each further row is one
// slip. Columns the file does not have take the default slip's values.

// The column names in the order the export writes them.
const QStringList &SlipCsvColumns();

// One row that was not taken, counted as a spreadsheet counts its rows (the
// header is row 1).
struct TCsvRefusal
{
    qsizetype Row = 0;
    QString Reason;
};
// "Red 7: Iznos „12,3a“ nije broj"
QString CsvRefusalText(const TCsvRefusal &refusal);

struct TSlipCsvImport
{
    QList<TUpl> Slips;          // the rows taken, in order (ImportSlipsCsv only)
    qsizetype Taken = 0;        // how many rows were taken
    QList<TCsvRefusal> Refused; // the rows not taken, each reason once (the first 100)
    qsizetype MoreRefused = 0;  // reasons beyond those listed
    // Rows taken whose accounts or taxpayer number fail the checks print warns
    // about (SlipCheckProblems(), joined by "; "); the first 100.
    QList<TCsvRefusal> Warnings;
    qsizetype MoreWarnings = 0; // warnings beyond those listed
    QStringList UnknownColumns; // header cells that name no field; their cells are ignored
    QString Error;              // the whole file was refused (no slips then)
    TCsvEncoding Encoding = TCsvEncoding::Utf8;
    QChar Separator = u';';
};

// Reads a CSV file's bytes. defaults is what a column the file does not have
// leaves in each slip (ImportDefaultSlip()). The text is decoded and read in
// pieces of about chunk bytes (small pieces serve tests; the result is the
// same whatever the size).
TSlipCsvImport ImportSlipsCsv(const QByteArray &bytes, const TUpl &defaults,
                              qsizetype chunk = qsizetype(1) << 20);

// Reads the CSV file at path row by row (a regular file only: see
// OpenRegularFile), holding no more of its text than the row being read: each
// slip taken is handed to take at once, and Slips stays empty. When Error is
// set, what take was handed must be dropped.
using TSlipSink = std::function<void(TUpl &&slip)>;
TSlipCsvImport ImportSlipsCsvFile(const QString &path, const TUpl &defaults, const TSlipSink &take);

// Writes slips for a spreadsheet in Bosnian settings: UTF-8 with a byte order
// mark, ';' between fields, decimal comma, lines ending in CR LF, dates with
// their dots. Reading the result back gives the same slips.
QByteArray ExportSlipsCsv(const QList<TUpl> &slips);

// Writes ExportSlipsCsv(slips) to path through TAtomicWriter (a target that
// is one of inputs, a FIFO or a device is refused; a failed write leaves the
// previous file as it was), in batches rather than as one text.
bool WriteSlipsCsv(const QString &path, const QList<TUpl> &slips, QString *error = nullptr,
                   const QStringList &inputs = {});

// What an imported slip starts from: the first slip of Default1.upl in the
// program's folder, or a new slip when that file is missing or holds no
// slip. A file that is there but cannot be read (damaged, a FIFO, a folder,
// no permission) gives nothing, and error "PATH: reason".
QString ImportDefaultPath();
std::optional<TUpl> ImportDefaultSlip(QString *error = nullptr);

// A number as spreadsheets write it: decimal comma or point, optional sign,
// optional thousands separators ('.', ',', blanks or apostrophes) between
// groups of three digits. With both '.' and ',' the later one is the decimal
// separator; one that occurs several times separates thousands; a lone one
// is the decimal separator ("1.234" is one point two three four). The mark
// "KM" or "BAM" before or after the number is allowed.
std::optional<double> ParseCsvNumber(QStringView text);
std::optional<float> ParseCsvFloat(QStringView text);
// The amount with a decimal comma: two decimals when that gives the same
// number back, otherwise every digit needed.
QString CsvAmountText(double value);
QString CsvFloatText(float value);

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Comma-separated values as RFC 4180 has them, with the separator of the
// file's choice: fields in double quotes may hold separators, line breaks and
// doubled quotes. Reading is lenient where spreadsheets are: lines may end in
// CR LF, LF or CR, a quote inside an unquoted field is an ordinary character,
// and text after a closing quote is kept.

// One record and the number of the record counting from 1, which is the row
// a spreadsheet shows it in (a quoted line break does not start a new row).
struct TCsvRecord
{
    QStringList Fields;
    qsizetype Row = 0;
};

struct TCsvParse
{
    QList<TCsvRecord> Records;
    QString Error; // a quoted field left open at the end of the text
};

// Reads decoded text one record at a time. Fields are views, valid until the
// next call of Next(): into the text itself, or, for a field with doubled
// quotes, into the reader's own buffer.
class TCsvReader
{
public:
    TCsvReader(QStringView text, QChar separator) : m_text(text), m_separator(separator) {}

    // Reads the next record; false at the end of the text or on a quoted field
    // left open (then Error() says so).
    bool Next();
    // For text that arrives in pieces: while more is to come, Next() does not
    // read a record the text may not hold whole yet (one without its line
    // end, or with a quote still open) but returns false with NeedsMore().
    // Consumed() is the length of the text the records read so far took; the
    // caller keeps the rest, adds the next piece and reads on with a new
    // reader that StartAtRow(Row()).
    void SetMoreToCome(bool more) { m_moreToCome = more; }
    bool NeedsMore() const { return m_needsMore; }
    qsizetype Consumed() const { return m_pos; }
    void StartAtRow(qsizetype row) { m_row = row; }
    // The spreadsheet row of the record just read.
    qsizetype Row() const { return m_row; }
    qsizetype FieldCount() const { return m_spans.size(); }
    QStringView Field(qsizetype i) const;
    const QString &Error() const { return m_error; }

private:
    struct TSpan
    {
        qsizetype Start = 0;
        qsizetype Length = 0;
        bool InBuffer = false;
    };
    qsizetype PlainEnd(qsizetype from) const;

    QStringView m_text;
    QChar m_separator;
    qsizetype m_pos = 0;
    qsizetype m_row = 0;
    QList<TSpan> m_spans;
    QString m_buffer;
    QString m_error;
    bool m_moreToCome = false;
    bool m_needsMore = false;
};

// Splits decoded text. An empty line gives a record with one empty field; a
// line break at the very end does not start a further record.
TCsvParse ParseCsv(QStringView text, QChar separator);

// The separator the header line uses: ';' or ',', whichever occurs more often
// outside quotes (';' when neither does, or both equally).
QChar DetectCsvSeparator(QStringView text);

// Encodings a CSV file can come in. UTF-8 is recognised by its byte order
// mark or by being valid UTF-8 throughout; UTF-16 only by its mark; anything
// else is read as Windows-1250 (what spreadsheets write in Bosnian settings).
enum class TCsvEncoding { Utf8Bom, Utf8, Utf16, Windows1250 };

struct TCsvText
{
    QString Text;
    TCsvEncoding Encoding = TCsvEncoding::Utf8;
};
TCsvText DecodeCsvBytes(const QByteArray &bytes);
QString CsvEncodingName(TCsvEncoding encoding);

// A field as it must be written: in quotes, with quotes doubled, when it holds
// the separator, a quote, a line break or blanks at either end.
QString CsvField(const QString &field, QChar separator);
// Appends the field as CsvField writes it.
void AppendCsvField(QString &out, QStringView field, QChar separator);
// One record with its line end (CR LF).
void AppendCsvRecord(QString &out, const QStringList &fields, QChar separator);

#pragma once

#include "core/Upl.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <optional>

// Slip files (.upl): a flat little-endian stream, header text first. The
// reader takes every known version; the writer writes the current one.

// Header text of the version the program writes.
inline constexpr char kUplCurrentHeader[] = "Kordavina 3.3.2";

// The message for a file that is not a slip file or is damaged.
QString UplBadFormatText();

// Version level of a header text (10 … 33), or 0 when the text is none of the
// known headers. Compared whole and case-sensitively.
int UplHeaderLevel(const QByteArray &header);

struct TUplReadResult
{
    enum TStatus {
        Ok,
        BadFormat, // unknown header, or the file ends inside a record / carries impossible sizes
        IoError,   // the file could not be opened or read
    };

    std::optional<TUplFile> File; // set only for Ok
    TStatus Status = Ok;
    QString Error;  // UplBadFormatText() or the system's reason
    QString Header; // header text as found in the file (Ok only)
};

// Reads path; the TUplFile carries FileName = path and Snimljena = true. Only
// a regular file is read (OpenRegularFile), and no further than its size when
// opened.
TUplReadResult ReadUplFile(const QString &path);
// The same from bytes already in memory; path becomes FileName.
TUplReadResult ParseUplBytes(const QByteArray &bytes, const QString &path = QString());
// The same from an open device, from its position to its end, read in pieces
// of about chunk bytes (ReadUplFile's reader; a small chunk serves tests).
TUplReadResult ReadUplFrom(QIODevice &device, const QString &path,
                           qsizetype chunk = qsizetype(1) << 20);

// The file in the current layout.
QByteArray UplFileToBytes(const TUplFile &file);

// Slips kept as the file stores them: an import of many slips holds each as
// its record's bytes (about its texts' length plus 142) rather than as a TUpl.
class TUplRecords
{
public:
    void Append(const TUpl &slip);
    void Clear();
    qint64 Count() const { return m_count; }
    const QByteArray &Bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    qint64 m_count = 0;
};

// Replaces file.FileName atomically (temporary file, flushed to the disk, then
// renamed; see TAtomicWriter): on failure the previous file on disk stays as
// it was, error gets the reason (the system's, or "nije obična datoteka" for
// a FIFO, device or directory in the way) and Snimljena is left alone. On
// success Snimljena becomes true. A target that is one of inputs is refused
// (CheckOutputPath); the slips of more, when given, follow file's own.
bool WriteUplFile(TUplFile &file, QString *error = nullptr, const QStringList &inputs = {},
                  const TUplRecords *more = nullptr);

#pragma once

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#ifdef Q_OS_WIN
#include "core/SafeFileWin.h"
#endif

// File safety shared by every reader and writer of the program (slip files,
// the INI stores, the command line, the windows). The rules:
//
//  - Only regular files are read. A FIFO, a device, a socket or a directory is
//    refused before any read that could block, and a read never goes past the
//    size the file had when it was opened (/dev/zero or a growing log cannot
//    make it run on).
//  - An output is written whole or not at all: into a temporary file beside
//    the target, flushed to the disk, then renamed over the target. Every
//    write is checked; on failure the temporary file is removed and any
//    earlier file stays exactly as it was.
//  - An output that exists and is not a regular file is refused, and so is an
//    output that is the same file as one of the inputs (device and inode are
//    compared, so symbolic and hard links count).
//
// Error texts returned here are reasons only ("No space left on device",
// "nije obična datoteka"); the caller puts the path in front: see PathError.
// System errors use the system's own text (strerror), never "Unknown error".

// The system's text for an errno value.
QString SystemErrorText(int errnum);
// "PATH: reason", the form every file message of the program takes.
QString PathError(const QString &path, const QString &reason);
// The reason for an output that exists but is not a regular file.
QString NotRegularFileText(); // "nije obična datoteka"

// Opens path read-only, unbuffered, if (after links) it is a regular file. A
// FIFO, device, socket or directory is refused without waiting on it; error
// gets the reason. file's name is set to path.
bool OpenRegularFile(QFile &file, const QString &path, QString *error);

// The whole regular file, read no further than the size it had when opened.
// A file larger than maxBytes is refused rather than read.
std::optional<QByteArray> ReadRegularFile(const QString &path, QString *error,
                                          qint64 maxBytes = qint64(1) << 30);

// The reason an output path must not be written, or an empty text when it may
// be: an existing path that is not a regular file gives NotRegularFileText();
// a path that is the same file as one of inputs (empty entries are skipped)
// gives a text naming that input. Callers that offer "-" for standard output
// test for it before calling this.
QString CheckOutputPath(const QString &path, const QStringList &inputs = {});

// Atomic, checked replacement of one file by bytes written in order:
//
//   TAtomicWriter w(path);
//   if (!w.Open() || !w.Write(bytes) || !w.Commit()) report PathError(path, w.ErrorText());
//
// An existing target keeps its owner and group where this process may set
// them (root writing a user's file leaves it the user's), and its mode.
// Built on QSaveFile opened unbuffered, so that each failing write is seen at
// once with its errno; the data is flushed to the disk (fsync) before the
// rename. After a failure every further call fails, nothing more is written,
// and the temporary file is gone. Destroying an uncommitted writer cancels it.
class TAtomicWriter
{
public:
    explicit TAtomicWriter(const QString &path) : m_file(path) {}
    ~TAtomicWriter();
    TAtomicWriter(const TAtomicWriter &) = delete;
    TAtomicWriter &operator=(const TAtomicWriter &) = delete;

    // Refuses a target that is not a regular file or is one of inputs.
    bool Open(const QStringList &inputs = {});
    bool Write(const char *data, qsizetype size);
    bool Write(const QByteArray &bytes) { return Write(bytes.constData(), bytes.size()); }
    // Flushes the data to the disk and renames it over the target.
    bool Commit();
    void Cancel();

    bool Failed() const { return m_failed; }
    // The reason of the first failure (without the path).
    const QString &ErrorText() const { return m_error; }

private:
    bool Fail(const QString &reason);

    QSaveFile m_file;
    qint64 m_written = 0;
    bool m_hasOwner = false; // the target existed: its owner and group are kept
    long long m_uid = -1;
    long long m_gid = -1;
    bool m_open = false;
    bool m_failed = false;
    QString m_error;
#ifdef Q_OS_WIN
    // The writer there: QSaveFile's rename is not written through.
    SafeFileWin::TReplaceFile m_win;
#endif
};

// Writes bytes to path through a TAtomicWriter; error gets the reason.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error,
                         const QStringList &inputs = {});

// An output that another writer produces by file name (a PDF printer, for
// example): it writes into TempPath(), a new empty file in the target's folder
// named ".NAME.kordavina-XXXXXX.tmp" (NAME shortened to keep within 255
// bytes); temporary files of the same target left by a writer that died are
// removed by the next Begin. Commit keeps an existing target's owner and group
// where this process may set them;
// Commit checks and flushes it, gives it the permissions the target has (or a
// new file gets) and renames it over the target. A target that cannot be
// written is refused, as QSaveFile does. Symbolic links to an existing
// target are followed, as QSaveFile does. Destroying an uncommitted output
// removes the temporary file.
//
//   TTemporaryOutput out;
//   if (!out.Begin(target, inputs)) fail with out.ErrorText();
//   printer.SetPdfOutput(out.TempPath()); print ...;
//   if (!out.Commit(CheckPdfComplete)) fail with out.ErrorText();
class TTemporaryOutput
{
public:
    TTemporaryOutput() = default;
    ~TTemporaryOutput();
    TTemporaryOutput(const TTemporaryOutput &) = delete;
    TTemporaryOutput &operator=(const TTemporaryOutput &) = delete;

    bool Begin(const QString &target, const QStringList &inputs = {});
    const QString &TempPath() const { return m_temp; }
    const QString &Target() const { return m_target; }
    // verify, when given, returns the reason the finished temporary file is
    // not whole (empty when it is). Because a writer that lost data to a full
    // disk does not say so, a refused file is followed by a small test write
    // to the same folder, and its system error (ENOSPC, EDQUOT, EIO...) is
    // the reason reported when there is one.
    bool Commit(const std::function<QString(const QString &path)> &verify = {});
    void Cancel();
    const QString &ErrorText() const { return m_error; }
    // After the writer failed on TempPath() without a reason: the system's
    // error of a small test write there, else fallback. The temporary file
    // is cancelled afterwards anyway.
    QString DiskReason(const QString &fallback) const;

private:
    bool Fail(const QString &reason);

    QString m_target;
    QString m_temp;
    QString m_error;
    int m_mode = -1;      // an existing target's permissions
    long long m_uid = -1; // an existing target's owner and group
    long long m_gid = -1;
    int m_fd = -1; // holds the temporary file's lock (Unix) until the rename
    void CloseHold();
};

// Empty when the file at path ends with a whole PDF: the last "%%EOF" at its
// end, and a "startxref" offset that points at the cross-reference table
// ("xref" or a cross-reference stream object). A writer that lost bytes to a
// failing disk leaves either no trailer or an offset that misses. Otherwise
// the reason.
QString CheckPdfComplete(const QString &path);

// Tests only: every TAtomicWriter write that takes a file past afterBytes
// bytes, and every TTemporaryOutput commit of a file larger than afterBytes,
// fails with errnum as a failing disk would. errnum 0 ends the failure.
void InjectWriteFailure(int errnum, qint64 afterBytes = 0);

#pragma once

// The Windows side of core/SafeFile.h, used by it alone (and by its tests).
// The same rules as on Unix, in Windows terms:
//
//  - Devices are names, not files: NUL, CON, PRN, AUX, COM1..9, LPT1..9 (with
//    any extension, in any folder) and everything under \\.\ or \\?\ that is
//    not a path on a drive or share. They are refused before anything opens
//    them, since opening a port can have effects of its own.
//  - Two names are the same file when their volume serial number and file
//    index agree (hard links count).
//  - An output is written to a new temporary file beside the target, flushed
//    to the disk (FlushFileBuffers) and then renamed over the target in one
//    step (MoveFileExW, write-through). On any failure the temporary file is
//    removed and the target stays exactly as it was.
//  - Paths of any length: Win32 calls get the \\?\ form of a long path.

#include <QtGlobal>

#ifdef Q_OS_WIN

#include <QFile>
#include <QString>

#include <optional>
#include <string>

namespace SafeFileWin {

// The system's text for a Win32 error code (GetLastError()): the C library's
// text where it has the same error (a missing file reads as on Linux), else
// Windows' own.
QString ErrorText(unsigned long error);

// path as Win32 wants it: absolute, backslashes, and with the \\?\ (or
// \\?\UNC\) prefix when it is too long for the plain form.
std::wstring NativePath(const QString &path);

// True when path names a device (see above) rather than a file.
bool IsDeviceName(const QString &path);

// For a path that is not a regular file: the reason ("nije obična datoteka
// (uređaj)", "... (mapa)"); empty for a regular file or a missing path.
// exists, when given, tells whether anything is there.
QString NotRegularReason(const QString &path, bool *exists = nullptr);

// Whether a and b are the same file; nothing when either cannot be looked at.
std::optional<bool> SameFile(const QString &a, const QString &b);

// Opens a regular file read-only and unbuffered into file; else false and the
// reason.
bool OpenRegularFile(QFile &file, const QString &path, QString *error);

// Empty when the existing file at path may be replaced; else the reason (a
// read-only file is refused, as Windows would refuse the rename).
QString ReplaceRefusal(const QString &path);

// Flushes the file at path to the disk; else the reason.
QString FlushPath(const QString &path);

// Renames from over to in one step, written through to the disk; to keeps
// its hidden and system marks. Else the reason, and both files as they were.
QString RenameOver(const QString &from, const QString &to);

// A new temporary file beside target, written by Write and put in place by
// Commit (see the rules above). Destroying an uncommitted one removes it.
class TReplaceFile
{
public:
    TReplaceFile() = default;
    ~TReplaceFile();
    TReplaceFile(const TReplaceFile &) = delete;
    TReplaceFile &operator=(const TReplaceFile &) = delete;

    // Empty on success, else the reason.
    QString Open(const QString &target);
    QString Write(const char *data, qint64 size);
    QString Commit();
    void Cancel();
    const QString &TempPath() const { return m_temp; }

private:
    void *m_handle = nullptr; // HANDLE of the temporary file
    QString m_target;
    QString m_temp;
};

// A free name beside target for a temporary file ("NAME.xxxxxx.tmp"), created
// empty; else an empty text and the reason in error.
QString CreateTemporaryBeside(const QString &target, QString *error);

} // namespace SafeFileWin

#endif

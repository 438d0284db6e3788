#include "core/SafeFileWin.h"

#ifdef Q_OS_WIN

#include "core/SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace SafeFileWin {

namespace {

// Room the plain form leaves: CreateDirectoryW stops at MAX_PATH - 12.
constexpr int kPlainPathLimit = MAX_PATH - 12;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

const wchar_t *W(const std::wstring &s)
{
    return s.c_str();
}

QString Reason(DWORD error)
{
    return ErrorText(error);
}

// The C library's number for the errors both systems know, so that a
// message reads the same on Windows as on Linux; 0 for the others.
int ErrnoFor(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_CRC:
        return EIO;
    default:
        return 0;
    }
}

// The attributes that say what a file is to the user and that a replacement
// keeps.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

} // namespace

QString ErrorText(unsigned long error)
{
    if (const int e = ErrnoFor(error))
        return SystemErrorText(e);
    wchar_t *buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<wchar_t *>(&buffer), 0,
                                   nullptr);
    QString text = n > 0 ? QString::fromWCharArray(buffer, int(n)).trimmed() : QString();
    if (buffer)
        LocalFree(buffer);
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text.isEmpty() ? QStringLiteral("greška sistema %1").arg(error) : text;
}

std::wstring NativePath(const QString &path)
{
    QString p = QDir::toNativeSeparators(path);
    if (p.startsWith(QLatin1String("\\\\?\\")) || p.startsWith(QLatin1String("\\\\.\\")))
        return p.toStdWString();
    p = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (p.size() < kPlainPathLimit)
        return p.toStdWString();
    // The \\?\ form is taken as it stands: no "..", no slashes (cleanPath
    // and the separators above see to that).
    if (p.startsWith(QLatin1String("\\\\")))
        return (QLatin1String("\\\\?\\UNC\\") + p.mid(2)).toStdWString();
    return (QLatin1String("\\\\?\\") + p).toStdWString();
}

bool IsDeviceName(const QString &path)
{
    const QString p = QDir::toNativeSeparators(path);
    if (p.startsWith(QLatin1String("\\\\.\\")))
        return true;
    if (p.startsWith(QLatin1String("\\\\?\\"))) {
        // A drive ("\\?\C:\...") or a share ("\\?\UNC\...") holds files;
        // anything else (GLOBALROOT, volume and device names) does not.
        const QString rest = p.mid(4);
        const bool drive = rest.size() >= 2 && rest.at(0).isLetter() && rest.at(1) == u':';
        if (!drive && !rest.startsWith(QLatin1String("UNC\\"), Qt::CaseInsensitive))
            return true;
    }
    // The reserved names stand for devices in every folder and with any
    // extension; Windows ignores blanks, dots and a colon after them.
    QString name = p.section(QLatin1Char('\\'), -1);
    if (name.size() == 2 && name.at(1) == u':')
        return false; // a bare drive
    name = name.section(QLatin1Char('.'), 0, 0);
    while (!name.isEmpty() && (name.endsWith(u' ') || name.endsWith(u':')))
        name.chop(1);
    name = name.toUpper();
    static const char *const fixed[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char *reserved : fixed)
        if (name == QLatin1String(reserved))
            return true;
    if (name.size() == 4 && (name.startsWith(QLatin1String("COM")) ||
                             name.startsWith(QLatin1String("LPT")))) {
        const QChar n = name.at(3);
        return (n >= u'0' && n <= u'9') || n == u'\u00B9' || n == u'\u00B2' || n == u'\u00B3';
    }
    return false;
}

QString NotRegularReason(const QString &path, bool *exists)
{
    if (exists)
        *exists = false;
    if (path.isEmpty())
        return QString();
    if (IsDeviceName(path)) {
        if (exists)
            *exists = true;
        return NotRegularFileText() + QStringLiteral(" (uređaj)");
    }
    const DWORD attributes = GetFileAttributesW(W(NativePath(path)));
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return QString(); // nothing there (or unreachable: the write will say why)
    if (exists)
        *exists = true;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return NotRegularFileText() + QStringLiteral(" (mapa)");
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        return NotRegularFileText() + QStringLiteral(" (uređaj)");
    return QString();
}

namespace {

std::optional<BY_HANDLE_FILE_INFORMATION> Identity(const QString &path)
{
    // No access asked: looking at a file a writer holds must not disturb it;
    // backup semantics opens folders as well.
    const HANDLE h = CreateFileW(W(NativePath(path)), 0, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    if (!ok)
        return std::nullopt;
    return info;
}

} // namespace

std::optional<bool> SameFile(const QString &a, const QString &b)
{
    if (IsDeviceName(a) || IsDeviceName(b))
        return std::nullopt;
    const auto x = Identity(a);
    const auto y = Identity(b);
    if (!x || !y)
        return std::nullopt;
    return x->dwVolumeSerialNumber == y->dwVolumeSerialNumber &&
           x->nFileIndexHigh == y->nFileIndexHigh && x->nFileIndexLow == y->nFileIndexLow;
}

bool OpenRegularFile(QFile &file, const QString &path, QString *error)
{
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    file.setFileName(path);
    if (path.isEmpty())
        return fail(Reason(ERROR_FILE_NOT_FOUND));
    const QString refused = NotRegularReason(path);
    if (!refused.isEmpty())
        return fail(refused);
    const HANDLE h = CreateFileW(W(NativePath(path)), GENERIC_READ, kShareAll, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return fail(Reason(GetLastError()));
    // The name may have been swapped meanwhile: what was opened is looked at.
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))) {
        CloseHandle(h);
        return fail(NotRegularFileText());
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return fail(Reason(ERROR_TOO_MANY_OPEN_FILES));
    }
    _setmode(fd, _O_BINARY); // bytes as they are, never CR LF turned into LF
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        _close(fd);
        return fail(file.errorString());
    }
    return true;
}

QString ReplaceRefusal(const QString &path)
{
    const DWORD attributes = GetFileAttributesW(W(NativePath(path)));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return Reason(ERROR_ACCESS_DENIED);
    return QString();
}

QString FlushPath(const QString &path)
{
    const HANDLE h = CreateFileW(W(NativePath(path)), GENERIC_WRITE, kShareAll, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return Reason(GetLastError());
    const DWORD e = FlushFileBuffers(h) ? 0 : GetLastError();
    CloseHandle(h);
    return e == 0 ? QString() : Reason(e);
}

QString RenameOver(const QString &from, const QString &to)
{
    const std::wstring source = NativePath(from);
    const std::wstring target = NativePath(to);
    const DWORD old = GetFileAttributesW(W(target));
    if (old != INVALID_FILE_ATTRIBUTES && (old & kKeptAttributes)) {
        const DWORD now = GetFileAttributesW(W(source));
        if (now != INVALID_FILE_ATTRIBUTES)
            SetFileAttributesW(W(source), (now & ~FILE_ATTRIBUTE_NORMAL) | (old & kKeptAttributes));
    }
    // One rename, so the name holds either the old file or the new one. (A
    // ReplaceFileW without a backup name can fail after the old file is gone.)
    if (!MoveFileExW(W(source), W(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Reason(GetLastError());
    return QString();
}

QString CreateTemporaryBeside(const QString &target, QString *error)
{
    const QFileInfo info(target);
    const QString base = info.absolutePath() + QLatin1Char('/') + info.fileName() + QLatin1Char('.');
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = base + QString::number(QRandomGenerator::global()->generate(), 36) +
                             QLatin1String(".tmp");
        const HANDLE h = CreateFileW(W(NativePath(name)), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD e = GetLastError();
            if (e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS)
                continue;
            if (error)
                *error = Reason(e);
            return QString();
        }
        CloseHandle(h);
        return name;
    }
    if (error)
        *error = Reason(ERROR_FILE_EXISTS);
    return QString();
}

// --- TReplaceFile ------------------------------------------------------------

TReplaceFile::~TReplaceFile()
{
    Cancel();
}

QString TReplaceFile::Open(const QString &target)
{
    Cancel();
    m_target = target;
    if (const QString refused = ReplaceRefusal(target); !refused.isEmpty())
        return refused;
    QString error;
    const QString temp = CreateTemporaryBeside(target, &error);
    if (temp.isEmpty())
        return error;
    // Opened again for writing alone, so that nobody else writes it meanwhile.
    const HANDLE h = CreateFileW(W(NativePath(temp)), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        DeleteFileW(W(NativePath(temp)));
        return Reason(e);
    }
    m_handle = h;
    m_temp = temp;
    return QString();
}

QString TReplaceFile::Write(const char *data, qint64 size)
{
    if (!m_handle)
        return QStringLiteral("datoteka nije otvorena");
    while (size > 0) {
        const DWORD chunk = DWORD(qMin<qint64>(size, 1 << 30));
        DWORD written = 0;
        if (!WriteFile(m_handle, data, chunk, &written, nullptr) || written == 0) {
            const DWORD e = GetLastError();
            Cancel();
            return Reason(e != 0 ? e : ERROR_WRITE_FAULT);
        }
        data += written;
        size -= written;
    }
    return QString();
}

QString TReplaceFile::Commit()
{
    if (!m_handle)
        return QStringLiteral("datoteka nije otvorena");
    // The data reaches the disk before the name points at it; a disk that
    // cannot take it stops the rename.
    if (!FlushFileBuffers(m_handle)) {
        const DWORD e = GetLastError();
        Cancel();
        return Reason(e);
    }
    CloseHandle(m_handle);
    m_handle = nullptr;
    if (const QString error = RenameOver(m_temp, m_target); !error.isEmpty()) {
        Cancel();
        return error;
    }
    m_temp.clear();
    return QString();
}

void TReplaceFile::Cancel()
{
    if (m_handle) {
        CloseHandle(m_handle);
        m_handle = nullptr;
    }
    if (!m_temp.isEmpty())
        DeleteFileW(W(NativePath(m_temp)));
    m_temp.clear();
}

} // namespace SafeFileWin

#endif

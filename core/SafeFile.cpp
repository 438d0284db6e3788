#include "core/SafeFile.h"
#include "core/SafeFileFaults.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::atomic<int> g_injectedErrno{0};
std::atomic<qint64> g_injectedAfter{0};
std::atomic<int> g_injectedSyncErrno{0};

// The injected failure for a file that would reach size bytes, or 0.
int InjectedFailure(qint64 size)
{
    const int e = g_injectedErrno.load();
    return e != 0 && size > g_injectedAfter.load() ? e : 0;
}

// Qt's text for a failed operation, unless it is the empty or generic one
// QSaveFile leaves after a failed commit; then the errno seen at the failure.
QString QtOrSystemText(const QFileDevice &file, int savedErrno)
{
    const QString qt = file.errorString();
    if (!qt.isEmpty() && qt != QLatin1String("Unknown error"))
        return qt;
    return savedErrno != 0 ? SystemErrorText(savedErrno) : QStringLiteral("zapis nije uspio");
}

#ifdef Q_OS_UNIX
QString NotRegularReason(mode_t mode)
{
    if (S_ISDIR(mode))
        return NotRegularFileText() + QStringLiteral(" (mapa)");
    if (S_ISFIFO(mode))
        return NotRegularFileText() + QStringLiteral(" (imenovana cijev)");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return NotRegularFileText() + QStringLiteral(" (uređaj)");
    if (S_ISSOCK(mode))
        return NotRegularFileText() + QStringLiteral(" (utičnica)");
    return NotRegularFileText();
}

bool SameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Flushes an open file to the disk: 0, or the errno of the failure.
int SyncFd(int fd)
{
    if (const int e = g_injectedSyncErrno.load())
        return e;
    return ::fsync(fd) == 0 ? 0 : errno;
}

// Flushes a file that is not open here to the disk.
int SyncPath(const QByteArray &name)
{
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int e = SyncFd(fd);
    ::close(fd);
    return e;
}

// Gives a file that replaces another the owner and group of the one it
// replaces, as far as this process may: root keeps a user's file the user's,
// an owner keeps the file's group when it is one of theirs. What may not be
// set stays as it is (the mode is set apart, as before).
void KeepOwner(int fd, const struct stat &old)
{
    struct stat now;
    if (::fstat(fd, &now) != 0 || (now.st_uid == old.st_uid && now.st_gid == old.st_gid))
        return;
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && now.st_gid != old.st_gid)
        (void)::fchown(fd, uid_t(-1), old.st_gid);
}

// A temporary file's name for target "NAME": ".NAME.kordavina-XXXXXX.tmp",
// hidden and recognisable, with NAME shortened (on a character boundary) so
// that the whole stays within the 255 bytes a file name may have.
constexpr char kTempMark[] = ".kordavina-";
constexpr qsizetype kMaxNameBytes = 255;

QByteArray TempPrefix(const QString &fileName)
{
    const qsizetype room = kMaxNameBytes - 1 - (qsizetype(sizeof kTempMark) - 1) - 6 - 4;
    QByteArray name = QFile::encodeName(fileName);
    if (name.size() > room) {
        qsizetype cut = room;
        while (cut > 0 && (uchar(name[cut]) & 0xC0) == 0x80)
            --cut; // not inside a UTF-8 character
        name.truncate(cut);
    }
    return '.' + name + kTempMark;
}

// Removes temporary files of the same target that no writer holds any more
// (one killed mid-write). A live writer holds a lock on its temporary file.
void RemoveStaleTemps(const QString &folder, const QByteArray &prefix)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList(
        {QFile::decodeName(prefix) + QStringLiteral("??????.tmp")}, QDir::Files | QDir::Hidden);
    for (const QString &n : names) {
        const QByteArray path = QFile::encodeName(dir.filePath(n));
        const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        ::close(fd);
    }
}
#endif

} // namespace

QString SystemErrorText(int errnum)
{
    return QString::fromLocal8Bit(std::strerror(errnum));
}

QString PathError(const QString &path, const QString &reason)
{
    return QStringLiteral("%1: %2").arg(path, reason);
}

QString NotRegularFileText()
{
    return QStringLiteral("nije obična datoteka");
}

bool OpenRegularFile(QFile &file, const QString &path, QString *error)
{
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    file.setFileName(path);
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(path);
    // Looked at before opening: opening a device can have effects of its own,
    // and opening a FIFO for reading waits for a writer.
    struct stat before;
    if (path.isEmpty() || ::stat(name.constData(), &before) != 0)
        return fail(SystemErrorText(path.isEmpty() ? ENOENT : errno));
    if (!S_ISREG(before.st_mode))
        return fail(NotRegularReason(before.st_mode));
    // Non-blocking, in case the name is swapped for a FIFO meanwhile.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(SystemErrorText(errno));
    struct stat now;
    if (::fstat(fd, &now) != 0) {
        const int e = errno;
        ::close(fd);
        return fail(SystemErrorText(e));
    }
    if (!S_ISREG(now.st_mode)) {
        ::close(fd);
        return fail(NotRegularReason(now.st_mode));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(file.errorString());
    }
    return true;
#else
    Q_UNUSED(fail);
    return SafeFileWin::OpenRegularFile(file, path, error);
#endif
}

std::optional<QByteArray> ReadRegularFile(const QString &path, QString *error, qint64 maxBytes)
{
    QFile file;
    if (!OpenRegularFile(file, path, error))
        return std::nullopt;
    const qint64 size = file.size();
    if (size > maxBytes) {
        if (error)
            *error = QStringLiteral("datoteka je prevelika (%1 bajtova)").arg(size);
        return std::nullopt;
    }
    QByteArray bytes(size, Qt::Uninitialized);
    qint64 got = 0;
    while (got < size) {
        const qint64 r = file.read(bytes.data() + got, size - got);
        if (r < 0) {
            if (error)
                *error = file.errorString();
            return std::nullopt;
        }
        if (r == 0)
            break; // the file became shorter: what is there is what it holds
        got += r;
    }
    bytes.truncate(got);
    return bytes;
}

QString CheckOutputPath(const QString &path, const QStringList &inputs)
{
#ifdef Q_OS_UNIX
    struct stat out;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &out) != 0)
        return QString(); // nothing there yet (or unreachable: the write will say why)
    if (!S_ISREG(out.st_mode))
        return NotRegularFileText();
    for (const QString &input : inputs) {
        struct stat in;
        if (!input.isEmpty() && ::stat(QFile::encodeName(input).constData(), &in) == 0 &&
            SameFile(in, out))
            return QStringLiteral("to je ulazna datoteka %1; izlaz mora biti druga datoteka")
                .arg(input);
    }
    return QString();
#else
    bool exists = false;
    if (!SafeFileWin::NotRegularReason(path, &exists).isEmpty())
        return NotRegularFileText();
    if (!exists)
        return QString();
    for (const QString &input : inputs)
        if (!input.isEmpty() && SafeFileWin::SameFile(input, path).value_or(false))
            return QStringLiteral("to je ulazna datoteka %1; izlaz mora biti druga datoteka")
                .arg(input);
    return QString();
#endif
}

// --- TAtomicWriter ---------------------------------------------------------

TAtomicWriter::~TAtomicWriter()
{
    Cancel();
}

bool TAtomicWriter::Fail(const QString &reason)
{
    if (!m_failed) {
        m_failed = true;
        m_error = reason;
    }
    Cancel();
    return false;
}

bool TAtomicWriter::Open(const QStringList &inputs)
{
    if (m_failed || m_open)
        return !m_failed;
    const QString refused = CheckOutputPath(m_file.fileName(), inputs);
    if (!refused.isEmpty())
        return Fail(refused);
#ifdef Q_OS_WIN
    if (const QString error = m_win.Open(m_file.fileName()); !error.isEmpty())
        return Fail(error);
    m_open = true;
    return true;
#endif
    // Unbuffered: a buffered QSaveFile writes its last bytes inside commit(),
    // and Qt 6.4 renames the short file over the target even when that final
    // write fails (a full disk). Unbuffered, every failure shows at write().
#ifdef Q_OS_UNIX
    struct stat old;
    m_hasOwner = ::stat(QFile::encodeName(m_file.fileName()).constData(), &old) == 0;
    if (m_hasOwner) {
        m_uid = old.st_uid;
        m_gid = old.st_gid;
    }
#endif
    errno = 0;
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Fail(QtOrSystemText(m_file, errno));
    m_open = true;
    return true;
}

bool TAtomicWriter::Write(const char *data, qsizetype size)
{
    if (m_failed || !m_open)
        return m_failed ? false : Fail(QStringLiteral("datoteka nije otvorena"));
    if (const int e = InjectedFailure(m_written + size))
        return Fail(SystemErrorText(e));
#ifdef Q_OS_WIN
    if (const QString error = m_win.Write(data, size); !error.isEmpty())
        return Fail(error);
    m_written += size;
    return true;
#endif
    errno = 0;
    const qint64 w = m_file.write(data, size);
    if (w != size) {
        const int e = errno;
        return Fail(QtOrSystemText(m_file, e != 0 ? e : EIO));
    }
    m_written += size;
    return true;
}

bool TAtomicWriter::Commit()
{
    if (m_failed || !m_open)
        return m_failed ? false : Fail(QStringLiteral("datoteka nije otvorena"));
#ifdef Q_OS_WIN
    m_open = false;
    if (const QString error = m_win.Commit(); !error.isEmpty())
        return Fail(error);
    return true;
#endif
#ifdef Q_OS_UNIX
    // commit() syncs too but ignores the answer; a disk that cannot take the
    // data must stop the rename.
    const int fd = m_file.handle();
    if (fd >= 0 && m_hasOwner) {
        struct stat old;
        old.st_uid = uid_t(m_uid);
        old.st_gid = gid_t(m_gid);
        KeepOwner(fd, old);
    }
    if (fd >= 0) {
        const int e = SyncFd(fd);
        if (e != 0 && e != EINVAL && e != EROFS)
            return Fail(SystemErrorText(e));
    }
#endif
    errno = 0;
    if (!m_file.commit()) {
        const int e = errno;
        m_open = false;
        return Fail(QtOrSystemText(m_file, e));
    }
    m_open = false;
    return true;
}

void TAtomicWriter::Cancel()
{
    if (!m_open)
        return;
    m_open = false;
#ifdef Q_OS_WIN
    m_win.Cancel();
    return;
#endif
    m_file.cancelWriting();
    m_file.commit(); // after cancelWriting this only removes the temporary file
}

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error,
                         const QStringList &inputs)
{
    TAtomicWriter w(path);
    if (w.Open(inputs) && w.Write(bytes) && w.Commit())
        return true;
    if (error)
        *error = w.ErrorText();
    return false;
}

// --- TTemporaryOutput --------------------------------------------------------

TTemporaryOutput::~TTemporaryOutput()
{
    Cancel();
}

bool TTemporaryOutput::Fail(const QString &reason)
{
    m_error = reason;
    Cancel();
    return false;
}

void TTemporaryOutput::Cancel()
{
    if (!m_temp.isEmpty())
        QFile::remove(m_temp);
    m_temp.clear();
    CloseHold();
}

void TTemporaryOutput::CloseHold()
{
#ifdef Q_OS_UNIX
    if (m_fd >= 0)
        ::close(m_fd);
#endif
    m_fd = -1;
}

bool TTemporaryOutput::Begin(const QString &target, const QStringList &inputs)
{
    Cancel();
    m_error.clear();
    // Written through a link to its file, as QSaveFile does.
    QFileInfo info(target);
    for (int hops = 0; hops < 40 && info.isSymLink(); ++hops)
        info.setFile(info.symLinkTarget());
    m_target = info.isSymLink() ? target : info.filePath();
    if (target.isEmpty())
        return Fail(SystemErrorText(ENOENT));
    const QString refused = CheckOutputPath(target, inputs);
    if (!refused.isEmpty())
        return Fail(refused);

#ifdef Q_OS_UNIX
    const QString folder = QFileInfo(m_target).absolutePath();
    // 0666 through the umask, as a new file; an existing target's mode is
    // given to it at the rename (a read-only mode now would stop the writer).
    struct stat existing;
    m_mode = -1;
    m_uid = m_gid = -1;
    if (::stat(QFile::encodeName(m_target).constData(), &existing) == 0) {
        if (::access(QFile::encodeName(m_target).constData(), W_OK) != 0)
            return Fail(SystemErrorText(errno)); // as QSaveFile refuses it
        m_mode = int(existing.st_mode & 07777);
        m_uid = int(existing.st_uid);
        m_gid = int(existing.st_gid);
    }
    const QByteArray prefix = TempPrefix(QFileInfo(m_target).fileName());
    RemoveStaleTemps(folder, prefix);
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray leaf = prefix;
        for (int i = 0; i < 6; ++i)
            leaf += digits[QRandomGenerator::global()->bounded(36)];
        leaf += ".tmp";
        const QString name = folder + QLatin1Char('/') + QFile::decodeName(leaf);
        const QByteArray encoded = QFile::encodeName(name);
        const int fd = ::open(encoded.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return Fail(SystemErrorText(errno));
        }
        // Held open and locked until the rename: another writer of the same
        // target takes an unlocked one for a dead writer's and removes it.
        struct stat mine, named;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &mine) != 0 ||
            ::stat(encoded.constData(), &named) != 0 || !SameFile(mine, named)) {
            ::close(fd); // removed in the moment before the lock; another name
            continue;
        }
        m_fd = fd;
        m_temp = name;
        return true;
    }
    return Fail(SystemErrorText(EEXIST));
#else
    // A read-only target is refused now, as the rename would refuse it.
    if (const QString refusedHere = SafeFileWin::ReplaceRefusal(m_target); !refusedHere.isEmpty())
        return Fail(refusedHere);
    QString error;
    m_temp = SafeFileWin::CreateTemporaryBeside(m_target, &error);
    return m_temp.isEmpty() ? Fail(error) : true;
#endif
}

QString TTemporaryOutput::DiskReason(const QString &fallback) const
{
#ifdef Q_OS_UNIX
    // The writer lost data without saying why. Ask the same disk to take a
    // little more: a full disk, a quota or an I/O error answers now.
    if (!m_temp.isEmpty()) {
        const int fd =
            ::open(QFile::encodeName(m_temp).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd >= 0) {
            static const char zeros[64 * 1024] = {};
            int e = 0;
            errno = 0;
            if (::write(fd, zeros, sizeof zeros) != qint64(sizeof zeros) || ::fsync(fd) != 0)
                e = errno != 0 ? errno : EIO;
            ::close(fd);
            if (e != 0)
                return SystemErrorText(e);
        }
    }
#endif
    return fallback;
}

bool TTemporaryOutput::Commit(const std::function<QString(const QString &)> &verify)
{
    if (m_temp.isEmpty())
        return Fail(m_error.isEmpty() ? QStringLiteral("datoteka nije otvorena") : m_error);
    const QByteArray temp = QFile::encodeName(m_temp);
    if (const int e = InjectedFailure(QFileInfo(m_temp).size()))
        return Fail(SystemErrorText(e));
    const QString reason = verify ? verify(m_temp) : QString();
    if (!reason.isEmpty())
        return Fail(DiskReason(reason));
#ifdef Q_OS_UNIX
    if (m_fd >= 0 && m_uid >= 0) {
        struct stat old;
        old.st_uid = uid_t(m_uid);
        old.st_gid = gid_t(m_gid);
        KeepOwner(m_fd, old);
    }
    if (m_mode >= 0 && ::chmod(temp.constData(), mode_t(m_mode)) != 0)
        return Fail(SystemErrorText(errno));
    if (const int e = SyncPath(temp); e != 0 && e != EINVAL)
        return Fail(SystemErrorText(e));
    if (::rename(temp.constData(), QFile::encodeName(m_target).constData()) != 0)
        return Fail(SystemErrorText(errno));
    CloseHold();
    // The rename itself survives a crash once the folder is on the disk too.
    SyncPath(QFile::encodeName(QFileInfo(m_target).absolutePath()));
#else
    Q_UNUSED(temp);
    if (const QString error = SafeFileWin::FlushPath(m_temp); !error.isEmpty())
        return Fail(error);
    if (const QString error = SafeFileWin::RenameOver(m_temp, m_target); !error.isEmpty())
        return Fail(error);
#endif
    m_temp.clear();
    return true;
}

// --- PDF ------------------------------------------------------------------------

QString CheckPdfComplete(const QString &path)
{
    const QString broken = QStringLiteral("PDF nije zapisan do kraja");
    QFile file;
    QString error;
    if (!OpenRegularFile(file, path, &error))
        return error;
    const qint64 size = file.size();
    const qint64 tailSize = qMin<qint64>(size, 2048);
    if (!file.seek(size - tailSize))
        return broken;
    QByteArray tail = file.read(tailSize);
    while (!tail.isEmpty() && (tail.endsWith('\n') || tail.endsWith('\r') || tail.endsWith(' ')))
        tail.chop(1);
    if (!tail.endsWith("%%EOF"))
        return broken;
    const qsizetype at = tail.lastIndexOf("startxref");
    if (at < 0)
        return broken;
    const QByteArray number = tail.mid(at + 9, tail.size() - 5 - at - 9).trimmed();
    bool ok = false;
    const qint64 offset = number.toLongLong(&ok);
    if (!ok || offset <= 0 || offset >= size)
        return broken;
    if (!file.seek(offset))
        return broken;
    const QByteArray head = file.read(32);
    if (head.startsWith("xref"))
        return QString();
    // A cross-reference stream: "12 0 obj".
    qsizetype i = 0;
    auto digits = [&]() {
        const qsizetype from = i;
        while (i < head.size() && head[i] >= '0' && head[i] <= '9')
            ++i;
        return i > from;
    };
    if (digits() && i < head.size() && head[i++] == ' ' && digits() &&
        head.mid(i).startsWith(" obj"))
        return QString();
    return broken;
}

void InjectWriteFailure(int errnum, qint64 afterBytes)
{
    g_injectedAfter = afterBytes;
    g_injectedErrno = errnum;
}

void InjectSyncFailure(int errnum)
{
    g_injectedSyncErrno = errnum;
}

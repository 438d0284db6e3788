#include "core/FileLock.h"

#include "core/SafeFile.h"

#include <QFileInfo>

#include <cerrno>

TFileLock::TFileLock(const QString &path) : m_path(path) {}

TFileLock::~TFileLock()
{
    Unlock();
}

QString TFileLock::LockPathFor(const QString &path)
{
    // Beside the target itself, also when it is reached through a link, so
    // that every writer of one file meets the same lock.
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
    return target + QStringLiteral(".lock");
}

bool TFileLock::Lock(int timeoutMs)
{
    if (m_locked)
        return true;
    m_error.clear();
    m_lock = std::make_unique<QLockFile>(LockPathFor(m_path));
    // A writer holds the lock for one read-change-write; a minute-old lock
    // whose process still lives is still taken as held.
    m_lock->setStaleLockTime(0);
    errno = 0;
    if (m_lock->tryLock(timeoutMs)) {
        m_locked = true;
        return true;
    }
    const int savedErrno = errno;
    switch (m_lock->error()) {
    case QLockFile::LockFailedError:
        m_error = QStringLiteral("datoteku upravo mijenja drugi program (ili druga kopija "
                                 "ovog programa); pokušajte ponovo kad on završi");
        break;
    case QLockFile::PermissionError:
        m_error = savedErrno != 0 ? SystemErrorText(savedErrno) : SystemErrorText(EACCES);
        break;
    default:
        m_error = savedErrno != 0 ? SystemErrorText(savedErrno)
                                  : QStringLiteral("zaključavanje datoteke nije uspjelo");
        break;
    }
    m_lock.reset();
    return false;
}

void TFileLock::Unlock()
{
    if (m_lock && m_locked)
        m_lock->unlock();
    m_lock.reset();
    m_locked = false;
}

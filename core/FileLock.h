#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// An advisory lock for a writer that read a file and will write it back (a
// slip file appended to, a catalogue merged with its own changes): while one
// writer holds it, a second one waits, and after a bounded time refuses with a
// reason instead of overwriting what the first one wrote. The lock is a file
// beside the target ("NAME.lock"); a lock left by a process that died is taken
// over (QLockFile checks the process it names), so a crash never blocks the
// file for good.
//
//   TFileLock lock(path);
//   if (!lock.Lock()) report PathError(path, lock.ErrorText());
//   read path, change, write it through TAtomicWriter; the lock ends with its scope.
class TFileLock
{
public:
    // How long Lock waits by default for another writer.
    static constexpr int DefaultTimeoutMs = 10000;

    explicit TFileLock(const QString &path);
    ~TFileLock();
    TFileLock(const TFileLock &) = delete;
    TFileLock &operator=(const TFileLock &) = delete;

    // Waits up to timeoutMs (0: not at all) for the lock. False with
    // ErrorText() when another writer still holds it or the lock file cannot
    // be made (a folder that cannot be written).
    bool Lock(int timeoutMs = DefaultTimeoutMs);
    void Unlock();
    bool IsLocked() const { return m_locked; }

    // The reason Lock failed, without the path (callers use PathError).
    const QString &ErrorText() const { return m_error; }
    // The lock file's name for path.
    static QString LockPathFor(const QString &path);

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    bool m_locked = false;
    QString m_error;
};

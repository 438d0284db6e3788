// The advisory lock every read-change-write of a file goes through: a second
// writer waits and then refuses, and a lock left by a dead process does not
// block the file.

#include "core/FileLock.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/wait.h>
#include <unistd.h>
#endif

class TestFileLock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void secondWriterWaitsThenRefuses()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.upl"));
        TFileLock first(path);
        QVERIFY(first.Lock(0));
        QVERIFY(QFile::exists(TFileLock::LockPathFor(path)));

        TFileLock second(path);
        QElapsedTimer t;
        t.start();
        QVERIFY(!second.Lock(300));
        QVERIFY(t.elapsed() >= 250);
        QVERIFY(second.ErrorText().contains(QStringLiteral("drugi program")));
        QVERIFY(!second.IsLocked());

        first.Unlock();
        QVERIFY(second.Lock(0));
        second.Unlock();
        QVERIFY(!QFile::exists(TFileLock::LockPathFor(path)));
    }

    void linkAndTargetShareOneLock()
    {
#ifdef Q_OS_UNIX
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.csv"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const QString link = dir.filePath(QStringLiteral("b.csv"));
        QVERIFY(QFile::link(path, link));
        TFileLock viaTarget(path);
        QVERIFY(viaTarget.Lock(0));
        TFileLock viaLink(link);
        QVERIFY(!viaLink.Lock(0));
#else
        QSKIP("links are a Unix matter here");
#endif
    }

    void lockOfADeadProcessIsTakenOver()
    {
#ifdef Q_OS_UNIX
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Kordavina.ini"));
        const pid_t child = fork();
        if (child == 0) {
            // Dies holding the lock, as a killed program would.
            QLockFile lock(TFileLock::LockPathFor(path));
            _exit(lock.tryLock(0) ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QVERIFY(QFile::exists(TFileLock::LockPathFor(path)));

        TFileLock lock(path);
        QVERIFY2(lock.Lock(2000), qPrintable(lock.ErrorText()));
#else
        QSKIP("fork is a Unix matter");
#endif
    }

    void unwritableFolderGivesTheReason()
    {
#ifdef Q_OS_UNIX
        if (geteuid() == 0)
            QSKIP("root writes into any folder");
#else
        QSKIP("a Windows folder has no write permission bit to take away");
#endif
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        TFileLock lock(dir.filePath(QStringLiteral("x.upl")));
        QVERIFY(!lock.Lock(0));
        QVERIFY(!lock.ErrorText().isEmpty());
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

QTEST_GUILESS_MAIN(TestFileLock)
#include "tst_filelock.moc"

#pragma once

// A really full file system for the tests of writers: a 256 KiB tmpfs mounted
// on a temporary folder and filled to its last block. Needs the right to
// mount (root in most containers); Valid() is false otherwise and the test
// skips. An injected failure (InjectWriteFailure) stands in everywhere else.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#endif

class TFullDisk
{
public:
    TFullDisk()
    {
#ifdef Q_OS_LINUX
        m_mounted = m_dir.isValid() && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(),
                                               "tmpfs", 0, "size=256k") == 0;
#endif
    }
    ~TFullDisk()
    {
#ifdef Q_OS_LINUX
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
#endif
    }
    TFullDisk(const TFullDisk &) = delete;
    TFullDisk &operator=(const TFullDisk &) = delete;

    bool Valid() const
    {
        return m_mounted;
    }
    QString Path(const QString &name) const
    {
        return m_dir.filePath(name);
    }

    // Takes every free block; true when the disk then refuses a single byte.
    // With leave, about that many bytes are given back afterwards, so that
    // a writer fails part way. Files written before stay as they are.
    bool Fill(qint64 leave = 0)
    {
        QFile fill(Path(QStringLiteral("fill")));
        if (!fill.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'f');
        while (fill.write(block) == block.size()) {
        }
        while (fill.write("f", 1) == 1) {
        }
        QFile probe(Path(QStringLiteral("probe")));
        const bool full =
            !probe.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || probe.write("x", 1) != 1;
        probe.close();
        probe.remove();
        if (leave > 0)
            fill.resize(qMax<qint64>(0, fill.size() - leave));
        return full;
    }
    void Free()
    {
        QFile::remove(Path(QStringLiteral("fill")));
    }
    // Names in the folder other than the filler: a temporary file left
    // behind shows here.
    QStringList Entries() const
    {
        QStringList names = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
        names.removeAll(QStringLiteral("fill"));
        return names;
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

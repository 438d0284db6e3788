#include "core/AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Files a fresh per-user folder starts with, copied from the installed tree.
// Catalogues and default files stay the user's own.
constexpr const char *kSeedFiles[] = {"Formats.ini"};

void SeedFolder(const QString &shared, const QString &folder)
{
    for (const char *name : kSeedFiles) {
        const QString target = QDir(folder).filePath(QLatin1String(name));
        const QString source = QDir(shared).filePath(QLatin1String(name));
        if (QFileInfo::exists(target) || !QFileInfo(source).isFile())
            continue;
        // QFile::copy keeps the read-only mode of a file under /usr; the
        // user's copy must be writable, the program rewrites it at the end.
        if (QFile::copy(source, target))
            QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    }
}

#ifdef Q_OS_WIN
// Whether folder lies under one of the Program Files folders, where an
// installed program lives (and where a write would land in the UAC
// VirtualStore rather than fail).
bool UnderProgramFiles(const QString &folder)
{
    const QString path = QDir::cleanPath(QDir::fromNativeSeparators(folder)) + QLatin1Char('/');
    for (const char *name : {"ProgramFiles", "ProgramW6432", "ProgramFiles(x86)"}) {
        const QString root = qEnvironmentVariable(name);
        if (root.isEmpty())
            continue;
        const QString prefix = QDir::cleanPath(QDir::fromNativeSeparators(root)) + QLatin1Char('/');
        if (path.startsWith(prefix, Qt::CaseInsensitive))
            return true;
    }
    return false;
}
#endif

} // namespace

QString InstalledDataFolder(const QString &exeDir)
{
#ifdef Q_OS_WIN
    // Installed there, the shipped files lie beside the executable.
    return UnderProgramFiles(exeDir) ? QDir::cleanPath(exeDir) : QString();
#endif
    const QString shared =
        QDir::cleanPath(QDir(exeDir).absoluteFilePath(QStringLiteral("../share/kordavina")));
    return QFileInfo(shared).isDir() ? shared : QString();
}

QString ProgramFolderFor(const QString &exeDir)
{
    // An installed program keeps the user's files in the per-user folder even
    // where it could write beside itself (started by root, or from a prefix
    // the user owns): a bin folder is no place for them.
    const QString shared = InstalledDataFolder(exeDir);
    if (shared.isEmpty() && QFileInfo(exeDir).isWritable())
        return exeDir;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(folder);
    if (!shared.isEmpty())
        SeedFolder(shared, folder);
    return folder;
}

QString ProgramFolder()
{
    QString folder = qEnvironmentVariable("KORDAVINA_HOME");
    if (folder.isEmpty())
        folder =
            ProgramFolderFor(QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                          : QDir::currentPath());
    QDir().mkpath(folder);
    return QDir::cleanPath(QDir(folder).absolutePath());
}

QString ProgramFile(const QString &name)
{
    return QDir(ProgramFolder()).filePath(name);
}

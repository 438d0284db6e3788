#include "core/AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString ProgramFolder()
{
    QString folder = qEnvironmentVariable("KORDAVINA_HOME");
    if (folder.isEmpty()) {
        const QString exeDir = QCoreApplication::instance()
                                   ? QCoreApplication::applicationDirPath()
                                   : QDir::currentPath();
        if (QFileInfo(exeDir).isWritable())
            folder = exeDir;
        else
            folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    }
    QDir().mkpath(folder);
    return QDir::cleanPath(QDir(folder).absolutePath());
}

QString ProgramFile(const QString &name) { return QDir(ProgramFolder()).filePath(name); }

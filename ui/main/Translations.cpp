#include "ui/main/Translations.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStringList>
#include <QTranslator>

namespace {

QStringList SearchFolders()
{
    // Qt's own folder first; a deployed program (windeployqt) carries the
    // catalogues in "translations" beside the executable.
    return {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"))};
}

} // namespace

QString FindQtTranslation()
{
    static const char *const names[] = {"qtbase_bs.qm", "qtbase_hr.qm"};
    for (const char *name : names)
        for (const QString &folder : SearchFolders()) {
            const QFileInfo fi(QDir(folder).filePath(QLatin1String(name)));
            if (fi.isFile())
                return fi.absoluteFilePath();
        }
    return {};
}

bool InstallTranslations(QApplication &app)
{
    const QString file = FindQtTranslation();
    if (file.isEmpty())
        return false;
    auto *translator = new QTranslator(&app);
    if (!translator->load(file)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

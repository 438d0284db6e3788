#include "app/Cli.h"
#include "core/AppFolder.h"
#include "core/Settings.h"
#include "ui/help/HelpContexts.h"
#include "ui/main/Translations.h"

#include <QFileInfo>
#include <QSettings>

namespace Cli {

// Where this program keeps and finds its files: the first thing to ask when
// an installed program misses its formats or shows English texts.
int RunPaths(const QStringList &args)
{
    if (!args.isEmpty()) {
        Err(UsageText());
        return 2;
    }
    // A FIFO in its place would make the settings reader wait for ever.
    if (const QString refused = CheckSettingsStore(); !refused.isEmpty()) {
        Err(refused + u'\n');
        return 1;
    }
    const QString settings = OpenSettings()->fileName();
    int topics = 0;
    for (int context : kHelpContexts)
        if (QFileInfo::exists(QStringLiteral(":/help/ctx%1.html").arg(context)))
            ++topics;
    const QString translation = FindQtTranslation();
    Out(QStringLiteral("program folder: %1\n"
                       "settings: %2\n"
                       "qt translation: %3\n"
                       "help topics: %4 of %5\n")
            .arg(ProgramFolder(), settings,
                 translation.isEmpty() ? QStringLiteral("(none)") : translation)
            .arg(topics)
            .arg(kHelpContexts.size()));
    return 0;
}

} // namespace Cli

#include "app/Cli.h"
#include "core/Settings.h"
#include "print/engine/ZorPrinters.h"
#include "ui/help/HelpFormU.h"
#include "ui/main/ConfirmFormU.h"
#include "ui/main/MainFormU.h"
#include "ui/main/ProgramData.h"
#include "ui/main/ProgramIcon.h"
#include "ui/main/Translations.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMessageBox>
#include <QSplashScreen>
#include <QThread>

#include <memory>

namespace {

bool HaveDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

int RunCommand(const Cli::Command &cmd, int argc, char **argv)
{
    QStringList args;
    for (int i = 2; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    std::unique_ptr<QCoreApplication> app;
    switch (cmd.needs) {
    case Cli::Needs::Core:
        app = std::make_unique<QCoreApplication>(argc, argv);
        break;
    case Cli::Needs::Painter:
        // Fonts and painting work without a screen.
        if (!HaveDisplay())
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
        break;
    case Cli::Needs::Window:
        app = std::make_unique<QApplication>(argc, argv);
        break;
    }
    QCoreApplication::setOrganizationName(QStringLiteral("Orvinel"));
    QCoreApplication::setApplicationName(QStringLiteral("Kordavina"));
    // A window command loads the settings itself, screen millimetres with them.
    if (cmd.needs == Cli::Needs::Window) {
        InstallTranslations(static_cast<QApplication &>(*app));
        InstallHelpKey();
    }
    return cmd.run(args);
}

// How long the splash stays at least; KORDAVINA_SPLASH_MS shortens it for
// scripted runs.
int SplashMilliseconds()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("KORDAVINA_SPLASH_MS", &ok);
    return ok && ms >= 0 ? ms : 1000;
}

int RunGui(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Orvinel"));
    QCoreApplication::setApplicationName(QStringLiteral("Kordavina"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Kordavina"));
    InstallTranslations(app);
    InstallHelpKey();
    app.setWindowIcon(ProgramIcon());
    // The settings (screen millimetres with them), Formats.ini and the
    // catalogues, before the first window measures or looks anything up.
    TProgramData data;
    QStringList loadErrors;
    LoadProgramData(data, &loadErrors);
    // The one print job object.
    TZorPrinter printer;

    QSplashScreen splash(SplashPixmap(), Qt::WindowStaysOnTopHint);
    splash.setObjectName(QStringLiteral("SplashForm"));
    splash.show();
    QElapsedTimer shown;
    shown.start();
    app.processEvents();

    int result = 0;
    {
        TMainForm mainForm(data);
        TConfirmForm confirmForm(&mainForm);
        const int wait = SplashMilliseconds();
        while (shown.elapsed() < wait) {
            app.processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(10);
        }
        mainForm.show();
        splash.finish(&mainForm);
        if (!loadErrors.isEmpty())
            QMessageBox::critical(&mainForm, QStringLiteral("Kordavina"), loadErrors.join('\n'));
        result = app.exec();
    }
    QStringList saveErrors;
    if (!SaveProgramData(data, &saveErrors))
        QMessageBox::critical(nullptr, QStringLiteral("Kordavina"), saveErrors.join('\n'));
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 2) {
        const QString first = QString::fromLocal8Bit(argv[1]);
        if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
            Cli::Out(Cli::UsageText());
            return 0;
        }
        if (first == QLatin1String("--version")) {
            Cli::Out(QStringLiteral(KORDAVINA_VERSION "\n"));
            return 0;
        }
        for (const Cli::Command &cmd : Cli::Commands())
            if (first == QLatin1String(cmd.name))
                return RunCommand(cmd, argc, argv);
        // A slip file to open; the main window reads it from the arguments
        // and says so when it is not one.
        if (argc == 2 && QFileInfo(first).isFile())
            return RunGui(argc, argv);
        Cli::Err(Cli::UsageText());
        return 2;
    }
    return RunGui(argc, argv);
}

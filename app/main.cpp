#include "app/Cli.h"
#include "core/Settings.h"
#include "print/engine/ZorPrinters.h"
#include "ui/main/Translations.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>

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
    if (cmd.needs == Cli::Needs::Window)
        InstallTranslations(static_cast<QApplication &>(*app));
    return cmd.run(args);
}

int RunGui(int argc, char **argv, const QString &fileName)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Orvinel"));
    QCoreApplication::setApplicationName(QStringLiteral("Kordavina"));
    InstallTranslations(app);
    // Also sets the screen millimetres, needed before the first window
    // measures anything.
    TSettings settings;
    LoadSettings(settings);
    // The one print job object, on the printer the user chose last time.
    TZorPrinter printer;
    if (!settings.DefaultPrinter.isEmpty())
        printer.SetPrinterName(settings.DefaultPrinter);
    QMainWindow w;
    w.setWindowTitle(fileName.isEmpty() ? QStringLiteral("Kordavina")
                                        : QStringLiteral("Kordavina - %1").arg(fileName));
    auto *label = new QLabel(QStringLiteral("Kordavina"), &w);
    label->setAlignment(Qt::AlignCenter);
    w.setCentralWidget(label);
    w.resize(640, 480);
    w.show();
    return app.exec();
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
        if (argc == 2 && QFileInfo(first).isFile())
            return RunGui(argc, argv, first);
        Cli::Err(Cli::UsageText());
        return 2;
    }
    return RunGui(argc, argv, QString());
}

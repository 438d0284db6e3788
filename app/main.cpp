#include "app/Cli.h"
#include "core/Settings.h"
#include "ui/print/ZorPrinters.h"
#include "ui/help/HelpFormU.h"
#include "ui/common/ConfirmFormU.h"
#include "ui/main/MainFormU.h"
#include "ui/common/Placement.h"
#include "ui/common/ProgramData.h"
#include "ui/main/ProgramIcon.h"
#include "ui/main/Translations.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSplashScreen>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <new>
#include <optional>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

bool HaveDisplay()
{
#ifdef Q_OS_WIN
    return true; // the desktop is always there
#endif
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// An argument in the file-name encoding Qt uses for the local file system, so
// that a path keeps its bytes; nothing (after saying so) when the bytes have
// no such text, as a name that is not valid UTF-8 under a UTF-8 system.
std::optional<QString> DecodeArgument(const char *arg)
{
    const QByteArray bytes(arg);
    QString text = QFile::decodeName(bytes);
    if (QFile::encodeName(text) == bytes)
        return text;
    const QByteArray message =
        bytes + ": ime se ne može predstaviti u kodnoj stranici sistema (nije ispravan UTF-8); "
                "preimenujte datoteku\n";
    std::fwrite(message.constData(), 1, size_t(message.size()), stderr);
    return std::nullopt;
}

// Argument i of the command line. On Windows from the wide command line: argv
// holds the ANSI code page's text, which loses letters it does not have.
std::optional<QString> Argument(int i, char **argv)
{
#ifdef Q_OS_WIN
    int n = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &n);
    if (wide) {
        const QString arg = i < n ? QString::fromWCharArray(wide[i]) : QString();
        LocalFree(wide);
        if (i < n)
            return arg;
    }
#endif
    return DecodeArgument(argv[i]);
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// Qt's notes about the display it could not reach: the message below says it.
void DropPlatformMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

// The platforms Qt tries in turn: the desktop's, then no screen at all.
QByteArray PlatformsWithFallback()
{
    return qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "xcb;offscreen"
                                                          : "wayland;xcb;offscreen";
}
#endif

// A QApplication on a real screen, or nothing after a message naming what is
// missing: without a screen Qt aborts the process instead.
std::unique_ptr<QApplication> WindowApplication(int &argc, char **argv, const char *what)
{
    const QString missing =
        QStringLiteral("%1: nema ekrana (DISPLAY nije postavljen); potreban je grafički ekran\n")
            .arg(QLatin1String(what));
    if (!HaveDisplay()) {
        Cli::Err(missing);
        return nullptr;
    }
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // A display that cannot be reached falls back to no screen at all, told
    // apart below, instead of ending in an abort.
    const bool chosen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (!chosen)
        qputenv("QT_QPA_PLATFORM", PlatformsWithFallback());
    const QtMessageHandler previous =
        qInstallMessageHandler(chosen ? nullptr : DropPlatformMessages);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    if (!chosen) {
        qunsetenv("QT_QPA_PLATFORM"); // not handed on to programs started from here
        if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
            const QString display = qEnvironmentVariableIsEmpty("DISPLAY")
                                        ? qEnvironmentVariable("WAYLAND_DISPLAY")
                                        : qEnvironmentVariable("DISPLAY");
            Cli::Err(QStringLiteral("%1: ekran %2 nije dostupan; potreban je grafički ekran\n")
                         .arg(QLatin1String(what), display));
            return nullptr;
        }
    }
    return app;
#else
    return std::make_unique<QApplication>(argc, argv);
#endif
}

int RunCommand(const Cli::Command &cmd, int argc, char **argv)
{
    QStringList args;
    for (int i = 2; i < argc; ++i) {
        const std::optional<QString> arg = Argument(i, argv);
        if (!arg)
            return 1;
        args << *arg;
    }

    std::unique_ptr<QCoreApplication> app;
    switch (cmd.needs) {
    case Cli::Needs::Core:
        app = std::make_unique<QCoreApplication>(argc, argv);
        break;
    case Cli::Needs::Painter: {
        // Fonts, painting, PDFs and printers need no screen, and the pages come
        // out the same without one: a display is not even connected to (it is
        // slow to reach), nor can an unreachable one make the program abort.
        bool chosen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#ifdef Q_OS_WIN
        // There the offscreen and minimal platforms know no fonts (every glyph
        // would be a box); the desktop is always there and no window opens.
        if (chosen && !qgetenv("QT_QPA_PLATFORM").startsWith("windows"))
            chosen = false;
        if (!chosen)
            qputenv("QT_QPA_PLATFORM", "windows");
#else
        if (!chosen)
            qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
        app = std::make_unique<QApplication>(argc, argv);
        if (!chosen)
            qunsetenv("QT_QPA_PLATFORM"); // not handed on to programs started from here
        break;
    }
    case Cli::Needs::Window: {
        std::unique_ptr<QApplication> window = WindowApplication(argc, argv, cmd.name);
        if (!window)
            return 1;
        app = std::move(window);
        break;
    }
    }
    QCoreApplication::setOrganizationName(QStringLiteral("Orvinel"));
    QCoreApplication::setApplicationName(QStringLiteral("Kordavina"));
    // A window command loads the settings itself, screen millimetres with them.
    if (cmd.needs == Cli::Needs::Window) {
        InstallTranslations(static_cast<QApplication &>(*app));
        InstallHelpKey();
        InstallScreenKeeper();
    }
    try {
        return cmd.run(args);
    } catch (const std::bad_alloc &) {
        // The last resort: a refusal, not an abort. Outputs are written
        // through temporary files, so no earlier file has changed.
        Cli::Err(QStringLiteral("kordavina %1: nema dovoljno memorije; ništa nije zapisano\n")
                     .arg(QLatin1String(cmd.name)));
        return 1;
    }
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
    const std::unique_ptr<QApplication> window = WindowApplication(argc, argv, "kordavina");
    if (!window)
        return 1;
    QApplication &app = *window;
    QCoreApplication::setOrganizationName(QStringLiteral("Orvinel"));
    QCoreApplication::setApplicationName(QStringLiteral("Kordavina"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Kordavina"));
    InstallTranslations(app);
    if (const QString refused = CheckSettingsStore(); !refused.isEmpty()) {
        Cli::Err(refused + u'\n');
        return 1;
    }
    InstallHelpKey();
    InstallScreenKeeper();
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
        // Catalogues read while the window was made; the later ones say so
        // once the look-up or window that needed them is done.
        loadErrors += data.LoadErrors;
        data.OnLoadError = [&mainForm](const QString &message) {
            QTimer::singleShot(0, &mainForm, [&mainForm, message] {
                QMessageBox::critical(&mainForm, QStringLiteral("Kordavina"), message);
            });
        };
        mainForm.show();
        splash.finish(&mainForm);
        if (!loadErrors.isEmpty())
            QMessageBox::critical(&mainForm, QStringLiteral("Kordavina"), loadErrors.join('\n'));
        result = app.exec();
        data.OnLoadError = nullptr;
    }
    QStringList saveErrors;
    if (!SaveProgramData(data, &saveErrors))
        QMessageBox::critical(nullptr, QStringLiteral("Kordavina"), saveErrors.join('\n'));
    return result;
}

} // namespace

int main(int argc, char **argv)
{
#ifdef Q_OS_WIN
    // A window program has no console of its own: the commands answer in the
    // one they were started from (redirected output needs nothing).
    if (argc >= 2 && GetStdHandle(STD_OUTPUT_HANDLE) == nullptr &&
        AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
#endif
    if (argc >= 2) {
        const std::optional<QString> decoded = Argument(1, argv);
        if (!decoded)
            return 1;
        const QString &first = *decoded;
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

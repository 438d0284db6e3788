#include "ui/main/MainFormU.h"

#include "core/AppFolder.h"
#include "core/Errors.h"
#include "core/UplFileIO.h"
#include "core/WindowPlacement.h"
#include "ui/common/DialogSeams.h"
#include "ui/common/Placement.h"
#include "ui/common/ProgramData.h"
#include "ui/print/ZorPrinters.h"
#include "ui/main/ProgramIcon.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLayout>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

QString g_commandLineFile;
bool g_commandLineSet = false;

} // namespace

void TMainForm::SetCommandLineFile(const QString &path)
{
    g_commandLineFile = path;
    g_commandLineSet = true;
}

TMainForm::TMainForm(TProgramData &data, QWidget *parent) : QMainWindow(parent), FData(data)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Kordavina"));
    setWindowIcon(ProgramIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setProperty("helpContext", 10);

    FUpdateTimer = new QTimer(this);
    FUpdateTimer->setSingleShot(true);
    FUpdateTimer->setInterval(0);
    connect(FUpdateTimer, &QTimer::timeout, this, &TMainForm::UpdateActions);

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateEditor();
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    InitKeyboardAids();

    resize(617, 447);
    RestorePlacement(this, QStringLiteral("MainForm"), true);
    // The height the user left the window at; none: as the contents need.
    FTallHeight = ReadPlacement(QStringLiteral("MainForm"), true).Height.value_or(0);

    // The file named on the command line, or a new file.
    const QString start =
        g_commandLineSet ? g_commandLineFile : QCoreApplication::arguments().value(1);
    bool opened = false;
    if (!start.isEmpty() && QFileInfo(start).isFile()) {
        const TUplReadResult read = ReadUplFile(start);
        if (read.Status == TUplReadResult::Ok) {
            AddOpenFile(*read.File);
            opened = true;
        } else {
            FStartErrors << QStringLiteral("%1\n%2").arg(start, read.Error);
        }
    }
    if (!opened)
        NewFile();
    Editing = true;
    SelectPrinter();

    // The options may change the printer, the rows' arrangement and the
    // screen millimetres.
    connect(this, &TMainForm::SettingsChanged, this, [this] {
        SelectPrinter();
        ShowCurrentSlip();
        ScheduleUpdate();
    });

    InitSlipCommands();
    InitCatalogueWindows();
    InitFormatEditor();
    InitChecks();
    InitCsv();
    UpdateActions();
}

TMainForm::~TMainForm()
{
    SavePlacement(this, QStringLiteral("MainForm"), true);
    Editing = false;
    // The list lets go of the files' models before they go.
    SetListModel(nullptr);
    OpenFiles.clear();
    if (FTray)
        FTray->hide();
}

void TMainForm::Run(const std::function<void()> &command)
{
    // The one place where a command's error reaches the user.
    try {
        command();
    } catch (const EKordavinaError &e) {
        ShowError(e.Message());
    } catch (const std::exception &e) {
        ShowError(QString::fromLocal8Bit(e.what()));
    }
    ScheduleUpdate();
}

void TMainForm::ShowError(const QString &message)
{
    ShowMessageBox(isVisible() ? this : nullptr, QMessageBox::Critical, QStringLiteral("Kordavina"),
                   message);
}

QAction *TMainForm::MakeAction(QAction *&action, const char *name, const QString &caption,
                               const QKeySequence &shortcut, const QString &hint,
                               void (TMainForm::*handler)())
{
    action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (!hint.isEmpty()) {
        action->setToolTip(hint);
        action->setStatusTip(hint);
    }
    if (handler)
        connect(action, &QAction::triggered, this,
                [this, handler] { Run([this, handler] { (this->*handler)(); }); });
    if (EnableRuleOf(action->objectName()) != TEnableRule::Always)
        FEnabledActions << action;
    addAction(action);
    return action;
}

void TMainForm::CreateActions()
{
    using K = QKeySequence;
    MakeAction(FileNewA, "FileNewA", QStringLiteral("&Nova"), K(Qt::CTRL | Qt::Key_N),
               QStringLiteral("Nova datoteka"), &TMainForm::FileNewAExecute);
    MakeAction(FileOpenA, "FileOpenA", QStringLiteral("&Otvori..."), K(Qt::CTRL | Qt::Key_O),
               QStringLiteral("Otvori datoteku"), &TMainForm::FileOpenAExecute);
    MakeAction(FileSaveA, "FileSaveA", QStringLiteral("&Snimi"), K(Qt::CTRL | Qt::Key_S),
               QStringLiteral("Snimi datoteku"), &TMainForm::FileSaveAExecute);
    MakeAction(FileSaveAsA, "FileSaveAsA", QStringLiteral("Snimi k&ao..."), K(),
               QStringLiteral("Snimi datoteku pod drugim imenom"), &TMainForm::FileSaveAsAExecute);
    MakeAction(FileCloseA, "FileCloseA", QStringLiteral("&Zatvori"), K(Qt::CTRL | Qt::Key_X),
               QStringLiteral("Zatvori datoteku"), &TMainForm::FileCloseAExecute);
    MakeAction(FilePrintA, "FilePrintA", QStringLiteral("Štam&paj"), K(Qt::CTRL | Qt::Key_P),
               QStringLiteral("Štampaj datoteku"), &TMainForm::FilePrintAExecute);
    MakeAction(FilePreviewA, "FilePreviewA", QStringLiteral("Pre&gled prije štampe..."), K(),
               QStringLiteral("Pregled datoteke prije štampe"), &TMainForm::FilePreviewAExecute);
    MakeAction(FilePdfA, "FilePdfA", QStringLiteral("Štampaj u P&DF..."), K(),
               QStringLiteral("Štampaj datoteku u PDF datoteku"), &TMainForm::FilePdfAExecute);
    MakeAction(FileExitA, "FileExitA", QStringLiteral("&Kraj"), K(), QString(),
               &TMainForm::FileExitAExecute);
    MakeAction(FileDefaultA, "FileDefaultA", QStringLiteral("&Kreiraj..."), K(), QString(),
               &TMainForm::FileDefaultAExecute);
    MakeAction(FileDefaultDelA, "FileDefaultDelA", QStringLiteral("&Obriši..."), K(), QString(),
               &TMainForm::FileDefaultDelAExecute);
    MakeAction(FileProcenatA, "FileProcenatA", QStringLiteral("&Višestruki unos"),
               K(Qt::CTRL | Qt::Key_I), QStringLiteral("Višestruki unos"),
               &TMainForm::FileProcenatAExecute);
    MakeAction(FilePrinterSetupA, "FilePrinterSetupA", QStringLiteral("Pod&ešavanje štampača..."),
               K(), QString(), &TMainForm::FilePrinterSetupAExecute);
    MakeAction(UplAddA, "UplAddA", QStringLiteral("&Nova..."), K(Qt::CTRL | Qt::Key_U),
               QStringLiteral("Nova uplatnica"), &TMainForm::UplAddAExecute);
    MakeAction(UplDelA, "UplDelA", QStringLiteral("&Obriši..."), K(Qt::CTRL | Qt::Key_D),
               QStringLiteral("Brisanje uplatnice"), &TMainForm::UplDelAExecute);
    MakeAction(UplPrintA, "UplPrintA", QStringLiteral("Štam&paj"), K(),
               QStringLiteral("Štampanje uplatnice"), &TMainForm::UplPrintAExecute);
    MakeAction(UplRenameA, "UplRenameA", QStringLiteral("P&romijeni opis..."), K(), QString(),
               &TMainForm::UplRenameAExecute);
    MakeAction(UplCopyA, "UplCopyA", QStringLiteral("&Kopiraj..."), K(Qt::CTRL | Qt::Key_C),
               QStringLiteral("Kopiranje uplatnice"), &TMainForm::UplCopyAExecute);
    MakeAction(UplPropertiesA, "UplPropertiesA", QStringLiteral("Oso&bine..."),
               K(Qt::CTRL | Qt::Key_E), QStringLiteral("Osobine uplatnice"),
               &TMainForm::UplPropertiesAExecute);
    MakeAction(UplDefaultA, "UplDefaultA", QStringLiteral("&Kreiraj..."), K(), QString(),
               &TMainForm::UplDefaultAExecute);
    MakeAction(UplDefaultDelA, "UplDefaultDelA", QStringLiteral("&Obriši..."), K(), QString(),
               &TMainForm::UplDefaultDelAExecute);
    MakeAction(SetOpstineA, "SetOpstineA", QStringLiteral("&Opštine..."), K(), QString(),
               &TMainForm::SetOpstineAExecute);
    MakeAction(SetRacuniA, "SetRacuniA", QStringLiteral("&Računi..."), K(), QString(),
               &TMainForm::SetRacuniAExecute);
    MakeAction(SetVrstePrihodaA, "SetVrstePrihodaA", QStringLiteral("&Vrste prihoda..."), K(),
               QString(), &TMainForm::SetVrstePrihodaAExecute);
    MakeAction(SetSvrhe, "SetSvrhe", QStringLiteral("&Svrhe uplate..."), K(), QString(),
               &TMainForm::SetSvrheExecute);
    MakeAction(SetUsersA, "SetUsersA", QStringLiteral("&Pošiljaoci..."), K(), QString(),
               &TMainForm::SetUsersAExecute);
    MakeAction(SetSetupA, "SetSetupA", QStringLiteral("Op&cije..."), K(), QString(),
               &TMainForm::SetSetupAExecute);
    MakeAction(SetFormatsA, "SetFormatsA", QStringLiteral("&Formati uplatnica..."), K(), QString(),
               &TMainForm::SetFormatsAExecute);
    MakeAction(mnuHelpHelp, "mnuHelpHelp", QStringLiteral("&Sadržaj..."), K(Qt::Key_F1), QString(),
               &TMainForm::mnuHelpHelpClick);
    MakeAction(mnuHelpAbout, "mnuHelpAbout", QStringLiteral("&O programu..."), K(), QString(),
               &TMainForm::mnuHelpAboutClick);
    // F1 asks for the focused control's topic wherever the focus is.
    mnuHelpHelp->setShortcutContext(Qt::ApplicationShortcut);
}

void TMainForm::CreateMenus()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("&Datoteka"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFile->addActions({FileNewA, FileOpenA, FileSaveA, FileSaveAsA, FileCloseA, FilePrintA,
                         FilePreviewA, FilePdfA});
    QMenu *fileDefault = mnuFile->addMenu(QStringLiteral("S&tandardna"));
    fileDefault->setObjectName(QStringLiteral("mnuFileDefault"));
    fileDefault->addActions({FileDefaultA, FileDefaultDelA});
    mnuFile->addActions({FileProcenatA, FilePrinterSetupA});
    mnuFile->addSeparator();
    mnuFileSelect = mnuFile->addMenu(QStringLiteral("Iza&beri"));
    mnuFileSelect->setObjectName(QStringLiteral("mnuFileSelect"));
    mnuFile->addSeparator();
    mnuFile->addAction(FileExitA);
    connect(mnuFile, &QMenu::aboutToShow, this, &TMainForm::mnuFileClick);

    mnuUpl = menuBar()->addMenu(QStringLiteral("&Uplatnica"));
    mnuUpl->setObjectName(QStringLiteral("mnuUpl"));
    mnuUpl->addActions({UplAddA, UplCopyA, UplDelA, UplPrintA, UplRenameA});
    QMenu *uplDefault = mnuUpl->addMenu(QStringLiteral("S&tandardna"));
    uplDefault->setObjectName(QStringLiteral("mnuUplDefault"));
    uplDefault->addActions({UplDefaultA, UplDefaultDelA});
    mnuUpl->addAction(UplPropertiesA);

    mnuSetup = menuBar()->addMenu(QStringLiteral("P&odešavanje"));
    mnuSetup->setObjectName(QStringLiteral("mnuSetup"));
    mnuSetup->addActions({SetOpstineA, SetRacuniA, SetVrstePrihodaA, SetSvrhe, SetUsersA});
    mnuSetup->addSeparator();
    mnuSetup->addActions({SetSetupA, SetFormatsA});

    mnuHelp = menuBar()->addMenu(QStringLiteral("Pomo&ć"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelp->addActions({mnuHelpHelp, mnuHelpAbout});

    for (QMenu *menu : {mnuFile, mnuUpl, mnuSetup})
        connect(menu, &QMenu::aboutToShow, this, &TMainForm::UpdateActions);
}

void TMainForm::CreateToolBar()
{
    ToolBar = addToolBar(QStringLiteral("Alati"));
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    const auto add = [this](QAction *a, QStyle::StandardPixmap icon) {
        a->setIcon(style()->standardIcon(icon));
        ToolBar->addAction(a);
        if (auto *button = qobject_cast<QToolButton *>(ToolBar->widgetForAction(a))) {
            button->setObjectName(QStringLiteral("tb") + a->objectName());
            button->setFocusPolicy(Qt::NoFocus); // the menus hold every command
            button->setAccessibleName(a->toolTip());
        }
    };
    add(FileNewA, QStyle::SP_FileIcon);
    add(FileOpenA, QStyle::SP_DialogOpenButton);
    add(FileSaveA, QStyle::SP_DialogSaveButton);
    add(FileProcenatA, QStyle::SP_FileDialogListView);
    add(FilePrintA, QStyle::SP_DialogApplyButton);
    ToolBar->addSeparator();
    add(UplAddA, QStyle::SP_FileDialogNewFolder);
    add(UplCopyA, QStyle::SP_FileDialogContentsView);
    add(UplDelA, QStyle::SP_TrashIcon);
    add(UplPrintA, QStyle::SP_DialogYesButton);
    add(UplPropertiesA, QStyle::SP_FileDialogDetailedView);
    ToolBar->addSeparator();
    ToolButton12 = new QToolButton(ToolBar);
    ToolButton12->setObjectName(QStringLiteral("ToolButton12"));
    ToolButton12->setIcon(style()->standardIcon(QStyle::SP_TitleBarMinButton));
    ToolButton12->setToolTip(QStringLiteral("Sakrij"));
    ToolButton12->setStatusTip(QStringLiteral("Sakrij"));
    ToolButton12->setAccessibleName(QStringLiteral("Sakrij"));
    ToolButton12->setAutoRaise(true);
    // Like the tool bar's own buttons, out of the Tab order: the keyboard
    // reaches every command through the menus.
    ToolButton12->setFocusPolicy(Qt::NoFocus);
    ToolBar->addWidget(ToolButton12);
    connect(ToolButton12, &QToolButton::clicked, this, &TMainForm::ToolButton12Click);
}

void TMainForm::ScheduleUpdate()
{
    if (!FUpdateTimer->isActive())
        FUpdateTimer->start();
}

void TMainForm::UpdateActions()
{
    TMainState state;
    const TUplFile *file = CurrentFile();
    state.FileOpen = file != nullptr;
    if (file) {
        state.SlipCount = file->Count();
        // Counted from the list's selection: a few ranges, not every slip.
        if (UplList->selectionModel())
            for (const QItemSelectionRange &r : UplList->selectionModel()->selection())
                state.MarkedCount += r.height();
    }
    state.DefaultFileExists = QFileInfo::exists(ProgramFile(QStringLiteral("Default.upl")));
    state.DefaultSlipExists = QFileInfo::exists(ProgramFile(QStringLiteral("Default1.upl")));
    for (QAction *a : std::as_const(FEnabledActions))
        a->setEnabled(RuleHolds(EnableRuleOf(a->objectName()), state));
    FitHeight();
}

void TMainForm::FitHeight()
{
    // The height follows the contents: no less with files open (more gives
    // the slip list more rows), exactly that without any.
    const bool tabs = !centralWidget()->isHidden();
    // A hidden tab bar does not tell its layout that it got tabs.
    FileTabs->updateGeometry();
    const int height =
        FittedWindowHeight(tabs, 0, menuBar()->sizeHint().height(), ToolBar->sizeHint().height(),
                           centralWidget()->sizeHint().height(), statusBar()->sizeHint().height());
    const bool sizeable = FFixedHeight != 0 && maximumHeight() == QWIDGETSIZE_MAX;
    if (height != FFixedHeight || tabs != sizeable) {
        FFixedHeight = height;
        if (tabs) {
            setMinimumHeight(height);
            setMaximumHeight(QWIDGETSIZE_MAX);
            // Back to the height the user gave it, or to the contents'.
            if (!sizeable)
                resize(width(), std::max(height, FTallHeight));
        } else {
            setFixedHeight(height);
        }
    }
    setMinimumWidth(MinClientWidth);
}

void TMainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (isVisible() && FFixedHeight != 0 && maximumHeight() == QWIDGETSIZE_MAX)
        FTallHeight = height();
    LayoutWidths();
}

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!FShownOnce) {
        FShownOnce = true;
        FocusFirstField();
        if (!FStartErrors.isEmpty()) {
            const QStringList errors = std::exchange(FStartErrors, {});
            QTimer::singleShot(0, this, [this, errors] { ShowError(errors.join('\n')); });
        }
    }
}

bool TMainForm::CloseQuery()
{
    for (auto &file : OpenFiles) {
        if (file->File.Snimljena)
            continue;
        if (!AskSaveChanges(*file))
            return false;
    }
    return true;
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (!CloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    if (FTray)
        FTray->hide();
}

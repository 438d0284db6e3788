#pragma once

#include "catalogues/Catalogue.h"
#include "ui/main/MainRules.h"
#include "ui/main/SlipListModel.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAbstractItemModel;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPlainTextEdit;
class QSystemTrayIcon;
class QTabBar;
class QTimer;
class QToolBar;
class QToolButton;
class TNumEdit;
class TZorPrinter;
struct TProgramData;

// The main window: the open slip files, one per tab, the slip editor of the
// current file and every command of the program.
class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMainForm(TProgramData &data, QWidget *parent = nullptr);
    ~TMainForm() override;

    TProgramData &Data() { return FData; }

    // --- Open files -----------------------------------------------------------
    std::vector<std::unique_ptr<TOpenFile>> OpenFiles;
    int NextFileNumber = 1;

    // The file of the active tab; nullptr when no file is open.
    TUplFile *CurrentFile();
    TOpenFile *CurrentOpenFile();
    TUplFile *FileByIndex(int index);
    // A slip of the current file; nullptr when out of range.
    TUpl *SlipByIndex(int index);
    int CurrentFileIndex() const;

    // Makes a new file (from Default.upl when it can be read), opens it in a
    // new tab and shows it.
    TOpenFile *NewFile();
    // Adds an open file in a new, active tab and shows it.
    TOpenFile *AddOpenFile(TUplFile file);
    // Opens path in a tab, or activates its tab when it is open already.
    // False when the file was refused (the error is shown).
    bool OpenFileByName(const QString &path);
    // Saves the file, asking for a name when it has none. False when it was
    // not written (cancelled or failed).
    bool SaveFile(TOpenFile &file);
    // Closes the current file, asking to save it when changed. False when the
    // user cancelled or the save failed.
    bool CloseCurrentFile();
    void ActivateFile(int index);

    // The current file's contents changed: it is no longer saved.
    void MarkChanged();
    void MarkChanged(TOpenFile &file);

    // --- Slip editor --------------------------------------------------------
    void FillSlipList();
    void ShowCurrentSlip();
    void StoreSelection();
    int CurrentSlipIndex() const;
    // Selects only the slip at row, stores the selection and shows it.
    void MoveToSlip(int row);
    // Whether the focus may leave the field; when not, its catalogue opens.
    bool CanLeaveField(QWidget *control);
    // Writes a chosen catalogue entry into the editor as typing would.
    void WritePickedEntry(TCatalogueKind kind, const TCatalogueEntry &e);
    void WritePickedSender(const TSenderEntry &s);

    // Catalogue windows in pick mode, installed by whoever provides them.
    std::function<std::optional<TCatalogueEntry>(TCatalogueKind kind, const QString &current)>
        CataloguePicker;
    std::function<std::optional<TSenderEntry>(const QString &current)> SenderPicker;

    // --- Seams --------------------------------------------------------------
    // Tests answer the dialogs through ui/common/DialogSeams.h.
    enum class TFileChoice { OpenUpl, SaveUpl, SavePdf };
    // Shows the file dialog of that kind: a path, or nothing for cancel.
    std::optional<QString> ChooseFile(TFileChoice kind, const QString &suggested);
    // Shows an error in the standard error box.
    void ShowError(const QString &message);
    // When set, asked instead of the printer dialog when a job has no printer
    // of the user's choosing: true when a printer was chosen.
    std::function<bool()> PrinterChooser;
    // The file named on the command line at creation; tests set it before.
    static void SetCommandLineFile(const QString &path);

    // The print job object: the program's, or one of this window's own.
    TZorPrinter &Printer();

    // --- Commands -----------------------------------------------------------
    QAction *FileNewA = nullptr;
    QAction *FileOpenA = nullptr;
    QAction *FileSaveA = nullptr;
    QAction *FileSaveAsA = nullptr;
    QAction *FileCloseA = nullptr;
    QAction *FilePrintA = nullptr;
    QAction *FilePreviewA = nullptr;
    QAction *FilePdfA = nullptr;
    QAction *FileExitA = nullptr;
    QAction *FileDefaultA = nullptr;
    QAction *FileDefaultDelA = nullptr;
    QAction *FileProcenatA = nullptr;
    QAction *FilePrinterSetupA = nullptr;
    QAction *UplAddA = nullptr;
    QAction *UplDelA = nullptr;
    QAction *UplPrintA = nullptr;
    QAction *UplRenameA = nullptr;
    QAction *UplCopyA = nullptr;
    QAction *UplPropertiesA = nullptr;
    QAction *UplDefaultA = nullptr;
    QAction *UplDefaultDelA = nullptr;
    QAction *SetOpstineA = nullptr;
    QAction *SetRacuniA = nullptr;
    QAction *SetVrstePrihodaA = nullptr;
    QAction *SetSvrhe = nullptr;
    QAction *SetUsersA = nullptr;
    QAction *SetSetupA = nullptr;
    QAction *SetFormatsA = nullptr;
    QAction *mnuHelpHelp = nullptr;
    QAction *mnuHelpAbout = nullptr;

    // Recomputes the enabling of the commands and fits the height (what the
    // idle update does); normally run from a coalescing zero-timer.
    void UpdateActions();
    // Asks for UpdateActions once the current event is handled.
    void ScheduleUpdate();

    // --- Controls -----------------------------------------------------------
    QToolBar *ToolBar = nullptr;
    QToolButton *ToolButton12 = nullptr;
    QTabBar *FileTabs = nullptr;
    QWidget *TabSheet = nullptr; // the editor below the tabs
    QMenu *mnuFile = nullptr;
    QMenu *mnuFileSelect = nullptr;
    QMenu *mnuUpl = nullptr;
    QMenu *mnuSetup = nullptr;
    QMenu *mnuHelp = nullptr;
    QMenu *mnuSvrhe = nullptr; // payment kinds

    QPlainTextEdit *mNapomene = nullptr;
    QListView *UplList = nullptr;
    QToolButton *SpeedButton1 = nullptr;

    QLineEdit *mRacunPosiljaoca = nullptr;
    QLineEdit *mPosiljalac = nullptr;
    QLineEdit *mSvrha = nullptr;
    QLineEdit *mRacunPrimaoca = nullptr;
    QLineEdit *mPrimalac = nullptr;
    TNumEdit *mIznos = nullptr;
    QCheckBox *mHitno = nullptr;
    QLineEdit *mBrojObveznika = nullptr;
    QLineEdit *mVrstaUplate = nullptr;
    QLineEdit *mVrstaPrihoda = nullptr;
    QLineEdit *mOpstina = nullptr;
    QLineEdit *mPoziv = nullptr;
    QLineEdit *mBudzetska = nullptr;
    QLineEdit *mPeriodOd = nullptr;
    QLineEdit *mPeriodDo = nullptr;
    QLineEdit *mDatumUplate = nullptr;
    QLineEdit *mMjestoUplate = nullptr;
    QLabel *stVrstaUplate = nullptr;
    QLabel *stVrstaPrihoda = nullptr;
    QLabel *stOpstina = nullptr;
    QToolButton *spRacunPosiljaoca = nullptr;
    QToolButton *spPosiljalac = nullptr;
    QToolButton *spSvrha = nullptr;
    QToolButton *spRacunPrimaoca = nullptr;
    QToolButton *spPrimalac = nullptr;
    QToolButton *spVrstaUplate = nullptr;
    QToolButton *spVrstaPrihoda = nullptr;
    QToolButton *spOpstina = nullptr;

    // The data control of each editor field, and the label of each row.
    QWidget *FieldControl(TEditorField field) const { return FFields[field]; }
    QLabel *RowLabel(int row) const { return FLabels[row]; }

    bool Editing = false;
    bool InTray = false;

Q_SIGNALS:
    // The options dialog was confirmed.
    void SettingsChanged();

public:
    // --- slip commands (MainFormSlips.cpp) ---
    void UplAddAExecute();
    void UplDelAExecute();
    void UplRenameAExecute();
    void UplCopyAExecute();
    void UplPropertiesAExecute();
    void UplDefaultAExecute();
    void UplDefaultDelAExecute();
    void FileProcenatAExecute();
    void InitSlipCommands();
    class TUplProcForm *UplProcForm = nullptr;   // "Višestruki unos"
    class TCopyUplForm *CopyUplForm = nullptr;   // "Kopiranje"
    class TUplSetupForm *UplSetupForm = nullptr; // "Podešavanje uplatnice"
    // The files' undo stacks; the active one is the current file's.
    class QUndoGroup *SlipUndo = nullptr;
    QAction *UplUndoA = nullptr; // Ctrl+Z in the slip list
    QAction *UplRedoA = nullptr; // Ctrl+Shift+Z in the slip list
    std::optional<QString> AskText(const QString &caption, const QString &prompt,
                                   const QString &text);
    // Puts the file's stack into SlipUndo (once) and keeps its saved state
    // following the stack's clean state.
    TOpenFile *AdoptSlipUndo(TOpenFile *open);
    void SyncSlipUndo();
    void PushSlipCommand(TOpenFile &open, class QUndoCommand *command);
    // After a slip command or its undo: the list follows when it shows file.
    void SlipsChanged(TUplFile &file);
    std::function<void(TUplFile &)> SlipsChangedHandler();

    // File commands (MainFormFiles.cpp).
    void FileNewAExecute();
    void FileOpenAExecute();
    void FileSaveAExecute();
    void FileSaveAsAExecute();
    void FileCloseAExecute();
    void FileExitAExecute();
    void FileDefaultAExecute();
    void FileDefaultDelAExecute();
    void mnuFileClick();
    void MenuFileSelect(const QString &caption);
    void FileTabsChange(int index);

    // --- catalogue windows and options (MainFormCatalogues.cpp) ---
    void SetOpstineAExecute();
    void SetRacuniAExecute();
    void SetVrstePrihodaAExecute();
    void SetSvrheExecute();
    void SetUsersAExecute();
    void SetSetupAExecute();
    void InitCatalogueWindows();
    // Made once, children of the main window, kept for the run.
    class TOpstineForm *OpstineForm = nullptr;
    class TRacuniForm *RacuniForm = nullptr;
    class TPrihodiForm *PrihodiForm = nullptr;
    class TSvrheForm *SvrheForm = nullptr;
    class TRacuniKForm *RacuniKForm = nullptr;
    class TSetupForm *SetupForm = nullptr;
    // The window of a code catalogue.
    class TCodeCatalogueForm *CatalogueForm(TCatalogueKind kind) const;

    // Printing (MainFormPrint.cpp).
    void FilePrintAExecute();
    void UplPrintAExecute();
    void FilePreviewAExecute();
    void FilePdfAExecute();
    void FilePrinterSetupAExecute();
    // Selects the printer of the settings (the system's default when it is
    // empty or not installed).
    void SelectPrinter();
    // PrinterChooser, or the printer dialog; false when the user cancelled.
    bool ChoosePrinter();
    // "Podešavanje štampača": false when cancelled.
    bool RunPrinterSetup();

    // --- format editor (MainFormFormats.cpp) ---
    void SetFormatsAExecute();
    void InitFormatEditor();
    // Made at the first "Formati uplatnica..." and kept (a child of this window).
    class TFormatsForm *FormatsForm = nullptr;
    // The slip "Prikaži uplatnicu" shows: the current slip of the current file.
    std::optional<TUpl> FormatEditorSlip();

    // Notification area and help (MainFormTray.cpp).
    void ToolButton12Click();
    void RestoreFromTray();
    void mnuHelpHelpClick();
    void mnuHelpAboutClick();

    // --- account checks (MainFormChecks.cpp) ---
    // The marks beside the accounts and the taxpayer number.
    class TCheckMark *markRacunPosiljaoca = nullptr;
    class TCheckMark *markRacunPrimaoca = nullptr;
    class TCheckMark *markBrojObveznika = nullptr;
    void InitChecks();
    // The settings switch turns the marks and the print question on or off.
    void ApplyCheckSetting();
    // Asks once when some of slips fail their checks; true: print them all.
    bool ConfirmPrintChecks(const QList<TUpl> &slips);

    // --- slips to and from spreadsheet files (MainFormCsv.cpp) ---
    QAction *FileImportCsvA = nullptr;
    QAction *FileExportCsvA = nullptr;
    void InitCsv();
    void FileImportCsvAExecute();
    void FileExportCsvAExecute();
    // Appends the rows of a CSV file to the current file (a new one when none
    // is open); refused rows are named and the rest taken only on "Da".
    void ImportCsvFile(const QString &path);

    // --- keyboard and marks (MainFormKeys.cpp) ---
    // Puts the focus where the user types next: "Račun pošiljaoca", or the
    // first field below it that takes typing when it is hidden or read-only.
    void FocusFirstField();
    // Opens the "..." picker of the field, as F4 and Alt+Down do; false when
    // the field has none or cannot be edited.
    bool OpenFieldPicker(QWidget *control);
    // "Uređujete 8 označenih uplatnica" in the status bar while several
    // slips are marked.
    QLabel *stOznacene = nullptr;

    // Editor handlers (MainFormEditor.cpp).
    void DataChange(QWidget *control);
    void UplListClick();
    void SpeedButton1Click();
    void mnuRedovnaClick(QAction *item);
    void spRacunPosiljaocaClick();
    void spRacunPrimaocaClick();
    void spSvrhaClick();
    void spVrstaUplateClick();
    void spVrstaPrihodaClick();
    void spOpstinaClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // MainFormU.cpp
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    QAction *MakeAction(QAction *&action, const char *name, const QString &caption,
                        const QKeySequence &shortcut, const QString &hint,
                        void (TMainForm::*handler)());
    void FitHeight();
    bool CloseQuery();
    void Run(const std::function<void()> &command);

    // The editor's controls, made by row group, placed and styled
    // (MainFormEditorLayout.cpp).
    void CreateEditor();
    class TRowMaker;
    void CreateEditorSheet();
    void CreateSlipColumn();
    void CreatePartyRows(const TRowMaker &make);
    void CreateAmountRow(const TRowMaker &make);
    void CreateRevenueRows(const TRowMaker &make);
    void CreateDateRows(const TRowMaker &make);
    void FinishEditorRows();
    void LayoutWidths();
    void ArrangeRows(const std::array<bool, EditorRowCount> &rowVisible);
    void ApplyFieldLooks(const TFieldLooks &looks);
    void ConnectField(TEditorField field);
    int FieldOf(QWidget *control) const;
    void NoteDropped(int dropped);

    // The editor's contents and keys (MainFormEditor.cpp).
    void SetListModel(QAbstractItemModel *model);
    void SetFieldText(QWidget *control, const QString &text);
    void StoreField(TEditorField field);
    void ShowCodeNames();
    bool EditorKey(QWidget *control, QKeyEvent *key);
    bool IsWindowCommandKey(const QKeyEvent &key) const;
    // Field edits on the file's undo stack (MainFormEditor.cpp).
    void EditAsOneStep(TEditorField named, const std::function<void()> &write);
    void WriteLookup(const TLookupWrites &writes);
    // -1 for an undo key, 1 for a redo key, 0 for any other.
    int UndoKeyOf(const QKeyEvent &key) const;
    void UndoStep(int direction);
    void FieldContextMenu(QLineEdit *edit, const QPoint &globalPos);

    // MainFormKeys.cpp
    void InitKeyboardAids();
    // With several marked slips: agreed values shown, differing ones marked;
    // otherwise the marks go and shown (the slip on view) keeps its HITNO.
    void ShowMarkedFields(const TUplFile *file, int marked, const TUpl &shown);
    // A HITNO box standing for differing slips becomes a plain one, checked
    // as given without writing it.
    void SettleHitno(bool checked);
    bool PickerKey(QWidget *control, QKeyEvent *key);

    // MainFormFiles.cpp
    bool AskSaveChanges(TOpenFile &file);
    void RemoveFile(int index);
    bool WriteChecked(TOpenFile &file);

    // MainFormPrint.cpp
    void PrintJob(bool markedOnly, int target);

    TProgramData &FData;
    std::array<QWidget *, EditorFieldCount> FFields{};
    std::array<QLabel *, EditorRowCount> FLabels{};
    QLabel *cNapomene = nullptr;
    QLabel *cUplatnice = nullptr;
    QTimer *FUpdateTimer = nullptr;
    QSystemTrayIcon *FTray = nullptr;
    std::unique_ptr<TZorPrinter> FOwnPrinter;
    bool FPrinterChosen = false; // the user chose the printer in this run
    QList<QAction *> FEnabledActions;
    QStringList FStartErrors;
    bool FSettingText = false; // a programmatic write, handled by its writer
    int FEditDepth = 0;        // inside an editor write that takes an undo step
    quint64 FEditVisit = 0;    // edits of one visit to a field merge
    bool FShownOnce = false;
    int FFixedHeight = 0;
    int FTallHeight = 0; // the height chosen by the user while files are open
};

#pragma once

#include "core/FontStyle.h"
#include "core/Upl.h"
#include "ui/formats/PositionsDocument.h"

#include <QDialog>
#include <QFont>

#include <functional>
#include <optional>

class QAction;
class QComboBox;
class QScrollArea;
class QToolBar;
class TFormatsBoard;
class TFormatStore;
struct TSettings;

// "Podešavanje formata uplatnica": the format editor. It shows a print format
// at true size, lets the user drag its 23 positions, create, save, delete and
// choose formats, pick the default one, print the calibration grid and keep a
// print correction per printer. Formats live in the format store it is
// handed, written to Formats.ini as soon as they are saved and read anew each
// time the window is shown; the settings it reads (printer, amount text) are
// the program's. The window keeps its state between showings, unsaved
// positions included.
class TFormatsForm : public QDialog
{
    Q_OBJECT
public:
    TFormatsForm(TFormatStore &formats, const TSettings &settings, QWidget *parent = nullptr);
    ~TFormatsForm() override;

    // Shows the window modally.
    void Execute();
    // The default format again (or the built-in positions), laid out anew
    // because InchMm may have changed. Unsaved positions of the format shown
    // are kept on screen rather than dropped; only the layout is renewed then.
    void ShowDefaultFormat();
    // Where "Prikaži uplatnicu" takes its slip from: the main window's current
    // slip; a sample slip with every field filled when it gives none.
    void SetSlipSource(std::function<std::optional<TUpl>()> source);
    // The print job object the grid goes to (the program's ZorPrinter() when
    // none is given).
    void SetPrinter(class TZorPrinter *printer) { FPrinter = printer; }
    // Before the program ends: asks whether to store unsaved positions. False
    // when the user cancels (the program should go on).
    bool QueryEnd();

    // The name selected in mPositions; empty when there is no format.
    QString SelectedName() const;
    // The positions shown equal those stored under SelectedName().
    bool Saved() const;
    TPositionsDocument &Document() { return FDoc; }
    TFormatsBoard *Board() const { return FBoard; }
    // The screen's pixels per inch the panel is drawn with.
    void SetScreenDensity(double dpi);
    // A slip with every field filled, for "Prikaži uplatnicu" without a slip.
    static TUpl SampleSlip();

    QToolBar *ToolBar = nullptr;
    QComboBox *mPositions = nullptr;
    QAction *btnSave = nullptr;
    QAction *btnRefresh = nullptr;
    QAction *btnDel = nullptr;
    QAction *btnAdd = nullptr;
    QAction *btnDefault = nullptr;
    QAction *btnSize = nullptr;
    QAction *mTenth = nullptr;
    QAction *btnLeft = nullptr;
    QAction *btnRight = nullptr;
    QAction *btnDown = nullptr;
    QAction *btnUp = nullptr;
    QAction *btnFont = nullptr;
    QAction *btnFontAll = nullptr;
    QAction *btnGrid = nullptr;
    QAction *btnCorrection = nullptr;
    QAction *mShowSlip = nullptr;
    QAction *btnUndo = nullptr;
    QAction *btnRedo = nullptr;

    // Tool bar commands.
    void btnSaveClick();
    void btnRefreshClick();
    void btnDelClick();
    void btnAddClick();
    void btnDefaultClick();
    void btnSizeClick();
    void btnMoveClick(float dx, float dy);
    void btnFontClick();
    void btnFontAllClick();
    void btnGridClick();
    void btnCorrectionClick();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // A note to the user, titled with the window's name. Every dialog of this
    // window goes through the dialog seams (ui/common/DialogSeams.h,
    // FormatDialogSeam), so tests answer them without showing.
    void ShowMessage(const QString &text);
    // A failure of a command (a printer error), in the standard error box.
    void ShowError(const QString &text);
    TFormatStore &Store();
    // Flush of the store; a failure is shown. True when the file was written.
    bool WriteStore();
    // Reads Formats.ini anew and shows what it holds now.
    void ReloadStore();
    void CreateToolBar();
    void FillFormatList(const QString &select);
    void LoadFormat(const QString &name);
    void ApplyDefaultPositions();
    void mPositionsChange(int index);
    void UpdateActions();
    void UpdateSlip();
    // Asks about unsaved positions; false when the user cancels.
    bool AskSaveChanges();
    QString PrinterForCorrection() const;
    // The font the font dialog opens on for a stored family, size and style.
    static QFont FontForDialog(const QString &family, int size, TFontStyles style);
    // The font dialog; family becomes the family to store (the stored name
    // kept when the user left the family as the dialog opened).
    bool ChooseFontKeepingName(QFont &font, QString &family);
    // The drawing area shown whole, or scrolled where it is larger than the screen.
    void FitToScreen();

    TFormatStore &FFormats;
    const TSettings &FSettings;
    TPositionsDocument FDoc;
    TFormatsBoard *FBoard = nullptr;
    QScrollArea *FScroll = nullptr;
    TFieldFormats FStored; // the positions as stored, for Saved()
    QString FShown;        // the format whose positions are shown
    QFont FLastAllFont{QStringLiteral("Arial"), 10};
    std::function<std::optional<TUpl>()> FSlipSource;
    class TZorPrinter *FPrinter = nullptr;
};

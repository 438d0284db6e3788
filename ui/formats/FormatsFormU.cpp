#include "ui/formats/FormatsFormU.h"

#include "core/Errors.h"
#include "core/FontStyle.h"
#include "core/Settings.h"
#include "print/formats/FormatEditMath.h"
#include "print/formats/FormatStore.h"
#include "ui/common/ConfirmFormU.h"
#include "ui/common/DialogSeams.h"
#include "ui/common/Placement.h"
#include "ui/formats/AddEditPositionsFormU.h"
#include "ui/formats/FormatsBoardU.h"
#include "ui/formats/PrintCorrectionFormU.h"
#include "ui/formats/UplLineU.h"
#include "ui/help/HelpContexts.h"
#include "ui/print/SlipPrint.h"
#include "ui/print/ZorPrinters.h"

#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLayout>
#include <QPainter>
#include <QPrinterInfo>
#include <QScreen>
#include <QScrollArea>
#include <QStandardItemModel>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace {

const QString PlacementName = QStringLiteral("FormatsForm");

// Tool bar pictures drawn rather than loaded: a short text or an arrow.
QIcon GlyphIcon(const QString &glyph, int arrow = -1)
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 30, 30), 1.5));
    p.setBrush(QColor(30, 30, 30));
    if (arrow >= 0) {
        // 0 left, 1 right, 2 down, 3 up
        QPolygonF tri;
        tri << QPointF(-6, 0) << QPointF(2, -6) << QPointF(2, 6);
        p.translate(12, 12);
        p.rotate(QList<int>{0, 180, 270, 90}.at(arrow));
        p.drawPolygon(tri);
        p.drawRect(QRectF(2, -2, 5, 4));
    } else {
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(glyph.size() > 2 ? 10 : 15);
        f.setBold(true);
        p.setFont(f);
        p.drawText(pm.rect(), Qt::AlignCenter, glyph);
    }
    return QIcon(pm);
}

QIcon GridIcon()
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(30, 30, 30));
    for (int i = 3; i <= 21; i += 3) {
        p.drawLine(i, 3, i, 21);
        p.drawLine(3, i, 21, i);
    }
    return QIcon(pm);
}

} // namespace

TFormatsForm::TFormatsForm(TFormatStore &formats, const TSettings &settings, QWidget *parent)
    : QDialog(parent), FFormats(formats), FSettings(settings)
{
    setProperty("helpContext", hcFormats);
    setObjectName(PlacementName);
    setWindowTitle(QStringLiteral("Podešavanje formata uplatnica"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    FBoard = new TFormatsBoard(FDoc, this);
    CreateToolBar();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar);
    // A sheet larger than the screen is still drawn at true size, in a view
    // that scrolls.
    FScroll = new QScrollArea(this);
    FScroll->setObjectName(QStringLiteral("UplScroll"));
    FScroll->setFrameShape(QFrame::NoFrame);
    FScroll->setWidgetResizable(false);
    FScroll->setWidget(FBoard);
    layout->addWidget(FScroll, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(FBoard, &TFormatsBoard::NoFormat, this,
            [this] { ShowMessage(QStringLiteral("Morate kreirati novi format!")); });
    connect(FBoard, &TFormatsBoard::SelectionChanged, this, [this] {
        if (const TUplLine *line = FBoard->Line(FBoard->SelectedIndex()))
            FScroll->ensureVisible(line->x(), line->y(), 60, 40);
        UpdateActions();
    });
    connect(FBoard, &TFormatsBoard::SizeChanged, this, &TFormatsForm::FitToScreen);
    connect(&FDoc, &TPositionsDocument::Changed, this, &TFormatsForm::UpdateActions);
    connect(mPositions, &QComboBox::currentIndexChanged, this, &TFormatsForm::mPositionsChange);

    // The window as it is at program start: the built-in positions at
    // 176 x 100 mm, then the default format, if there is one.
    const QString def = Store().DefaultName();
    ApplyDefaultPositions();
    if (!def.isEmpty())
        LoadFormat(def);
    FillFormatList(def);
    FBoard->LayoutPanel();
    FitToScreen();
    UpdateActions();
    RestorePlacement(this, PlacementName, false);
}

TFormatsForm::~TFormatsForm()
{
    SavePlacement(this, PlacementName, false);
}

TFormatStore &TFormatsForm::Store()
{
    return FFormats;
}

bool TFormatsForm::WriteStore()
{
    // What the user saved reaches the disk now, not at program end: a crash
    // or a power cut must not take it.
    QString error;
    if (Store().Flush(&error))
        return true;
    ShowError(error);
    return false;
}

void TFormatsForm::ReloadStore()
{
    // Another copy of the program may have changed Formats.ini since this
    // window was last shown.
    QString error;
    if (!Store().Reload(&error)) {
        ShowError(QStringLiteral("Datoteka %1 nije pročitana: %2").arg(Store().FileName(), error));
        return;
    }
    if (!Saved()) {
        // Unsaved positions stay on screen; only the list is renewed.
        FillFormatList(FShown);
        UpdateActions();
        return;
    }
    const QString shown = FShown;
    if (!shown.isEmpty() && Store().FormatExists(shown)) {
        LoadFormat(shown);
        FillFormatList(shown);
        FBoard->LayoutPanel();
        FBoard->UpdateMarks();
        UpdateActions();
    } else {
        ShowDefaultFormat();
    }
}

void TFormatsForm::CreateToolBar()
{
    ToolBar = new QToolBar(this);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setIconSize(QSize(24, 24));
    const auto add = [this](QAction *&target, const char *name, const QString &hint,
                            const QIcon &icon, auto handler) {
        target = ToolBar->addAction(icon, hint);
        target->setObjectName(QLatin1String(name));
        target->setToolTip(hint);
        target->setStatusTip(hint);
        if (QWidget *button = ToolBar->widgetForAction(target)) {
            button->setObjectName(QLatin1String(name));
            button->setAccessibleName(hint);
        }
        connect(target, &QAction::triggered, this, handler);
    };
    const QStyle *st = style();
    add(btnSave, "btnSave", QStringLiteral("Snimi promjene"),
        st->standardIcon(QStyle::SP_DialogSaveButton), [this] { btnSaveClick(); });
    btnSave->setShortcut(QKeySequence::Save);
    add(btnRefresh, "btnRefresh", QStringLiteral("Vrati na početno"),
        st->standardIcon(QStyle::SP_BrowserReload), [this] { btnRefreshClick(); });
    add(btnDel, "btnDel", QStringLiteral("Obriši format"), st->standardIcon(QStyle::SP_TrashIcon),
        [this] { btnDelClick(); });
    add(btnAdd, "btnAdd", QStringLiteral("Novi format"), st->standardIcon(QStyle::SP_FileIcon),
        [this] { btnAddClick(); });
    add(btnDefault, "btnDefault", QStringLiteral("Glavni format"), GlyphIcon(QStringLiteral("G")),
        [this] { btnDefaultClick(); });
    add(btnSize, "btnSize", QStringLiteral("Veličina formata"), GlyphIcon(QStringLiteral("↔")),
        [this] { btnSizeClick(); });

    mPositions = new QComboBox(ToolBar);
    mPositions->setObjectName(QStringLiteral("mPositions"));
    mPositions->setAccessibleName(QStringLiteral("Format"));
    mPositions->setMinimumContentsLength(14);
    mPositions->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ToolBar->addWidget(mPositions);

    ToolBar->addSeparator();
    add(mTenth, "mTenth", QStringLiteral("Pomijeranje za 0,1 mm"), GlyphIcon(QStringLiteral("0,1")),
        [this](bool on) { FBoard->SetFineMode(on); });
    mTenth->setCheckable(true);
    add(btnLeft, "btnLeft", QStringLiteral("Sva polja ulijevo"), GlyphIcon({}, 0),
        [this] { btnMoveClick(-1, 0); });
    add(btnRight, "btnRight", QStringLiteral("Sva polja udesno"), GlyphIcon({}, 1),
        [this] { btnMoveClick(1, 0); });
    add(btnDown, "btnDown", QStringLiteral("Sva polja naniže"), GlyphIcon({}, 2),
        [this] { btnMoveClick(0, 1); });
    add(btnUp, "btnUp", QStringLiteral("Sva polja naviše"), GlyphIcon({}, 3),
        [this] { btnMoveClick(0, -1); });
    ToolBar->addSeparator();
    add(btnGrid, "btnGrid", QStringLiteral("Štampanje mreže"), GridIcon(),
        [this] { btnGridClick(); });
    add(btnCorrection, "btnCorrection", QStringLiteral("Korekcija štampača"),
        GlyphIcon(QStringLiteral("±")), [this] { btnCorrectionClick(); });
    add(btnFont, "btnFont", QStringLiteral("Vrsta slova"), GlyphIcon(QStringLiteral("A")),
        [this] { btnFontClick(); });
    add(btnFontAll, "btnFontAll", QStringLiteral("Vrsta slova za sva polja"),
        GlyphIcon(QStringLiteral("AA")), [this] { btnFontAllClick(); });
    add(mShowSlip, "mShowSlip", QStringLiteral("Prikaži uplatnicu"),
        GlyphIcon(QStringLiteral("Ab")), [this] { UpdateSlip(); });
    mShowSlip->setCheckable(true);
    ToolBar->addSeparator();

    btnUndo = FDoc.UndoStack().createUndoAction(this, QStringLiteral("Poništi"));
    btnUndo->setObjectName(QStringLiteral("btnUndo"));
    btnUndo->setIcon(st->standardIcon(QStyle::SP_ArrowBack));
    btnUndo->setShortcut(QKeySequence::Undo);
    btnRedo = FDoc.UndoStack().createRedoAction(this, QStringLiteral("Ponovi"));
    btnRedo->setObjectName(QStringLiteral("btnRedo"));
    btnRedo->setIcon(st->standardIcon(QStyle::SP_ArrowForward));
    // Ctrl+Shift+Z everywhere, and the platform's other redo key where it has
    // one (Ctrl+Y on Windows). Each key once: on X11 the two are the same
    // key, and a key bound twice is ambiguous, so Qt does nothing.
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    const QKeySequence shiftZ(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    if (!redoKeys.contains(shiftZ))
        redoKeys.prepend(shiftZ);
    btnRedo->setShortcuts(redoKeys);
    ToolBar->addAction(btnUndo);
    ToolBar->addAction(btnRedo);

    // Keyboard access to the commands used most; the hint names the keys.
    const QList<std::pair<QAction *, QKeySequence>> keys{
        {btnAdd, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {mTenth, QKeySequence(Qt::CTRL | Qt::Key_T)},
        {btnGrid, QKeySequence(Qt::CTRL | Qt::Key_P)},
        {btnFont, QKeySequence(Qt::CTRL | Qt::Key_F)},
        {mShowSlip, QKeySequence(Qt::CTRL | Qt::Key_U)}};
    for (const auto &[action, key] : keys)
        action->setShortcut(key);
    for (QAction *a : ToolBar->actions())
        if (!a->shortcut().isEmpty())
            a->setToolTip(
                QStringLiteral("%1 (%2)").arg(a->statusTip().isEmpty() ? a->text() : a->statusTip(),
                                              a->shortcut().toString(QKeySequence::NativeText)));
    for (QAction *a : {btnUndo, btnRedo})
        if (QWidget *button = ToolBar->widgetForAction(a))
            button->setAccessibleName(a == btnUndo ? QStringLiteral("Poništi")
                                                   : QStringLiteral("Ponovi"));
}

// --- The list of formats -----------------------------------------------------------

QString TFormatsForm::SelectedName() const
{
    return mPositions->currentIndex() < 0 ? QString() : mPositions->currentText();
}

void TFormatsForm::FillFormatList(const QString &select)
{
    const QSignalBlocker block(mPositions);
    mPositions->clear();
    const QStringList names = Store().FormatNames();
    const QString def = Store().DefaultName();
    QFont bold = mPositions->font();
    bold.setBold(true);
    int current = -1;
    for (int i = 0; i < names.size(); ++i) {
        mPositions->addItem(names.at(i));
        // The default format in bold, the others in regular type.
        if (names.at(i).compare(def, Qt::CaseInsensitive) == 0)
            mPositions->setItemData(i, bold, Qt::FontRole);
        if (current < 0 && names.at(i).compare(select, Qt::CaseInsensitive) == 0)
            current = i;
    }
    mPositions->setCurrentIndex(current);
    QFont shown = mPositions->font();
    shown.setBold(current >= 0 && names.at(current).compare(def, Qt::CaseInsensitive) == 0);
    mPositions->setFont(shown);
    FShown = current >= 0 ? names.at(current) : QString();
    FBoard->SetHasFormat(current >= 0);
}

void TFormatsForm::LoadFormat(const QString &name)
{
    // Keys that are missing leave their line where it is.
    TFieldFormats defaults = FDoc.Format();
    defaults.Width = 176;
    defaults.Height = 100;
    try {
        const TFieldFormats format = Store().ReadFormat(name, defaults);
        FStored = format;
        FDoc.Load(format);
    } catch (const EKordavinaError &e) {
        ShowError(e.Message());
    }
}

void TFormatsForm::ApplyDefaultPositions()
{
    TFieldFormats format = FDoc.Format();
    format.Positions = TFieldFormats().Positions;
    FStored = format;
    FDoc.Load(format);
}

bool TFormatsForm::Saved() const
{
    return SelectedName().isEmpty() || SamePositions(FDoc.Format(), FStored);
}

bool TFormatsForm::AskSaveChanges()
{
    if (FShown.isEmpty() || SamePositions(FDoc.Format(), FStored))
        return true;
    switch (
        ConfirmAsk(QStringLiteral("Format \"%1\" ima nesnimljene promjene položaja. Snimiti ih?")
                       .arg(FShown))) {
    case TConfirmResult::Yes:
        if (!ValidFormatSize(FDoc.Format().Width) || !ValidFormatSize(FDoc.Format().Height)) {
            ShowMessage(QStringLiteral("Širina i visina formata moraju biti od %1 do %2 mm!")
                            .arg(MinFormatSize)
                            .arg(MaxFormatSize));
            return false;
        }
        Store().WriteFormat(FShown, FDoc.Format());
        FStored = FDoc.Format();
        FDoc.MarkSaved();
        WriteStore();
        return true;
    case TConfirmResult::No:
        return true;
    case TConfirmResult::Cancel:
        break;
    }
    return false;
}

void TFormatsForm::mPositionsChange(int index)
{
    if (index < 0)
        return;
    const QString name = mPositions->itemText(index);
    if (!AskSaveChanges()) {
        // Back to the format whose positions are still shown.
        const QSignalBlocker block(mPositions);
        mPositions->setCurrentIndex(mPositions->findText(FShown, Qt::MatchFixedString));
        return;
    }
    LoadFormat(name);
    FillFormatList(name);
    FBoard->LayoutPanel();
    FBoard->UpdateMarks();
    UpdateActions();
}

void TFormatsForm::UpdateActions()
{
    const bool has = !SelectedName().isEmpty();
    const bool saved = Saved();
    for (QAction *a :
         {btnDel, btnDefault, btnSize, btnLeft, btnRight, btnDown, btnUp, btnGrid, btnFontAll})
        a->setEnabled(has);
    btnSave->setEnabled(has && !saved);
    btnRefresh->setEnabled(has && !saved);
    btnFont->setEnabled(has && FBoard->SelectedIndex() >= 0);
    mPositions->setEnabled(mPositions->count() > 0);
    btnAdd->setEnabled(true);
}

// --- Tool bar commands ---------------------------------------------------------------

void TFormatsForm::btnSaveClick()
{
    const QString name = SelectedName();
    if (name.isEmpty())
        return;
    const TFieldFormats &format = FDoc.Format();
    if (!ValidFormatSize(format.Width) || !ValidFormatSize(format.Height)) {
        ShowMessage(QStringLiteral("Širina i visina formata moraju biti od %1 do %2 mm!")
                        .arg(MinFormatSize)
                        .arg(MaxFormatSize));
        return;
    }
    Store().WriteFormat(name, format);
    FStored = format;
    FDoc.MarkSaved();
    WriteStore();
    UpdateActions();
}

void TFormatsForm::btnRefreshClick()
{
    const QString name = SelectedName();
    if (name.isEmpty())
        return;
    // The stored positions come back; the ones dropped stay in the history.
    TFieldFormats defaults = FDoc.Format();
    defaults.Width = 176;
    defaults.Height = 100;
    try {
        FStored = Store().ReadFormat(name, defaults);
        FDoc.Revert(FStored);
    } catch (const EKordavinaError &e) {
        ShowError(e.Message());
    }
    FBoard->UpdateMarks();
    UpdateActions();
}

void TFormatsForm::btnDelClick()
{
    const QString name = SelectedName();
    if (name.isEmpty() ||
        ConfirmAsk(QStringLiteral("Sigurno želite obrisati format '%1'").arg(name)) !=
            TConfirmResult::Yes)
        return;
    Store().DeleteFormat(name);
    const TDeleteOutcome next = AfterDelete(Store().FormatNames(), name, Store().DefaultName());
    Store().SetDefaultName(next.Default);
    WriteStore();
    if (!next.Select.isEmpty()) {
        LoadFormat(next.Select);
    } else {
        FBoard->SelectLine(-1);
        ApplyDefaultPositions();
    }
    FillFormatList(next.Select);
    FBoard->LayoutPanel();
    FBoard->UpdateMarks();
    UpdateActions();
}

void TFormatsForm::btnAddClick()
{
    TFormatSize asked{QString(), BuiltInWidth, 100};
    for (;;) {
        const std::optional<TFormatSize> answer = AskFormatSize(this, asked, false);
        if (!answer)
            return;
        asked = *answer;
        // The names (and the default) as the file has them now: another copy
        // of the program may have added formats since this window opened.
        Store().Reload();
        if (!Store().FormatExists(asked.Name))
            break;
        ShowMessage(QStringLiteral("Već postoji format pod tim nazivom!"));
    }
    const QString name = asked.Name;
    const double width = asked.Width;
    const double height = asked.Height;
    if (!AskSaveChanges())
        return;
    // The built-in positions scaled to the new width, stored at once.
    TFieldFormats format;
    format.Width = width;
    format.Height = height;
    ScalePositions(format, width / BuiltInWidth);
    Store().WriteFormat(name, format);
    if (Store().FormatNames().size() == 1)
        Store().SetDefaultName(name);
    WriteStore();
    FStored = format;
    FDoc.Load(format);
    FillFormatList(name);
    FBoard->LayoutPanel();
    FBoard->UpdateMarks();
    UpdateActions();
}

void TFormatsForm::btnDefaultClick()
{
    const QString name = SelectedName();
    if (name.isEmpty())
        return;
    Store().SetDefaultName(name);
    WriteStore();
    FillFormatList(name);
}

void TFormatsForm::btnSizeClick()
{
    const QString name = SelectedName();
    if (name.isEmpty())
        return;
    const double oldWidth = FDoc.Format().Width;
    const std::optional<TFormatSize> answer =
        AskFormatSize(this, {name, oldWidth, FDoc.Format().Height}, true);
    if (!answer)
        return;
    const double width = answer->Width;
    const double height = answer->Height;
    double factor = 1;
    if (width != oldWidth) {
        switch (ConfirmAsk(QStringLiteral("Preračunati položaje polja prema novoj širini?"))) {
        case TConfirmResult::Yes:
            factor = width / oldWidth;
            break;
        case TConfirmResult::No:
            break;
        case TConfirmResult::Cancel:
            return;
        }
    }
    FDoc.Resize(width, height, factor);
}

void TFormatsForm::btnMoveClick(float dx, float dy)
{
    const float step = MoveStep(mTenth->isChecked());
    FDoc.MoveAll(dx * step, dy * step);
}

void TFormatsForm::btnFontClick()
{
    const int index = FBoard->SelectedIndex();
    if (index < 0)
        return;
    const TFieldFormat &p = FDoc.Position(index);
    QString family = p.FontName;
    QFont font = FontForDialog(family, p.FontSize, p.FontStyle);
    if (!ChooseFontKeepingName(font, family))
        return;
    FDoc.SetFont(FontGroup(index), family, font.pointSize(), FontStyleOf(font));
}

void TFormatsForm::btnFontAllClick()
{
    QString family = FLastAllFont.family();
    QFont font = FontForDialog(family, FLastAllFont.pointSize(), FontStyleOf(FLastAllFont));
    if (!ChooseFontKeepingName(font, family))
        return;
    FLastAllFont = font;
    FLastAllFont.setFamily(family);
    QList<int> all;
    for (int i = 0; i < PositionCount; ++i)
        all.append(i);
    FDoc.SetFont(all, family, font.pointSize(), FontStyleOf(font));
}

QFont TFormatsForm::FontForDialog(const QString &family, int size, TFontStyles style)
{
    // The dialog lists installed families only; a stored name it does not
    // know would open on some other family and be replaced by it on OK.
    QFont font(InstalledFamily(family));
    if (size > 0)
        font.setPointSize(size);
    ApplyFontStyle(font, style);
    return font;
}

bool TFormatsForm::ChooseFontKeepingName(QFont &font, QString &family)
{
    const QString opened = font.family();
    const std::optional<QFont> chosen = ChooseFont(this, font, QStringLiteral("Vrsta slova"));
    if (!chosen)
        return false;
    font = *chosen;
    family = FamilyAfterDialog(family, opened, font.family());
    return true;
}

void TFormatsForm::btnGridClick()
{
    if (ConfirmAsk(QStringLiteral("Želite li štampati mrežu za podešavanje")) !=
        TConfirmResult::Yes)
        return;
    try {
        TZorPrinter *printer = FPrinter ? FPrinter : ZorPrinter();
        if (!printer)
            throw EKordavinaError(NoPrinterInstalledText());
        // The paper stays as the printer has it.
        PrintGrid(*printer, FDoc.Format());
    } catch (const EKordavinaError &e) {
        ShowError(e.Message());
    }
}

void TFormatsForm::btnCorrectionClick()
{
    TPrintCorrectionForm dialog(GridExtent(FDoc.Format().Width), GridExtent(FDoc.Format().Height),
                                PrinterForCorrection(), this);
    dialog.exec();
}

void TFormatsForm::FitToScreen()
{
    QSize available(1200, 900);
    if (const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        // Room for the window's frame and the tool bar.
        available = s->availableGeometry().size() - QSize(40, 80 + ToolBar->sizeHint().height());
    }
    FScroll->setFixedSize(ScrollViewSize(FBoard->size(), available,
                                         style()->pixelMetric(QStyle::PM_ScrollBarExtent)));
    // A larger format chosen in the open window grows it where it stands: once
    // the layout has taken the new size, move it back onto the screen.
    if (isVisible())
        QTimer::singleShot(0, this, [this] {
            if (layout())
                layout()->activate();
            KeepOnScreen(this, false);
        });
}

QString TFormatsForm::PrinterForCorrection() const
{
    if (const TZorPrinter *printer = ZorPrinter();
        printer && !printer->IsPdfOutput() && !printer->PrinterName().isEmpty())
        return printer->PrinterName();
    if (!FSettings.DefaultPrinter.isEmpty())
        return FSettings.DefaultPrinter;
    return QPrinterInfo::defaultPrinterName();
}

// --- Showing ---------------------------------------------------------------------------

void TFormatsForm::Execute()
{
    ReloadStore();
    ensurePolished();
    if (QScreen *s = screen())
        SetScreenDensity(s->logicalDotsPerInchY());
    UpdateSlip();
    UpdateActions();
    // A large format, or a place left on a screen since removed, must not
    // put the window's edges out of reach; measured at its laid-out size.
    if (layout())
        layout()->activate();
    KeepOnScreen(this, false);
    exec();
}

void TFormatsForm::ShowDefaultFormat()
{
    if (!Saved()) {
        // Unsaved positions stay; InchMm may have changed, so lay out anew.
        FBoard->LayoutPanel();
        return;
    }
    const QString def = Store().DefaultName();
    if (!def.isEmpty())
        LoadFormat(def);
    else
        ApplyDefaultPositions();
    FillFormatList(def);
    FBoard->LayoutPanel();
    UpdateActions();
}

void TFormatsForm::SetSlipSource(std::function<std::optional<TUpl>()> source)
{
    FSlipSource = std::move(source);
    UpdateSlip();
}

void TFormatsForm::UpdateSlip()
{
    if (!mShowSlip->isChecked()) {
        FBoard->SetSlip(std::nullopt, {});
        return;
    }
    std::optional<TUpl> slip = FSlipSource ? FSlipSource() : std::nullopt;
    if (!slip)
        slip = SampleSlip();
    FBoard->SetSlip(slip, {FSettings.ThousandSep, FSettings.IznosJednako});
}

bool TFormatsForm::QueryEnd()
{
    return AskSaveChanges();
}

void TFormatsForm::SetScreenDensity(double dpi)
{
    FBoard->SetDensity(dpi);
}

TUpl TFormatsForm::SampleSlip()
{
    TUpl s;
    s.Posiljalac = QStringLiteral("Amela Hodžić, Titova 12, 71000 Sarajevo");
    s.RacunPosiljaoca = QStringLiteral("1610000012345678");
    s.Svrha = QStringLiteral("Uplata poreza na dohodak za mjesec novembar");
    s.Primalac = QStringLiteral("Porezna uprava Federacije BiH, Sarajevo");
    s.RacunPrimaoca = QStringLiteral("3380002210018456");
    s.Iznos = 1234.5;
    s.Hitno = true;
    s.BrojObveznika = QStringLiteral("4200000000001");
    s.VrstaUplate = QStringLiteral("0");
    s.VrstaPrihoda = QStringLiteral("712111");
    s.Opstina = QStringLiteral("077");
    s.Poziv = QStringLiteral("0000000000");
    s.Budzetska = QStringLiteral("0000000");
    s.PeriodOd = QStringLiteral("011126");
    s.PeriodDo = QStringLiteral("301126");
    s.DatumUplate = QStringLiteral("081226");
    s.MjestoUplate = QStringLiteral("Sarajevo");
    return s;
}

// --- Messages ----------------------------------------------------------------------------

void TFormatsForm::ShowMessage(const QString &text)
{
    ShowMessageBox(this, QMessageBox::Information, windowTitle(), text);
}

void TFormatsForm::ShowError(const QString &text)
{
    ShowMessageBox(this, QMessageBox::Critical, QApplication::applicationDisplayName(), text);
}

void TFormatsForm::closeEvent(QCloseEvent *event)
{
    // Unsaved positions stay on screen for the next showing; the question
    // comes when another format is chosen or the program ends.
    QDialog::closeEvent(event);
}

void TFormatsForm::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        FBoard->LayoutPanel();
}

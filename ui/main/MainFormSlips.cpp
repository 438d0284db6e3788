// The commands on the slips of a file: new, delete, description, copy,
// properties, the default slip and multiple entry. Every change goes through
// the file's undo stack, so that Ctrl+Z in the slip list takes it back.
#include "core/SlipCommands.h"
#include "core/SlipUndo.h"
#include "ui/common/ConfirmFormU.h"
#include "ui/main/CopyUplFormU.h"
#include "ui/main/MainFormU.h"

#include "ui/common/DialogSeams.h"
#include "ui/main/UplProcFormU.h"
#include "ui/main/UplSetupFormU.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QInputDialog>
#include <QListView>
#include <QMenu>
#include <QTabBar>
#include <QTimer>
#include <QUndoGroup>

namespace {

// Brings the undo group to the current file's stack just before a key can
// reach the undo shortcuts: tabs change without telling (a new tab is added
// with the tab bar's signals blocked), and a shortcut only fires while its
// action is enabled.
class TSyncBeforeKeys : public QObject
{
public:
    TSyncBeforeKeys(std::function<void()> sync, QObject *parent)
        : QObject(parent), FSync(std::move(sync))
    {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::FocusIn)
            FSync();
        return false;
    }

private:
    std::function<void()> FSync;
};

} // namespace

void TMainForm::InitSlipCommands()
{
    UplProcForm = new TUplProcForm(this);
    CopyUplForm = new TCopyUplForm(this);
    UplSetupForm = new TUplSetupForm(this);

    // One undo history per file; the group follows the active tab.
    SlipUndo = new QUndoGroup(this);
    UplUndoA = SlipUndo->createUndoAction(this, QStringLiteral("Pon&išti"));
    UplUndoA->setObjectName(QStringLiteral("UplUndoA"));
    UplUndoA->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    UplRedoA = SlipUndo->createRedoAction(this, QStringLiteral("Pono&vi"));
    UplRedoA->setObjectName(QStringLiteral("UplRedoA"));
    UplRedoA->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    // The step is named after a colon: "Poništi: Datum uplate".
    const auto caption = [](QAction *action, const QString &verb) {
        return [action, verb](const QString &step) { action->setText(UndoCaption(verb, step)); };
    };
    connect(SlipUndo, &QUndoGroup::undoTextChanged, UplUndoA,
            caption(UplUndoA, QStringLiteral("Pon&išti")));
    connect(SlipUndo, &QUndoGroup::redoTextChanged, UplRedoA,
            caption(UplRedoA, QStringLiteral("Pono&vi")));
    for (QAction *a : {UplUndoA, UplRedoA}) {
        // Only in the slip list; the editor's fields hand the same keys to
        // the same stack themselves (their own undo would bypass it).
        a->setShortcutContext(Qt::WidgetShortcut);
        UplList->addAction(a);
    }
    mnuUpl->addSeparator();
    mnuUpl->addActions({UplUndoA, UplRedoA});
    UplList->installEventFilter(new TSyncBeforeKeys([this] { SyncSlipUndo(); }, UplList));
    connect(mnuUpl, &QMenu::aboutToShow, this, [this] { SyncSlipUndo(); });

    connect(FileTabs, &QTabBar::currentChanged, this, [this] { SyncSlipUndo(); });
    // A closed file takes its stack with it; the next tab's comes in.
    connect(SlipUndo, &QUndoGroup::activeStackChanged, this, [this](QUndoStack *stack) {
        if (!stack)
            QTimer::singleShot(0, this, [this] { SyncSlipUndo(); });
    });
    SyncSlipUndo();
}

TOpenFile *TMainForm::AdoptSlipUndo(TOpenFile *open)
{
    if (!open || SlipUndo->stacks().contains(&open->Undo))
        return open;
    SlipUndo->addStack(&open->Undo);
    TrackSavedState(open->Undo, open->File, this);
    connect(&open->Undo, &QUndoStack::cleanChanged, this, [this] { ScheduleUpdate(); });
    return open;
}

void TMainForm::SyncSlipUndo()
{
    TOpenFile *open = AdoptSlipUndo(CurrentOpenFile());
    SlipUndo->setActiveStack(open ? &open->Undo : nullptr);
}

void TMainForm::SlipsChanged(TUplFile &file)
{
    if (CurrentFile() == &file)
        FillSlipList();
    ScheduleUpdate();
}

std::optional<QString> TMainForm::AskText(const QString &caption, const QString &prompt,
                                          const QString &text)
{
    if (const auto answer = InputDialogSeam().Take({caption, prompt, text}))
        return *answer;
    bool ok = false;
    const QString answer =
        QInputDialog::getText(this, caption, prompt, QLineEdit::Normal, text, &ok);
    return ok ? std::optional<QString>(answer) : std::nullopt;
}

void TMainForm::PushSlipCommand(TOpenFile &open, QUndoCommand *command)
{
    AdoptSlipUndo(&open);
    open.Undo.push(command);
    // "Poništi" in the menu follows at once, not only at the next tab change.
    if (&open == CurrentOpenFile())
        SyncSlipUndo();
}

TSlipsChanged TMainForm::SlipsChangedHandler()
{
    return [this](TUplFile &file) { SlipsChanged(file); };
}

void TMainForm::UplAddAExecute()
{
    TOpenFile *open = CurrentOpenFile();
    if (!open)
        return;
    const std::optional<QString> opis = AskText(
        QStringLiteral("Nova uplatnica"), QStringLiteral("Unesite opis uplatnice"), QString());
    if (!opis || opis->isEmpty())
        return;
    QString warning;
    TUpl slip = StartingSlip(&warning);
    if (!warning.isEmpty())
        ShowError(QStringLiteral("Standardna uplatnica nije pročitana; nova uplatnica počinje "
                                 "prazna.\n%1")
                      .arg(warning));
    slip.Opis = *opis;
    PushSlipCommand(*open, new TUplAddCommand(open->File, slip, SlipsChangedHandler()));
    FocusFirstField();
}

void TMainForm::UplDelAExecute()
{
    TOpenFile *open = CurrentOpenFile();
    if (!open)
        return;
    if (ConfirmAsk(QStringLiteral("Sigurno želite obrisati označene uplatnice?")) !=
        TConfirmResult::Yes)
        return;
    StoreSelection();
    PushSlipCommand(*open, new TUplDeleteCommand(open->File, MarkedIndices(open->File), true,
                                                 SlipsChangedHandler()));
}

void TMainForm::UplRenameAExecute()
{
    TOpenFile *open = CurrentOpenFile();
    if (!open)
        return;
    StoreSelection();
    const qsizetype index = open->File.CurrentSlipIndex();
    if (index < 0)
        return;
    const QString old = open->File.SlipByIndex(index).Opis;
    // Cancelling keeps the description but, as confirming it unchanged,
    // still counts as a change of the file.
    const QString opis =
        AskText(QStringLiteral("Promjena opisa"), QStringLiteral("Unesite opis uplatnice"), old)
            .value_or(old);
    PushSlipCommand(*open, new TUplRenameCommand(open->File, index, opis, SlipsChangedHandler()));
}

void TMainForm::UplCopyAExecute()
{
    TOpenFile *source = CurrentOpenFile();
    if (!source)
        return;
    StoreSelection();
    QList<TCopyTarget> targets;
    for (int i = 0; i < int(OpenFiles.size()); ++i) {
        TCopyTarget t;
        t.Name = FileTabs->tabText(i);
        for (const TUpl &slip : OpenFiles[i]->File.Uplatnice)
            t.Slips.append(slip.Opis);
        targets.append(t);
    }
    const std::optional<TCopyChoice> choice = CopyUplForm->Execute(targets, CurrentFileIndex());
    if (!choice)
        return;

    TOpenFile *target = nullptr;
    if (choice->FileIndex == TCopyChoice::NewFile) {
        // A new file as "&Nova" makes it, emptied: it holds only the copies.
        target = NewFile();
        if (!target)
            return;
        target->File.Uplatnice.clear();
        target->Model.Reset();
    } else {
        if (choice->FileIndex >= int(OpenFiles.size()))
            return;
        target = OpenFiles[choice->FileIndex].get();
    }
    AdoptSlipUndo(source);
    AdoptSlipUndo(target);
    PushSlipCopy(source->Undo, source->File, target->Undo, target->File, choice->Before,
                 choice->DeleteSource, SlipsChangedHandler());

    for (int i = 0; i < int(OpenFiles.size()); ++i)
        if (OpenFiles[i].get() == target)
            ActivateFile(i);
}

void TMainForm::UplPropertiesAExecute()
{
    TOpenFile *open = CurrentOpenFile();
    if (!open)
        return;
    StoreSelection();
    const QList<qsizetype> marked = MarkedIndices(open->File);
    if (!UplSetupForm->Execute(SlipsAt(open->File, marked)))
        return;
    PushSlipCommand(*open, new TUplPropertiesCommand(open->File, marked, UplSetupForm->Answer(),
                                                     SlipsChangedHandler()));
}

void TMainForm::UplDefaultAExecute()
{
    const TUplFile *file = CurrentFile();
    if (!file)
        return;
    StoreSelection();
    const qsizetype index = file->CurrentSlipIndex();
    if (index < 0)
        return;
    if (ConfirmAsk(QStringLiteral(
            "Želite li da trenutno označena uplatnica bude standardna uplatnica?")) !=
        TConfirmResult::Yes)
        return;
    QString error;
    if (!WriteDefaultSlip(file->SlipByIndex(index), &error))
        ShowError(QStringLiteral("Datoteka %1 nije snimljena.\n%2")
                      .arg(QDir::toNativeSeparators(DefaultSlipPath()), error));
}

void TMainForm::UplDefaultDelAExecute()
{
    if (ConfirmAsk(QStringLiteral("Želite li da standardna uplatnica bude obrisana?")) !=
        TConfirmResult::Yes)
        return;
    QString error;
    if (!DeleteDefaultSlip(&error))
        ShowError(QStringLiteral("Datoteka %1 nije obrisana.\n%2")
                      .arg(QDir::toNativeSeparators(DefaultSlipPath()), error));
}

void TMainForm::FileProcenatAExecute()
{
    // Disabled while no file is open; a shortcut racing the enabling does
    // nothing.
    TOpenFile *open = CurrentOpenFile();
    if (!open)
        return;
    if (!UplProcForm->Execute(open->File))
        return;
    PushSlipCommand(
        *open, new TUplAmountsCommand(open->File, UplProcForm->Changes(), SlipsChangedHandler()));
}

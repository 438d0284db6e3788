#include "ui/main/MainFormU.h"

#include "controls/NumEdit.h"
#include "core/SlipCommands.h"
#include "core/SlipUndo.h"
#include "ui/common/ProgramData.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QUndoGroup>

void TMainForm::SetFieldText(QWidget *control, const QString &text)
{
    // The write reaches every marked slip even when the text does not change
    // (several marked slips show empty fields over different values).
    FSettingText = true;
    if (auto *e = qobject_cast<QLineEdit *>(control))
        e->setText(e->inputMask().isEmpty() ? text : DateToMasked(text));
    FSettingText = false;
    DataChange(control);
}

void TMainForm::StoreField(TEditorField field)
{
    TUplFile *file = CurrentFile();
    if (!file)
        return;
    QWidget *w = FFields[field];
    if (field == efIznos) {
        const double value = mIznos->Value();
        for (TUpl &slip : file->Uplatnice)
            if (slip.Oznacena)
                slip.Iznos = value;
        return;
    }
    if (field == efHitno) {
        const bool checked = mHitno->isChecked();
        for (TUpl &slip : file->Uplatnice)
            if (slip.Oznacena)
                slip.Hitno = checked;
        return;
    }
    auto *e = static_cast<QLineEdit *>(w);
    const QString value = e->inputMask().isEmpty() ? e->text() : MaskedToDate(e->displayText());
    for (TUpl &slip : file->Uplatnice)
        if (slip.Oznacena)
            *SlipText(slip, field) = value;
}

void TMainForm::ShowCodeNames()
{
    stVrstaUplate->setText(VrstaUplateName(mVrstaUplate->text()));
    stVrstaPrihoda->setText(FData.Prihodi.FindNaziv(mVrstaPrihoda->text()));
    stOpstina->setText(FData.Opstine.FindNaziv(mOpstina->text()));
}

void TMainForm::DataChange(QWidget *control)
{
    if (!Editing)
        return;
    TOpenFile *open = CurrentOpenFile();
    if (!open)
        return;
    const int f = FieldOf(control);
    if (f < 0) {
        MarkChanged(*open);
        if (control == mNapomene) {
            QString notes = mNapomene->toPlainText();
            notes.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
            open->File.Napomene = notes;
        }
        return;
    }
    // A field edit is a step on the file's stack, so the stack's clean state
    // still tells when undoing leads back to the file as saved.
    open->File.Snimljena = false;
    const auto field = TEditorField(f);
    EditAsOneStep(field, [&] {
        StoreField(field);
        switch (field) {
        case efRacunPosiljaoca:
            WriteLookup(SenderLookup(FData.Posiljaoci, mRacunPosiljaoca->text()));
            break;
        case efRacunPrimaoca:
            WriteLookup(RecipientLookup(FData.Racuni, mRacunPrimaoca->text()));
            break;
        case efVrstaUplate:
            stVrstaUplate->setText(VrstaUplateName(mVrstaUplate->text()));
            break;
        case efVrstaPrihoda:
            stVrstaPrihoda->setText(FData.Prihodi.FindNaziv(mVrstaPrihoda->text()));
            break;
        case efOpstina:
            stOpstina->setText(FData.Opstine.FindNaziv(mOpstina->text()));
            break;
        default:
            break;
        }
    });
}

void TMainForm::WriteLookup(const TLookupWrites &writes)
{
    for (const TLookupWrite &w : writes)
        SetFieldText(FFields[w.Field], w.Text);
}

void TMainForm::EditAsOneStep(TEditorField named, const std::function<void()> &write)
{
    // What a look-up fills in belongs to the edit that asked for it: the
    // outermost write takes the step, the nested ones only write.
    TOpenFile *open = CurrentOpenFile();
    if (!open || FEditDepth > 0) {
        write();
        return;
    }
    TUplFile &file = open->File;
    const QList<qsizetype> marked = MarkedIndices(file);
    const QList<TUpl> before = SlipsAt(file, marked);
    ++FEditDepth;
    write();
    --FEditDepth;
    if (marked.isEmpty() || CurrentOpenFile() != open)
        return;
    const QList<TUpl> after = SlipsAt(file, marked);
    bool changed = false;
    for (qsizetype k = 0; k < marked.size() && !changed; ++k)
        changed = !SameSlipData(before[k], after[k]);
    if (changed)
        PushSlipCommand(*open, new TUplEditCommand(file, marked, before, after, FieldCaption(named),
                                                   FEditVisit, SlipsChangedHandler()));
}

void TMainForm::SetListModel(QAbstractItemModel *model)
{
    // The view makes a selection model for every model it is given and keeps
    // the old ones; they would pile up with every switch of tabs.
    QItemSelectionModel *old = UplList->selectionModel();
    UplList->setModel(model);
    delete old;
}

void TMainForm::FillSlipList()
{
    Editing = false;
    TOpenFile *open = CurrentOpenFile();
    FSettingText = true;
    if (!open) {
        mNapomene->clear();
        SetListModel(nullptr);
        FSettingText = false;
        return;
    }
    TUplFile &file = open->File;
    QString notes = file.Napomene;
    notes.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    mNapomene->setPlainText(notes);
    FSettingText = false;

    if (UplList->model() != &open->Model) {
        SetListModel(&open->Model);
        connect(UplList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this](const QItemSelection &selected, const QItemSelection &deselected) {
                    if (!Editing)
                        return;
                    TUplFile *f = CurrentFile();
                    if (!f)
                        return;
                    for (const QItemSelectionRange &r : deselected)
                        for (int i = r.top(); i <= r.bottom() && i < f->Count(); ++i)
                            f->Uplatnice[i].Oznacena = false;
                    for (const QItemSelectionRange &r : selected)
                        for (int i = r.top(); i <= r.bottom() && i < f->Count(); ++i)
                            f->Uplatnice[i].Oznacena = true;
                    // A click beside the lines unselects them all; the
                    // editor would then write into no slip.
                    if (!UplList->selectionModel()->hasSelection() && f->Count() > 0)
                        QTimer::singleShot(0, this, [this] {
                            if (UplList->selectionModel() &&
                                !UplList->selectionModel()->hasSelection())
                                FillSlipList();
                        });
                    ShowCurrentSlip();
                    ScheduleUpdate();
                });
    } else {
        open->Model.Reset();
    }

    // The marks become the list's selection, as ranges of neighbouring lines.
    const int count = int(file.Count());
    bool any = false;
    for (const TUpl &slip : file.Uplatnice)
        if (slip.Oznacena) {
            any = true;
            break;
        }
    if (!any && count > 0)
        file.Uplatnice[0].Oznacena = true;
    QItemSelection selection;
    int first = -1;
    for (int i = 0; i < count;) {
        if (!file.Uplatnice.at(i).Oznacena) {
            ++i;
            continue;
        }
        int j = i;
        while (j + 1 < count && file.Uplatnice.at(j + 1).Oznacena)
            ++j;
        if (first < 0)
            first = i;
        selection.append(QItemSelectionRange(open->Model.index(i), open->Model.index(j)));
        i = j + 1;
    }
    QItemSelectionModel *sel = UplList->selectionModel();
    sel->select(selection, QItemSelectionModel::ClearAndSelect);
    if (first >= 0) {
        sel->setCurrentIndex(open->Model.index(first), QItemSelectionModel::NoUpdate);
        UplList->scrollTo(open->Model.index(first));
    }
    ShowCurrentSlip();
}

void TMainForm::StoreSelection()
{
    TUplFile *file = CurrentFile();
    if (!file || !UplList->selectionModel())
        return;
    for (TUpl &slip : file->Uplatnice)
        slip.Oznacena = false;
    for (const QItemSelectionRange &r : UplList->selectionModel()->selection())
        for (int i = r.top(); i <= r.bottom() && i < file->Count(); ++i)
            file->Uplatnice[i].Oznacena = true;
}

int TMainForm::CurrentSlipIndex() const
{
    const QItemSelectionModel *sel = UplList->selectionModel();
    if (!sel)
        return 0;
    int lowest = -1;
    for (const QItemSelectionRange &r : sel->selection())
        if (lowest < 0 || r.top() < lowest)
            lowest = r.top();
    return lowest < 0 ? 0 : lowest;
}

void TMainForm::ShowCurrentSlip()
{
    Editing = false;
    // Typing after the fields were filled again is a new undo step.
    ++FEditVisit;
    FSettingText = true;
    TUplFile *file = CurrentFile();
    int marked = 0;
    if (UplList->selectionModel())
        for (const QItemSelectionRange &r : UplList->selectionModel()->selection())
            marked += r.height();
    const TUpl empty;
    const TUpl &slip =
        (!file || file->Count() == 0 || marked > 1)
            ? empty
            : file->Uplatnice.at(CurrentSlipIndex() < file->Count() ? CurrentSlipIndex() : 0);
    for (int f = 0; f < EditorFieldCount; ++f) {
        const auto field = TEditorField(f);
        if (const QString *text = SlipText(slip, field)) {
            auto *e = static_cast<QLineEdit *>(FFields[f]);
            e->setText(e->inputMask().isEmpty() ? *text : DateToMasked(*text));
        }
    }
    mIznos->BeginLoad();
    mIznos->SetValue(slip.Iznos);
    mIznos->EndLoad();
    mHitno->setChecked(slip.Hitno);
    ShowMarkedFields(file, marked, slip);
    ShowCodeNames();
    const TFieldLooks looks = file ? MergeFieldStates(file->Uplatnice) : TFieldLooks{};
    ApplyFieldLooks(looks);
    ArrangeRows(RowVisibility(looks));
    FSettingText = false;
    Editing = true;
}

void TMainForm::MoveToSlip(int row)
{
    TOpenFile *open = CurrentOpenFile();
    if (!open || row < 0 || row >= open->File.Count())
        return;
    const QModelIndex index = open->Model.index(row);
    Editing = false;
    UplList->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    UplList->scrollTo(index);
    StoreSelection();
    ShowCurrentSlip();
    ScheduleUpdate();
}

void TMainForm::UplListClick()
{
    if (!UplList->selectionModel() || !UplList->selectionModel()->hasSelection())
        FillSlipList();
    else
        StoreSelection();
    ShowCurrentSlip();
    focusNextPrevChild(true);
    ScheduleUpdate();
}

void TMainForm::SpeedButton1Click()
{
    if (!CurrentOpenFile())
        return;
    Editing = false;
    UplList->selectAll();
    StoreSelection();
    ShowCurrentSlip();
}

bool TMainForm::CanLeaveField(QWidget *control)
{
    const int f = FieldOf(control);
    if (f < 0)
        return true;
    const auto field = TEditorField(f);
    QString name;
    switch (field) {
    case efRacunPrimaoca:
        name = mPrimalac->text();
        break;
    case efVrstaUplate:
        name = stVrstaUplate->text();
        break;
    case efVrstaPrihoda:
        name = stVrstaPrihoda->text();
        break;
    case efOpstina:
        name = stOpstina->text();
        break;
    default:
        return true;
    }
    const auto *e = static_cast<QLineEdit *>(control);
    switch (::CanLeaveField(field, e->text(), name, FData.Settings)) {
    case TLeaveBlock::None:
        return true;
    case TLeaveBlock::PaymentKindMenu:
        spVrstaUplateClick();
        return false;
    case TLeaveBlock::RecipientAccounts:
        // Without a catalogue window there is nothing to pick from.
        if (!CataloguePicker)
            return true;
        spRacunPrimaocaClick();
        return false;
    case TLeaveBlock::RevenueTypes:
        if (!CataloguePicker)
            return true;
        spVrstaPrihodaClick();
        return false;
    case TLeaveBlock::Municipalities:
        if (!CataloguePicker)
            return true;
        spOpstinaClick();
        return false;
    }
    return true;
}

bool TMainForm::EditorKey(QWidget *control, QKeyEvent *key)
{
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        if (CanLeaveField(control))
            focusNextPrevChild(true);
        return true;
    case Qt::Key_Up:
        if (CanLeaveField(control))
            focusNextPrevChild(false);
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (CanLeaveField(control)) {
            const TUplFile *file = CurrentFile();
            const int count = file ? int(file->Count()) : 0;
            const int current = UplList->currentIndex().isValid() ? UplList->currentIndex().row()
                                                                  : CurrentSlipIndex();
            MoveToSlip(NextSlipLine(current, count, key->key() == Qt::Key_PageDown));
            control->setFocus();
        }
        return true;
    case Qt::Key_Plus:
    case Qt::Key_Minus:
        if (control == mHitno) {
            SettleHitno(key->key() != Qt::Key_Plus);
            mHitno->setChecked(key->key() == Qt::Key_Plus);
            return true;
        }
        return false;
    default:
        return false;
    }
}

// Text fields under X11 claim Ctrl+E, Ctrl+U and the like as line-editing
// keys (end of line, delete the line), which would swallow the window's
// commands on those keys and even clear what was typed. The commands win,
// except for the editing keys every platform shares.
bool TMainForm::IsWindowCommandKey(const QKeyEvent &key) const
{
    for (const auto editing : {QKeySequence::Cut, QKeySequence::Copy, QKeySequence::Paste,
                               QKeySequence::Undo, QKeySequence::Redo, QKeySequence::SelectAll})
        if (key.matches(editing))
            return false;
    const QKeySequence pressed(key.keyCombination());
    for (const QAction *a : actions())
        if (a->isEnabled() && a->shortcut() == pressed)
            return true;
    return false;
}

int TMainForm::UndoKeyOf(const QKeyEvent &key) const
{
    const QKeySequence pressed(key.keyCombination());
    if (key.matches(QKeySequence::Undo) || (UplUndoA && pressed == UplUndoA->shortcut()))
        return -1;
    if (key.matches(QKeySequence::Redo) || (UplRedoA && pressed == UplRedoA->shortcut()))
        return 1;
    return 0;
}

void TMainForm::UndoStep(int direction)
{
    // The line edits keep a private undo of their own; it would write its
    // text into every marked slip. The file's stack gives each slip back its
    // own value.
    SyncSlipUndo();
    if (direction < 0 && SlipUndo->canUndo())
        SlipUndo->undo();
    else if (direction > 0 && SlipUndo->canRedo())
        SlipUndo->redo();
}

void TMainForm::FieldContextMenu(QLineEdit *edit, const QPoint &globalPos)
{
    QMenu *menu = edit->createStandardContextMenu();
    SyncSlipUndo();
    for (QAction *a : menu->actions()) {
        const bool undo = a->objectName() == QLatin1String("edit-undo");
        if (!undo && a->objectName() != QLatin1String("edit-redo"))
            continue;
        QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
        a->setEnabled(undo ? SlipUndo->canUndo() : SlipUndo->canRedo());
        connect(a, &QAction::triggered, this, [this, undo] { UndoStep(undo ? -1 : 1); });
    }
    menu->exec(globalPos);
    delete menu;
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TabSheet && event->type() == QEvent::Resize)
        LayoutWidths();
    if (auto *w = qobject_cast<QWidget *>(watched); w && FieldOf(w) >= 0) {
        switch (event->type()) {
        case QEvent::FocusIn:
            ++FEditVisit; // a new visit to a field is a new undo step
            break;
        case QEvent::ShortcutOverride:
            // The key reaches the field, which hands it to the file's stack.
            if (UndoKeyOf(*static_cast<QKeyEvent *>(event)) != 0) {
                event->accept();
                return true;
            }
            break;
        case QEvent::KeyPress:
            if (const int direction = UndoKeyOf(*static_cast<QKeyEvent *>(event))) {
                UndoStep(direction);
                return true;
            }
            break;
        case QEvent::ContextMenu:
            if (auto *e = qobject_cast<QLineEdit *>(w)) {
                FieldContextMenu(e, static_cast<QContextMenuEvent *>(event)->globalPos());
                return true;
            }
            break;
        default:
            break;
        }
    }
    if (event->type() == QEvent::ShortcutOverride) {
        auto *w = qobject_cast<QWidget *>(watched);
        if (w && (w == mNapomene || FieldOf(w) >= 0) &&
            IsWindowCommandKey(*static_cast<QKeyEvent *>(event))) {
            event->ignore();
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        auto *w = qobject_cast<QWidget *>(watched);
        if (w && FieldOf(w) >= 0)
            return PickerKey(w, static_cast<QKeyEvent *>(event)) ||
                   EditorKey(w, static_cast<QKeyEvent *>(event));
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::spRacunPosiljaocaClick()
{
    if (const auto s = SenderPicker(mRacunPosiljaoca->text()))
        WritePickedSender(*s);
}

void TMainForm::spRacunPrimaocaClick()
{
    if (const auto e = CataloguePicker(TCatalogueKind::Racuni, mRacunPrimaoca->text()))
        WritePickedEntry(TCatalogueKind::Racuni, *e);
}

void TMainForm::spSvrhaClick()
{
    if (const auto e = CataloguePicker(TCatalogueKind::Svrhe, mSvrha->text()))
        WritePickedEntry(TCatalogueKind::Svrhe, *e);
}

void TMainForm::spVrstaPrihodaClick()
{
    if (const auto e = CataloguePicker(TCatalogueKind::Prihodi, mVrstaPrihoda->text()))
        WritePickedEntry(TCatalogueKind::Prihodi, *e);
}

void TMainForm::spOpstinaClick()
{
    if (const auto e = CataloguePicker(TCatalogueKind::Opstine, mOpstina->text()))
        WritePickedEntry(TCatalogueKind::Opstine, *e);
}

void TMainForm::spVrstaUplateClick()
{
    mnuSvrhe->popup(spVrstaUplate->mapToGlobal(QPoint(1, 1)));
}

void TMainForm::mnuRedovnaClick(QAction *item)
{
    QString caption = item->text();
    caption.remove(u'&'); // the access key is no part of the kind
    SetFieldText(mVrstaUplate, KindCodeOfCaption(caption));
    stVrstaUplate->setText(KindNameOfCaption(caption));
    mVrstaUplate->setFocus();
}

void TMainForm::WritePickedEntry(TCatalogueKind kind, const TCatalogueEntry &e)
{
    const TLookupWrites writes = EntryPick(kind, e);
    if (writes.isEmpty())
        return;
    EditAsOneStep(writes.first().Field, [&] { WriteLookup(writes); });
    // The names beside the codes are the picked entry's own.
    switch (kind) {
    case TCatalogueKind::Opstine:
        stOpstina->setText(e.Naziv);
        break;
    case TCatalogueKind::Prihodi:
        stVrstaPrihoda->setText(e.Naziv);
        break;
    case TCatalogueKind::Racuni:
    case TCatalogueKind::Svrhe:
        break;
    }
    FFields[writes.first().Field]->setFocus();
}

void TMainForm::WritePickedSender(const TSenderEntry &s)
{
    const TLookupWrites writes = SenderPick(s);
    if (writes.isEmpty())
        return;
    EditAsOneStep(efRacunPosiljaoca, [&] { WriteLookup(writes); });
    mRacunPosiljaoca->setFocus();
}

// Keyboard aids of the slip editor and the marks it shows while several
// slips are marked.
#include "ui/main/MainFormU.h"

#include "controls/NumEdit.h"
#include "ui/main/EditorMarks.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolButton>

namespace {

const QString DiffersTip = QStringLiteral("Označene uplatnice ovdje imaju različite vrijednosti; "
                                          "upisano ide u sve.");

} // namespace

void TMainForm::InitKeyboardAids()
{
    stOznacene = new QLabel(this);
    stOznacene->setObjectName(QStringLiteral("stOznacene"));
    QFont bold = stOznacene->font();
    bold.setBold(true);
    stOznacene->setFont(bold);
    stOznacene->hide();
    statusBar()->addPermanentWidget(stOznacene);

    // A click (or Space) on a HITNO box that stands for differing slips
    // checks it in all of them.
    connect(mHitno, &QCheckBox::pressed, this, [this] { SettleHitno(false); });

    // An amount typed into the blank of differing amounts and erased again
    // went into the marked slips while it stood there: show what they hold.
    connect(mIznos, &TNumEdit::OnExit, this, [this] {
        const TUplFile *file = CurrentFile();
        if (!mIznos->Blank() || !file)
            return;
        const TMarkedFields merged = MergeMarkedFields(file->Uplatnice);
        if (merged.Count > 1 && !merged.Differs[efIznos]) {
            mIznos->BeginLoad();
            mIznos->SetValue(merged.Common.Iznos);
            mIznos->EndLoad();
            mIznos->setPlaceholderText(QString());
        }
    });

    // The pickers' keys, told on their buttons.
    for (QToolButton *b : {spRacunPosiljaoca, spPosiljalac, spSvrha, spRacunPrimaoca, spPrimalac,
                           spVrstaUplate, spVrstaPrihoda, spOpstina})
        b->setToolTip(b->toolTip() + QStringLiteral(" (F4)"));
}

void TMainForm::FocusFirstField()
{
    for (QWidget *w : FFields)
        if (w->isVisibleTo(TabSheet) && w->isEnabled()) {
            w->setFocus(Qt::OtherFocusReason);
            if (auto *e = qobject_cast<QLineEdit *>(w))
                e->selectAll();
            return;
        }
}

bool TMainForm::OpenFieldPicker(QWidget *control)
{
    const int f = FieldOf(control);
    if (f < 0 || !control->isEnabled())
        return false;
    void (TMainForm::*open)() = nullptr;
    switch (TEditorField(f)) {
    case efRacunPosiljaoca:
    case efPosiljalac:
        open = &TMainForm::spRacunPosiljaocaClick;
        break;
    case efSvrha:
        open = &TMainForm::spSvrhaClick;
        break;
    case efRacunPrimaoca:
    case efPrimalac:
        open = &TMainForm::spRacunPrimaocaClick;
        break;
    case efVrstaUplate:
        open = &TMainForm::spVrstaUplateClick;
        break;
    case efVrstaPrihoda:
        open = &TMainForm::spVrstaPrihodaClick;
        break;
    case efOpstina:
        open = &TMainForm::spOpstinaClick;
        break;
    default:
        return false;
    }
    (this->*open)();
    ScheduleUpdate();
    return true;
}

bool TMainForm::PickerKey(QWidget *control, QKeyEvent *key)
{
    const Qt::KeyboardModifiers mods =
        key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool f4 = key->key() == Qt::Key_F4 && mods == Qt::NoModifier;
    const bool altDown = key->key() == Qt::Key_Down && mods == Qt::AltModifier;
    if (!f4 && !altDown)
        return false;
    OpenFieldPicker(control);
    // Consumed even without a picker: Alt+Down is no move to the next field.
    return true;
}

void TMainForm::SettleHitno(bool checked)
{
    if (mHitno->checkState() != Qt::PartiallyChecked)
        return;
    const bool setting = FSettingText;
    FSettingText = true;
    mHitno->setTristate(false);
    mHitno->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    mHitno->setToolTip(QString());
    mHitno->setAccessibleDescription(QString());
    FSettingText = setting;
}

void TMainForm::ShowMarkedFields(const TUplFile *file, int marked, const TUpl &shown)
{
    // Runs inside ShowCurrentSlip: nothing shown here is written back.
    const TMarkedFields merged =
        file && marked > 1 ? MergeMarkedFields(file->Uplatnice) : TMarkedFields{};
    const bool several = merged.Count > 1;
    for (int f = 0; f < EditorFieldCount; ++f) {
        const auto field = TEditorField(f);
        const bool differs = several && merged.Differs[f];
        QWidget *w = FFields[f];
        w->setToolTip(differs ? DiffersTip : QString());
        w->setAccessibleDescription(differs ? DiffersText() : QString());
        if (const QString *text = SlipText(merged.Common, field)) {
            auto *e = static_cast<QLineEdit *>(w);
            e->setPlaceholderText(differs ? DiffersText() : QString());
            if (several && !differs)
                e->setText(e->inputMask().isEmpty() ? *text : DateToMasked(*text));
        }
    }

    mIznos->setPlaceholderText(several && merged.Differs[efIznos] ? DiffersText() : QString());
    mIznos->BeginLoad();
    if (several && merged.Differs[efIznos])
        mIznos->ShowBlank();
    else
        mIznos->SetValue(several ? merged.Common.Iznos : shown.Iznos);
    mIznos->EndLoad();

    if (several && merged.Differs[efHitno]) {
        mHitno->setTristate(true);
        mHitno->setCheckState(Qt::PartiallyChecked);
    } else {
        mHitno->setTristate(false);
        mHitno->setCheckState((several ? merged.Common.Hitno : shown.Hitno) ? Qt::Checked
                                                                            : Qt::Unchecked);
    }

    if (stOznacene) {
        stOznacene->setText(several ? MarkedSlipsText(merged.Count) : QString());
        stOznacene->setVisible(several);
    }
}

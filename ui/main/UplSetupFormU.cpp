#include "ui/main/UplSetupFormU.h"

#include "controls/NumEdit.h"
#include "ui/common/DialogButtons.h"
#include "ui/common/Placement.h"
#include "ui/main/EditorMarks.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

TUplSetupForm::TUplSetupForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("UplSetupForm"));
    setWindowTitle(QStringLiteral("Podešavanje uplatnice"));
    setProperty("helpContext", 420);

    Label7 = new QLabel(QStringLiteral("&Polja"), this);
    Label7->setObjectName(QStringLiteral("Label7"));
    mPolja = new QListWidget(this);
    mPolja->setObjectName(QStringLiteral("mPolja"));
    // Entry i governs Stanja[i + 1].
    mPolja->addItems({QStringLiteral("Račun pošiljaoca"), QStringLiteral("Pošiljalac"),
                      QStringLiteral("Svrha doznake"), QStringLiteral("Račun primaoca"),
                      QStringLiteral("Primalac"), QStringLiteral("Iznos"),
                      QStringLiteral("Broj obveznika"), QStringLiteral("Vrsta uplate"),
                      QStringLiteral("Vrsta prihoda"), QStringLiteral("Opština"),
                      QStringLiteral("Poziv na broj"), QStringLiteral("Budžetska organizacija"),
                      QStringLiteral("Period"), QStringLiteral("Datum uplate"),
                      QStringLiteral("Mjesto uplate")});
    Label7->setBuddy(mPolja);

    Label5 = new QLabel(QStringLiteral("&Stanje polja:"), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    mState = new QComboBox(this);
    mState->setObjectName(QStringLiteral("mState"));
    // Item index = the state's value.
    mState->addItems(
        {QStringLiteral("Slobodno"), QStringLiteral("Zabranjeno"), QStringLiteral("Nevidljivo")});
    mState->setMinimumWidth(130);
    // A field whose state differs among the marked slips has no item.
    mState->setPlaceholderText(DiffersText());
    Label5->setBuddy(mState);

    Label6 = new QLabel(QStringLiteral("P&rocenat"), this);
    Label6->setObjectName(QStringLiteral("Label6"));
    mProcenat = new TNumEdit(this);
    mProcenat->setObjectName(QStringLiteral("mProcenat"));
    mProcenat->SetDecimals(4);
    mProcenat->setPlaceholderText(DiffersText());
    Label6->setBuddy(mProcenat);

    MakeConfirmButtons(this, btnOK, btnCancel, false);

    auto *grid = new QGridLayout(this);
    grid->addWidget(Label7, 0, 0);
    grid->addWidget(mPolja, 1, 0, 5, 1);
    grid->addWidget(Label5, 1, 1);
    grid->addWidget(mState, 2, 1);
    grid->addWidget(Label6, 3, 1);
    grid->addWidget(mProcenat, 4, 1);
    grid->setRowStretch(5, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    grid->addLayout(buttons, 6, 0, 1, 2);

    connect(mPolja, &QListWidget::currentRowChanged, this, &TUplSetupForm::mPoljaClick);
    // activated: only a choice of the user, not the dialog showing a state.
    connect(mState, &QComboBox::activated, this, &TUplSetupForm::mFontChange);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(380, 300);
    RestorePlacement(this, QString(), false);
}

TUplSetupForm::~TUplSetupForm()
{
    SavePlacement(this, QString(), false);
}

bool TUplSetupForm::Execute(const QList<TUpl> &marked)
{
    const TSlipProperties kept = FProperties;
    const TSlipProperties merged = MergeSlipProperties(marked, FProperties);
    FProperties = merged;
    mProcenat->SetValue(merged.Procenat);
    FShownProcenat = mProcenat->Value();
    // Shares that differ show so, not as the -1 that stands for them.
    const bool differs = merged.Procenat == kProcenatDiffers;
    if (differs)
        mProcenat->ShowBlank();
    {
        // Selecting the first entry must show its state even when it was
        // already the current one.
        const QSignalBlocker block(mPolja);
        mPolja->setCurrentRow(0);
    }
    mPoljaClick();

    if (exec() != QDialog::Accepted) {
        // Cancelled: the next use without marked slips starts from the last
        // confirmed answer, not from this one's edits.
        FProperties = marked.isEmpty() ? kept : merged;
        return false;
    }
    // The edit shows four decimals; a share the user did not touch keeps
    // every digit it had.
    const bool untouched =
        mProcenat->Value() == FShownProcenat || (differs && mProcenat->text().trimmed().isEmpty());
    FProperties.Procenat = untouched ? merged.Procenat : mProcenat->Value();
    return true;
}

void TUplSetupForm::mPoljaClick()
{
    const int entry = mPolja->currentRow();
    const qint32 state = entry >= 0 ? FProperties.Stanja[entry + 1] : kStateDiffers;
    mState->setCurrentIndex(state >= 0 && state < mState->count() ? state : -1);
}

void TUplSetupForm::mFontChange()
{
    const int entry = mPolja->currentRow();
    if (entry >= 0 && mState->currentIndex() >= 0)
        FProperties.Stanja[entry + 1] = mState->currentIndex();
}

void TUplSetupForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    mPolja->setFocus(Qt::OtherFocusReason);
}

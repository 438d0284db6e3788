#include "ui/main/UplProcFormU.h"

#include "controls/NumEdit.h"
#include "controls/NumberRules.h"
#include "ui/common/DialogButtons.h"
#include "ui/common/Placement.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace {

enum { colUplatnica, colProcenat, colIznos };

QString CentsText(qint64 cents)
{
    return FormatNumber(static_cast<double>(cents) / 100.0, 2);
}

} // namespace

TUplProcForm::TUplProcForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("UplProcForm"));
    setWindowTitle(QStringLiteral("Višestruki unos"));
    setProperty("helpContext", 810);
    setSizeGripEnabled(true);

    Label1 = new QLabel(QStringLiteral("Osnovni iznos"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    mIznos = new TNumEdit(this);
    mIznos->setObjectName(QStringLiteral("mIznos"));
    mIznos->SetDecimals(2);
    Label1->setBuddy(mIznos);

    Label2 = new QLabel(QStringLiteral("Iznosi po uplatnicama"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Uplatnice = new QTreeWidget(this);
    Uplatnice->setObjectName(QStringLiteral("Uplatnice"));
    Uplatnice->setRootIsDecorated(false);
    Uplatnice->setSelectionBehavior(QAbstractItemView::SelectRows);
    Uplatnice->setUniformRowHeights(true);
    Uplatnice->setHeaderLabels(
        {QStringLiteral("Uplatnica"), QStringLiteral("Procenat"), QStringLiteral("Iznos")});
    Uplatnice->headerItem()->setTextAlignment(colProcenat, Qt::AlignRight | Qt::AlignVCenter);
    Uplatnice->headerItem()->setTextAlignment(colIznos, Qt::AlignRight | Qt::AlignVCenter);
    Uplatnice->header()->setStretchLastSection(false);
    Uplatnice->setColumnWidth(colUplatnica, 230);
    Uplatnice->setColumnWidth(colProcenat, 60);
    Uplatnice->setColumnWidth(colIznos, 100);
    Label2->setBuddy(Uplatnice);

    stZbir = new QLabel(this);
    stZbir->setObjectName(QStringLiteral("stZbir"));
    stZbir->setTextFormat(Qt::PlainText);

    MakeConfirmButtons(this, btnOK, btnCancel, false);

    auto *grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(mIznos, 0, 1);
    grid->setColumnStretch(2, 1);
    grid->addWidget(Label2, 1, 0, 1, 3);
    grid->addWidget(Uplatnice, 2, 0, 1, 3);
    grid->setRowStretch(2, 1);
    grid->addWidget(stZbir, 3, 0, 1, 3);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    grid->addLayout(buttons, 4, 0, 1, 3);

    connect(mIznos, &TNumEdit::OnChange, this, &TUplProcForm::mIznosChange);
    connect(Uplatnice, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *, int column) {
        if (column == colUplatnica)
            ShowSummary();
    });
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    resize(440, 275);
    RestorePlacement(this, QString(), true);
    RestoreColumnWidths(Uplatnice, objectName(), Uplatnice->objectName());
}

TUplProcForm::~TUplProcForm()
{
    SavePlacement(this, QString(), true);
    SaveColumnWidths(Uplatnice, objectName(), Uplatnice->objectName());
}

bool TUplProcForm::Execute(const TUplFile &file)
{
    FChanges.clear();
    FFile = nullptr; // no rows yet: the base change below has nothing to do
    mIznos->SetValue(0);
    {
        const QSignalBlocker block(Uplatnice);
        Uplatnice->clear();
        QList<QTreeWidgetItem *> rows;
        rows.reserve(file.Count());
        for (const TUpl &slip : file.Uplatnice) {
            auto *row = new QTreeWidgetItem;
            row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
            row->setCheckState(colUplatnica, slip.Procenat > 0 ? Qt::Checked : Qt::Unchecked);
            row->setText(colUplatnica, slip.Opis);
            row->setText(colProcenat, FormatNumber(slip.Procenat, 4));
            row->setText(colIznos, FormatNumber(0, 2));
            row->setTextAlignment(colProcenat, Qt::AlignRight | Qt::AlignVCenter);
            row->setTextAlignment(colIznos, Qt::AlignRight | Qt::AlignVCenter);
            rows.append(row);
        }
        Uplatnice->addTopLevelItems(rows);
        if (!rows.isEmpty())
            Uplatnice->setCurrentItem(rows.first());
    }
    FFile = &file;
    ShowSummary();

    const bool confirmed = exec() == QDialog::Accepted;
    if (confirmed)
        FChanges = PlanMultipleEntry(file, mIznos->Value(), Ticked());
    Uplatnice->clear();
    FFile = nullptr;
    return confirmed;
}

void TUplProcForm::mIznosChange()
{
    if (!FFile)
        return;
    const double base = mIznos->Value();
    const QSignalBlocker block(Uplatnice);
    const int n = std::min<int>(Uplatnice->topLevelItemCount(), FFile->Count());
    for (int i = 0; i < n; ++i) {
        const TUpl &slip = FFile->SlipByIndex(i);
        QTreeWidgetItem *row = Uplatnice->topLevelItem(i);
        row->setText(colUplatnica, slip.Opis);
        row->setText(colIznos, FormatNumber(MultipleEntryAmount(base, slip.Procenat), 2));
    }
    ShowSummary();
}

QList<bool> TUplProcForm::Ticked() const
{
    QList<bool> ticked;
    for (int i = 0; i < Uplatnice->topLevelItemCount(); ++i)
        ticked.append(Uplatnice->topLevelItem(i)->checkState(colUplatnica) == Qt::Checked);
    return ticked;
}

void TUplProcForm::ShowSummary()
{
    if (!FFile) {
        stZbir->clear();
        return;
    }
    const double base = mIznos->Value();
    const TMultipleEntrySummary s =
        SummariseMultipleEntry(PlanMultipleEntry(*FFile, base, Ticked()), base);
    stZbir->setText(QStringLiteral("Zbir novih iznosa: %1    Razlika od osnovnog iznosa: %2")
                        .arg(CentsText(s.SumCents), CentsText(s.DifferenceCents)));
}

void TUplProcForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    mIznos->setFocus(Qt::OtherFocusReason);
    mIznos->selectAll();
}

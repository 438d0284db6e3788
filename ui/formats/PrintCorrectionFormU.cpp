#include "ui/formats/PrintCorrectionFormU.h"

#include "controls/NumEdit.h"
#include "ui/common/DialogSeams.h"
#include "ui/help/HelpContexts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

TNumEdit *NewEdit(QWidget *parent, const char *name, int decimals, double value)
{
    auto *edit = new TNumEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->SetDecimals(decimals);
    edit->SetAlignment(Qt::AlignRight);
    edit->SetValue(value);
    edit->setMinimumWidth(90);
    return edit;
}

} // namespace

TPrintCorrectionForm::TPrintCorrectionForm(int gridWidth, int gridHeight, const QString &printer,
                                           QWidget *parent)
    : QDialog(parent), FGridWidth(gridWidth), FGridHeight(gridHeight)
{
    setProperty("helpContext", hcPrinterCorrection);
    setObjectName(QStringLiteral("PrintCorrectionForm"));
    setWindowTitle(QStringLiteral("Korekcija štampača"));

    mPrinter = new QComboBox(this);
    mPrinter->setObjectName(QStringLiteral("mPrinter"));
    mPrinter->setEditable(true);
    QStringList names = QPrinterInfo::availablePrinterNames();
    for (const QString &n : CorrectedPrinters())
        if (!names.contains(n))
            names.append(n);
    if (!printer.isEmpty() && !names.contains(printer))
        names.prepend(printer);
    mPrinter->addItems(names);
    mPrinter->setCurrentText(printer);
    mPrinter->setMinimumContentsLength(24);

    mShiftRight = NewEdit(this, "mShiftRight", 1, 0);
    mShiftDown = NewEdit(this, "mShiftDown", 1, 0);
    mScaleX = NewEdit(this, "mScaleX", 2, 100);
    mScaleY = NewEdit(this, "mScaleY", 2, 100);
    mMeasureX1 = NewEdit(this, "mMeasureX1", 1, 10);
    mMeasureX2 = NewEdit(this, "mMeasureX2", 1, gridWidth);
    mMeasureY1 = NewEdit(this, "mMeasureY1", 1, 10);
    mMeasureY2 = NewEdit(this, "mMeasureY2", 1, gridHeight);

    const auto addRow = [this](QFormLayout *form, const QString &text, QWidget *field) {
        auto *label = new QLabel(text, this);
        label->setBuddy(field);
        form->addRow(label, field);
    };

    auto *top = new QFormLayout;
    addRow(top, QStringLiteral("Š&tampač"), mPrinter);

    auto *correction = new QGroupBox(QStringLiteral("Korekcija"), this);
    auto *cf = new QFormLayout(correction);
    addRow(cf, QStringLiteral("Pomak &udesno (mm)"), mShiftRight);
    addRow(cf, QStringLiteral("Pomak &naniže (mm)"), mShiftDown);
    addRow(cf, QStringLiteral("Razmjera &vodoravno (%)"), mScaleX);
    addRow(cf, QStringLiteral("Razmjera &okomito (%)"), mScaleY);
    btnReset = new QPushButton(QStringLiteral("&Bez korekcije"), correction);
    btnReset->setObjectName(QStringLiteral("btnReset"));
    cf->addRow(btnReset);

    auto *measure = new QGroupBox(QStringLiteral("Mjerenje odštampane mreže"), this);
    auto *mv = new QVBoxLayout(measure);
    auto *explain = new QLabel(
        QStringLiteral("Odštampajte mrežu na ovom štampaču (s korekcijom iznad) i izmjerite "
                       "razmak linija od lijeve, odnosno gornje ivice papira."),
        measure);
    explain->setWordWrap(true);
    mv->addWidget(explain);
    auto *mf = new QFormLayout;
    mv->addLayout(mf);
    addRow(mf, QStringLiteral("Okomita linija 10 (mm)"), mMeasureX1);
    addRow(mf, QStringLiteral("Okomita linija %1 (mm)").arg(gridWidth), mMeasureX2);
    addRow(mf, QStringLiteral("Vodoravna linija 10 (mm)"), mMeasureY1);
    addRow(mf, QStringLiteral("Vodoravna linija %1 (mm)").arg(gridHeight), mMeasureY2);
    btnCompute = new QPushButton(QStringLiteral("&Izračunaj korekciju"), measure);
    btnCompute->setObjectName(QStringLiteral("btnCompute"));
    mv->addWidget(btnCompute);

    auto *buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("Potvrdi"), QDialogButtonBox::AcceptRole);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    buttons->addButton(QStringLiteral("Odustani"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("btnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(btnCompute, &QPushButton::clicked, this, &TPrintCorrectionForm::Compute);
    connect(btnReset, &QPushButton::clicked, this, [this] { SetCorrection({}); });
    connect(mPrinter, &QComboBox::currentTextChanged, this, &TPrintCorrectionForm::LoadPrinter);

    auto *columns = new QHBoxLayout;
    columns->addWidget(correction);
    columns->addWidget(measure, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(columns);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    measure->setFixedWidth(300);
    LoadPrinter();
}

QString TPrintCorrectionForm::PrinterName() const
{
    return mPrinter->currentText().trimmed();
}

TPrintCorrection TPrintCorrectionForm::Correction() const
{
    return {mShiftRight->Value(), mShiftDown->Value(), mScaleX->Value(), mScaleY->Value()};
}

void TPrintCorrectionForm::SetCorrection(const TPrintCorrection &c)
{
    mShiftRight->SetValue(c.ShiftX);
    mShiftDown->SetValue(c.ShiftY);
    mScaleX->SetValue(c.ScaleX);
    mScaleY->SetValue(c.ScaleY);
}

void TPrintCorrectionForm::LoadPrinter()
{
    SetCorrection(ReadPrintCorrection(PrinterName()));
}

bool TPrintCorrectionForm::Compute()
{
    const TPrintCorrection now = Correction();
    const auto x = CorrectAxis({now.ShiftX, now.ScaleX}, 10, FGridWidth, mMeasureX1->Value(),
                               mMeasureX2->Value());
    const auto y = CorrectAxis({now.ShiftY, now.ScaleY}, 10, FGridHeight, mMeasureY1->Value(),
                               mMeasureY2->Value());
    if (!x || !y) {
        ShowMessage(QStringLiteral("Izmjerene vrijednosti nisu moguće: provjerite da su "
                                   "linije izmjerene od ivice papira, u milimetrima."));
        return false;
    }
    SetCorrection({x->Shift, y->Shift, x->Scale, y->Scale});
    return true;
}

bool TPrintCorrectionForm::Store()
{
    if (PrinterName().isEmpty()) {
        ShowMessage(QStringLiteral("Upišite naziv štampača!"));
        return false;
    }
    const TPrintCorrection c = RoundedCorrection(Correction());
    if (!ValidCorrection(c)) {
        ShowMessage(QStringLiteral("Pomak može biti najviše %1 mm, a razmjera od %2 do %3 %!")
                        .arg(MaxCorrectionShift)
                        .arg(MinCorrectionScale)
                        .arg(MaxCorrectionScale));
        return false;
    }
    if (!WritePrintCorrection(PrinterName(), c)) {
        ShowMessage(QStringLiteral("Korekciju nije moguće snimiti u postavke!"));
        return false;
    }
    return true;
}

void TPrintCorrectionForm::accept()
{
    if (Store())
        QDialog::accept();
}

void TPrintCorrectionForm::ShowMessage(const QString &text)
{
    ShowMessageBox(this, QMessageBox::Information, QStringLiteral("Korekcija štampača"), text);
}

#include "ui/options/SetupFormU.h"

#include "ui/common/DialogButtons.h"
#include "ui/common/DialogSeams.h"
#include "ui/common/Placement.h"
#include "ui/common/ProgramData.h"
#include "ui/help/HelpContexts.h"
#include "ui/options/SetupRules.h"
#include "ui/print/ZorPrinters.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString FormName = QStringLiteral("SetupForm");
std::optional<QStringList> g_testPrinters;

QStringList InstalledPrinters()
{
    return g_testPrinters ? *g_testPrinters : QPrinterInfo::availablePrinterNames();
}

} // namespace

void TSetupForm::SetInstalledPrintersForTest(std::optional<QStringList> printers)
{
    g_testPrinters = std::move(printers);
}

TSetupForm::TSetupForm(TProgramData &data, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_data(data)
{
    setProperty("helpContext", hcSetup);
    setObjectName(FormName);
    setWindowTitle(QStringLiteral("Podešavanje programa"));
    setModal(true);

    const auto box = [this](const QString &text, const char *name) {
        auto *b = new QCheckBox(text, this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };

    auto *printerGroup = new QGroupBox(QStringLiteral("Štampač za izlaz"), this);
    mPrinter = new QComboBox(printerGroup);
    mPrinter->setObjectName(QStringLiteral("mPrinter"));
    mPrinter->setEditable(false);
    mPrinter->setAccessibleName(QStringLiteral("Štampač za izlaz"));
    mPrinter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    mPrinter->setMinimumContentsLength(20);
    auto *printerLayout = new QVBoxLayout(printerGroup);
    printerLayout->addWidget(mPrinter);

    auto *errGroup = new QGroupBox(QStringLiteral("Dozvoli pogrešan unos u polja"), this);
    mRacunPrimaoca = box(QStringLiteral("Račun primaoca"), "mRacunPrimaoca");
    mVrstaUplate = box(QStringLiteral("Vrsta uplate"), "mVrstaUplate");
    mVrstaPrihoda = box(QStringLiteral("Vrsta prihoda"), "mVrstaPrihoda");
    mOpstina = box(QStringLiteral("Općina"), "mOpstina");
    auto *errLayout = new QVBoxLayout(errGroup);
    for (QCheckBox *b : {mRacunPrimaoca, mVrstaUplate, mVrstaPrihoda, mOpstina}) {
        b->setParent(errGroup);
        errLayout->addWidget(b);
    }

    mAlignFields = box(QStringLiteral("Poredaj vidljiva polja gore"), "mAlignFields");
    mRes = box(QStringLiteral("Rezolucija 640 x 480"), "mRes");
    mThousSep = box(QStringLiteral("Razdvajaj hiljade kod iznosa"), "mThousSep");
    mIznosJednako = box(QStringLiteral("Piši \"=\" ispred iznosa"), "mIznosJednako");
    mProvjeraRacuna = box(QStringLiteral("Provjeravaj račune i JMB"), "mProvjeraRacuna");

    MakeConfirmButtons(this, btnOK, btnCancel, true);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *main = new QVBoxLayout(this);
    main->addWidget(printerGroup);
    main->addWidget(errGroup);
    for (QCheckBox *b : {mAlignFields, mRes, mThousSep, mIznosJednako, mProvjeraRacuna})
        main->addWidget(b);
    main->addStretch(1);
    main->addLayout(buttons);

    setTabOrder(mPrinter, mRacunPrimaoca);
    setTabOrder(mRacunPrimaoca, mVrstaUplate);
    setTabOrder(mVrstaUplate, mVrstaPrihoda);
    setTabOrder(mVrstaPrihoda, mOpstina);
    setTabOrder(mOpstina, mAlignFields);
    setTabOrder(mAlignFields, btnOK);
    setTabOrder(btnOK, btnCancel);
    setTabOrder(btnCancel, mRes);
    setTabOrder(mRes, mThousSep);
    setTabOrder(mThousSep, mIznosJednako);
    setTabOrder(mIznosJednako, mProvjeraRacuna);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(QSize(250, 329).expandedTo(sizeHint()));
    RestorePlacement(this, FormName, false);
}

TSetupForm::~TSetupForm()
{
    SavePlacement(this, FormName, false);
}

void TSetupForm::Fill()
{
    const TSettings &s = m_data.Settings;
    m_printers = InstalledPrinters();
    mPrinter->clear();
    mPrinter->addItem(QStringLiteral("Standardni"));
    mPrinter->addItems(m_printers);
    // A printer removed since it was chosen leaves the list without a choice.
    mPrinter->setCurrentIndex(PrinterListIndex(m_printers, s.DefaultPrinter));
    mRacunPrimaoca->setChecked(s.ErrRacunPrimaoca);
    mVrstaUplate->setChecked(s.ErrVrstaUplate);
    mVrstaPrihoda->setChecked(s.ErrVrstaPrihoda);
    mOpstina->setChecked(s.ErrOpstina);
    mAlignFields->setChecked(s.AlignFields);
    mRes->setChecked(LowResolutionChecked(InchMm()));
    mThousSep->setChecked(s.ThousandSep);
    mIznosJednako->setChecked(s.IznosJednako);
    mProvjeraRacuna->setChecked(s.ProvjeraRacuna);
}

void TSetupForm::Store()
{
    TSettings &s = m_data.Settings;
    s.DefaultPrinter = PrinterForListIndex(m_printers, mPrinter->currentIndex());
    s.ErrRacunPrimaoca = mRacunPrimaoca->isChecked();
    s.ErrVrstaUplate = mVrstaUplate->isChecked();
    s.ErrVrstaPrihoda = mVrstaPrihoda->isChecked();
    s.ErrOpstina = mOpstina->isChecked();
    s.AlignFields = mAlignFields->isChecked();
    s.ThousandSep = mThousSep->isChecked();
    s.IznosJednako = mIznosJednako->isChecked();
    s.ProvjeraRacuna = mProvjeraRacuna->isChecked();
    SetInchMm(InchMmFor(mRes->isChecked()));

    if (TZorPrinter *printer = ZorPrinter()) {
        const QString name = InstalledPrinter(InstalledPrinters(), s.DefaultPrinter);
        if (name.isEmpty() || !printer->SetPrinterName(name))
            printer->SetDefaultPrinter();
    }
}

bool TSetupForm::Execute()
{
    Fill();
    mPrinter->setFocus(Qt::OtherFocusReason);
    if (exec() != Accepted)
        return false;
    Store();
    // Written now rather than at program end, which a crash never reaches.
    if (!SaveSettings(m_data.Settings)) {
        const QString where = SettingsFile();
        ShowMessageBox(this, QMessageBox::Warning, windowTitle(),
                       where.isEmpty()
                           ? QStringLiteral("Podešavanja nisu snimljena.")
                           : QStringLiteral("Podešavanja nisu snimljena (%1).").arg(where));
    }
    return true;
}

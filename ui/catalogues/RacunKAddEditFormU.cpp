#include "ui/catalogues/RacunKAddEditFormU.h"

#include "ui/catalogues/CatalogueFormU.h"
#include "ui/catalogues/CatalogueModel.h"
#include "ui/help/HelpContexts.h"
#include "ui/common/DialogButtons.h"
#include "ui/common/Placement.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString FormName = QStringLiteral("RacunKAddEditForm");

} // namespace

TRacunKAddEditForm::TRacunKAddEditForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setProperty("helpContext", hcCatalogues);
    setObjectName(FormName);
    setModal(true);

    auto *grid = new QGridLayout;
    const auto field = [&](int row, const QString &label, const char *name, int length) {
        auto *l = new QLabel(label, this);
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setMaxLength(length);
        l->setBuddy(edit);
        grid->addWidget(l, row, 0);
        grid->addWidget(edit, row, 1);
        return edit;
    };
    mSifra = field(0, QStringLiteral("Račun:"), "mSifra", 16);
    mNaziv = field(1, QStringLiteral("Naziv:"), "mNaziv", 150);
    mBroj = field(2, QStringLiteral("Br. por. obv."), "mBroj", 13);
    mPoziv = field(3, QStringLiteral("Poziv na broj"), "mPoziv", 10);
    grid->setColumnStretch(1, 1);

    MakeConfirmButtons(this, btnOK, btnCancel, true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addStretch(1);
    main->addLayout(buttons);

    setTabOrder(mSifra, mNaziv);
    setTabOrder(mNaziv, mBroj);
    setTabOrder(mBroj, mPoziv);
    setTabOrder(mPoziv, btnOK);
    setTabOrder(btnOK, btnCancel);

    connect(btnOK, &QPushButton::clicked, this, &TRacunKAddEditForm::Confirm);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(QSize(396, 177).expandedTo(sizeHint()));
    RestorePlacement(this, FormName, false);
}

TRacunKAddEditForm::~TRacunKAddEditForm()
{
    SavePlacement(this, FormName, false);
}

bool TRacunKAddEditForm::Run(const QString &caption, TSenderEntry &sender)
{
    setWindowTitle(caption);
    mSifra->setText(sender.Sifra);
    mNaziv->setText(sender.Naziv);
    mBroj->setText(sender.Broj);
    mPoziv->setText(sender.Poziv);
    mSifra->setFocus(Qt::OtherFocusReason);
    mSifra->selectAll();
    if (exec() != Accepted)
        return false;
    sender = {mSifra->text().trimmed(), mNaziv->text().trimmed(), mBroj->text().trimmed(),
              mPoziv->text().trimmed()};
    return true;
}

void TRacunKAddEditForm::Confirm()
{
    // Each text is a value of Racuni.ini: any character of the code page will do.
    for (QLineEdit *edit : {mSifra, mNaziv, mBroj, mPoziv}) {
        if (const QString problem = TextProblem(edit->text()); !problem.isEmpty()) {
            ShowCatalogueMessage(this, windowTitle(), problem);
            edit->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    accept();
}

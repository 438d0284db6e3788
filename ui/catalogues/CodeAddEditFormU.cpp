#include "ui/catalogues/CodeAddEditFormU.h"

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

TCodeAddEditForm::TCodeAddEditForm(const TCodeAddEditLayout &layout, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_layout(layout)
{
    setProperty("helpContext", hcCatalogues);
    setObjectName(layout.FormName);
    setModal(true);

    auto *codeLabel = new QLabel(layout.CodeLabel, this);
    mSifra = new QLineEdit(this);
    mSifra->setObjectName(QStringLiteral("mSifra"));
    mSifra->setMaxLength(layout.CodeLength);
    codeLabel->setBuddy(mSifra);
    auto *nameLabel = new QLabel(QStringLiteral("Naziv:"), this);
    mNaziv = new QLineEdit(this);
    mNaziv->setObjectName(QStringLiteral("mNaziv"));
    mNaziv->setMaxLength(layout.NameLength);
    nameLabel->setBuddy(mNaziv);
    // The code field is as wide as its longest code, the name takes the row.
    mSifra->setMaximumWidth(
        mSifra->fontMetrics().horizontalAdvance(QString(layout.CodeLength + 1, u'8')) + 12);

    MakeConfirmButtons(this, btnOK, btnCancel, true);

    auto *grid = new QGridLayout;
    grid->addWidget(codeLabel, 0, 0);
    grid->addWidget(mSifra, 0, 1, Qt::AlignLeft);
    grid->addWidget(nameLabel, 1, 0);
    grid->addWidget(mNaziv, 1, 1);
    grid->setColumnStretch(1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addStretch(1);
    main->addLayout(buttons);

    if (layout.ButtonsFirstInTabOrder) {
        setTabOrder(btnOK, btnCancel);
        setTabOrder(btnCancel, mSifra);
        setTabOrder(mSifra, mNaziv);
    } else {
        setTabOrder(mSifra, mNaziv);
        setTabOrder(mNaziv, btnOK);
        setTabOrder(btnOK, btnCancel);
    }

    connect(mSifra, &QLineEdit::textChanged, this, &TCodeAddEditForm::UpdateOk);
    if (layout.BothRequired)
        connect(mNaziv, &QLineEdit::textChanged, this, &TCodeAddEditForm::UpdateOk);
    connect(btnOK, &QPushButton::clicked, this, &TCodeAddEditForm::Confirm);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    // The designed client area, or more where the fonts need it.
    setFixedSize(layout.Client.expandedTo(sizeHint()));
    RestorePlacement(this, layout.FormName, false);
}

TCodeAddEditForm::~TCodeAddEditForm()
{
    SavePlacement(this, m_layout.FormName, false);
}

bool TCodeAddEditForm::Run(const QString &caption, QString &sifra, QString &naziv)
{
    setWindowTitle(caption);
    mSifra->setText(sifra);
    mNaziv->setText(naziv);
    UpdateOk();
    if (m_layout.CentredFirst && !m_shownBefore)
        CentreOnScreen(this);
    m_shownBefore = true;
    mSifra->setFocus(Qt::OtherFocusReason);
    mSifra->selectAll();
    if (exec() != Accepted)
        return false;
    sifra = mSifra->text().trimmed();
    naziv = mNaziv->text().trimmed();
    return true;
}

void TCodeAddEditForm::UpdateOk()
{
    btnOK->setEnabled(CodeDialogOkEnabled(m_layout.BothRequired, mSifra->text(), mNaziv->text()));
}

void TCodeAddEditForm::Confirm()
{
    if (!btnOK->isEnabled())
        return;
    if (const QString problem = CodeProblem(mSifra->text()); !problem.isEmpty()) {
        ShowCatalogueMessage(this, windowTitle(), problem);
        mSifra->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (const QString problem = TextProblem(mNaziv->text()); !problem.isEmpty()) {
        ShowCatalogueMessage(this, windowTitle(), problem);
        mNaziv->setFocus(Qt::OtherFocusReason);
        return;
    }
    accept();
}

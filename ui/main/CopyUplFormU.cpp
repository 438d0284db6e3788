#include "ui/main/CopyUplFormU.h"

#include "ui/common/Placement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TCopyUplForm::TCopyUplForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("CopyUplForm"));
    setWindowTitle(QStringLiteral("Kopiranje"));
    setProperty("helpContext", 380);

    Label1 = new QLabel(QStringLiteral("U datoteku:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ctFileName = new QComboBox(this);
    ctFileName->setObjectName(QStringLiteral("ctFileName"));
    // Long file names must not widen the dialog.
    ctFileName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ctFileName->setMinimumContentsLength(20);
    Label1->setBuddy(ctFileName);
    Label2 = new QLabel(QStringLiteral("Ispred uplatnice:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    ctUplatnica = new QListWidget(this);
    ctUplatnica->setObjectName(QStringLiteral("ctUplatnica"));
    ctUplatnica->setUniformItemSizes(true);
    Label2->setBuddy(ctUplatnica);
    ctDelete = new QCheckBox(QStringLiteral("Brisanje izvorne uplatnice"), this);
    ctDelete->setObjectName(QStringLiteral("ctDelete"));
    btnOK = new QPushButton(QStringLiteral("&Kopiraj"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("&Odustani"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ctFileName);
    layout->addWidget(Label2);
    layout->addWidget(ctUplatnica, 1);
    layout->addWidget(ctDelete);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    connect(ctFileName, &QComboBox::currentIndexChanged, this, &TCopyUplForm::ctFileNameChange);
    // A double click on the place copies there, as "&Kopiraj" would.
    connect(ctUplatnica, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(300, 320);
    RestorePlacement(this, QString(), false);
}

TCopyUplForm::~TCopyUplForm()
{
    SavePlacement(this, QString(), false);
}

std::optional<TCopyChoice> TCopyUplForm::Execute(const QList<TCopyTarget> &files, int activeIndex)
{
    FFiles = files;
    {
        const QSignalBlocker block(ctFileName);
        ctFileName->clear();
        for (const TCopyTarget &f : files)
            ctFileName->addItem(f.Name);
        ctFileName->addItem(QStringLiteral("Nova datoteka"));
        ctFileName->setCurrentIndex(activeIndex >= 0 && activeIndex < files.size()
                                        ? activeIndex
                                        : static_cast<int>(files.size()));
    }
    ctFileNameChange();
    ctDelete->setChecked(false);
    ctUplatnica->setFocus(Qt::OtherFocusReason);

    const bool confirmed = exec() == QDialog::Accepted;
    std::optional<TCopyChoice> choice;
    if (confirmed && ctUplatnica->currentRow() >= 0) {
        TCopyChoice c;
        const int file = ctFileName->currentIndex();
        c.FileIndex = file >= 0 && file < FFiles.size() ? file : TCopyChoice::NewFile;
        c.Before = ctUplatnica->currentRow();
        c.DeleteSource = ctDelete->isChecked();
        choice = c;
    }
    FFiles.clear();
    return choice;
}

void TCopyUplForm::ctFileNameChange()
{
    ctUplatnica->clear();
    const int file = ctFileName->currentIndex();
    if (file >= 0 && file < FFiles.size())
        ctUplatnica->addItems(FFiles[file].Slips);
    ctUplatnica->addItem(QStringLiteral("<Poslije ostalih>"));
    ctUplatnica->setCurrentRow(0);
}

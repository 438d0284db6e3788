#include "ui/print/ZorPrintDlgs.h"

#include "ui/help/HelpContexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int ImageWidth = 143;
constexpr int ImageHeight = 48;

QLabel *MakeImage(QWidget *parent, const char *name, bool collate, bool reverse)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFixedSize(ImageWidth, ImageHeight);
    label->setPixmap(QPixmap::fromImage(SheetOrderImage(collate, reverse)));
    return label;
}

} // namespace

QImage SheetOrderImage(bool collate, bool reverse)
{
    // The same order the job prints: three pages, three copies.
    TZorPrintOptions options;
    options.Copies = 3;
    options.Collate = collate;
    options.Reverse = reverse;
    const QList<int> order = PrintSequence(3, options, 0);

    QImage image(ImageWidth, ImageHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);

    constexpr int sheetW = 20, sheetH = 28, step = 9;
    for (int stack = 0; stack < 3; ++stack) {
        const int x0 = 4 + stack * 48;
        // Back sheet first, up and to the left; the front sheet last.
        for (int depth = 2; depth >= 0; --depth) {
            const int page = order[stack * 3 + depth] + 1;
            const QRect sheet(x0 + (2 - depth) * step, 1 + (2 - depth) * step, sheetW, sheetH);
            p.setPen(QPen(QColor(64, 64, 64), 1));
            p.setBrush(Qt::white);
            p.drawRect(sheet);
            p.setPen(Qt::black);
            p.drawText(QRect(sheet.x() + 1, sheet.y() + 1, step - 1, step), Qt::AlignCenter,
                       QString::number(page));
            if (depth == 0) {
                // A few text lines on the front sheet.
                p.setPen(QColor(160, 160, 160));
                for (int y = sheet.y() + 13; y < sheet.bottom() - 2; y += 4)
                    p.drawLine(sheet.x() + 4, y, sheet.right() - 4, y);
            }
        }
    }
    return image;
}

TZorPrintDlg::TZorPrintDlg(QWidget *parent) : QDialog(parent)
{
    setProperty("helpContext", hcPrintDlg);
    setObjectName(QStringLiteral("ZorPrintDlg"));
    setWindowTitle(QStringLiteral("Štampanje"));

    GroupBox1 = new QGroupBox(QStringLiteral("Štampaj"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    btnAll = new QRadioButton(QStringLiteral("&Sve"), GroupBox1);
    btnAll->setObjectName(QStringLiteral("btnAll"));
    btnPage = new QRadioButton(QStringLiteral("&Trenutnu stranicu"), GroupBox1);
    btnPage->setObjectName(QStringLiteral("btnPage"));
    btnPages = new QRadioButton(QStringLiteral("Str&anice:"), GroupBox1);
    btnPages->setObjectName(QStringLiteral("btnPages"));
    Pages = new QLineEdit(GroupBox1);
    Pages->setObjectName(QStringLiteral("Pages"));
    btnAll->setChecked(true);
    Pages->setEnabled(false);

    auto *printLayout = new QGridLayout(GroupBox1);
    printLayout->addWidget(btnAll, 0, 0);
    printLayout->addWidget(btnPage, 1, 0);
    printLayout->addWidget(btnPages, 2, 0);
    printLayout->addWidget(Pages, 2, 1);
    printLayout->setColumnStretch(1, 1);

    GroupBox2 = new QGroupBox(QStringLiteral("Opcije"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    lblCopies = new QLabel(QStringLiteral("&Broj kopija:"), GroupBox2);
    lblCopies->setObjectName(QStringLiteral("lblCopies"));
    Copies = new QSpinBox(GroupBox2);
    Copies->setObjectName(QStringLiteral("Copies"));
    Copies->setRange(1, 100);
    Copies->setValue(1);
    Copies->setWrapping(false);
    lblCopies->setBuddy(Copies);
    chkColate = new QCheckBox(QStringLiteral("Slo&ži po kopijama"), GroupBox2);
    chkColate->setObjectName(QStringLiteral("chkColate"));
    chkColate->setChecked(true);
    chkReverse = new QCheckBox(QStringLiteral("&Obrnutim redom"), GroupBox2);
    chkReverse->setObjectName(QStringLiteral("chkReverse"));
    Image1 = MakeImage(GroupBox2, "Image1", true, false);
    Image2 = MakeImage(GroupBox2, "Image2", false, false);
    Image3 = MakeImage(GroupBox2, "Image3", true, true);
    Image4 = MakeImage(GroupBox2, "Image4", false, true);

    auto *optionsLayout = new QGridLayout(GroupBox2);
    auto *copiesRow = new QHBoxLayout;
    copiesRow->addWidget(lblCopies);
    copiesRow->addWidget(Copies);
    copiesRow->addStretch(1);
    optionsLayout->addLayout(copiesRow, 0, 0);
    optionsLayout->addWidget(chkColate, 1, 0);
    optionsLayout->addWidget(chkReverse, 2, 0);
    // The four pictures share one place; only one is ever shown.
    for (QLabel *image : {Image1, Image2, Image3, Image4})
        optionsLayout->addWidget(image, 0, 1, 3, 1, Qt::AlignRight | Qt::AlignVCenter);
    optionsLayout->setColumnStretch(0, 1);

    btnOK = new QPushButton(QStringLiteral("Štam&paj"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Odustani"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(GroupBox2);
    layout->addStretch(1);
    layout->addLayout(buttons);
    resize(289, 281);

    connect(btnAll, &QRadioButton::toggled, this, &TZorPrintDlg::btnAllClick);
    connect(btnPage, &QRadioButton::toggled, this, &TZorPrintDlg::btnAllClick);
    connect(btnPages, &QRadioButton::toggled, this, &TZorPrintDlg::btnAllClick);
    connect(chkColate, &QCheckBox::toggled, this, &TZorPrintDlg::chkColateClick);
    connect(chkReverse, &QCheckBox::toggled, this, &TZorPrintDlg::chkReverseClick);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    UpdateImage();
}

void TZorPrintDlg::btnAllClick()
{
    Pages->setEnabled(btnPages->isChecked());
}

void TZorPrintDlg::UpdateImage()
{
    const bool collate = chkColate->isChecked();
    const bool reverse = chkReverse->isChecked();
    QLabel *shown = Image2;
    if (collate && reverse)
        shown = Image3;
    else if (reverse)
        shown = Image4;
    else if (collate)
        shown = Image1;
    for (QLabel *image : {Image1, Image2, Image3, Image4})
        image->setVisible(image == shown);
}

TZorPrintOptions TZorPrintDlg::Options() const
{
    TZorPrintOptions options;
    if (btnPage->isChecked())
        options.Pages = QStringLiteral("0");
    else if (btnPages->isChecked())
        options.Pages = Pages->text();
    options.Copies = Copies->value();
    options.Collate = chkColate->isChecked();
    options.Reverse = chkReverse->isChecked();
    return options;
}

bool TZorPrintDlg::Execute(TZorPrintOptions &options)
{
    int result = QDialog::Rejected;
    if (std::optional<TPrintDialogAnswer> answer = PrintDialogSeam().Take({windowTitle()}))
        result = *answer ? (*answer)(*this) : int(QDialog::Rejected);
    else
        result = exec();
    if (result != QDialog::Accepted)
        return false;
    Copies->interpretText(); // a number typed and confirmed with Enter at once
    options = Options();
    return true;
}

TDialogSeam<TPrintDialogAnswer> &PrintDialogSeam()
{
    static TDialogSeam<TPrintDialogAnswer> seam;
    return seam;
}

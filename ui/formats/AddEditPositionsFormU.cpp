#include "ui/formats/AddEditPositionsFormU.h"

#include "controls/NumEdit.h"
#include "print/formats/FormatEditMath.h"
#include "ui/help/HelpContexts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TAddEditPositionsForm::TAddEditPositionsForm(QWidget *parent) : QDialog(parent)
{
    setProperty("helpContext", hcAddFormat);
    setObjectName(QStringLiteral("AddEditPositionsForm"));
    setWindowTitle(QStringLiteral("Format"));
    // A fixed dialog without the close box; Esc still cancels.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    mName = new QLineEdit(this);
    mName->setObjectName(QStringLiteral("mName"));
    mName->setMinimumWidth(200);
    const auto numEdit = [this](const char *name) {
        auto *edit = new TNumEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->SetDecimals(2);
        edit->SetAlignment(Qt::AlignRight);
        connect(edit, &TNumEdit::OnChange, this, &TAddEditPositionsForm::UpdateEnabling);
        return edit;
    };
    mWidth = numEdit("mWidth");
    mHeight = numEdit("mHeight");

    auto *form = new QFormLayout;
    const auto row = [&](const QString &text, QWidget *field) {
        auto *label = new QLabel(text, this);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    row(QStringLiteral("&Naziv formata"), mName);
    row(QStringLiteral("Š&irina (mm)"), mWidth);
    row(QStringLiteral("&Visina (mm)"), mHeight);

    FHint = new QLabel(
        QStringLiteral("Širina i visina od %1 do %2 mm.").arg(MinFormatSize).arg(MaxFormatSize),
        this);
    FHint->setObjectName(QStringLiteral("lblHint"));

    auto *buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("Potvrdi"), QDialogButtonBox::AcceptRole);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = buttons->addButton(QStringLiteral("Odustani"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(mName, &QLineEdit::textChanged, this, &TAddEditPositionsForm::UpdateEnabling);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(FHint);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    UpdateEnabling();
}

QString TAddEditPositionsForm::Name() const
{
    return mName->text().trimmed();
}

double TAddEditPositionsForm::FormatWidth() const
{
    return mWidth->Value();
}

double TAddEditPositionsForm::FormatHeight() const
{
    return mHeight->Value();
}

void TAddEditPositionsForm::SetValues(const QString &name, double width, double height,
                                      bool nameFixed)
{
    mName->setText(name);
    mName->setReadOnly(nameFixed);
    mWidth->SetValue(width);
    mHeight->SetValue(height);
    UpdateEnabling();
}

bool TAddEditPositionsForm::CanConfirm(const QString &name, double width, double height)
{
    return !name.trimmed().isEmpty() && ValidFormatSize(width) && ValidFormatSize(height);
}

void TAddEditPositionsForm::UpdateEnabling()
{
    btnOK->setEnabled(CanConfirm(mName->text(), mWidth->Value(), mHeight->Value()));
}

void TAddEditPositionsForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    mName->setFocus();
    if (mName->isReadOnly())
        mWidth->setFocus();
}

TDialogSeam<std::optional<TFormatSize>> &FormatDialogSeam()
{
    static TDialogSeam<std::optional<TFormatSize>> seam;
    return seam;
}

std::optional<TFormatSize> AskFormatSize(QWidget *parent, const TFormatSize &offered,
                                         bool nameFixed)
{
    TAddEditPositionsForm dialog(parent);
    if (auto answer = FormatDialogSeam().Take({dialog.windowTitle(), offered.Name}))
        return *answer;
    dialog.SetValues(offered.Name, offered.Width, offered.Height, nameFixed);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return TFormatSize{dialog.Name(), dialog.FormatWidth(), dialog.FormatHeight()};
}

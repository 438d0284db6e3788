#include "ui/catalogues/SvrheFormU.h"

#include <QInputDialog>

TSvrheForm::TSvrheForm(TCatalogue &catalogue, QWidget *parent)
    : TCodeCatalogueForm({.FormName = QStringLiteral("SvrheForm"),
                          .Caption = QStringLiteral("Svrhe uplate"),
                          .ListName = QStringLiteral("SvrheV"),
                          .Columns = {{QStringLiteral("Naziv"), 300}},
                          .Designed = {351, 322}},
                         catalogue, TCatalogueKind::Svrhe, parent)
{
    m_input = new QInputDialog(this);
    m_input->setObjectName(QStringLiteral("SvrhaInput"));
    m_input->setInputMode(QInputDialog::TextInput);
    m_input->setLabelText(QStringLiteral("Unesite svrhu doznake"));
    m_input->setOkButtonText(QStringLiteral("Potvrdi"));
    m_input->setCancelButtonText(QStringLiteral("Odustani"));
    m_input->resize(360, m_input->sizeHint().height());
}

QString TSvrheForm::AddCaption() const
{
    return QStringLiteral("Nova svrha doznake");
}

bool TSvrheForm::AskPurpose(const QString &title, QString &text)
{
    m_input->setWindowTitle(title);
    m_input->setTextValue(text);
    for (;;) {
        if (m_input->exec() != QDialog::Accepted)
            return false;
        // Kept as the file will give it back: blanks around it are dropped there.
        text = m_input->textValue().trimmed();
        const QString problem = TextProblem(text);
        if (problem.isEmpty())
            return true;
        ShowCatalogueMessage(this, title, problem);
    }
}

void TSvrheForm::DoAdd()
{
    QString text;
    qsizetype follow = Selected();
    if (AskPurpose(AddCaption(), text))
        Catalogue().AddPurpose(text, &follow);
    AfterEdit(follow);
}

void TSvrheForm::DoChange(qsizetype entry)
{
    QString text = Catalogue().At(entry).Sifra;
    qsizetype follow = entry;
    if (AskPurpose(QStringLiteral("Izmjena svrhe doznake"), text))
        Catalogue().ChangePurpose(entry, text, &follow);
    AfterEdit(follow);
}

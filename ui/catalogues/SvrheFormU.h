#pragma once

#include "ui/catalogues/CodeCatalogueFormU.h"

class QInputDialog;

// The payment purposes: one column of free texts, added and changed through
// a one-line input box; texts may repeat.
class TSvrheForm : public TCodeCatalogueForm
{
    Q_OBJECT
public:
    explicit TSvrheForm(TCatalogue &catalogue, QWidget *parent = nullptr);

    // The input box (objectName "SvrhaInput"), kept for the run.
    QInputDialog *InputBox() const { return m_input; }

protected:
    QString AddCaption() const override;
    void DoAdd() override;
    void DoChange(qsizetype entry) override;

private:
    // Asks for a purpose; false on "Odustani". A text the file cannot hold is
    // refused with a message and asked again, as typed.
    bool AskPurpose(const QString &title, QString &text);

    QInputDialog *m_input = nullptr;
};

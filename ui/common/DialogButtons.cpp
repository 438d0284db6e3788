#include "ui/common/DialogButtons.h"

#include <QPushButton>

void MakeConfirmButtons(QWidget *dialog, QPushButton *&ok, QPushButton *&cancel,
                        bool enterAlwaysConfirms)
{
    ok = new QPushButton(QStringLiteral("Potvrdi"), dialog);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    cancel = new QPushButton(QStringLiteral("Odustani"), dialog);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    if (enterAlwaysConfirms)
        cancel->setAutoDefault(false);
}

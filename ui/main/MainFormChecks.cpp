// Account and ID checks in the editor and before printing.
#include "ui/main/MainFormU.h"

#include "ui/catalogues/RacuniFormU.h"
#include "ui/catalogues/RacuniKFormU.h"
#include "controls/CheckMark.h"
#include "core/NumberChecks.h"
#include "ui/common/ConfirmFormU.h"
#include "ui/main/MainRules.h"
#include "ui/common/ProgramData.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QStyle>
#include <QTableView>
#include <QToolButton>

void TMainForm::InitChecks()
{
    const auto make = [this](QLineEdit *edit, QToolButton *button, TCheckMark::TCheck check,
                             const QString &caption, const char *name) {
        auto *mark = new TCheckMark(edit, std::move(check), caption);
        mark->setObjectName(QString::fromLatin1(name));
        if (button)
            mark->SetPlaceAfter(button);
        return mark;
    };
    markRacunPosiljaoca = make(mRacunPosiljaoca, spRacunPosiljaoca, CheckAccount,
                               QStringLiteral("Račun pošiljaoca"), "markRacunPosiljaoca");
    markRacunPrimaoca = make(mRacunPrimaoca, spRacunPrimaoca, CheckAccount,
                             QStringLiteral("Račun primaoca"), "markRacunPrimaoca");
    markBrojObveznika = make(mBrojObveznika, nullptr, CheckBrojObveznika,
                             QStringLiteral("Br. por. obveznika"), "markBrojObveznika");
    // The same marks in the account columns of the catalogue windows; the
    // column makes room for the mark beside a whole number.
    const auto checkColumn = [](TCatalogueForm *form, int column, int digits,
                                TCatalogueModel::TColumnCheck check) {
        form->Model()->SetCheckedColumn(column, std::move(check));
        QHeaderView *header = form->List->horizontalHeader();
        const int iconRoom = form->List->iconSize().isValid()
                                 ? form->List->iconSize().width()
                                 : form->List->style()->pixelMetric(QStyle::PM_SmallIconSize);
        const int needed =
            form->List->fontMetrics().horizontalAdvance(QString(digits, u'8')) + iconRoom + 20;
        if (header->sectionSize(column) < needed)
            header->resizeSection(column, needed);
    };
    if (RacuniForm)
        checkColumn(RacuniForm, 0, 16, CheckAccount);
    if (RacuniKForm) {
        checkColumn(RacuniKForm, 0, 16, CheckAccount);
        checkColumn(RacuniKForm, 2, 13, CheckBrojObveznika);
    }
    ApplyCheckSetting();
    connect(this, &TMainForm::SettingsChanged, this, &TMainForm::ApplyCheckSetting);
}

void TMainForm::ApplyCheckSetting()
{
    const bool on = FData.Settings.ProvjeraRacuna;
    for (TCheckMark *m : {markRacunPosiljaoca, markRacunPrimaoca, markBrojObveznika})
        if (m)
            m->SetActive(on);
    if (RacuniForm)
        RacuniForm->Model()->SetChecksActive(on);
    if (RacuniKForm)
        RacuniKForm->Model()->SetChecksActive(on);
}

bool TMainForm::ConfirmPrintChecks(const QList<TUpl> &slips)
{
    if (!FData.Settings.ProvjeraRacuna)
        return true;
    QStringList failing;
    for (const TUpl &slip : slips) {
        // By description and the fields that fail; the editor's marks tell why.
        QStringList fields;
        for (const QString &problem : SlipCheckProblems(slip))
            fields += problem.section(QStringLiteral(": "), 0, 0);
        if (!fields.isEmpty())
            failing += QStringLiteral("%1 (%2)").arg(slip.Opis, fields.join(QStringLiteral(", ")));
    }
    if (failing.isEmpty())
        return true;
    return ConfirmAsk(QStringLiteral("Uplatnice sa neispravnim računom:") + ListedLines(failing) +
                      QStringLiteral("\n\nŽelite li ipak štampati?")) == TConfirmResult::Yes;
}

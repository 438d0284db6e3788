// Account and ID checks in the editor and before printing; slips to and from
// spreadsheet files.
#include "ui/main/MainFormU.h"

#include "catalogues/RacuniFormU.h"
#include "catalogues/RacuniKFormU.h"
#include "controls/CheckMark.h"
#include "core/NumberChecks.h"
#include "core/SlipCsv.h"
#include "core/SlipUndo.h"
#include "ui/main/ConfirmFormU.h"
#include "ui/main/ProgramData.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QStyle>
#include <QTableView>
#include <QToolButton>

namespace {

// Longer lists are cut, so that the question still fits on the screen.
constexpr int ListedAtMost = 15;

QString Listed(const QStringList &lines)
{
    QString text;
    for (qsizetype i = 0; i < lines.size() && i < ListedAtMost; ++i)
        text += QStringLiteral("\n") + lines[i];
    if (lines.size() > ListedAtMost)
        text += QStringLiteral("\n… i još %1").arg(lines.size() - ListedAtMost);
    return text;
}

} // namespace

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

    MakeAction(FileImportCsvA, "FileImportCsvA", QStringLiteral("U&voz iz CSV..."), {},
               QStringLiteral("Dodaje uplatnice iz tabele (CSV) u tekuću datoteku"),
               &TMainForm::FileImportCsvAExecute);
    MakeAction(FileExportCsvA, "FileExportCsvA", QStringLiteral("I&zvoz u CSV..."), {},
               QStringLiteral("Zapisuje uplatnice tekuće datoteke kao tabelu (CSV)"),
               &TMainForm::FileExportCsvAExecute);
    // Beside the other file commands, before the default-file submenu.
    QAction *before = nullptr;
    for (QAction *a : mnuFile->actions())
        if (a->menu() && a->menu()->objectName() == QLatin1String("mnuFileDefault"))
            before = a;
    mnuFile->insertSeparator(before);
    mnuFile->insertActions(before, {FileImportCsvA, FileExportCsvA});
    mnuFile->insertSeparator(before);
    connect(mnuFile, &QMenu::aboutToShow, this,
            [this] { FileExportCsvA->setEnabled(CurrentFile() != nullptr); });
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
    return ConfirmAsk(QStringLiteral("Uplatnice sa neispravnim računom:") + Listed(failing) +
                      QStringLiteral("\n\nŽelite li ipak štampati?")) == TConfirmResult::Yes;
}

void TMainForm::FileImportCsvAExecute()
{
    std::optional<QString> path;
    if (CsvFileChooser) {
        path = CsvFileChooser(false, QString());
    } else {
        const QString chosen =
            QFileDialog::getOpenFileName(this, QStringLiteral("Uvoz iz CSV"), QString(),
                                         QStringLiteral("Tabele (*.csv *.txt);;Sve datoteke (*)"));
        if (!chosen.isEmpty())
            path = chosen;
    }
    if (path && !path->isEmpty())
        ImportCsvFile(*path);
}

void TMainForm::ImportCsvFile(const QString &path)
{
    QString defaultError;
    const std::optional<TUpl> defaults = ImportDefaultSlip(&defaultError);
    if (!defaults) {
        ShowError(QStringLiteral("Ništa nije uvezeno: standardna uplatnica nije pročitana.\n%1")
                      .arg(defaultError));
        return;
    }
    TSlipCsvImport r;
    try {
        QList<TUpl> slips;
        r = ImportSlipsCsvFile(path, *defaults,
                               [&slips](TUpl &&slip) { slips.append(std::move(slip)); });
        if (r.Error.isEmpty())
            r.Slips = std::move(slips);
    } catch (const std::bad_alloc &) {
        r = TSlipCsvImport();
        r.Error = QStringLiteral("nema dovoljno memorije za uvoz");
    }
    if (!r.Error.isEmpty()) {
        ShowError(QStringLiteral("%1\n%2").arg(QDir::toNativeSeparators(path), r.Error));
        return;
    }
    QString unknown;
    if (!r.UnknownColumns.isEmpty())
        unknown = QStringLiteral("\n\nNepoznate kolone su zanemarene: %1")
                      .arg(r.UnknownColumns.join(QStringLiteral(", ")));
    if (!r.Refused.isEmpty()) {
        QStringList lines;
        for (const TCsvRefusal &x : r.Refused)
            lines += CsvRefusalText(x);
        if (r.MoreRefused > 0)
            lines += QStringLiteral("… i još %1 razloga").arg(r.MoreRefused);
        const QString question =
            r.Slips.isEmpty() ? QString()
                              : QStringLiteral("\n\nŽelite li ipak uvesti ostale uplatnice (%1)?")
                                    .arg(r.Slips.size());
        const QString message =
            QStringLiteral("Neki redovi nisu uvezeni:") + Listed(lines) + unknown + question;
        if (r.Slips.isEmpty()) {
            ShowError(message);
            return;
        }
        if (ConfirmAsk(message) != TConfirmResult::Yes)
            return;
    } else if (!unknown.isEmpty()) {
        QMessageBox::information(this, QStringLiteral("Uvoz iz CSV"), unknown.trimmed());
    }
    if (r.Slips.isEmpty())
        return;

    if (!CurrentOpenFile())
        NewFile();
    TOpenFile *open = CurrentOpenFile();
    if (!open)
        return;
    // One undo step; only the first new slip is marked, so that the editor
    // shows it and typing goes into no other slip.
    const qsizetype first = open->File.Count();
    PushSlipCommand(*open, new TUplAppendCommand(open->File, r.Slips, QStringLiteral("Uvoz iz CSV"),
                                                 SlipsChangedHandler()));
    UplList->scrollTo(UplList->model()->index(int(first), 0));
}

void TMainForm::FileExportCsvAExecute()
{
    const TUplFile *file = CurrentFile();
    if (!file)
        return;
    const QString suggested = ShownName(file->FileName) + QStringLiteral(".csv");
    std::optional<QString> path;
    if (CsvFileChooser) {
        path = CsvFileChooser(true, suggested);
    } else {
        const QString chosen =
            QFileDialog::getSaveFileName(this, QStringLiteral("Izvoz u CSV"), suggested,
                                         QStringLiteral("Tabele (*.csv);;Sve datoteke (*)"));
        if (!chosen.isEmpty())
            path = chosen;
    }
    if (!path || path->isEmpty())
        return;
    QString error;
    if (!WriteSlipsCsv(*path, file->Uplatnice, &error, {file->FileName}))
        ShowError(QStringLiteral("Datoteka %1 nije zapisana.\n%2")
                      .arg(QDir::toNativeSeparators(*path), error));
}

// Slips to and from spreadsheet files (CSV).
#include "ui/main/MainFormU.h"

#include "ui/common/DialogSeams.h"

#include "core/SlipCsv.h"
#include "core/SlipUndo.h"
#include "ui/common/ConfirmFormU.h"
#include "ui/main/MainRules.h"
#include "ui/common/ProgramData.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QListView>
#include <QMenu>
#include <QMessageBox>

void TMainForm::InitCsv()
{
    MakeAction(FileImportCsvA, "FileImportCsvA", QStringLiteral("&Uvoz iz CSV..."), {},
               QStringLiteral("Dodaje uplatnice iz tabele (CSV) u tekuću datoteku"),
               &TMainForm::FileImportCsvAExecute);
    MakeAction(FileExportCsvA, "FileExportCsvA", QStringLiteral("&Izvoz u CSV..."), {},
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

void TMainForm::FileImportCsvAExecute()
{
    std::optional<QString> path;
    if (const auto answer = FileDialogSeam().Take({QStringLiteral("Uvoz iz CSV"), QString()})) {
        path = *answer;
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
    QString remarks;
    if (!r.UnknownColumns.isEmpty())
        remarks = QStringLiteral("\n\nNepoznate kolone su zanemarene: %1")
                      .arg(r.UnknownColumns.join(QStringLiteral(", ")));
    if (FData.Settings.ProvjeraRacuna && !r.Warnings.isEmpty()) {
        QStringList lines;
        for (const TCsvRefusal &w : r.Warnings)
            lines += CsvRefusalText(w);
        if (r.MoreWarnings > 0)
            lines += QStringLiteral("… i još %1 upozorenja").arg(r.MoreWarnings);
        remarks += QStringLiteral("\n\nUvezeni redovi sa neispravnim računom ili JMB:") +
                   ListedLines(lines);
    }
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
            QStringLiteral("Neki redovi nisu uvezeni:") + ListedLines(lines) + remarks + question;
        if (r.Slips.isEmpty()) {
            ShowError(message);
            return;
        }
        if (ConfirmAsk(message) != TConfirmResult::Yes)
            return;
    } else if (!remarks.isEmpty()) {
        ShowMessageBox(this, QMessageBox::Information, QStringLiteral("Uvoz iz CSV"),
                       remarks.trimmed());
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
    if (const auto answer = FileDialogSeam().Take({QStringLiteral("Izvoz u CSV"), suggested})) {
        path = *answer;
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

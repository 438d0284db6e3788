#include "ui/main/MainFormU.h"

#include "ui/common/DialogSeams.h"

#include "core/AppFolder.h"
#include "core/FileLock.h"
#include "core/SafeFile.h"
#include "core/UplFileIO.h"
#include "ui/common/ConfirmFormU.h"
#include "ui/main/DialogsU.h"
#include "ui/common/ProgramData.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QListView>
#include <QMenu>
#include <QTabBar>

namespace {

// The file dialogs keep their folder and file name between uses.
QString g_lastOpen;
QString g_lastSave;

} // namespace

TUplFile *TMainForm::CurrentFile()
{
    TOpenFile *f = CurrentOpenFile();
    return f ? &f->File : nullptr;
}

TOpenFile *TMainForm::CurrentOpenFile()
{
    const int i = CurrentFileIndex();
    return i >= 0 && i < int(OpenFiles.size()) ? OpenFiles[i].get() : nullptr;
}

int TMainForm::CurrentFileIndex() const
{
    return FileTabs ? FileTabs->currentIndex() : -1;
}

TUplFile *TMainForm::FileByIndex(int index)
{
    return index >= 0 && index < int(OpenFiles.size()) ? &OpenFiles[index]->File : nullptr;
}

TUpl *TMainForm::SlipByIndex(int index)
{
    TUplFile *file = CurrentFile();
    return file && index >= 0 && index < file->Count() ? &file->Uplatnice[index] : nullptr;
}

void TMainForm::MarkChanged()
{
    if (TOpenFile *f = CurrentOpenFile())
        MarkChanged(*f);
}

void TMainForm::MarkChanged(TOpenFile &file)
{
    file.File.Snimljena = false;
    // A change outside the undo history: undoing slip commands no longer
    // leads back to what was saved.
    file.Undo.resetClean();
}

TOpenFile *TMainForm::AddOpenFile(TUplFile file)
{
    auto open = std::make_unique<TOpenFile>(std::move(file));
    open->NoteDiskState();
    open->Undo.setClean();
    TOpenFile *raw = open.get();
    OpenFiles.push_back(std::move(open));
    const QString caption = ShownName(raw->File.FileName);
    centralWidget()->show();
    // Adding the first tab makes it current; later ones are made current here.
    {
        const QSignalBlocker block(FileTabs);
        FileTabs->addTab(caption);
        FileTabs->setCurrentIndex(FileTabs->count() - 1);
    }
    FileTabsChange(FileTabs->currentIndex());
    return raw;
}

TOpenFile *TMainForm::NewFile()
{
    TUplFile file;
    const QString defaultPath = ProgramFile(QStringLiteral("Default.upl"));
    bool fromDefault = false;
    if (QFileInfo::exists(defaultPath) || QFileInfo(defaultPath).isSymLink()) {
        TUplReadResult read = ReadUplFile(defaultPath);
        if (read.Status == TUplReadResult::Ok) {
            file.Napomene = read.File->Napomene;
            file.Uplatnice = std::move(read.File->Uplatnice);
            fromDefault = true;
        } else {
            ShowError(QStringLiteral("Standardna datoteka nije pročitana; nova datoteka počinje "
                                     "jednom praznom uplatnicom.\n%1")
                          .arg(PathError(QDir::toNativeSeparators(defaultPath), read.Error)));
        }
    }
    if (!fromDefault) {
        TUpl slip = NewSlip();
        slip.Opis = QStringLiteral("Uplatnica");
        slip.Oznacena = true;
        file.AddSlip(slip);
    }
    file.FileName = NewFileName(NextFileNumber++);
    file.Snimljena = true;
    return AddOpenFile(std::move(file));
}

bool TMainForm::OpenFileByName(const QString &path)
{
    for (int i = 0; i < int(OpenFiles.size()); ++i)
        if (OpenFiles[i]->File.FileName == path) {
            ActivateFile(i);
            return true;
        }
    TUplReadResult read = ReadUplFile(path);
    if (read.Status != TUplReadResult::Ok) {
        ShowError(read.Error);
        return false;
    }
    AddOpenFile(std::move(*read.File));
    return true;
}

void TMainForm::ActivateFile(int index)
{
    if (index < 0 || index >= FileTabs->count())
        return;
    if (FileTabs->currentIndex() == index)
        FileTabsChange(index);
    else
        FileTabs->setCurrentIndex(index);
}

void TMainForm::FileTabsChange(int)
{
    FillSlipList();
    ScheduleUpdate();
}

std::optional<QString> TMainForm::ChooseFile(TFileChoice kind, const QString &suggested)
{
    static const QString captions[] = {QStringLiteral("Otvaranje"), QStringLiteral("Snimanje"),
                                       QStringLiteral("Štampaj u PDF")};
    if (const auto answer = FileDialogSeam().Take({captions[int(kind)], suggested}))
        return *answer;
    switch (kind) {
    case TFileChoice::OpenUpl: {
        TOpenUplDialog dialog(this);
        dialog.SetFileName(g_lastOpen);
        if (!dialog.Execute())
            return std::nullopt;
        g_lastOpen = dialog.FileName();
        return dialog.FileName();
    }
    case TFileChoice::SaveUpl: {
        TSaveUplDialog dialog(this);
        dialog.SetFileName(suggested.isEmpty() ? g_lastSave : suggested);
        if (!dialog.Execute())
            return std::nullopt;
        g_lastSave = dialog.FileName();
        return dialog.FileName();
    }
    case TFileChoice::SavePdf: {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Štampaj u PDF"),
                                                          suggested, QStringLiteral("PDF (*.pdf)"));
        if (path.isEmpty())
            return std::nullopt;
        return path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)
                   ? path
                   : path + QStringLiteral(".pdf");
    }
    }
    return std::nullopt;
}

bool TMainForm::WriteChecked(TOpenFile &file)
{
    // Held from the check to the write: a command-line import appending to
    // the same file, or another window saving it, waits or is refused
    // instead of writing between the two.
    TFileLock lock(file.File.FileName);
    if (!lock.Lock()) {
        ShowError(QStringLiteral("Datoteka %1 nije snimljena.\n%2")
                      .arg(QDir::toNativeSeparators(file.File.FileName), lock.ErrorText()));
        return false;
    }
    // Another program may have changed the file since it was read or saved.
    if (file.ChangedOnDisk() &&
        ConfirmAsk(QStringLiteral("Datoteka je u međuvremenu promijenjena. Želite li je ipak "
                                  "snimiti?")) != TConfirmResult::Yes)
        return false;
    QString error;
    if (!WriteUplFile(file.File, &error)) {
        ShowError(QStringLiteral("Datoteka %1 nije snimljena.\n%2")
                      .arg(QDir::toNativeSeparators(file.File.FileName), error));
        return false;
    }
    file.NoteDiskState();
    file.Undo.setClean();
    return true;
}

bool TMainForm::SaveFile(TOpenFile &file)
{
    const QString remembered = file.File.FileName;
    const QDateTime rememberedTime = file.DiskTime;
    const qint64 rememberedSize = file.DiskSize;
    if (NeverSaved(file.File.FileName)) {
        const QString suggested =
            remembered.isEmpty() ? QString() : ShownName(remembered) + QStringLiteral(".upl");
        const std::optional<QString> path = ChooseFile(TFileChoice::SaveUpl, suggested);
        if (!path || path->isEmpty())
            return false;
        file.File.FileName = *path;
        // A file chosen in the dialog was agreed to be replaced.
        file.DiskTime = QDateTime();
    }
    if (!WriteChecked(file)) {
        file.File.FileName = remembered;
        file.DiskTime = rememberedTime;
        file.DiskSize = rememberedSize;
        return false;
    }
    for (int i = 0; i < int(OpenFiles.size()); ++i)
        if (OpenFiles[i].get() == &file)
            FileTabs->setTabText(i, ShownName(file.File.FileName));
    ScheduleUpdate();
    return true;
}

bool TMainForm::AskSaveChanges(TOpenFile &file)
{
    switch (ConfirmAsk(SaveChangesQuestion(file.File.FileName))) {
    case TConfirmResult::Yes:
        return SaveFile(file);
    case TConfirmResult::No:
        return true;
    case TConfirmResult::Cancel:
        break;
    }
    return false;
}

void TMainForm::RemoveFile(int index)
{
    const int count = int(OpenFiles.size());
    const int next = TabAfterClose(index, count);
    Editing = false;
    if (UplList->model() == &OpenFiles[index]->Model)
        SetListModel(nullptr);
    {
        const QSignalBlocker block(FileTabs);
        FileTabs->removeTab(index);
        OpenFiles.erase(OpenFiles.begin() + index);
        if (next >= 0)
            FileTabs->setCurrentIndex(next);
    }
    if (next < 0)
        centralWidget()->hide();
    FillSlipList();
    Editing = true;
    ScheduleUpdate();
}

bool TMainForm::CloseCurrentFile()
{
    TOpenFile *file = CurrentOpenFile();
    if (!file)
        return false;
    if (!file->File.Snimljena && !AskSaveChanges(*file))
        return false;
    RemoveFile(CurrentFileIndex());
    return true;
}

void TMainForm::FileNewAExecute()
{
    NewFile();
    FocusFirstField();
}

void TMainForm::FileOpenAExecute()
{
    const std::optional<QString> path = ChooseFile(TFileChoice::OpenUpl, QString());
    if (path && !path->isEmpty() && OpenFileByName(*path))
        FocusFirstField();
}

void TMainForm::FileSaveAExecute()
{
    if (TOpenFile *file = CurrentOpenFile())
        SaveFile(*file);
}

void TMainForm::FileSaveAsAExecute()
{
    TOpenFile *file = CurrentOpenFile();
    if (!file)
        return;
    const QString remembered = file->File.FileName;
    const QDateTime rememberedTime = file->DiskTime;
    const qint64 rememberedSize = file->DiskSize;
    // The dialog starts at the file's own name.
    if (!NeverSaved(remembered))
        g_lastSave = remembered;
    file->File.FileName.clear();
    if (!SaveFile(*file) || file->File.FileName.isEmpty()) {
        file->File.FileName = remembered;
        file->DiskTime = rememberedTime;
        file->DiskSize = rememberedSize;
    }
}

void TMainForm::FileCloseAExecute()
{
    CloseCurrentFile();
}

void TMainForm::FileExitAExecute()
{
    close();
}

void TMainForm::FileDefaultAExecute()
{
    const TUplFile *file = CurrentFile();
    if (!file)
        return;
    if (ConfirmAsk(QStringLiteral("Želite li da aktivna datoteka bude standardna datoteka?")) !=
        TConfirmResult::Yes)
        return;
    // A copy is written, so the current file keeps its name and its state.
    TUplFile copy = *file;
    copy.FileName = ProgramFile(QStringLiteral("Default.upl"));
    QString error;
    if (!WriteUplFile(copy, &error))
        ShowError(QStringLiteral("Datoteka %1 nije snimljena.\n%2")
                      .arg(QDir::toNativeSeparators(copy.FileName), error));
}

void TMainForm::FileDefaultDelAExecute()
{
    if (ConfirmAsk(QStringLiteral("Želite li da standardna datoteka bude obrisana?")) !=
        TConfirmResult::Yes)
        return;
    QFile file(ProgramFile(QStringLiteral("Default.upl")));
    if (file.exists() && !file.remove())
        ShowError(QStringLiteral("Datoteka %1 nije obrisana.\n%2")
                      .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
}

void TMainForm::mnuFileClick()
{
    mnuFileSelect->clear();
    qDeleteAll(mnuFileSelect->findChildren<QActionGroup *>(Qt::FindDirectChildrenOnly));
    auto *group = new QActionGroup(mnuFileSelect);
    for (int i = 0; i < FileTabs->count(); ++i) {
        QString caption = FileTabs->tabText(i);
        // The name shown as it is, after a key of its own: 1 to 9, then
        // letters.
        static const QString keys = QStringLiteral("123456789abcdefghijklmnoprstuvz");
        const QString key = i < keys.size() ? QStringLiteral("&%1 ").arg(keys.at(i)) : QString();
        QAction *item = mnuFileSelect->addAction(key + caption.replace(QLatin1Char('&'), "&&"));
        item->setData(FileTabs->tabText(i));
        item->setCheckable(true);
        item->setChecked(i == FileTabs->currentIndex());
        group->addAction(item);
        connect(item, &QAction::triggered, this,
                [this, item] { MenuFileSelect(item->data().toString()); });
    }
    mnuFileSelect->menuAction()->setVisible(FileTabs->count() > 0);
}

void TMainForm::MenuFileSelect(const QString &caption)
{
    QStringList captions;
    for (int i = 0; i < FileTabs->count(); ++i)
        captions << FileTabs->tabText(i);
    ActivateFile(FindCaption(captions, caption));
}

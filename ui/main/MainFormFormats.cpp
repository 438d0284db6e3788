// The format editor, opened from "Formati uplatnica..." and kept for the run.
#include "ui/main/MainFormU.h"

#include "ui/common/ProgramData.h"
#include "ui/formats/FormatsFormU.h"

#include <QCloseEvent>

namespace {

// Asks the format editor about unsaved positions before the window closes
// (and so before the program ends and Formats.ini is written): its answer
// comes ahead of the questions about the slip files.
class TFormatsCloseGuard : public QObject
{
public:
    explicit TFormatsCloseGuard(TMainForm *form) : QObject(form), FForm(form) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == FForm && event->type() == QEvent::Close && FForm->FormatsForm &&
            !FForm->FormatsForm->QueryEnd()) {
            event->ignore();
            return true;
        }
        return false;
    }

private:
    TMainForm *FForm;
};

} // namespace

void TMainForm::InitFormatEditor()
{
    installEventFilter(new TFormatsCloseGuard(this));
}

std::optional<TUpl> TMainForm::FormatEditorSlip()
{
    const TUplFile *file = CurrentFile();
    if (!file || file->Count() == 0)
        return std::nullopt;
    const int index = CurrentSlipIndex();
    return file->Uplatnice.at(index < file->Count() ? index : 0);
}

void TMainForm::SetFormatsAExecute()
{
    if (!FormatsForm) {
        FormatsForm = new TFormatsForm(FData.Formats, FData.Settings, this);
        FormatsForm->SetPrinter(&Printer());
        FormatsForm->SetSlipSource([this] { return FormatEditorSlip(); });
        // InchMm may have changed in the options dialog.
        connect(this, &TMainForm::SettingsChanged, FormatsForm, &TFormatsForm::ShowDefaultFormat);
    }
    FormatsForm->Execute();
}

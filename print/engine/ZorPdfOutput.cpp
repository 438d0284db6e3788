#include "print/engine/ZorPdfOutput.h"

#include "core/Errors.h"
#include "core/SafeFile.h"
#include "print/engine/ZorPrinters.h"

#include <QPageLayout>
#include <QPrinter>

bool PrintToPdfFile(TZorPrinter &printer, const QString &target, const QStringList &inputs,
                    const std::function<bool()> &print)
{
    TTemporaryOutput out;
    if (!out.Begin(target, inputs))
        throw EKordavinaError(PathError(target, out.ErrorText()));
    const QString temp = out.TempPath();
    // Pointing the printer at another file must not change the paper.
    const QPageLayout layout = printer.Printer().pageLayout();
    printer.SetPdfOutput(temp);
    printer.Printer().setPageLayout(layout);
    bool printed = false;
    try {
        printed = print();
    } catch (const EKordavinaError &e) {
        printer.SetPdfOutput(target);
        printer.Printer().setPageLayout(layout);
        // The user knows the file by the name given, not the temporary one;
        // when the file was what failed, the disk tells why.
        QString message = e.Message();
        if (message.contains(temp))
            message = PathError(target, out.DiskReason(QStringLiteral("PDF nije zapisan")));
        out.Cancel();
        throw EKordavinaError(message);
    }
    printer.SetPdfOutput(target);
    printer.Printer().setPageLayout(layout);
    if (!printed)
        return false; // cancelled: the temporary file goes with out
    // The PDF writer does not report failed writes: the file itself is checked.
    if (!out.Commit(CheckPdfComplete))
        throw EKordavinaError(PathError(target, out.ErrorText()));
    return true;
}

#include "ui/print/ZorPdfOutput.h"

#include "core/Errors.h"
#include "core/SafeFile.h"
#include "ui/print/ZorPrinters.h"

#include <QPageLayout>
#include <QPrinter>

bool PrintToPdfFile(TZorPrinter &printer, const QString &target, const QStringList &inputs,
                    const std::function<bool()> &print)
{
    TTemporaryOutput out;
    if (!out.Begin(target, inputs))
        throw EKordavinaError(PathError(target, out.ErrorText()));
    const QString temp = out.TempPath();
    // Pointing the printer at another file must not change the paper. A PDF
    // output keeps its own paper; only a printer's is kept here, because
    // asking for it loads the print system.
    const bool wasPdf = printer.IsPdfOutput();
    const QPageLayout layout = wasPdf ? QPageLayout() : printer.Printer().pageLayout();
    const auto pointAt = [&](const QString &file) {
        if (wasPdf) {
            printer.SetPdfFile(file);
            return;
        }
        printer.SetPdfOutput(file);
        printer.Printer().setPageLayout(layout);
    };
    pointAt(temp);
    bool printed = false;
    try {
        printed = print();
    } catch (const EKordavinaError &e) {
        pointAt(target);
        // The user knows the file by the name given, not the temporary one;
        // when the file was what failed, the disk tells why.
        QString message = e.Message();
        if (message.contains(temp))
            message = PathError(target, out.DiskReason(QStringLiteral("PDF nije zapisan")));
        out.Cancel();
        throw EKordavinaError(message);
    }
    pointAt(target);
    if (!printed)
        return false; // cancelled: the temporary file goes with out
    // The PDF writer does not report failed writes: the file itself is checked.
    if (!out.Commit(CheckPdfComplete))
        throw EKordavinaError(PathError(target, out.ErrorText()));
    return true;
}

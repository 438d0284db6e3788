#include "print/formats/PrintChecks.h"

#include "core/Upl.h"
#include "print/formats/FormatStore.h"

#include <cmath>

namespace {

QString SlipName(const TUpl &slip, qsizetype number)
{
    return slip.Opis.trimmed().isEmpty() ? QStringLiteral("Uplatnica br. %1").arg(number)
                                         : QStringLiteral("Uplatnica '%1'").arg(slip.Opis);
}

} // namespace

bool PaperSizePossible(double mm)
{
    // Written so that NaN fails too.
    return mm >= MinPaperMm && mm <= MaxPaperMm;
}

QString CheckFormatPrintable(const QString &name, const TFieldFormats &format)
{
    const auto refuse = [&name](const char *what, double mm) {
        return QStringLiteral("Format '%1': %2 %3 mm nije moguća (dozvoljeno od %4 do %5 mm)")
            .arg(name, QString::fromUtf8(what), PageSizeToText(mm), PageSizeToText(MinPaperMm),
                 PageSizeToText(MaxPaperMm));
    };
    if (!PaperSizePossible(format.Width))
        return refuse("širina", format.Width);
    if (!PaperSizePossible(format.Height))
        return refuse("visina", format.Height);
    return QString();
}

bool AmountPrintable(double amount)
{
    // Compared in cents after the rounding the print does, so that
    // 9999999999999.994 (printed as ...99,99) passes and ...99,995 does not.
    return std::isfinite(amount) &&
           std::round(std::fabs(static_cast<long double>(amount)) * 100.0L) <= 999999999999999.0L;
}

QString CheckSlipAmount(const TUpl &slip, qsizetype number)
{
    if (!std::isfinite(slip.Iznos))
        return SlipName(slip, number) + QStringLiteral(": iznos nije broj");
    if (!AmountPrintable(slip.Iznos))
        return SlipName(slip, number) +
               QStringLiteral(": iznos je prevelik (najviše 13 cifara prije decimalnog zareza)");
    return QString();
}

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

QString SlipCountText(qsizetype count)
{
    const qsizetype lastTwo = (count < 0 ? -count : count) % 100;
    const qsizetype last = lastTwo % 10;
    const bool paucal = last >= 2 && last <= 4 && !(lastTwo >= 12 && lastTwo <= 14);
    return QStringLiteral("%1 %2").arg(count).arg(paucal ? QStringLiteral("uplatnice")
                                                         : QStringLiteral("uplatnica"));
}

QString PrintedText(qsizetype count, const QString &where, bool pdf)
{
    return pdf ? QStringLiteral("Snimljeno u PDF: %1 u %2").arg(SlipCountText(count), where)
               : QStringLiteral("Štampano: %1 na %2").arg(SlipCountText(count), where);
}

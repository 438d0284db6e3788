// Formats.ini values on arbitrary bytes, read as the print commands read
// them: page sizes and positions of every section never crash; a size is
// finite and its text reads back to it; a position that reads writes back to
// a text that reads to the same position, and one that does not read fails
// with the conversion error alone; the printability check agrees with the
// size limits. The input's first eight bytes are also an amount: the printed
// amount is empty or has at most 15 digits.

#include "core/Errors.h"
#include "core/IniFile.h"
#include "core/Upl.h"
#include "core/Win1250.h"
#include "print/formats/FormatStore.h"
#include "print/formats/PrintChecks.h"
#include "print/formats/SlipRender.h"

#include <QLocale>
#include <QSet>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void CheckSize(const QString &text)
{
    const double mm = TextToPageSize(text, 176);
    if (!std::isfinite(mm))
        std::abort();
    const double again = TextToPageSize(PageSizeToText(mm), -1);
    // Fifteen significant digits: equal up to the last of them.
    if (std::fabs(again - mm) > std::fabs(mm) * 1e-14)
        std::abort();
}

void CheckPosition(const QString &text)
{
    TFieldFormat p;
    try {
        p = TextToPosition(text);
    } catch (const EConvertError &e) {
        if (!e.Message().endsWith(QLatin1String("' is not a valid integer value")))
            std::abort();
        return;
    }
    if (TextToPosition(PositionToText(p)) != p)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool bosnian = [] {
        // Decimal comma, thousands dot: the separators users have.
        QLocale::setDefault(QLocale(QLocale::Bosnian, QLocale::BosniaAndHerzegovina));
        return true;
    }();
    Q_UNUSED(bosnian);
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));

    // The whole input as one value, then as a file of formats.
    const QString whole = Win1250::Decode(bytes);
    CheckSize(whole);
    CheckPosition(whole);

    TIniFile ini;
    ini.LoadFromBytes(bytes);
    // The position keys, folded as the store compares them.
    static const QSet<QString> positionKeys = [] {
        QSet<QString> keys;
        for (const TPositionInfo &info : DefaultPositions())
            keys.insert(QString::fromLatin1(info.Key).toCaseFolded());
        return keys;
    }();
    const QString width = QStringLiteral("Width");
    const QString height = QStringLiteral("Height");
    for (const QString &name : ini.Sections()) {
        TFieldFormats f;
        const QString widthText = ini.ReadString(name, width);
        f.Width = TextToPageSize(widthText, f.Width);
        f.Height = TextToPageSize(ini.ReadString(name, height), f.Height);
        CheckSize(widthText);
        const QString refused = CheckFormatPrintable(name, f);
        if (refused.isEmpty() != (PaperSizePossible(f.Width) && PaperSizePossible(f.Height)))
            std::abort();
        if (!refused.isEmpty() && !refused.startsWith(QStringLiteral("Format '%1': ").arg(name)))
            std::abort();
        // Only the keys the section has: a look-up per position would cost
        // far more than the values themselves.
        for (const QString &key : ini.Keys(name))
            if (positionKeys.contains(key.toCaseFolded()))
                CheckPosition(ini.ReadString(name, key));
    }

    if (size >= 8) {
        double amount;
        std::memcpy(&amount, data, 8);
        const QString text = AmountText(amount, data[0] & 1, data[0] & 2);
        qsizetype digits = 0;
        for (const QChar c : text)
            digits += c.isDigit();
        TUpl u;
        u.Iznos = amount;
        if (text.isEmpty() == AmountPrintable(amount) || digits > 15 ||
            CheckSlipAmount(u, 1).isEmpty() != AmountPrintable(amount))
            std::abort();
    }
    return 0;
}

#include "core/FontStyle.h"

#include <QFontDatabase>
#include <QFontInfo>

QString FontStyleToText(TFontStyles style)
{
    QString text;
    if (style & TFontStyle::Bold)
        text += QLatin1String("bold");
    if (style & TFontStyle::Italic)
        text += QLatin1String(", italic");
    if (style & TFontStyle::Underline)
        text += QLatin1String(", underline");
    if (style & TFontStyle::StrikeOut)
        text += QLatin1String(", strikeout");
    if (text.startsWith(QLatin1String(", ")))
        text.remove(0, 2);
    return text;
}

TFontStyles TextToFontStyle(const QString &text)
{
    TFontStyles style;
    if (text.contains(QLatin1String("bold")))
        style |= TFontStyle::Bold;
    if (text.contains(QLatin1String("italic")))
        style |= TFontStyle::Italic;
    if (text.contains(QLatin1String("underline")))
        style |= TFontStyle::Underline;
    if (text.contains(QLatin1String("strikeout")))
        style |= TFontStyle::StrikeOut;
    return style;
}

void ApplyFontStyle(QFont &font, TFontStyles style)
{
    font.setBold(style.testFlag(TFontStyle::Bold));
    font.setItalic(style.testFlag(TFontStyle::Italic));
    font.setUnderline(style.testFlag(TFontStyle::Underline));
    font.setStrikeOut(style.testFlag(TFontStyle::StrikeOut));
}

TFontStyles FontStyleOf(const QFont &font)
{
    TFontStyles style;
    if (font.bold())
        style |= TFontStyle::Bold;
    if (font.italic())
        style |= TFontStyle::Italic;
    if (font.underline())
        style |= TFontStyle::Underline;
    if (font.strikeOut())
        style |= TFontStyle::StrikeOut;
    return style;
}

QString InstalledFamily(const QString &family)
{
    if (family.isEmpty() || QFontDatabase::hasFamily(family))
        return family;
    const QString substitute = QFontInfo(QFont(family)).family();
    return substitute.isEmpty() ? family : substitute;
}

QString FamilyAfterDialog(const QString &stored, const QString &opened, const QString &chosen)
{
    return chosen.compare(opened, Qt::CaseInsensitive) == 0 ? stored : chosen;
}

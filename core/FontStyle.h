#pragma once

#include <QFont>
#include <QFlags>
#include <QString>

enum class TFontStyle : unsigned {
    Bold = 1,
    Italic = 2,
    Underline = 4,
    StrikeOut = 8,
};
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontStyles)

// "bold, italic, underline, strikeout" in this fixed order, the words of the
// set styles joined by ", "; empty for no style.
QString FontStyleToText(TFontStyles style);
// Each style is set when its word occurs anywhere in the text (case-sensitive).
TFontStyles TextToFontStyle(const QString &text);

// Applies the styles to a font (other attributes unchanged) and reads them back.
void ApplyFontStyle(QFont &font, TFontStyles style);
TFontStyles FontStyleOf(const QFont &font);

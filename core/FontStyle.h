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

// The installed family a stored family name is shown as: the name itself when
// it is installed, else the family the system puts in its place (fontconfig
// gives the metric-compatible Liberation Sans for "Arial"), so that the font
// dialog opens on the font that actually prints.
QString InstalledFamily(const QString &family);
// The family to store after the font dialog: the stored name when the user
// kept the family the dialog opened on (a substitute is never stored in
// place of the name it stands for), else the family chosen.
QString FamilyAfterDialog(const QString &stored, const QString &opened, const QString &chosen);

#pragma once

#include "core/IniFile.h"
#include "print/formats/FieldFormat.h"

#include <QString>
#include <QStringList>

// One position as stored in Formats.ini: "left;top;width;font;size;style",
// the lengths in tenths of a millimetre, for example "980;225;650;Arial;10;".
QString PositionToText(const TFieldFormat &position);
// The first five fields end at the first five ';', the style is all the text
// after the fifth. A length or size that is not a whole number (an empty field
// included) throws EConvertError with the offending text.
TFieldFormat TextToPosition(const QString &text);

// Page sizes in the shortest form of up to 15 significant digits, with the
// decimal separator of QLocale() ("176", "99,5").
QString PageSizeToText(double mm);
// def when the text is not a number of QLocale().
double TextToPageSize(const QString &text, double def);

// The print formats of Formats.ini, held in memory for the whole run: every
// change goes to memory and Flush() writes the file once, at program end.
// Format names are compared without regard to letter case.
class TFormatStore
{
public:
    TFormatStore() = default;

    // Reads the file; a missing file is an empty store. When the file exists
    // but cannot be read, the store is empty, error holds the reason and
    // Flush() refuses to replace that file.
    bool Open(const QString &fileName, QString *error = nullptr);
    const QString &FileName() const { return m_ini.FileName(); }

    // The format names in file order; the section "[]" is not one of them.
    QStringList FormatNames() const;
    bool FormatExists(const QString &name) const;

    QString DefaultName() const;
    void SetDefaultName(const QString &name);

    // The named format. A key that is missing takes its value from defaults
    // (the built-in format unless given); an empty or unknown name gives
    // defaults. Throws EConvertError for a position that cannot be read.
    TFieldFormats ReadFormat(const QString &name,
                             const TFieldFormats &defaults = TFieldFormats()) const;
    // ReadFormat of DefaultName(): the built-in format when none is named.
    TFieldFormats GetDefaultFormat() const;

    // Writes Width, Height and the 23 positions in their fixed order; keys
    // already present keep their place. An empty name is refused (false).
    bool WriteFormat(const QString &name, const TFieldFormats &format);
    void DeleteFormat(const QString &name);

    // True after a change that Flush() has not written yet.
    bool Modified() const { return m_modified; }
    // Replaces the file atomically with the store when it was changed. On
    // failure error holds "Unable to write to <path>: <reason>", the file
    // stays as it was and the store stays modified.
    bool Flush(QString *error = nullptr);

private:
    TIniFile m_ini;
    bool m_modified = false;
    bool m_unreadable = false; // the file exists but could not be read
    QString m_readError;       // and why
};

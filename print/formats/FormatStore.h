#pragma once

#include "core/IniFile.h"
#include "print/formats/FieldFormat.h"

#include <QSet>
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

// The print formats of Formats.ini, held in memory for the whole run. Every
// change goes to memory and is remembered as this store's own (a format
// written or deleted, the default chosen); Flush() applies just those changes
// to the file as it is on disk at that moment, under the file's lock, so that
// a second copy of the program working on the same folder keeps its formats.
// Format names are compared without regard to letter case.
class TFormatStore
{
public:
    TFormatStore() = default;

    // Reads the file; a missing file is an empty store. When the file exists
    // but cannot be read, the store is empty and error holds the reason;
    // Flush() reads the file again and refuses to replace one it cannot read.
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
    // When the store was changed: under TFileLock, reads the file anew,
    // applies this store's own changes to it and replaces it atomically; the
    // store then holds the file as written (other copies' formats included).
    // On failure error holds the reason naming the file, the file stays as it
    // was and the store keeps its changes for the next Flush().
    bool Flush(QString *error = nullptr);
    // Reads the file anew (what another copy of the program wrote) and puts
    // this store's unwritten changes on top. When the file cannot be read the
    // store stays as it was, error holds the reason and false is returned.
    bool Reload(QString *error = nullptr);

private:
    // This store's own changes put on top of disk.
    void ApplyOwnChanges(TIniFile &disk) const;

    TIniFile m_ini;
    // Changes not yet in the file, by case-folded format name.
    QSet<QString> m_written; // folded names
    QSet<QString> m_deleted; // folded names
    bool m_defaultChanged = false;
    bool m_modified = false;
};

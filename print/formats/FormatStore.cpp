#include "print/formats/FormatStore.h"

#include "core/Errors.h"
#include "core/FileLock.h"
#include "core/Rounding.h"

#include <QLocale>

#include <climits>
#include <cmath>

namespace {

const QString DefaultSection; // the section written as "[]"
const QString DefaultKey = QStringLiteral("Default");
const QString WidthKey = QStringLiteral("Width");
const QString HeightKey = QStringLiteral("Height");

// A whole number in decimal with an optional sign; blanks around it are
// allowed. Anything else, and anything outside the int range, is an error
// naming the text as it stood.
int StrToInt(QStringView text)
{
    QStringView digits = TrimBlanks(text);
    bool negative = false;
    if (!digits.isEmpty() && (digits.front() == u'-' || digits.front() == u'+')) {
        negative = digits.front() == u'-';
        digits = digits.mid(1);
    }
    if (digits.isEmpty())
        throw EConvertError::NotAnInteger(text.toString());
    long long value = 0;
    for (const QChar ch : digits) {
        const char16_t c = ch.unicode();
        if (c < u'0' || c > u'9')
            throw EConvertError::NotAnInteger(text.toString());
        value = value * 10 + (c - u'0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            throw EConvertError::NotAnInteger(text.toString());
    }
    if (negative)
        value = -value;
    if (value < INT_MIN || value > INT_MAX)
        throw EConvertError::NotAnInteger(text.toString());
    return static_cast<int>(value);
}

// A length in tenths of a millimetre, rounded as the single-precision value
// says (44.2f is 442, not 441.99...).
long long Tenths(float mm)
{
    if (!std::isfinite(mm))
        return 0;
    const long double t = static_cast<long double>(mm) * 10;
    if (t >= static_cast<long double>(INT_MAX))
        return INT_MAX;
    if (t <= static_cast<long double>(INT_MIN))
        return INT_MIN;
    return RoundHalfEven(t);
}

QLocale SizeLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

} // namespace

QString PositionToText(const TFieldFormat &p)
{
    // Joined piece by piece: a font name holding "%1" must stay as it is.
    const QChar sep = u';';
    return QString::number(Tenths(p.Left)) + sep + QString::number(Tenths(p.Top)) + sep +
           QString::number(Tenths(p.Width)) + sep + p.FontName + sep + QString::number(p.FontSize) +
           sep + FontStyleToText(p.FontStyle);
}

TFieldFormat TextToPosition(const QString &text)
{
    // Each of the first five fields runs to the next ';'. Without one the
    // field is empty and the text stays for the next field, so a missing
    // separator ends in "'' is not a valid integer value".
    QStringView rest(text);
    auto next = [&rest]() {
        const qsizetype semi = rest.indexOf(u';');
        if (semi < 0)
            return QStringView();
        const QStringView field = rest.left(semi);
        rest = rest.mid(semi + 1);
        return field;
    };
    TFieldFormat p;
    p.Left = static_cast<float>(StrToInt(next()) / 10.0);
    p.Top = static_cast<float>(StrToInt(next()) / 10.0);
    p.Width = static_cast<float>(StrToInt(next()) / 10.0);
    p.FontName = next().toString();
    p.FontSize = StrToInt(next());
    p.FontStyle = TextToFontStyle(rest.toString());
    return p;
}

QString PageSizeToText(double mm)
{
    return SizeLocale().toString(mm, 'g', 15);
}

double TextToPageSize(const QString &text, double def)
{
    bool ok = false;
    const double v = SizeLocale().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(v) ? v : def;
}

bool TFormatStore::Open(const QString &fileName, QString *error)
{
    m_ini.SetFileName(fileName);
    m_modified = false;
    m_written.clear();
    m_deleted.clear();
    m_defaultChanged = false;
    QString reason;
    const bool read = m_ini.Load(&reason);
    if (!read && error)
        *error = reason;
    return read;
}

QStringList TFormatStore::FormatNames() const
{
    QStringList names = m_ini.Sections();
    names.removeIf([](const QString &n) { return n.isEmpty(); });
    return names;
}

bool TFormatStore::FormatExists(const QString &name) const
{
    return !name.isEmpty() && m_ini.SectionExists(name);
}

QString TFormatStore::DefaultName() const
{
    return m_ini.ReadString(DefaultSection, DefaultKey);
}

void TFormatStore::SetDefaultName(const QString &name)
{
    m_ini.WriteString(DefaultSection, DefaultKey, name);
    m_defaultChanged = true;
    m_modified = true;
}

TFieldFormats TFormatStore::ReadFormat(const QString &name, const TFieldFormats &defaults) const
{
    TFieldFormats f = defaults;
    if (name.isEmpty())
        return f;
    f.Width = TextToPageSize(m_ini.ReadString(name, WidthKey), defaults.Width);
    f.Height = TextToPageSize(m_ini.ReadString(name, HeightKey), defaults.Height);
    for (int i = 0; i < PositionCount; ++i) {
        const QString key = QLatin1String(DefaultPositions()[i].Key);
        // A missing key reads as the default's own text, so it is rounded to
        // tenths of a millimetre like every stored position.
        f.Positions[i] =
            TextToPosition(m_ini.ReadString(name, key, PositionToText(defaults.Positions[i])));
    }
    return f;
}

TFieldFormats TFormatStore::GetDefaultFormat() const
{
    return ReadFormat(DefaultName());
}

bool TFormatStore::WriteFormat(const QString &name, const TFieldFormats &format)
{
    if (name.isEmpty())
        return false;
    m_ini.WriteString(name, WidthKey, PageSizeToText(format.Width));
    m_ini.WriteString(name, HeightKey, PageSizeToText(format.Height));
    for (int i = 0; i < PositionCount; ++i)
        m_ini.WriteString(name, QLatin1String(DefaultPositions()[i].Key),
                          PositionToText(format.Positions[i]));
    const QString folded = name.toCaseFolded();
    m_deleted.remove(folded);
    m_written.insert(folded);
    m_modified = true;
    return true;
}

void TFormatStore::DeleteFormat(const QString &name)
{
    if (name.isEmpty() || !m_ini.SectionExists(name))
        return;
    m_ini.EraseSection(name);
    const QString folded = name.toCaseFolded();
    m_written.remove(folded);
    m_deleted.insert(folded);
    m_modified = true;
}

void TFormatStore::ApplyOwnChanges(TIniFile &disk) const
{
    for (const QString &name : m_deleted)
        disk.EraseSection(name);
    // In this store's order, so that new formats are added as they were made.
    for (const QString &name : m_ini.Sections()) {
        if (!m_written.contains(name.toCaseFolded()))
            continue;
        // Every key of the format as this store has it; keys only the file
        // has (written by a newer program) stay.
        for (const QString &key : m_ini.Keys(name))
            disk.WriteString(name, key, m_ini.ReadString(name, key));
    }
    if (m_defaultChanged)
        disk.WriteString(DefaultSection, DefaultKey, DefaultName());
}

bool TFormatStore::Flush(QString *error)
{
    if (!m_modified)
        return true;
    TFileLock lock(m_ini.FileName());
    if (!lock.Lock()) {
        if (error)
            *error = UnableToWriteText(m_ini.FileName(), lock.ErrorText());
        return false;
    }
    TIniFile disk(m_ini.FileName());
    QString reason;
    if (!disk.Load(&reason)) {
        // Replacing a file we could not read would lose what it holds.
        if (error)
            *error = UnableToWriteText(m_ini.FileName(), reason);
        return false;
    }
    ApplyOwnChanges(disk);
    if (!disk.Save(error))
        return false;
    m_ini = std::move(disk);
    m_written.clear();
    m_deleted.clear();
    m_defaultChanged = false;
    m_modified = false;
    return true;
}

bool TFormatStore::Reload(QString *error)
{
    TIniFile disk(m_ini.FileName());
    QString reason;
    if (!disk.Load(&reason)) {
        if (error)
            *error = reason;
        return false;
    }
    ApplyOwnChanges(disk);
    m_ini = std::move(disk);
    return true;
}

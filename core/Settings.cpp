#include "core/Settings.h"

#include "core/Rounding.h"
#include "core/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <cmath>
#include <limits>

namespace {

double g_inchMm = DefaultInchMm;
QString g_settingsFile;
bool g_settingsFileSet = false;

const QString kDefaultPrinter = QStringLiteral("DefaultPrinter");
const QString kInch = QStringLiteral("Inch");

// The switches in the order they are written.
struct TSwitch
{
    const char *name;
    bool TSettings::*member;
};
constexpr TSwitch kSwitches[] = {
    {"AlignFields", &TSettings::AlignFields},
    {"ErrRacunPrimaoca", &TSettings::ErrRacunPrimaoca},
    {"ErrVrstaUplate", &TSettings::ErrVrstaUplate},
    {"ErrVrstaPrihoda", &TSettings::ErrVrstaPrihoda},
    {"ErrOpstina", &TSettings::ErrOpstina},
    {"ThousandSep", &TSettings::ThousandSep},
    {"IznosJednako", &TSettings::IznosJednako},
    {"ProvjeraRacuna", &TSettings::ProvjeraRacuna},
};

// Inch as stored, or the default when it is missing, not a number or not
// positive (a zero would make every millimetre conversion divide by zero).
int ReadInch(const QSettings &s)
{
    const std::optional<int> inch = SettingsInt(s.value(kInch));
    return inch && *inch > 0 ? *inch : DefaultInch;
}

} // namespace

double InchMm()
{
    return g_inchMm;
}

void SetInchMm(double mm)
{
    g_inchMm = std::isfinite(mm) && mm > 0 ? mm : DefaultInchMm;
}

std::optional<int> SettingsInt(const QVariant &value)
{
    if (!value.isValid())
        return std::nullopt;
    bool ok = false;
    long long n = 0;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        n = value.toLongLong(&ok);
        break;
    case QMetaType::ULongLong: {
        const qulonglong u = value.toULongLong(&ok);
        if (u > qulonglong(std::numeric_limits<int>::max()))
            return std::nullopt;
        n = static_cast<long long>(u);
        break;
    }
    case QMetaType::QString:
        n = value.toString().trimmed().toLongLong(&ok, 10);
        break;
    case QMetaType::QByteArray:
        n = value.toByteArray().trimmed().toLongLong(&ok, 10);
        break;
    default:
        return std::nullopt;
    }
    if (!ok || n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(n);
}

QString SettingsString(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void SetSettingsFile(const QString &path)
{
    g_settingsFile = path;
    g_settingsFileSet = !path.isEmpty();
}

QString SettingsFile()
{
    if (g_settingsFileSet)
        return g_settingsFile;
    return qEnvironmentVariable("KORDAVINA_SETTINGS");
}

std::unique_ptr<QSettings> OpenSettings()
{
    const QString file = SettingsFile();
    if (!file.isEmpty())
        return std::make_unique<QSettings>(file, QSettings::IniFormat);
    // Named explicitly rather than through the application object, so that the
    // key is the same whoever calls first.
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Orvinel"), QStringLiteral("Kordavina"));
}

void LoadSettings(TSettings &settings)
{
    const std::unique_ptr<QSettings> s = OpenSettings();
    settings = TSettings();
    settings.DefaultPrinter = SettingsString(s->value(kDefaultPrinter));
    for (const TSwitch &sw : kSwitches)
        if (const std::optional<int> v = SettingsInt(s->value(QLatin1String(sw.name))))
            settings.*sw.member = *v != 0;
    SetInchMm(ReadInch(*s) / 10.0);
}

bool SaveSettings(const TSettings &settings)
{
    const std::unique_ptr<QSettings> s = OpenSettings();
    s->setValue(kDefaultPrinter, settings.DefaultPrinter);
    for (const TSwitch &sw : kSwitches)
        s->setValue(QLatin1String(sw.name), (settings.*sw.member) ? 1 : 0);
    s->setValue(kInch, RoundHalfEvenInt(static_cast<long double>(InchMm()) * 10));
    s->sync();
    return s->status() == QSettings::NoError;
}

QString CheckSettingsStore()
{
    QString path = SettingsFile();
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // Where QSettings keeps the native store here.
    if (path.isEmpty())
        path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               QStringLiteral("/Orvinel/Kordavina.conf");
#endif
    if (path.isEmpty())
        return QString();
    const QString refused = CheckOutputPath(path);
    if (!refused.isEmpty())
        return PathError(path, refused);
    // A store that is there but cannot be read would leave every setting at
    // its default without a word (QSettings says nothing).
    if (QFileInfo::exists(path)) {
        QFile file;
        QString reason;
        if (!OpenRegularFile(file, path, &reason))
            return PathError(path, reason);
    }
    return QString();
}

void LoadInch()
{
    const std::unique_ptr<QSettings> s = OpenSettings();
    SetInchMm(ReadInch(*s) / 10.0);
}

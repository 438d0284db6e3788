#pragma once

#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

class QSettings;

// The user's settings. They live in the native settings store of the current
// user, organisation "Orvinel", application "Kordavina": on Windows the
// registry key HKEY_CURRENT_USER\software\Orvinel\Kordavina, elsewhere the
// user's configuration file (~/.config/Orvinel/Kordavina.conf on Linux).
//
// Values of the key (a bool is written as the integer 0 or 1 and read as true
// when non-zero; a value that is missing or not a number gives the default):
//   DefaultPrinter  string  ""     printer of the slips; empty: the system's default
//   AlignFields     bool    false  hidden rows leave the editor, visible rows move up
//   ErrRacunPrimaoca, ErrVrstaUplate, ErrVrstaPrihoda, ErrOpstina
//                   bool    false  a code without a name may be left
//   ThousandSep     bool    false  the printed amount has thousands separators
//   IznosJednako    bool    false  the printed amount is preceded by "="
//   ProvjeraRacuna  bool    true   marks beside accounts and ID numbers that fail their check
//   Inch            int     254    ten times the millimetres one screen inch stands for
struct TSettings
{
    QString DefaultPrinter;
    bool AlignFields = false;
    bool ErrRacunPrimaoca = false;
    bool ErrVrstaUplate = false;
    bool ErrVrstaPrihoda = false;
    bool ErrOpstina = false;
    bool ThousandSep = false;
    bool IznosJednako = false;
    bool ProvjeraRacuna = true;

    friend bool operator==(const TSettings &, const TSettings &) = default;
};

// Millimetres that one screen inch stands for, program-wide: 25.4 normally,
// 30.0 for "Rezolucija 640 x 480". Set by LoadInch and LoadSettings.
inline constexpr double DefaultInchMm = 25.4;
inline constexpr int DefaultInch = 254;
double InchMm();
// A value that is not a positive finite number sets the default instead:
// every millimetre conversion divides by it.
void SetInchMm(double mm);

// Reads the settings (unknown or missing values take their defaults) and sets
// InchMm from Inch.
void LoadSettings(TSettings &settings);
// Writes all nine values, creating the key when it is missing; Inch is
// InchMm * 10 rounded. False when the store could not be written.
bool SaveSettings(const TSettings &settings);
// Reads Inch alone into InchMm; called before any window exists.
void LoadInch();

// The settings store. Normally the native store named above. For tests and
// scripted runs it can be pointed at a file instead (INI format), so that the
// real user's settings are never touched:
//   - SetSettingsFile(path) in the process (an empty path goes back to the
//     native store);
//   - otherwise the environment variable KORDAVINA_SETTINGS, when set.
// Every reader and writer of settings, window placements and list columns goes
// through OpenSettings(); the store is written when the object is destroyed.
void SetSettingsFile(const QString &path);
QString SettingsFile();
std::unique_ptr<QSettings> OpenSettings();
// "PATH: nije obična datoteka" when the settings store's file exists but is no
// regular file (a FIFO would make QSettings wait for ever); else empty. The
// program start and the print commands refuse to go on then.
QString CheckSettingsStore();

// Values as the store hands them back: the registry gives integers, the
// configuration file gives text. A number (or a text holding one, blanks
// allowed) gives its value; anything else gives nothing.
std::optional<int> SettingsInt(const QVariant &value);
// Text values; a list (an unquoted comma in a configuration file) is joined back.
QString SettingsString(const QVariant &value);

#include "print/formats/PrintCorrection.h"

#include "core/Rounding.h"
#include "core/Settings.h"

#include <QMutex>
#include <QSettings>
#include <QUrl>

#include <cmath>

namespace {

const QString Group = QStringLiteral("Correction");

// Printer names may hold "/" and "\" (a Windows share), which the settings
// store takes for key separators.
QString PrinterKey(const QString &printer)
{
    return Group + QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(printer));
}

double RoundTo(double v, int decimals)
{
    const double f = std::pow(10.0, decimals);
    return static_cast<double>(RoundHalfEven(static_cast<long double>(v) * f)) / f;
}

std::optional<double> ReadNumber(const QSettings &store, const QString &key)
{
    bool ok = false;
    const double v = SettingsString(store.value(key)).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace

bool ValidCorrection(const TPrintCorrection &c)
{
    const auto shiftOk = [](double s) {
        return std::isfinite(s) && std::abs(s) <= MaxCorrectionShift;
    };
    const auto scaleOk = [](double s) {
        return std::isfinite(s) && s >= MinCorrectionScale && s <= MaxCorrectionScale;
    };
    return shiftOk(c.ShiftX) && shiftOk(c.ShiftY) && scaleOk(c.ScaleX) && scaleOk(c.ScaleY);
}

TPrintCorrection RoundedCorrection(const TPrintCorrection &c)
{
    return {RoundTo(c.ShiftX, 1), RoundTo(c.ShiftY, 1), RoundTo(c.ScaleX, 2), RoundTo(c.ScaleY, 2)};
}

std::optional<TAxisCorrection> CorrectAxis(const TAxisCorrection &current, double nominal1,
                                           double nominal2, double measured1, double measured2)
{
    if (!(nominal2 > nominal1) || !(measured2 > measured1) || !std::isfinite(measured1) ||
        !std::isfinite(measured2))
        return std::nullopt;
    // The grid was drawn through the current correction C(x) = d + k x and the
    // printer then put it at G(x) = p + q x on paper. The new correction must
    // make printer(C2(x)) = x, so C2 = C(G^-1(x)) = d + k (x - p) / q.
    const double q = (measured2 - measured1) / (nominal2 - nominal1);
    const double p = measured1 - q * nominal1;
    const double k = current.Scale / 100;
    TAxisCorrection next;
    next.Shift = RoundTo(current.Shift - k * p / q, 1);
    next.Scale = RoundTo(current.Scale / q, 2);
    if (std::abs(next.Shift) > MaxCorrectionShift || next.Scale < MinCorrectionScale ||
        next.Scale > MaxCorrectionScale)
        return std::nullopt;
    return next;
}

QTransform CorrectionTransform(const TPrintCorrection &c, double pixelsPerMm, double leftOffset,
                               double topOffset)
{
    // A pixel u of the surface stands for the sheet's x = leftOffset + u / s.
    // Drawn at ShiftX + kx x, that is the pixel (ShiftX + kx x - leftOffset) s
    // = kx u + (ShiftX + (kx - 1) leftOffset) s.
    const double kx = c.ScaleX / 100;
    const double ky = c.ScaleY / 100;
    return QTransform(kx, 0, 0, ky, (c.ShiftX + (kx - 1) * leftOffset) * pixelsPerMm,
                      (c.ShiftY + (ky - 1) * topOffset) * pixelsPerMm);
}

TPrintCorrection ReadPrintCorrection(const QSettings &store, const QString &printer)
{
    TPrintCorrection c;
    if (printer.isEmpty())
        return c;
    const QString key = PrinterKey(printer) + QLatin1Char('/');
    const auto shift = [&](const char *name, double &target) {
        const auto v = ReadNumber(store, key + QLatin1String(name));
        if (v && std::abs(*v) <= MaxCorrectionShift)
            target = *v;
    };
    const auto scale = [&](const char *name, double &target) {
        const auto v = ReadNumber(store, key + QLatin1String(name));
        if (v && *v >= MinCorrectionScale && *v <= MaxCorrectionScale)
            target = *v;
    };
    shift("ShiftRight", c.ShiftX);
    shift("ShiftDown", c.ShiftY);
    scale("ScaleX", c.ScaleX);
    scale("ScaleY", c.ScaleY);
    return c;
}

QString CheckStoredCorrection(const QSettings &store, const QString &printer)
{
    if (printer.isEmpty())
        return QString();
    const QString key = PrinterKey(printer) + QLatin1Char('/');
    const struct
    {
        const char *Name;
        bool Shift;
    } values[] = {{"ShiftRight", true}, {"ShiftDown", true}, {"ScaleX", false}, {"ScaleY", false}};
    for (const auto &v : values) {
        const QVariant stored = store.value(key + QLatin1String(v.Name));
        if (!stored.isValid())
            continue;
        const QString text = SettingsString(stored).trimmed();
        const auto number = ReadNumber(store, key + QLatin1String(v.Name));
        const bool ok =
            number && (v.Shift ? std::abs(*number) <= MaxCorrectionShift
                               : *number >= MinCorrectionScale && *number <= MaxCorrectionScale);
        if (!ok)
            return QStringLiteral("Korekcija štampača \"%1\" nije upotrebljiva: %2 = „%3“ "
                                  "(pomak mora biti između -%4 i %4 mm, razmjera između %5 i "
                                  "%6 %). Upišite je ponovo u dijalogu korekcije.")
                .arg(printer, QLatin1String(v.Name), text)
                .arg(MaxCorrectionShift)
                .arg(MinCorrectionScale)
                .arg(MaxCorrectionScale);
    }
    return QString();
}

QString CheckStoredCorrection(const QString &printer)
{
    return CheckStoredCorrection(*OpenSettings(), printer);
}

void WritePrintCorrection(QSettings &store, const QString &printer, const TPrintCorrection &c)
{
    if (printer.isEmpty())
        return;
    const QString key = PrinterKey(printer);
    store.remove(key);
    if (c.IsIdentity())
        return;
    // Plain numbers with a decimal point, whatever the regional settings.
    store.setValue(key + QStringLiteral("/ShiftRight"), QString::number(c.ShiftX));
    store.setValue(key + QStringLiteral("/ShiftDown"), QString::number(c.ShiftY));
    store.setValue(key + QStringLiteral("/ScaleX"), QString::number(c.ScaleX));
    store.setValue(key + QStringLiteral("/ScaleY"), QString::number(c.ScaleY));
}

QStringList CorrectedPrinters(QSettings &store)
{
    store.beginGroup(Group);
    const QStringList groups = store.childGroups();
    store.endGroup();
    QStringList names;
    for (const QString &g : groups)
        names.append(QUrl::fromPercentEncoding(g.toLatin1()));
    return names;
}

namespace {

// Every page of a job asks for its printer's correction; the settings store
// is read once per printer and settings file, and again after a write.
struct TCorrectionCache
{
    QMutex Lock;
    bool Valid = false;
    QString File;
    QString Printer;
    TPrintCorrection Value;
};

TCorrectionCache &Cache()
{
    static TCorrectionCache cache;
    return cache;
}

} // namespace

TPrintCorrection ReadPrintCorrection(const QString &printer)
{
    TCorrectionCache &cache = Cache();
    const QMutexLocker lock(&cache.Lock);
    const QString file = SettingsFile();
    if (!cache.Valid || cache.File != file || cache.Printer != printer) {
        cache.Value = ReadPrintCorrection(*OpenSettings(), printer);
        cache.File = file;
        cache.Printer = printer;
        cache.Valid = true;
    }
    return cache.Value;
}

bool WritePrintCorrection(const QString &printer, const TPrintCorrection &c)
{
    if (!ValidCorrection(c))
        return false;
    {
        TCorrectionCache &cache = Cache();
        const QMutexLocker lock(&cache.Lock);
        cache.Valid = false;
    }
    const auto store = OpenSettings();
    WritePrintCorrection(*store, printer, c);
    store->sync();
    return store->status() == QSettings::NoError;
}

QStringList CorrectedPrinters()
{
    return CorrectedPrinters(*OpenSettings());
}

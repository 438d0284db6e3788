#include "core/Conversions.h"

#include "core/Rounding.h"
#include "core/Settings.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <limits>

int MmToPixels(int originPx, float mm, double pixelsPerInch)
{
    const long double offset = static_cast<long double>(pixelsPerInch) / InchMm() * mm;
    if (std::isnan(offset))
        return originPx;
    // A nonsense length ends at the edge of int rather than in an undefined cast.
    constexpr long long lo = std::numeric_limits<int>::min();
    constexpr long long hi = std::numeric_limits<int>::max();
    const long long rounded = RoundHalfEven(std::clamp<long double>(offset, 2 * lo, 2 * hi));
    return static_cast<int>(std::clamp<long long>(originPx + rounded, lo, hi));
}

float PixelsToMm(int pos, int originPx, double pixelsPerInch)
{
    const double perMm = pixelsPerInch / InchMm();
    return static_cast<float>((static_cast<double>(pos) - originPx) / perMm);
}

double ScreenPixelsPerInch()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            return screen->logicalDotsPerInchY();
    return 96.0;
}

int MmToPixels(int originPx, float mm)
{
    return MmToPixels(originPx, mm, ScreenPixelsPerInch());
}

float PixelsToMm(int pos, int originPx)
{
    return PixelsToMm(pos, originPx, ScreenPixelsPerInch());
}

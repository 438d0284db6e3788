#include "ui/options/SetupRules.h"

#include "core/Settings.h"

#include <cmath>

int PrinterListIndex(const QStringList &installed, const QString &defaultPrinter)
{
    if (defaultPrinter.isEmpty())
        return 0;
    for (qsizetype i = 0; i < installed.size(); ++i)
        if (installed.at(i).compare(defaultPrinter, Qt::CaseInsensitive) == 0)
            return int(i + 1);
    return -1;
}

QString PrinterForListIndex(const QStringList &installed, int index)
{
    if (index < 1 || index > installed.size())
        return QString();
    return installed.at(index - 1);
}

QString InstalledPrinter(const QStringList &installed, const QString &defaultPrinter)
{
    return PrinterForListIndex(installed, PrinterListIndex(installed, defaultPrinter));
}

bool LowResolutionChecked(double inchMm)
{
    return std::lround(inchMm * 10) > DefaultInch;
}

double InchMmFor(bool lowResolution)
{
    return lowResolution ? 30.0 : DefaultInchMm;
}

#include "print/engine/ZorSpooler.h"

#include <QLibrary>

namespace {

// The CUPS 2 ABI of a destination and its options (cups/cups.h).
struct TCupsOption
{
    char *name;
    char *value;
};
struct TCupsDest
{
    char *name;
    char *instance;
    int is_default;
    int num_options;
    TCupsOption *options;
};
using TGetNamedDest = TCupsDest *(*)(void *http, const char *name, const char *instance);
using TGetOption = const char *(*)(const char *name, int num_options, TCupsOption *options);
using TFreeDests = void (*)(int num_dests, TCupsDest *dests);

} // namespace

bool SpoolerAcceptsJobs(const QString &printerName)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    QLibrary cups(QStringLiteral("cups"), 2);
    if (!cups.load())
        return true;
    const auto getNamedDest = reinterpret_cast<TGetNamedDest>(cups.resolve("cupsGetNamedDest"));
    const auto getOption = reinterpret_cast<TGetOption>(cups.resolve("cupsGetOption"));
    const auto freeDests = reinterpret_cast<TFreeDests>(cups.resolve("cupsFreeDests"));
    if (!getNamedDest || !getOption || !freeDests)
        return true;
    TCupsDest *dest = getNamedDest(nullptr, printerName.toLocal8Bit().constData(), nullptr);
    if (!dest)
        return true;
    const char *accepting =
        getOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool refuses = accepting && qstrcmp(accepting, "false") == 0;
    freeDests(1, dest);
    return !refuses;
#else
    Q_UNUSED(printerName);
    return true;
#endif
}

#include "app/Cli.h"

namespace Cli {

int RunDump(const QStringList &)
{
    Err(QStringLiteral("dump: not available yet\n"));
    return 1;
}

int RunConvert(const QStringList &)
{
    Err(QStringLiteral("convert: not available yet\n"));
    return 1;
}

} // namespace Cli

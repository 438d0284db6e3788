#pragma once

#include <QString>

// Whether the system's print spooler takes jobs for the named printer. Qt hands
// a finished job to CUPS without reporting a refusal, so the queue is asked
// before printing. True when it cannot be told (no CUPS library, a printer CUPS
// does not know, another platform, where the printer driver reports itself).
bool SpoolerAcceptsJobs(const QString &printerName);

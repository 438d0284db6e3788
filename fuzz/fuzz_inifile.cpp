// INI store on arbitrary bytes: loading and saving without change reproduces
// the input byte for byte; look-ups never crash; writing back the values it
// holds changes nothing.

#include "core/IniFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    TIniFile ini;
    ini.LoadFromBytes(bytes);
    if (ini.ToBytes() != bytes)
        std::abort();

    const QStringList sections = ini.Sections();
    for (const QString &s : sections) {
        if (!ini.SectionExists(s))
            std::abort();
        for (const QString &k : ini.Keys(s)) {
            if (!ini.ValueExists(s, k))
                std::abort();
            ini.WriteString(s, k, ini.ReadString(s, k));
        }
    }
    ini.ReadString(QStringLiteral("nema"), QStringLiteral("x"), QStringLiteral("d"));
    if (ini.ToBytes() != bytes)
        std::abort();
    return 0;
}

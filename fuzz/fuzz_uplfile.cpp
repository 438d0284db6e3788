// Slip-file reader on arbitrary bytes: never a crash or a read past the end;
// what it accepts is written and read again without change.

#include "core/UplFileIO.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // No copy: the sanitizer sees any read past the input's last byte.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const TUplReadResult r = ParseUplBytes(bytes);

    // The chunked reader behind ReadUplFile gives the same answer, whatever
    // the chunk size (taken from the input's last byte).
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const qsizetype chunk = size > 0 ? 1 + data[size - 1] % 64 : 1;
    const TUplReadResult viaDevice = ReadUplFrom(buffer, QString(), chunk);
    if (viaDevice.Status != r.Status || viaDevice.Header != r.Header ||
        viaDevice.File.has_value() != r.File.has_value() ||
        (r.File && UplFileToBytes(*viaDevice.File) != UplFileToBytes(*r.File)))
        std::abort();

    if (r.Status != TUplReadResult::Ok) {
        if (r.Status != TUplReadResult::BadFormat || r.File || r.Error != UplBadFormatText())
            std::abort();
        return 0;
    }
    if (!r.File || UplHeaderLevel(r.Header.toLatin1()) == 0)
        std::abort();
    // The smallest record has 134 bytes: more slips than that allows were never in the input.
    if (r.File->Count() > qsizetype(size) / 134)
        std::abort();

    const QByteArray once = UplFileToBytes(*r.File);
    const TUplReadResult again = ParseUplBytes(once);
    if (again.Status != TUplReadResult::Ok || again.Header != QLatin1String(kUplCurrentHeader))
        std::abort();
    // Compared as bytes, so that NaN amounts compare equal to themselves.
    if (UplFileToBytes(*again.File) != once || again.File->Napomene != r.File->Napomene ||
        again.File->Count() != r.File->Count())
        std::abort();
    return 0;
}

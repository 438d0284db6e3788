// CSV reader and slip import on arbitrary bytes: never a crash or a read past
// the end, and the same answer whatever the size of the pieces the text is
// decoded and read in (the import of a file reads it in pieces).

#include "core/Csv.h"
#include "core/SlipCsv.h"
#include "core/UplFileIO.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

QByteArray SlipBytes(const QList<TUpl> &slips)
{
    TUplFile file;
    file.Uplatnice = slips;
    return UplFileToBytes(file);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const TUpl defaults = NewSlip();
    const TSlipCsvImport whole = ImportSlipsCsv(bytes, defaults, qsizetype(size) + 4);

    // The encoding and separator are those of the whole text.
    const TCsvText decoded = DecodeCsvBytes(bytes);
    Check(whole.Encoding == decoded.Encoding);
    Check(whole.Separator == DetectCsvSeparator(decoded.Text));
    Check(whole.Taken == whole.Slips.size());
    Check(whole.Refused.size() <= 100);
    Check(whole.Error.isEmpty() || (whole.Slips.isEmpty() && whole.Refused.isEmpty()));

    // Pieces of 5 to 68 bytes (from the input's last byte) give the same.
    // (Smaller ones read a row again for every byte: slow, and no new ends.)
    const qsizetype chunk = size > 0 ? 5 + data[size - 1] % 64 : 5;
    const TSlipCsvImport pieces = ImportSlipsCsv(bytes, defaults, chunk);
    Check(pieces.Error == whole.Error);
    Check(pieces.Encoding == whole.Encoding && pieces.Separator == whole.Separator);
    Check(pieces.UnknownColumns == whole.UnknownColumns);
    Check(pieces.Taken == whole.Taken && pieces.MoreRefused == whole.MoreRefused);
    Check(pieces.Refused.size() == whole.Refused.size());
    for (qsizetype i = 0; i < whole.Refused.size(); ++i)
        Check(pieces.Refused[i].Row == whole.Refused[i].Row &&
              pieces.Refused[i].Reason == whole.Refused[i].Reason);
    const QByteArray file = SlipBytes(whole.Slips);
    Check(SlipBytes(pieces.Slips) == file);

    // The reader over the whole text sees the rows the reader in pieces saw.
    const TCsvParse parsed = ParseCsv(decoded.Text, whole.Separator);
    for (qsizetype i = 1; i < parsed.Records.size(); ++i)
        Check(parsed.Records[i].Row > parsed.Records[i - 1].Row);

    // Slips kept in the file's own form are the file's records.
    TUplRecords records;
    for (const TUpl &s : whole.Slips)
        records.Append(s);
    Check(records.Count() == whole.Slips.size());
    Check(file.endsWith(records.Bytes()) &&
          file.size() - records.Bytes().size() == SlipBytes({}).size());
    return 0;
}

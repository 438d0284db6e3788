#include "core/Csv.h"

#include "core/Win1250.h"

#include <QStringDecoder>

TCsvParse ParseCsv(QStringView text, QChar separator)
{
    TCsvParse result;
    TCsvRecord record;
    record.Row = 1;
    QString field;
    bool quoted = false;     // inside quotes
    bool wasQuoted = false;  // the current field began with a quote
    bool recordOpen = false; // something of the current record has been read

    const auto endField = [&] {
        record.Fields.append(field);
        field.clear();
        wasQuoted = false;
    };
    const auto endRecord = [&] {
        endField();
        const qsizetype next = record.Row + 1;
        result.Records.append(std::move(record));
        record = TCsvRecord{};
        record.Row = next;
        recordOpen = false;
    };

    const qsizetype n = text.size();
    qsizetype start = 0; // start of the plain run not yet copied into field
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != u'"')
                continue;
            field += text.mid(start, i - start);
            if (i + 1 < n && text[i + 1] == u'"') {
                field += u'"';
                ++i;
                start = i + 1;
            } else {
                quoted = false;
                start = i + 1;
            }
            continue;
        }
        if (c == separator) {
            field += text.mid(start, i - start);
            endField();
            recordOpen = true;
            start = i + 1;
        } else if (c == u'\n' || c == u'\r') {
            field += text.mid(start, i - start);
            endRecord();
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        } else if (c == u'"' && field.isEmpty() && start == i && !wasQuoted) {
            quoted = true;
            wasQuoted = true;
            recordOpen = true;
            start = i + 1;
        } else {
            recordOpen = true;
        }
    }
    if (quoted) {
        result.Error =
            QStringLiteral("Red %1: navodnici nisu zatvoreni do kraja datoteke").arg(record.Row);
        return result;
    }
    field += text.mid(start, n - start);
    if (recordOpen || !field.isEmpty())
        endRecord();
    return result;
}

QChar DetectCsvSeparator(QStringView text)
{
    qsizetype semicolons = 0, commas = 0;
    bool quoted = false;
    for (QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u'\n' || c == u'\r')
            break;
        else if (c == u';')
            ++semicolons;
        else if (c == u',')
            ++commas;
    }
    return commas > semicolons ? u',' : u';';
}

TCsvText DecodeCsvBytes(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return {QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3), TCsvEncoding::Utf8Bom};
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        if (const auto encoding = QStringConverter::encodingForData(bytes)) {
            QStringDecoder decoder(*encoding); // drops the mark
            return {decoder.decode(bytes), TCsvEncoding::Utf16};
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return {std::move(text), TCsvEncoding::Utf8};
    return {Win1250::Decode(bytes), TCsvEncoding::Windows1250};
}

QString CsvEncodingName(TCsvEncoding encoding)
{
    switch (encoding) {
    case TCsvEncoding::Utf8Bom:
        return QStringLiteral("UTF-8 (BOM)");
    case TCsvEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TCsvEncoding::Utf16:
        return QStringLiteral("UTF-16");
    case TCsvEncoding::Windows1250:
        return QStringLiteral("Windows-1250");
    }
    return {};
}

QString CsvField(const QString &field, QChar separator)
{
    bool needs = !field.isEmpty() && (field.front() == u' ' || field.back() == u' ');
    for (QChar c : field) {
        if (c == separator || c == u'"' || c == u'\n' || c == u'\r') {
            needs = true;
            break;
        }
    }
    if (!needs)
        return field;
    QString out;
    out.reserve(field.size() + 2);
    out += u'"';
    for (QChar c : field) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    out += u'"';
    return out;
}

void AppendCsvRecord(QString &out, const QStringList &fields, QChar separator)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += separator;
        out += CsvField(fields[i], separator);
    }
    out += QLatin1String("\r\n");
}

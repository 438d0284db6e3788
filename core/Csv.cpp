#include "core/Csv.h"

#include "core/Win1250.h"

#include <QStringDecoder>

qsizetype TCsvReader::PlainEnd(qsizetype from) const
{
    const qsizetype n = m_text.size();
    const char16_t sep = m_separator.unicode();
    const char16_t *p = m_text.utf16();
    while (from < n && p[from] != sep && p[from] != u'\n' && p[from] != u'\r')
        ++from;
    return from;
}

QStringView TCsvReader::Field(qsizetype i) const
{
    const TSpan &s = m_spans[i];
    return s.InBuffer ? QStringView(m_buffer).mid(s.Start, s.Length)
                      : m_text.mid(s.Start, s.Length);
}

bool TCsvReader::Next()
{
    const qsizetype n = m_text.size();
    m_spans.clear();
    m_buffer.resize(0);
    m_needsMore = false;
    if (m_pos >= n) {
        m_needsMore = m_moreToCome;
        return false;
    }
    const qsizetype start = m_pos;
    // The record is not whole in the text yet: read it again with more.
    auto wait = [&] {
        m_pos = start;
        --m_row;
        m_spans.clear();
        m_buffer.resize(0);
        m_needsMore = true;
        return false;
    };
    ++m_row;
    for (;;) {
        TSpan span;
        if (m_pos >= n) {
            if (m_moreToCome)
                return wait();
            // A separator as the text's last character: one more empty field.
            span.Start = n;
            m_spans.append(span);
            return true;
        }
        if (m_text[m_pos] == u'"') {
            qsizetype run = m_pos + 1; // start of the text not yet taken
            qsizetype from = run;
            span.Start = run;
            for (;;) {
                const qsizetype q = m_text.indexOf(u'"', from);
                if (q < 0 || (q + 1 == n && m_moreToCome)) {
                    if (m_moreToCome)
                        return wait(); // the quote may close, or be doubled, further on
                    m_error = QStringLiteral("Red %1: navodnici nisu zatvoreni do kraja datoteke")
                                  .arg(m_row);
                    m_pos = n;
                    m_spans.clear();
                    return false;
                }
                if (q + 1 < n && m_text[q + 1] == u'"') {
                    // A doubled quote: the field is put together in the buffer.
                    if (!span.InBuffer) {
                        span.InBuffer = true;
                        span.Start = m_buffer.size();
                    }
                    m_buffer.append(m_text.mid(run, q + 1 - run));
                    from = run = q + 2;
                    continue;
                }
                if (span.InBuffer) {
                    m_buffer.append(m_text.mid(run, q - run));
                    span.Length = m_buffer.size() - span.Start;
                } else {
                    span.Length = q - run;
                }
                m_pos = q + 1;
                break;
            }
            // Text after the closing quote is kept, as spreadsheets do.
            const qsizetype end = PlainEnd(m_pos);
            if (end >= n && m_moreToCome)
                return wait();
            if (end > m_pos) {
                if (!span.InBuffer) {
                    const QStringView inside = m_text.mid(span.Start, span.Length);
                    span.InBuffer = true;
                    span.Start = m_buffer.size();
                    m_buffer.append(inside);
                }
                m_buffer.append(m_text.mid(m_pos, end - m_pos));
                span.Length = m_buffer.size() - span.Start;
                m_pos = end;
            }
        } else {
            const qsizetype end = PlainEnd(m_pos);
            if (end >= n && m_moreToCome)
                return wait();
            span.Start = m_pos;
            span.Length = end - m_pos;
            m_pos = end;
        }
        m_spans.append(span);
        if (m_pos >= n)
            return true;
        const QChar c = m_text[m_pos++];
        if (c == m_separator)
            continue;
        if (c == u'\r' && m_pos >= n && m_moreToCome)
            return wait(); // its LF may begin the next piece
        if (c == u'\r' && m_pos < n && m_text[m_pos] == u'\n')
            ++m_pos;
        return true;
    }
}

TCsvParse ParseCsv(QStringView text, QChar separator)
{
    TCsvParse result;
    TCsvReader reader(text, separator);
    while (reader.Next()) {
        TCsvRecord r;
        r.Row = reader.Row();
        for (qsizetype i = 0; i < reader.FieldCount(); ++i)
            r.Fields.append(reader.Field(i).toString());
        result.Records.append(std::move(r));
    }
    result.Error = reader.Error();
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

void AppendCsvField(QString &out, QStringView field, QChar separator)
{
    bool needs = !field.isEmpty() && (field.front() == u' ' || field.back() == u' ');
    for (qsizetype i = 0; i < field.size() && !needs; ++i) {
        const QChar c = field[i];
        needs = c == separator || c == u'"' || c == u'\n' || c == u'\r';
    }
    if (!needs) {
        out += field;
        return;
    }
    out += u'"';
    for (QChar c : field) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    out += u'"';
}

QString CsvField(const QString &field, QChar separator)
{
    QString out;
    AppendCsvField(out, field, separator);
    return out;
}

void AppendCsvRecord(QString &out, const QStringList &fields, QChar separator)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += separator;
        AppendCsvField(out, fields[i], separator);
    }
    out += QLatin1String("\r\n");
}

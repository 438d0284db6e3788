#pragma once

#include <QByteArray>
#include <QString>

// Windows-1250 text, one byte per character. Every byte maps to exactly one
// character and back (the five bytes without an assignment map to U+0081,
// U+0083, U+0088, U+0090 and U+0098), so bytes read and written unchanged come
// back identical. Characters outside the code page are written as '?'.
namespace Win1250 {
QString Decode(const char *data, qsizetype size);
inline QString Decode(const QByteArray &bytes)
{
    return Decode(bytes.constData(), bytes.size());
}
// Whether Decode(data, size) would give text, without building it.
bool DecodesTo(const char *data, qsizetype size, const QString &text);
QByteArray Encode(const QString &text);
// Appends the encoding of text to out; cheaper than Encode() in loops.
void AppendEncoded(QByteArray &out, const QString &text);
// Writes text.size() bytes at out and returns the end; for callers that size
// their buffer beforehand.
char *EncodeTo(char *out, const QString &text);
// Index of the first character the code page has no byte for, or -1.
qsizetype FirstUnencodable(QStringView text);
} // namespace Win1250

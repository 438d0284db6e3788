#pragma once

// Slip files built byte by byte for tests, independent of the program's writer.

#include "core/Win1250.h"

#include <QByteArray>
#include <QDataStream>
#include <QFile>
#include <QIODevice>
#include <QStringList>

namespace TestSlipFile {

inline void PutText(QDataStream &out, const QString &text)
{
    const QByteArray bytes = Win1250::Encode(text);
    out << qint32(bytes.size());
    out.writeRawData(bytes.constData(), int(bytes.size()));
}

// A file of the current layout with the given header, notes and one slip per
// description (every other field empty or zero).
inline QByteArray Build(const QString &notes, const QStringList &descriptions,
                        const QString &header = QStringLiteral("Kordavina 3.3.2"))
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.setFloatingPointPrecision(QDataStream::DoublePrecision);
    PutText(out, header);
    PutText(out, notes);
    out << qint32(descriptions.size());
    for (const QString &opis : descriptions) {
        PutText(out, opis);
        for (int i = 0; i < 5; ++i)
            PutText(out, {});
        out << double(0) << quint8(0);
        for (int i = 0; i < 10; ++i)
            PutText(out, {});
        for (int i = 0; i < 16; ++i)
            out << qint32(0);
        out << quint8(0);
        out.setFloatingPointPrecision(QDataStream::SinglePrecision);
        out << float(0);
        out.setFloatingPointPrecision(QDataStream::DoublePrecision);
    }
    return bytes;
}

inline bool Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace TestSlipFile

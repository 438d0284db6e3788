#pragma once

// Whole-file reads and writes for the tests of what must never lose a file.
// An unreadable file reads as "<unreadable>", never as empty, so that a
// vanished file is not taken for an emptied one.

#include <QByteArray>
#include <QFile>
#include <QString>

inline QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline bool WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

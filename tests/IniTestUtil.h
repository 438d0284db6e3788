#pragma once

// Helpers shared by the tests of the INI-backed stores.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QTest>

namespace IniTest {

inline QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// CR LF separated lines; the terminator of the last line stays visible as an
// empty last element.
inline QList<QByteArray> Lines(const QByteArray &bytes)
{
    return bytes.split('\n');
}

// Compares line by line, so that a failure names the first differing line.
inline bool SameLines(const QByteArray &actual, const QByteArray &expected)
{
    const QList<QByteArray> a = Lines(actual), e = Lines(expected);
    for (qsizetype i = 0; i < std::min(a.size(), e.size()); ++i)
        if (a[i] != e[i]) {
            qWarning("line %lld: got \"%s\", expected \"%s\"", static_cast<long long>(i + 1),
                     a[i].toPercentEncoding(" =;[],").constData(),
                     e[i].toPercentEncoding(" =;[],").constData());
            return false;
        }
    if (a.size() != e.size()) {
        qWarning("got %lld lines, expected %lld", static_cast<long long>(a.size()),
                 static_cast<long long>(e.size()));
        return false;
    }
    return true;
}

// Makes a folder refuse new files: by its permissions, or, for root, by the
// immutable attribute. False when neither works here.
inline bool MakeUnwritable(const QString &dir)
{
    auto writable = [&dir]() {
        QFile probe(QDir(dir).filePath(QStringLiteral(".probe")));
        const bool ok = probe.open(QIODevice::WriteOnly);
        if (ok) {
            probe.close();
            probe.remove();
        }
        return ok;
    };
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
    if (!writable())
        return true;
    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), dir});
    return !writable();
}

inline void MakeWritable(const QString &dir)
{
    QProcess p;
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QStringLiteral("chattr"), {QStringLiteral("-i"), dir});
    p.waitForFinished();
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace IniTest

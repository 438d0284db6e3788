#pragma once

// Reading PDF files back in tests: page count from the file itself, page size,
// word boxes and rendered pages through poppler-utils (pdfinfo, pdftotext,
// pdftoppm). Positions are in points (1/72 inch) from the top-left corner.

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

struct TPdfWord
{
    QString Text;
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
};

inline bool HavePdfTools()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

inline QString RunPdfTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Page objects in the file ("/Type /Page", not "/Pages"); needs no tool.
inline int PdfPageCount(const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(f.readAll());
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
    int n = 0;
    auto it = page.globalMatch(text);
    while (it.hasNext()) {
        it.next();
        ++n;
    }
    return n;
}

// "Page size: 499 x 283 pts" of page 1, from pdfinfo.
inline QSizeF PdfPageSize(const QString &fileName)
{
    const QString info = RunPdfTool(QStringLiteral("pdfinfo"), {fileName});
    static const QRegularExpression re(QStringLiteral("Page size:\\s*([\\d.]+) x ([\\d.]+) pts"));
    const auto m = re.match(info);
    if (!m.hasMatch())
        return QSizeF();
    return QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
}

inline int PdfInfoPages(const QString &fileName)
{
    const QString info = RunPdfTool(QStringLiteral("pdfinfo"), {fileName});
    static const QRegularExpression re(QStringLiteral("Pages:\\s*(\\d+)"));
    const auto m = re.match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

inline QList<TPdfWord> PdfWords(const QString &fileName, int page)
{
    const QString html =
        RunPdfTool(QStringLiteral("pdftotext"),
                   {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(page),
                    QStringLiteral("-l"), QString::number(page), fileName, QStringLiteral("-")});
    static const QRegularExpression re(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<TPdfWord> words;
    auto it = re.globalMatch(html);
    while (it.hasNext()) {
        const auto m = it.next();
        words.append({m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(),
                      m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
}

// Page rendered in grey at dpi pixels per inch.
inline QImage PdfRender(const QString &fileName, int page, int dpi)
{
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("page"));
    RunPdfTool(QStringLiteral("pdftoppm"),
               {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                QString::number(page), QStringLiteral("-l"), QString::number(page),
                QStringLiteral("-gray"), QStringLiteral("-singlefile"), fileName, base});
    return QImage(base + QStringLiteral(".pgm"));
}

constexpr double PointsPerMm = 72.0 / 25.4;

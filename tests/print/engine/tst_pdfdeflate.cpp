// The executable's stand-in for zlib's deflateInit_: bound ahead of zlib's own,
// the default level becomes the fast one, explicit levels stay, and Qt's PDF
// writer really compresses its pages through it.

#include "print/engine/PdfDeflate.h"

#include <QByteArray>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <zlib.h>

namespace {

QByteArray Deflate(const QByteArray &data, int level, bool throughDefault)
{
    z_stream s{};
    const int init = throughDefault
                         ? deflateInit(&s, Z_DEFAULT_COMPRESSION)
                         : deflateInit2(&s, level, Z_DEFLATED, MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    if (init != Z_OK)
        return {};
    QByteArray out(int(deflateBound(&s, uLong(data.size()))), '\0');
    s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    s.avail_in = uInt(data.size());
    s.next_out = reinterpret_cast<Bytef *>(out.data());
    s.avail_out = uInt(out.size());
    const int rc = deflate(&s, Z_FINISH);
    out.resize(out.size() - int(s.avail_out));
    deflateEnd(&s);
    return rc == Z_STREAM_END ? out : QByteArray();
}

QByteArray Inflate(const QByteArray &data)
{
    z_stream s{};
    if (inflateInit(&s) != Z_OK)
        return {};
    QByteArray out;
    char buffer[16384];
    s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    s.avail_in = uInt(data.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        s.next_out = reinterpret_cast<Bytef *>(buffer);
        s.avail_out = sizeof buffer;
        rc = inflate(&s, Z_NO_FLUSH);
        out.append(buffer, int(sizeof buffer - s.avail_out));
    }
    inflateEnd(&s);
    return rc == Z_STREAM_END ? out : QByteArray();
}

// Text as a PDF page holds it: where zlib's levels give different bytes.
QByteArray PageLikeText()
{
    QByteArray text;
    for (int i = 0; i < 300; ++i)
        text += QByteArray::number(40 + (i * 37) % 61) + ".3906250 0 Td <00" +
                QByteArray::number(10 + i % 23, 16) + "> Tj\n";
    return text;
}

} // namespace

class TestPdfDeflate : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void levels()
    {
        QVERIFY(PdfDeflate::Active());
        const QByteArray text = PageLikeText();
        const QByteArray fast = Deflate(text, PdfDeflate::Level, false);
        QVERIFY(!fast.isEmpty());
        QVERIFY(fast != Deflate(text, 6, false));
        // The default level is the fast one now; an explicit level is kept.
        QCOMPARE(Deflate(text, 0, true), fast);
        QCOMPARE(Deflate(text, 9, false), Deflate(text, 9, false));
        QVERIFY(Deflate(text, 9, false) != fast);
        QCOMPARE(Inflate(fast), text);
    }

    void pdfPagesThroughTheFastLevel()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.pdf"));
        {
            QPdfWriter pdf(path);
            pdf.setResolution(600);
            QPainter painter(&pdf);
            painter.setFont(QFont(QStringLiteral("Liberation Sans"), 10));
            for (int line = 0; line < 40; ++line)
                painter.drawText(
                    100, 200 + line * 120,
                    QStringLiteral("Uplatnica %1: Porez na dohodak, Sarajevo").arg(line * 7919));
            QVERIFY(painter.end());
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();

        // The page's content stream: the one that draws text ("BT").
        static const QRegularExpression stream(
            QStringLiteral("/Filter /FlateDecode\\s*>>\\s*stream\\n"));
        bool found = false;
        for (auto it = stream.globalMatch(QString::fromLatin1(bytes)); it.hasNext();) {
            const qsizetype start = it.next().capturedEnd();
            const qsizetype end = bytes.indexOf("endstream", start);
            QVERIFY(end > start);
            const QByteArray packed = bytes.mid(start, end - start);
            const QByteArray content = Inflate(packed);
            if (!content.contains("BT\n"))
                continue;
            found = true;
            const QByteArray fast = Deflate(content, PdfDeflate::Level, false);
            QVERIFY(packed.startsWith(fast));
            QVERIFY(packed.mid(fast.size()).trimmed().isEmpty());
            QVERIFY(!packed.startsWith(Deflate(content, 6, false)));
        }
        QVERIFY(found);
    }
};

QTEST_MAIN(TestPdfDeflate)
#include "tst_pdfdeflate.moc"

// Runs the built executable's slip commands as a user would.

#include "UplBytes.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace UplBytes;

namespace {

struct Run
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

Run Kordavina(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(KORDAVINA_EXE), args);
    Run r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.code = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
#ifdef Q_OS_WIN
    // Text written to the console ends its lines with CR LF there.
    r.out.replace("\r\n", "\n");
    r.err.replace("\r\n", "\n");
#endif
    return r;
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestCliSlips : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void dumpsEveryVersion_data()
    {
        QTest::addColumn<QByteArray>("header");
        for (const QByteArray &h : AllHeaders())
            QTest::newRow(h.constData()) << h;
    }
    void dumpsEveryVersion()
    {
        QFETCH(QByteArray, header);
        const int level = LevelOf(header);
        const QString path = m_dir.filePath(QString::fromLatin1(header) + QStringLiteral(".upl"));
        QVERIFY(WriteFile(path, BuildFile(header, "Napomena \x8a\t\"x\"\\", SampleSlips())));

        const Run r = Kordavina({QStringLiteral("dump"), path});
        QCOMPARE(r.code, 0);
        QVERIFY(r.err.isEmpty());
        QJsonParseError pe;
        const QJsonDocument doc = QJsonDocument::fromJson(r.out, &pe);
        QVERIFY2(pe.error == QJsonParseError::NoError, qPrintable(pe.errorString()));
        const QJsonObject o = doc.object();
        QCOMPARE(o.value("header").toString(), QString::fromLatin1(header));
        QCOMPARE(o.value("notes").toString(), QStringLiteral("Napomena Š\t\"x\"\\"));
        const QJsonArray slips = o.value("slips").toArray();
        QCOMPARE(slips.size(), 2);

        const QJsonObject a = slips[0].toObject();
        QCOMPARE(a.size(), 21);
        QCOMPARE(a.value("Opis").toString(), QStringLiteral("Porez Šibenik"));
        QCOMPARE(a.value("Posiljalac").toString(), QStringLiteral("Ivo Ivić, Zmaja od Bosne 1"));
        QCOMPARE(a.value("Primalac").toString(), QStringLiteral("Opština Centar Žepa"));
        QCOMPARE(a.value("DatumUplate").toString(), QStringLiteral("150125"));
        QCOMPARE(a.value("MjestoUplate").toString(),
                 level >= 33 ? QStringLiteral("Sarajevo ščć") : QString());
        QVERIFY(a.value("Iznos").isDouble());
        QVERIFY(a.value("Iznos").toDouble() == 1234.56);
        QCOMPARE(a.value("Hitno"), QJsonValue(true));
        QCOMPARE(a.value("Oznacena"), QJsonValue(true));
        const QJsonArray st = a.value("Stanja").toArray();
        QCOMPARE(st.size(), 16);
        QCOMPARE(st[0].toInt(), 7);
        QCOMPARE(st[14].toInt(), 14 % 3);
        QCOMPARE(st[15].toInt(), level >= 33 ? 15 % 3 : 0);
        QVERIFY(float(a.value("Procenat").toDouble()) == (level >= 22 ? 33.3f : 0.0f));

        const QJsonObject b = slips[1].toObject();
        QCOMPARE(b.value("Primalac").toString(), QStringLiteral("Primalac\r\nred 2"));
        QCOMPARE(b.value("Hitno"), QJsonValue(false));
        QCOMPARE(b.value("Oznacena"), QJsonValue(false));
        // Shortest forms that read back exactly: the double 0.1 and the single 0.1f.
        QVERIFY(r.out.contains("\"Iznos\": 0.1,"));
        if (level >= 22) {
            QVERIFY(r.out.contains("\"Procenat\": 0.1}"));
            QVERIFY(r.out.contains("\"Procenat\": 33.3}"));
        } else {
            QVERIFY(r.out.contains("\"Procenat\": 0}"));
        }
        // Keys in the record's order.
        QVERIFY(r.out.indexOf("\"Opis\"") < r.out.indexOf("\"RacunPosiljaoca\""));
        QVERIFY(r.out.indexOf("\"Iznos\"") < r.out.indexOf("\"Hitno\""));
        QVERIFY(r.out.indexOf("\"Stanja\"") < r.out.indexOf("\"Oznacena\""));
    }

    void dumpsAnEmptyFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("empty.upl"));
        QVERIFY(WriteFile(path, BuildFile("Kordavina 3.3.2", {}, {})));
        const Run r = Kordavina({QStringLiteral("dump"), path});
        QCOMPARE(r.code, 0);
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o.value("notes").toString(), QString());
        QVERIFY(o.value("slips").isArray());
        QCOMPARE(o.value("slips").toArray().size(), 0);
    }

    // JSON has no NaN or infinities; the dump stays valid JSON.
    void dumpsNumbersJsonCannotHold()
    {
        RawSlip s;
        s.iznos = std::numeric_limits<double>::quiet_NaN();
        s.procenat = -std::numeric_limits<float>::infinity();
        RawSlip big;
        big.iznos = 1e300;
        big.procenat = 3.4028235e38f;
        const QString path = m_dir.filePath(QStringLiteral("nan.upl"));
        QVERIFY(WriteFile(path, BuildFile("Kordavina 3.3.2", {}, {s, big})));
        const Run r = Kordavina({QStringLiteral("dump"), path});
        QCOMPARE(r.code, 0);
        QJsonParseError pe;
        const QJsonArray slips =
            QJsonDocument::fromJson(r.out, &pe).object().value("slips").toArray();
        QCOMPARE(pe.error, QJsonParseError::NoError);
        QCOMPARE(slips[0].toObject().value("Iznos").toString(), QStringLiteral("NaN"));
        QCOMPARE(slips[0].toObject().value("Procenat").toString(), QStringLiteral("-Infinity"));
        QVERIFY(slips[1].toObject().value("Iznos").toDouble() == 1e300);
        QVERIFY(float(slips[1].toObject().value("Procenat").toDouble()) == 3.4028235e38f);
    }

    void convertsToTheCurrentVersion_data()
    {
        QTest::addColumn<QByteArray>("header");
        for (const QByteArray &h : AllHeaders())
            QTest::newRow(h.constData()) << h;
    }
    void convertsToTheCurrentVersion()
    {
        QFETCH(QByteArray, header);
        const int level = LevelOf(header);
        const QString in = m_dir.filePath(QStringLiteral("in.upl"));
        const QString out = m_dir.filePath(QStringLiteral("out.upl"));
        QFile::remove(out);
        QVERIFY(WriteFile(in, BuildFile(header, "n", SampleSlips())));

        const Run r = Kordavina({QStringLiteral("convert"), in, out});
        QCOMPARE(r.code, 0);
        QVERIFY(r.err.isEmpty());

        // What the old version did not carry takes a new slip's values.
        QList<RawSlip> expected = SampleSlips();
        for (RawSlip &s : expected) {
            if (level < 33) {
                s.texts[15].clear();
                s.stanja[15] = 0;
            }
            if (level < 22)
                s.procenat = 0;
        }
        QCOMPARE(ReadFile(out), BuildFile("Kordavina 3.3.2", "n", expected));
    }

    void refusedAndUnreadableFilesExitOne()
    {
        const QString bad = m_dir.filePath(QStringLiteral("bad.upl"));
        QVERIFY(WriteFile(bad, ByteWriter().Text("Kordavina 3.3.2 ").Int(0).Int(0).bytes));
        for (const QStringList &args :
             {QStringList{"dump", bad}, QStringList{"convert", bad, m_dir.filePath("o.upl")}}) {
            const Run r = Kordavina(args);
            QCOMPARE(r.code, 1);
            QCOMPARE(r.err, (bad + QStringLiteral(": Neispravna datoteka!\n")).toUtf8());
            QVERIFY(r.out.isEmpty());
        }
        QVERIFY(!QFile::exists(m_dir.filePath("o.upl")));

        // Cut inside the last slip.
        const QByteArray whole = BuildFile("Kordavina 3.2", "n", SampleSlips());
        QVERIFY(WriteFile(bad, whole.left(whole.size() - 1)));
        QCOMPARE(Kordavina({"dump", bad}).err,
                 (bad + QStringLiteral(": Neispravna datoteka!\n")).toUtf8());

        const QString missing = m_dir.filePath(QStringLiteral("nema.upl"));
        const Run r = Kordavina({QStringLiteral("dump"), missing});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, (missing + QStringLiteral(": No such file or directory\n")).toUtf8());

        // A destination that cannot be written: the reason, exit 1.
        const QString good = m_dir.filePath(QStringLiteral("good.upl"));
        QVERIFY(WriteFile(good, BuildFile("Kordavina 3.3", {}, {})));
        const QString noFolder = m_dir.filePath(QStringLiteral("nema/x.upl"));
        const Run w = Kordavina({QStringLiteral("convert"), good, noFolder});
        QCOMPARE(w.code, 1);
        QVERIFY(w.err.startsWith((noFolder + QStringLiteral(": ")).toUtf8()));
        QVERIFY(w.err.size() > noFolder.size() + 3);
    }

    void wrongUsageExitsTwo_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("dump alone") << QStringList{"dump"};
        QTest::newRow("dump two") << QStringList{"dump", "a.upl", "b.upl"};
        QTest::newRow("convert one") << QStringList{"convert", "a.upl"};
        QTest::newRow("convert three") << QStringList{"convert", "a", "b", "c"};
        QTest::newRow("unknown") << QStringList{"dumb", "a.upl"};
        QTest::newRow("dump empty name") << QStringList{"dump", ""};
        QTest::newRow("convert empty output") << QStringList{"convert", "a.upl", ""};
    }
    void wrongUsageExitsTwo()
    {
        QFETCH(QStringList, args);
        const Run r = Kordavina(args);
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.startsWith("Usage: kordavina"));
        QVERIFY(r.out.isEmpty());
    }

    void helpAndVersion()
    {
        const Run h = Kordavina({QStringLiteral("--help")});
        QCOMPARE(h.code, 0);
        QVERIFY(h.out.contains("dump FILE.upl"));
        QVERIFY(h.out.contains("convert IN.upl OUT.upl"));
        const Run v = Kordavina({QStringLiteral("--version")});
        QCOMPARE(v.code, 0);
        QCOMPARE(v.out, QByteArray("3.3.2\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliSlips)
#include "tst_cli_slips.moc"

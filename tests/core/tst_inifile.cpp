#include "core/IniFile.h"
#include "core/Win1250.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestIniFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readsWithBlanksAndCase()
    {
        TIniFile ini;
        ini.LoadFromBytes("; comment\r\n[ Op\x9atine ]\r\n  077 =  Sarajevo Centar  \r\nno equals\r\n"
                          "001=Prvi\r\n001=Drugi\r\n[Svrhe]\r\n0=Porez\r\n");
        QCOMPARE(ini.Sections(), QStringList({QStringLiteral("Opštine"), QStringLiteral("Svrhe")}));
        QVERIFY(ini.SectionExists(QStringLiteral("OPŠTINE")));
        QCOMPARE(ini.Keys(QStringLiteral("opštine")), QStringList({"077", "001"}));
        QCOMPARE(ini.ReadString(QStringLiteral("OpŠtine"), "077"), QStringLiteral("Sarajevo Centar"));
        // The first of two equal keys wins, as with the Windows profile functions.
        QCOMPARE(ini.ReadString(QStringLiteral("Opštine"), "001"), QStringLiteral("Prvi"));
        QCOMPARE(ini.ReadString("svrhe", "1", "x"), QStringLiteral("x"));
        QVERIFY(!ini.ValueExists("nema", "0"));
    }

    void unchangedFileIsReproduced_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("crlf") << QByteArray("[]\r\nDefault=Standard\r\n\r\n[Standard]\r\nWidth=176\r\n");
        QTest::newRow("lf, no final newline") << QByteArray("x=1\n[a]\n k = v \n;c\n[b]\nq");
        QTest::newRow("stray bytes") << QByteArray("\x00\xff\x81[\r\n=\r\n[]]]\r\n\r\r\n");
        QTest::newRow("empty") << QByteArray();
    }
    void unchangedFileIsReproduced()
    {
        QFETCH(QByteArray, bytes);
        TIniFile ini;
        ini.LoadFromBytes(bytes);
        QCOMPARE(ini.ToBytes(), bytes);
        // Writing a value it already holds changes nothing either.
        const QStringList sections = ini.Sections();
        for (const QString &s : sections)
            for (const QString &k : ini.Keys(s))
                ini.WriteString(s, k, ini.ReadString(s, k));
        QCOMPARE(ini.ToBytes(), bytes);
    }

    void writeKeepsPlacesAndAppends()
    {
        TIniFile ini;
        ini.LoadFromBytes("[A]\r\nk1=1\r\nk2=2\r\n\r\n[B]\r\nx=y\r\n");
        ini.WriteString("a", "K2", "two");
        ini.WriteString("A", "k3", "3");
        ini.WriteString("C", "z", "Šifra");
        QCOMPARE(ini.ToBytes(), QByteArray("[A]\r\nk1=1\r\nk2=two\r\nk3=3\r\n\r\n[B]\r\nx=y\r\n\r\n"
                                           "[C]\r\nz=\x8aifra\r\n"));
        QCOMPARE(ini.ReadString("c", "Z"), QStringLiteral("Šifra"));
    }

    void eraseAndDelete()
    {
        TIniFile ini;
        ini.LoadFromBytes("[A]\r\nk=1\r\n[B]\r\nx=1\r\nX=2\r\ny=3\r\n[a]\r\nk=2\r\n");
        ini.EraseSection("A"); // both sections named a/A go
        ini.DeleteKey("b", "x");
        QCOMPARE(ini.Sections(), QStringList{"B"});
        QCOMPARE(ini.Keys("B"), QStringList{"y"});
        QCOMPARE(ini.ToBytes(), QByteArray("[B]\r\ny=3\r\n"));
        ini.WriteString("A", "k", "new");
        QCOMPARE(ini.ReadString("a", "k"), QStringLiteral("new"));
    }

    void saveIsAtomicAndReportsFailure()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Formats.ini");
        TIniFile ini(path);
        QVERIFY(ini.Load()); // missing file: empty store
        QVERIFY(ini.Sections().isEmpty());
        ini.WriteString("", "Default", "Standard");
        QString error;
        QVERIFY(ini.Save(&error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("[]\r\nDefault=Standard\r\n"));
        f.close();

        TIniFile bad(dir.filePath("no/such/folder/x.ini"));
        bad.WriteString("s", "k", "v");
        QVERIFY(!bad.Save(&error));
        QCOMPARE(error, QStringLiteral("Unable to write to %1: No such file or directory")
                           .arg(bad.FileName()));
    }

    void largeSectionStaysFast()
    {
        TIniFile ini;
        for (int i = 0; i < 100000; ++i)
            ini.WriteString("Računi", QString::number(i), QStringLiteral("Naziv %1").arg(i));
        QCOMPARE(ini.Keys("RAČUNI").size(), 100000);
        QCOMPARE(ini.ReadString("računi", "99999"), QStringLiteral("Naziv 99999"));
        TIniFile back;
        back.LoadFromBytes(ini.ToBytes());
        QCOMPARE(back.ReadString("Računi", "4711"), QStringLiteral("Naziv 4711"));
    }
};

QTEST_APPLESS_MAIN(TestIniFile)
#include "tst_inifile.moc"

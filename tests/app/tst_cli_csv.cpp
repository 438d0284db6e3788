// The spreadsheet commands and the account warnings of print, run as a user
// runs them.

#include "core/Settings.h"
#include "core/SlipCsv.h"
#include "core/UplFileIO.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestCliCsv : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QString Path(const QString &name) const { return m_dir.filePath(name); }

    struct TRun
    {
        int Exit = -1;
        QString Out, Err;
    };

    TRun Kordavina(const QStringList &args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KORDAVINA_HOME", Path("home"));
        env.insert("KORDAVINA_SETTINGS", Path("settings.ini"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KORDAVINA_EXE), args);
        TRun r;
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.Exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.Out = QString::fromUtf8(p.readAllStandardOutput());
        r.Err = QString::fromUtf8(p.readAllStandardError());
#ifdef Q_OS_WIN
        // Text written to the console ends its lines with CR LF there.
        r.Out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        r.Err.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
#endif
        return r;
    }

    static QByteArray Bytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static bool Write(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    }
    static QString Data(const char *name)
    {
        return QStringLiteral(KORDAVINA_TEST_DATA "/csv/") + QLatin1String(name);
    }
    void WriteSlips(const QString &path, const QList<TUpl> &slips)
    {
        TUplFile file;
        file.FileName = path;
        file.Napomene = QStringLiteral("napomena");
        file.Uplatnice = slips;
        QVERIFY(WriteUplFile(file));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetSettingsFile(Path("settings.ini"));
    }

    void refusedRowWritesNothing()
    {
        // A target that exists stays as it was, with or without --append.
        const QString out = Path("kept.upl");
        WriteSlips(out, {NewSlip()});
        const QByteArray before = Bytes(out);
        for (const QStringList &extra : {QStringList(), QStringList{"--append"}}) {
            const TRun r =
                Kordavina(QStringList{"import-csv", Data("utf8-comma.csv"), out} + extra);
            QCOMPARE(r.Exit, 1);
            QVERIFY(r.Err.contains("Red 4: Opis sadrži znak „Ñ“"));
            QVERIFY(r.Err.contains("Red 5: Iznos „abc“ nije broj"));
            QVERIFY(r.Err.contains("Red 6: Svrha ima 151 znakova"));
            QVERIFY(!r.Err.contains("Red 2") && !r.Err.contains("Red 3"));
            QCOMPARE(Bytes(out), before);
        }
        const TRun fresh = Kordavina({"import-csv", Data("utf8-comma.csv"), Path("new.upl")});
        QCOMPARE(fresh.Exit, 1);
        QVERIFY(!QFile::exists(Path("new.upl")));
    }

    void importAppendAndDefaults()
    {
        // Columns the sheet lacks come from the default slip.
        QDir().mkpath(Path("home"));
        TUpl def = NewSlip();
        def.Budzetska = QStringLiteral("7654321");
        def.Stanja[stPoziv] = spZabranjeno;
        WriteSlips(Path("home/Default1.upl"), {def});

        const QString out = Path("imported.upl");
        TRun r = Kordavina({"import-csv", Data("libreoffice-bs.csv"), out});
        QCOMPARE(r.Exit, 0);
        QVERIFY(r.Err.contains("nepoznate kolone su zanemarene: Napomena"));
        TUplReadResult read = ReadUplFile(out);
        QCOMPARE(read.Status, TUplReadResult::Ok);
        QCOMPARE(read.File->Count(), 3);
        QCOMPARE(read.File->Napomene, QString());
        QCOMPARE(read.File->Uplatnice[1].Svrha,
                 QStringLiteral("Voda \"Vodovod\" d.o.o.\r\ndrugi red"));
        QCOMPARE(read.File->Uplatnice[0].Budzetska, QStringLiteral("7654321"));
        QCOMPARE(read.File->Uplatnice[2].Stanja[stPoziv], qint32(spZabranjeno));

        // --append keeps the notes and slips already there.
        const QString target = Path("append.upl");
        TUpl first = NewSlip();
        first.Opis = QStringLiteral("Prva");
        WriteSlips(target, {first});
        r = Kordavina({"import-csv", "--append", Data("libreoffice-bs.csv"), target});
        QCOMPARE(r.Exit, 0);
        read = ReadUplFile(target);
        QCOMPARE(read.File->Napomene, QStringLiteral("napomena"));
        QCOMPARE(read.File->Count(), 4);
        QCOMPARE(read.File->Uplatnice[0].Opis, QStringLiteral("Prva"));
        QCOMPARE(read.File->Uplatnice[3].Opis, QStringLiteral("Porez"));
        QFile::remove(Path("home/Default1.upl"));
    }

    void exportThenImportDumpsEqual()
    {
        TUpl a = NewSlip();
        a.Opis = QStringLiteral("Tačka-zarez; \"navodnici\"");
        a.Posiljalac = QStringLiteral("Ime Prezime\r\nAdresa 1\r\nGrad");
        a.Svrha = QStringLiteral("\"\"");
        a.RacunPrimaoca = QStringLiteral("1020500000106698");
        a.Iznos = 100.0 / 3;
        a.Hitno = true;
        a.PeriodOd = QStringLiteral("0101 5");
        a.MjestoUplate = QStringLiteral("Sarajevo;\n");
        a.Stanja = {3, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 9};
        a.Oznacena = true;
        a.Procenat = 12.345f;
        TUpl b = NewSlip();
        b.Iznos = 1e9;
        WriteSlips(Path("orig.upl"), {a, b, NewSlip()});

        QCOMPARE(Kordavina({"export-csv", Path("orig.upl"), Path("out.csv")}).Exit, 0);
        const QByteArray csv = Bytes(Path("out.csv"));
        QVERIFY(csv.startsWith("\xEF\xBB\xBFOpis;"));
        QVERIFY(csv.contains(";1000000000,00;"));
        QCOMPARE(Kordavina({"import-csv", Path("out.csv"), Path("back.upl")}).Exit, 0);

        const TRun d1 = Kordavina({"dump", Path("orig.upl")});
        const TRun d2 = Kordavina({"dump", Path("back.upl")});
        QCOMPARE(d1.Exit, 0);
        // The notes are not slips and do not travel; everything else does.
        QString expected = d1.Out;
        expected.replace(QStringLiteral("\"notes\": \"napomena\""),
                         QStringLiteral("\"notes\": \"\""));
        QCOMPARE(d2.Out, expected);
    }

    void exportToAFullDiskKeepsTheOldFile()
    {
        // A real full file system: a buffered save file can report success
        // for a file cut short there.
        const QString mnt = Path("full");
        QDir().mkpath(mnt);
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", mnt}) != 0)
            QSKIP("cannot mount a small tmpfs here");
        struct TUnmount
        {
            QString Dir;
            ~TUnmount() { QProcess::execute("umount", {Dir}); }
        } unmount{mnt};

        QList<TUpl> slips;
        for (int i = 0; i < 20; ++i) {
            TUpl s = NewSlip();
            s.Opis = QStringLiteral("Uplatnica broj %1").arg(i);
            s.Svrha = QString(150, u'š');
            slips.append(s);
        }
        WriteSlips(Path("many.upl"), slips);
        const QString out = mnt + "/out.csv";
        QVERIFY(Write(out, "old"));
        // Nearly full, so that the export (some 7 kB) fails at its last bytes,
        // which a buffered writer only writes when committing.
        QVERIFY(Write(mnt + "/filler", QByteArray(56 * 1024, 'x')));
        const TRun r = Kordavina({"export-csv", Path("many.upl"), out});
        QCOMPARE(r.Exit, 1);
        QVERIFY2(r.Err.startsWith(out + ": ") && !r.Err.contains("Unknown error"),
                 qPrintable(r.Err));
        QCOMPARE(Bytes(out), QByteArray("old"));
        QCOMPARE(QDir(mnt).entryList(QDir::Files), (QStringList{"filler", "out.csv"}));
    }

    // The office's sheet: dates as the spreadsheet writes them come in as the
    // six digits; accounts failing their check are warned about by row, as
    // print does, and still imported; the switch silences the warnings.
    void importConvertsDatesAndWarnsLikePrint()
    {
        const QString in = Path("office.csv");
        QVERIFY(Write(in, "Opis;PeriodOd;PeriodDo;DatumUplate;RacunPrimaoca\r\n"
                          "x;1.7.26;28.10.26;5.1.26;161-000-00123456-86\r\n"
                          "y;01.07.2026;2026-10-28;5.1.2026;1990440001200278\r\n"));
        TRun r = Kordavina({"import-csv", in, Path("office.upl")});
        QCOMPARE(r.Exit, 0);
        QCOMPARE(r.Err.split(u'\n', Qt::SkipEmptyParts),
                 QStringList{QStringLiteral("Upozorenje: ") + in +
                             QStringLiteral(": Red 3: Račun primaoca: Kontrolni broj računa nije "
                                            "ispravan")});
        const TUplReadResult back = ReadUplFile(Path("office.upl"));
        QCOMPARE(back.Status, TUplReadResult::Ok);
        QCOMPARE(back.File->Uplatnice.size(), 2);
        for (const TUpl &s : back.File->Uplatnice) {
            QCOMPARE(s.PeriodOd, QStringLiteral("010726"));
            QCOMPARE(s.PeriodDo, QStringLiteral("281026"));
            QCOMPARE(s.DatumUplate, QStringLiteral("050126"));
        }
        QCOMPARE(back.File->Uplatnice[0].RacunPrimaoca, QStringLiteral("1610000012345686"));

        TSettings quiet;
        quiet.ProvjeraRacuna = false;
        QVERIFY(SaveSettings(quiet));
        r = Kordavina({"import-csv", in, Path("office2.upl")});
        QVERIFY(SaveSettings(TSettings{}));
        QCOMPARE(r.Exit, 0);
        QVERIFY2(!r.Err.contains("Upozorenje"), qPrintable(r.Err));
    }

    void printWarnsAndStrictRefuses()
    {
        TUpl good = NewSlip();
        good.Opis = QStringLiteral("Dobra");
        good.RacunPrimaoca = QStringLiteral("1990440001200279");
        TUpl bad = NewSlip();
        bad.Opis = QStringLiteral("Loša");
        bad.RacunPrimaoca = QStringLiteral("1990440001200278");
        bad.BrojObveznika = QStringLiteral("01019901");
        WriteSlips(Path("print.upl"), {good, bad});

        TRun r = Kordavina({"print", Path("print.upl"), "--pdf", Path("all.pdf")});
        QCOMPARE(r.Exit, 0);
        QVERIFY(QFile::exists(Path("all.pdf")));
        const QStringList lines = r.Err.split(u'\n', Qt::SkipEmptyParts).filter("Upozorenje");
        QCOMPARE(lines, QStringList{QStringLiteral(
                            "Upozorenje: uplatnica 2 „Loša“: Račun primaoca: Kontrolni broj "
                            "računa nije ispravan; Br. por. obveznika: JMB mora imati 13 cifara")});

        r = Kordavina({"print", Path("print.upl"), "--strict", "--pdf", Path("strict.pdf")});
        QCOMPARE(r.Exit, 3);
        QVERIFY(r.Err.contains("uplatnica 2 „Loša“"));
        QVERIFY(!QFile::exists(Path("strict.pdf")));

        // With the switch off the plain print is quiet; --strict still checks.
        TSettings s;
        s.ProvjeraRacuna = false;
        QVERIFY(SaveSettings(s));
        r = Kordavina({"print", Path("print.upl"), "--pdf", Path("quiet.pdf")});
        QCOMPARE(r.Exit, 0);
        QVERIFY(!r.Err.contains("Upozorenje"));
        QCOMPARE(Kordavina({"print", Path("print.upl"), "--strict", "--pdf", Path("s2.pdf")}).Exit,
                 3);
        QVERIFY(SaveSettings(TSettings{}));

        // Only good slips: --strict prints.
        WriteSlips(Path("good.upl"), {good});
        r = Kordavina({"print", Path("good.upl"), "--strict", "--pdf", Path("good.pdf")});
        QCOMPARE(r.Exit, 0);
        QVERIFY(QFile::exists(Path("good.pdf")));
    }
};

QTEST_GUILESS_MAIN(TestCliCsv)
#include "tst_cli_csv.moc"

// The command line as a hostile user drives it: full disks, special files,
// outputs that are inputs, absurd formats and amounts, no screen, names that
// are not UTF-8. Every run ends with exit 0 and the right output, or exit 1
// with a message naming the file, and no earlier file changed.

#include "FileBytes.h"
#include "FullDisk.h"

#include "core/SafeFile.h"
#include "core/UplFileIO.h"
#include "core/Win1250.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cmath>
#include <limits>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace {

struct TRun
{
    int Exit = -1; // -1: crashed or timed out
    QString Out;
    QString Err;
    QByteArray RawErr;
};

bool IsFifo(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
#else
    Q_UNUSED(path);
    return false;
#endif
}

} // namespace

class TestCliSafety : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Path(const QString &name) const { return m_dir.filePath(name); }

    // Runs the program on the test's folder; a run that hangs is killed
    // after timeoutMs and counts as a failure. env adds or replaces variables
    // ("NAME=value"), or removes them ("-NAME").
    TRun Kordavina(const QStringList &args, const QStringList &env = {},
                   const QString &stdoutFile = QString(), int timeoutMs = 30000)
    {
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("KORDAVINA_HOME", Path("home"));
        e.insert("KORDAVINA_SETTINGS", Path("settings.ini"));
        e.insert("LC_ALL", "C.UTF-8");
        e.insert("QT_QPA_PLATFORM", "offscreen");
        for (const QString &kv : env) {
            if (kv.startsWith(u'-'))
                e.remove(kv.mid(1));
            else
                e.insert(kv.section('=', 0, 0), kv.section('=', 1));
        }
        p.setProcessEnvironment(e);
        p.setWorkingDirectory(m_dir.path());
        if (!stdoutFile.isEmpty())
            p.setStandardOutputFile(stdoutFile);
        p.start(QStringLiteral(KORDAVINA_EXE), args);
        TRun r;
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished();
            r.Err = QStringLiteral("timed out");
            return r;
        }
        r.Exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.Out = QString::fromUtf8(p.readAllStandardOutput());
        r.RawErr = p.readAllStandardError();
        r.Err = QString::fromUtf8(r.RawErr);
        return r;
    }

    // Exit 1, nothing on standard output, one line "path: reason" (Qt's own
    // notes about the run-time folder aside).
    void ExpectRefused(const TRun &r, const QString &path, const QString &reason)
    {
        QVERIFY2(r.Exit == 1, qPrintable(QStringLiteral("exit %1: %2").arg(r.Exit).arg(r.Err)));
        QVERIFY2(r.Out.isEmpty(), qPrintable(r.Out));
        const QString expected = PathError(path, reason) + u'\n';
        QVERIFY2(r.Err.endsWith(expected),
                 qPrintable(QStringLiteral("got: %1\nwanted: %2").arg(r.Err, expected)));
        QVERIFY(!r.Err.contains(QLatin1String("Unknown error")));
    }

    void WriteSlips(const QString &path, const QList<TUpl> &slips)
    {
        TUplFile f;
        f.FileName = path;
        for (const TUpl &u : slips)
            f.AddSlip(u);
        QString error;
        QVERIFY2(WriteUplFile(f, &error), qPrintable(error));
    }

    static TUpl Slip(const QString &opis, double iznos, bool marked = true)
    {
        TUpl u;
        u.Opis = opis;
        u.Posiljalac = QStringLiteral("Ivan Ivić, Zmaja od Bosne 12, Sarajevo");
        u.Primalac = QStringLiteral("Elektroprivreda BiH");
        u.Iznos = iznos;
        u.Oznacena = marked;
        return u;
    }

    // A CSV file of n slips, each named prefix and its number.
    void WriteCsv(const QString &path, const QString &prefix, int n)
    {
        QByteArray csv = "Opis;Iznos;Svrha\r\n";
        for (int i = 0; i < n; ++i)
            csv += QStringLiteral("%1 %2;%3,50;Svrha uplate broj %2\r\n")
                       .arg(prefix)
                       .arg(i)
                       .arg(i % 1000)
                       .toUtf8();
        QVERIFY(WriteAll(path, csv));
    }

    // Files in the folder, hidden ones too: a temporary or lock file left
    // behind shows here.
    QStringList Entries(const QString &folder) const
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    void WriteFormats(const QString &width, const QString &height)
    {
        QVERIFY(WriteAll(Path("home/Formats.ini"),
                         Win1250::Encode(QStringLiteral("[]\r\nDefault=Široka\r\n\r\n[Široka]\r\n"
                                                        "Width=%1\r\nHeight=%2\r\n")
                                             .arg(width, height))));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(Path("home")));
        WriteSlips(Path("a.upl"), {Slip("Struja", 12.5)});
        QList<TUpl> many;
        for (int i = 0; i < 150; ++i)
            many << Slip(QStringLiteral("Uplatnica %1").arg(i), i + 0.5);
        WriteSlips(Path("many.upl"), many);
    }
    void init() { WriteFormats("176", "100"); }

    void fullDiskKeepsEarlierFiles()
    {
        TFullDisk disk;
        if (!disk.Valid())
            QSKIP("cannot mount a small tmpfs here (needs root)");
        const QString upl = disk.Path("c.upl");
        const QString pdf = disk.Path("o.pdf");
        QVERIFY(WriteAll(upl, "earlier slips"));
        QVERIFY(WriteAll(pdf, "earlier pdf"));
        const QString full = SystemErrorText(ENOSPC);

        QVERIFY(disk.Fill());
        ExpectRefused(Kordavina({"convert", Path("a.upl"), upl}), upl, full);
        ExpectRefused(Kordavina({"print", Path("a.upl"), "--pdf", pdf}), pdf, full);
        ExpectRefused(Kordavina({"grid", "--pdf", pdf}), pdf, full);
        // A large job that fills the disk part way through its PDF.
        disk.Free();
        QVERIFY(disk.Fill(20000));
        ExpectRefused(Kordavina({"print", Path("many.upl"), "--pdf", pdf}), pdf, full);
        QCOMPARE(ReadAll(upl), QByteArray("earlier slips"));
        QCOMPARE(ReadAll(pdf), QByteArray("earlier pdf"));
        QCOMPARE(disk.Entries(), (QStringList{"c.upl", "o.pdf"}));

        // With room again the same commands replace the files whole.
        disk.Free();
        QCOMPARE(Kordavina({"convert", Path("a.upl"), upl}).Exit, 0);
        QCOMPARE(ReadAll(upl), ReadAll(Path("a.upl")));
        const TRun r = Kordavina({"print", Path("many.upl"), "--pdf", pdf});
        QVERIFY2(r.Exit == 0, qPrintable(r.Err));
        QCOMPARE(CheckPdfComplete(pdf), QString());
        QCOMPARE(disk.Entries(), (QStringList{"c.upl", "o.pdf"}));
    }

    void outputThatIsAnInputIsRefused()
    {
        const QString a = Path("a.upl");
        const QByteArray before = ReadAll(a);
        const QString link = Path("link.upl");
        QVERIFY(QFile::link(a, link));
        const QString formats = Path("home/Formats.ini");
        const QByteArray formatsBefore = ReadAll(formats);
        const QString isInput =
            QStringLiteral("to je ulazna datoteka %1; izlaz mora biti druga datoteka");

        ExpectRefused(Kordavina({"print", a, "--pdf", a}), a, isInput.arg(a));
        ExpectRefused(Kordavina({"print", a, "--pdf", link}), link, isInput.arg(a));
        ExpectRefused(Kordavina({"convert", a, link}), link, isInput.arg(a));
        ExpectRefused(Kordavina({"convert", a, a}), a, isInput.arg(a));
        ExpectRefused(Kordavina({"print", a, "--pdf", formats}), formats, isInput.arg(formats));
        ExpectRefused(Kordavina({"grid", "--pdf", formats}), formats, isInput.arg(formats));
        QCOMPARE(ReadAll(a), before);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(ReadAll(formats), formatsBefore);
    }

    void specialFilesAreNotReplaced()
    {
#ifndef Q_OS_UNIX
        QSKIP("FIFOs and device files are Unix ones");
#else
        const QString fifo = Path("out.fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QStringList targets = {fifo, Path("folder")};
        QVERIFY(QDir().mkdir(targets.last()));
        // A full device of our own, so that a fault cannot replace the system's.
        const QString device = Path("full");
        if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0)
            targets << device;
        for (const QString &t : targets) {
            ExpectRefused(Kordavina({"convert", Path("a.upl"), t}), t, NotRegularFileText());
            ExpectRefused(Kordavina({"print", Path("a.upl"), "--pdf", t}), t, NotRegularFileText());
            ExpectRefused(Kordavina({"grid", "--pdf", t}), t, NotRegularFileText());
        }
        QVERIFY(IsFifo(fifo));
        QVERIFY(QFileInfo(Path("folder")).isDir());
        if (targets.size() == 3) {
            struct stat st;
            QVERIFY(::stat(QFile::encodeName(device).constData(), &st) == 0 && S_ISCHR(st.st_mode));
        }
#endif
    }

    void specialInputsAreRefusedPromptly()
    {
#ifndef Q_OS_UNIX
        QSKIP("FIFOs and device files are Unix ones");
#else
        const QString fifo = Path("in.fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString pipe = QStringLiteral("nije obična datoteka (imenovana cijev)");
        const QString device = QStringLiteral("nije obična datoteka (uređaj)");
        const QString folder = QStringLiteral("nije obična datoteka (mapa)");
        ExpectRefused(Kordavina({"dump", fifo}, {}, {}, 10000), fifo, pipe);
        ExpectRefused(Kordavina({"print", fifo, "--pdf", Path("x.pdf")}, {}, {}, 10000), fifo,
                      pipe);
        ExpectRefused(Kordavina({"preview", fifo}, {}, {}, 10000), fifo, pipe);
        ExpectRefused(Kordavina({"dump", m_dir.path()}), m_dir.path(), folder);
        ExpectRefused(Kordavina({"preview", m_dir.path()}), m_dir.path(), folder);
        // Endless devices, under a memory limit that reading them whole would hit.
        for (const char *dev : {"/dev/zero", "/dev/urandom"}) {
            QProcess sh;
            sh.setWorkingDirectory(m_dir.path());
            sh.start(
                QStringLiteral("/bin/sh"),
                {"-c",
                 QStringLiteral("ulimit -v 4000000; exec \"$0\" dump %1").arg(QLatin1String(dev)),
                 QStringLiteral(KORDAVINA_EXE)});
            QVERIFY(sh.waitForFinished(10000));
            QCOMPARE(sh.exitCode(), 1);
            QCOMPARE(QString::fromUtf8(sh.readAllStandardError()),
                     PathError(QLatin1String(dev), device) + u'\n');
        }
        // Formats.ini as a FIFO or a folder: named, not waited on.
        const QString formats = Path("home/Formats.ini");
        QVERIFY(QFile::remove(formats));
        QCOMPARE(::mkfifo(QFile::encodeName(formats).constData(), 0600), 0);
        ExpectRefused(Kordavina({"print", Path("a.upl"), "--pdf", Path("x.pdf")}, {}, {}, 10000),
                      formats, pipe);
        ExpectRefused(Kordavina({"grid", "--pdf", Path("x.pdf")}, {}, {}, 10000), formats, pipe);
        QVERIFY(QFile::remove(formats));
        QVERIFY(QDir().mkdir(formats));
        ExpectRefused(Kordavina({"grid", "--pdf", Path("x.pdf")}), formats, folder);
        QVERIFY(QDir().rmdir(formats));
        // The settings store too: QSettings would wait on a FIFO for ever.
        const QStringList settings = {QStringLiteral("KORDAVINA_SETTINGS=") + fifo};
        ExpectRefused(Kordavina({"grid", "--pdf", Path("x.pdf")}, settings, {}, 10000), fifo,
                      NotRegularFileText());
        ExpectRefused(Kordavina({Path("a.upl")}, settings, {}, 10000), fifo, NotRegularFileText());
        QVERIFY(!QFile::exists(Path("x.pdf")));
#endif
    }

    void emptyOutputNameIsWrongUsage()
    {
        // Not "no PDF, so the default printer".
        for (const QStringList &args :
             {QStringList{"print", Path("a.upl"), "--pdf", ""}, QStringList{"grid", "--pdf", ""}}) {
            const TRun r = Kordavina(args, {"CUPS_SERVER=127.0.0.1:9"});
            QCOMPARE(r.Exit, 2);
            QVERIFY2(r.Err.contains(QLatin1String("--pdf needs one value")), qPrintable(r.Err));
        }
    }

    void failedStandardOutputIsReported()
    {
        if (!QFile::exists("/dev/full"))
            QSKIP("no /dev/full");
        const TRun r = Kordavina({"dump", Path("a.upl")}, {}, QStringLiteral("/dev/full"));
        QCOMPARE(r.Exit, 1);
        QCOMPARE(r.Err, PathError("/dev/full", SystemErrorText(ENOSPC)) + u'\n');
    }

    void unprintableFormatsAreRefused_data()
    {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("message");
        const QString w = QStringLiteral("Format 'Široka': širina %1 mm nije moguća");
        const QString h = QStringLiteral("Format 'Široka': visina %1 mm nije moguća");
        QTest::newRow("-176") << "-176"
                              << "100" << w.arg("-176");
        QTest::newRow("0") << "0"
                           << "100" << w.arg("0");
        QTest::newRow("0.1") << "0.1"
                             << "100" << w.arg("0.1");
        QTest::newRow("1e308") << "1e308"
                               << "100" << w.arg("1e+308");
        QTest::newRow("1e6") << "1e6"
                             << "100" << w.arg("1000000");
        QTest::newRow("height -176") << "176"
                                     << "-176" << h.arg("-176");
        QTest::newRow("height 1e308") << "176"
                                      << "1e308" << h.arg("1e+308");
    }
    void unprintableFormatsAreRefused()
    {
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, message);
        WriteFormats(width, height);
        const QString pdf = Path("f.pdf");
        QVERIFY(WriteAll(pdf, "earlier"));
        for (const QStringList &args : {QStringList{"print", Path("a.upl"), "--pdf", pdf},
                                        QStringList{"grid", "--pdf", pdf}}) {
            const TRun r = Kordavina(args);
            QCOMPARE(r.Exit, 1);
            QVERIFY2(r.Err.contains(message + QStringLiteral(" (dozvoljeno od 10 do 1000 mm)\n")),
                     qPrintable(r.Err));
        }
        QCOMPARE(ReadAll(pdf), QByteArray("earlier"));
    }

    void unprintableAmountsAreRefused()
    {
        const double inf = std::numeric_limits<double>::infinity();
        const QString notANumber = QStringLiteral("Uplatnica 'Loša': iznos nije broj\n");
        const struct
        {
            double amount;
            QString message;
        } cases[] = {
            {std::nan(""), notANumber},
            {inf, notANumber},
            {-inf, notANumber},
            {1e300, QStringLiteral("Uplatnica 'Loša': iznos je prevelik (najviše 13 cifara "
                                   "prije decimalnog zareza)\n")},
        };
        const QString pdf = Path("amount.pdf");
        for (const auto &c : cases) {
            const QString upl = Path("bad-amount.upl");
            WriteSlips(upl, {Slip("Dobra", 1, true), Slip("Loša", c.amount, false)});
            QVERIFY(WriteAll(pdf, "earlier"));
            const TRun r = Kordavina({"print", upl, "--pdf", pdf});
            QCOMPARE(r.Exit, 1);
            QVERIFY2(r.Err.endsWith(c.message), qPrintable(r.Err));
            QCOMPARE(ReadAll(pdf), QByteArray("earlier"));
            // Not among the slips printed: no obstacle.
            const TRun marked = Kordavina({"print", upl, "--pdf", pdf, "--marked"});
            QVERIFY2(marked.Exit == 0, qPrintable(marked.Err));
            QCOMPARE(CheckPdfComplete(pdf), QString());
        }
    }

    void windowsWithoutAScreenSaySo()
    {
        const QString none =
            QStringLiteral("nema ekrana (DISPLAY nije postavljen); potreban je grafički ekran\n");
        const QStringList noScreen = {"-DISPLAY", "-WAYLAND_DISPLAY", "-QT_QPA_PLATFORM"};
        TRun r = Kordavina({"preview", Path("a.upl")}, noScreen);
        QCOMPARE(r.Exit, 1);
        QCOMPARE(r.Err, QStringLiteral("preview: ") + none);
        r = Kordavina({Path("a.upl")}, noScreen);
        QCOMPARE(r.Exit, 1);
        QCOMPARE(r.Err, QStringLiteral("kordavina: ") + none);
        // A display that is named but cannot be reached.
        r = Kordavina({"preview", Path("a.upl")},
                      {"-WAYLAND_DISPLAY", "-QT_QPA_PLATFORM", "DISPLAY=:97"});
        QCOMPARE(r.Exit, 1);
        QVERIFY2(r.Err.endsWith(QStringLiteral(
                     "preview: ekran :97 nije dostupan; potreban je grafički ekran\n")),
                 qPrintable(r.Err));
        // Printing needs no screen: an unreachable one is no obstacle.
        const QString pdf = Path("unreachable.pdf");
        r = Kordavina({"print", Path("a.upl"), "--pdf", pdf},
                      {"-WAYLAND_DISPLAY", "-QT_QPA_PLATFORM", "DISPLAY=:97"});
        QVERIFY2(r.Exit == 0, qPrintable(r.Err));
        QCOMPARE(CheckPdfComplete(pdf), QString());
        QVERIFY2(!r.Err.contains(QStringLiteral(":97")), qPrintable(r.Err)); // not even tried
    }

    void csvCommandsRefuseOutputOntoInput()
    {
        const QString a = Path("a.upl");
        const QByteArray before = ReadAll(a);
        const QString csv = Path("in.csv");
        WriteCsv(csv, "Red", 3);
        const QByteArray csvBefore = ReadAll(csv);
        const QString csvLink = Path("in-link.csv");
        const QString uplLink = Path("a-link.upl");
        QVERIFY(QFile::link(csv, csvLink));
        QVERIFY(QFile::link(a, uplLink));
        const QString isInput =
            QStringLiteral("to je ulazna datoteka %1; izlaz mora biti druga datoteka");
        ExpectRefused(Kordavina({"export-csv", a, a}), a, isInput.arg(a));
        ExpectRefused(Kordavina({"export-csv", a, uplLink}), uplLink, isInput.arg(a));
        ExpectRefused(Kordavina({"import-csv", csv, csv}), csv, isInput.arg(csv));
        ExpectRefused(Kordavina({"import-csv", csv, csvLink}), csvLink, isInput.arg(csv));
        ExpectRefused(Kordavina({"import-csv", csv, csvLink, "--append"}), csvLink,
                      isInput.arg(csv));
        QCOMPARE(ReadAll(a), before);
        QCOMPARE(ReadAll(csv), csvBefore);
        QVERIFY(QFileInfo(csvLink).isSymLink() && QFileInfo(uplLink).isSymLink());
    }

    void csvCommandsWithSpecialFiles()
    {
#ifndef Q_OS_UNIX
        QSKIP("FIFOs and device files are Unix ones");
#else
        const QString csv = Path("sp.csv");
        WriteCsv(csv, "Red", 2);
        const QString fifo = Path("csv.fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QStringList targets = {fifo, Path("csvfolder")};
        QVERIFY(QDir().mkdir(targets.last()));
        const QString device = Path("csvfull");
        if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0)
            targets << device;
        for (const QString &t : targets) {
            ExpectRefused(Kordavina({"export-csv", Path("a.upl"), t}, {}, {}, 10000), t,
                          NotRegularFileText());
            ExpectRefused(Kordavina({"import-csv", csv, t}, {}, {}, 10000), t,
                          NotRegularFileText());
        }
        QVERIFY(IsFifo(fifo));
        // Inputs: refused at once, never waited on nor read without end.
        const QString pipe = QStringLiteral("nije obična datoteka (imenovana cijev)");
        ExpectRefused(Kordavina({"import-csv", fifo, Path("o.upl")}, {}, {}, 10000), fifo, pipe);
        ExpectRefused(Kordavina({"export-csv", fifo, Path("o.csv")}, {}, {}, 10000), fifo, pipe);
        for (const char *dev : {"/dev/zero", "/dev/urandom"}) {
            QProcess sh;
            sh.setWorkingDirectory(m_dir.path());
            sh.start(QStringLiteral("/bin/sh"),
                     {"-c",
                      QStringLiteral("ulimit -v 4000000; exec \"$0\" import-csv %1 o.upl")
                          .arg(QLatin1String(dev)),
                      QStringLiteral(KORDAVINA_EXE)});
            QVERIFY(sh.waitForFinished(10000));
            QCOMPARE(sh.exitCode(), 1);
            QCOMPARE(
                QString::fromUtf8(sh.readAllStandardError()),
                PathError(QLatin1String(dev), QStringLiteral("nije obična datoteka (uređaj)")) +
                    u'\n');
        }
        QVERIFY(!QFile::exists(Path("o.upl")) && !QFile::exists(Path("o.csv")));
#endif
    }

    void csvCommandsOnAReallyFullDisk()
    {
        TFullDisk disk;
        if (!disk.Valid())
            QSKIP("cannot mount a small tmpfs here (needs root)");
        const QString csv = Path("full.csv");
        WriteCsv(csv, "Red", 800);
        const QString out = disk.Path("o.csv");
        const QString upl = disk.Path("o.upl");
        QVERIFY(WriteAll(out, "earlier csv"));
        WriteSlips(upl, {Slip("Stara", 1)});
        const QByteArray uplBefore = ReadAll(upl);
        QVERIFY(disk.Fill(2000)); // room for a little, not for the whole
        const QString full = SystemErrorText(ENOSPC);
        ExpectRefused(Kordavina({"export-csv", Path("many.upl"), out}), out, full);
        ExpectRefused(Kordavina({"import-csv", csv, upl}), upl, full);
        ExpectRefused(Kordavina({"import-csv", csv, upl, "--append"}), upl, full);
        QCOMPARE(ReadAll(out), QByteArray("earlier csv"));
        QCOMPARE(ReadAll(upl), uplBefore);
        QCOMPARE(disk.Entries(), (QStringList{"o.csv", "o.upl"}));
        disk.Free();
        QCOMPARE(Kordavina({"import-csv", csv, upl, "--append"}).Exit, 0);
        QCOMPARE(ReadUplFile(upl).File->Count(), 801);
        QCOMPARE(disk.Entries(), (QStringList{"o.csv", "o.upl"}));
    }

    // Two appends onto one file at the same moment: both wait their turn,
    // and no slip of either is lost.
    void twoAppendsAtOnceLoseNothing()
    {
        const QString one = Path("one.csv");
        const QString two = Path("two.csv");
        WriteCsv(one, "Jedan", 300);
        WriteCsv(two, "Dva", 300);
        const QString target = Path("both.upl");
        QFile::remove(target);
        const int rounds = 8;
        for (int round = 0; round < rounds; ++round) {
            QProcess a, b;
            for (QProcess *p : {&a, &b}) {
                QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
                e.insert("KORDAVINA_HOME", Path("home"));
                e.insert("KORDAVINA_SETTINGS", Path("settings.ini"));
                p->setProcessEnvironment(e);
            }
            a.start(KORDAVINA_EXE, {"import-csv", one, target, "--append"});
            b.start(KORDAVINA_EXE, {"import-csv", two, target, "--append"});
            QVERIFY(a.waitForFinished(30000) && b.waitForFinished(30000));
            QVERIFY2(a.exitCode() == 0 && b.exitCode() == 0,
                     a.readAllStandardError() + b.readAllStandardError());
        }
        const TUplReadResult r = ReadUplFile(target);
        QCOMPARE(r.Status, TUplReadResult::Ok);
        QCOMPARE(r.File->Count(), rounds * 600);
        int ones = 0;
        for (const TUpl &u : r.File->Uplatnice)
            ones += u.Opis.startsWith(QLatin1String("Jedan"));
        QCOMPARE(ones, rounds * 300);
        QVERIFY(!Entries(m_dir.path()).contains("both.upl.lock"));
    }

    // Killed at a random moment, a writer leaves the earlier file whole (or
    // the new one whole) and, after the next run of the same command, no
    // temporary or lock file.
    void killedWritersLeaveNoTrace()
    {
#ifndef Q_OS_UNIX
        QSKIP("kill -9 is a Unix signal");
#else
        const QString folder = Path("kill");
        QVERIFY(QDir().mkpath(folder));
        const QString big = Path("big.csv");
        WriteCsv(big, "Red", 20000);
        QList<TUpl> slips;
        for (int i = 0; i < 3000; ++i)
            slips << Slip(QStringLiteral("Uplatnica %1").arg(i), i + 0.5);
        WriteSlips(Path("big.upl"), slips);
        const QString pdf = folder + "/out.pdf";
        const QString upl = folder + "/out.upl";
        const QString csv = folder + "/out.csv";
        const QList<QStringList> commands = {
            {"print", Path("many.upl"), "--pdf", pdf},
            {"convert", Path("big.upl"), upl},
            {"import-csv", big, upl, "--append"},
            {"export-csv", Path("big.upl"), csv},
        };
        QVERIFY(WriteAll(pdf, "earlier pdf"));
        QVERIFY(WriteAll(csv, "earlier csv"));
        WriteSlips(upl, {Slip("Stara", 1)});
        const QStringList files = {"out.csv", "out.pdf", "out.upl"};
        QRandomGenerator random(21);
        for (const QStringList &args : commands) {
            for (int run = 0; run < 4; ++run) {
                const QString target = args[0] == "print"        ? pdf
                                       : args[0] == "export-csv" ? csv
                                                                 : upl;
                const QByteArray before = ReadAll(target);
                QProcess p;
                QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
                e.insert("KORDAVINA_HOME", Path("home"));
                e.insert("KORDAVINA_SETTINGS", Path("settings.ini"));
                e.insert("QT_QPA_PLATFORM", "offscreen");
                p.setProcessEnvironment(e);
                p.start(KORDAVINA_EXE, args);
                QVERIFY(p.waitForStarted());
                QThread::msleep(20 + random.bounded(400));
                ::kill(pid_t(p.processId()), SIGKILL);
                p.waitForFinished();
                const QByteArray after = ReadAll(target);
                if (after != before) { // finished before the kill: whole
                    if (target == upl)
                        QCOMPARE(ReadUplFile(upl).Status, TUplReadResult::Ok);
                    else if (target == pdf)
                        QCOMPARE(CheckPdfComplete(pdf), QString());
                    else
                        QVERIFY(after.endsWith("\r\n"));
                }
            }
            // The next run cleans up after the killed ones.
            const TRun r = Kordavina(args);
            QVERIFY2(r.Exit == 0, qPrintable(args.join(' ') + ": " + r.Err));
            QCOMPARE(Entries(folder), files);
        }
#endif
    }

    void ownerKeptAndLongNames()
    {
#ifndef Q_OS_UNIX
        QSKIP("owners are Unix ones");
#else
        // print --pdf onto the longest name a file may have.
        const QString longPdf = Path(QString(251, u'x') + ".pdf");
        const TRun r = Kordavina({"print", Path("a.upl"), "--pdf", longPdf});
        QVERIFY2(r.Exit == 0, qPrintable(r.Err));
        QCOMPARE(CheckPdfComplete(longPdf), QString());
        QVERIFY(QFile::remove(longPdf));
        if (::geteuid() != 0)
            QSKIP("needs root to give a file to another user");
        // Root appending to a user's private file leaves it the user's.
        const QString csv = Path("own.csv");
        WriteCsv(csv, "Red", 2);
        const QString upl = Path("user.upl");
        WriteSlips(upl, {Slip("Korisnikova", 1)});
        const QByteArray name = QFile::encodeName(upl);
        QCOMPARE(::chown(name.constData(), 4321, 5432), 0);
        QCOMPARE(::chmod(name.constData(), 0600), 0);
        QCOMPARE(Kordavina({"import-csv", csv, upl, "--append"}).Exit, 0);
        struct stat st;
        QCOMPARE(::stat(name.constData(), &st), 0);
        QCOMPARE(int(st.st_uid), 4321);
        QCOMPARE(int(st.st_gid), 5432);
        QCOMPARE(int(st.st_mode & 07777), 0600);
        QCOMPARE(ReadUplFile(upl).File->Count(), 3);
#endif
    }

    // The program's own files, when they cannot be used, are named and stop
    // a command whose result would differ from what the user set.
    void unusableOwnFilesAreNamed()
    {
        const QString csv = Path("d.csv");
        WriteCsv(csv, "Red", 2);
        const QString out = Path("d.upl");
        const QString def = Path("home/Default1.upl");
        const QString bad = UplBadFormatText();
        // A default slip that is damaged, cut short, a folder.
        QVERIFY(WriteAll(def, "garbage"));
        TRun r = Kordavina({"import-csv", csv, out});
        QCOMPARE(r.Exit, 1);
        QVERIFY2(r.Err.startsWith(PathError(def, bad) + u'\n'), qPrintable(r.Err));
        QVERIFY(!QFile::exists(out));
        WriteSlips(def, {Slip("Zadana", 1)});
        QByteArray cut = ReadAll(def);
        cut.chop(10);
        QVERIFY(WriteAll(def, cut));
        QCOMPARE(Kordavina({"import-csv", csv, out}).Exit, 1);
        QVERIFY(QFile::remove(def) && QDir().mkdir(def));
        r = Kordavina({"import-csv", csv, out});
        QVERIFY2(r.Exit == 1 && r.Err.startsWith(def + ": nije obična datoteka (mapa)"),
                 qPrintable(r.Err));
        QVERIFY(QDir().rmdir(def));
        QCOMPARE(Kordavina({"import-csv", csv, out}).Exit, 0); // missing: no defaults

        // A damaged slip file as the target of --append or as export input.
        const QString damaged = Path("damaged.upl");
        QVERIFY(WriteAll(damaged, "not a slip file"));
        ExpectRefused(Kordavina({"import-csv", csv, damaged, "--append"}), damaged, bad);
        ExpectRefused(Kordavina({"export-csv", damaged, Path("x.csv")}), damaged, bad);
        QCOMPARE(ReadAll(damaged), QByteArray("not a slip file"));

#ifdef Q_OS_UNIX
        // A settings store that is a FIFO: named, never waited on.
        const QString fifo = Path("settings.fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QStringList settings = {QStringLiteral("KORDAVINA_SETTINGS=") + fifo};
        ExpectRefused(Kordavina({"paths"}, settings, {}, 10000), fifo, NotRegularFileText());
        ExpectRefused(
            Kordavina({"print", Path("a.upl"), "--pdf", Path("s.pdf")}, settings, {}, 10000), fifo,
            NotRegularFileText());
        QVERIFY(!QFile::exists(Path("s.pdf")));
        // One that cannot be read (root reads any file).
        if (::geteuid() != 0) {
            const QString locked = Path("locked.ini");
            QVERIFY(WriteAll(locked, "[General]\nThousandSep=1\n"));
            QVERIFY(QFile::setPermissions(locked, {}));
            ExpectRefused(Kordavina({"print", Path("a.upl"), "--pdf", Path("s.pdf")},
                                    {QStringLiteral("KORDAVINA_SETTINGS=") + locked}),
                          locked, SystemErrorText(EACCES));
        }
#endif
    }

    void unusableCorrectionsAreRefused_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("NaN shift") << "ShiftRight"
                                   << "nan";
        QTest::newRow("huge shift") << "ShiftDown"
                                    << "1e308";
        QTest::newRow("negative huge") << "ShiftRight"
                                       << "-1e308";
        QTest::newRow("scale -100") << "ScaleX"
                                    << "-100";
        QTest::newRow("scale 0") << "ScaleY"
                                 << "0";
        QTest::newRow("not a number") << "ScaleY"
                                      << "abc";
    }
    void unusableCorrectionsAreRefused()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QString ini = Path("corr.ini");
        QVERIFY(WriteAll(ini, QStringLiteral("[Correction]\nPX\\ShiftRight=1\nPX\\ShiftDown=1\n"
                                             "PX\\ScaleX=100\nPX\\ScaleY=100\nPX\\%1=%2\n")
                                  .arg(key, value)
                                  .toUtf8()));
        const QString pdf = Path("corr.pdf");
        const TRun r = Kordavina({"print", Path("a.upl"), "--pdf", pdf, "--correct-for", "PX"},
                                 {QStringLiteral("KORDAVINA_SETTINGS=") + ini});
        QCOMPARE(r.Exit, 1);
        QVERIFY2(r.Err.contains(QStringLiteral("Korekcija štampača \"PX\" nije upotrebljiva: "
                                               "%1 = „%2“")
                                    .arg(key, value)),
                 qPrintable(r.Err));
        QVERIFY(!QFile::exists(pdf));
    }

    void namesThatAreNotUtf8()
    {
#ifndef Q_OS_UNIX
        QSKIP("byte file names are Unix ones");
#else
        const QByteArray name = m_dir.path().toUtf8() + "/x\xff.upl";
        QVERIFY(WriteAll(QString::fromUtf8(m_dir.path().toUtf8() + "/placeholder"), "x"));
        QCOMPARE(::rename(QFile::encodeName(Path("placeholder")).constData(), name.constData()), 0);
        QProcess sh;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LC_ALL", "C.UTF-8");
        sh.setProcessEnvironment(env);
        sh.setWorkingDirectory(m_dir.path());
        sh.start(QStringLiteral("/bin/sh"), {"-c", "exec \"$0\" dump \"$(printf 'x\\377.upl')\"",
                                             QStringLiteral(KORDAVINA_EXE)});
        QVERIFY(sh.waitForFinished(10000));
        QCOMPARE(sh.exitCode(), 1);
        const QByteArray err = sh.readAllStandardError();
        QVERIFY2(err.startsWith("x\xff.upl: ime se ne mo"), err.constData());
        QVERIFY(err.contains("nije ispravan UTF-8"));
        QVERIFY(sh.readAllStandardOutput().isEmpty());
        // QTemporaryDir cannot name it to remove it.
        QCOMPARE(::unlink(name.constData()), 0);
#endif
    }
};

QTEST_GUILESS_MAIN(TestCliSafety)
#include "tst_cli_safety.moc"

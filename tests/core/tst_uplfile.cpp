#include "UplBytes.h"

#include "core/SafeFile.h"
#include "core/UplFileIO.h"
#include "core/Win1250.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace UplBytes;

namespace {

void CompareSlip(const TUpl &u, const RawSlip &s, int level)
{
    const QString texts[16] = {u.Opis,          u.RacunPosiljaoca, u.Posiljalac,    u.Svrha,
                               u.RacunPrimaoca, u.Primalac,        u.BrojObveznika, u.VrstaUplate,
                               u.VrstaPrihoda,  u.Opstina,         u.Poziv,         u.Budzetska,
                               u.PeriodOd,      u.PeriodDo,        u.DatumUplate,   u.MjestoUplate};
    for (int i = 0; i < 15; ++i)
        QCOMPARE(texts[i], Win1250::Decode(s.texts[i]));
    QCOMPARE(u.MjestoUplate, level >= 33 ? Win1250::Decode(s.texts[15]) : QString());
    QCOMPARE(u.Iznos, s.iznos);
    QCOMPARE(u.Hitno, s.hitno != 0);
    for (int i = 0; i < 15; ++i)
        QCOMPARE(u.Stanja[i], s.stanja[i]);
    QCOMPARE(u.Stanja[15], level >= 33 ? s.stanja[15] : 0);
    QCOMPARE(u.Oznacena, s.oznacena != 0);
    QCOMPARE(u.Procenat, level >= 22 ? s.procenat : 0.0f);
}

TUplFile Parse(const QByteArray &bytes)
{
    TUplReadResult r = ParseUplBytes(bytes, QStringLiteral("x.upl"));
    if (r.Status != TUplReadResult::Ok || !r.File) {
        TUplFile refused;
        refused.FileName = QStringLiteral("<refused>");
        return refused;
    }
    return *r.File;
}

// Runs WriteUplFile in a child process as user "nobody": 0 written, 1 refused
// with a reason, anything else a fault. For tests of permissions run as root.
int WriteAsNobody(TUplFile &f)
{
#ifdef Q_OS_UNIX
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        QString error;
        const bool ok = WriteUplFile(f, &error);
        _exit(ok ? 0 : error.isEmpty() ? 2 : 1);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
#else
    Q_UNUSED(f);
    return -1;
#endif
}

// Reads bytes through the chunked device reader and through the buffer
// parser; true when both give the same answer.
bool SameFromDevice(const QByteArray &bytes, qsizetype chunk)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const TUplReadResult a = ReadUplFrom(buffer, QStringLiteral("p"), chunk);
    const TUplReadResult b = ParseUplBytes(bytes, QStringLiteral("p"));
    if (a.Status != b.Status || a.Error != b.Error || a.Header != b.Header ||
        a.File.has_value() != b.File.has_value())
        return false;
    return !a.File || (UplFileToBytes(*a.File) == UplFileToBytes(*b.File) &&
                       a.File->FileName == b.File->FileName && a.File->Snimljena);
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestUplFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readsEveryVersion_data()
    {
        QTest::addColumn<QByteArray>("header");
        for (const QByteArray &h : AllHeaders())
            QTest::newRow(h.constData()) << h;
    }
    void readsEveryVersion()
    {
        QFETCH(QByteArray, header);
        const int level = LevelOf(header);
        const QList<RawSlip> slips = SampleSlips();
        const QByteArray bytes = BuildFile(header, "Napomena \x9a\r\ndrugi red", slips);

        const TUplReadResult r = ParseUplBytes(bytes, QStringLiteral("/tmp/a.upl"));
        QCOMPARE(r.Status, TUplReadResult::Ok);
        QVERIFY(r.Error.isEmpty());
        QCOMPARE(r.Header, QString::fromLatin1(header));
        QVERIFY(r.File.has_value());
        const TUplFile &f = *r.File;
        QCOMPARE(f.FileName, QStringLiteral("/tmp/a.upl"));
        QVERIFY(f.Snimljena);
        QCOMPARE(f.Napomene, QStringLiteral("Napomena š\r\ndrugi red"));
        QCOMPARE(f.Count(), 2);
        CompareSlip(f.Uplatnice[0], slips[0], level);
        CompareSlip(f.Uplatnice[1], slips[1], level);
        QCOMPARE(f.Uplatnice[0].Opis, QStringLiteral("Porez Šibenik"));
        QCOMPARE(f.Uplatnice[0].Primalac, QStringLiteral("Opština Centar Žepa"));

        // Written back in the current layout, whatever it was read from.
        TUplFile expected = f;
        QCOMPARE(Parse(UplFileToBytes(f)).Uplatnice, expected.Uplatnice);
        QVERIFY(UplFileToBytes(f).startsWith(QByteArray("\x0f\0\0\0Kordavina 3.3.2", 19)));
    }

    void sizesOfEmptyRecords_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<int>("slipSize");
        QTest::addColumn<int>("extra");
        QTest::newRow("1.0") << QByteArray("Kordavina 1.0") << 310 << 2;
        QTest::newRow("2.0") << QByteArray("Kordavina 2.0") << 310 << 2;
        QTest::newRow("2.2") << QByteArray("Kordavina 2.2") << 314 << 2;
        QTest::newRow("3.0") << QByteArray("Kordavina 3.0") << 134 << 0;
        QTest::newRow("3.2") << QByteArray("Kordavina 3.2") << 134 << 0;
        QTest::newRow("3.3.2") << QByteArray("Kordavina 3.3.2") << 142 << 0;
    }
    void sizesOfEmptyRecords()
    {
        QFETCH(QByteArray, header);
        QFETCH(int, slipSize);
        QFETCH(int, extra);
        const qsizetype base = 4 + header.size() + 4 + 4 + extra;
        QCOMPARE(BuildFile(header, {}, {}).size(), base);
        const QByteArray one = BuildFile(header, {}, {RawSlip{}});
        QCOMPARE(one.size(), base + slipSize);
        const TUplFile f = Parse(one);
        QCOMPARE(f.Count(), 1);
        QCOMPARE(f.Uplatnice[0], NewSlip());

        // Records laid out at the minimum size: the count check must not refuse them.
        const QByteArray three = BuildFile(header, {}, {RawSlip{}, RawSlip{}, RawSlip{}});
        QCOMPARE(Parse(three).Count(), 3);
    }

    void writesCurrentLayoutExactly()
    {
        TUplFile empty;
        const QByteArray e = UplFileToBytes(empty);
        QCOMPARE(e.size(), 27);
        QCOMPARE(e, QByteArray("\x0f\0\0\0Kordavina 3.3.2\0\0\0\0\0\0\0\0", 27));

        TUplFile one;
        one.AddSlip(NewSlip());
        const QByteArray o = UplFileToBytes(one);
        QCOMPARE(o.size(), 27 + 142);
        QCOMPARE(o.mid(27), QByteArray(142, '\0'));

        // Independent construction of the same bytes from raw values.
        TUplFile f = Parse(BuildFile("Kordavina 3.3.2", "n", SampleSlips()));
        QCOMPARE(UplFileToBytes(f), BuildFile("Kordavina 3.3.2", "n", SampleSlips()));
    }

    void currentVersionRoundTripsByteForByte_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("sample") << BuildFile("Kordavina 3.3.2", "Napomene", SampleSlips());
        QTest::newRow("no slips") << BuildFile("Kordavina 3.3.2", "samo napomene", {});
        QTest::newRow("empty") << BuildFile("Kordavina 3.3.2", {}, {});
        RawSlip odd;
        odd.iznos = -0.0;
        odd.procenat = -1e-30f;
        odd.stanja = {-1, 2147483647, -2147483647 - 1, 3};
        // Every byte value, including the five without a character.
        QByteArray all;
        for (int i = 1; i < 256; ++i)
            all.append(char(i));
        odd.texts[2] = all;
        QTest::newRow("odd values") << BuildFile("Kordavina 3.3.2", all, {odd});
        RawSlip nan;
        nan.iznos = std::numeric_limits<double>::quiet_NaN();
        nan.procenat = std::numeric_limits<float>::infinity();
        QTest::newRow("nan") << BuildFile("Kordavina 3.3.2", {}, {nan, nan});
    }
    void currentVersionRoundTripsByteForByte()
    {
        QFETCH(QByteArray, bytes);
        const TUplReadResult r = ParseUplBytes(bytes);
        QCOMPARE(r.Status, TUplReadResult::Ok);
        QCOMPARE(UplFileToBytes(*r.File), bytes);
    }

    void flagsAndTrailingBytes()
    {
        RawSlip s;
        s.hitno = 0x80;
        s.oznacena = 2;
        QByteArray bytes = BuildFile("Kordavina 3.3.2", {}, {s});
        const TUplFile f = Parse(bytes + "trailing garbage");
        QCOMPARE(f.Count(), 1);
        QVERIFY(f.Uplatnice[0].Hitno);
        QVERIFY(f.Uplatnice[0].Oznacena);
        s.hitno = 1;
        s.oznacena = 1;
        QCOMPARE(UplFileToBytes(f), BuildFile("Kordavina 3.3.2", {}, {s}));
    }

    // Equal texts are shared between slips; near-equal ones must not be.
    void repeatedTextsStayDistinct()
    {
        const QList<QByteArray> values = {"077",
                                          "078",
                                          "07",
                                          "0770",
                                          "",
                                          "\x8a"
                                          "077",
                                          QByteArray("077\0", 4)};
        QList<RawSlip> slips;
        for (int i = 0; i < 500; ++i) {
            RawSlip s;
            for (int t = 0; t < 16; ++t)
                s.texts[t] = values[(i * 7 + t * 3 + i / 11) % values.size()];
            s.texts[4] = QByteArray::number(i); // every one different
            slips << s;
        }
        TUplFile f = Parse(BuildFile("Kordavina 3.3.2", "077", slips));
        QCOMPARE(f.Count(), 500);
        for (int i = 0; i < 500; ++i)
            CompareSlip(f.Uplatnice[i], slips[i], 33);
        QVERIFY(!QTest::currentTestFailed());
        // Changing one slip's text leaves the others that held the same text.
        const QString before = f.Uplatnice[1].Opis;
        QCOMPARE(f.Uplatnice[1 + values.size()].Opis, before);
        f.Uplatnice[1].Opis[0] = u'X';
        QCOMPARE(f.Uplatnice[1 + values.size()].Opis, before);
    }

    void charactersOutsideTheCodePage()
    {
        TUplFile f;
        TUpl u;
        u.Opis = QStringLiteral("a\U0001F600ж€");
        f.AddSlip(u);
        const TUplFile back = Parse(UplFileToBytes(f));
        QCOMPARE(back.Count(), 1);
        // A surrogate pair is two UTF-16 units and becomes two '?'.
        QCOMPARE(back.Uplatnice[0].Opis, QStringLiteral("a???€"));
    }

    void refusesUnknownHeaders_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray rest = QByteArray(8, '\0');
        auto withHeader = [&](const QByteArray &h) { return ByteWriter().Text(h).Raw(rest).bytes; };
        QTest::newRow("lower case") << withHeader("kordavina 3.3.2");
        QTest::newRow("trailing blank") << withHeader("Kordavina 3.3.2 ");
        QTest::newRow("future") << withHeader("Kordavina 3.4");
        QTest::newRow("prefix") << withHeader("Kordavina 3");
        QTest::newRow("empty header") << withHeader("");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("negative length") << ByteWriter().Int(-15).Raw("Kordavina 3.3.2").bytes;
        QTest::newRow("huge length") << ByteWriter().Int(0x7fffffff).Raw("Kordavina 3.3.2").bytes;
        QTest::newRow("three bytes") << QByteArray("\x0f\0\0", 3);
        QTest::newRow("text file") << QByteArray("[Standard]\r\nWidth=176\r\n");
    }
    void refusesUnknownHeaders()
    {
        QFETCH(QByteArray, bytes);
        const TUplReadResult r = ParseUplBytes(bytes);
        QCOMPARE(r.Status, TUplReadResult::BadFormat);
        QCOMPARE(r.Error, QStringLiteral("Neispravna datoteka!"));
        QVERIFY(!r.File);
    }

    void refusesImpossibleSizes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        auto head = [] { return ByteWriter().Text("Kordavina 3.3.2").Text("n"); };
        QTest::newRow("negative count") << head().Int(-1).Raw(QByteArray(142, 0)).bytes;
        QTest::newRow("huge count") << head().Int(0x7fffffff).Raw(QByteArray(142, 0)).bytes;
        // Two minimal records' room, three announced.
        QTest::newRow("count beyond room") << head().Int(3).Raw(QByteArray(2 * 142 + 141, 0)).bytes;
        QTest::newRow("negative text") << head().Int(1).Int(-4).Raw(QByteArray(200, 0)).bytes;
        QTest::newRow("text past end") << head().Int(1).Int(1000).Raw(QByteArray(200, 0)).bytes;
        QTest::newRow("negative notes")
            << ByteWriter().Text("Kordavina 3.3.2").Int(-1).Int(0).bytes;
        RawSlip s;
        s.oldStateText = "x";
        QByteArray old = BuildFile("Kordavina 2.0", {}, {s});
        // The first old state entry's text length, made impossible.
        const qsizetype at = 4 + 13 + 4 + 2 + 4 + 15 * 4 + 9 + 4;
        QCOMPARE(old.mid(at, 5), QByteArray("\x01\0\0\0x", 5));
        qToLittleEndian<qint32>(-2, old.data() + at);
        QTest::newRow("old state text") << old;
    }
    void refusesImpossibleSizes()
    {
        QFETCH(QByteArray, bytes);
        const TUplReadResult r = ParseUplBytes(bytes);
        QCOMPARE(r.Status, TUplReadResult::BadFormat);
        QCOMPARE(r.Error, UplBadFormatText());
    }

    void refusesEveryTruncation_data()
    {
        QTest::addColumn<QByteArray>("header");
        for (const QByteArray &h : AllHeaders())
            QTest::newRow(h.constData()) << h;
    }
    void refusesEveryTruncation()
    {
        QFETCH(QByteArray, header);
        const QByteArray full = BuildFile(header, "notes", SampleSlips());
        QCOMPARE(ParseUplBytes(full).Status, TUplReadResult::Ok);
        for (qsizetype n = 0; n < full.size(); ++n) {
            // A copy of exactly n bytes, so the sanitizers see any read past it.
            const QByteArray part(full.constData(), n);
            const TUplReadResult r = ParseUplBytes(part);
            if (r.Status != TUplReadResult::BadFormat)
                QFAIL(
                    qPrintable(QStringLiteral("accepted %1 of %2 bytes").arg(n).arg(full.size())));
        }
    }

    // Seeded random damage: never a crash, and whatever is accepted survives a
    // second trip unchanged and holds no more slips than its bytes allow.
    void survivesRandomCorruption()
    {
        QRandomGenerator rng(20240611);
        QList<QByteArray> samples;
        for (const QByteArray &h : AllHeaders())
            samples << BuildFile(h, "notes", SampleSlips());
        int accepted = 0;
        const int rounds = 6000;
        for (int round = 0; round < rounds; ++round) {
            QByteArray b = samples[rng.bounded(samples.size())];
            const int edits = 1 + rng.bounded(4);
            for (int e = 0; e < edits && !b.isEmpty(); ++e) {
                const qsizetype at = rng.bounded(b.size());
                switch (rng.bounded(5)) {
                case 0: // flip a byte
                    b[at] = char(rng.bounded(256));
                    break;
                case 1: { // overwrite an int with an extreme or random value
                    static const qint32 values[] = {0,       -1,  1,  0x7fffffff, -0x7fffffff - 1,
                                                    0x10000, 142, 134};
                    qint32 v = rng.bounded(2) ? values[rng.bounded(8)] : qint32(rng.generate());
                    if (at + 4 <= b.size())
                        qToLittleEndian<qint32>(v, b.data() + at);
                    break;
                }
                case 2: // cut
                    b.truncate(at);
                    break;
                case 3: // remove a few bytes
                    b.remove(at, 1 + rng.bounded(8));
                    break;
                case 4: // insert a few bytes
                    b.insert(at, QByteArray(1 + rng.bounded(8), char(rng.bounded(256))));
                    break;
                }
            }
            const TUplReadResult r = ParseUplBytes(b);
            if (!SameFromDevice(b, 1 + rng.bounded(300)))
                QFAIL(qPrintable(QStringLiteral("readers disagree in round %1").arg(round)));
            if (r.Status == TUplReadResult::BadFormat) {
                QCOMPARE(r.Error, UplBadFormatText());
                continue;
            }
            QCOMPARE(r.Status, TUplReadResult::Ok);
            ++accepted;
            QVERIFY(r.File->Count() <= b.size() / 134);
            const QByteArray once = UplFileToBytes(*r.File);
            const TUplReadResult again = ParseUplBytes(once);
            QCOMPARE(again.Status, TUplReadResult::Ok);
            QCOMPARE(UplFileToBytes(*again.File), once);
        }
        // Some damage is harmless (a changed letter or amount); make sure
        // both outcomes were exercised.
        QVERIFY(accepted > 100);
        QVERIFY(accepted < rounds - 100);
    }

    // The file reader takes the file in chunks; it must agree with the parser
    // of whole buffers on every input, cut or damaged ones included, whatever
    // the chunk size.
    void chunkedReaderAgreesWithBufferParser_data()
    {
        QTest::addColumn<QByteArray>("header");
        for (const QByteArray &h : AllHeaders())
            QTest::newRow(h.constData()) << h;
    }
    void chunkedReaderAgreesWithBufferParser()
    {
        QFETCH(QByteArray, header);
        const QByteArray full = BuildFile(header, "notes", SampleSlips());
        for (qsizetype n = 0; n <= full.size(); ++n) {
            const QByteArray part = full.left(n);
            for (qsizetype chunk : {1, 3, 16, 100, 4096})
                QVERIFY2(SameFromDevice(part, chunk),
                         qPrintable(QStringLiteral("%1 bytes, chunk %2").arg(n).arg(chunk)));
        }
    }

    void readsLargeFilesInChunks()
    {
        // Records and texts across chunk ends, a text larger than a chunk,
        // and texts that repeat from chunk to chunk.
        QList<RawSlip> slips;
        for (int i = 0; i < 6000; ++i) {
            RawSlip s = SampleSlips()[i % 2];
            s.texts[4] = QByteArray::number(i % 37);
            s.texts[2] = QByteArray(i % 200, char('a' + i % 26));
            if (i == 3000)
                s.texts[5] = QByteArray(3 << 20, 'Z');
            slips << s;
        }
        const QByteArray big = BuildFile("Kordavina 3.2", QByteArray(1500000, '\x9a'), slips);
        QVERIFY(big.size() > (6 << 20));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("big.upl"));
        for (const QByteArray &b : {big, big.left(big.size() - 1), big.left(big.size() / 2)}) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(f.write(b), b.size());
            f.close();
            const TUplReadResult fromFile = ReadUplFile(path);
            const TUplReadResult fromBytes = ParseUplBytes(b, path);
            QCOMPARE(fromFile.Status, fromBytes.Status);
            if (fromBytes.File)
                QVERIFY(UplFileToBytes(*fromFile.File) == UplFileToBytes(*fromBytes.File));
        }
        QCOMPARE(ParseUplBytes(big).File->Count(), 6000);
        QVERIFY(SameFromDevice(big, 4093));

        // A length beyond the end is refused before anything is allocated for it.
        QVERIFY(SameFromDevice(ByteWriter().Text("Kordavina 3.3.2").Int(0x7ffffff0).Raw("a").bytes,
                               16));
        QVERIFY(SameFromDevice(ByteWriter().Int(0x7ffffff0).Raw("Kordavina 3.3.2").bytes, 16));
    }

    void readsFromDisk()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("Šifre.upl"));
        const QByteArray bytes = BuildFile("Kordavina 2.2", "n", SampleSlips());
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        const TUplReadResult r = ReadUplFile(path);
        QCOMPARE(r.Status, TUplReadResult::Ok);
        QCOMPARE(r.File->FileName, path);
        QCOMPARE(r.File->Count(), 2);

        const TUplReadResult missing = ReadUplFile(dir.filePath(QStringLiteral("nema.upl")));
        QCOMPARE(missing.Status, TUplReadResult::IoError);
        QVERIFY(!missing.File);
#ifdef Q_OS_WIN
        // Windows' errors the C library also knows read as they do on Linux.
        QCOMPARE(missing.Error, SystemErrorText(ENOENT));
#else
        QFile probe(dir.filePath(QStringLiteral("nema.upl")));
        QVERIFY(!probe.open(QIODevice::ReadOnly));
        QCOMPARE(missing.Error, probe.errorString());
#endif

        const TUplReadResult folder = ReadUplFile(dir.path());
        QVERIFY(folder.Status != TUplReadResult::Ok);
        QVERIFY(!folder.Error.isEmpty());
    }

    void writesAndMarksSaved()
    {
        QTemporaryDir dir;
        TUplFile f = Parse(BuildFile("Kordavina 3.0", "n", SampleSlips()));
        f.FileName = dir.filePath(QStringLiteral("nova.upl"));
        f.Snimljena = false;
        QString error;
        QVERIFY(WriteUplFile(f, &error));
        QVERIFY(error.isEmpty());
        QVERIFY(f.Snimljena);
        QCOMPARE(ReadAll(f.FileName), UplFileToBytes(f));
        const TUplReadResult back = ReadUplFile(f.FileName);
        QCOMPARE(back.Header, QStringLiteral("Kordavina 3.3.2"));
        QCOMPARE(back.File->Uplatnice, f.Uplatnice);
        QCOMPARE(back.File->Napomene, QStringLiteral("n"));
    }

    void failedWriteKeepsPreviousFile_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("missing folder") << QStringLiteral("nema/x.upl");
        QTest::newRow("target is a folder") << QStringLiteral("folder");
#ifdef Q_OS_UNIX // a Windows folder has no write permission to take away
        QTest::newRow("read-only folder") << QStringLiteral("ro/x.upl");
#endif
    }
    void failedWriteKeepsPreviousFile()
    {
        QFETCH(QString, where);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ro")));
        const QString roFile = dir.filePath(QStringLiteral("ro/x.upl"));
        const QByteArray previous = BuildFile("Kordavina 1.0", "staro", SampleSlips());
        {
            QFile f(roFile);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(previous);
        }
        // A folder nobody may write to, holding a file its owner may write.
        const QFileDevice::Permissions rx = QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                            QFileDevice::ReadOther | QFileDevice::ExeOther;
        QVERIFY(QFile::setPermissions(dir.path(), rx | QFileDevice::WriteOwner));
        QVERIFY(QFile::setPermissions(dir.filePath(QStringLiteral("ro")), rx));

        TUplFile f;
        f.FileName = dir.filePath(where);
        f.Snimljena = false;
        f.AddSlip(NewSlip());
        QString error;
        if (where.startsWith(u"ro") && QFileInfo(dir.filePath(QStringLiteral("ro"))).isWritable()) {
            // Permissions do not bind root: write as an unprivileged user instead.
            QCOMPARE(WriteAsNobody(f), 1);
            QCOMPARE(ReadAll(roFile), previous);
            // The same user can write once the folder lets it: the refusal above
            // came from the folder, not from how the child was set up.
            const QString open = dir.filePath(QStringLiteral("folder"));
            QVERIFY(QFile::setPermissions(open, rx | QFileDevice::WriteOther));
            TUplFile g = f;
            g.FileName = open + QStringLiteral("/y.upl");
            QCOMPARE(WriteAsNobody(g), 0);
            QCOMPARE(ReadAll(g.FileName), UplFileToBytes(g));
        } else {
            QVERIFY(!WriteUplFile(f, &error));
            QVERIFY(!error.isEmpty());
            QVERIFY(!f.Snimljena);
        }
        QCOMPARE(ReadAll(roFile), previous);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder"))).isDir());
        QCOMPARE(QDir(dir.filePath(QStringLiteral("ro"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("x.upl")});
        QFile::setPermissions(dir.filePath(QStringLiteral("ro")), rx | QFileDevice::WriteOwner);
    }

    // A write that fails part-way (a full disk, a quota) leaves the old file
    // byte-identical and no temporary file behind.
    void failureInTheMiddleOfWriting()
    {
#ifdef Q_OS_UNIX
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.upl"));
        const QByteArray previous = BuildFile("Kordavina 3.1", "staro", SampleSlips());
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(previous);
        }
        TUplFile big;
        big.FileName = path;
        big.Snimljena = false;
        TUpl u;
        u.Posiljalac = QString(150, u'x');
        for (int i = 0; i < 2000; ++i)
            big.AddSlip(u);
        QVERIFY(UplFileToBytes(big).size() > 100000);

        // The kernel refuses to let files grow past the limit (EFBIG).
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit limited = old;
        limited.rlim_cur = 50000;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        QString error;
        const bool ok = WriteUplFile(big, &error);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!ok);
        QVERIFY2(!error.isEmpty(), "the system's reason is passed on");
        QVERIFY(!big.Snimljena);
        QCOMPARE(ReadAll(path), previous);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("x.upl")});

        // Without the limit the same write goes through.
        QVERIFY(WriteUplFile(big, &error));
        QCOMPARE(ReadAll(path), UplFileToBytes(big));
#else
        QSKIP("needs RLIMIT_FSIZE");
#endif
    }
};

QTEST_GUILESS_MAIN(TestUplFile)
#include "tst_uplfile.moc"

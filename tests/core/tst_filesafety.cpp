// Every reader and writer of the program against what a hostile user or a
// failing disk brings: a really full file system, a failing write, FIFOs and
// devices in place of files, an output that is the input.

#include "FileBytes.h"
#include "FullDisk.h"

#include "catalogues/CatalogueStore.h"
#include "core/IniFile.h"
#include "core/SafeFile.h"
#include "core/SafeFileFaults.h"
#include "core/UplFileIO.h"
#include "print/formats/FormatStore.h"

#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <functional>
#include <future>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace {

// One writer of the program: writes something to path, false and the
// message on failure. Messages must carry the path when the writer's
// contract says so (the INI stores).
struct TWriterCase
{
    const char *Name;
    bool MessageNamesPath;
    std::function<bool(const QString &path, QString *error)> Write;
};

TUplFile SlipFile(const QString &path, int slips)
{
    TUplFile f;
    f.FileName = path;
    f.Napomene = QStringLiteral("napomena");
    for (int i = 0; i < slips; ++i) {
        TUpl u;
        u.Opis = QStringLiteral("Uplatnica %1 sa dosta teksta da bude veća").arg(i);
        u.Primalac = QStringLiteral("Primalac d.o.o. Sarajevo");
        u.Iznos = i + 0.25;
        f.AddSlip(u);
    }
    return f;
}

QList<TWriterCase> Writers(int size)
{
    return {
        {"slip file", false,
         [size](const QString &path, QString *error) {
             TUplFile f = SlipFile(path, size);
             const bool ok = WriteUplFile(f, error);
             return ok && f.Snimljena;
         }},
        {"INI store", true,
         [size](const QString &path, QString *error) {
             TIniFile ini(path);
             for (int i = 0; i < size; ++i)
                 ini.WriteString(QStringLiteral("S"), QStringLiteral("k%1").arg(i),
                                 QStringLiteral("vrijednost %1").arg(i));
             return ini.Save(error);
         }},
        {"Formats.ini", true,
         [size](const QString &path, QString *error) {
             TFormatStore store;
             // The earlier file is a valid store; one that cannot be read
             // makes Flush refuse, which is what is checked.
             store.Open(path);
             for (int i = 0; i < qMax(1, size / 25); ++i)
                 store.WriteFormat(QStringLiteral("Format %1").arg(i), TFieldFormats());
             return store.Flush(error);
         }},
        {"catalogue", true,
         [size](const QString &path, QString *error) {
             TCatalogue c;
             for (int i = 0; i < size; ++i)
                 c.Add(QString::number(100 + i), QStringLiteral("Opština %1").arg(i));
             return SaveCatalogue(path, TCatalogueKind::Opstine, c, error);
         }},
        {"senders", true,
         [size](const QString &path, QString *error) {
             TSenderCatalogue s;
             for (int i = 0; i < size; ++i)
                 s.Add({QString::number(i), QStringLiteral("Pošiljalac %1").arg(i),
                        QStringLiteral("1234567890123456"), QString()});
             return SaveSenders(path, s, error);
         }},
        {"atomic writer", false,
         [size](const QString &path, QString *error) {
             return WriteFileAtomically(path, QByteArray(size * 40, 'x'), error);
         }},
    };
}

// A file each writer can read back as its own (an INI text is also a valid
// slip file for none, which WriteUplFile does not read).
const QByteArray Earlier = "[Stari]\r\nKey=earlier\r\n";

#ifdef Q_OS_UNIX
// Runs call on another thread; a call that blocks (on a FIFO) is released
// after a few seconds by opening the FIFO's other end, and reported.
bool ReturnsPromptly(const std::function<void()> &call, const QString &fifo)
{
    auto done = std::async(std::launch::async, call);
    if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready)
        return true;
    const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK);
    done.wait();
    if (fd >= 0)
        ::close(fd);
    return false;
}
#endif

} // namespace

class TestFileSafety : public QObject
{
    Q_OBJECT

    // The writer refused; the message is the system's, named; the earlier
    // file is byte for byte as it was and no temporary file is left.
    void CheckRefused(const TWriterCase &w, const QString &path, bool ok, const QString &error,
                      const QString &reason, const QStringList &entriesBefore,
                      const QStringList &entriesAfter)
    {
        const QString what = QString::fromLatin1(w.Name) + QStringLiteral(": ") + error;
        QVERIFY2(!ok, qPrintable(what));
        QVERIFY2(error.endsWith(reason), qPrintable(what));
        QVERIFY2(!error.contains(QLatin1String("Unknown error")), qPrintable(what));
        if (w.MessageNamesPath)
            QVERIFY2(error.startsWith(QStringLiteral("Unable to write to %1: ").arg(path)),
                     qPrintable(what));
        QCOMPARE(ReadAll(path), Earlier);
        QCOMPARE(entriesAfter, entriesBefore);
    }

private Q_SLOTS:
    void everyWriterOnAReallyFullDisk()
    {
        // Small files fail where QSaveFile writes its buffer inside commit();
        // large ones fail part way through their writes.
        for (const int size : {1, 600}) {
            for (const TWriterCase &w : Writers(size)) {
                TFullDisk disk;
                if (!disk.Valid())
                    QSKIP("cannot mount a small tmpfs here (needs root)");
                const QString path = disk.Path(QStringLiteral("target"));
                QVERIFY(WriteAll(path, Earlier));
                QVERIFY(disk.Fill(size == 1 ? 0 : 8192));
                const QStringList before = disk.Entries();
                QString error;
                const bool ok = w.Write(path, &error);
                CheckRefused(w, path, ok, error, SystemErrorText(ENOSPC), before, disk.Entries());
                if (QTest::currentTestFailed())
                    return;
                // With room again the same write goes through.
                disk.Free();
                error.clear();
                QVERIFY2(w.Write(path, &error), qPrintable(error));
                QVERIFY(ReadAll(path) != Earlier);
                QCOMPARE(disk.Entries(), before);
            }
        }
    }

    void everyWriterWithAnInjectedFailure()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("target"));
        const QStringList before = {QStringLiteral("target")};
        // At the first byte and part way (every writer writes more).
        for (const qint64 after : {qint64(0), qint64(5000)}) {
            for (const TWriterCase &w : Writers(600)) {
                QVERIFY(WriteAll(path, Earlier));
                InjectWriteFailure(EIO, after);
                QString error;
                const bool ok = w.Write(path, &error);
                InjectWriteFailure(0);
                CheckRefused(w, path, ok, error, SystemErrorText(EIO), before,
                             QDir(dir.path()).entryList(QDir::Files | QDir::Hidden));
                if (QTest::currentTestFailed())
                    return;
            }
        }
        // The failure ended, the writers write again.
        QString error;
        QVERIFY2(Writers(10).at(0).Write(path, &error), qPrintable(error));
    }

    void everyWriterWithAFailingSync()
    {
#ifndef Q_OS_UNIX
        QSKIP("the flush is injected on Unix");
#else
        // The data written whole, but the disk cannot keep it: the old file stays.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("target"));
        const QStringList before = {QStringLiteral("target")};
        for (const TWriterCase &w : Writers(600)) {
            QVERIFY(WriteAll(path, Earlier));
            InjectSyncFailure(EIO);
            QString error;
            const bool ok = w.Write(path, &error);
            InjectSyncFailure(0);
            CheckRefused(w, path, ok, error, SystemErrorText(EIO), before,
                         QDir(dir.path()).entryList(QDir::Files | QDir::Hidden));
            if (QTest::currentTestFailed())
                return;
        }
#endif
    }

    void specialFilesAreNeverRead()
    {
#ifndef Q_OS_UNIX
        QSKIP("FIFOs and device files are Unix ones");
#else
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString folder = dir.filePath(QStringLiteral("folder"));
        QVERIFY(QDir().mkdir(folder));
        const struct
        {
            QString path;
            QString reason;
        } specials[] = {
            {fifo, QStringLiteral("nije obična datoteka (imenovana cijev)")},
            {QStringLiteral("/dev/zero"), QStringLiteral("nije obična datoteka (uređaj)")},
            {QStringLiteral("/dev/urandom"), QStringLiteral("nije obična datoteka (uređaj)")},
            {folder, QStringLiteral("nije obična datoteka (mapa)")},
        };
        for (const auto &s : specials) {
            const QString path = s.path;
            QStringList errors;
            const bool returned = ReturnsPromptly(
                [&] {
                    QString e;
                    const TUplReadResult r = ReadUplFile(path);
                    errors << (r.Status == TUplReadResult::IoError ? r.Error : QString());
                    errors << (ReadRegularFile(path, &e) ? QString() : e);
                    TIniFile ini(path);
                    e.clear();
                    errors << (ini.Load(&e) ? QString() : e);
                    TFormatStore store;
                    e.clear();
                    errors << (store.Open(path, &e) ? QString() : e);
                    TCatalogue c;
                    e.clear();
                    errors << (LoadCatalogue(path, TCatalogueKind::Racuni, c, &e) ? QString() : e);
                },
                fifo);
            QVERIFY2(returned, qPrintable(path + QStringLiteral(": a reader blocked")));
            QCOMPARE(errors, QStringList(5, s.reason));
        }
#endif
    }

    void specialFilesAreNeverReplaced()
    {
#ifndef Q_OS_UNIX
        QSKIP("FIFOs and device files are Unix ones");
#else
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QStringList targets = {fifo, dir.filePath(QStringLiteral("folder"))};
        QVERIFY(QDir().mkdir(targets.last()));
        // A null device of our own: replacing the system's would harm the machine.
        const QString device = dir.filePath(QStringLiteral("null"));
        if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
            targets << device;
        for (const QString &target : targets) {
            const QFileInfo was(target);
            for (const TWriterCase &w : Writers(3)) {
                QString error;
                QVERIFY2(!w.Write(target, &error), w.Name);
                QVERIFY2(error.endsWith(NotRegularFileText()) ||
                             error.contains(NotRegularFileText() + QStringLiteral(" (")),
                         qPrintable(error));
                if (w.MessageNamesPath)
                    QVERIFY2(error.contains(target), qPrintable(error));
            }
            struct stat now;
            QCOMPARE(::stat(QFile::encodeName(target).constData(), &now), 0);
            QVERIFY(!S_ISREG(now.st_mode));
            QCOMPARE(QFileInfo(target).isDir(), was.isDir());
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
                 targets.size() - 1);
#endif
    }

    void outputThatIsAnInputIsRefused()
    {
        QTemporaryDir dir;
        const QString input = dir.filePath(QStringLiteral("a.upl"));
        const QString other = dir.filePath(QStringLiteral("b.upl"));
        QVERIFY(WriteAll(input, "in"));
        QVERIFY(WriteAll(other, "other"));
        const QString symlink = dir.filePath(QStringLiteral("link.upl"));
        const QString hardlink = dir.filePath(QStringLiteral("hard.upl"));
        QVERIFY(QFile::link(input, symlink));
#ifdef Q_OS_UNIX
        QCOMPARE(
            ::link(QFile::encodeName(input).constData(), QFile::encodeName(hardlink).constData()),
            0);
#endif
        const QString refused =
            QStringLiteral("to je ulazna datoteka %1; izlaz mora biti druga datoteka").arg(input);
        QCOMPARE(CheckOutputPath(input, {QString(), input}), refused);
        QCOMPARE(CheckOutputPath(symlink, {other, input}), refused);
        QCOMPARE(CheckOutputPath(dir.filePath(QStringLiteral("./a.upl")), {input}), refused);
#ifdef Q_OS_UNIX
        QCOMPARE(CheckOutputPath(hardlink, {input}), refused);
#endif
        QCOMPARE(CheckOutputPath(other, {input}), QString());
        QCOMPARE(CheckOutputPath(dir.filePath(QStringLiteral("new.upl")), {input}), QString());

        // The writers themselves take the same inputs.
        TAtomicWriter w(symlink);
        QVERIFY(!w.Open({input}));
        QCOMPARE(w.ErrorText(), refused);
        QVERIFY(!w.Write("x", 1));
        QCOMPARE(ReadAll(input), QByteArray("in"));
        QString error;
        QVERIFY(!WriteFileAtomically(input, "new", &error, {input}));
        QCOMPARE(error, refused);
        // Through a link to a regular file that is no input, the file it
        // points to is replaced and the link stays.
        QVERIFY(WriteFileAtomically(symlink, "new", &error, {other}));
        QVERIFY(QFileInfo(symlink).isSymLink());
        QCOMPARE(ReadAll(input), QByteArray("new"));
    }

    void readsAreBounded()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f"));
        QVERIFY(WriteAll(path, QByteArray(100, 'a')));
        QString error;
        QCOMPARE(ReadRegularFile(path, &error, 100).value_or(QByteArray()), QByteArray(100, 'a'));
        QVERIFY(!ReadRegularFile(path, &error, 99));
        QCOMPARE(error, QStringLiteral("datoteka je prevelika (100 bajtova)"));
        const QString missing = dir.filePath(QStringLiteral("nema"));
        QVERIFY(!ReadRegularFile(missing, &error));
        QCOMPARE(error, SystemErrorText(ENOENT));
        // A store that is missing, even with its folder, is empty, not an error.
        TIniFile ini(dir.filePath(QStringLiteral("nema/x.ini")));
        QVERIFY(ini.Load(&error));
        QVERIFY(ini.Sections().isEmpty());
    }

    void temporaryOutputReplacesOnlyWhenWhole()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("out.pdf"));
        QVERIFY(WriteAll(target, "earlier"));
        QVERIFY(
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        const auto entries = [&dir] {
            return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        };

        {
            TTemporaryOutput out;
            QVERIFY(out.Begin(target));
            QCOMPARE(QFileInfo(out.TempPath()).absolutePath(), QFileInfo(target).absolutePath());
            QCOMPARE(QFileInfo(out.TempPath()).size(), 0);
            QVERIFY(WriteAll(out.TempPath(), "half"));
            QVERIFY(!out.Commit([](const QString &) { return QStringLiteral("pola"); }));
            QCOMPARE(out.ErrorText(), QStringLiteral("pola"));
            QCOMPARE(ReadAll(target), QByteArray("earlier"));
            QCOMPARE(entries(), QStringList{"out.pdf"});
        }
        {
            TTemporaryOutput out;
            QVERIFY(out.Begin(target));
            QVERIFY(WriteAll(out.TempPath(), "never committed"));
        } // destroyed: removed
        QCOMPARE(entries(), QStringList{"out.pdf"});
        {
            TTemporaryOutput out;
            QVERIFY(out.Begin(target));
            QVERIFY(WriteAll(out.TempPath(), "whole"));
            InjectWriteFailure(EIO, 4);
            QVERIFY(!out.Commit());
            InjectWriteFailure(0);
            QCOMPARE(out.ErrorText(), SystemErrorText(EIO));
            QCOMPARE(ReadAll(target), QByteArray("earlier"));
        }
        {
            TTemporaryOutput out;
            QVERIFY(out.Begin(target));
            QVERIFY(WriteAll(out.TempPath(), "whole"));
            QVERIFY2(out.Commit([](const QString &) { return QString(); }),
                     qPrintable(out.ErrorText()));
            QCOMPARE(ReadAll(target), QByteArray("whole"));
            // Owner, group and others (the "user" bits depend on who runs this).
            QCOMPARE(QFile::permissions(target) & QFileDevice::Permissions(0x7077),
                     QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
            QCOMPARE(entries(), QStringList{"out.pdf"});
        }
        TTemporaryOutput out;
        QVERIFY(!out.Begin(dir.filePath(QStringLiteral("nema/out.pdf"))));
        QCOMPARE(out.ErrorText(), SystemErrorText(ENOENT));
        QVERIFY(!out.Begin(dir.path()));
        QCOMPARE(out.ErrorText(), NotRegularFileText());
    }

    void temporaryNamesAreRecognisedAndCleanedUp()
    {
#ifndef Q_OS_UNIX
        QSKIP("the names and locks of temporary files are the Unix branch's");
#else
        QTemporaryDir dir;
        const auto entries = [&dir] {
            return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        };
        // The longest name a file may have still gets a temporary file.
        const QString longName = dir.filePath(QString(251, u'ž').left(125) + ".pdf");
        QCOMPARE(QFile::encodeName(QFileInfo(longName).fileName()).size(), 254);
        {
            TTemporaryOutput out;
            QVERIFY2(out.Begin(longName), qPrintable(out.ErrorText()));
            const QByteArray leaf = QFile::encodeName(QFileInfo(out.TempPath()).fileName());
            QVERIFY(leaf.size() <= 255);
            QVERIFY(leaf.startsWith(".žž") && leaf.contains(".kordavina-") &&
                    leaf.endsWith(".tmp"));
            QVERIFY(QString::fromUtf8(leaf).isValidUtf16()); // not cut inside a character
            QVERIFY(WriteAll(out.TempPath(), "long"));
            QVERIFY2(out.Commit(), qPrintable(out.ErrorText()));
        }
        QCOMPARE(ReadAll(longName), QByteArray("long"));
        QVERIFY(QFile::remove(longName));

        // A writer killed mid-way left its temporary file; the next writer
        // of the same target removes it, but not a live writer's one, nor
        // another target's.
        const QString target = dir.filePath("out.pdf");
        const QString stale = dir.filePath(".out.pdf.kordavina-abc123.tmp");
        const QString other = dir.filePath(".other.pdf.kordavina-abc123.tmp");
        QVERIFY(WriteAll(stale, "dead writer"));
        QVERIFY(WriteAll(other, "another target"));
        TTemporaryOutput live;
        QVERIFY(live.Begin(target));
        QVERIFY(!QFile::exists(stale));
        QVERIFY(QFile::exists(other));
        {
            TTemporaryOutput second;
            QVERIFY(second.Begin(target));
            QVERIFY(QFile::exists(live.TempPath()));
            QVERIFY(WriteAll(second.TempPath(), "second"));
            QVERIFY(second.Commit());
        }
        QVERIFY(WriteAll(live.TempPath(), "first"));
        QVERIFY(live.Commit());
        QCOMPARE(ReadAll(target), QByteArray("first"));
        QCOMPARE(entries(), (QStringList{".other.pdf.kordavina-abc123.tmp", "out.pdf"}));
#endif
    }

    // Overwriting keeps the file's owner, group and mode: root appending to a
    // user's file must not take it from the user.
    void overwriteKeepsOwnerGroupAndMode()
    {
#ifndef Q_OS_UNIX
        QSKIP("owners are set on Unix only");
#else
        if (::geteuid() != 0)
            QSKIP("needs root to give a file to another user");
        QTemporaryDir dir;
        const uid_t uid = 4321;
        const gid_t gid = 5432;
        const auto give = [&](const QString &path, mode_t mode) {
            const QByteArray name = QFile::encodeName(path);
            return WriteAll(path, "user's") && ::chown(name.constData(), uid, gid) == 0 &&
                   ::chmod(name.constData(), mode) == 0;
        };
        const auto check = [&](const QString &path, mode_t mode) {
            struct stat st;
            QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
            QCOMPARE(st.st_uid, uid);
            QCOMPARE(st.st_gid, gid);
            QCOMPARE(st.st_mode & 07777, mode);
            QVERIFY(ReadAll(path) != "user's");
        };
        const QString upl = dir.filePath("a.upl");
        QVERIFY(give(upl, 0600));
        TUplFile f = SlipFile(upl, 3);
        QString error;
        QVERIFY2(WriteUplFile(f, &error), qPrintable(error));
        check(upl, 0600);

        const QString csv = dir.filePath("b.csv");
        QVERIFY(give(csv, 0660));
        QVERIFY(WriteFileAtomically(csv, "new", &error));
        check(csv, 0660);

        const QString pdf = dir.filePath("c.pdf");
        QVERIFY(give(pdf, 0640));
        TTemporaryOutput out;
        QVERIFY(out.Begin(pdf));
        QVERIFY(WriteAll(out.TempPath(), "pdf"));
        QVERIFY2(out.Commit(), qPrintable(out.ErrorText()));
        check(pdf, 0640);
        // A new file is the writer's own.
        const QString fresh = dir.filePath("d.csv");
        QVERIFY(WriteFileAtomically(fresh, "x", &error));
        QCOMPARE(QFileInfo(fresh).ownerId(), ::geteuid());
#endif
    }

    void temporaryOutputOnAReallyFullDisk()
    {
        TFullDisk disk;
        if (!disk.Valid())
            QSKIP("cannot mount a small tmpfs here (needs root)");
        const QString target = disk.Path(QStringLiteral("out.pdf"));
        QVERIFY(WriteAll(target, "earlier"));
        QVERIFY(disk.Fill(4096));
        TTemporaryOutput out;
        QVERIFY(out.Begin(target));
        // A writer that does not check its writes, as the PDF engine.
        QFile f(out.TempPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(64 * 1024, 'p'));
        f.close();
        QVERIFY(!out.Commit(CheckPdfComplete));
        QCOMPARE(out.ErrorText(), SystemErrorText(ENOSPC));
        QCOMPARE(ReadAll(target), QByteArray("earlier"));
        QCOMPARE(disk.Entries(), QStringList{"out.pdf"});
    }

    void pdfCompleteness()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.pdf"));
        {
            QPdfWriter pdf(path);
            QPainter p(&pdf);
            for (int page = 0; page < 3; ++page) {
                if (page > 0)
                    pdf.newPage();
                p.drawRect(100 * page, 100, 2000, 1000);
            }
        }
        const QByteArray whole = ReadAll(path);
        QVERIFY(whole.size() > 500);
        QCOMPARE(CheckPdfComplete(path), QString());

        const QString broken = QStringLiteral("PDF nije zapisan do kraja");
        const QList<QPair<const char *, QByteArray>> damaged = {
            {"cut at the end", whole.left(whole.size() - 12)},
            {"cut in half", whole.left(whole.size() / 2)},
            {"bytes lost inside", whole.left(200) + whole.mid(260)},
            {"empty", QByteArray()},
            {"no PDF", QByteArray("%%EOF\n")},
        };
        for (const auto &d : damaged) {
            QVERIFY(WriteAll(path, d.second));
            QVERIFY2(CheckPdfComplete(path) == broken, d.first);
        }
        QCOMPARE(CheckPdfComplete(dir.path()), NotRegularFileText() + QStringLiteral(" (mapa)"));
    }
};

QTEST_MAIN(TestFileSafety)
#include "tst_filesafety.moc"

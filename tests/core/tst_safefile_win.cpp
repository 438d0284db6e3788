// The Windows side of file safety, run under Windows or Wine: devices are
// never read or replaced, the same file is found under another name, a
// replacement is whole or nothing, and none of it minds Bosnian letters or a
// path longer than 260 characters.

#include "FileBytes.h"

#include "core/FileLock.h"
#include "core/IniFile.h"
#include "core/SafeFile.h"
#include "core/SafeFileWin.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#include <windows.h>

namespace {

QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// A folder of Bosnian names whose files' paths are longer than 260 characters.
QString LongBosnianFolder(const QString &base)
{
    QString folder = base;
    while (folder.size() < 300)
        folder += QStringLiteral("/Šđčćž ČĆŽŠĐ mapa sa dugim imenom");
    return folder;
}

} // namespace

class TestSafeFileWin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void devicesAreNamesNotFiles()
    {
        using SafeFileWin::IsDeviceName;
        for (const char *device :
             {"NUL", "nul", "CON", "prn", "AUX", "COM1", "com9", "LPT1", "lpt3", "nul.txt",
              "NUL .upl", "COM1:", "C:/kase/nul", "C:\\kase\\Con.pdf", "CONIN$", "conout$",
              "\\\\.\\PhysicalDrive0", "//./COM3", "\\\\.\\pipe\\kordavina",
              "\\\\?\\GLOBALROOT\\Device\\Null"})
            QVERIFY2(IsDeviceName(QString::fromLatin1(device)), device);
        for (const char *file :
             {"nula.upl", "console.upl", "COM10", "LPT", "com.txt", "C:/CON1/a.upl",
              "C:\\nul\\a.upl", "\\\\?\\C:\\kase\\a.upl", "\\\\?\\UNC\\server\\share\\a.upl",
              "\\\\server\\share\\a.upl", "C:", "uplate.pdf"})
            QVERIFY2(!IsDeviceName(QString::fromLatin1(file)), file);
        QVERIFY(IsDeviceName(QStringLiteral("COM\u00B9")));
    }

    void devicesAreNeitherReadNorReplaced()
    {
        QTemporaryDir dir;
        const QString here = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        for (const QString &device :
             {QStringLiteral("NUL"), QStringLiteral("CON"), QStringLiteral("COM1"),
              QStringLiteral("nul.pdf"), dir.filePath(QStringLiteral("aux.upl")),
              QStringLiteral("\\\\.\\NUL")}) {
            QCOMPARE(CheckOutputPath(device), NotRegularFileText());
            QString error;
            QVERIFY(!WriteFileAtomically(device, "x", &error));
            QCOMPARE(error, NotRegularFileText());
            TTemporaryOutput out;
            QVERIFY(!out.Begin(device));
            QCOMPARE(out.ErrorText(), NotRegularFileText());
            QVERIFY(!ReadRegularFile(device, &error));
            QCOMPARE(error, NotRegularFileText() + QStringLiteral(" (uređaj)"));
            TIniFile ini(device);
            ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
            QVERIFY(!ini.Save(&error));
        }
        // Nothing was made under a device's name, nor a temporary file.
        QCOMPARE(Entries(dir.path()), QStringList());
        QVERIFY(QDir::setCurrent(here));

        // A folder in place of a file.
        QString error;
        QVERIFY(!ReadRegularFile(dir.path(), &error));
        QCOMPARE(error, NotRegularFileText() + QStringLiteral(" (mapa)"));
        QCOMPARE(CheckOutputPath(dir.path()), NotRegularFileText());
        QVERIFY(!ReadRegularFile(dir.filePath(QStringLiteral("nema.upl")), &error));
        QCOMPARE(error, SystemErrorText(ENOENT));
    }

    void sameFileByVolumeAndIndex()
    {
        QTemporaryDir dir;
        const QString input = dir.filePath(QStringLiteral("ulaz.upl"));
        const QString other = dir.filePath(QStringLiteral("drugi.upl"));
        QVERIFY(WriteAll(input, "in"));
        QVERIFY(WriteAll(other, "other"));
        const QString hard = dir.filePath(QStringLiteral("tvrda veza.upl"));
        QVERIFY(CreateHardLinkW(SafeFileWin::NativePath(hard).c_str(),
                                SafeFileWin::NativePath(input).c_str(), nullptr));

        QCOMPARE(SafeFileWin::SameFile(input, hard), std::optional<bool>(true));
        QCOMPARE(SafeFileWin::SameFile(input, other), std::optional<bool>(false));
        QCOMPARE(SafeFileWin::SameFile(input, dir.filePath(QStringLiteral("nema"))),
                 std::optional<bool>());
        const QString refused =
            QStringLiteral("to je ulazna datoteka %1; izlaz mora biti druga datoteka");
        QCOMPARE(CheckOutputPath(hard, {other, input}), refused.arg(input));
        // Other spellings of the same name: backslashes, letter case, "..".
        const QString spelled = QDir::toNativeSeparators(dir.path()) + QStringLiteral("\\ULAZ.UPL");
        QCOMPARE(CheckOutputPath(spelled, {input}), refused.arg(input));
        QCOMPARE(CheckOutputPath(dir.filePath(QStringLiteral("x/../ulaz.upl")), {input}),
                 refused.arg(input));
        QCOMPARE(CheckOutputPath(other, {input, hard}), QString());

        QString error;
        QVERIFY(!WriteFileAtomically(hard, "new", &error, {input}));
        QCOMPARE(error, refused.arg(input));
        QCOMPARE(ReadAll(input), QByteArray("in"));
    }

    void replacementIsWholeOrNothing()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("uplate.upl"));
        const QByteArray earlier("earlier\r\nbytes\x00\x1a end", 20);
        QVERIFY(WriteAll(target, earlier));
        const QStringList before = Entries(dir.path());
        QString error;

        // A write that fails part way (a full disk, injected): the old file stays.
        InjectWriteFailure(ENOSPC, 10);
        TAtomicWriter w(target);
        QVERIFY(w.Open());
        QVERIFY(w.Write("0123456789", 10));
        QVERIFY(!w.Write("x", 1));
        QCOMPARE(w.ErrorText(), SystemErrorText(ENOSPC));
        QVERIFY(!w.Commit());
        InjectWriteFailure(0);
        QCOMPARE(ReadAll(target), earlier);
        QCOMPARE(Entries(dir.path()), before);

        // A target another program holds open without leave to delete it:
        // the rename fails, the old file and nothing else remain.
        const HANDLE held = CreateFileW(SafeFileWin::NativePath(target).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        QVERIFY(held != INVALID_HANDLE_VALUE);
        const bool replaced = WriteFileAtomically(target, "new while held", &error);
        CloseHandle(held);
        QVERIFY(!replaced);
        QVERIFY(!error.isEmpty());
        QCOMPARE(ReadAll(target), earlier);
        QCOMPARE(Entries(dir.path()), before);

        // A read-only file is refused before anything is written.
        QVERIFY(SetFileAttributesW(SafeFileWin::NativePath(target).c_str(),
                                   FILE_ATTRIBUTE_READONLY));
        QVERIFY(!WriteFileAtomically(target, "new", &error));
        QCOMPARE(error, SystemErrorText(EACCES));
        TTemporaryOutput readOnly;
        QVERIFY(!readOnly.Begin(target));
        QCOMPARE(ReadAll(target), earlier);
        QCOMPARE(Entries(dir.path()), before);

        // A hidden file is replaced and stays hidden; bytes go as they are.
        QVERIFY(SetFileAttributesW(SafeFileWin::NativePath(target).c_str(),
                                   FILE_ATTRIBUTE_HIDDEN));
        const QByteArray fresh("fresh\r\n\x00\xff\r\n", 10);
        QVERIFY2(WriteFileAtomically(target, fresh, &error), qPrintable(error));
        QCOMPARE(ReadAll(target), fresh);
        QCOMPARE(ReadRegularFile(target, &error).value_or(QByteArray()), fresh);
        const DWORD attributes = GetFileAttributesW(SafeFileWin::NativePath(target).c_str());
        QVERIFY(attributes & FILE_ATTRIBUTE_HIDDEN);
        QCOMPARE(Entries(dir.path()), before);
    }

    void temporaryOutputIsRenamedWhole()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("ispis.pdf"));
        QVERIFY(WriteAll(target, "earlier"));
        {
            TTemporaryOutput out;
            QVERIFY(out.Begin(target));
            QCOMPARE(QFileInfo(out.TempPath()).absolutePath(), QFileInfo(target).absolutePath());
            QVERIFY(WriteAll(out.TempPath(), "whole"));
            // A writer still holding the target stops the rename: nothing lost.
            const HANDLE held =
                CreateFileW(SafeFileWin::NativePath(target).c_str(), GENERIC_READ,
                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            QVERIFY(held != INVALID_HANDLE_VALUE);
            const bool committed = out.Commit();
            CloseHandle(held);
            QVERIFY(!committed);
            QCOMPARE(ReadAll(target), QByteArray("earlier"));
            QCOMPARE(Entries(dir.path()), QStringList{"ispis.pdf"});
        }
        TTemporaryOutput out;
        QVERIFY(out.Begin(target));
        QVERIFY(WriteAll(out.TempPath(), "whole"));
        QVERIFY2(out.Commit(), qPrintable(out.ErrorText()));
        QCOMPARE(ReadAll(target), QByteArray("whole"));
        QCOMPARE(Entries(dir.path()), QStringList{"ispis.pdf"});
    }

    void longPathsWithBosnianLetters()
    {
        QTemporaryDir dir;
        const QString folder = LongBosnianFolder(dir.path());
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/Uplatnice za Đurđevdan – čćžšđ.upl");
        QVERIFY(path.size() > 300);
        QVERIFY(SafeFileWin::NativePath(path).rfind(L"\\\\?\\", 0) == 0);
        const QString shortPath = dir.filePath(QStringLiteral("a.upl"));
        QVERIFY(SafeFileWin::NativePath(shortPath).rfind(L"\\\\?\\", 0) != 0);

        QString error;
        QCOMPARE(CheckOutputPath(path), QString());
        QVERIFY2(WriteFileAtomically(path, "prvi", &error), qPrintable(error));
        QVERIFY2(WriteFileAtomically(path, "drugi", &error), qPrintable(error));
        QCOMPARE(ReadRegularFile(path, &error).value_or(QByteArray()), QByteArray("drugi"));
        QCOMPARE(Entries(folder), QStringList{QFileInfo(path).fileName()});
        QCOMPARE(CheckOutputPath(path, {path}),
                 QStringLiteral("to je ulazna datoteka %1; izlaz mora biti druga datoteka")
                     .arg(path));

        TTemporaryOutput out;
        const QString pdf = folder + QStringLiteral("/Štampa – ćevapi.pdf");
        QVERIFY2(out.Begin(pdf), qPrintable(out.ErrorText()));
        QVERIFY(WriteAll(out.TempPath(), "%PDF"));
        QVERIFY2(out.Commit(), qPrintable(out.ErrorText()));
        QCOMPARE(ReadAll(pdf), QByteArray("%PDF"));

        // The INI stores and the lock of a read-change-write there.
        const QString ini = folder + QStringLiteral("/Računi.ini");
        TIniFile store(ini);
        store.WriteString(QStringLiteral("Računi"), QStringLiteral("1"), QStringLiteral("Šipad"));
        QVERIFY2(store.Save(&error), qPrintable(error));
        TIniFile back(ini);
        QVERIFY(back.Load(&error));
        QCOMPARE(back.ReadString(QStringLiteral("računi"), QStringLiteral("1"), QString()),
                 QStringLiteral("Šipad"));
        TFileLock first(ini);
        QVERIFY2(first.Lock(0), qPrintable(first.ErrorText()));
        TFileLock second(ini);
        QVERIFY(!second.Lock(200));
        QVERIFY(second.ErrorText().contains(QStringLiteral("drugi program")));
        first.Unlock();
        QVERIFY(second.Lock(0));
    }
};

QTEST_GUILESS_MAIN(TestSafeFileWin)
#include "tst_safefile_win.moc"

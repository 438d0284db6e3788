// Where the program keeps things on Windows, run under Windows or Wine: the
// settings and window placements in HKEY_CURRENT_USER\Software\Orvinel\
// Kordavina with the value types the old program used, and the program's
// folder of an installed program in %APPDATA%\Orvinel\Kordavina.

#include "core/AppFolder.h"
#include "core/Settings.h"
#include "core/WindowPlacement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

namespace {

const wchar_t kKey[] = L"Software\\Orvinel\\Kordavina";

struct TRegValue
{
    DWORD Type = REG_NONE;
    QByteArray Data;
};

std::optional<TRegValue> RegValue(const wchar_t *subKey, const wchar_t *name)
{
    TRegValue v;
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, subKey, name, RRF_RT_ANY | RRF_NOEXPAND, &v.Type, nullptr,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    v.Data.resize(size);
    if (RegGetValueW(HKEY_CURRENT_USER, subKey, name, RRF_RT_ANY | RRF_NOEXPAND, &v.Type,
                     v.Data.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    v.Data.truncate(size);
    return v;
}

std::optional<quint32> Dword(const wchar_t *subKey, const wchar_t *name)
{
    const auto v = RegValue(subKey, name);
    if (!v || v->Type != REG_DWORD || v->Data.size() != 4)
        return std::nullopt;
    quint32 n = 0;
    memcpy(&n, v->Data.constData(), 4);
    return n;
}

// Whether the key holds anything (a program that only read the settings may
// have left it empty).
bool KeyExists()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD subKeys = 0, values = 0;
    const bool read = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                                       &values, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return !read || subKeys > 0 || values > 0;
}

} // namespace

class TestSettingsWin : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        QCoreApplication::setOrganizationName(QStringLiteral("Orvinel"));
        QCoreApplication::setApplicationName(QStringLiteral("Kordavina"));
        qunsetenv("KORDAVINA_SETTINGS");
        SetSettingsFile(QString());
    }

    void settingsLiveInTheRegistry()
    {
        // A real user's settings are never touched: this runs in a fresh
        // Wine prefix (or on a Windows machine that never ran the program).
        if (KeyExists())
            QSKIP("HKEY_CURRENT_USER\\Software\\Orvinel\\Kordavina exists: not a test machine");
        QCOMPARE(CheckSettingsStore(), QString());

        TSettings s;
        s.DefaultPrinter = QStringLiteral("Štampač u računovodstvu – Đurđa");
        s.ThousandSep = true;
        s.ProvjeraRacuna = false;
        SetInchMm(30.0);
        QVERIFY(SaveSettings(s));
        QVERIFY(WritePlacement(QStringLiteral("MainForm"), QRect(40, 30, 800, 600), true));
        QVERIFY(WriteColumnWidths(QStringLiteral("OpstineForm"), QStringLiteral("OpstineV"),
                                  {60, 240}));

        // Booleans and numbers are 32-bit registry integers, texts strings.
        QCOMPARE(Dword(kKey, L"ThousandSep"), std::optional<quint32>(1));
        QCOMPARE(Dword(kKey, L"ProvjeraRacuna"), std::optional<quint32>(0));
        QCOMPARE(Dword(kKey, L"AlignFields"), std::optional<quint32>(0));
        QCOMPARE(Dword(kKey, L"Inch"), std::optional<quint32>(300));
        const auto printer = RegValue(kKey, L"DefaultPrinter");
        QVERIFY(printer);
        QCOMPARE(printer->Type, DWORD(REG_SZ));
        QCOMPARE(QString::fromWCharArray(reinterpret_cast<const wchar_t *>(printer->Data.data())),
                 s.DefaultPrinter);
        const wchar_t mainForm[] = L"Software\\Orvinel\\Kordavina\\Forms\\MainForm";
        QCOMPARE(Dword(mainForm, L"Top"), std::optional<quint32>(30));
        QCOMPARE(Dword(mainForm, L"Left"), std::optional<quint32>(40));
        QCOMPARE(Dword(mainForm, L"Width"), std::optional<quint32>(800));
        QCOMPARE(Dword(mainForm, L"Height"), std::optional<quint32>(600));
        const wchar_t columns[] = L"Software\\Orvinel\\Kordavina\\Forms\\OpstineForm\\OpstineV";
        QCOMPARE(Dword(columns, L"0"), std::optional<quint32>(60));
        QCOMPARE(Dword(columns, L"1"), std::optional<quint32>(240));

        // Read back from there; a value of the wrong type gives the default.
        QCOMPARE(RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"IznosJednako", REG_SZ, L"1",
                                 2 * sizeof(wchar_t)),
                 LONG(ERROR_SUCCESS));
        QCOMPARE(RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Inch", REG_SZ, L"nije broj",
                                 10 * sizeof(wchar_t)),
                 LONG(ERROR_SUCCESS));
        TSettings back;
        LoadSettings(back);
        QCOMPARE(back.DefaultPrinter, s.DefaultPrinter);
        QVERIFY(back.ThousandSep);
        QVERIFY(!back.ProvjeraRacuna);
        QVERIFY(back.IznosJednako); // a text holding a number counts
        QCOMPARE(InchMm(), DefaultInchMm);
        QCOMPARE(ReadPlacement(QStringLiteral("MainForm"), true).Width, std::optional<int>(800));

        QCOMPARE(RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Orvinel\\Kordavina"),
                 LONG(ERROR_SUCCESS));
        QVERIFY(!KeyExists());
    }

    void installedProgramKeepsFilesInAppData()
    {
        // Program Files as the test sets it, with a program installed there.
        const QString programFiles = m_tmp.filePath(QStringLiteral("Program Files"));
        const QString installed = programFiles + QStringLiteral("/Kordavina");
        QVERIFY(QDir().mkpath(installed));
        QFile formats(installed + QStringLiteral("/Formats.ini"));
        QVERIFY(formats.open(QIODevice::WriteOnly));
        formats.write("[]\r\nDefault=Uzorak\r\n");
        formats.close();
        const QByteArray was = qgetenv("ProgramFiles");
        qputenv("ProgramFiles", QDir::toNativeSeparators(programFiles).toLocal8Bit());

        const QString appData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QCOMPARE(QDir::cleanPath(appData).toLower(),
                 QDir::cleanPath(QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA")) +
                                 QStringLiteral("/Orvinel/Kordavina"))
                     .toLower());
        QDir(appData).removeRecursively();

        QCOMPARE(InstalledDataFolder(installed), QDir::cleanPath(installed));
        // Letter case and separators of the environment do not matter.
        QCOMPARE(InstalledDataFolder(QDir::toNativeSeparators(installed).toUpper()).isEmpty(),
                 false);
        QCOMPARE(QDir::cleanPath(ProgramFolderFor(installed)), QDir::cleanPath(appData));
        QFile seeded(appData + QStringLiteral("/Formats.ini"));
        QVERIFY(seeded.open(QIODevice::ReadOnly));
        QCOMPARE(seeded.readAll(), QByteArray("[]\r\nDefault=Uzorak\r\n"));
        seeded.close();
        // Nothing was written beside the installed program.
        QCOMPARE(QDir(installed).entryList(QDir::Files), QStringList{"Formats.ini"});

        // A portable copy elsewhere keeps its files beside itself; so does
        // a folder whose name only begins like Program Files.
        const QString portable = m_tmp.filePath(QStringLiteral("Kordavina prijenosna"));
        QVERIFY(QDir().mkpath(portable));
        QCOMPARE(ProgramFolderFor(portable), portable);
        const QString lookalike = programFiles + QStringLiteral(" (stari)");
        QVERIFY(QDir().mkpath(lookalike));
        QVERIFY(InstalledDataFolder(lookalike).isEmpty());

        qputenv("ProgramFiles", was);
        QDir(appData).removeRecursively();
    }
};

QTEST_GUILESS_MAIN(TestSettingsWin)
#include "tst_settings_win.moc"

#include "core/AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Where the program keeps its files when installed under a prefix: never in
// the bin folder, even when that folder can be written.
class TestAppFolder : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_userData; // XDG_DATA_HOME of the test

    static void Write(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray Read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString PerUserFolder() const { return m_userData + "/Orvinel/Kordavina"; }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        m_userData = m_tmp.filePath("data");
        qputenv("XDG_DATA_HOME", m_userData.toLocal8Bit());
        QCoreApplication::setOrganizationName("Orvinel");
        QCoreApplication::setApplicationName("Kordavina");
    }
    void init() { QDir(m_userData).removeRecursively(); }

    void portableFolderIsTheExecutablesFolder()
    {
        const QString exe = m_tmp.filePath("portable");
        QVERIFY(QDir().mkpath(exe));
        QCOMPARE(ProgramFolderFor(exe), exe);
        QVERIFY(InstalledDataFolder(exe).isEmpty());
        QVERIFY(!QDir(PerUserFolder()).exists());
    }

    void installedTreeUsesThePerUserFolderAndSeedsFormats()
    {
#ifdef Q_OS_WIN
        QSKIP("the Windows layout (Program Files, %APPDATA%) is tst_settings_win's");
#endif
        // A writable prefix (as for root, or a prefix in the user's home).
        const QString prefix = m_tmp.filePath("usr");
        const QString bin = prefix + "/bin";
        QVERIFY(QDir().mkpath(bin));
        Write(prefix + "/share/kordavina/Formats.ini", "[]\nDefault=Uzorak\n");
        QFile::setPermissions(prefix + "/share/kordavina/Formats.ini",
                              QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);

        QCOMPARE(InstalledDataFolder(bin), QDir::cleanPath(prefix + "/share/kordavina"));
        QCOMPARE(ProgramFolderFor(bin), PerUserFolder());
        QCOMPARE(Read(PerUserFolder() + "/Formats.ini"), QByteArray("[]\nDefault=Uzorak\n"));
        // The copy is the user's to change, though the shipped file is read-only.
        QVERIFY(QFileInfo(PerUserFolder() + "/Formats.ini").isWritable());
        // Nothing was put beside the executable.
        QCOMPARE(QDir(bin).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());

        // A user's own formats are never replaced by the shipped ones.
        Write(PerUserFolder() + "/Formats.ini", "[]\nDefault=Moj\n");
        QCOMPARE(ProgramFolderFor(bin), PerUserFolder());
        QCOMPARE(Read(PerUserFolder() + "/Formats.ini"), QByteArray("[]\nDefault=Moj\n"));
    }

    void environmentStillWins()
    {
        const QString home = m_tmp.filePath("home");
        qputenv("KORDAVINA_HOME", home.toLocal8Bit());
        QCOMPARE(ProgramFolder(), QDir::cleanPath(home));
        qunsetenv("KORDAVINA_HOME");
        QVERIFY(!QDir(PerUserFolder()).exists());
    }
};

QTEST_GUILESS_MAIN(TestAppFolder)
#include "tst_appfolder.moc"

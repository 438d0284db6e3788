#include "core/UplFileIO.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The launcher, the file type and the metainfo as a desktop sees them: the
// freedesktop validators accept them, they name each other consistently, and
// the file type recognises slip files by their header.
class TestDesktop : public QObject
{
    Q_OBJECT

    QTemporaryDir m_data; // XDG data folder holding only our MIME package
    const QString m_desktopDir = QStringLiteral(KORDAVINA_SOURCE_DIR "/desktop/");

    static QByteArray Read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Runs a tool; skips the test when the tool is not installed.
    static QProcess *Run(const QString &tool, const QStringList &args, QObject *parent)
    {
        const QString exe = QStandardPaths::findExecutable(tool);
        if (exe.isEmpty())
            return nullptr;
        auto *p = new QProcess(parent);
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(exe, args);
        p->waitForFinished(60000);
        return p;
    }
    // A key of the launcher's [Desktop Entry] group, as written (QSettings
    // would take ';' for a comment).
    QString DesktopKey(const QString &key) const
    {
        bool inEntry = false;
        for (const QByteArray &line : Read(m_desktopDir + "kordavina.desktop").split('\n')) {
            if (line.startsWith('['))
                inEntry = line.trimmed() == "[Desktop Entry]";
            else if (inEntry && line.startsWith(key.toUtf8() + '='))
                return QString::fromUtf8(line.mid(key.size() + 1)).trimmed();
        }
        return {};
    }
    static QByteArray Slip(const QByteArray &header)
    {
        // What a writer of that version puts first: the header's length, the header.
        QByteArray b(4, '\0');
        b[0] = char(header.size());
        return b + header + QByteArray(4, '\0') + QByteArray(4, '\0');
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_data.isValid());
        QVERIFY(QDir().mkpath(m_data.filePath("mime/packages")));
        QVERIFY(QFile::copy(m_desktopDir + "kordavina.xml",
                            m_data.filePath("mime/packages/kordavina.xml")));
        // The compiled database a desktop reads, when the tool is there; Qt
        // reads the package itself otherwise.
        if (QProcess *p = Run("update-mime-database", {m_data.filePath("mime")}, this))
            QCOMPARE(p->exitCode(), 0);
        // Before the first QMimeDatabase: only our package, no system types.
        qputenv("XDG_DATA_HOME", m_data.path().toLocal8Bit());
        qputenv("XDG_DATA_DIRS", m_data.path().toLocal8Bit());
    }

    void desktopFileValidates()
    {
        QProcess *p = Run("desktop-file-validate", {m_desktopDir + "kordavina.desktop"}, this);
        if (!p)
            QSKIP("desktop-file-validate is not installed (desktop-file-utils)");
        const QByteArray output = p->readAll().trimmed();
        // Hints count as failures too: the file is ours to keep clean.
        QVERIFY2(p->exitCode() == 0 && output.isEmpty(), output.constData());
    }

    void metainfoValidates()
    {
        QProcess *p =
            Run("appstreamcli",
                {"validate", "--no-net", m_desktopDir + "ba.orvinel.Kordavina.metainfo.xml"}, this);
        if (!p)
            QSKIP("appstreamcli is not installed (appstream)");
        QVERIFY2(p->exitCode() == 0, p->readAll().constData());
    }

    void filesNameEachOther()
    {
        QCOMPARE(DesktopKey("Name"), QStringLiteral("Kordavina"));
        QCOMPARE(DesktopKey("GenericName"), QStringLiteral("Uplatnice"));
        // The file manager hands over one file; the program opens it.
        QVERIFY(DesktopKey("Exec").startsWith(QLatin1String("kordavina ")));
        QVERIFY(DesktopKey("Exec").endsWith(QLatin1String(" %f")));
        QCOMPARE(DesktopKey("Icon"), QStringLiteral("kordavina"));
        QCOMPARE(DesktopKey("Categories"), QStringLiteral("Office;Finance;"));

        const QString type = QStringLiteral("application/x-kordavina-upl");
        QCOMPARE(DesktopKey("MimeType"), type + QLatin1Char(';'));
        QVERIFY(Read(m_desktopDir + "kordavina.xml").contains("type=\"" + type.toUtf8() + '"'));
        const QByteArray meta = Read(m_desktopDir + "ba.orvinel.Kordavina.metainfo.xml");
        QVERIFY(meta.contains("<launchable type=\"desktop-id\">kordavina.desktop</launchable>"));
        QVERIFY(meta.contains("<mediatype>" + type.toUtf8() + "</mediatype>"));
        QVERIFY(meta.contains("<binary>kordavina</binary>"));
        // The release listed is the program's version.
        QVERIFY(meta.contains("<release version=\"" KORDAVINA_VERSION "\""));
    }

    void headerMagicRecognisesEveryVersion_data()
    {
        QTest::addColumn<QByteArray>("header");
        for (const char *h :
             {"Kordavina 1.0", "Kordavina 2.0", "Kordavina 2.2", "Kordavina 3.0", "Kordavina 3.1",
              "Kordavina 3.2", "Kordavina 3.3", "Kordavina 3.3.1", "Kordavina 3.3.2"})
            QTest::newRow(h) << QByteArray(h);
    }
    void headerMagicRecognisesEveryVersion()
    {
        QFETCH(QByteArray, header);
        QVERIFY(UplHeaderLevel(header) > 0);
        const QMimeDatabase db;
        QCOMPARE(db.mimeTypeForData(Slip(header)).name(),
                 QStringLiteral("application/x-kordavina-upl"));
    }

    void typeByNameAndByContent()
    {
        const QMimeDatabase db;
        const QString type = QStringLiteral("application/x-kordavina-upl");
        // A real file from the writer, under a name without the extension.
        TUplFile file;
        file.Uplatnice.append(NewSlip());
        file.FileName = m_data.filePath("mjesec");
        QVERIFY(WriteUplFile(file));
        QCOMPARE(db.mimeTypeForFile(file.FileName).name(), type);
        QCOMPARE(
            db.mimeTypeForFile(m_data.filePath("prazna.upl"), QMimeDatabase::MatchExtension).name(),
            type);
        // Look-alikes are not slip files: the text alone, another length, a
        // text file that mentions the program.
        for (const QByteArray &other :
             {QByteArray("Kordavina 3.3.2 ......"), Slip("Kordavina 3.3.2").mid(1),
              QByteArray("\x0f\0\0\0Kordavinb 3.3.2", 19), QByteArray("Kordavina je program\n")})
            QVERIFY2(db.mimeTypeForData(other).name() != type, other.toHex().constData());
    }

    void xdgMimeResolvesTheType()
    {
        // What a desktop without GNOME or KDE asks (xdg-mime over `mimetype`).
        if (QStandardPaths::findExecutable("xdg-mime").isEmpty() ||
            QStandardPaths::findExecutable("mimetype").isEmpty() ||
            QStandardPaths::findExecutable("update-mime-database").isEmpty())
            QSKIP("xdg-mime, mimetype or update-mime-database is not installed");
        TUplFile file;
        file.FileName = m_data.filePath("primjer.upl");
        QVERIFY(WriteUplFile(file));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CURRENT_DESKTOP", "X-Generic");
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStandardPaths::findExecutable("xdg-mime"), {"query", "filetype", file.FileName});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.readAllStandardOutput().trimmed(), QByteArray("application/x-kordavina-upl"));
    }
};

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_desktop.moc"

// Two copies of the program on one program folder, as two processes: each
// opens a catalogue window, changes its catalogue and closes the window (which
// writes it). Neither may erase what the other wrote.
//
// The test runs itself as each copy: "tst_cataloguecopies --copy KIND" reads
// commands from its standard input and answers each with a line "ok" (after
// the lines it prints):
//   open                 shows the catalogue window (it reads the catalogue)
//   add CODE NAME        adds an entry in the open window
//   delete CODE          deletes the entry with that code
//   rename CODE NAME     gives the entry a new name
//   list                 prints "CODE=NAME" for each row the window shows
//   close                closes the window (it writes the catalogue)
//   quit

#include "ui/common/DialogSeams.h"
#include "catalogues/CatalogueStore.h"
#include "ui/catalogues/OpstineFormU.h"
#include "ui/catalogues/RacuniKFormU.h"
#include "core/Settings.h"
#include "ui/common/ProgramData.h"

#include "IniTestUtil.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <iostream>
#include <string>

using namespace IniTest;

namespace {

// --- One copy of the program ---------------------------------------------------

struct TCopy
{
    TProgramData Data;
    TCatalogueForm *Form = nullptr;
    bool Senders = false;

    void Answer(const QString &text = {})
    {
        if (!text.isEmpty())
            std::cout << text.toStdString() << '\n';
        std::cout << "ok" << std::endl;
    }

    void Edit(const QStringList &words)
    {
        const QString &command = words.value(0);
        const QString code = words.value(1);
        const QString name = words.mid(2).join(u' ');
        if (Senders) {
            TSenderCatalogue &s = Data.Posiljaoci;
            if (command == "add")
                s.Add({code, name, "4200000000001", "1"});
            else if (command == "delete")
                s.Delete(s.IndexOf(code));
            else if (command == "rename")
                if (const qsizetype i = s.IndexOf(code); i >= 0)
                    s.Change(i, {code, name, s.At(i).Broj, s.At(i).Poziv});
        } else {
            TCatalogue &c = Data.Opstine;
            if (command == "add")
                c.Add(code, name);
            else if (command == "delete")
                c.Delete(c.IndexOf(code));
            else if (command == "rename")
                c.Change(c.IndexOf(code), code, name);
        }
        Form->Model()->Refresh();
    }

    // Commands while the window is open, until "close".
    void WhileOpen()
    {
        Answer();
        std::string line;
        while (std::getline(std::cin, line)) {
            const QStringList words = QString::fromStdString(line).split(u' ');
            if (words.value(0) == "close") {
                Form->reject();
                return;
            }
            if (words.value(0) == "list") {
                QStringList rows;
                TCatalogueModel *m = Form->Model();
                for (int r = 0; r < m->rowCount(); ++r)
                    rows.append(m->data(m->index(r, 0)).toString() + u'=' +
                                m->data(m->index(r, 1)).toString());
                Answer(rows.join(u'\n'));
                continue;
            }
            Edit(words);
            Answer();
        }
        Form->reject();
    }

    int Run()
    {
        // A message box would wait for a click nobody gives.
        MessageBoxSeam().AnswerAll(QMessageBox::Ok);
        LoadProgramData(Data);
        if (Senders)
            Form = new TRacuniKForm(Data.Posiljaoci);
        else
            Form = new TOpstineForm(Data.Opstine);
        std::cout << "started" << std::endl;
        std::string line;
        while (std::getline(std::cin, line)) {
            if (line == "quit")
                break;
            if (line == "open") {
                QTimer::singleShot(0, Form, [this] { WhileOpen(); });
                Form->Edit();
                Answer();
            }
        }
        delete Form;
        return 0;
    }
};

// --- The test --------------------------------------------------------------------

// A copy run as a process; Send waits for its "ok".
class TCopyProcess
{
public:
    TCopyProcess(const QString &home, const QString &kind)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KORDAVINA_HOME", home);
        env.insert("KORDAVINA_SETTINGS", QDir(home).filePath(kind + "-settings.ini"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QCoreApplication::applicationFilePath(), {"--copy", kind});
        m_started = m_process.waitForStarted() && Wait("started");
    }
    ~TCopyProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.write("quit\n");
            if (!m_process.waitForFinished(10000))
                m_process.kill();
        }
    }
    bool Started() const { return m_started; }

    // The lines printed before the "ok".
    QStringList Send(const QByteArray &command)
    {
        m_process.write(command + '\n');
        QStringList lines;
        return Wait("ok", &lines) ? lines : QStringList{"no answer to " + command};
    }

private:
    bool Wait(const QByteArray &word, QStringList *lines = nullptr)
    {
        for (;;) {
            while (m_process.canReadLine()) {
                const QByteArray line = m_process.readLine().trimmed();
                if (line == word)
                    return true;
                if (lines)
                    lines->append(QString::fromUtf8(line));
            }
            if (!m_process.waitForReadyRead(20000))
                return false;
        }
    }

    QProcess m_process;
    bool m_started = false;
};

} // namespace

class TestCatalogueCopies : public QObject
{
    Q_OBJECT
    QTemporaryDir m_home;

private Q_SLOTS:
    void municipalities()
    {
        const QString ini = m_home.filePath("Kordavina.ini");
        QVERIFY(WriteAll(ini, "[Op\x9atine]\r\n001=Prva\r\n002=Druga\r\n003=Treca\r\n"
                              "[Drugo]\r\nx=y\r\n"));
        TCopyProcess a(m_home.path(), "opstine"), b(m_home.path(), "opstine");
        QVERIFY(a.Started() && b.Started());

        // Both read the file before either writes.
        QCOMPARE(a.Send("open"), QStringList());
        QCOMPARE(b.Send("open"), QStringList());
        a.Send("add 900 Novi A");
        a.Send("close");
        b.Send("add 902 Novi B");
        b.Send("close");
        TCatalogue c;
        QVERIFY(LoadCatalogue(ini, TCatalogueKind::Opstine, c));
        QCOMPARE(c.FindNaziv("900"), QStringLiteral("Novi A"));
        QCOMPARE(c.FindNaziv("902"), QStringLiteral("Novi B"));
        QCOMPARE(c.Count(), 5);

        // A window that opens shows what the other copy wrote.
        a.Send("open");
        QVERIFY(a.Send("list").contains("902=Novi B"));
        a.Send("close");

        // A delete in one copy and an edit in the other.
        b.Send("open");
        a.Send("open");
        a.Send("delete 001");
        a.Send("close");
        b.Send("rename 002 Druga izmijenjena");
        b.Send("close");
        QVERIFY(LoadCatalogue(ini, TCatalogueKind::Opstine, c));
        QCOMPARE(c.FindNaziv("001"), QString());
        QCOMPARE(c.FindNaziv("002"), QStringLiteral("Druga izmijenjena"));
        QCOMPARE(c.FindNaziv("003"), QStringLiteral("Treca"));
        QCOMPARE(c.Count(), 4);
        // The other sections stay.
        QVERIFY(ReadAll(ini).contains("[Drugo]\r\nx=y\r\n"));
    }

    void senders()
    {
        const QString racuni = m_home.filePath("Racuni.ini");
        TSenderCatalogue start;
        start.Assign({{"1610000000000001", "Prvi", "", ""},
                      {"1610000000000002", "Drugi", "", ""},
                      {"1610000000000003", "Treci", "", ""}});
        QVERIFY(SaveSenders(racuni, start));
        TCopyProcess a(m_home.path(), "senders"), b(m_home.path(), "senders");
        QVERIFY(a.Started() && b.Started());

        a.Send("open");
        b.Send("open");
        a.Send("add 1610000000000900 Novi A");
        a.Send("close");
        b.Send("add 1610000000000902 Novi B");
        b.Send("close");
        TSenderCatalogue s;
        QVERIFY(LoadSenders(racuni, s));
        QCOMPARE(s.FindNaziv("1610000000000900"), QStringLiteral("Novi A"));
        QCOMPARE(s.FindNaziv("1610000000000902"), QStringLiteral("Novi B"));
        QCOMPARE(s.Count(), 5);

        b.Send("open");
        a.Send("open");
        QVERIFY(a.Send("list").contains("1610000000000902=Novi B"));
        a.Send("delete 1610000000000001");
        a.Send("close");
        b.Send("rename 1610000000000002 Drugi izmijenjen");
        b.Send("close");
        QVERIFY(LoadSenders(racuni, s));
        QCOMPARE(s.FindNaziv("1610000000000001"), QString());
        QCOMPARE(s.FindNaziv("1610000000000002"), QStringLiteral("Drugi izmijenjen"));
        QCOMPARE(s.Count(), 4);
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--copy") {
        QApplication app(argc, argv);
        TCopy copy;
        copy.Senders = QByteArray(argv[2]) == "senders";
        return copy.Run();
    }
    QApplication app(argc, argv);
    TestCatalogueCopies test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_cataloguecopies.moc"

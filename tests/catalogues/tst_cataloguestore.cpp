#include "catalogues/CatalogueMerge.h"
#include "catalogues/CatalogueStore.h"

#include "IniTestUtil.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

using namespace IniTest;

namespace {
// Windows-1250 bytes of the letters the files use.
#define S_LO "\x9a"  // š
#define S_UP "\x8a"  // Š
#define C_ACU "\xe6" // ć
#define C_CAR "\xe8" // č
#define C_UP "\xc8"  // Č
#define Z_LO "\x9e"  // ž

const QByteArray HandWrittenKordavina = QByteArray("; Katalozi Kordavine\r\n"
                                                   "[Op" S_LO "tine]\r\n"
                                                   "  077 =  Sarajevo Centar  \r\n"
                                                   "001=Prva\r\n"
                                                   "ABC=Tre" C_ACU "a\r\n"
                                                   "abc=Duplikat\r\n"
                                                   "bez znaka jednakosti\r\n"
                                                   "; komentar\r\n"
                                                   "\x81\x98\xff") +
                                        '\0' +
                                        QByteArray("\r\n"
                                                   "002=" S_UP Z_LO S_LO "\x81\r\n"
                                                   "\r\n"
                                                   "[Ra" C_CAR "uni]\r\n"
                                                   "1610000000000000=Primalac Jedan\r\n"
                                                   "\r\n"
                                                   "[Drugo]\r\n"
                                                   "x = y \r\n"
                                                   "[Svrhe]\r\n"
                                                   "0=Porez na dohodak\r\n"
                                                   "5=Komunalna naknada\r\n"
                                                   "0=Duplikat\r\n");

QList<TCatalogueEntry> Entries(std::initializer_list<TCatalogueEntry> e)
{
    return e;
}
} // namespace

class TestCatalogueStore : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::Bosnian, QLocale::BosniaAndHerzegovina)); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // A window's changes are what it took out and put in since the last
    // read or write; an entry added and removed again is forgotten.
    void changesAreTheWindowsOwn()
    {
        TCatalogue c;
        c.Assign({{"001", "Prva"}, {"002", "Druga"}});
        c.Add("003", "Treca");
        c.Change(c.IndexOf("001"), "001", "Prva nova");
        c.Delete(c.IndexOf("002"));
        c.Add("004", "Prolazna");
        c.Change(c.IndexOf("004"), "005", "Prolazna");
        c.Delete(c.IndexOf("005"));
        QCOMPARE(c.Changes().Removed, Entries({{"001", "Prva"}, {"002", "Druga"}}));
        QCOMPARE(c.Changes().Added, Entries({{"003", "Treca"}, {"001", "Prva nova"}}));
        c.SetModified(false);
        QVERIFY(c.Changes().IsEmpty());

        // Merged by code into what another copy left in the file: its own
        // entries stay, an edit replaces the entry whatever its name there,
        // codes compare without regard to letter case.
        const QList<TCatalogueEntry> file = {
            {"001", "Prva (druga kopija)"}, {"002", "Druga"}, {"900", "Tudja"}, {"ab", "Mala"}};
        TCatalogueChanges<TCatalogueEntry> changes = c.Changes();
        changes.Removed = {{"001", "Prva"}, {"002", "Druga"}, {"AB", "Mala"}};
        changes.Added = {{"003", "Treca"}, {"001", "Prva nova"}, {"AB", "Velika"}};
        QCOMPARE(
            MergeByCode(file, changes),
            Entries({{"900", "Tudja"}, {"003", "Treca"}, {"001", "Prva nova"}, {"AB", "Velika"}}));
        // An edit of an entry the other copy deleted brings it back.
        QCOMPARE(MergeByCode({{"900", "Tudja"}}, changes).size(), 4);

        // Purposes and senders repeat: one removed entry takes out one equal
        // entry, if the file still has one.
        TCatalogueChanges<TCatalogueEntry> purposes;
        purposes.Removed = {{"Porez", ""}, {"Nema je", ""}};
        purposes.Added = {{"Taksa", ""}};
        QCOMPARE(
            MergeByRecord<TCatalogueEntry>({{"Porez", ""}, {"Najam", ""}, {"Porez", ""}}, purposes),
            Entries({{"Najam", ""}, {"Porez", ""}, {"Taksa", ""}}));
    }

    // Two copies on one file, in one process: each write keeps what the
    // other wrote; a refresh brings it in with the unwritten changes kept.
    void writesMergeWithTheFile()
    {
        const QString path = m_dir.filePath("Copies.ini");
        QVERIFY(WriteAll(path, "[Op" S_LO "tine]\r\n001=Prva\r\n002=Druga\r\n[Drugo]\r\nx=y\r\n"));
        TCatalogue a, b;
        QVERIFY(LoadCatalogue(path, TCatalogueKind::Opstine, a));
        QVERIFY(LoadCatalogue(path, TCatalogueKind::Opstine, b));
        a.Add("900", "A");
        QVERIFY(SaveCatalogue(path, TCatalogueKind::Opstine, a));
        QVERIFY(!a.Modified());
        b.Add("902", "B");
        b.Delete(b.IndexOf("001"));
        QString error;
        QVERIFY2(SaveCatalogue(path, TCatalogueKind::Opstine, b, &error), qPrintable(error));
        // b holds what it wrote, in display order.
        QCOMPARE(b.Entries(), Entries({{"002", "Druga"}, {"900", "A"}, {"902", "B"}}));
        QVERIFY(ReadAll(path).contains("[Op" S_LO "tine]\r\n002=Druga\r\n900=A\r\n902=B\r\n"));
        QVERIFY(ReadAll(path).contains("[Drugo]\r\nx=y\r\n"));

        a.Change(a.IndexOf("002"), "002", "Druga nova");
        bool reread = false;
        QVERIFY(RefreshCatalogue(path, TCatalogueKind::Opstine, a, &reread));
        QVERIFY(reread);
        QCOMPARE(a.Entries(), Entries({{"002", "Druga nova"}, {"900", "A"}, {"902", "B"}}));
        QVERIFY(a.Modified());
        QVERIFY(RefreshCatalogue(path, TCatalogueKind::Opstine, a, &reread));
        QVERIFY(!reread); // the file is as read

        // Purposes: both adds kept, a repeated text removed once.
        TCatalogue p, q;
        QVERIFY(LoadCatalogue(path, TCatalogueKind::Svrhe, p));
        p.AddPurpose("Porez");
        p.AddPurpose("Porez");
        QVERIFY(SaveCatalogue(path, TCatalogueKind::Svrhe, p));
        QVERIFY(LoadCatalogue(path, TCatalogueKind::Svrhe, q));
        p.AddPurpose("Taksa");
        q.Delete(q.IndexOf("Porez"));
        QVERIFY(SaveCatalogue(path, TCatalogueKind::Svrhe, p));
        QVERIFY(SaveCatalogue(path, TCatalogueKind::Svrhe, q));
        TCatalogue back;
        QVERIFY(LoadCatalogue(path, TCatalogueKind::Svrhe, back));
        QCOMPARE(back.Entries(), Entries({{"Porez", ""}, {"Taksa", ""}}));
        QVERIFY(LoadCatalogue(path, TCatalogueKind::Opstine, back));
        QCOMPARE(back.Count(), 3); // the purposes' writes kept the municipalities

        // Senders: an add and an edit in two copies.
        const QString racuni = m_dir.filePath("CopiesSenders.ini");
        TSenderCatalogue s, t;
        QVERIFY(LoadSenders(racuni, s));
        s.Add({"1", "Prvi", "", ""});
        s.Add({"1", "Prvi", "", ""}); // two senders may be alike
        QVERIFY(SaveSenders(racuni, s));
        QVERIFY(LoadSenders(racuni, t));
        s.Add({"2", "Drugi", "", ""});
        t.Change(0, {"1", "Prvi izmijenjen", "42", ""});
        QVERIFY(SaveSenders(racuni, s));
        QVERIFY(SaveSenders(racuni, t));
        TSenderCatalogue u;
        QVERIFY(LoadSenders(racuni, u));
        QCOMPARE(u.Entries(), (QList<TSenderEntry>{{"1", "Prvi", "", ""},
                                                   {"1", "Prvi izmijenjen", "42", ""},
                                                   {"2", "Drugi", "", ""}}));
    }

    // The quick reader and writer of Racuni.ini give what the INI store
    // gives, on odd files too.
    void sendersAsTheIniStoreHasThem()
    {
        const QByteArray odd = QByteArray("; po" S_LO "iljaoci\r\n"
                                          "uvod=bez sekcije\r\n"
                                          "  [ B ]  \r\n"
                                          "naziv = Drugi \r\n" S_LO "IFRA=1610\r\n"
                                          "Naziv=Drugi naziv se ne " C_CAR "ita\r\n"
                                          ";Broj=1\r\n"
                                          "=bez klju" C_CAR "a\r\n"
                                          "[b]\r\n" S_UP "ifra=duplikat sekcije\r\n"
                                          "[C\r\n"
                                          "\tBroj\t=\t42\t\n"
                                          "Poziv=a=b\r\n"
                                          "[]\r\n"
                                          "Poziv=9");
        TIniFile ini;
        ini.LoadFromBytes(odd);
        TSenderCatalogue viaIni;
        ReadSenders(ini, viaIni);
        TSenderCatalogue quick;
        quick.Assign(ParseSenders(odd));
        QCOMPARE(quick.Entries(), viaIni.Entries());
        QCOMPARE(quick.Count(), 3);

        for (const QByteArray &old : {odd, QByteArray("no end of line"), QByteArray()}) {
            TIniFile store;
            store.LoadFromBytes(old);
            WriteSenders(store, viaIni);
            QCOMPARE(SendersBytes(old, viaIni.Entries()), store.ToBytes());
        }
    }

    void sectionNames()
    {
        TIniFile ini;
        TCatalogue c;
        c.Assign(Entries({{"1", "a"}}));
        WriteCatalogue(ini, TCatalogueKind::Opstine, c);
        WriteCatalogue(ini, TCatalogueKind::Racuni, c);
        WriteCatalogue(ini, TCatalogueKind::Prihodi, c);
        WriteCatalogue(ini, TCatalogueKind::Svrhe, c);
        QCOMPARE(ini.ToBytes(), QByteArray("[Op" S_LO "tine]\r\n1=a\r\n\r\n"
                                           "[Ra" C_CAR "uni]\r\n1=a\r\n\r\n"
                                           "[Prihodi]\r\n1=a\r\n\r\n"
                                           "[Svrhe]\r\n0=1\r\n"));
    }

    void loadsHandWrittenKordavinaIni()
    {
        const QString path = m_dir.filePath("Read.ini");
        QVERIFY(WriteAll(path, HandWrittenKordavina));
        TCatalogue opstine, racuni, prihodi, svrhe;
        QVERIFY(LoadCatalogue(path, TCatalogueKind::Opstine, opstine));
        QVERIFY(LoadCatalogue(path, TCatalogueKind::Racuni, racuni));
        QVERIFY(LoadCatalogue(path, TCatalogueKind::Prihodi, prihodi));
        QVERIFY(LoadCatalogue(path, TCatalogueKind::Svrhe, svrhe));
        // Blanks dropped, the first of a duplicate code kept, odd lines skipped.
        QCOMPARE(opstine.Entries(), Entries({{"001", "Prva"},
                                             {"002", QStringLiteral("Šžš\u0081")},
                                             {"077", "Sarajevo Centar"},
                                             {"ABC", QStringLiteral("Treća")}}));
        QCOMPARE(racuni.Entries(), Entries({{"1610000000000000", "Primalac Jedan"}}));
        QCOMPARE(prihodi.Count(), 0);
        QCOMPARE(svrhe.Entries(), Entries({{"Komunalna naknada", ""}, {"Porez na dohodak", ""}}));
        QVERIFY(!opstine.Modified());
        QCOMPARE(opstine.FindNaziv("abc"), QStringLiteral("Treća"));
    }

    void savesSectionInDisplayOrder()
    {
        const QString path = m_dir.filePath("Kordavina.ini");
        QVERIFY(WriteAll(path, HandWrittenKordavina));
        TCatalogue opstine;
        QVERIFY(LoadCatalogue(path, TCatalogueKind::Opstine, opstine));
        TCatalogueEdit e = opstine.Add("abc", "Nova Treća");
        QCOMPARE(e.Outcome, TCatalogueEdit::AskRename);
        QCOMPARE(AddExistsQuestion(TCatalogueKind::Opstine, e.Naziv),
                 QStringLiteral("Pod tom šifrom je već unesena opština 'Treća'. "
                                "Želite li joj promijeniti naziv ?"));
        opstine.Rename(e.Index, "Nova Treća");
        opstine.Add("100", "Stotka");
        opstine.Delete(opstine.IndexOf("001"));
        opstine.ClickColumn(2);
        opstine.ClickColumn(2); // by name, descending
        QString error;
        QVERIFY2(SaveCatalogue(path, TCatalogueKind::Opstine, opstine, &error), qPrintable(error));

        const QByteArray afterOpstine = "; Katalozi Kordavine\r\n"
                                        "[Ra" C_CAR "uni]\r\n"
                                        "1610000000000000=Primalac Jedan\r\n"
                                        "\r\n"
                                        "[Drugo]\r\n"
                                        "x = y \r\n"
                                        "[Svrhe]\r\n"
                                        "0=Porez na dohodak\r\n"
                                        "5=Komunalna naknada\r\n"
                                        "0=Duplikat\r\n"
                                        "\r\n"
                                        "[Op" S_LO "tine]\r\n"
                                        "002=" S_UP Z_LO S_LO "\x81\r\n"
                                        "100=Stotka\r\n"
                                        "077=Sarajevo Centar\r\n"
                                        "ABC=Nova Tre" C_ACU "a\r\n";
        QVERIFY(SameLines(ReadAll(path), afterOpstine));

        // Purposes are renumbered from 0 in display order.
        TCatalogue svrhe;
        QVERIFY(LoadCatalogue(path, TCatalogueKind::Svrhe, svrhe));
        svrhe.Delete(1); // "Porez na dohodak"
        QVERIFY(svrhe.AddPurpose("Članarina"));
        QVERIFY(SaveCatalogue(path, TCatalogueKind::Svrhe, svrhe, &error));
        QVERIFY(SameLines(ReadAll(path), "; Katalozi Kordavine\r\n"
                                         "[Ra" C_CAR "uni]\r\n"
                                         "1610000000000000=Primalac Jedan\r\n"
                                         "\r\n"
                                         "[Drugo]\r\n"
                                         "x = y \r\n"
                                         "[Op" S_LO "tine]\r\n"
                                         "002=" S_UP Z_LO S_LO "\x81\r\n"
                                         "100=Stotka\r\n"
                                         "077=Sarajevo Centar\r\n"
                                         "ABC=Nova Tre" C_ACU "a\r\n"
                                         "\r\n"
                                         "[Svrhe]\r\n"
                                         "0=" C_UP "lanarina\r\n"
                                         "1=Komunalna naknada\r\n"));

        // Deleting every purpose leaves no section; the next start is empty.
        svrhe.Delete(0);
        svrhe.Delete(0);
        QVERIFY(SaveCatalogue(path, TCatalogueKind::Svrhe, svrhe, &error));
        // The blank line that set [Svrhe] apart stays with the section before it.
        QVERIFY(SameLines(ReadAll(path), "; Katalozi Kordavine\r\n"
                                         "[Ra" C_CAR "uni]\r\n"
                                         "1610000000000000=Primalac Jedan\r\n"
                                         "\r\n"
                                         "[Drugo]\r\n"
                                         "x = y \r\n"
                                         "[Op" S_LO "tine]\r\n"
                                         "002=" S_UP Z_LO S_LO "\x81\r\n"
                                         "100=Stotka\r\n"
                                         "077=Sarajevo Centar\r\n"
                                         "ABC=Nova Tre" C_ACU "a\r\n"
                                         "\r\n"));
        TCatalogue again;
        QVERIFY(LoadCatalogue(path, TCatalogueKind::Svrhe, again));
        QCOMPARE(again.Count(), 0);
        QVERIFY(LoadCatalogue(path, TCatalogueKind::Opstine, again));
        QCOMPARE(again.FindNaziv("002"), QStringLiteral("Šžš\u0081"));
    }

    void lineBreaksStayInsideTheirLine()
    {
        const QString path = m_dir.filePath("Breaks.ini");
        TCatalogue svrhe;
        svrhe.AddPurpose("Prva\r\n[Opštine]\r\n666=Podmetnuto");
        QVERIFY(SaveCatalogue(path, TCatalogueKind::Svrhe, svrhe));
        QCOMPARE(ReadAll(path),
                 QByteArray("[Svrhe]\r\n0=Prva [Op" S_LO "tine] 666=Podmetnuto\r\n"));
        TCatalogue opstine;
        QVERIFY(LoadCatalogue(path, TCatalogueKind::Opstine, opstine));
        QCOMPARE(opstine.Count(), 0);
    }

    void missingFileAndSection()
    {
        const QString path = m_dir.filePath("Nema.ini");
        TCatalogue c;
        c.Assign(Entries({{"1", "x"}}));
        QString error;
        QVERIFY(LoadCatalogue(path, TCatalogueKind::Prihodi, c, &error));
        QCOMPARE(c.Count(), 0);
        TSenderCatalogue s;
        QVERIFY(LoadSenders(path, s));
        QCOMPARE(s.Count(), 0);
        // The file is made at the first save.
        c.Add("71", "Porez");
        QVERIFY(SaveCatalogue(path, TCatalogueKind::Prihodi, c));
        QCOMPARE(ReadAll(path), QByteArray("[Prihodi]\r\n71=Porez\r\n"));
    }

    void sendersRoundTrip()
    {
        const QString path = m_dir.filePath("Racuni.ini");
        QVERIFY(WriteAll(path, "; po" S_LO "iljaoci\r\n"
                               "[A]\r\n" S_UP "ifra=1610000000000001\r\n"
                               "Naziv=Firma d.o.o.\r\n"
                               "Broj=4200000000001\r\n"
                               "Poziv=123\r\n"
                               "\r\n"
                               "[B]\r\n"
                               "naziv = Drugi \r\n" S_LO "IFRA=1610000000000000\r\n"
                               "neki red\r\n"
                               "\r\n"
                               "[a]\r\n" S_UP "ifra=999\r\n"));
        TSenderCatalogue s;
        QVERIFY(LoadSenders(path, s));
        QCOMPARE(s.Entries(), (QList<TSenderEntry>{
                                  {"1610000000000000", "Drugi", "", ""},
                                  {"1610000000000001", "Firma d.o.o.", "4200000000001", "123"}}));
        QCOMPARE(s.FindBroj("1610000000000001"), QStringLiteral("4200000000001"));
        QCOMPARE(s.FindNaziv("999"), QString());

        s.Add({"1", "Treći", "", ""});
        QString error;
        QVERIFY2(SaveSenders(path, s, &error), qPrintable(error));
        QVERIFY(SameLines(ReadAll(path), "; po" S_LO "iljaoci\r\n"
                                         "\r\n"
                                         "[0]\r\n" S_UP "ifra=1\r\n"
                                         "Naziv=Tre" C_ACU "i\r\n"
                                         "Broj=\r\n"
                                         "Poziv=\r\n"
                                         "\r\n"
                                         "[1]\r\n" S_UP "ifra=1610000000000000\r\n"
                                         "Naziv=Drugi\r\n"
                                         "Broj=\r\n"
                                         "Poziv=\r\n"
                                         "\r\n"
                                         "[2]\r\n" S_UP "ifra=1610000000000001\r\n"
                                         "Naziv=Firma d.o.o.\r\n"
                                         "Broj=4200000000001\r\n"
                                         "Poziv=123\r\n"));
        TSenderCatalogue back;
        QVERIFY(LoadSenders(path, back));
        QCOMPARE(back.Entries(), s.Entries());
    }

    void largeCatalogues()
    {
        // Far beyond what 16 KB of key names held: 963 accounts of 16 digits.
        const QString path = m_dir.filePath("Large.ini");
        QList<TCatalogueEntry> entries;
        QList<TSenderEntry> senders;
        for (int i = 0; i < 5000; ++i) {
            const QString account = QStringLiteral("16100000%1").arg(i, 8, 10, QLatin1Char('0'));
            entries.append(
                {account, QStringLiteral("Primalac %1 ").arg(i).repeated(i % 7 + 1).trimmed()});
            senders.append({account, QString::number(i), QString::number(i * 7), QString()});
        }
        entries[17].Naziv = QString(3000, u'ž'); // longer than 2047 characters
        TCatalogue c;
        c.Assign(entries);
        c.SetModified(true);
        QVERIFY(SaveCatalogue(path, TCatalogueKind::Racuni, c));
        TSenderCatalogue s;
        s.Assign(senders);
        QVERIFY(SaveSenders(m_dir.filePath("LargeSenders.ini"), s));

        TCatalogue back;
        QVERIFY(LoadCatalogue(path, TCatalogueKind::Racuni, back));
        QCOMPARE(back.Entries(), c.Entries());
        QCOMPARE(back.FindNaziv(entries[17].Sifra).size(), 3000);
        TSenderCatalogue sback;
        QVERIFY(LoadSenders(m_dir.filePath("LargeSenders.ini"), sback));
        QCOMPARE(sback.Entries(), s.Entries());
        QCOMPARE(sback.FindBroj("1610000000004999"), QStringLiteral("34993"));
    }

    void failedWriteLosesNothing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kordavina.ini");
        const QString senders = dir.filePath("Racuni.ini");
        QVERIFY(WriteAll(path, HandWrittenKordavina));
        const QByteArray sendersBytes = "[0]\r\n" S_UP "ifra=1\r\n";
        QVERIFY(WriteAll(senders, sendersBytes));
        TCatalogue c;
        QVERIFY(LoadCatalogue(path, TCatalogueKind::Opstine, c));
        c.Delete(0);
        TSenderCatalogue s;
        QVERIFY(LoadSenders(senders, s));
        s.Delete(0);
        if (!MakeUnwritable(dir.path())) {
            MakeWritable(dir.path());
            QSKIP("cannot make a read-only folder here");
        }
        QString error, senderError;
        const bool ok = SaveCatalogue(path, TCatalogueKind::Opstine, c, &error);
        const bool sendersOk = SaveSenders(senders, s, &senderError);
        MakeWritable(dir.path());
        QVERIFY(!ok);
        QVERIFY(!sendersOk);
        // The system's reason (EACCES or EPERM, as the folder was locked).
        QVERIFY2(error.startsWith(QStringLiteral("Unable to write to %1: ").arg(path)) &&
                     !error.endsWith(QLatin1String("Unknown error")) &&
                     error.size() > path.size() + 22,
                 qPrintable(error));
        QVERIFY2(senderError.startsWith(QStringLiteral("Unable to write to %1: ").arg(senders)),
                 qPrintable(senderError));
        QCOMPARE(ReadAll(path), HandWrittenKordavina);
        QCOMPARE(ReadAll(senders), sendersBytes);
    }

    void unreadableFileIsNotReplaced()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kordavina.ini");
        QVERIFY(QDir().mkdir(path)); // exists, but no file to read
        TCatalogue c;
        QString error;
        QVERIFY(!LoadCatalogue(path, TCatalogueKind::Opstine, c, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(c.Count(), 0);
        c.Add("1", "x");
        QVERIFY(!SaveCatalogue(path, TCatalogueKind::Opstine, c, &error));
        QCOMPARE(error,
                 QStringLiteral("Unable to write to %1: nije obična datoteka (mapa)").arg(path));
        QVERIFY(QFileInfo(path).isDir());
    }
};

QTEST_GUILESS_MAIN(TestCatalogueStore)
#include "tst_cataloguestore.moc"

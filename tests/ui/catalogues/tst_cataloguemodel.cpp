#include "ui/catalogues/CatalogueModel.h"
#include "catalogues/CatalogueStore.h"
#include "ui/options/SetupRules.h"
#include "BosnianCollation.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QLocale Bosnian(QLocale::Bosnian, QLocale::BosniaAndHerzegovina);

// The texts of column (from 0) of every row the model shows.
QStringList Shown(const TCatalogueModel &m, int column)
{
    QStringList texts;
    for (int r = 0; r < m.rowCount(); ++r)
        texts.append(m.data(m.index(r, column)).toString());
    return texts;
}

std::unique_ptr<TCatalogueRows> RowsOf(TCatalogue &c)
{
    return std::make_unique<TCatalogueRowsOf<TCatalogueEntry>>(c);
}

std::unique_ptr<TCatalogueRows> RowsOf(TSenderCatalogue &c)
{
    return std::make_unique<TCatalogueRowsOf<TSenderEntry>>(c);
}

} // namespace

class TestCatalogueModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QLocale::setDefault(Bosnian); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // What CodeProblem and TextProblem let through comes back from the file
    // exactly; what they refuse would not.
    void acceptedInputSurvivesTheFile()
    {
        const QStringList candidates = {"077",        "AB",         "Šđčćž", "1610000012345678",
                                        "a b",        "x]",         "€§",    "a=b",
                                        "=a",         "[x",         ";x",    "  [x",
                                        " ;komentar", "",           "   ",   "Жито",
                                        "a\u0142",    "\U0001F600", "x;y",   "a[b]",
                                        "\u0081"};
        QTemporaryDir dir;
        const QString file = dir.filePath("Kordavina.ini");
        for (const QString &code : candidates) {
            TCatalogue c;
            c.Add(code.trimmed(), QStringLiteral("Naziv"));
            c.Add(QStringLiteral("999"), QStringLiteral("Drugi"));
            QVERIFY(SaveCatalogue(file, TCatalogueKind::Opstine, c));
            TCatalogue back;
            QVERIFY(LoadCatalogue(file, TCatalogueKind::Opstine, back));
            const bool survives = back.Count() == 2 && back.IndexOf(code.trimmed()) >= 0 &&
                                  back.At(back.IndexOf(code.trimmed())).Sifra == code.trimmed() &&
                                  back.FindNaziv(QStringLiteral("999")) == QStringLiteral("Drugi");
            QCOMPARE(CodeProblem(code).isEmpty(), survives);
        }
        QCOMPARE(CodeProblem("a=b"), QStringLiteral("Šifra ne smije sadržavati znak \"=\"."));
        QCOMPARE(CodeProblem(" ;x"),
                 QStringLiteral("Šifra ne smije počinjati znakom \"[\" ni znakom \";\"."));
        QCOMPARE(CodeProblem(" "), QStringLiteral("Šifra ne smije biti prazna."));
        // A character outside the code page is named whole, even beyond 16 bits.
        QCOMPARE(TextProblem("ok \U0001F600"),
                 QStringLiteral("Znak \"\U0001F600\" se ne može snimiti u katalog."));
        QVERIFY(TextProblem("Čelik d.o.o. = [Zenica]; 100 €").isEmpty());
    }

    void okButtonRules()
    {
        QVERIFY(!CodeDialogOkEnabled(true, "", "Naziv"));
        QVERIFY(!CodeDialogOkEnabled(true, "077", ""));
        QVERIFY(CodeDialogOkEnabled(true, "077", "Zenica"));
        QVERIFY(CodeDialogOkEnabled(false, "", "Naziv"));
        QVERIFY(CodeDialogOkEnabled(false, "1", ""));
        QVERIFY(!CodeDialogOkEnabled(false, "", ""));
    }

    // A letter typed without its mark finds it with or without; typed with
    // its mark, only itself. Letter case is ignored, composed or not.
    void typedWithoutMarks()
    {
        QVERIFY(TextMatches(u"Čelić", u"cel"));
        QVERIFY(TextMatches(u"Čelić", u"ČEL"));
        QVERIFY(TextMatches(u"Čelić", u"elic"));
        QVERIFY(!TextMatches(u"Celik", u"čel"));
        QVERIFY(!TextMatches(u"Ćelija", u"čel"));
        QVERIFY(TextMatches(u"Ćelija", u"ćel"));
        QVERIFY(TextMatches(u"Džep", u"dz"));
        QVERIFY(!TextMatches(u"Dzep", u"dž"));
        QVERIFY(TextMatches(u"Đorđe", u"dord"));
        QVERIFY(TextMatches(u"Đorđe", u"đord"));
        QVERIFY(!TextMatches(u"Dorde", u"đ"));
        QVERIFY(TextMatches(u"ŠUMA", u"šu"));
        QVERIFY(!TextMatches(u"Suma", u"šu"));
        QVERIFY(TextMatches(u"Žužel", u"zuz"));
        // "ča" in "Čačak" only at its start; "cac" everywhere.
        QVERIFY(TextMatches(u"Čačak", u"čač"));
        QVERIFY(TextMatches(u"Cacak Čačak", u"čac"));
        QVERIFY(!TextMatches(u"Cacak", u"čac"));
        QVERIFY(TextMatches(u"c\u030Cevap", u"čev")); // c + combining caron
        QVERIFY(!TextMatches(u"Čelić", u"celx"));
        QCOMPARE(SearchFold(u"DŽEMAL Ćosić"), QStringLiteral("dzemal cosic"));
        QCOMPARE(SearchFold(u"DŽEMAL Ćosić", true), QStringLiteral("džemal ćosić"));
    }

    // The filter and the typed jump find as TextMatches; the sort still
    // tells the letters apart.
    void filterFindsWithoutMarks()
    {
        TCatalogue c;
        c.Assign({{"1", "ČELIK d.o.o."},
                  {"2", "Celik"},
                  {"3", "Ćevabdžinica Željo"},
                  {"4", "Đurđevak"},
                  {"5", "Zavod"},
                  {"č7", "Mostar"}});
        TCatalogueModel m(RowsOf(c), {"Šifra", "Naziv"});
        QCOMPARE(m.rowCount(), 6);
        for (const QString typed : {"cel", "CEL"}) {
            m.SetFilter(typed);
            QCOMPARE(Shown(m, 1), QStringList({"ČELIK d.o.o.", "Celik"}));
        }
        for (const QString typed : {"čel", "ČEL", "c\u030Cel"}) {
            m.SetFilter(typed);
            QCOMPARE(Shown(m, 1), QStringList({"ČELIK d.o.o."}));
        }
        m.SetFilter(QStringLiteral("ćel"));
        QCOMPARE(m.rowCount(), 0);
        for (const QString typed : {"zelj", "ŽELJ", "abdz", "abdž"}) {
            m.SetFilter(typed);
            QCOMPARE(Shown(m, 1), QStringList({"Ćevabdžinica Željo"}));
        }
        for (const QString typed : {"durdev", "đurd", "Đ"}) {
            m.SetFilter(typed);
            QCOMPARE(Shown(m, 1), QStringList({"Đurđevak"}));
        }
        // Any column: the code too; the columns do not run into each other.
        m.SetFilter(QStringLiteral("c"));
        QCOMPARE(Shown(m, 0), QStringList({"1", "2", "3", "č7"}));
        // Narrowed from "c" to "č": the rows with c alone go.
        m.SetFilter(QStringLiteral("č"));
        QCOMPARE(Shown(m, 0), QStringList({"1", "č7"}));
        m.SetFilter(QStringLiteral("7mo"));
        QCOMPARE(m.rowCount(), 0);
        m.SetFilter(QString());
        QCOMPARE(m.rowCount(), 6);
        QCOMPARE(m.FindPrefix(QStringLiteral("dur"), 1), 3);
        QCOMPARE(m.FindPrefix(QStringLiteral("c"), 1), 0);
        QCOMPARE(m.FindPrefix(QStringLiteral("ć"), 1), 2);
        QCOMPARE(m.FindPrefix(QStringLiteral("č"), 1), 0);
        QCOMPARE(m.FindPrefix(QStringLiteral("ž"), 1), -1);

        // The order stays the collation's: c before č before ć before d,
        // and đ after d.
        c.SetSortColumn(2);
        m.Refresh();
        QCOMPARE(Shown(m, 1), QStringList({"Celik", "ČELIK d.o.o.", "Ćevabdžinica Željo",
                                           "Đurđevak", "Mostar", "Zavod"}));
    }

    // A catalogue read when first needed: its model, its state and empty
    // look-ups do not read it; the first real look-up does, once.
    void readWhenFirstNeeded()
    {
        TSenderCatalogue s;
        int loads = 0;
        s.SetLoader([&loads](TCatalogueList<TSenderEntry> &list) {
            ++loads;
            list.Assign({{"2", "Drugi", "", ""}, {"1", "Prvi", "", ""}});
        });
        TCatalogueModel m(RowsOf(s), {"Šifra", "Naziv", "Broj", "Poziv"});
        QVERIFY(!s.Modified());
        QCOMPARE(s.SortColumn(), 1);
        QCOMPARE(s.FindNaziv(QString()), QString());
        QCOMPARE(m.rowCount(), 0);
        QCOMPARE(loads, 0);
        QCOMPARE(s.FindNaziv("1"), QStringLiteral("Prvi"));
        QCOMPARE(s.FindNaziv("2"), QStringLiteral("Drugi"));
        QCOMPARE(loads, 1);
        m.Refresh();
        QCOMPARE(Shown(m, 1), QStringList({"Prvi", "Drugi"}));
        QVERIFY(!s.Modified());
    }

    // Narrowing reuses the former rows; widening, a sort and an edit must
    // not leave stale rows behind.
    void filterFollowsTheCatalogue()
    {
        TCatalogue c;
        QList<TCatalogueEntry> entries;
        QRandomGenerator rng(7);
        const QStringList words = {"Banka", "Šuma", "Zavod", "Škola", "Dom", "Fond"};
        for (int i = 0; i < 300; ++i)
            entries.append({QString::number(1000 + i), words[rng.bounded(words.size())] + u' ' +
                                                           words[rng.bounded(words.size())]});
        c.Assign(entries);
        TCatalogueModel m(RowsOf(c), {"Šifra", "Naziv"});

        const auto expected = [&](const QString &needle) {
            QStringList codes;
            for (const TCatalogueEntry &e : c.Entries())
                if (e.Sifra.contains(needle, Qt::CaseInsensitive) ||
                    e.Naziv.contains(needle, Qt::CaseInsensitive))
                    codes.append(e.Sifra);
            return codes;
        };
        for (const QString &typed :
             QStringList{"š", "šu", "šum", "šu", "š", "ško", "1", "12", "1"}) {
            m.SetFilter(typed);
            QCOMPARE(Shown(m, 0), expected(typed));
        }
        m.SetFilter(QStringLiteral("šu"));
        m.ClickColumn(1); // by name
        QCOMPARE(c.SortColumn(), 2);
        QCOMPARE(Shown(m, 0), expected("šu"));
        c.Add("9999", "Šume Zenica");
        m.Refresh();
        QVERIFY(Shown(m, 0).contains("9999"));
        QCOMPARE(Shown(m, 0), expected("šu"));

        // Rows and catalogue positions translate both ways.
        for (int r = 0; r < m.rowCount(); ++r)
            QCOMPARE(m.RowOf(m.EntryAt(r)), r);
        const qsizetype hidden = c.IndexOf("1000");
        if (!c.At(hidden).Naziv.contains("šu", Qt::CaseInsensitive))
            QCOMPARE(m.RowOf(hidden), -1);
        QCOMPARE(m.EntryAt(m.rowCount()), -1);
    }

    void headerClickFollowsEntry()
    {
        SKIP_WITHOUT_BOSNIAN_COLLATION();
        TCatalogue c;
        c.Assign({{"1", "Zenica"}, {"2", "Bihać"}, {"3", "Čapljina"}, {"4", "Cazin"}});
        TCatalogueModel m(RowsOf(c), {"Šifra", "Naziv"});
        qsizetype follow = c.IndexOf("3");
        m.ClickColumn(1, &follow);
        QCOMPARE(Shown(m, 1), QStringList({"Bihać", "Cazin", "Čapljina", "Zenica"}));
        QCOMPARE(c.At(follow).Sifra, QStringLiteral("3"));
        m.ClickColumn(1, &follow);
        QCOMPARE(m.SortColumn(), -2);
        QCOMPARE(Shown(m, 1), QStringList({"Zenica", "Čapljina", "Cazin", "Bihać"}));
        QCOMPARE(c.At(follow).Sifra, QStringLiteral("3"));
        m.ClickColumn(0, &follow);
        QCOMPARE(m.SortColumn(), 1);
        QCOMPARE(Shown(m, 0), QStringList({"1", "2", "3", "4"}));
        QCOMPARE(m.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Naziv"));
    }

    void typedPrefixFindsFirstInShownOrder()
    {
        TSenderCatalogue s;
        s.Assign({{"1610000000000001", "Šipad Sarajevo", "4200000000001", "11"},
                  {"1610000000000002", "Sarajevo gas", "4200000000002", "22"},
                  {"1549000000000003", "Šumarija", "4200000000003", "33"},
                  {"1549000000000004", "šećerana", "4200000000004", "44"}});
        TCatalogueModel m(RowsOf(s), {"Šifra", "Naziv", "Broj por. obv.", "Poziv na broj"});
        QCOMPARE(m.FindPrefix("1549", 0), 0); // sorted by account: 1549... first
        QCOMPARE(m.FindPrefix("16100000000000", 0), 2);
        QCOMPARE(m.FindPrefix("1610000000000002", 0), 3);
        QCOMPARE(m.FindPrefix("17", 0), -1);
        m.ClickColumn(1);
        // By name: Sarajevo gas, šećerana, Šipad Sarajevo, Šumarija.
        QCOMPARE(m.FindPrefix("š", 1), 1);
        QCOMPARE(m.FindPrefix("ŠU", 1), 3);
        QCOMPARE(m.FindPrefix("s", 1), 0);
        QCOMPARE(m.FindPrefix("sarajevo", 1), 0);
        QCOMPARE(m.FindPrefix("42000000000", 2), 0);
        QCOMPARE(m.FindPrefix("33", 3), 3);
        QCOMPARE(m.FindPrefix("x", 7), -1);
        // Within the filtered rows only.
        m.SetFilter("sarajevo");
        QCOMPARE(m.FindPrefix("š", 1), 1);
        QCOMPARE(m.data(m.index(1, 1)).toString(), QStringLiteral("Šipad Sarajevo"));
        QCOMPARE(m.FindPrefix("šu", 1), -1);
    }

    void printerChoice()
    {
        const QStringList installed = {"PDF", "Laser HP", "Matrični"};
        QCOMPARE(PrinterListIndex(installed, ""), 0);
        QCOMPARE(PrinterListIndex(installed, "laser hp"), 2);
        QCOMPARE(PrinterListIndex(installed, "MATRIČNI"), 3);
        QCOMPARE(PrinterListIndex(installed, "Uklonjeni"), -1);
        QCOMPARE(PrinterListIndex({}, "PDF"), -1);
        QCOMPARE(PrinterForListIndex(installed, 0), QString());
        QCOMPARE(PrinterForListIndex(installed, -1), QString());
        QCOMPARE(PrinterForListIndex(installed, 2), QStringLiteral("Laser HP"));
        QCOMPARE(PrinterForListIndex(installed, 4), QString());
        QCOMPARE(InstalledPrinter(installed, "laser hp"), QStringLiteral("Laser HP"));
        QCOMPARE(InstalledPrinter(installed, "Uklonjeni"), QString());

        QVERIFY(!LowResolutionChecked(25.4));
        QVERIFY(LowResolutionChecked(30.0));
        QVERIFY(!LowResolutionChecked(25.44)); // 254 tenths
        QVERIFY(LowResolutionChecked(25.46));  // 255 tenths
        QCOMPARE(InchMmFor(true), 30.0);
        QCOMPARE(InchMmFor(false), 25.4);
    }
};

QTEST_GUILESS_MAIN(TestCatalogueModel)
#include "tst_cataloguemodel.moc"

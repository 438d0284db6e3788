#include "ui/catalogues/CatalogueModel.h"
#include "catalogues/CatalogueStore.h"
#include "ui/options/SetupRules.h"

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

    // Letter case is ignored, č ć đ š ž stay apart from c d s z, and a
    // decomposed letter matches its composed form.
    void filterComparesAsTheSort()
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
        m.SetFilter(QStringLiteral("čel"));
        QCOMPARE(Shown(m, 1), QStringList({"ČELIK d.o.o."}));
        m.SetFilter(QStringLiteral("c\u030Celik")); // c + combining caron
        QCOMPARE(Shown(m, 1), QStringList({"ČELIK d.o.o."}));
        m.SetFilter(QStringLiteral("ŽELJ"));
        QCOMPARE(Shown(m, 1), QStringList({"Ćevabdžinica Željo"}));
        m.SetFilter(QStringLiteral("zel"));
        QCOMPARE(m.rowCount(), 0);
        // Any column: the code too; the columns do not run into each other.
        m.SetFilter(QStringLiteral("Č"));
        QCOMPARE(Shown(m, 0), QStringList({"1", "č7"}));
        m.SetFilter(QStringLiteral("7mo"));
        QCOMPARE(m.rowCount(), 0);
        m.SetFilter(QString());
        QCOMPARE(m.rowCount(), 6);
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

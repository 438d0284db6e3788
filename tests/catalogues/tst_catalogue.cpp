#include "catalogues/Catalogue.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QTest>

namespace {
TCatalogue Make(std::initializer_list<TCatalogueEntry> entries)
{
    TCatalogue c;
    c.Assign(QList<TCatalogueEntry>(entries));
    return c;
}

QStringList Codes(const TCatalogue &c)
{
    QStringList codes;
    for (const TCatalogueEntry &e : c.Entries())
        codes.append(e.Sifra);
    return codes;
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void sortsByLocaleIgnoringCase()
    {
        QLocale::setDefault(QLocale(QLocale::Bosnian, QLocale::BosniaAndHerzegovina));
        TCatalogue c = Make({{"d", "1"}, {"č", "2"}, {"C", "3"}, {"b", "4"}, {"A", "5"}});
        QCOMPARE(Codes(c), QStringList({"A", "b", "C", "č", "d"}));
        QVERIFY(!c.Modified());

        // Codes are text: "10" before "9".
        c = Make({{"9", "x"}, {"10", "y"}, {"077", "z"}});
        QCOMPARE(Codes(c), QStringList({"077", "10", "9"}));

        const TCatalogueEntry a{"a", "Zenica"}, b{"B", "ćevapi"};
        const QCollator collator = CatalogueCollator();
        QVERIFY(CompareEntries(a, b, 1) < 0);
        QVERIFY(CompareEntries(a, b, -1) > 0);
        QVERIFY(CompareEntries(a, b, 2, collator) > 0);
        QCOMPARE(CompareEntries(TCatalogueEntry{"ABC", ""}, TCatalogueEntry{"abc", ""}, 1), 0);
        const TSenderEntry s1{"1", "n", "200", "b"}, s2{"1", "n", "1000", "A"};
        QVERIFY(CompareEntries(s1, s2, 3) > 0);
        QVERIFY(CompareEntries(s1, s2, 4) > 0);
        QVERIFY(CompareEntries(s1, s2, -4) < 0);
        QCOMPARE(CompareEntries(s1, s2, 1), 0);
    }

    void sortAgreesWithCompareEntries_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("C") << QLocale::c();
        QTest::newRow("bs") << QLocale(QLocale::Bosnian, QLocale::BosniaAndHerzegovina);
        QTest::newRow("hr") << QLocale(QLocale::Croatian, QLocale::Croatia);
    }
    void sortAgreesWithCompareEntries()
    {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        const QStringList words = {"Žepče", "zenica", "ĆAPLJINA", "čelić", "Cazin",   "a",
                                   "B",     "b",      "Đakovo",   "dž",    "Dubrave", "10",
                                   "9",     "",       "ljubuški", "LIVNO", "Lukavac"};
        QList<TCatalogueEntry> entries;
        for (qsizetype i = 0; i < words.size(); ++i)
            entries.append({words[i], words[words.size() - 1 - i]});
        TCatalogue c;
        c.Assign(entries);
        for (int column : {1, 2, -1, -2}) {
            c.SetSortColumn(column);
            for (qsizetype i = 0; i + 1 < c.Count(); ++i)
                QVERIFY2(CompareEntries(c.At(i), c.At(i + 1), column) <= 0,
                         qPrintable(c.At(i).Sifra + " / " + c.At(i + 1).Sifra));
        }
        // Codes of digits alone (sorted without collation keys) too.
        const QStringList numbers = {
            "10", "9", "", "0", "009", "1610000000000001", "1", "099", "1549000000000003",
            "90", "00"};
        QList<TCatalogueEntry> coded;
        for (const QString &n : numbers)
            coded.append({n, n});
        c.Assign(coded);
        for (int column : {1, -1}) {
            c.SetSortColumn(column);
            for (qsizetype i = 0; i + 1 < c.Count(); ++i)
                QVERIFY2(CompareEntries(c.At(i), c.At(i + 1), column) < 0,
                         qPrintable(c.At(i).Sifra + " / " + c.At(i + 1).Sifra));
        }
    }

    void headerClicks()
    {
        TCatalogue c = Make({{"1", "b"}, {"2", "c"}, {"3", "a"}});
        qsizetype selected = 0; // "1"
        c.ClickColumn(2, &selected);
        QCOMPARE(c.SortColumn(), 2);
        QCOMPARE(Codes(c), QStringList({"3", "1", "2"}));
        QCOMPARE(c.At(selected).Sifra, QStringLiteral("1"));
        c.ClickColumn(2, &selected);
        QCOMPARE(c.SortColumn(), -2);
        QCOMPARE(Codes(c), QStringList({"2", "1", "3"}));
        c.ClickColumn(1, &selected);
        QCOMPARE(c.SortColumn(), 1);
        QCOMPARE(Codes(c), QStringList({"1", "2", "3"}));
        QCOMPARE(selected, 0);
        QVERIFY(!c.Modified()); // sorting is no change of the catalogue
    }

    void lookUps()
    {
        TCatalogue c = Make({{"ABC", "Stari Grad"}, {"077", "Centar"}, {"Šip", "Šipovo"}});
        QCOMPARE(c.FindNaziv("abc"), QStringLiteral("Stari Grad"));
        QCOMPARE(c.FindNaziv("ABC"), QStringLiteral("Stari Grad"));
        QCOMPARE(c.FindNaziv("šIP"), QStringLiteral("Šipovo"));
        QCOMPARE(c.FindNaziv(""), QString());
        QCOMPARE(c.FindNaziv("07"), QString());
        QCOMPARE(c.FindNaziv("0777"), QString());
        QCOMPARE(c.FindNaziv(" 077"), QString());

        // The index follows every change at once.
        const qsizetype i = c.IndexOf("077");
        QCOMPARE(c.Change(i, "078", "Centar II").Outcome, TCatalogueEdit::Done);
        QCOMPARE(c.FindNaziv("077"), QString());
        QCOMPARE(c.FindNaziv("078"), QStringLiteral("Centar II"));
        c.Delete(c.IndexOf("abc"));
        QCOMPARE(c.FindNaziv("abc"), QString());
        QCOMPARE(c.FindNaziv("šip"), QStringLiteral("Šipovo"));
        QCOMPARE(c.At(c.IndexOf("ŠIP")).Sifra, QStringLiteral("Šip"));
        QCOMPARE(c.Add("x", "Novi").Outcome, TCatalogueEdit::Done);
        QCOMPARE(c.FindNaziv("X"), QStringLiteral("Novi"));
        for (qsizetype k = 0; k < c.Count(); ++k)
            QCOMPARE(c.IndexOf(c.At(k).Sifra), k);
    }

    void addExistingCode()
    {
        TCatalogue c = Make({{"077", "Centar"}, {"AB", "Bihać"}, {"001", "Prva"}});
        qsizetype selected = 2; // "AB"
        // Declined: nothing changes.
        TCatalogueEdit e = c.Add("077", "Novo ime", &selected);
        QCOMPARE(e.Outcome, TCatalogueEdit::AskRename);
        QCOMPARE(c.At(e.Index).Sifra, QStringLiteral("077"));
        QCOMPARE(e.Naziv, QStringLiteral("Centar"));
        QCOMPARE(c.Count(), 3);
        QCOMPARE(c.FindNaziv("077"), QStringLiteral("Centar"));
        QVERIFY(!c.Modified());

        // Consent: "ab" is AB, whose code keeps its letter case.
        e = c.Add("ab", "Bihać grad", &selected);
        QCOMPARE(e.Outcome, TCatalogueEdit::AskRename);
        QCOMPARE(e.Naziv, QStringLiteral("Bihać"));
        c.Rename(e.Index, "Bihać grad", &selected);
        QCOMPARE(c.Count(), 3);
        QCOMPARE(c.At(c.IndexOf("AB")), (TCatalogueEntry{"AB", "Bihać grad"}));
        QVERIFY(c.Modified());
        QCOMPARE(c.At(selected).Sifra, QStringLiteral("AB"));

        // A new code is appended and sorted in; the selection stays on its entry.
        e = c.Add("002", "Druga", &selected);
        QCOMPARE(e.Outcome, TCatalogueEdit::Done);
        QCOMPARE(Codes(c), QStringList({"001", "002", "077", "AB"}));
        QCOMPARE(e.Index, 1);
        QCOMPARE(c.At(selected).Sifra, QStringLiteral("AB"));
    }

    void addFollowsDescendingSort()
    {
        TCatalogue c = Make({{"1", "Banja Luka"}, {"2", "Mostar"}, {"3", "Tuzla"}});
        c.ClickColumn(2);
        c.ClickColumn(2);
        c.Add("4", "Konjic");
        QCOMPARE(Codes(c), QStringList({"3", "2", "4", "1"}));
    }

    void changeToCodeOfAnother()
    {
        TCatalogue c = Make({{"001", "Prva"}, {"002", "Druga"}, {"003", "Treća"}});
        qsizetype selected = 0;
        TCatalogueEdit e = c.Change(0, "002", "Nova", &selected);
        QCOMPARE(e.Outcome, TCatalogueEdit::AskDeleteOther);
        QCOMPARE(e.Index, 1);
        QCOMPARE(e.Naziv, QStringLiteral("Druga"));
        // Declined: both stay.
        QCOMPARE(Codes(c), QStringList({"001", "002", "003"}));
        QCOMPARE(c.FindNaziv("001"), QStringLiteral("Prva"));
        QVERIFY(!c.Modified());

        // Consent: the other entry goes, the edited one takes its code.
        const qsizetype changed = c.ReplaceOther(0, e.Index, "002", "Nova", &selected);
        QCOMPARE(Codes(c), QStringList({"002", "003"}));
        QCOMPARE(c.At(changed), (TCatalogueEntry{"002", "Nova"}));
        QCOMPARE(selected, changed);
        QVERIFY(c.Modified());

        // The other entry may stand before the edited one.
        c = Make({{"A", "1"}, {"B", "2"}, {"C", "3"}});
        qsizetype sel = 2;
        e = c.Change(2, "a", "Z", &sel);
        QCOMPARE(e.Outcome, TCatalogueEdit::AskDeleteOther);
        QCOMPARE(c.ReplaceOther(2, e.Index, "a", "Z", &sel), 0);
        QCOMPARE(c.Entries(), (QList<TCatalogueEntry>{{"a", "Z"}, {"B", "2"}}));
        QCOMPARE(sel, 0);
    }

    void changeWithoutQuestion()
    {
        TCatalogue c = Make({{"AB", "Bihać"}, {"CD", "Cazin"}});
        // Name only, and a code in other letter case of the entry itself.
        QCOMPARE(c.Change(0, "AB", "Bihać 2").Outcome, TCatalogueEdit::Done);
        const TCatalogueEdit e = c.Change(1, "cd", "Cazin");
        QCOMPARE(e.Outcome, TCatalogueEdit::Done);
        QCOMPARE(c.At(e.Index), (TCatalogueEntry{"cd", "Cazin"}));
        QCOMPARE(c.FindNaziv("CD"), QStringLiteral("Cazin"));
        QCOMPARE(c.FindNaziv("ab"), QStringLiteral("Bihać 2"));
        QVERIFY(c.Modified());
        // A code that moves the entry: sorted at once.
        QCOMPARE(c.Change(0, "ZZ", "Zadnji").Index, 1);
        QCOMPARE(Codes(c), QStringList({"cd", "ZZ"}));
    }

    void deleteKeepsOrder()
    {
        TCatalogue c = Make({{"1", "c"}, {"2", "a"}, {"3", "b"}, {"4", "d"}});
        c.ClickColumn(1); // 4 3 2 1
        qsizetype selected = 3;
        c.Delete(1, &selected); // "3"
        QCOMPARE(Codes(c), QStringList({"4", "2", "1"}));
        QCOMPARE(selected, 2);
        QVERIFY(c.Modified());
        c.Delete(selected, &selected);
        QCOMPARE(selected, -1);
        QCOMPARE(Codes(c), QStringList({"4", "2"}));
        QCOMPARE(c.FindNaziv("1"), QString());
        QCOMPARE(c.FindNaziv("2"), QStringLiteral("a"));
    }

    void purposes()
    {
        TCatalogue c = Make({{"Porez", ""}, {"Članarina", ""}});
        QVERIFY(!c.AddPurpose(QString()));
        QVERIFY(!c.Modified());
        QVERIFY(c.AddPurpose("porez")); // repeats are allowed
        QVERIFY(c.AddPurpose("Porez"));
        QCOMPARE(c.Count(), 4);
        c.SetModified(false);

        const qsizetype i = Codes(c).indexOf("Članarina");
        QVERIFY(!c.ChangePurpose(i, "Članarina"));
        QVERIFY(!c.ChangePurpose(i, QString()));
        QVERIFY(!c.Modified());
        QVERIFY(c.ChangePurpose(i, "ČLANARINA")); // letter case counts
        QVERIFY(c.Modified());
        QVERIFY(Codes(c).contains("ČLANARINA"));
    }

    void indexStaysInStep()
    {
        // Random edits on senders with shared accounts in mixed letter case:
        // after each, every look-up must agree with a scan of the list, the
        // list must be sorted and the followed row must be the same sender.
        QLocale::setDefault(QLocale(QLocale::Croatian, QLocale::Croatia));
        const QStringList pool = {"a1", "A1", "b2", "B2", "č3", "Č3", "d4", "", "e5", "ž6"};
        QRandomGenerator rng(1250);
        TSenderCatalogue s;
        int serial = 0;
        auto next = [&]() {
            return TSenderEntry{pool[rng.bounded(pool.size())], QString::number(serial++),
                                pool[rng.bounded(pool.size())], QString::number(rng.bounded(5))};
        };
        const QCollator collator = CatalogueCollator();
        qsizetype follow = -1;
        QString followed;
        for (int step = 0; step < 3000; ++step) {
            const int op = rng.bounded(10);
            if (op < 4 || s.Count() == 0) {
                s.Add(next(), &follow);
            } else if (op < 7) {
                const qsizetype i = rng.bounded(s.Count());
                const TSenderEntry e = next();
                const bool changesFollowed = i == follow;
                s.Change(i, e, &follow);
                if (changesFollowed)
                    followed = e.Naziv;
            } else if (op < 9) {
                const qsizetype i = rng.bounded(s.Count());
                if (i == follow)
                    followed.clear();
                s.Delete(i, &follow);
            } else {
                s.ClickColumn(1 + rng.bounded(4), &follow);
            }
            if (follow < 0 && s.Count() > 0) {
                follow = rng.bounded(s.Count());
                followed = s.At(follow).Naziv;
            }
            if (follow >= 0 && !followed.isEmpty())
                QCOMPARE(s.At(follow).Naziv, followed);
            else if (follow >= 0)
                followed = s.At(follow).Naziv;

            for (qsizetype k = 0; k + 1 < s.Count(); ++k)
                QVERIFY(CompareEntries(s.At(k), s.At(k + 1), s.SortColumn(), collator) <= 0);
            for (const QString &code : pool) {
                qsizetype first = -1;
                for (qsizetype k = 0; k < s.Count() && !code.isEmpty(); ++k)
                    if (s.At(k).Sifra.toCaseFolded() == code.toCaseFolded()) {
                        first = k;
                        break;
                    }
                QCOMPARE(s.IndexOf(code), first);
                QCOMPARE(s.FindNaziv(code), first < 0 ? QString() : s.At(first).Naziv);
            }
        }
    }

    void senders()
    {
        TSenderCatalogue s;
        s.Assign({{"1610", "Drugi", "2", "P2"}, {"1610", "Prvi", "1", "P1"}, {"99", "X", "", ""}});
        // Two senders on one account: the first in display order answers.
        const QString first = s.At(s.IndexOf("1610")).Naziv;
        QCOMPARE(s.FindNaziv("1610"), first);
        s.ClickColumn(2);
        QCOMPARE(s.FindNaziv("1610"), QStringLiteral("Drugi"));
        QCOMPARE(s.FindBroj("1610"), QStringLiteral("2"));
        QCOMPARE(s.FindPoziv("1610"), QStringLiteral("P2"));
        s.ClickColumn(2);
        QCOMPARE(s.FindNaziv("1610"), QStringLiteral("Prvi"));
        QCOMPARE(s.FindPoziv("1610"), QStringLiteral("P1"));
        QCOMPARE(s.FindBroj("161"), QString());
        s.ClickColumn(1);

        // An all-empty sender is added and sorts first; an empty account finds nothing.
        QCOMPARE(s.Add(TSenderEntry{}), 0);
        QCOMPARE(s.Count(), 4);
        QCOMPARE(s.FindNaziv(""), QString());
        QVERIFY(s.Modified());

        qsizetype selected = s.IndexOf("99");
        const qsizetype j = s.Change(0, {"5", "Peti", "555", "55"}, &selected);
        QCOMPARE(j, 2);
        QCOMPARE(s.At(j).Sifra, QStringLiteral("5"));
        QCOMPARE(s.At(3).Sifra, QStringLiteral("99"));
        QCOMPARE(selected, 3);
        QCOMPARE(s.FindBroj("5"), QStringLiteral("555"));

        // Deleting the sender that answered lets the other one answer.
        const qsizetype answering = s.IndexOf("1610");
        QCOMPARE(answering, 0);
        const QString other = s.At(1).Naziv;
        s.Delete(answering);
        QCOMPARE(s.FindNaziv("1610"), other);
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"

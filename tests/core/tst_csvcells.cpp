// Cells as spreadsheets write them: dates, percentages, accounts, numbers a
// spreadsheet damaged, the formula guard; and the same rules through a whole
// import.

#include "core/CsvCells.h"
#include "core/SlipCsv.h"

#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTest>

namespace {

// ISO 7064 MOD 97-10 worked out on the whole number, apart from the program's
// digit-by-digit version: a valid account leaves 1.
bool AccountPasses(qint64 account)
{
    return account >= 1000000000000000 && account <= 9999999999999999 && account % 97 == 1;
}

QStringList Texts(const QList<TCsvRefusal> &list)
{
    QStringList out;
    for (const TCsvRefusal &x : list)
        out += CsvRefusalText(x);
    return out;
}

} // namespace

class TestCsvCells : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void dates_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("stored");  // empty with a refusal
        QTest::addColumn<QString>("refusal"); // the start of the reason

        const QString noDate = QStringLiteral("DatumUplate „%1“ nije datum");
        const QString noDay = QStringLiteral("DatumUplate „%1“ nije postojeći datum");
        const QString years = QStringLiteral("DatumUplate „%1“: polje čuva godinu sa dvije cifre");
        QTest::newRow("D.M.YY") << "1.7.26"
                                << "010726"
                                << "";
        QTest::newRow("DD.M.YY") << "28.7.26"
                                 << "280726"
                                 << "";
        QTest::newRow("DD.MM.YY") << "28.10.26"
                                  << "281026"
                                  << "";
        QTest::newRow("D.M.YYYY") << "5.1.2026"
                                  << "050126"
                                  << "";
        QTest::newRow("DD.MM.YYYY") << "15.08.2026"
                                    << "150826"
                                    << "";
        QTest::newRow("final dot") << "15.08.2026."
                                   << "150826"
                                   << "";
        QTest::newRow("blanks after dots") << "5. 1. 2026."
                                           << "050126"
                                           << "";
        QTest::newRow("ISO") << "2026-08-15"
                             << "150826"
                             << "";
        QTest::newRow("stored form") << "010726"
                                     << "010726"
                                     << "";
        QTest::newRow("cell blanks") << " 1.7.26 "
                                     << "010726"
                                     << "";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
        QTest::newRow("mask left empty") << "  .  .  "
                                         << ""
                                         << "";
        QTest::newRow("unfinished") << "  .07.26"
                                    << "  0726"
                                    << "";
        QTest::newRow("leap 2000") << "29.2.00"
                                   << "290200"
                                   << "";
        QTest::newRow("leap 2028") << "29.02.2028"
                                   << "290228"
                                   << "";
        QTest::newRow("no 29 Feb") << "29.2.27"
                                   << "" << noDay.arg("29.2.27");
        QTest::newRow("31 April") << "31.04.2026"
                                  << "" << noDay.arg("31.04.2026");
        QTest::newRow("month 13") << "1.13.26"
                                  << "" << noDay.arg("1.13.26");
        QTest::newRow("day 0") << "00.01.26"
                               << "" << noDay.arg("00.01.26");
        QTest::newRow("stored form, no day") << "320126"
                                             << "" << noDay.arg("320126");
        QTest::newRow("ISO, no day") << "2026-02-30"
                                     << "" << noDay.arg("2026-02-30");
        QTest::newRow("1999") << "31.12.1999"
                              << "" << years.arg("31.12.1999");
        QTest::newRow("2100") << "2100-01-01"
                              << "" << years.arg("2100-01-01");
        QTest::newRow("slashes") << "1/7/2026"
                                 << "" << noDate.arg("1/7/2026");
        QTest::newRow("three-digit year") << "1.7.026"
                                          << "" << noDate.arg("1.7.026");
        QTest::newRow("text") << "juli"
                              << "" << noDate.arg("juli");
        QTest::newRow("ISO one digit") << "2026-7-1"
                                       << "" << noDate.arg("2026-7-1");
        QTest::newRow("number lost its zero") << "10726"
                                              << ""
                                              << "DatumUplate „10726“ je u tabeli zapisan kao broj";
    }

    void dates()
    {
        QFETCH(QString, cell);
        QFETCH(QString, stored);
        QFETCH(QString, refusal);
        const TCsvCell r = CsvDateToField(cell, u"DatumUplate");
        if (refusal.isEmpty())
            QVERIFY2(r.Ok(), qPrintable(r.Refusal));
        else
            QVERIFY2(r.Refusal.startsWith(refusal), qPrintable(r.Refusal));
        QCOMPARE(r.Value, stored);
    }

    void datesExportedComeBack()
    {
        for (const char *stored : {"010726", "311299", "290200", "  0726", "31 2 5", ""}) {
            const QString s = QString::fromLatin1(stored);
            const TCsvCell back = CsvDateToField(CsvDateFromField(s), u"PeriodOd");
            QVERIFY2(back.Ok(), qPrintable(back.Refusal));
            QCOMPARE(back.Value, s);
        }
        QCOMPARE(CsvDateFromField("010726"), QStringLiteral("01.07.26"));
    }

    void percentages()
    {
        const QList<std::pair<const char16_t *, float>> taken = {
            {u"30%", 30},           {u"30,00%", 30},
            {u"30,00 %", 30},       {u"30,00\u00A0%", 30},
            {u"12,5", 12.5f},       {u"0,3", 0.3f},
            {u" 7 % ", 7},          {u"-2,5%", -2.5f},
            {u"1.234,5%", 1234.5f}, {u"33.333332", 33.333332f},
        };
        for (const auto &[cell, value] : taken) {
            const auto v = ParseCsvPercent(cell);
            QVERIFY2(v && *v == value, qPrintable(QString::fromUtf16(cell)));
        }
        for (const char16_t *cell : {u"%", u"abc%", u"30%%", u"30 %x", u"% 30"})
            QVERIFY2(!ParseCsvPercent(cell), qPrintable(QString::fromUtf16(cell)));
    }

    void accountsLoseTheirGroupSeparators()
    {
        QCOMPARE(CsvAccountText(u"161-000-00123456-86"), QStringLiteral("1610000012345686"));
        QCOMPARE(CsvAccountText(u"161 000 00123456 86"), QStringLiteral("1610000012345686"));
        QCOMPARE(CsvAccountText(u" 1610000012345686\u00A0"), QStringLiteral("1610000012345686"));
        // Anything but 16 digits stays as the user wrote it.
        QCOMPARE(CsvAccountText(u"199-044-0001200"), QStringLiteral("199-044-0001200"));
        QCOMPARE(CsvAccountText(u"161-000-00123456-861"), QStringLiteral("161-000-00123456-861"));
        QCOMPARE(CsvAccountText(u"IBAN 1610000012345686"), QStringLiteral("IBAN 1610000012345686"));
        QCOMPARE(CsvAccountText(u""), QString());
    }

    // Every valid account that a number cell rounds or cuts to 15 significant
    // digits comes in refused when the result fails the check; a mistyped
    // account ending in 0 that no valid account rounds to is left to the
    // check warnings.
    void accountsDamagedByNumberCells()
    {
        QRandomGenerator rng(20261209);
        int damaged = 0, typos = 0;
        for (int i = 0; i < 3000; ++i) {
            // 14 digits and the two check digits that make the remainder 1.
            const qint64 prefix = 10000000000000 + qint64(rng.generate64() % 90000000000000ull);
            qint64 check = ((1 - prefix * 100 % 97) % 97 + 97) % 97;
            if (check < 2)
                check += 97;
            const qint64 account = prefix * 100 + check;
            QVERIFY(AccountPasses(account));
            for (const qint64 shown : {(account + 5) / 10 * 10, account / 10 * 10}) {
                const QString text = QString::number(shown);
                const auto reason = CsvNumberDamage(u"RacunPrimaoca", text);
                if (AccountPasses(shown)) {
                    QVERIFY2(!reason, qPrintable(text));
                    continue;
                }
                ++damaged;
                QVERIFY2(reason && reason->contains("formatirajte tu kolonu kao tekst"),
                         qPrintable(text));
            }
            // A typo: no valid account within rounding or cutting distance.
            const qint64 typo = account / 100 * 100 + 50;
            bool nearValid = false;
            for (qint64 d = -5; d <= 9; ++d)
                nearValid = nearValid || AccountPasses(typo + d);
            if (!nearValid && !AccountPasses(typo)) {
                ++typos;
                QVERIFY2(!CsvNumberDamage(u"RacunPosiljaoca", QString::number(typo)),
                         qPrintable(QString::number(typo)));
            }
        }
        QVERIFY(damaged > 1000 && typos > 100);
        QVERIFY(!CsvNumberDamage(u"RacunPrimaoca", u"1610000012345686")); // ends in 6
        QVERIFY(!CsvNumberDamage(u"Opis", u"1610000012345690"));          // not an account
        QVERIFY(CsvNumberDamage(u"RacunPrimaoca", u"1610000012345690"));  // 1610000012345686
    }

    void numbersThatLostLeadingZeros()
    {
        QVERIFY(CsvNumberDamage(u"BrojObveznika", u"703985127167")
                    ->startsWith("BrojObveznika „703985127167“ ima 12 cifara"));
        QVERIFY(!CsvNumberDamage(u"BrojObveznika", u"0703985127167"));
        QVERIFY(!CsvNumberDamage(u"BrojObveznika", u"12345"));
        QVERIFY(!CsvNumberDamage(u"BrojObveznika", u"70398512716x"));
        QVERIFY(CsvNumberDamage(u"Opstina", u"77")->startsWith("Opstina „77“ ima manje od tri"));
        QVERIFY(CsvNumberDamage(u"Opstina", u"7"));
        QVERIFY(!CsvNumberDamage(u"Opstina", u"077"));
        QVERIFY(!CsvNumberDamage(u"Opstina", u""));
        QVERIFY(!CsvNumberDamage(u"Opstina", u"A7"));
        QVERIFY(!CsvNumberDamage(u"Poziv", u"77"));
    }

    void formulaGuardComesBackExactly()
    {
        const QStringList texts = {
            "=HYPERLINK(\"http://x\";\"klik\")",
            "+387 61 111 222",
            "-5 KM",
            "@SUM(A1)",
            "\tuvučeno",
            "\rnovi red",
            "=",
            "'",
            "''",
            "'=1+1",
            "'apostrof",
            "abc",
            "",
            "a=b",
            " =1",
        };
        for (const QString &t : texts) {
            const QString guarded = CsvFormulaGuard(t);
            QVERIFY2(guarded.isEmpty() || !QStringLiteral("=+-@\t\r").contains(guarded.front()),
                     qPrintable(t));
            QCOMPARE(CsvFormulaUnguard(guarded), t);
        }
        QCOMPARE(CsvFormulaGuard("=1+1"), QStringLiteral("'=1+1"));
        QCOMPARE(CsvFormulaGuard("'a"), QStringLiteral("''a"));
        // An apostrophe a user's own sheet has before a plain text stays.
        QCOMPARE(CsvFormulaUnguard(u"'apostrof"), QStringLiteral("'apostrof"));
    }

    void importTakesOfficeCells()
    {
        const TSlipCsvImport r =
            ImportSlipsCsv("Opis;PeriodOd;PeriodDo;DatumUplate;Procenat;RacunPrimaoca;Opstina\r\n"
                           "x;1.7.26;28.10.26;5.1.26;30,00%;161-000-00123456-86;077\r\n"
                           "y;01.07.2026;2026-10-28;05.01.2026.;30 %;161 000 00123456 86;\r\n"
                           ";;;;;;\r\n"
                           "z;1.7.26;31.2.26;1.1.1999;3O%;1610000012345690;77\r\n",
                           NewSlip());
        QVERIFY2(r.Error.isEmpty(), qPrintable(r.Error));
        QCOMPARE(r.Slips.size(), 2); // the row of blank cells is no slip
        for (const TUpl &s : r.Slips) {
            QCOMPARE(s.PeriodOd, QStringLiteral("010726"));
            QCOMPARE(s.PeriodDo, QStringLiteral("281026"));
            QCOMPARE(s.DatumUplate, QStringLiteral("050126"));
            QCOMPARE(s.Procenat, 30.0f);
            QCOMPARE(s.RacunPrimaoca, QStringLiteral("1610000012345686"));
        }
        QCOMPARE(Texts(r.Refused),
                 (QStringList{
                     "Red 5: PeriodDo „31.2.26“ nije postojeći datum",
                     "Red 5: DatumUplate „1.1.1999“: polje čuva godinu sa dvije cifre, pa su "
                     "moguće samo godine od 2000. do 2099.",
                     "Red 5: Procenat „3O%“ nije broj",
                     "Red 5: RacunPrimaoca „1610000012345690“ nije ispravan račun, a završava "
                     "nulom: tabela ga je čuvala kao broj i izgubila mu je posljednju cifru; "
                     "formatirajte tu kolonu kao tekst",
                     "Red 5: Opstina „77“ ima manje od tri cifre: tabela ga je čuvala kao broj i "
                     "izostavila mu je vodeće nule; formatirajte tu kolonu kao tekst",
                 }));
    }

    void importWarnsAsPrintDoes()
    {
        const TSlipCsvImport r = ImportSlipsCsv("Opis;RacunPosiljaoca;RacunPrimaoca;BrojObveznika\n"
                                                "dobar;1990440001200279;1020500000106698;\n"
                                                "los;1990440001200278;;0101990170009\n"
                                                "firma;;;4200000123450\n",
                                                NewSlip());
        QVERIFY(r.Refused.isEmpty());
        QCOMPARE(r.Slips.size(), 3); // warnings do not refuse
        QCOMPARE(Texts(r.Warnings),
                 (QStringList{"Red 3: Račun pošiljaoca: Kontrolni broj računa nije ispravan; "
                              "Br. por. obveznika: Kontrolna cifra JMB nije ispravna",
                              "Red 4: Br. por. obveznika: Kontrolna cifra identifikacionog "
                              "broja nije ispravna"}));
    }

    void encodingsFromTheMutationRun()
    {
        const QString text = QStringLiteral("Opis;Svrha\r\nČaršija;Ćevapi i đuveč\r\n");
        QStringEncoder be(QStringEncoder::Utf16BE, QStringEncoder::Flag::WriteBom);
        const TSlipCsvImport r = ImportSlipsCsv(be.encode(text), NewSlip());
        QCOMPARE(r.Encoding, TCsvEncoding::Utf16);
        QCOMPARE(r.Slips.size(), 1);
        QCOMPARE(r.Slips[0].Opis, QStringLiteral("Čaršija"));
        QCOMPARE(r.Slips[0].Svrha, QStringLiteral("Ćevapi i đuveč"));

        // A character Windows-1250 has no byte for is refused by row, never
        // saved as '?'.
        const TSlipCsvImport n = ImportSlipsCsv("\xEF\xBB\xBFOpis;Svrha\r\nprvi;a\r\n" +
                                                    QStringLiteral("x;Ñoño\r\n").toUtf8(),
                                                NewSlip());
        QCOMPARE(n.Encoding, TCsvEncoding::Utf8Bom);
        QCOMPARE(n.Slips.size(), 1);
        QCOMPARE(Texts(n.Refused),
                 QStringList{"Red 3: Svrha sadrži znak „Ñ“ koji Windows-1250 ne može zapisati"});
    }

    void exportImportRoundTripWithFormulaTexts()
    {
        QList<TUpl> slips;
        const QStringList starts = {"=HYPERLINK(\"http://x\")",
                                    "+1",
                                    "-5",
                                    "@A1",
                                    "\tx",
                                    "\rx",
                                    "'",
                                    "'=2",
                                    "''",
                                    "'a",
                                    "obično"};
        for (const QString &t : starts) {
            TUpl s = NewSlip();
            s.Opis = t;
            s.Svrha = t;
            s.Posiljalac = t + t;
            s.MjestoUplate = t;
            s.Poziv = t.left(10);
            s.RacunPrimaoca = QStringLiteral("199-044-0001200"); // as the editor kept it
            s.PeriodOd = QStringLiteral("  0726");
            s.DatumUplate = QStringLiteral("290200");
            s.Procenat = -12.5f;
            slips += s;
        }
        const QByteArray csv = ExportSlipsCsv(slips);
        for (const QByteArray &line : csv.mid(3).split('\n'))
            for (QByteArray cell : line.split(';'))
                QVERIFY2((cell = cell.chopped(cell.endsWith('\r') ? 1 : 0)).isEmpty() ||
                             !QByteArray("=+-@\t").contains(cell.front()) || cell == "-12,5",
                         line.constData());
        QVERIFY(csv.contains("'=HYPERLINK"));
        const TSlipCsvImport r = ImportSlipsCsv(csv, NewSlip());
        QVERIFY(r.Refused.isEmpty());
        QCOMPARE(r.Slips.size(), slips.size());
        for (qsizetype i = 0; i < slips.size(); ++i)
            QVERIFY2(r.Slips[i] == slips[i], qPrintable(starts[i]));
    }
};

QTEST_APPLESS_MAIN(TestCsvCells)
#include "tst_csvcells.moc"

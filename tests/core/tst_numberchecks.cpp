#include "core/NumberChecks.h"

#include <QTest>

Q_DECLARE_METATYPE(TCheckState)

namespace {
const QString kAccountLength = QStringLiteral("Račun mora imati 16 cifara");
const QString kAccountControl = QStringLiteral("Kontrolni broj računa nije ispravan");
const QString kAccountDigits = QStringLiteral("Račun smije sadržavati samo cifre");
} // namespace

class TestNumberChecks : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void accounts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<TCheckState>("state");
        QTest::addColumn<QString>("reason");
        const auto valid = TCheckState::Valid;
        const auto invalid = TCheckState::Invalid;
        const auto incomplete = TCheckState::Incomplete;
        // Accounts published for tax payments.
        QTest::newRow("published 1") << "1990440001200279" << valid << QString();
        QTest::newRow("published 2") << "1020500000106698" << valid << QString();
        // 98 - (N * 100 mod 97) with N = 55500000000000 gives 18.
        QTest::newRow("computed") << "5550000000000018" << valid << QString();
        // N * 100 divisible by 97 gives the highest check, 98.
        QTest::newRow("all zeros") << "0000000000000098" << valid << QString();
        QTest::newRow("groups with dashes") << "199-044-00012002-79" << valid << QString();
        QTest::newRow("groups with blanks") << "199 044 00012002 79" << valid << QString();
        QTest::newRow("outer blanks") << "  1990440001200279 " << valid << QString();
        QTest::newRow("wrong check digit") << "1990440001200278" << invalid << kAccountControl;
        QTest::newRow("wrong digit in the number")
            << "1990440001300279" << invalid << kAccountControl;
        QTest::newRow("transposition") << "1990440001202079" << invalid << kAccountControl;
        QTest::newRow("check digits swapped") << "1990440001200297" << invalid << kAccountControl;
        QTest::newRow("15 digits") << "199044000120027" << incomplete << kAccountLength;
        QTest::newRow("17 digits") << "19904400012002790" << invalid << kAccountLength;
        QTest::newRow("17 digits in groups") << "199-044-00012002-790" << invalid << kAccountLength;
        QTest::newRow("letter") << "19904400O1200279" << invalid << kAccountDigits;
        QTest::newRow("letter while typing") << "199a" << invalid << kAccountDigits;
        QTest::newRow("other separator") << "199/044/00012002/79" << invalid << kAccountDigits;
        QTest::newRow("first digits") << "199-0" << incomplete << kAccountLength;
        QTest::newRow("empty") << "" << TCheckState::Empty << QString();
        QTest::newRow("blanks only") << "   " << TCheckState::Empty << QString();
    }
    void accounts()
    {
        QFETCH(QString, text);
        QFETCH(TCheckState, state);
        QFETCH(QString, reason);
        const TCheckResult r = CheckAccount(text);
        QCOMPARE(r.State, state);
        QCOMPARE(r.Reason, reason);
        QCOMPARE(CheckFails(r), state == TCheckState::Invalid || state == TCheckState::Incomplete);
    }

    void jmb_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<TCheckState>("state");
        QTest::addColumn<QString>("reason");
        const auto valid = TCheckState::Valid;
        const auto invalid = TCheckState::Invalid;
        const QString control = QStringLiteral("Kontrolna cifra JMB nije ispravna");
        const QString date = QStringLiteral("JMB ne sadrži ispravan datum rođenja");
        const QString length = QStringLiteral("JMB mora imati 13 cifara");
        QTest::newRow("1990") << "0101990170003" << valid << QString();
        QTest::newRow("1985") << "1505985171236" << valid << QString();
        QTest::newRow("2000, leap day") << "2902000175006" << valid << QString();
        QTest::newRow("remainder 0 gives 0") << "0101990000000" << valid << QString();
        QTest::newRow("remainder 1 gives 0") << "0101990000060" << valid << QString();
        QTest::newRow("wrong control digit") << "0101990170004" << invalid << control;
        QTest::newRow("transposition") << "1050985171236" << invalid << control;
        // Right control digit, but 1990 had no 29 February.
        QTest::newRow("29 February 1990") << "2902990175005" << invalid << date;
        QTest::newRow("month 13") << "0113990170001" << invalid << date;
        QTest::newRow("12 digits") << "010199017000" << TCheckState::Incomplete << length;
        QTest::newRow("14 digits") << "01019901700030" << invalid << length;
        QTest::newRow("letter") << "0101990I70003" << invalid
                                << QStringLiteral("JMB smije sadržavati samo cifre");
        QTest::newRow("dashes are not allowed")
            << "010199-0170003" << invalid << QStringLiteral("JMB smije sadržavati samo cifre");
    }
    void jmb()
    {
        QFETCH(QString, text);
        QFETCH(TCheckState, state);
        QFETCH(QString, reason);
        const TCheckResult r = CheckJmb(text);
        QCOMPARE(r.State, state);
        QCOMPARE(r.Reason, reason);
    }

    void taxpayerNumberChoosesItsCheck()
    {
        // A company's number carries no date: 4200000123459 would be day 42.
        QCOMPARE(CheckIdNumber(QStringLiteral("4200000123459")).State, TCheckState::Valid);
        QCOMPARE(CheckBrojObveznika(QStringLiteral("4200000123459")).State, TCheckState::Valid);
        QCOMPARE(CheckJmb(QStringLiteral("4200000123459")).State, TCheckState::Invalid);
        QCOMPARE(CheckBrojObveznika(QStringLiteral("4200000123458")),
                 (TCheckResult{TCheckState::Invalid,
                               QStringLiteral("Kontrolna cifra identifikacionog broja nije "
                                              "ispravna")}));
        // Anything else is a person's number, with its date.
        QCOMPARE(CheckBrojObveznika(QStringLiteral("2902990175005")).Reason,
                 QStringLiteral("JMB ne sadrži ispravan datum rođenja"));
        QCOMPARE(CheckBrojObveznika(QStringLiteral("1505985171236")).State, TCheckState::Valid);
        QCOMPARE(CheckBrojObveznika(QStringLiteral("42")).State, TCheckState::Incomplete);
        QCOMPARE(CheckBrojObveznika(QString()).State, TCheckState::Empty);
        // A blank pasted before the number still chooses the company's check.
        QCOMPARE(CheckBrojObveznika(QStringLiteral(" 4200000123459")).State, TCheckState::Valid);
        QCOMPARE(CheckBrojObveznika(QStringLiteral(" 4200000123458")).Reason,
                 QStringLiteral("Kontrolna cifra identifikacionog broja nije ispravna"));
    }

    void controlDigitsAgreeWithTheirChecks()
    {
        // Every 14-digit prefix completed by AccountCheckDigits passes, and
        // every other pair of check digits fails.
        const QString prefix = QStringLiteral("33800022100184");
        const int check = AccountCheckDigits(prefix);
        QVERIFY(check >= 2 && check <= 98);
        for (int c = 0; c < 100; ++c) {
            const QString account = prefix + QStringLiteral("%1").arg(c, 2, 10, QLatin1Char('0'));
            QCOMPARE(CheckAccount(account).State,
                     c == check ? TCheckState::Valid : TCheckState::Invalid);
        }
        const QString base = QStringLiteral("311299917777");
        for (int c = 0; c < 10; ++c)
            QCOMPARE(CheckJmb(base + QString::number(c)).State,
                     c == Mod11ControlDigit(base) ? TCheckState::Valid : TCheckState::Invalid);
        QCOMPARE(Mod11ControlDigit(base), 1);
    }

    void slipProblemsNameTheField()
    {
        TUpl slip = NewSlip();
        QCOMPARE(SlipCheckProblems(slip), QStringList()); // empty fields pass
        slip.RacunPosiljaoca = QStringLiteral("1990440001200279");
        slip.RacunPrimaoca = QStringLiteral("102050000010669"); // a digit short
        slip.BrojObveznika = QStringLiteral("0101990170004");
        QCOMPARE(SlipCheckProblems(slip),
                 (QStringList{QStringLiteral("Račun primaoca: Račun mora imati 16 cifara"),
                              QStringLiteral("Br. por. obveznika: Kontrolna cifra JMB nije "
                                             "ispravna")}));
        slip.RacunPosiljaoca = QStringLiteral("1990440001200297");
        QCOMPARE(SlipCheckProblems(slip).value(0),
                 QStringLiteral("Račun pošiljaoca: Kontrolni broj računa nije ispravan"));
    }
};

QTEST_APPLESS_MAIN(TestNumberChecks)
#include "tst_numberchecks.moc"

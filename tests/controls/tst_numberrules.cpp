#include "controls/NumberRules.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

Q_DECLARE_METATYPE(TCheckType)
Q_DECLARE_METATYPE(TKeyAction)

class TestNumberRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        const QChar comma(u','), dot(u'.');
        QTest::newRow("plain") << "12" << comma << true << 12.0;
        QTest::newRow("comma") << "12,34" << comma << true << 12.34;
        QTest::newRow("blanks around") << "  -5,5 " << comma << true << -5.5;
        QTest::newRow("trailing separator") << "12," << comma << true << 12.0;
        QTest::newRow("leading separator") << ",5" << comma << true << 0.5;
        QTest::newRow("exponent") << "1,5E3" << comma << true << 1500.0;
        QTest::newRow("small exponent") << "1E-5" << comma << true << 1e-5;
        QTest::newRow("plus sign") << "+7" << comma << true << 7.0;
        // As word processors and web pages write it (U+2212).
        QTest::newRow("typographic minus") << "\u2212150,00" << comma << true << -150.0;
        QTest::newRow("typographic minus, blanks") << " \u22120,5" << comma << true << -0.5;
        QTest::newRow("dot locale") << "3.25" << dot << true << 3.25;
        QTest::newRow("dot in comma locale") << "3.25" << comma << false << 0.0;
        QTest::newRow("comma in dot locale") << "3,25" << dot << false << 0.0;
        QTest::newRow("empty") << "" << comma << false << 0.0;
        QTest::newRow("blanks only") << "   " << comma << false << 0.0;
        QTest::newRow("lone minus") << "-" << comma << false << 0.0;
        QTest::newRow("lone separator") << "," << comma << false << 0.0;
        QTest::newRow("minus separator") << "-," << comma << false << 0.0;
        QTest::newRow("two separators") << "1,2,3" << comma << false << 0.0;
        QTest::newRow("thousands dot") << "1.234,5" << comma << false << 0.0;
        QTest::newRow("inner blank") << "1 2" << comma << false << 0.0;
        QTest::newRow("letters") << "12a" << comma << false << 0.0;
        QTest::newRow("bare exponent") << "1E" << comma << false << 0.0;
        QTest::newRow("inf") << "inf" << comma << false << 0.0;
        QTest::newRow("nan") << "nan" << comma << false << 0.0;
        QTest::newRow("overflow") << "1E400" << comma << false << 0.0;
        QTest::newRow("double minus") << "--1" << comma << false << 0.0;
    }
    void parses()
    {
        QFETCH(QString, text);
        QFETCH(QChar, separator);
        QFETCH(bool, ok);
        QFETCH(double, value);
        const std::optional<double> parsed = ParseNumber(text, separator);
        QCOMPARE(parsed.has_value(), ok);
        if (ok)
            QCOMPARE(*parsed, value);
    }

    void formats_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << 0 << "0";
        QTest::newRow("zero, 2") << 0.0 << 2 << "0,00";
        QTest::newRow("rounds to decimals") << 1.234 << 2 << "1,23";
        QTest::newRow("rounds up") << 1.236 << 2 << "1,24";
        QTest::newRow("pads") << 5.0 << 2 << "5,00";
        QTest::newRow("whole") << 12.6 << 0 << "13";
        QTest::newRow("negative") << -12.5 << 1 << "-12,5";
        QTest::newRow("no negative zero") << -0.001 << 2 << "0,00";
        QTest::newRow("no thousands separator") << 1234567.5 << 2 << "1234567,50";
        QTest::newRow("15 digits kept") << 123456789012345.0 << 2 << "123456789012345,00";
        QTest::newRow("15 significant then zeros") << 0.1 << 20 << "0,10000000000000000000";
        QTest::newRow("15 significant, small") << 1.0 / 3.0 << 18 << "0,333333333333333000";
        QTest::newRow("16 digits: general") << 1234567890123456.0 << 2 << "1,23456789012346E15";
        QTest::newRow("round up into 16 digits") << 999999999999999.9 << 0 << "1E15";
        QTest::newRow("general") << 0.5 << -1 << "0,5";
        QTest::newRow("general whole") << 100.0 << -1 << "100";
        QTest::newRow("general 15 digits") << 1.0 / 3.0 << -1 << "0,333333333333333";
        QTest::newRow("general big") << 1e20 << -1 << "1E20";
        QTest::newRow("general small") << -1.5e-7 << -1 << "-1,5E-7";
    }
    void formats()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(FormatNumber(value, decimals, u','), text);
        QString dotted = text;
        dotted.replace(u',', u'.');
        QCOMPARE(FormatNumber(value, decimals, u'.'), dotted);
    }

    // What is shown reads back, and shows the same again: the edit relies on
    // this to make its value the number it shows.
    void shownTextReadsBack()
    {
        QRandomGenerator rng(20240611);
        for (int i = 0; i < 20000; ++i) {
            const double magnitude = std::pow(10.0, rng.bounded(-12, 22));
            const double value = (rng.generateDouble() - 0.5) * magnitude;
            const int decimals = rng.bounded(-1, 7);
            const QString shown = FormatNumber(value, decimals, u',');
            const std::optional<double> back = ParseNumber(shown, u',');
            QVERIFY2(back.has_value(), qPrintable(shown));
            QCOMPARE(FormatNumber(*back, decimals, u','), shown);
            if (decimals >= 0 && std::fabs(value) < 1e15)
                QVERIFY2(std::fabs(*back - value) <=
                             0.5 * std::pow(10.0, -decimals) + std::fabs(value) * 1e-14,
                         qPrintable(shown));
        }
    }

    void rangeCheck_data()
    {
        QTest::addColumn<TCheckType>("type");
        QTest::addColumn<double>("minValue");
        QTest::addColumn<double>("maxValue");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("acceptable");
        QTest::addColumn<double>("result");
        QTest::newRow("none") << ctNone << 0.0 << 10.0 << -50.0 << true << -50.0;
        QTest::newRow("max ok") << ctCheckMax << 0.0 << 10.0 << 10.0 << true << 10.0;
        QTest::newRow("max over") << ctCheckMax << 0.0 << 10.0 << 10.5 << false << 10.0;
        QTest::newRow("max ignores min") << ctCheckMax << 0.0 << 10.0 << -3.0 << true << -3.0;
        QTest::newRow("min ok") << ctCheckMin << 0.0 << 0.0 << 0.0 << true << 0.0;
        QTest::newRow("min under") << ctCheckMin << 0.0 << 0.0 << -5.0 << false << 0.0;
        QTest::newRow("inside below") << ctCheckInside << 1.0 << 10.0 << 0.5 << false << 1.0;
        QTest::newRow("inside above") << ctCheckInside << 1.0 << 10.0 << 11.0 << false << 10.0;
        QTest::newRow("inside edge") << ctCheckInside << 1.0 << 10.0 << 1.0 << true << 1.0;
        QTest::newRow("outside low") << ctCheckOutside << 0.0 << 10.0 << -1.0 << true << -1.0;
        QTest::newRow("outside on min") << ctCheckOutside << 0.0 << 10.0 << 0.0 << true << 0.0;
        QTest::newRow("outside on max") << ctCheckOutside << 0.0 << 10.0 << 10.0 << true << 10.0;
        QTest::newRow("outside 4.9") << ctCheckOutside << 0.0 << 10.0 << 4.9 << false << 0.0;
        QTest::newRow("outside midpoint") << ctCheckOutside << 0.0 << 10.0 << 5.0 << false << 10.0;
        QTest::newRow("outside 9.9") << ctCheckOutside << 0.0 << 10.0 << 9.9 << false << 10.0;
    }
    void rangeCheck()
    {
        QFETCH(TCheckType, type);
        QFETCH(double, minValue);
        QFETCH(double, maxValue);
        QFETCH(double, value);
        QFETCH(bool, acceptable);
        QFETCH(double, result);
        QCOMPARE(CheckRange(value, type, minValue, maxValue), acceptable);
        QCOMPARE(value, result);
    }

    void keystrokes_data()
    {
        QTest::addColumn<QChar>("ch");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<TKeyAction>("action");
        QTest::addColumn<int>("selectFrom");
        const auto A = TKeyAction::Accept, R = TKeyAction::Refuse, S = TKeyAction::SelectToEnd;
        QTest::newRow("digit") << QChar(u'5') << "12" << 2 << -1 << 2 << A << 0;
        QTest::newRow("separator, decimals 0") << QChar(u',') << "12" << 2 << -1 << 0 << R << 0;
        QTest::newRow("separator") << QChar(u',') << "12" << 2 << -1 << 2 << A << 0;
        QTest::newRow("separator, general") << QChar(u',') << "12" << 2 << -1 << -1 << A << 0;
        QTest::newRow("second separator") << QChar(u',') << "12,50" << 1 << -1 << 2 << S << 3;
        QTest::newRow("separator over selection")
            << QChar(u',') << "12,50" << 5 << 0 << 2 << S << 3;
        QTest::newRow("full stop is not the separator")
            << QChar(u'.') << "12" << 2 << -1 << 2 << R << 0;
        QTest::newRow("minus in the middle") << QChar(u'-') << "123" << 1 << -1 << 0 << R << 0;
        QTest::newRow("minus at end") << QChar(u'-') << "123" << 3 << -1 << 0 << R << 0;
        QTest::newRow("minus at start") << QChar(u'-') << "123" << 0 << -1 << 0 << A << 0;
        QTest::newRow("minus over selection from start")
            << QChar(u'-') << "123" << 3 << 0 << 0 << A << 0;
        QTest::newRow("minus, selection not at start")
            << QChar(u'-') << "123" << 0 << 1 << 0 << R << 0;
        QTest::newRow("second minus") << QChar(u'-') << "-123" << 0 << -1 << 0 << S << 1;
        QTest::newRow("second minus elsewhere") << QChar(u'-') << "-123" << 4 << -1 << 0 << S << 1;
        QTest::newRow("blank") << QChar(u' ') << "1" << 1 << -1 << 0 << A << 0;
        QTest::newRow("backspace") << QChar(u'\b') << "1" << 1 << -1 << 0 << A << 0;
        QTest::newRow("enter") << QChar(u'\r') << "1" << 1 << -1 << 0 << A << 0;
        QTest::newRow("letter") << QChar(u'a') << "1" << 1 << -1 << 0 << R << 0;
        QTest::newRow("plus") << QChar(u'+') << "" << 0 << -1 << 0 << R << 0;
        QTest::newRow("control character") << QChar(u'\t') << "" << 0 << -1 << 0 << R << 0;
        QTest::newRow("arabic digit") << QChar(0x0663) << "" << 0 << -1 << 0 << R << 0;
        QTest::newRow("third decimal") << QChar(u'5') << "12,34" << 5 << -1 << 2 << R << 0;
        QTest::newRow("decimal into middle when full")
            << QChar(u'5') << "12,34" << 4 << -1 << 2 << R << 0;
        QTest::newRow("selected decimals still count")
            << QChar(u'5') << "12,50" << 5 << 3 << 2 << R << 0;
        QTest::newRow("second decimal") << QChar(u'5') << "12,3" << 4 << -1 << 2 << A << 0;
        QTest::newRow("digit before separator when full")
            << QChar(u'5') << "12,34" << 1 << -1 << 2 << A << 0;
        QTest::newRow("digit right before separator")
            << QChar(u'5') << "12,34" << 2 << -1 << 2 << A << 0;
        QTest::newRow("selection from start when full")
            << QChar(u'5') << "12,34" << 5 << 0 << 2 << A << 0;
        QTest::newRow("any decimals in general form")
            << QChar(u'5') << "1,23456" << 7 << -1 << -1 << A << 0;
    }
    void keystrokes()
    {
        QFETCH(QChar, ch);
        QFETCH(QString, text);
        QFETCH(int, cursor);
        QFETCH(int, selStart);
        QFETCH(int, decimals);
        QFETCH(TKeyAction, action);
        QFETCH(int, selectFrom);
        const TKeyDecision d = FilterKeystroke(ch, text, cursor, selStart, decimals, u',');
        QCOMPARE(d.Action, action);
        if (action == TKeyAction::SelectToEnd)
            QCOMPARE(d.SelectFrom, selectFrom);
    }

    // What can be shown and printed: 15 significant digits, so with two
    // decimals 13 before the separator; typing stops there instead of
    // letting the value grow into "1E20".
    void wholeDigitsStopAtWhatPrints()
    {
        const auto filter = [](const QString &text, int cursor, int selStart = -1,
                               int selLength = 0, int decimals = 2) {
            return FilterKeystroke(u'7', text, cursor, selStart, decimals, u',', selLength).Action;
        };
        const QString thirteen = QStringLiteral("1234567890123");
        QCOMPARE(MaxWholeDigits(2), 13);
        QCOMPARE(MaxWholeDigits(4), 11);
        QCOMPARE(MaxWholeDigits(-1), 15);
        QCOMPARE(filter(QStringLiteral("123456789012"), 12), TKeyAction::Accept);
        QCOMPARE(filter(thirteen, 13), TKeyAction::Refuse);
        QCOMPARE(filter(thirteen, 0), TKeyAction::Refuse); // in front as well
        QCOMPARE(filter(thirteen + QStringLiteral(",5"), 13), TKeyAction::Refuse);
        // Decimals still go in; a digit replacing a selected one too.
        QCOMPARE(filter(thirteen + QStringLiteral(","), 14), TKeyAction::Accept);
        QCOMPARE(filter(thirteen, 12, 12, 1), TKeyAction::Accept);
        QCOMPARE(filter(thirteen, 13, 11, 2), TKeyAction::Accept);
        // Leading zeros and the minus carry no digit of the value.
        QCOMPARE(filter(QStringLiteral("-00123456789012"), 15), TKeyAction::Accept);
        // Four decimals leave 11; a general form (decimals < 0) is not held.
        QCOMPARE(filter(QStringLiteral("12345678901"), 11, -1, 0, 4), TKeyAction::Refuse);
        QCOMPARE(filter(QString(20, u'9'), 20, -1, 0, -1), TKeyAction::Accept);

        QVERIFY(FitsShownDigits(9999999999999.99, 2));
        QVERIFY(!FitsShownDigits(1e13, 2));
        QVERIFY(!FitsShownDigits(-1e20, 2));
        QVERIFY(FitsShownDigits(1e20, -1));
    }
    void stepping()
    {
        TStepRule rule;
        QCOMPARE(StepSize(rule, 0), 1.0);
        QCOMPARE(SteppedValue(5, false, rule, 0), 4.0);

        rule.IncrementDivider = 100; // a real division, not an integer one
        QCOMPARE(StepSize(rule, 0), 0.01);
        QCOMPARE(SteppedValue(1, true, rule, 3), 1.01);

        rule = TStepRule();
        rule.IncrementMultiplier = 10;
        QCOMPARE(StepSize(rule, 9), 1.0);
        QCOMPARE(StepSize(rule, 10), 10.0);
        QCOMPARE(StepSize(rule, 11), 10.0);
        rule.IncrementTreshold = 0;
        QCOMPARE(StepSize(rule, 0), 10.0);

        rule = TStepRule();
        rule.Increment = 5;
        rule.IncrementDivider = 0; // would divide by zero
        QCOMPARE(StepSize(rule, 0), 5.0);
        rule.IncrementDivider = -2;
        QCOMPARE(StepSize(rule, 0), -2.5);
    }

    void localeSeparator()
    {
        QCOMPARE(LocaleDecimalSeparator(QLocale(QLocale::Bosnian, QLocale::LatinScript,
                                                QLocale::BosniaAndHerzegovina)),
                 QChar(u','));
        QCOMPARE(LocaleDecimalSeparator(QLocale::c()), QChar(u'.'));
    }
};

QTEST_APPLESS_MAIN(TestNumberRules)
#include "tst_numberrules.moc"

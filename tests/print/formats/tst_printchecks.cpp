// Formats and amounts a print job must refuse, and the amount text's limit.

#include "core/Upl.h"
#include "print/formats/PrintChecks.h"
#include "print/formats/SlipRender.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>

class TestPrintChecks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void formatSizes_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        QTest::addColumn<QString>("message"); // empty: printable
        const QString allowed = QStringLiteral(" (dozvoljeno od 10 do 1000 mm)");
        const auto width = [&](const char *v) {
            return QStringLiteral("Format 'Uska': širina %1 mm nije moguća").arg(QLatin1String(v)) +
                   allowed;
        };
        const auto height = [&](const char *v) {
            return QStringLiteral("Format 'Uska': visina %1 mm nije moguća").arg(QLatin1String(v)) +
                   allowed;
        };
        QTest::newRow("ordinary") << 176.0 << 100.0 << QString();
        QTest::newRow("smallest") << 10.0 << 10.0 << QString();
        QTest::newRow("largest") << 1000.0 << 1000.0 << QString();
        QTest::newRow("negative width") << -176.0 << 100.0 << width("-176");
        QTest::newRow("zero width") << 0.0 << 100.0 << width("0");
        QTest::newRow("tenth of a mm") << 0.1 << 100.0 << width("0.1");
        QTest::newRow("just below") << 9.99 << 100.0 << width("9.99");
        QTest::newRow("just above") << 1000.01 << 100.0 << width("1000.01");
        QTest::newRow("1e308") << 1e308 << 100.0 << width("1e+308");
        QTest::newRow("a kilometre") << 1e6 << 100.0 << width("1000000");
        QTest::newRow("NaN") << std::nan("") << 100.0 << width("nan");
        QTest::newRow("negative height") << 176.0 << -176.0 << height("-176");
        QTest::newRow("zero height") << 176.0 << 0.0 << height("0");
        QTest::newRow("huge height") << 176.0 << 1e308 << height("1e+308");
        // Both wrong: the width is named first.
        QTest::newRow("both") << 0.0 << 0.0 << width("0");
    }
    void formatSizes()
    {
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(QString, message);
        TFieldFormats f;
        f.Width = width;
        f.Height = height;
        QCOMPARE(CheckFormatPrintable(QStringLiteral("Uska"), f), message);
        QCOMPARE(PaperSizePossible(width) && PaperSizePossible(height), message.isEmpty());
    }

    void formatSizeInTheUsersNumbers()
    {
        QLocale::setDefault(QLocale(QLocale::Bosnian, QLocale::BosniaAndHerzegovina));
        TFieldFormats f;
        f.Height = 0.5;
        QCOMPARE(CheckFormatPrintable(QStringLiteral("A"), f),
                 QStringLiteral("Format 'A': visina 0,5 mm nije moguća (dozvoljeno od 10 do 1000 "
                                "mm)"));
    }

    void amounts_data()
    {
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("opis");
        QTest::addColumn<QString>("message");
        const double inf = std::numeric_limits<double>::infinity();
        const QString notANumber = QStringLiteral("Uplatnica 'Struja': iznos nije broj");
        const QString tooLarge = QStringLiteral(
            "Uplatnica 'Struja': iznos je prevelik (najviše 13 cifara prije decimalnog zareza)");
        QTest::newRow("ordinary") << 12.5 << "Struja" << QString();
        QTest::newRow("negative") << -3.25 << "Struja" << QString();
        QTest::newRow("largest") << 9999999999999.99 << "Struja" << QString();
        QTest::newRow("largest negative") << -9999999999999.99 << "Struja" << QString();
        QTest::newRow("NaN") << std::nan("") << "Struja" << notANumber;
        QTest::newRow("+Inf") << inf << "Struja" << notANumber;
        QTest::newRow("-Inf") << -inf << "Struja" << notANumber;
        QTest::newRow("1e300") << 1e300 << "Struja" << tooLarge;
        QTest::newRow("-1e300") << -1e300 << "Struja" << tooLarge;
        QTest::newRow("rounds up to 14 digits") << 9999999999999.999 << "Struja" << tooLarge;
        QTest::newRow("1e13") << 1e13 << "Struja" << tooLarge;
        QTest::newRow("no description")
            << std::nan("") << "  " << QStringLiteral("Uplatnica br. 7: iznos nije broj");
    }
    void amounts()
    {
        QFETCH(double, amount);
        QFETCH(QString, opis);
        QFETCH(QString, message);
        TUpl u;
        u.Opis = opis;
        u.Iznos = amount;
        QCOMPARE(CheckSlipAmount(u, 7), message);
        QCOMPARE(AmountPrintable(amount), message.isEmpty());
        // What cannot be printed is not printed; what can has at most 15 digits.
        const QString text = AmountText(amount, true, true);
        QCOMPARE(text.isEmpty(), !message.isEmpty());
        qsizetype digits = 0;
        for (const QChar c : text)
            digits += c.isDigit();
        QVERIFY2(digits <= 15, qPrintable(text));
    }

    void largestAmountPrintsWhole()
    {
        QLocale::setDefault(QLocale(QLocale::Bosnian, QLocale::BosniaAndHerzegovina));
        QCOMPARE(AmountText(9999999999999.99, true, true), QStringLiteral("=9.999.999.999.999,99"));
        QCOMPARE(AmountText(-9999999999999.99, false, false), QStringLiteral("-9999999999999,99"));
    }

    void slipCountAgreesWithItsNumber_data()
    {
        QTest::addColumn<qsizetype>("count");
        QTest::addColumn<QString>("text");
        const QList<std::pair<qsizetype, const char *>> cases{
            {0, "0 uplatnica"},     {1, "1 uplatnica"},     {2, "2 uplatnice"},
            {3, "3 uplatnice"},     {4, "4 uplatnice"},     {5, "5 uplatnica"},
            {11, "11 uplatnica"},   {12, "12 uplatnica"},   {14, "14 uplatnica"},
            {21, "21 uplatnica"},   {22, "22 uplatnice"},   {24, "24 uplatnice"},
            {25, "25 uplatnica"},   {101, "101 uplatnica"}, {112, "112 uplatnica"},
            {113, "113 uplatnica"}, {123, "123 uplatnice"}, {1000, "1000 uplatnica"}};
        for (const auto &[count, text] : cases)
            QTest::addRow("%lld", static_cast<long long>(count))
                << count << QString::fromUtf8(text);
    }
    void slipCountAgreesWithItsNumber()
    {
        QFETCH(qsizetype, count);
        QFETCH(QString, text);
        QCOMPARE(SlipCountText(count), text);
    }

    void printedTextSaysWhatWentWhere()
    {
        QCOMPARE(PrintedText(3, "KordavinaPDF", false),
                 QStringLiteral("Štampano: 3 uplatnice na KordavinaPDF"));
        QCOMPARE(PrintedText(1, "/tmp/maj.pdf", true),
                 QStringLiteral("Snimljeno u PDF: 1 uplatnica u /tmp/maj.pdf"));
    }
};

QTEST_MAIN(TestPrintChecks)
#include "tst_printchecks.moc"

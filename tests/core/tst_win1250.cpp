#include "core/Win1250.h"

#include <QTest>

class TestWin1250 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyByteRoundTrips()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = Win1250::Decode(all);
        QCOMPARE(text.size(), 256);
        // No two bytes decode to the same character.
        QCOMPARE(QSet<QChar>(text.begin(), text.end()).size(), 256);
        QCOMPARE(Win1250::Encode(text), all);
    }

    void bosnianLetters()
    {
        QCOMPARE(Win1250::Encode(QStringLiteral("Opštine Računi Šifra ćĆđĐžŽ")),
                 QByteArray("Op\x9atine Ra\xe8uni \x8aifra \xe6\xc6\xf0\xd0\x9e\x8e"));
        QCOMPARE(Win1250::Decode(QByteArray("\x80\x81\x83\x88\x90\x98")),
                 QString::fromUtf16(u"\u20AC\u0081\u0083\u0088\u0090\u0098"));
    }

    void decodesToComparesWithoutDecoding()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = Win1250::Decode(all);
        QVERIFY(Win1250::DecodesTo(all.constData(), all.size(), text));
        QVERIFY(!Win1250::DecodesTo(all.constData(), all.size() - 1, text));
        QByteArray other = all;
        other[0x8a] = char(0x9a); // Š against š
        QVERIFY(!Win1250::DecodesTo(other.constData(), other.size(), text));
        QVERIFY(Win1250::DecodesTo("", 0, QString()));
    }

    void unmappableBecomesQuestionMark()
    {
        QCOMPARE(Win1250::Encode(QStringLiteral("a€ñ漢b")), QByteArray("a\x80?" "?b"));
        QCOMPARE(Win1250::FirstUnencodable(u"a€?ñ漢b"), 3);
        QCOMPARE(Win1250::FirstUnencodable(u"Šđ? \u0081"), -1);
    }
};

QTEST_APPLESS_MAIN(TestWin1250)
#include "tst_win1250.moc"

#include "core/Csv.h"
#include "core/SlipCsv.h"
#include "core/Win1250.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

QByteArray ReadData(const QString &name)
{
    QFile f(QStringLiteral(KORDAVINA_TEST_DATA "/csv/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<QStringList> Fields(const TCsvParse &p)
{
    QList<QStringList> out;
    for (const TCsvRecord &r : p.Records)
        out.append(r.Fields);
    return out;
}

// A slip with something unusual in every field.
TUpl OddSlip()
{
    TUpl s;
    s.Opis = QStringLiteral("Opis; \"navodnici\" i ;");
    s.RacunPosiljaoca = QStringLiteral("199-044-0001200");
    s.Posiljalac = QStringLiteral("Šaćir Đulić\r\nŽepče, \"Centar\" bb");
    s.Svrha = QStringLiteral("  razmaci na krajevima  ");
    s.RacunPrimaoca = QStringLiteral("1020500000106698");
    s.Primalac = QStringLiteral("\"");
    s.Iznos = 0.1 + 0.2; // needs all its digits
    s.Hitno = true;
    s.BrojObveznika = QStringLiteral("4200000123459");
    s.VrstaUplate = QStringLiteral("2");
    s.VrstaPrihoda = QStringLiteral("722521");
    s.Opstina = QStringLiteral("077");
    s.Poziv = QStringLiteral("0000000001");
    s.Budzetska = QStringLiteral("1234567");
    s.PeriodOd = QStringLiteral("010125");
    s.PeriodDo = QStringLiteral("31 2 5"); // blanks where the mask was left empty
    s.DatumUplate = QStringLiteral("");
    s.MjestoUplate = QStringLiteral("line\nbreak\rcarriage");
    s.Stanja = {7, 0, 1, 2, 0, 0, 1, 0, 0, 2, 0, 0, 0, 1, 0, -5};
    s.Oznacena = true;
    s.Procenat = 33.333332f;
    return s;
}

} // namespace

class TestCsv : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void quoting_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<QStringList>>("records");
        using L = QList<QStringList>;
        QTest::newRow("plain") << "a;b;c" << L{{"a", "b", "c"}};
        QTest::newRow("empty fields") << ";;" << L{{"", "", ""}};
        QTest::newRow("separator in quotes") << "\"a;b\";c" << L{{"a;b", "c"}};
        QTest::newRow("doubled quotes") << "\"say \"\"hi\"\"\";\"\"\"\"" << L{{"say \"hi\"", "\""}};
        QTest::newRow("empty quoted") << "\"\";x" << L{{"", "x"}};
        QTest::newRow("line breaks in quotes")
            << "\"a\r\nb\";\"c\nd\re\"\r\nnext" << L{{"a\r\nb", "c\nd\re"}, {"next"}};
        QTest::newRow("CR LF, LF and CR ends") << "a\r\nb\nc\rd" << L{{"a"}, {"b"}, {"c"}, {"d"}};
        QTest::newRow("final line end adds nothing") << "a;b\r\n" << L{{"a", "b"}};
        QTest::newRow("empty line kept") << "a\n\nb" << L{{"a"}, {""}, {"b"}};
        QTest::newRow("quote inside unquoted field") << "5\" disk;x" << L{{"5\" disk", "x"}};
        QTest::newRow("text after closing quote") << "\"ab\"cd;x" << L{{"abcd", "x"}};
        QTest::newRow("trailing separator") << "a;\r\n" << L{{"a", ""}};
        QTest::newRow("other separator is text") << "a,b;c" << L{{"a,b", "c"}};
    }
    void quoting()
    {
        QFETCH(QString, text);
        QFETCH(QList<QStringList>, records);
        const TCsvParse p = ParseCsv(text, u';');
        QVERIFY(p.Error.isEmpty());
        QCOMPARE(Fields(p), records);
    }

    void rowsCountAsSpreadsheetRows()
    {
        const TCsvParse p = ParseCsv(u"h\n\"two\nlines\"\n\nfour", u';');
        QCOMPARE(p.Records.size(), 4);
        QCOMPARE(p.Records[1].Row, 2);
        QCOMPARE(p.Records[3].Row, 4);
        const TCsvParse open = ParseCsv(u"h\nok\n\"never closed;x\ny", u';');
        QCOMPARE(open.Error, QStringLiteral("Red 3: navodnici nisu zatvoreni do kraja datoteke"));
    }

    void writerQuotesOnlyWhatNeedsIt()
    {
        QCOMPARE(CsvField("plain text", u';'), QStringLiteral("plain text"));
        QCOMPARE(CsvField("a,b", u';'), QStringLiteral("a,b"));
        QCOMPARE(CsvField("a;b", u';'), QStringLiteral("\"a;b\""));
        QCOMPARE(CsvField("a,b", u','), QStringLiteral("\"a,b\""));
        QCOMPARE(CsvField("say \"hi\"", u';'), QStringLiteral("\"say \"\"hi\"\"\""));
        QCOMPARE(CsvField("a\nb", u';'), QStringLiteral("\"a\nb\""));
        QCOMPARE(CsvField(" lead", u';'), QStringLiteral("\" lead\""));
        QString line;
        AppendCsvRecord(line, {"x", "", "y;z"}, u';');
        QCOMPARE(line, QStringLiteral("x;;\"y;z\"\r\n"));
        // Whatever the writer makes, the reader takes back.
        const QStringList nasty = {"", "\"", "\"\"", ";", "\r\n", "\r", "a\"b", " ", "x;\"y\"\nz"};
        for (QChar sep : {u';', u','}) {
            QString text;
            AppendCsvRecord(text, nasty, sep);
            AppendCsvRecord(text, nasty, sep);
            const TCsvParse p = ParseCsv(text, sep);
            QCOMPARE(Fields(p), (QList<QStringList>{nasty, nasty}));
        }
    }

    void separatorAndEncodingDetected()
    {
        QCOMPARE(DetectCsvSeparator(u"Opis;Iznos;Svrha"), u';');
        QCOMPARE(DetectCsvSeparator(u"Opis,Iznos,Svrha"), u',');
        QCOMPARE(DetectCsvSeparator(u"\"a;b;c\",Iznos\nx;y;z;w"), u',');
        QCOMPARE(DetectCsvSeparator(u"Opis"), u';');

        const QString bosnian = QStringLiteral("Šaćir Đulić, Žepče");
        const TCsvText bom = DecodeCsvBytes("\xEF\xBB\xBF" + bosnian.toUtf8());
        QCOMPARE(bom.Encoding, TCsvEncoding::Utf8Bom);
        QCOMPARE(bom.Text, bosnian);
        const TCsvText utf8 = DecodeCsvBytes(bosnian.toUtf8());
        QCOMPARE(utf8.Encoding, TCsvEncoding::Utf8);
        QCOMPARE(utf8.Text, bosnian);
        const TCsvText cp = DecodeCsvBytes(Win1250::Encode(bosnian));
        QCOMPARE(cp.Encoding, TCsvEncoding::Windows1250);
        QCOMPARE(cp.Text, bosnian);
        QByteArray utf16("\xFF\xFE");
        for (QChar c : bosnian)
            utf16 += char(c.unicode() & 0xff), utf16 += char(c.unicode() >> 8);
        const TCsvText u16 = DecodeCsvBytes(utf16);
        QCOMPARE(u16.Encoding, TCsvEncoding::Utf16);
        QCOMPARE(u16.Text, bosnian);
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("decimal comma") << "1234,56" << true << 1234.56;
        QTest::newRow("decimal point") << "1234.56" << true << 1234.56;
        QTest::newRow("dots and comma") << "1.234.567,89" << true << 1234567.89;
        QTest::newRow("commas and point") << "1,234,567.89" << true << 1234567.89;
        QTest::newRow("blank thousands") << "1 234,5" << true << 1234.5;
        QTest::newRow("no-break blank") << QString::fromUtf16(u"12\u00A0345,00") << true << 12345.0;
        QTest::newRow("apostrophe thousands") << "1'234.50" << true << 1234.5;
        QTest::newRow("several dots are thousands") << "1.234.567" << true << 1234567.0;
        QTest::newRow("lone point is decimal") << "1.234" << true << 1.234;
        QTest::newRow("outer blanks and sign") << "  -12,5 " << true << -12.5;
        QTest::newRow("no whole part") << ",5" << true << 0.5;
        QTest::newRow("whole number") << "12500" << true << 12500.0;
        QTest::newRow("letters") << "12,3a" << false << 0.0;
        QTest::newRow("KM as shown") << "1.234,50 KM" << true << 1234.5;
        QTest::newRow("KM in front") << "KM 12,00" << true << 12.0;
        QTest::newRow("BAM") << "12.5BAM" << true << 12.5;
        QTest::newRow("another currency") << "12,00 EUR" << false << 0.0;
        QTest::newRow("currency alone") << "KM" << false << 0.0;
        QTest::newRow("bad group") << "1.23.456" << false << 0.0;
        QTest::newRow("group of four") << "1.2345,00" << false << 0.0;
        QTest::newRow("two decimal commas") << "1.234,5,6" << false << 0.0;
        QTest::newRow("separator in the fraction") << "1,234.5.6" << false << 0.0;
        QTest::newRow("only a sign") << "-" << false << 0.0;
        QTest::newRow("only a separator") << "," << false << 0.0;
        QTest::newRow("exponent") << "1e5" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
    }
    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        const std::optional<double> v = ParseCsvNumber(text);
        QCOMPARE(v.has_value(), ok);
        if (ok)
            QCOMPARE(*v, value);
    }

    void amountsWrittenToComeBack()
    {
        QCOMPARE(CsvAmountText(1234.5), QStringLiteral("1234,50"));
        QCOMPARE(CsvAmountText(0), QStringLiteral("0,00"));
        QCOMPARE(CsvAmountText(0.1 + 0.2), QStringLiteral("0,30000000000000004"));
        for (double v : {0.1 + 0.2, 1e300, 5e-324, -0.0, 123456789.125, 1.0 / 3})
            QCOMPARE(ParseCsvNumber(CsvAmountText(v)).value(), v);
        QVERIFY(std::signbit(*ParseCsvNumber(CsvAmountText(-0.0))));
        for (float f : {33.333332f, 0.1f, 1e-40f, 3.4e38f})
            QCOMPARE(ParseCsvFloat(CsvFloatText(f)).value(), f);
    }

    void libreOfficeBosnianFile()
    {
        TUpl defaults = NewSlip();
        defaults.Budzetska = QStringLiteral("0101010");
        defaults.Procenat = 50;
        const TSlipCsvImport r = ImportSlipsCsv(ReadData("libreoffice-bs.csv"), defaults);
        QVERIFY2(r.Error.isEmpty(), qPrintable(r.Error));
        QCOMPARE(r.Encoding, TCsvEncoding::Windows1250);
        QCOMPARE(r.Separator, u';');
        QCOMPARE(r.UnknownColumns, QStringList{"Napomena"});
        QVERIFY(r.Refused.isEmpty());
        QCOMPARE(r.Slips.size(), 3); // the empty row is left out

        const TUpl &a = r.Slips[0];
        QCOMPARE(a.Opis, QStringLiteral("Struja za januar"));
        QCOMPARE(a.RacunPosiljaoca, QStringLiteral("1990440001200279"));
        QCOMPARE(a.Posiljalac, QStringLiteral("Šaćir Đulić, Žepče"));
        QCOMPARE(a.Iznos, 1234.56);
        QCOMPARE(a.Hitno, false);
        QCOMPARE(a.BrojObveznika, QStringLiteral("1505985171236"));
        QCOMPARE(a.Opstina, QStringLiteral("077"));
        QCOMPARE(a.DatumUplate, QStringLiteral("150125"));
        // Columns the file lacks keep the default slip's values.
        QCOMPARE(a.Budzetska, QStringLiteral("0101010"));
        QCOMPARE(a.Procenat, 50.0f);
        QCOMPARE(a.MjestoUplate, QString());

        const TUpl &b = r.Slips[1];
        QCOMPARE(b.Posiljalac, QStringLiteral("Ćamil Čaušević; Tuzla"));
        QCOMPARE(b.Svrha, QStringLiteral("Voda \"Vodovod\" d.o.o.\r\ndrugi red"));
        QCOMPARE(b.Iznos, 45.2);
        QCOMPARE(b.Hitno, true);
        QCOMPARE(b.BrojObveznika, QString());

        const TUpl &c = r.Slips[2];
        QCOMPARE(c.Iznos, 12500.0);
        QCOMPARE(c.Hitno, true);
        QCOMPARE(c.VrstaUplate, QStringLiteral("1"));
        QCOMPARE(c.DatumUplate, QStringLiteral("311224"));
    }

    void utf8CommaFileWithRefusedRows()
    {
        const TSlipCsvImport r = ImportSlipsCsv(ReadData("utf8-comma.csv"), NewSlip());
        QVERIFY2(r.Error.isEmpty(), qPrintable(r.Error));
        QCOMPARE(r.Encoding, TCsvEncoding::Utf8);
        QCOMPARE(r.Separator, u',');
        QCOMPARE(r.UnknownColumns, QStringList{"Ignorisano"});
        QStringList refused;
        for (const TCsvRefusal &x : r.Refused)
            refused += CsvRefusalText(x);
        QCOMPARE(refused, (QStringList{
                              QStringLiteral("Red 4: Opis sadrži znak „Ñ“ koji Windows-1250 ne "
                                             "može zapisati"),
                              QStringLiteral("Red 5: Iznos „abc“ nije broj"),
                              QStringLiteral("Red 6: Svrha ima 151 znakova, a najviše je 150"),
                          }));
        QCOMPARE(r.Slips.size(), 3);
        QCOMPARE(r.Slips[0].Iznos, 1234.5);
        QCOMPARE(r.Slips[0].Svrha, QStringLiteral("Kirija za mart, stan"));
        QCOMPARE(r.Slips[0].Primalac, QStringLiteral("Ćiro Marić"));
        QCOMPARE(r.Slips[0].Procenat, 12.5f);
        QCOMPARE(r.Slips[1].Opis, QStringLiteral("Račun sa €")); // € is in the code page
        QCOMPARE(r.Slips[1].Iznos, 99.9);
        QCOMPARE(r.Slips[2].Opis, QStringLiteral("Zadnji"));
        QCOMPARE(r.Slips[2].Svrha, QStringLiteral("Svrha \"citat\""));
    }

    void wholeFileRefusals()
    {
        const TUpl d = NewSlip();
        QCOMPARE(ImportSlipsCsv("", d).Error, QStringLiteral("Datoteka je prazna"));
        QVERIFY(ImportSlipsCsv("Ime;Prezime\nA;B\n", d).Error.startsWith("Prvi red ne imenuje"));
        QCOMPARE(ImportSlipsCsv("Iznos;iznos\n1;2\n", d).Error,
                 QStringLiteral("Kolona Iznos se ponavlja u prvom redu"));
        const TSlipCsvImport open = ImportSlipsCsv("Opis\n\"a\n", d);
        QVERIFY(!open.Error.isEmpty());
        QVERIFY(open.Slips.isEmpty());
    }

    // The import decodes and reads its text in pieces; where a piece ends
    // (inside a UTF-8 character, a quoted line break, between CR and LF, a
    // doubled quote) must not change a thing.
    void piecesGiveTheWholeFilesAnswer_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("libreoffice") << ReadData("libreoffice-bs.csv");
        QTest::newRow("utf8 comma, refusals") << ReadData("utf8-comma.csv");
        QByteArray odd = ExportSlipsCsv({OddSlip(), OddSlip()});
        QTest::newRow("quotes and breaks") << odd;
        QTest::newRow("windows-1250") << Win1250::Encode(
            QStringLiteral("Opis;Posiljalac\r\nŠ\"č\";Đ\r\n\"a\"\"b\"\"\"x;\"\r\n\"\r\n"));
        static const char16_t utf16[] = u"Opis;Iznos\r\nŽ𝄞;1,5\r\n";
        QTest::newRow("utf-16") << QByteArray("\xFF\xFE", 2) +
                                       QByteArray(reinterpret_cast<const char *>(utf16),
                                                  sizeof utf16 - sizeof utf16[0]);
        QTest::newRow("open quote") << QByteArray("Opis;Iznos\n1;2\n\"abc\n;\n");
        QTest::newRow("separator last") << QByteArray("Opis;Iznos;\r\na;1;");
    }
    void piecesGiveTheWholeFilesAnswer()
    {
        QFETCH(QByteArray, bytes);
        const TUpl d = NewSlip();
        const TSlipCsvImport whole = ImportSlipsCsv(bytes, d, bytes.size() + 8);
        QVERIFY(whole.Error.isEmpty() ? whole.Taken > 0 || !whole.Refused.isEmpty()
                                      : whole.Slips.isEmpty());
        for (qsizetype chunk : {1, 2, 3, 5, 7, 64}) {
            const TSlipCsvImport r = ImportSlipsCsv(bytes, d, chunk);
            QCOMPARE(r.Error, whole.Error);
            QCOMPARE(r.Encoding, whole.Encoding);
            QCOMPARE(r.Separator, whole.Separator);
            QCOMPARE(r.Slips, whole.Slips);
            QCOMPARE(r.Refused.size(), whole.Refused.size());
            for (qsizetype i = 0; i < r.Refused.size(); ++i)
                QCOMPARE(CsvRefusalText(r.Refused[i]), CsvRefusalText(whole.Refused[i]));
        }
        // The reader over the file: the same, and slips handed on one by one.
        const QString path = QDir::temp().filePath(QStringLiteral("kordavina-tst-csv.csv"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        QList<TUpl> handed;
        const TSlipCsvImport fromFile =
            ImportSlipsCsvFile(path, d, [&](TUpl &&s) { handed.append(std::move(s)); });
        QFile::remove(path);
        QCOMPARE(fromFile.Error, whole.Error);
        QVERIFY(fromFile.Slips.isEmpty());
        if (whole.Error.isEmpty())
            QCOMPARE(handed, whole.Slips);
        QCOMPARE(fromFile.Taken, whole.Taken);
    }

    void hostileFilesAreRefusedNotHeld()
    {
        const TUpl d = NewSlip();
        // Every row refused: the first 100 reasons are kept, the rest counted.
        QByteArray bad = "Iznos\n";
        for (int i = 0; i < 250; ++i)
            bad += "x\n";
        const TSlipCsvImport r = ImportSlipsCsv(bad, d, 16);
        QCOMPARE(r.Refused.size(), 100);
        QCOMPARE(r.MoreRefused, 150);
        QCOMPARE(r.Refused.last().Row, 101);
        // A quote left open is not held on to the end of a large file.
        QByteArray open = "Opis\n\"";
        open += QByteArray(40 << 20, 'a');
        const TSlipCsvImport o = ImportSlipsCsv(open, d);
        QVERIFY2(o.Error.startsWith("Red 2: red je duži od"), qPrintable(o.Error));
        QVERIFY(o.Slips.isEmpty());
#ifdef Q_OS_UNIX
        // Not a regular file: refused before it is read.
        QList<TUpl> none;
        const TSlipCsvImport dev =
            ImportSlipsCsvFile("/dev/zero", d, [&](TUpl &&s) { none.append(s); });
        QCOMPARE(dev.Error, QStringLiteral("nije obična datoteka (uređaj)"));
        QVERIFY(none.isEmpty());
#endif
    }

    void rowRefusalsNamedPerCell()
    {
        const TSlipCsvImport r = ImportSlipsCsv("Opis;Hitno;Stanja;Procenat;Opstina\n"
                                                "a;možda;1 2 3;x;12345\n"
                                                "b;1;;;\n"
                                                "c;0;0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0;1;077;extra\n",
                                                NewSlip());
        QStringList refused;
        for (const TCsvRefusal &x : r.Refused)
            refused += CsvRefusalText(x);
        QCOMPARE(refused,
                 (QStringList{
                     QStringLiteral("Red 2: Hitno „možda“ nije ni „da“ ni „ne“ (1 ili 0)"),
                     QStringLiteral("Red 2: Stanja „1 2 3“ nije 16 cijelih brojeva odvojenih "
                                    "razmakom"),
                     QStringLiteral("Red 2: Procenat „x“ nije broj"),
                     QStringLiteral("Red 2: Opstina ima 5 znakova, a najviše je 3"),
                     QStringLiteral("Red 4: red ima 6 ćelija, a prvi red samo 5 kolona"),
                 }));
        // An account that a spreadsheet turned into a number is named as such.
        const TSlipCsvImport lost =
            ImportSlipsCsv("Opis;RacunPrimaoca;Poziv\na;1,99044000120028E+015;1.5e+3\n", NewSlip());
        QCOMPARE(lost.Refused.size(), 2);
        QCOMPARE(CsvRefusalText(lost.Refused[0]),
                 QStringLiteral("Red 2: RacunPrimaoca „1,99044000120028E+015“ je u tabeli zapisan "
                                "kao broj i izgubio je cifre; formatirajte tu kolonu kao tekst"));
        QVERIFY(lost.Refused[1].Reason.startsWith("Poziv „1.5e+3“ je u tabeli zapisan kao broj"));
        QCOMPARE(r.Slips.size(), 1);
        QCOMPARE(r.Slips[0].Opis, QStringLiteral("b"));
        QCOMPARE(r.Slips[0].Hitno, true);
    }

    void flagsAsSpreadsheetsWriteThem()
    {
        const TSlipCsvImport r = ImportSlipsCsv("Opis;Hitno;Oznacena\n"
                                                "a;ISTINA;NETAČNO\n"
                                                "b; Da ;0\n"
                                                "c;;X\n"
                                                "d;FALSE;true\n",
                                                NewSlip());
        QVERIFY(r.Refused.isEmpty());
        QCOMPARE(r.Slips.size(), 4);
        const QList<std::pair<bool, bool>> expected = {
            {true, false}, {true, false}, {false, true}, {false, true}};
        for (qsizetype i = 0; i < 4; ++i)
            QCOMPARE((std::pair{r.Slips[i].Hitno, r.Slips[i].Oznacena}), expected[i]);
    }

    void roundTripKeepsEveryField()
    {
        TUpl second = NewSlip();
        second.Opis = QStringLiteral("Druga");
        second.Iznos = 1234567.89;
        const QList<TUpl> slips = {OddSlip(), second, NewSlip()};
        const QByteArray csv = ExportSlipsCsv(slips);
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"
                               "Opis;RacunPosiljaoca;Posiljalac;"));
        QVERIFY(csv.contains(";1234567,89;"));
        QVERIFY(csv.contains(";01.01.25;31. 2. 5;"));

        TUpl defaults = NewSlip();
        defaults.Opis = QStringLiteral("must be overwritten");
        defaults.Stanja.fill(2);
        const TSlipCsvImport r = ImportSlipsCsv(csv, defaults);
        QVERIFY(r.Error.isEmpty());
        QVERIFY(r.Refused.isEmpty());
        QVERIFY(r.UnknownColumns.isEmpty());
        QCOMPARE(r.Encoding, TCsvEncoding::Utf8Bom);
        QCOMPARE(r.Slips.size(), slips.size());
        for (qsizetype i = 0; i < slips.size(); ++i)
            QVERIFY2(r.Slips[i] == slips[i], qPrintable(QString::number(i)));
    }
};

QTEST_APPLESS_MAIN(TestCsv)
#include "tst_csv.moc"

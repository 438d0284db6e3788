// Sheets made by a real spreadsheet program (LibreOffice, headless): an
// office's sheet with text, number, currency, percentage, date and logical
// cells, written as CSV in the variants offices use, imported; and the export
// opened in the spreadsheet, saved as CSV and imported again.

#include "core/CsvCells.h"
#include "core/SlipCsv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const char *const kStyles = R"(<office:automatic-styles>
 <number:date-style style:name="dshort" number:language="bs" number:country="BA"><number:day/><number:text>.</number:text><number:month/><number:text>.</number:text><number:year/></number:date-style>
 <number:date-style style:name="dlong" number:language="bs" number:country="BA"><number:day number:style="long"/><number:text>.</number:text><number:month number:style="long"/><number:text>.</number:text><number:year number:style="long"/><number:text>.</number:text></number:date-style>
 <number:date-style style:name="diso"><number:year number:style="long"/><number:text>-</number:text><number:month number:style="long"/><number:text>-</number:text><number:day number:style="long"/></number:date-style>
 <number:percentage-style style:name="pct" number:language="bs" number:country="BA"><number:number number:decimal-places="2" number:min-integer-digits="1"/><number:text>%</number:text></number:percentage-style>
 <number:currency-style style:name="km" number:language="bs" number:country="BA"><number:number number:decimal-places="2" number:min-integer-digits="1" number:grouping="true"/><number:text> </number:text><number:currency-symbol>KM</number:currency-symbol></number:currency-style>
 <number:number-style style:name="num" number:language="bs" number:country="BA"><number:number number:decimal-places="2" number:min-integer-digits="1" number:grouping="true"/></number:number-style>
 <style:style style:name="cdshort" style:family="table-cell" style:data-style-name="dshort"/>
 <style:style style:name="cdlong" style:family="table-cell" style:data-style-name="dlong"/>
 <style:style style:name="cdiso" style:family="table-cell" style:data-style-name="diso"/>
 <style:style style:name="cpct" style:family="table-cell" style:data-style-name="pct"/>
 <style:style style:name="ckm" style:family="table-cell" style:data-style-name="km"/>
 <style:style style:name="cnum" style:family="table-cell" style:data-style-name="num"/>
</office:automatic-styles>)";

const char *const kBosnianProfile = R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Setup/L10N"><prop oor:name="ooSetupSystemLocale" oor:op="fuse"><value>bs-BA</value></prop></item>
</oor:items>
)";

QString Text(const QString &t)
{
    return QStringLiteral("<table:table-cell office:value-type=\"string\"><text:p>%1</text:p>"
                          "</table:table-cell>")
        .arg(t.toHtmlEscaped());
}

QString Cell(const char *style, const char *type, const QString &attributes)
{
    return QStringLiteral("<table:table-cell %1office:value-type=\"%2\" %3/>")
        .arg(*style ? QStringLiteral("table:style-name=\"%1\" ").arg(QLatin1String(style))
                    : QString(),
             QLatin1String(type), attributes);
}

QString Row(const QStringList &cells)
{
    return QStringLiteral("<table:table-row>") + cells.join(QString()) +
           QStringLiteral("</table:table-row>\n");
}

// The office's sheet. Row 2 and 3 hold what offices type; row 4 is blank
// cells; in row 5 the account, JMB and municipality were typed into number
// cells, as happens when a column is left in the General format.
QByteArray OfficeSheet()
{
    QString rows = Row({Text("Opis"), Text("Posiljalac"), Text("Svrha"), Text("RacunPrimaoca"),
                        Text("Iznos"), Text("Hitno"), Text("BrojObveznika"), Text("Opstina"),
                        Text("DatumUplate"), Text("PeriodOd"), Text("PeriodDo"), Text("Procenat")});
    rows += Row({Text("Struja Čćžšđ"), Text("Šaćir \"Đulić\"; Žepče"),
                 Text("=HYPERLINK(\"http://x\")"), Text("1610000012345686"),
                 Cell("ckm", "currency", "office:currency=\"BAM\" office:value=\"1234.5\""),
                 Cell("", "boolean", "office:boolean-value=\"true\""), Text("0703985127167"),
                 Text("077"), Cell("cdshort", "date", "office:date-value=\"2026-01-05\""),
                 Cell("cdlong", "date", "office:date-value=\"2026-08-15\""),
                 Cell("cdiso", "date", "office:date-value=\"2026-10-28\""),
                 Cell("cpct", "percentage", "office:value=\"0.3\"")});
    rows +=
        Row({Text("Voda"), Text(""), Text(""), Text(""),
             Cell("cnum", "float", "office:value=\"1045.2\""),
             Cell("", "boolean", "office:boolean-value=\"false\""), Text(""), Text(""), Text(""),
             Text(""), Text(""), Cell("cpct", "percentage", "office:value=\"0.125\"")});
    rows += Row({Text(""), Text(""), Text(""), Text("")});
    rows += Row({Text("Brojevi"), Text(""), Text(""),
                 Cell("", "float", "office:value=\"1610000012345686\""), Text(""), Text(""),
                 Cell("", "float", "office:value=\"703985127167\""),
                 Cell("", "float", "office:value=\"77\"")});
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document "
               "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
               "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
               "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
               "xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\" "
               "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
               "office:version=\"1.2\" "
               "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">\n%1\n"
               "<office:body><office:spreadsheet><table:table table:name=\"Uplate\">\n%2"
               "</table:table></office:spreadsheet></office:body></office:document>\n")
        .arg(QLatin1String(kStyles), rows)
        .toUtf8();
}

QStringList Texts(const QList<TCsvRefusal> &list)
{
    QStringList out;
    for (const TCsvRefusal &x : list)
        out += CsvRefusalText(x);
    return out;
}

} // namespace

class TestCsvSpreadsheet : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_soffice;

    QString Path(const QString &name) const { return m_dir.filePath(name); }

    // One run of the converter; LibreOffice takes seconds to start, so each
    // run converts all its files at once.
    bool Convert(const QStringList &options, const QStringList &files, const QString &outDir)
    {
        QProcess p;
        p.setWorkingDirectory(m_dir.path());
        p.start(m_soffice, QStringList{"-env:UserInstallation=file://" + Path("profile"),
                                       "--headless", "--norestore"} +
                               options + QStringList{"--outdir", outDir} + files);
        if (!p.waitForFinished(600000)) {
            p.kill();
            p.waitForFinished();
            return false;
        }
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    static QByteArray Bytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (m_soffice.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed; the spreadsheet tests are skipped");
        QVERIFY(m_dir.isValid());
        // A profile in Bosnian settings, as the offices have it: default
        // formats of new cells (dates D.M.YY, decimal comma) follow it.
        QVERIFY(QDir().mkpath(Path("profile/user")));
        QFile settings(Path("profile/user/registrymodifications.xcu"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(kBosnianProfile);
    }

    // Each value of separator, character set and "as shown" occurs with each
    // value of the others once, for the sheet as written (.fods) and after it
    // went through .xlsx, which keeps 15 significant digits.
    void officeSheetInEveryVariant()
    {
        QFile sheet(Path("ured.fods"));
        QVERIFY(sheet.open(QIODevice::WriteOnly));
        sheet.write(OfficeSheet());
        sheet.close();
        QVERIFY(Convert({"--convert-to", "xlsx"}, {Path("ured.fods")}, Path("x")));
        QVERIFY(QFile::rename(Path("x/ured.xlsx"), Path("uredx.xlsx")));

        struct TVariant
        {
            const char *Name, *Options; // separator, quote, character set, …, as shown
        };
        const TVariant variants[] = {
            {"semicolon-utf8-shown", "59,34,76,1,,0,false,true,true"},
            {"comma-1250-shown", "44,34,33,1,,0,false,true,true"},
            {"semicolon-1250-raw", "59,34,33,1,,0,false,true,false"},
            {"comma-utf8-raw", "44,34,76,1,,0,false,true,false"},
        };
        for (const TVariant &v : variants)
            QVERIFY(Convert(
                {"--convert-to", QStringLiteral("csv:Text - txt - csv (StarCalc):") + v.Options},
                {Path("ured.fods"), Path("uredx.xlsx")}, Path(v.Name)));

        for (const TVariant &v : variants)
            for (const char *file : {"ured.csv", "uredx.csv"}) {
                const QString where = QStringLiteral("%1/%2").arg(v.Name, file);
                const QByteArray bytes = Bytes(Path(where));
                QVERIFY2(!bytes.isEmpty(), qPrintable(where));
                const TSlipCsvImport r = ImportSlipsCsv(bytes, NewSlip());
                QVERIFY2(r.Error.isEmpty(), qPrintable(where + ": " + r.Error));
                QCOMPARE(r.Separator, QChar(QLatin1Char(v.Name[0] == 's' ? ';' : ',')));
                QCOMPARE(r.Encoding, QByteArray(v.Name).contains("1250") ? TCsvEncoding::Windows1250
                                                                         : TCsvEncoding::Utf8);

                // Every cell the sheet holds arrives unchanged.
                QCOMPARE(r.Slips.size(), 2);
                const TUpl &a = r.Slips[0];
                QCOMPARE(a.Opis, QStringLiteral("Struja Čćžšđ"));
                QCOMPARE(a.Posiljalac, QStringLiteral("Šaćir \"Đulić\"; Žepče"));
                QCOMPARE(a.Svrha, QStringLiteral("=HYPERLINK(\"http://x\")"));
                QCOMPARE(a.RacunPrimaoca, QStringLiteral("1610000012345686"));
                QCOMPARE(a.Iznos, 1234.5);
                QCOMPARE(a.Hitno, true);
                QCOMPARE(a.BrojObveznika, QStringLiteral("0703985127167"));
                QCOMPARE(a.Opstina, QStringLiteral("077"));
                QCOMPARE(a.DatumUplate, QStringLiteral("050126"));
                QCOMPARE(a.PeriodOd, QStringLiteral("150826"));
                QCOMPARE(a.PeriodDo, QStringLiteral("281026"));
                QCOMPARE(a.Procenat, 30.0f);
                const TUpl &b = r.Slips[1];
                QCOMPARE(b.Opis, QStringLiteral("Voda"));
                QCOMPARE(b.Iznos, 1045.2);
                QCOMPARE(b.Hitno, false);
                QCOMPARE(b.Procenat, 12.5f);
                QCOMPARE(b.DatumUplate, QString());

                // What the number cells lost is refused in row 5, by column;
                // the account only where .xlsx cut it.
                const QStringList refused = Texts(r.Refused);
                QVERIFY2(refused.size() == (file[4] == 'x' ? 3 : 2),
                         qPrintable(where + ": " + refused.join(" | ")));
                QVERIFY(refused.filter("Red 5: BrojObveznika „703985127167“ ima 12").size() == 1);
                QVERIFY(refused.filter("Red 5: Opstina „77“ ima manje od tri").size() == 1);
                if (file[4] == 'x')
                    QVERIFY(refused.filter("Red 5: RacunPrimaoca „1610000012345690“").size() == 1);
            }
    }

    // The export opened in the spreadsheet in Bosnian settings (dates read as
    // dates, the other text columns as text), saved as CSV as shown: the same
    // slips come back, texts that begin like formulas included.
    void exportThroughTheSpreadsheet()
    {
        QList<TUpl> slips;
        const QStringList texts = {"=HYPERLINK(\"http://x\")",
                                   "+387 61 111 222",
                                   "-5 KM",
                                   "@SUM(A1)",
                                   "'apostrof",
                                   "Čćžšđ"};
        for (const QString &t : texts) {
            TUpl s = NewSlip();
            s.Opis = t;
            s.Svrha = t;
            s.RacunPrimaoca = QStringLiteral("1990440001200279");
            s.BrojObveznika = QStringLiteral("0101990170002");
            s.Opstina = QStringLiteral("077");
            s.Iznos = 1234.56;
            s.DatumUplate = QStringLiteral("050126");
            s.PeriodOd = QStringLiteral("010126");
            s.PeriodDo = QStringLiteral("311226");
            s.Procenat = 12.5f;
            slips += s;
        }
        QFile out(Path("izvoz.csv"));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(ExportSlipsCsv(slips));
        out.close();

        // Column types: 2 text, 4 date (D.M.Y), 1 standard; 5146 is Bosnian.
        QStringList types;
        for (int c = 1; c <= SlipCsvColumns().size(); ++c) {
            const QString name = SlipCsvColumns()[c - 1];
            const int type =
                name.startsWith("Period") || name == "DatumUplate" ? 4
                : name == "Iznos" || name == "Procenat" || name == "Hitno" || name == "Oznacena"
                    ? 1
                    : 2;
            types += QStringLiteral("%1/%2").arg(c).arg(type);
        }
        QVERIFY(Convert(
            {"--infilter=Text - txt - csv (StarCalc):59,34,76,1," + types.join('/') + ",5146",
             "--convert-to",
             "csv:Text - txt - csv (StarCalc):59,34,76,1,,5146,false,"
             "true,true"},
            {Path("izvoz.csv")}, Path("nazad")));
        const QByteArray back = Bytes(Path("nazad/izvoz.csv"));
        QVERIFY(!back.isEmpty());
        const TSlipCsvImport r = ImportSlipsCsv(back, NewSlip());
        QVERIFY2(r.Refused.isEmpty(), qPrintable(Texts(r.Refused).join('\n')));
        QCOMPARE(r.Slips.size(), slips.size());
        for (qsizetype i = 0; i < slips.size(); ++i)
            QVERIFY2(r.Slips[i] == slips[i], qPrintable(texts[i] + "\n" + QString::fromUtf8(back)));
    }
};

QTEST_GUILESS_MAIN(TestCsvSpreadsheet)
#include "tst_csvspreadsheet.moc"

// A printer's correction, printed through the command line into PDF files and
// read back character by character (pdf_layout.py, pdfminer): every character
// lands shifted and scaled by exactly what was entered, and only when asked.

#include "core/Upl.h"
#include "core/UplFileIO.h"
#include "print/formats/PrintCorrection.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct TChar
{
    QString C;
    double Centre = 0; // of the advance box, mm from the page's left edge
    double Bottom = 0; // of the text cell, mm from the page's top edge
};

QString Python()
{
    for (const QString &python :
         {QStringLiteral("/usr/bin/python3"), QStandardPaths::findExecutable("python3")}) {
        if (python.isEmpty())
            continue;
        QProcess p;
        p.start(python, {QStringLiteral("-c"), QStringLiteral("import pdfminer")});
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return python;
    }
    return QString();
}

QList<TChar> ReadChars(const QString &pdf)
{
    QProcess p;
    p.start(Python(), {QStringLiteral(KORDAVINA_PDF_LAYOUT), pdf});
    QList<TChar> chars;
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return chars;
    const QJsonObject root = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    const QJsonArray pages = root.value("pages").toArray();
    if (pages.isEmpty())
        return chars;
    for (const QJsonValue &v : pages.first().toObject().value("chars").toArray()) {
        const QJsonObject c = v.toObject();
        chars.append({c.value("c").toString(),
                      (c.value("x0").toDouble() + c.value("x1").toDouble()) / 2,
                      c.value("bottom").toDouble()});
    }
    return chars;
}

} // namespace

class TestPrintCorrection : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    const TPrintCorrection m_correction{1.5, -2.0, 99.0, 101.0};

    QString Path(const QString &name) const { return m_dir.filePath(name); }

    struct TRun
    {
        int Exit = -1;
        QString Err;
    };
    TRun Run(const QStringList &args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KORDAVINA_HOME", m_dir.path());
        env.insert("KORDAVINA_SETTINGS", Path("settings.ini"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KORDAVINA_EXE), args);
        TRun r;
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.Exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.Err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    // The same job printed plainly and with the stored correction of "Ured":
    // every character of the second lands where the correction takes the
    // first one's.
    void CompareCorrected(const QStringList &job)
    {
        QCOMPARE(Run(job + QStringList{"--pdf", Path("plain.pdf")}).Exit, 0);
        const TRun corrected =
            Run(job + QStringList{"--pdf", Path("corrected.pdf"), "--correct-for", "Ured"});
        QVERIFY2(corrected.Exit == 0, qPrintable(corrected.Err));
        const QList<TChar> plain = ReadChars(Path("plain.pdf"));
        const QList<TChar> moved = ReadChars(Path("corrected.pdf"));
        QVERIFY(plain.size() > 20);
        QCOMPARE(moved.size(), plain.size());
        double worst = 0;
        for (qsizetype i = 0; i < plain.size(); ++i) {
            QCOMPARE(moved[i].C, plain[i].C);
            worst = qMax(worst, qAbs(moved[i].Centre - m_correction.MapX(plain[i].Centre)));
            worst = qMax(worst, qAbs(moved[i].Bottom - m_correction.MapY(plain[i].Bottom)));
        }
        // A device pixel of the 1200 dpi PDF is 0.021 mm.
        QVERIFY2(worst < 0.03, qPrintable(QString::number(worst)));
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (Python().isEmpty())
            QSKIP("pdfminer is not installed");
        QSettings store(Path("settings.ini"), QSettings::IniFormat);
        WritePrintCorrection(store, QStringLiteral("Ured"), m_correction);
        WritePrintCorrection(store, Path("plain.pdf"), {5, 5, 100, 100}); // a PDF is no printer
        store.sync();
        TUplFile file;
        file.FileName = Path("slips.upl");
        TUpl slip = NewSlip();
        slip.Posiljalac = QStringLiteral("Amela Hodžić, Titova 12");
        slip.RacunPosiljaoca = QStringLiteral("1610000012345678");
        slip.Iznos = 4567.5;
        slip.PeriodOd = QStringLiteral("010124");
        slip.MjestoUplate = QStringLiteral("Sarajevo");
        file.AddSlip(slip);
        QVERIFY(WriteUplFile(file));
    }

    void gridLandsCorrected()
    {
        CompareCorrected({"grid"});
        // Absolute places: the number 20 stands centred over the 20 mm line,
        // its bottom on 9 mm; corrected, over 1.5 + 20 x 0.99 and on -2 + 9 x 1.01.
        const QList<TChar> plain = ReadChars(Path("plain.pdf"));
        const QList<TChar> moved = ReadChars(Path("corrected.pdf"));
        QCOMPARE(plain.at(0).C + plain.at(1).C, QStringLiteral("20"));
        QVERIFY(qAbs((plain[0].Centre + plain[1].Centre) / 2 - 20) < 0.05);
        QVERIFY(qAbs(plain[0].Bottom - 9) < 0.05);
        QVERIFY(qAbs((moved[0].Centre + moved[1].Centre) / 2 - 21.3) < 0.05);
        QVERIFY(qAbs(moved[0].Bottom - 7.09) < 0.05);
    }

    void slipsLandCorrected() { CompareCorrected({"print", Path("slips.upl")}); }

    void unknownPrinterIsRefused()
    {
        const TRun r = Run({"grid", "--pdf", Path("x.pdf"), "--correct-for", "Nema"});
        QCOMPARE(r.Exit, 1);
        QVERIFY2(r.Err.contains("\"Nema\""), qPrintable(r.Err));
        QCOMPARE(Run({"grid", "--pdf", Path("x.pdf"), "--correct-for"}).Exit, 2);
    }
};

QTEST_GUILESS_MAIN(TestPrintCorrection)
#include "tst_printcorrection.moc"

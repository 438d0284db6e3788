#include "catalogues/CatalogueStore.h"
#include "core/UplFileIO.h"
#include "print/formats/FormatStore.h"
#include "tools/ExampleData.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

// The sample files in examples/ are what the generator writes, and they hang
// together: every code on a slip is in the sample catalogues, and the split
// tax adds up the way multiple entry computes it.
class TestExamples : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString Fresh(const char *name) const { return m_tmp.filePath(QLatin1String(name)); }
    static QString Committed(const char *name)
    {
        return QStringLiteral(KORDAVINA_SOURCE_DIR "/examples/") + QLatin1String(name);
    }
    static QByteArray Read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        QString error;
        QVERIFY2(Examples::WriteAll(m_tmp.path(), &error), qPrintable(error));
    }

    void committedFilesAreTheGeneratorsOutput()
    {
        for (const char *name : {"Primjer.upl", "Formats.ini", "Kordavina.ini", "Racuni.ini"}) {
            const QByteArray committed = Read(Committed(name));
            QVERIFY2(!committed.isEmpty(), name);
            QVERIFY2(committed == Read(Fresh(name)),
                     qPrintable(QStringLiteral("examples/%1 differs from build/tools/"
                                               "make_examples output; run it again")
                                    .arg(QLatin1String(name))));
        }
        // Written again over existing files, the result is the same (no merging).
        QString error;
        QVERIFY(Examples::WriteAll(m_tmp.path(), &error));
        QCOMPARE(Read(Fresh("Kordavina.ini")), Read(Committed("Kordavina.ini")));
    }

    void slipCodesAreInTheCatalogues()
    {
        const TUplReadResult r = ReadUplFile(Fresh("Primjer.upl"));
        QCOMPARE(r.Status, TUplReadResult::Ok);
        TCatalogue opstine, racuni, prihodi;
        TSenderCatalogue senders;
        const QString ini = Fresh("Kordavina.ini");
        QVERIFY(LoadCatalogue(ini, TCatalogueKind::Opstine, opstine));
        QVERIFY(LoadCatalogue(ini, TCatalogueKind::Racuni, racuni));
        QVERIFY(LoadCatalogue(ini, TCatalogueKind::Prihodi, prihodi));
        QVERIFY(LoadSenders(Fresh("Racuni.ini"), senders));
        QVERIFY(opstine.Count() >= 3 && prihodi.Count() >= 3);

        int publicRevenue = 0;
        for (const TUpl &u : r.File->Uplatnice) {
            // What the editor would fill in from the catalogues.
            QCOMPARE(u.Posiljalac, senders.FindNaziv(u.RacunPosiljaoca));
            QCOMPARE(u.Primalac, racuni.FindNaziv(u.RacunPrimaoca));
            QCOMPARE(u.RacunPosiljaoca.size(), 16);
            QCOMPARE(u.RacunPrimaoca.size(), 16);
            if (u.VrstaPrihoda.isEmpty())
                continue;
            ++publicRevenue;
            QVERIFY2(!prihodi.FindNaziv(u.VrstaPrihoda).isEmpty(), qPrintable(u.VrstaPrihoda));
            QVERIFY2(!opstine.FindNaziv(u.Opstina).isEmpty(), qPrintable(u.Opstina));
            QCOMPARE(u.BrojObveznika, senders.FindBroj(u.RacunPosiljaoca));
        }
        QVERIFY(publicRevenue >= 2);
    }

    void taxSplitIsWhatMultipleEntryGives()
    {
        const TUplReadResult r = ReadUplFile(Fresh("Primjer.upl"));
        QVERIFY(r.File);
        double shares = 0, sum = 0;
        int parts = 0;
        for (const TUpl &u : r.File->Uplatnice) {
            if (u.Procenat <= 0)
                continue;
            ++parts;
            shares += u.Procenat;
            sum += u.Iznos;
            QCOMPARE(u.Iznos, std::round(double(u.Procenat) * Examples::kTaxBase) / 100.0);
        }
        QVERIFY(parts >= 2);
        QCOMPARE(shares, 100.0);
        QCOMPARE(sum, Examples::kTaxBase);
    }

    void formatIsTheDefaultForTheCommonForm()
    {
        TFormatStore store;
        QVERIFY(store.Open(Fresh("Formats.ini")));
        QCOMPARE(store.DefaultName(), Examples::FormatName());
        const TFieldFormats f = store.GetDefaultFormat();
        QCOMPARE(f.Width, 176.0);
        QCOMPARE(f.Height, 100.0);
        // Every position lies on the form.
        for (const TFieldFormat &p : f.Positions) {
            QVERIFY(p.Left >= 0 && p.Left + p.Width <= f.Width);
            QVERIFY(p.Top > 0 && p.Top <= f.Height);
        }
    }

    void checkDigits()
    {
        // ISO 7064 MOD 97-10: the whole number, read as an integer, leaves 1.
        for (const char *n : {"00000123456", "00000011111", "99999999999"}) {
            const QString a = Examples::Account("161", n);
            QCOMPARE(a.size(), 16);
            int rest = 0;
            for (QChar c : a)
                rest = (rest * 10 + c.digitValue()) % 97;
            QCOMPARE(rest, 1);
        }
        // A personal number with a known check digit (weights 7..2, mod 11).
        QCOMPARE(Examples::PersonalNumber("010100000000"), QStringLiteral("0101000000001"));
    }
};

QTEST_GUILESS_MAIN(TestExamples)
#include "tst_examples.moc"

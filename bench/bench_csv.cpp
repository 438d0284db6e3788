// Imports a CSV file of many slips and exports it back, and compares the time
// with reading and writing the same bytes raw. Run by hand:
//   bench_csv [ROWS] [FOLDER] [RUNS]
// The slips carry Bosnian letters, and one in ten has texts with ';', quotes
// and line breaks, so the writer quotes and the reader unquotes some fields.

#include "core/NumberChecks.h"
#include "core/SlipCsv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString Word(QRandomGenerator &rng, int minLen, int maxLen)
{
    static const QString letters =
        QStringLiteral("abcdefghijklmnoprstuvzšđčćžABCDEFGHIJKLMNOPRSTUVZŠĐČĆŽ ");
    const int n = minLen + rng.bounded(maxLen - minLen + 1);
    QString s(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        s[i] = letters[rng.bounded(letters.size())];
    return s;
}

QString Digits(QRandomGenerator &rng, int n)
{
    QString s(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        s[i] = QChar(u'0' + rng.bounded(10));
    return s;
}

// Accounts pass their check and dates exist, as in an office's file; the
// import refuses others.
QString Account(QRandomGenerator &rng)
{
    const QString first = QString::number(1 + rng.bounded(9)) + Digits(rng, 13);
    return first + QStringLiteral("%1").arg(AccountCheckDigits(first), 2, 10, QLatin1Char('0'));
}

QString Date(QRandomGenerator &rng)
{
    return QStringLiteral("%1%2%3")
        .arg(1 + rng.bounded(28), 2, 10, QLatin1Char('0'))
        .arg(1 + rng.bounded(12), 2, 10, QLatin1Char('0'))
        .arg(rng.bounded(100), 2, 10, QLatin1Char('0'));
}

QList<TUpl> MakeSlips(int count)
{
    QRandomGenerator rng(42);
    QList<TUpl> slips;
    slips.reserve(count);
    for (int i = 0; i < count; ++i) {
        TUpl u;
        u.Opis = Word(rng, 5, 30);
        u.RacunPosiljaoca = Account(rng);
        u.Posiljalac = Word(rng, 20, 80);
        u.Svrha = Word(rng, 10, 60);
        if (i % 10 == 0) {
            u.Posiljalac += QStringLiteral("; \"Firma\"\r\nGrad");
            u.Svrha += QStringLiteral(", \"quoted\"");
        }
        u.RacunPrimaoca = Account(rng);
        u.Primalac = Word(rng, 20, 80);
        u.Iznos = rng.bounded(10000000) / 100.0;
        u.Hitno = rng.bounded(2);
        u.BrojObveznika = Digits(rng, 13);
        u.VrstaUplate = Digits(rng, 1);
        u.VrstaPrihoda = Digits(rng, 6);
        u.Opstina = Digits(rng, 3);
        u.Poziv = Digits(rng, 10);
        u.Budzetska = Digits(rng, 7);
        u.PeriodOd = Date(rng);
        u.PeriodDo = Date(rng);
        u.DatumUplate = Date(rng);
        u.MjestoUplate = Word(rng, 5, 20);
        for (qint32 &s : u.Stanja)
            s = rng.bounded(3);
        u.Oznacena = rng.bounded(2);
        u.Procenat = float(rng.bounded(10000)) / 100.0f;
        slips.append(std::move(u));
    }
    return slips;
}

template <typename Fn> double Seconds(Fn fn)
{
    QElapsedTimer t;
    t.start();
    fn();
    return t.nsecsElapsed() / 1e9;
}

void Fail(const char *what)
{
    std::fprintf(stderr, "bench_csv: %s\n", what);
    std::exit(1);
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        Fail("cannot read");
    return f.readAll();
}

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        Fail("cannot write");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int rows = args.size() > 1 ? args[1].toInt() : 100000;
    QTemporaryDir tmp;
    const QString folder = args.size() > 2 ? args[2] : tmp.path();
    const int runs = args.size() > 3 ? args[3].toInt() : 5;
    const QString csvPath = folder + QStringLiteral("/bench.csv");
    const QString rawPath = folder + QStringLiteral("/bench.raw");

    const QList<TUpl> slips = MakeSlips(rows);
    const QByteArray bytes = ExportSlipsCsv(slips);
    WriteAll(csvPath, bytes);
    const double mb = bytes.size() / 1e6;
    std::printf("%d rows, %.2f MB, best of %d runs\n", rows, mb, runs);

    std::vector<double> rawRead, import, rawWrite, exportT;
    for (int run = 0; run < runs; ++run) {
        rawRead.push_back(Seconds([&] {
            if (ReadAll(csvPath).size() != bytes.size())
                Fail("short read");
        }));
        import.push_back(Seconds([&] {
            const TSlipCsvImport r = ImportSlipsCsv(ReadAll(csvPath), NewSlip());
        if (r.Slips.size() != rows || !r.Refused.isEmpty())
            Fail("import lost rows");
    }));
    rawWrite.push_back(Seconds([&] { WriteAll(rawPath, bytes); }));
    exportT.push_back(Seconds([&] {
        QString error;
        if (!WriteSlipsCsv(rawPath, slips, &error))
            Fail("export failed");
    }));
}
const auto best = [](const std::vector<double> &v) {
    return *std::min_element(v.begin(), v.end());
};
const auto line = [&](const char *what, double s, double raw) {
    std::printf("  %-28s %8.1f ms %9.1f MB/s  %6.1f x raw\n", what, s * 1e3, mb / s, s / raw);
};
line("read raw", best(rawRead), best(rawRead));
line("import (read + parse)", best(import), best(rawRead));
line("write raw", best(rawWrite), best(rawWrite));
line("export (format + save)", best(exportT), best(rawWrite));

// The exported file reads back to the same slips.
const TSlipCsvImport back = ImportSlipsCsv(ReadAll(rawPath), NewSlip());
if (back.Slips != slips)
    Fail("round trip differs");
std::printf("  round trip: %lld slips equal\n", qlonglong(back.Slips.size()));
return 0;
}

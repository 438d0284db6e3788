// Writes and reads a slip file of many slips and compares the time with
// writing and reading the same bytes raw. Run by hand:
//   bench_uplfile [SLIPS] [FOLDER]
// Two files are measured: "distinct", where every text of every slip is
// different (the worst case for the reader), and "typical", where senders,
// recipients, purposes and codes come from small sets, as in files of
// recurring payments.

#include "core/UplFileIO.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <ctime>
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

TUplFile MakeDistinct(int count)
{
    QRandomGenerator rng(42);
    TUplFile f;
    f.Napomene = QStringLiteral("Mjesečne uplate\r\nza 2024. godinu");
    f.Uplatnice.reserve(count);
    for (int i = 0; i < count; ++i) {
        TUpl u;
        u.Opis = Word(rng, 5, 30);
        u.RacunPosiljaoca = Digits(rng, 16);
        u.Posiljalac = Word(rng, 20, 80);
        u.Svrha = Word(rng, 10, 60);
        u.RacunPrimaoca = Digits(rng, 16);
        u.Primalac = Word(rng, 20, 80);
        u.Iznos = rng.bounded(10000000) / 100.0;
        u.Hitno = rng.bounded(2);
        u.BrojObveznika = Digits(rng, 13);
        u.VrstaUplate = Digits(rng, 1);
        u.VrstaPrihoda = Digits(rng, 6);
        u.Opstina = Digits(rng, 3);
        u.Poziv = Digits(rng, 10);
        u.Budzetska = Digits(rng, 7);
        u.PeriodOd = Digits(rng, 6);
        u.PeriodDo = Digits(rng, 6);
        u.DatumUplate = Digits(rng, 6);
        u.MjestoUplate = Word(rng, 5, 20);
        for (qint32 &s : u.Stanja)
            s = rng.bounded(3);
        u.Oznacena = rng.bounded(2);
        u.Procenat = float(rng.bounded(10000)) / 100.0f;
        f.Uplatnice.append(std::move(u));
    }
    return f;
}

TUplFile MakeTypical(int count)
{
    QRandomGenerator rng(7);
    auto pool = [&rng](int n, auto make) {
        QStringList p;
        for (int i = 0; i < n; ++i)
            p << make();
        return p;
    };
    auto pick = [&rng](const QStringList &p) { return p[rng.bounded(p.size())]; };
    const QStringList senderAcc = pool(20, [&] { return Digits(rng, 16); });
    const QStringList senders = pool(20, [&] { return Word(rng, 20, 80); });
    const QStringList recipientAcc = pool(300, [&] { return Digits(rng, 16); });
    const QStringList recipients = pool(300, [&] { return Word(rng, 20, 80); });
    const QStringList purposes = pool(40, [&] { return Word(rng, 10, 60); });
    const QStringList descriptions = pool(2000, [&] { return Word(rng, 5, 30); });
    const QStringList taxpayers = pool(5000, [&] { return Digits(rng, 13); });
    const QStringList revenue = pool(50, [&] { return Digits(rng, 6); });
    const QStringList places = pool(80, [&] { return Digits(rng, 3); });
    const QStringList budget = pool(20, [&] { return Digits(rng, 7); });
    const QStringList months = pool(24, [&] { return Digits(rng, 6); });
    const QStringList days = pool(365, [&] { return Digits(rng, 6); });
    const QStringList towns = pool(10, [&] { return Word(rng, 5, 20); });

    TUplFile f;
    f.Napomene = QStringLiteral("Mjesečne uplate\r\nza 2024. godinu");
    f.Uplatnice.reserve(count);
    for (int i = 0; i < count; ++i) {
        TUpl u;
        const int s = rng.bounded(senders.size());
        const int r = rng.bounded(recipients.size());
        // Fresh strings, as if typed, so that the writer sees no sharing.
        u.Opis = QString(pick(descriptions).data());
        u.RacunPosiljaoca = QString(senderAcc[s].data());
        u.Posiljalac = QString(senders[s].data());
        u.Svrha = QString(pick(purposes).data());
        u.RacunPrimaoca = QString(recipientAcc[r].data());
        u.Primalac = QString(recipients[r].data());
        u.Iznos = rng.bounded(10000000) / 100.0;
        u.Hitno = rng.bounded(10) == 0;
        u.BrojObveznika = QString(pick(taxpayers).data());
        u.VrstaUplate = QString(QChar(u'0' + rng.bounded(3)));
        u.VrstaPrihoda = QString(pick(revenue).data());
        u.Opstina = QString(pick(places).data());
        u.Poziv = Digits(rng, 10);
        u.Budzetska = QString(pick(budget).data());
        u.PeriodOd = QString(pick(months).data());
        u.PeriodDo = QString(pick(months).data());
        u.DatumUplate = QString(pick(days).data());
        u.MjestoUplate = QString(pick(towns).data());
        u.Oznacena = rng.bounded(2);
        u.Procenat = float(rng.bounded(10000)) / 100.0f;
        f.Uplatnice.append(std::move(u));
    }
    return f;
}

struct TTimes
{
    std::vector<double> wall, cpu; // seconds

    double Min(const std::vector<double> &v) const { return *std::min_element(v.begin(), v.end()); }
    double Median(std::vector<double> v) const
    {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
};

double CpuNow()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// Times one run of fn. fn returns what it made, so that freeing it is not timed.
template <typename Fn> void Time(TTimes &times, Fn fn)
{
    QElapsedTimer t;
    const double cpu0 = CpuNow();
    t.start();
    auto result = fn();
    times.wall.push_back(t.nsecsElapsed() / 1e9);
    times.cpu.push_back(CpuNow() - cpu0);
    (void)result;
}

// Gives freed memory back, so that every timed run starts from the same heap
// instead of paying for the previous run's frees.
template <typename Fn> void TimeClean(TTimes &times, Fn fn)
{
    Time(times, fn);
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void Fail(const char *what)
{
    std::fprintf(stderr, "bench_uplfile: %s\n", what);
    std::exit(1);
}

void RunProfile(const char *name, TUplFile file, const QString &folder, int runs)
{
    const qsizetype count = file.Count();
    const QString uplPath = folder + QStringLiteral("/bench.upl");
    const QString rawPath = folder + QStringLiteral("/bench.raw");
    file.FileName = uplPath;
    const QByteArray bytes = UplFileToBytes(file);
    const double mb = bytes.size() / 1e6;
    std::printf("\n%s: %lld slips, %.2f MB, %d runs\n", name, qlonglong(count), mb, runs);

    // The runs of all kinds take turns, so a busy machine slows them alike.
    TTimes rawWrite, rawSaveWrite, toBytes, uplWrite, rawRead, parse, uplRead;
    for (int run = 0; run < runs; ++run) {
        TimeClean(rawWrite, [&] {
            QFile f(rawPath);
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
                Fail("raw write");
            return 0;
        });
        TimeClean(rawSaveWrite, [&] {
            QSaveFile f(rawPath);
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
                Fail("raw atomic write");
            return 0;
        });
        TimeClean(toBytes, [&] {
            QByteArray b = UplFileToBytes(file);
            if (b.size() != bytes.size())
                Fail("serialise");
            return b;
        });
        TimeClean(uplWrite, [&] {
            if (!WriteUplFile(file))
                Fail("WriteUplFile");
            return 0;
        });

        TimeClean(rawRead, [&] {
            QFile f(rawPath);
            QByteArray b;
            if (!f.open(QIODevice::ReadOnly) || (b = f.readAll()).size() != bytes.size())
                Fail("raw read");
            return b;
        });
        TimeClean(parse, [&] {
            TUplReadResult r = ParseUplBytes(bytes);
            if (r.Status != TUplReadResult::Ok)
                Fail("parse");
            return r;
        });
        TimeClean(uplRead, [&] {
            TUplReadResult r = ReadUplFile(uplPath);
            if (r.Status != TUplReadResult::Ok || r.File->Count() != count)
                Fail("ReadUplFile");
            return r;
        });
    }
    if (ReadUplFile(uplPath).File->Uplatnice != file.Uplatnice)
        Fail("read back differs");

    auto line = [mb](const char *what, const TTimes &t) {
        std::printf("  %-32s %8.1f %8.1f %8.1f  %8.1f MB/s\n", what, t.Min(t.wall) * 1e3,
                    t.Median(t.wall) * 1e3, t.Min(t.cpu) * 1e3, mb / t.Min(t.wall));
    };
    std::printf("  %-32s %8s %8s %8s\n", "ms:", "min", "median", "min cpu");
    line("raw write (QFile)", rawWrite);
    line("raw atomic write (QSaveFile)", rawSaveWrite);
    line("serialise only (UplFileToBytes)", toBytes);
    line("WriteUplFile", uplWrite);
    line("raw read (QFile readAll)", rawRead);
    line("parse only (ParseUplBytes)", parse);
    line("ReadUplFile", uplRead);
    auto ratio = [](const char *what, const TTimes &a, const TTimes &b) {
        std::printf("%-40s min %.2fx  median %.2fx  cpu %.2fx\n", what,
                    a.Min(a.wall) / b.Min(b.wall), a.Median(a.wall) / b.Median(b.wall),
                    a.Min(a.cpu) / b.Min(b.cpu));
    };
    ratio("WriteUplFile / raw QFile write:", uplWrite, rawWrite);
    ratio("WriteUplFile / raw QSaveFile write:", uplWrite, rawSaveWrite);
    ratio("ReadUplFile / raw QFile readAll:", uplRead, rawRead);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int count = args.size() > 1 ? args[1].toInt() : 100000;
    QTemporaryDir tmp;
    const QString folder = args.size() > 2 ? args[2] : tmp.path();
    const int runs = 11;
    RunProfile("distinct", MakeDistinct(count), folder, runs);
    RunProfile("typical", MakeTypical(count), folder, runs);
    return 0;
}

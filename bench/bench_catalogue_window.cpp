// The senders window with 100,000 senders: opening, a sort by each column,
// filter keystrokes and a typed jump, each up to the repainted window.
// Run by hand: QT_QPA_PLATFORM=offscreen build/bench/bench_catalogue_window [senders]
//
//   bench_catalogue_window startup [senders] [runs]
//     the program's start-up (settings, catalogues, main window shown) in a
//     fresh process, with and without a Racuni.ini of that many senders:
//     medians of the wall time and of the peak resident memory;
//   bench_catalogue_window close [senders] [runs]
//     closing the senders window after one added sender (the catalogue
//     written back to Racuni.ini), median of the runs.

#include "catalogues/CatalogueStore.h"
#include "ui/catalogues/RacuniKFormU.h"
#include "core/Settings.h"
#include "ui/print/ZorPrinters.h"
#include "ui/main/MainFormU.h"
#include "ui/common/ProgramData.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include <sys/resource.h>

namespace {

// Wall time, and the CPU time of this thread, which a busy machine inflates less.
struct TClock
{
    QElapsedTimer wall;
    double cpu0 = 0;
    static double Cpu()
    {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
    }
    void start()
    {
        cpu0 = Cpu();
        wall.start();
    }
    double Wall() const { return wall.nsecsElapsed() / 1e6; }
    double CpuMs() const { return Cpu() - cpu0; }
};

double Ms(const TClock &t)
{
    return t.Wall();
}

void Report(const char *what, const TClock &t)
{
    std::printf("  %-46s %8.1f ms  (cpu %7.1f ms)\n", what, t.Wall(), t.CpuMs());
}

// Until the window has handled what is pending, painting included.
void Settle(QWidget &w)
{
    QApplication::processEvents();
    w.repaint();
}

QList<TSenderEntry> MakeSenders(int count)
{
    QRandomGenerator rng(4711);
    const QStringList words = {"Općina", "Šipad", "Željezara",    "Čelik", "Đurđevak", "Banka",
                               "Zavod",  "Fond",  "Dom zdravlja", "Škola", "Pošta",    "Elektro"};
    QList<TSenderEntry> list;
    list.reserve(count);
    for (int i = 0; i < count; ++i)
        list.append(
            {QStringLiteral("%1").arg(1610000000000000ULL + rng.bounded(1000000000U) * 1000ULL, 16,
                                      10, QLatin1Char('0')),
             words[rng.bounded(words.size())] + u' ' + words[rng.bounded(words.size())] + u' ' +
                 QString::number(i),
             QString::number(4200000000000ULL + rng.bounded(1000000U)),
             QString::number(rng.bounded(100000U))});
    return list;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double LoadAverage()
{
    double load = 0;
    if (FILE *f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &load) != 1)
            load = 0;
        std::fclose(f);
    }
    return load;
}

long PeakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A program folder with a Racuni.ini of count senders (none for 0).
bool MakeHome(const QString &home, int count)
{
    QDir().mkpath(home);
    if (count == 0)
        return true;
    TSenderCatalogue senders;
    senders.Assign(MakeSenders(count));
    return SaveSenders(QDir(home).filePath("Racuni.ini"), senders);
}

// The child of "startup": what the program does before its first paint,
// then the peak memory, on stdout.
int StartupRun(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Orvinel"));
    QCoreApplication::setApplicationName(QStringLiteral("Kordavina"));
    TProgramData data;
    LoadProgramData(data);
    TZorPrinter printer;
    TMainForm::SetCommandLineFile(QString());
    TMainForm w(data);
    w.show();
    QApplication::processEvents();
    w.repaint();
    if (argc > 2 && QByteArray(argv[2]) == "open") {
        // Then the senders window opened, as "Pošiljaoci..." does.
        TRacuniKForm form(data.Posiljaoci);
        form.show();
        form.Reload();
        form.Model()->PrepareFilter();
        Settle(form);
    }
    std::printf("shown\n%ld\n", PeakRssKb());
    std::fflush(stdout);
    return 0;
}

struct TStartup
{
    double Ms = 0;
    double RssMb = 0;
};

TStartup Startup(const QString &self, const QString &home, int runs, bool open = false)
{
    std::vector<double> times, rss;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KORDAVINA_HOME", home);
        env.insert("KORDAVINA_SETTINGS", QDir(home).filePath("settings.ini"));
        p.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        p.start(self, open ? QStringList{"startup-run", "open"} : QStringList{"startup-run"});
        QByteArray out;
        while (!out.contains("shown\n") && p.waitForReadyRead(60000))
            out += p.readAllStandardOutput();
        times.push_back(t.nsecsElapsed() / 1e6);
        p.waitForFinished(60000);
        out += p.readAllStandardOutput();
        rss.push_back(out.split('\n').value(1).toDouble() / 1024);
    }
    return {Median(times), Median(rss)};
}

int StartupBench(const QString &self, int count, int runs)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain"), big = dir.filePath("big");
    if (!MakeHome(plain, 0) || !MakeHome(big, count))
        return 2;
    std::printf("Start-up to the first paint, median of %d runs (load %.2f)\n", runs,
                LoadAverage());
    std::printf("  Racuni.ini of %d senders: %lld bytes\n", count,
                static_cast<long long>(QFileInfo(QDir(big).filePath("Racuni.ini")).size()));
    // Interleaved, so that a busy spell of the machine weighs on both alike.
    std::vector<double> plainMs, bigMs, plainMb, bigMb;
    for (int i = 0; i < runs; ++i) {
        const TStartup a = Startup(self, plain, 1), b = Startup(self, big, 1);
        plainMs.push_back(a.Ms);
        plainMb.push_back(a.RssMb);
        bigMs.push_back(b.Ms);
        bigMb.push_back(b.RssMb);
    }
    const double pm = Median(plainMs), bm = Median(bigMs);
    std::printf("  %-36s %8.1f ms  peak %6.1f MB\n", "without senders", pm, Median(plainMb));
    std::printf("  %-36s %8.1f ms  peak %6.1f MB\n", "with the senders catalogue", bm,
                Median(bigMb));
    std::printf("  difference %.1f ms (goal < 300 ms), load %.2f\n", bm - pm, LoadAverage());
    const TStartup opened = Startup(self, big, runs, true);
    std::printf("  %-36s %8.1f ms  peak %6.1f MB\n", "the same, then the senders window", opened.Ms,
                opened.RssMb);
    return 0;
}

// Closing the senders window after one change, the catalogue written back.
int CloseBench(int count, int runs)
{
    std::printf("Closing the senders window after one change, %d senders (load %.2f)\n", count,
                LoadAverage());
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir dir;
        qputenv("KORDAVINA_HOME", dir.path().toLocal8Bit());
        if (!MakeHome(dir.path(), count))
            return 2;
        TProgramData data;
        LoadProgramData(data);
        TRacuniKForm form(data.Posiljaoci);
        form.show();
        form.Reload();
        Settle(form);
        data.Posiljaoci.Add({"1610000000000001", "Novi pošiljalac", "4200000000001", "1"});
        TClock t;
        t.start();
        form.reject();
        Settle(form);
        Report("close after one change", t);
        times.push_back(t.Wall());
        TSenderCatalogue check;
        LoadSenders(dir.filePath("Racuni.ini"), check);
        if (check.Count() != count + 1) {
            std::fprintf(stderr, "the change did not reach Racuni.ini\n");
            return 2;
        }
    }
    std::printf("  median %.1f ms (goal < 300 ms), load %.2f\n", Median(times), LoadAverage());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == QLatin1String("startup-run"))
        return StartupRun(argc, argv);
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Bosnian, QLocale::BosniaAndHerzegovina));
    QTemporaryDir dir;
    qputenv("KORDAVINA_HOME", dir.path().toLocal8Bit());
    SetSettingsFile(dir.filePath("settings.ini"));
    const bool named = mode == QLatin1String("startup") || mode == QLatin1String("close");
    const int countArg = named ? 2 : 1;
    const int count = argc > countArg ? QString::fromLocal8Bit(argv[countArg]).toInt() : 100000;
    const int runs = argc > countArg + 1 ? QString::fromLocal8Bit(argv[countArg + 1]).toInt() : 5;
    if (mode == QLatin1String("startup"))
        return StartupBench(QCoreApplication::applicationFilePath(), count, runs);
    if (mode == QLatin1String("close"))
        return CloseBench(count, runs);

    TSenderCatalogue senders;
    senders.Assign(MakeSenders(count));
    std::printf("Senders window with %d senders\n", count);

    TClock t;
    t.start();
    TRacuniKForm form(senders);
    form.show();
    // What opening the window in the program adds: the file checked for
    // another copy's writes, the rows read afresh and the filter's texts
    // folded.
    form.Reload();
    form.Model()->PrepareFilter();
    Settle(form);
    Report("open (create, show, first paint)", t);

    QHeaderView *header = form.List->horizontalHeader();
    form.List->selectRow(count / 2);
    const char *names[] = {"sort by account (descending)", "sort by name",
                           "sort by taxpayer number", "sort by reference number"};
    for (int column = 0; column < 4; ++column) {
        t.start();
        Q_EMIT header->sectionClicked(column);
        Settle(form);
        Report(names[column], t);
    }
    t.start();
    Q_EMIT header->sectionClicked(3);
    Settle(form);
    Report("sort by reference number, descending", t);

    double worst = 0, worstCpu = 0;
    QString typed;
    for (const QString key : {"š", "k", "o", "l", "a", " ", "1"}) {
        typed += key;
        t.start();
        form.mTrazi->setText(typed);
        Settle(form);
        const double ms = Ms(t);
        worst = std::max(worst, ms);
        worstCpu = std::max(worstCpu, t.CpuMs());
        std::printf("  filter \"%s\": %lld rows %28.1f ms  (cpu %7.1f ms)\n", qPrintable(typed),
                    static_cast<long long>(form.Model()->rowCount()), ms, t.CpuMs());
    }
    while (!typed.isEmpty()) {
        typed.chop(1);
        t.start();
        form.mTrazi->setText(typed);
        Settle(form);
        worst = std::max(worst, Ms(t));
        worstCpu = std::max(worstCpu, t.CpuMs());
    }
    std::printf("  %-46s %8.1f ms  (cpu %7.1f ms)\n", "worst filter keystroke (typing and erasing)",
                worst, worstCpu);

    t.start();
    Q_EMIT header->sectionClicked(1);
    form.mTrazi->setText(QStringLiteral("željez"));
    Settle(form);
    Report("sort by name, then a filter keystroke", t);
    form.mTrazi->clear();

    t.start();
    form.List->setFocus();
    form.List->keyboardSearch(QStringLiteral("Ško"));
    Settle(form);
    Report("typed jump \"Ško\" in the name column", t);
    return 0;
}

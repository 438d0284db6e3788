// The senders window with 100,000 senders: opening, a sort by each column,
// filter keystrokes and a typed jump, each up to the repainted window.
// Run by hand: QT_QPA_PLATFORM=offscreen build/bench/bench_catalogue_window [senders]

#include "ui/catalogues/RacuniKFormU.h"
#include "core/Settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

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

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Bosnian, QLocale::BosniaAndHerzegovina));
    QTemporaryDir dir;
    qputenv("KORDAVINA_HOME", dir.path().toLocal8Bit());
    SetSettingsFile(dir.filePath("settings.ini"));
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;

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
    TSenderCatalogue senders;
    senders.Assign(list);
    std::printf("Senders window with %d senders\n", count);

    TClock t;
    t.start();
    TRacuniKForm form(senders);
    form.show();
    // What opening the window in the program adds: the rows read afresh and
    // the filter's texts folded.
    form.Model()->Refresh();
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

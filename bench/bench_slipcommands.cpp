// Times the slip-list commands on a large file: half of the slips moved, put
// back, deleted and restored. Run by hand:
//   bench_slipcommands [SLIPS]
// Each command is one pass over the list; one that shifted the tail per slip
// took minutes at 100,000 slips.

#include "core/SlipCommands.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    if (count < 2) {
        std::fprintf(stderr, "usage: bench_slipcommands [SLIPS >= 2]\n");
        return 2;
    }
    TUplFile f;
    f.Uplatnice.reserve(count);
    for (int i = 0; i < count; ++i) {
        TUpl u;
        u.Opis = QString::number(i);
        u.Oznacena = i % 2 == 0;
        f.Uplatnice.append(u);
    }
    const QList<qsizetype> marked = MarkedIndices(f);
    QElapsedTimer timer;
    const auto report = [&timer](const char *what) {
        std::printf("%-24s %8.1f ms\n", what, timer.nsecsElapsed() / 1e6);
        timer.restart();
    };
    std::printf("%d slips, %lld marked\n", count, static_cast<long long>(marked.size()));
    timer.start();
    const qsizetype start = MoveSlips(f, marked, 10);
    report("move marked");
    UnmoveSlips(f, marked, start);
    report("move back");
    const QList<TUpl> removed = DeleteSlipsAt(f, marked);
    report("delete marked");
    RestoreSlipsAt(f, marked, removed);
    report("restore deleted");
    return f.Count() == count ? 0 : 1;
}

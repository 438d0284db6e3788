// Prints slips into a PDF and reports, for each job size, wall and CPU time,
// peak memory and the PDF's size; the same for the recorded way of printing
// (record every page, then replay), which the preview still uses.
//
//   bench_print                       1, 100, 1,000 and 10,000 slips, both ways
//   bench_print job N OUT.pdf [old|T] one job in this process (used by the above),
//                                     recorded, or with T layout threads
//   bench_print upl N OUT.upl         writes a slip file of N slips
//   bench_print cli NEW OLD [N...]    `print --pdf` of two program binaries, side
//                                     by side, median of 3 runs each
//
// Each measurement runs in a process of its own, so that peak memory is the
// job's own. Exit code 0 when 1,000 slips take under 0.18 s.
//
// Figures measured with it are in the README (developer notes).

#include "core/NumberChecks.h"
#include "core/Upl.h"
#include "core/UplFileIO.h"
#include "print/engine/ZorCanvas.h"
#include "ui/print/ZorPrinters.h"
#include "ui/print/SlipPrint.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>

#ifdef Q_OS_WIN
#include <QProcess>

#include <windows.h>
#include <psapi.h>
#else
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <functional>
#include <vector>

namespace {

QString WithAccountCheck(const QString &digits14)
{
    return digits14 +
           QStringLiteral("%1").arg(AccountCheckDigits(digits14), 2, 10, QLatin1Char('0'));
}

QList<TUpl> MakeSlips(int n)
{
    QList<TUpl> slips;
    for (int i = 0; i < n; ++i) {
        TUpl s = NewSlip();
        s.Posiljalac = QStringLiteral("Ivan Ivić %1, Zmaja od Bosne 12, 71000 Sarajevo").arg(i);
        // Numbers that pass their checks, as a real job's do: no warnings.
        s.RacunPosiljaoca = WithAccountCheck(
            QStringLiteral("1412345%1").arg(i % 10000000, 7, 10, QLatin1Char('0')));
        s.Svrha =
            QStringLiteral("Porez na dohodak za januar 2024. godine, akontacija broj %1").arg(i);
        s.Primalac = QStringLiteral("Kantonalno ministarstvo finansija, Sarajevo");
        s.RacunPrimaoca = WithAccountCheck(QStringLiteral("33800022100183"));
        s.Iznos = 1000 + i * 12.345;
        s.Hitno = i % 3 == 0;
        const QString id = QStringLiteral("420000000000");
        s.BrojObveznika = id + QString::number(Mod11ControlDigit(id));
        s.VrstaUplate = QStringLiteral("0");
        s.VrstaPrihoda = QStringLiteral("716111");
        s.Opstina = QStringLiteral("077");
        s.Poziv = QStringLiteral("0000%1").arg(i % 1000000, 6, 10, QLatin1Char('0'));
        s.Budzetska = QStringLiteral("0000000");
        s.PeriodOd = QStringLiteral("010124");
        s.PeriodDo = QStringLiteral("310124");
        s.DatumUplate = QStringLiteral("150224");
        s.MjestoUplate = QStringLiteral("Sarajevo");
        slips.append(s);
    }
    return slips;
}

int PdfPages(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pdf = f.readAll();
    int pages = 0;
    for (qsizetype at = 0; (at = pdf.indexOf("/Type /Page\n", at)) >= 0; ++at)
        ++pages;
    return pages;
}

#ifdef Q_OS_WIN
double CpuSeconds()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    const auto seconds = [](const FILETIME &t) {
        return double((quint64(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

long PeakKiB()
{
    PROCESS_MEMORY_COUNTERS m{};
    return GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m) ? long(m.PeakWorkingSetSize / 1024)
                                                                  : 0;
}
#else
double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long PeakKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}
#endif

// One job in this process: "wall cpu peakKiB bytes pages" on stdout.
int RunJob(int argc, char **argv)
{
    QElapsedTimer wall;
    wall.start();
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = std::atoi(argv[2]);
    const QString out = QString::fromLocal8Bit(argv[3]);
    const bool recorded = argc > 4 && QByteArray(argv[4]) == "old";
    const int threads = argc > 4 && !recorded ? std::atoi(argv[4]) : 0;

    const QList<TUpl> slips = MakeSlips(n);
    const TFieldFormats format;
    const TAmountOptions amount{true, true};
    TZorPrinter printer;
    printer.SetPdfOutput(out);
    printer.SetLayoutThreads(threads);
    SetPaperSize(printer, format);
    if (recorded) {
        // Every page recorded first, then replayed onto the PDF.
        printer.BeginDoc();
        printer.SetTitle(SlipJobTitle());
        for (qsizetype i = 0; i < slips.size(); ++i) {
            if (i)
                printer.NewPage();
            TZorCanvas canvas = PageCanvas(printer);
            DrawSlip(canvas, slips[i], format, amount);
        }
        printer.EndDoc(false);
    } else {
        PrintSlips(printer, slips, format, amount);
    }
    std::printf("%.4f %.4f %ld %lld %d\n", wall.nsecsElapsed() / 1e9, CpuSeconds(), PeakKiB(),
                static_cast<long long>(QFile(out).size()), PdfPages(out));
    return 0;
}

struct TRun
{
    double Wall = 0;
    double Cpu = 0;
    long PeakKiB = 0;
    long long Bytes = 0;
    int Pages = 0;
    bool Ok = false;
};

#ifdef Q_OS_WIN
// Runs a program, measuring its wall time; its CPU time and peak memory are
// those a job reports of itself (nothing for another program).
TRun Measure(const QString &program, const QStringList &args, bool parseOwn)
{
    TRun r;
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForFinished(-1))
        return r;
    r.Wall = t.nsecsElapsed() / 1e9;
    r.Ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (parseOwn) {
        const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
        if (f.size() == 5) {
            r.Cpu = f[1].toDouble();
            r.PeakKiB = f[2].toLong();
            r.Bytes = f[3].toLongLong();
            r.Pages = f[4].toInt();
        }
    }
    return r;
}
#else
// Runs a program, measuring the child's own wall and CPU time and peak memory.
TRun Measure(const QString &program, const QStringList &args, bool parseOwn)
{
    TRun r;
    QList<QByteArray> store{QFile::encodeName(program)};
    for (const QString &a : args)
        store << a.toLocal8Bit();
    std::vector<char *> argv;
    for (QByteArray &a : store)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int pipeFd[2];
    if (pipe(pipeFd) != 0)
        return r;
    QElapsedTimer t;
    t.start();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFd[1], 1);
        close(pipeFd[0]);
        close(pipeFd[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFd[1]);
    QByteArray output;
    char buffer[4096];
    for (ssize_t got; (got = read(pipeFd[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, got);
    close(pipeFd[0]);
    int status = 0;
    rusage u{};
    if (wait4(pid, &status, 0, &u) != pid)
        return r;
    r.Wall = t.nsecsElapsed() / 1e9;
    r.Cpu = double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
            double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    r.PeakKiB = u.ru_maxrss;
    r.Ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (parseOwn) {
        const QList<QByteArray> f = output.trimmed().split(' ');
        if (f.size() == 5) {
            r.Bytes = f[3].toLongLong();
            r.Pages = f[4].toInt();
        }
    }
    return r;
}
#endif

TRun Median3(const std::function<TRun()> &run)
{
    TRun runs[3];
    for (TRun &r : runs)
        r = run();
    std::sort(std::begin(runs), std::end(runs),
              [](const TRun &a, const TRun &b) { return a.Wall < b.Wall; });
    TRun m = runs[1];
    for (const TRun &r : runs)
        m.Ok = m.Ok && r.Ok;
    return m;
}

void PrintRow(const char *how, int n, const TRun &r, const TRun *base)
{
    std::printf("%-9s %6d  %8.3f  %8.3f  %8.1f  %10lld", how, n, r.Wall, r.Cpu, r.PeakKiB / 1024.0,
                r.Bytes);
    if (base && base->Wall > 0)
        std::printf("   x%.2f wall  x%.2f cpu", r.Wall / base->Wall,
                    base->Cpu > 0 ? r.Cpu / base->Cpu : 0.0);
    std::printf("%s\n", r.Ok ? "" : "  FAILED");
}

void Header()
{
    std::printf("%-9s %6s  %8s  %8s  %8s  %10s\n", "method", "slips", "wall s", "cpu s", "peak MiB",
                "PDF bytes");
}

int RunAll(const char *self)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("bench.pdf");
    bool ok = true;
    Header();
    for (int n : {1, 100, 1000, 10000}) {
        const QString count = QString::number(n);
        const TRun direct = Median3([&] { return Measure(self, {"job", count, out}, true); });
        const TRun recorded = Median3([&] {
            return Measure(self, {"job", count, out, "old"}, true);
        });
        PrintRow("recorded", n, recorded, nullptr);
        PrintRow("direct", n, direct, &recorded);
        ok = ok && direct.Ok && recorded.Ok && direct.Pages == n;
        if (n == 1000)
            ok = ok && direct.Wall < 0.18;
    }
    std::printf("%s\n", ok ? "OK" : "NOT MET");
    return ok ? 0 : 1;
}

int WriteUpl(int n, const QString &path)
{
    TUplFile file;
    file.FileName = path;
    for (const TUpl &s : MakeSlips(n))
        file.AddSlip(s);
    QString error;
    if (!WriteUplFile(file, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

// `print FILE --pdf OUT` of two binaries, alternating, median of 3.
int CompareCli(const QString &fresh, const QString &old, QList<int> counts)
{
    QTemporaryDir dir;
    qputenv("KORDAVINA_HOME", QFile::encodeName(dir.path()));
    if (counts.isEmpty())
        counts = {1, 100, 1000, 10000};
    Header();
    for (int n : counts) {
        const QString upl = dir.filePath(QStringLiteral("s%1.upl").arg(n));
        if (WriteUpl(n, upl) != 0)
            return 1;
        const QString pdf = dir.filePath("out.pdf");
        const auto run = [&](const QString &program) {
            return [&, program] {
                TRun r = Measure(program, {"print", upl, "--pdf", pdf}, false);
                r.Bytes = QFile(pdf).size();
                r.Pages = PdfPages(pdf);
                return r;
            };
        };
        const TRun o = Median3(run(old));
        const TRun f = Median3(run(fresh));
        PrintRow("old", n, o, nullptr);
        PrintRow("new", n, f, &o);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "job" && argc >= 4)
        return RunJob(argc, argv);
    if (mode == "upl" && argc == 4)
        return WriteUpl(std::atoi(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (mode == "cli" && argc >= 4) {
        QList<int> counts;
        for (int i = 4; i < argc; ++i)
            counts << std::atoi(argv[i]);
        return CompareCli(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), counts);
    }
    if (argc == 1)
        return RunAll(argv[0]);
    std::fprintf(stderr, "usage: bench_print [job N OUT.pdf [old] | upl N OUT.upl | cli NEW OLD "
                         "[N...]]\n");
    return 2;
}

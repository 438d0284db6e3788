// Times the main window with big slip files:
//   - opening a 100,000-slip file until its list is painted (goal < 1 s);
//   - one keystroke in a field while 10,000 slips are marked (goal < 16 ms);
//   - switching between two tabs of 10,000 slips each (goal < 100 ms).
//
//   bench_mainform          (run under Xvfb, or with QT_QPA_PLATFORM=offscreen)
//
// Exit code 0 when every goal is met.

#include "core/Settings.h"
#include "core/UplFileIO.h"
#include "ui/print/ZorPrinters.h"
#include "ui/main/MainFormU.h"
#include "ui/common/ProgramData.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QTabBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

TUplFile MakeFile(const QString &path, int count, int marked)
{
    TUplFile file;
    file.FileName = path;
    file.Uplatnice.reserve(count);
    for (int i = 0; i < count; ++i) {
        TUpl s = NewSlip();
        s.Opis = QStringLiteral("Uplatnica %1 za porez na dohodak").arg(i + 1);
        s.Posiljalac = QStringLiteral("Ivan Ivić %1, Zmaja od Bosne 12, 71000 Sarajevo").arg(i);
        s.RacunPosiljaoca = QStringLiteral("1412345678900001");
        s.Svrha = QStringLiteral("Porez na dohodak, akontacija broj %1").arg(i);
        s.RacunPrimaoca = QStringLiteral("3380002210018304");
        s.Iznos = 1000 + i * 12.345;
        // Every other slip in the first stretch, so that the marks are many
        // separate ranges, the hard case for the list's selection.
        s.Oznacena = i < 2 * marked && i % 2 == 0;
        file.Uplatnice.append(s);
    }
    return file;
}

// Paints the window now, as the event loop would.
void Paint(TMainForm &w)
{
    QApplication::processEvents();
    w.repaint();
    w.UplList->viewport()->repaint();
}

bool Report(const char *what, double ms, double goal)
{
    std::printf("%-48s %9.2f ms  (goal < %g ms) %s\n", what, ms, goal, ms < goal ? "ok" : "SLOW");
    return ms < goal;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("KORDAVINA_HOME", dir.path().toUtf8());
    SetSettingsFile(dir.filePath(QStringLiteral("settings.ini")));
    TProgramData data;
    LoadProgramData(data);
    TZorPrinter printer;

    TUplFile big = MakeFile(dir.filePath(QStringLiteral("big.upl")), 100000, 1);
    TUplFile a = MakeFile(dir.filePath(QStringLiteral("a.upl")), 10000, 10000 / 2);
    TUplFile b = MakeFile(dir.filePath(QStringLiteral("b.upl")), 10000, 10000 / 2);
    for (TUplFile *f : {&big, &a, &b})
        if (!WriteUplFile(*f)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(f->FileName));
            return 2;
        }
    // 10,000 marked: every slip of a; b keeps 5,000 marks in separate ranges.
    for (TUpl &s : a.Uplatnice)
        s.Oznacena = true;
    WriteUplFile(a);

    TMainForm::SetCommandLineFile(QString());
    TMainForm w(data);
    w.show();
    Paint(w);
    bool ok = true;

    QElapsedTimer t;
    t.start();
    const TUplReadResult alone = ReadUplFile(big.FileName);
    Report("reading the 100,000-slip file alone", t.nsecsElapsed() / 1e6, 1000);
    if (alone.Status != TUplReadResult::Ok)
        return 2;
    t.restart();
    w.OpenFileByName(big.FileName);
    Paint(w);
    ok &= Report("open 100,000 slips and show the list", t.nsecsElapsed() / 1e6, 1000);

    w.OpenFileByName(a.FileName);
    w.OpenFileByName(b.FileName);
    Paint(w);

    // Tabs: the new file made at start, big, a, b.
    // Keystrokes into the purpose while all 10,000 slips of a are marked.
    w.FileTabs->setCurrentIndex(2);
    Paint(w);
    w.mSvrha->setFocus();
    const QString typed = QStringLiteral("Najamnina za poslovni prostor");
    double worst = 0;
    double total = 0;
    for (QChar c : typed) {
        t.restart();
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w.mSvrha, &press);
        // What the event loop does after a key: the posted updates and paints.
        QApplication::processEvents();
        const double ms = t.nsecsElapsed() / 1e6;
        worst = std::max(worst, ms);
        total += ms;
    }
    const TUplFile *current = w.CurrentFile();
    if (current->Uplatnice.at(9999).Svrha != typed) {
        std::fprintf(stderr, "the keystrokes did not reach the last marked slip\n");
        return 2;
    }
    ok &= Report("keystroke, 10,000 marked slips (worst)", worst, 16);
    Report("keystroke, 10,000 marked slips (mean)", total / typed.size(), 16);

    // Tab switches between a (all marked) and b (every other slip marked).
    worst = 0;
    for (int i = 0; i < 6; ++i) {
        t.restart();
        w.FileTabs->setCurrentIndex(i % 2 == 0 ? 3 : 2);
        Paint(w);
        worst = std::max(worst, t.nsecsElapsed() / 1e6);
    }
    ok &= Report("switch between two 10,000-slip tabs (worst)", worst, 100);

    // Back to the big file with one mark of 100,000.
    t.restart();
    w.FileTabs->setCurrentIndex(1);
    Paint(w);
    Report("switch to the 100,000-slip tab", t.nsecsElapsed() / 1e6, 100);

    for (auto &f : w.OpenFiles)
        f->File.Snimljena = true;
    return ok ? 0 : 1;
}

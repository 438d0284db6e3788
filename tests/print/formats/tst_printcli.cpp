// Prints through the command line (kordavina print / grid) into PDF files and
// a real CUPS queue, then reads the pages back character by character
// (pdf_layout.py, pdfminer) and checks that every field lands where its print
// position says.
//
// What is compared: a position's Top is the line the text stands on, the
// bottom of the text cell. In the PDF that is pdfminer's character box bottom:
// the baseline plus the font's descent at its size, the same reference the
// canvas anchors on (baseline = cell bottom - descent). Boxes are checked by
// the centre of each character's advance box, whole texts by the left end of
// their first character (the margin blank), the amount by the right end of
// its last character.

#include "core/Settings.h"
#include "core/Upl.h"
#include "core/UplFileIO.h"
#include "core/Win1250.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

constexpr double BoxTolerance = 0.05;    // mm, centre of a box character
constexpr double LineTolerance = 0.1;    // mm, bottom of a text cell
constexpr double EndTolerance = 0.05;    // mm, left end of a text, right end of the amount
constexpr double HalfPoint = 25.4 / 144; // mm; PDF page sizes are whole points

struct TChar
{
    QString C;
    double X0 = 0, X1 = 0, Bottom = 0, Baseline = 0, Size = 0;
    double Centre() const { return (X0 + X1) / 2; }
};

struct TPdfPage
{
    double Width = 0, Height = 0;
    QList<TChar> Chars;
};

struct TPdf
{
    QString Title;
    QList<TPdfPage> Pages;
};

// A print position as the test's Formats.ini writes it.
struct TPos
{
    double Left, Top, Width;
};

struct TDeviations
{
    double Box = 0, Line = 0, End = 0;
    int Boxes = 0, Texts = 0;
    void Merge(const TDeviations &o)
    {
        Box = qMax(Box, o.Box);
        Line = qMax(Line, o.Line);
        End = qMax(End, o.End);
        Boxes += o.Boxes;
        Texts += o.Texts;
    }
};

QString Python()
{
    static const QString found = [] {
        QStringList candidates{QStringLiteral("/usr/bin/python3")};
        const QString onPath = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (!onPath.isEmpty())
            candidates << onPath;
        for (const QString &python : candidates) {
            QProcess p;
            p.start(python, {QStringLiteral("-c"), QStringLiteral("import pdfminer")});
            if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit &&
                p.exitCode() == 0)
                return python;
        }
        return QString();
    }();
    return found;
}

TPdf ReadPdf(const QString &path)
{
    QProcess p;
    p.start(Python(), {QStringLiteral(KORDAVINA_PDF_LAYOUT), path});
    TPdf pdf;
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        qWarning("pdf_layout.py: %s", p.readAllStandardError().constData());
        return pdf;
    }
    const QJsonObject root = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    pdf.Title = root.value("title").toString();
    for (const QJsonValue &pv : root.value("pages").toArray()) {
        const QJsonObject po = pv.toObject();
        TPdfPage page;
        page.Width = po.value("width").toDouble();
        page.Height = po.value("height").toDouble();
        for (const QJsonValue &cv : po.value("chars").toArray()) {
            const QJsonObject c = cv.toObject();
            page.Chars.append({c.value("c").toString(), c.value("x0").toDouble(),
                               c.value("x1").toDouble(), c.value("bottom").toDouble(),
                               c.value("baseline").toDouble(), c.value("size").toDouble()});
        }
        pdf.Pages.append(page);
    }
    return pdf;
}

// Checks one printed slip on a page. Every character of the page must belong
// to a field; failures are collected as text.
class TPageCheck
{
public:
    TPageCheck(const TPdfPage &page) : m_page(page), m_used(page.Chars.size(), false) {}

    QStringList Failures;
    TDeviations Dev;

    void Boxes(const QString &name, const QString &text, int n, const TPos &p)
    {
        for (int k = 0; k < qMin<qsizetype>(n, text.size()); ++k) {
            if (text.at(k) == QLatin1Char(' '))
                continue;
            const double want = p.Left + p.Width / n * (k + 0.5);
            const qsizetype i = Nearest(QString(text.at(k)), want, p.Top);
            if (i < 0) {
                Failures << QStringLiteral("%1: '%2' of box %3 missing")
                                .arg(name)
                                .arg(text.at(k))
                                .arg(k + 1);
                continue;
            }
            m_used[i] = true;
            const TChar &c = m_page.Chars.at(i);
            Note(name, Dev.Box, qAbs(c.Centre() - want), BoxTolerance, "box centre");
            Note(name, Dev.Line, qAbs(c.Bottom - p.Top), LineTolerance, "bottom");
            ++Dev.Boxes;
        }
    }

    // A whole text standing on the line from Left: returns it, margin blank included.
    QString Text(const QString &name, const TPos &p)
    {
        QList<qsizetype> on;
        for (qsizetype i = 0; i < m_page.Chars.size(); ++i) {
            const TChar &c = m_page.Chars.at(i);
            if (!m_used[i] && qAbs(c.Bottom - p.Top) < 0.5 && c.X0 > p.Left - 0.5 &&
                c.X0 < p.Left + p.Width)
                on.append(i);
        }
        std::sort(on.begin(), on.end(), [&](qsizetype a, qsizetype b) {
            return m_page.Chars.at(a).X0 < m_page.Chars.at(b).X0;
        });
        QString text;
        for (qsizetype i : on) {
            m_used[i] = true;
            const TChar &c = m_page.Chars.at(i);
            text += c.C;
            Note(name, Dev.Line, qAbs(c.Bottom - p.Top), LineTolerance, "bottom");
        }
        if (on.isEmpty()) {
            Failures << QStringLiteral("%1: nothing printed").arg(name);
            return text;
        }
        Note(name, Dev.End, qAbs(m_page.Chars.at(on.first()).X0 - p.Left), EndTolerance,
             "left end");
        if (m_page.Chars.at(on.last()).X1 > p.Left + p.Width + EndTolerance)
            Failures << QStringLiteral("%1: runs past the end of its line").arg(name);
        ++Dev.Texts;
        return text;
    }

    // The amount: right-aligned to Left + Width.
    void Amount(const QString &expected, const TPos &p)
    {
        QList<qsizetype> on;
        for (qsizetype i = 0; i < m_page.Chars.size(); ++i) {
            const TChar &c = m_page.Chars.at(i);
            if (!m_used[i] && qAbs(c.Bottom - p.Top) < 0.5 && c.X1 > p.Left &&
                c.X1 < p.Left + p.Width + 1)
                on.append(i);
        }
        std::sort(on.begin(), on.end(), [&](qsizetype a, qsizetype b) {
            return m_page.Chars.at(a).X0 < m_page.Chars.at(b).X0;
        });
        QString text;
        for (qsizetype i : on) {
            m_used[i] = true;
            text += m_page.Chars.at(i).C;
            Note("Iznos", Dev.Line, qAbs(m_page.Chars.at(i).Bottom - p.Top), LineTolerance,
                 "bottom");
        }
        if (text != expected) {
            Failures << QStringLiteral("Iznos: '%1' instead of '%2'").arg(text, expected);
            return;
        }
        Note("Iznos", Dev.End, qAbs(m_page.Chars.at(on.last()).X1 - (p.Left + p.Width)),
             EndTolerance, "right end");
        ++Dev.Texts;
    }

    void NothingElse()
    {
        for (qsizetype i = 0; i < m_page.Chars.size(); ++i)
            if (!m_used[i])
                Failures << QStringLiteral("stray '%1' at %2, %3 mm")
                                .arg(m_page.Chars.at(i).C)
                                .arg(m_page.Chars.at(i).X0)
                                .arg(m_page.Chars.at(i).Bottom);
    }

private:
    qsizetype Nearest(const QString &c, double x, double top) const
    {
        qsizetype best = -1;
        for (qsizetype i = 0; i < m_page.Chars.size(); ++i) {
            const TChar &ch = m_page.Chars.at(i);
            if (m_used[i] || ch.C != c || qAbs(ch.Bottom - top) > 0.5 || qAbs(ch.Centre() - x) > 1)
                continue;
            if (best < 0 || qAbs(ch.Centre() - x) < qAbs(m_page.Chars.at(best).Centre() - x))
                best = i;
        }
        return best;
    }
    void Note(const QString &name, double &max, double dev, double tolerance, const char *what)
    {
        max = qMax(max, dev);
        if (dev > tolerance)
            Failures << QStringLiteral("%1: %2 off by %3 mm").arg(name, what).arg(dev, 0, 'f', 3);
    }

    const TPdfPage &m_page;
    QList<bool> m_used;
};

// The 23 positions of a format, in key order.
using TPositions = std::array<TPos, 23>;

TPositions BuiltInPositions()
{
    return {{{98.0, 22.5, 65.0},  {53.0, 12.5, 22.0}, {11.0, 17.5, 64.0},  {11.0, 22.5, 64.0},
             {31.0, 27.5, 44.0},  {11.0, 32.5, 64.0}, {11.0, 37.5, 64.0},  {98.0, 32.5, 65.0},
             {35.0, 42.5, 40.0},  {11.0, 47.5, 64.0}, {11.0, 52.5, 64.0},  {89.0, 42.5, 52.0},
             {143.0, 44.2, 5.0},  {93.3, 54.2, 39.5}, {156.0, 52.5, 5.0},  {93.3, 66.2, 30.4},
             {93.3, 78.2, 15.0},  {93.3, 87.2, 30.4}, {127.0, 78.2, 35.5}, {141.0, 64.5, 20.0},
             {141.0, 70.5, 20.0}, {55.0, 62.5, 20.0}, {12.0, 62.5, 40.0}}};
}

const char *const Keys[23] = {
    "RacunPosiljaoca", "Posiljalac1",   "Posiljalac2", "Posiljalac3",  "Svrha1",      "Svrha2",
    "Svrha3",          "RacunPrimaoca", "Primalac1",   "Primalac2",    "Primalac3",   "Iznos",
    "Hitno",           "BrojObveznika", "VrstaUplate", "VrstaPrihoda", "Opstina",     "Poziv",
    "Budzetska",       "PeriodOd",      "PeriodDo",    "DatumUplate",  "MjestoUplate"};

// A narrower form with other fonts (serif, bold, monospaced, sizes 8 to 12).
TPositions NarrowPositions()
{
    return {{{90.0, 20.0, 56.0},  {10.0, 10.0, 40.0}, {10.0, 15.0, 40.0},  {10.0, 20.0, 40.0},
             {10.0, 26.0, 45.0},  {10.0, 31.0, 45.0}, {10.0, 36.0, 45.0},  {90.0, 30.0, 56.0},
             {10.0, 42.0, 45.0},  {10.0, 47.0, 45.0}, {10.0, 52.0, 45.0},  {70.0, 40.0, 50.0},
             {130.5, 41.5, 6.0},  {85.0, 52.0, 39.0}, {135.0, 50.0, 5.0},  {85.0, 60.0, 30.0},
             {85.0, 70.0, 15.0},  {85.0, 80.0, 30.0}, {110.0, 70.0, 35.0}, {125.0, 58.5, 20.0},
             {125.0, 64.5, 20.0}, {60.0, 62.0, 20.0}, {10.0, 62.0, 40.0}}};
}

QString NarrowFont(int i)
{
    switch (i) {
    case 1: // Posiljalac1: the three sender lines
        return QStringLiteral("Times New Roman;9;italic");
    case 0:
    case 7:
        return QStringLiteral("Arial;11;bold");
    case 11:
        return QStringLiteral("Arial;12;bold");
    case 22:
        return QStringLiteral("Courier New;10;");
    case 13:
        return QStringLiteral("Arial;8;");
    default:
        return QStringLiteral("Arial;10;");
    }
}

QString Tenths(double mm)
{
    return QString::number(qRound(mm * 10));
}

const QString NarrowName = QStringLiteral("Uska forma č");

// Formats.ini as the program keeps it: Windows-1250, CRLF. "Široka" is the
// default and has no position keys (built-in positions on a wider sheet).
QByteArray FormatsIni(const QString &defaultName, const QString &brokenValue = QString())
{
    QString text = QStringLiteral("[]\r\nDefault=%1\r\n\r\n").arg(defaultName);
    text += QStringLiteral("[Široka]\r\nWidth=210\r\nHeight=99,5\r\n");
    if (!brokenValue.isEmpty())
        text += QStringLiteral("RacunPosiljaoca=%1\r\n").arg(brokenValue);
    text += QStringLiteral("\r\n[%1]\r\nWidth=150,5\r\nHeight=90\r\n").arg(NarrowName);
    const TPositions p = NarrowPositions();
    for (int i = 0; i < 23; ++i)
        text += QStringLiteral("%1=%2;%3;%4;%5\r\n")
                    .arg(QLatin1String(Keys[i]), Tenths(p[i].Left), Tenths(p[i].Top),
                         Tenths(p[i].Width), NarrowFont(i));
    return Win1250::Encode(text);
}

struct TExpectedSlip
{
    TUpl Slip;
    QString Amount; // as printed, Bosnian separators, thousands and "=" on
};

QList<TExpectedSlip> Slips()
{
    QList<TExpectedSlip> slips;
    TUpl a = NewSlip();
    a.Posiljalac = QStringLiteral("Ivan Ivić, Zmaja od Bosne 12, Sarajevo");
    a.RacunPosiljaoca = QStringLiteral("141234567890123456"); // 18: the last two are not printed
    a.Svrha = QStringLiteral("Porez na dohodak za januar 2024. godine, akontacija");
    a.Primalac = QStringLiteral("Kantonalno ministarstvo finansija");
    a.RacunPrimaoca = QStringLiteral("3380002210"); // 10 of 16 boxes
    a.Iznos = 4567.5;
    a.Hitno = true;
    a.BrojObveznika = QStringLiteral("4200000000001");
    a.VrstaUplate = QStringLiteral("1");
    a.VrstaPrihoda = QStringLiteral("716111");
    a.Opstina = QStringLiteral("077");
    a.Poziv = QStringLiteral("0123456789");
    a.Budzetska = QStringLiteral("1234567");
    a.PeriodOd = QStringLiteral("010124");
    a.PeriodDo = QStringLiteral("310124");
    a.DatumUplate = QStringLiteral("150224");
    a.MjestoUplate = QStringLiteral("Sarajevo");
    a.Oznacena = true;
    slips.append({a, QStringLiteral("=4.567,50")});

    TUpl b = NewSlip();
    b.Posiljalac = QStringLiteral("Đuro Šarić");
    b.Iznos = 12.345;
    b.RacunPosiljaoca = QStringLiteral("1990000000000001");
    b.MjestoUplate = QStringLiteral("Tuzla");
    b.Oznacena = false;
    slips.append({b, QStringLiteral("=12,35")}); // halves of a cent round up

    TUpl c = NewSlip();
    c.Svrha = QStringLiteral("Povrat");
    c.Iznos = -1234567.891;
    c.PeriodOd = QStringLiteral("0101  ");
    c.Oznacena = true;
    slips.append({c, QStringLiteral("=-1.234.567,89")});
    return slips;
}

// Checks one page against one slip; collects deviations.
QStringList CheckSlipPage(const TPdfPage &page, const TExpectedSlip &e, const TPositions &p,
                          TDeviations &dev)
{
    const TUpl &s = e.Slip;
    TPageCheck check(page);
    const auto date = [](const QString &d) {
        return d.mid(0, 2) + QLatin1Char(' ') + d.mid(2, 2) + QLatin1Char(' ') + d.mid(4, 2);
    };
    check.Boxes("RacunPosiljaoca", s.RacunPosiljaoca, 16, p[0]);
    check.Boxes("RacunPrimaoca", s.RacunPrimaoca, 16, p[7]);
    if (s.Hitno)
        check.Boxes("Hitno", QStringLiteral("X"), 1, p[12]);
    check.Boxes("BrojObveznika", s.BrojObveznika, 13, p[13]);
    check.Boxes("VrstaUplate", s.VrstaUplate, 1, p[14]);
    check.Boxes("VrstaPrihoda", s.VrstaPrihoda, 6, p[15]);
    check.Boxes("Opstina", s.Opstina, 3, p[16]);
    check.Boxes("Poziv", s.Poziv, 10, p[17]);
    check.Boxes("Budzetska", s.Budzetska, 7, p[18]);
    check.Boxes("PeriodOd", date(s.PeriodOd), 8, p[19]);
    check.Boxes("PeriodDo", date(s.PeriodDo), 8, p[20]);
    check.Boxes("DatumUplate", date(s.DatumUplate), 8, p[21]);
    check.Boxes("MjestoUplate", s.MjestoUplate, int(s.MjestoUplate.size()), p[22]);
    check.Amount(e.Amount, p[11]);

    // Line fields: three lines, each beginning with the margin blank, that
    // together give the text back.
    const auto lines = [&](const QString &name, const QString &text, int first) {
        QStringList got;
        for (int k = 0; k < 3; ++k) {
            const QString line =
                check.Text(QStringLiteral("%1%2").arg(name).arg(k + 1), p[first + k]);
            if (!line.startsWith(QLatin1Char(' ')))
                check.Failures << QStringLiteral("%1%2: no margin blank").arg(name).arg(k + 1);
            got << line;
        }
        if (got.join(QLatin1Char(' ')).simplified() != text.simplified())
            check.Failures << QStringLiteral("%1: '%2'").arg(name, got.join(QLatin1Char('|')));
    };
    lines("Posiljalac", s.Posiljalac, 1);
    lines("Svrha", s.Svrha, 4);
    lines("Primalac", s.Primalac, 8);
    check.NothingElse();
    dev.Merge(check.Dev);
    return check.Failures;
}

// --- The CUPS queue of scripts/start-cups.sh ---------------------------------

const QString Queue = QStringLiteral("KordavinaPDF");

QString RunTool(const QString &program, const QStringList &args, int *exitCode = nullptr)
{
    QProcess p;
    p.start(program, args);
    const bool done = p.waitForFinished(30000);
    if (exitCode)
        *exitCode = done && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool CupsQueueReady()
{
    if (QStandardPaths::findExecutable(QStringLiteral("lpstat")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("ipptool")).isEmpty())
        return false;
    int exit = -1;
    const QString running = RunTool(QStringLiteral("lpstat"), {QStringLiteral("-r")}, &exit);
    if (exit != 0 || !running.contains(QLatin1String("is running")))
        return false;
    RunTool(QStringLiteral("lpstat"), {QStringLiteral("-p"), Queue}, &exit);
    return exit == 0;
}

// Ids of the queue's jobs, finished ones included.
QList<int> JobIds(const QString &which)
{
    const QString out = RunTool(QStringLiteral("lpstat"),
                                {QStringLiteral("-W"), which, QStringLiteral("-o"), Queue});
    QList<int> ids;
    static const QRegularExpression re(QStringLiteral("^%1-(\\d+)\\s").arg(Queue),
                                       QRegularExpression::MultilineOption);
    for (auto it = re.globalMatch(out); it.hasNext();)
        ids << it.next().captured(1).toInt();
    return ids;
}

int LastJobId()
{
    const QList<int> ids = JobIds(QStringLiteral("all"));
    return ids.isEmpty() ? 0 : *std::max_element(ids.begin(), ids.end());
}

// The job's attributes as the scheduler reports them (ipptool).
QMap<QString, QString> JobAttributes(const QString &testFile, int job)
{
    QFile f(testFile);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    f.write("{\n NAME \"job\"\n OPERATION Get-Job-Attributes\n GROUP operation-attributes-tag\n"
            " ATTR charset attributes-charset utf-8\n"
            " ATTR language attributes-natural-language en\n"
            " ATTR uri printer-uri $uri\n"
            " ATTR integer job-id $job\n"
            " ATTR name requesting-user-name $user\n"
            " STATUS successful-ok\n}\n");
    f.close();
    const QString out =
        RunTool(QStringLiteral("ipptool"),
                {QStringLiteral("-t"), QStringLiteral("-v"), QStringLiteral("-d"),
                 QStringLiteral("job=%1").arg(job),
                 QStringLiteral("ipp://localhost/printers/%1").arg(Queue), testFile});
    QMap<QString, QString> attrs;
    static const QRegularExpression re(QStringLiteral("^\\s*([a-z-]+) \\([^)]*\\) = (.*)$"),
                                       QRegularExpression::MultilineOption);
    for (auto it = re.globalMatch(out); it.hasNext();) {
        const auto m = it.next();
        attrs.insert(m.captured(1), m.captured(2).trimmed());
    }
    return attrs;
}

// Waits for the first job after the given id to finish; its id and
// attributes, or 0 when none finished in time.
int WaitForJob(int after, const QString &testFile, QMap<QString, QString> &attrs)
{
    for (int i = 0; i < 600; ++i) {
        int job = 0;
        for (int id : JobIds(QStringLiteral("all")))
            if (id > after && (job == 0 || id < job))
                job = id;
        if (job > 0) {
            attrs = JobAttributes(testFile, job);
            const QString state = attrs.value(QStringLiteral("job-state"));
            if (state == QLatin1String("completed"))
                return job;
            if (state == QLatin1String("aborted") || state == QLatin1String("canceled"))
                return 0;
        }
        QTest::qWait(200);
    }
    return 0;
}

// The PDF cups-pdf wrote for a job: its output folder from cups-pdf.conf
// (the job owner's ~/PDF by default), a name ending in "job_<id>.pdf".
QString CupsPdfOutput(int job)
{
    QString out = QStringLiteral("${HOME}/PDF");
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (conf.open(QIODevice::ReadOnly))
        for (const QByteArray &line : conf.readAll().split('\n'))
            if (line.startsWith("Out "))
                out = QString::fromUtf8(line.mid(4).trimmed());
    out.replace(QLatin1String("${HOME}"), QDir::homePath());
    for (int i = 0; i < 100; ++i) {
        const QStringList found =
            QDir(out).entryList({QStringLiteral("*job_%1.pdf").arg(job)}, QDir::Files, QDir::Time);
        if (!found.isEmpty())
            return QDir(out).filePath(found.first());
        QTest::qWait(100);
    }
    return QString();
}

} // namespace

class TestPrintCli : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_home;

    QString Path(const QString &name) const { return m_dir.filePath(name); }

    struct TRun
    {
        int Exit = -1;
        QString Out, Err;
    };

    // Runs the program with the test's program folder and settings, Bosnian
    // number formats. extraEnv adds or replaces variables.
    TRun Kordavina(const QStringList &args, const QStringList &extraEnv = {})
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KORDAVINA_HOME", m_home);
        env.insert("KORDAVINA_SETTINGS", Path("settings.ini"));
        env.insert("LC_ALL", "bs_BA.UTF-8");
        env.insert("LANG", "bs_BA.UTF-8");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        for (const QString &kv : extraEnv)
            env.insert(kv.section('=', 0, 0), kv.section('=', 1));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KORDAVINA_EXE), args);
        TRun r;
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            r.Err = QStringLiteral("timed out");
            return r;
        }
        r.Exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.Out = QString::fromUtf8(p.readAllStandardOutput());
        r.Err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    void WriteFile(const QString &name, const QByteArray &bytes)
    {
        QFile f(Path(name));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(bytes), bytes.size());
    }

    void WriteSlips(const QString &name, const QList<TExpectedSlip> &slips)
    {
        TUplFile file;
        file.FileName = Path(name);
        for (const TExpectedSlip &e : slips)
            file.AddSlip(e.Slip);
        QString error;
        QVERIFY2(WriteUplFile(file, &error), qPrintable(error));
    }

    void CheckPages(const TPdf &pdf, const QList<TExpectedSlip> &slips, const TPositions &p,
                    double width, double height, const char *what)
    {
        QCOMPARE(pdf.Title, QStringLiteral("Kordavina"));
        QCOMPARE(pdf.Pages.size(), slips.size());
        TDeviations dev;
        double size = 0;
        for (qsizetype i = 0; i < slips.size(); ++i) {
            const TPdfPage &page = pdf.Pages.at(i);
            size = qMax(size, qMax(qAbs(page.Width - width), qAbs(page.Height - height)));
            const QStringList failures = CheckSlipPage(page, slips.at(i), p, dev);
            QVERIFY2(failures.isEmpty(),
                     qPrintable(QStringLiteral("page %1: ").arg(i + 1) + failures.join("; ")));
        }
        QVERIFY2(size <= HalfPoint, qPrintable(QString::number(size)));
        qInfo("%s: %d box characters, %d texts; max deviation: box centre %.4f mm, bottom %.4f mm,"
              " text end %.4f mm, page size %.4f mm",
              what, dev.Boxes, dev.Texts, dev.Box, dev.Line, dev.End, size);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_home = Path("home");
        QVERIFY(QDir().mkpath(m_home));
        SetSettingsFile(Path("settings.ini"));
        TSettings s;
        s.ThousandSep = true;
        s.IznosJednako = true;
        QVERIFY(SaveSettings(s));
        SetSettingsFile(QString());
        WriteSlips("slips.upl", Slips());
    }

    void init() { WriteFile("home/Formats.ini", FormatsIni(QStringLiteral("Široka"))); }

    void namedFormatToPdf()
    {
        if (Python().isEmpty())
            QSKIP("python3-pdfminer is missing");
        const TRun r = Kordavina(
            {"print", Path("slips.upl"), "--pdf", Path("narrow.pdf"), "--format", NarrowName});
        QVERIFY2(r.Exit == 0, qPrintable(r.Err));
        CheckPages(ReadPdf(Path("narrow.pdf")), Slips(), NarrowPositions(), 150.5, 90,
                   "named format");
    }

    void defaultFormatMarkedSlips()
    {
        if (Python().isEmpty())
            QSKIP("python3-pdfminer is missing");
        const TRun r =
            Kordavina({"print", Path("slips.upl"), "--marked", "--pdf", Path("marked.pdf")});
        QVERIFY2(r.Exit == 0, qPrintable(r.Err));
        QList<TExpectedSlip> marked = Slips();
        marked.removeAt(1);
        CheckPages(ReadPdf(Path("marked.pdf")), marked, BuiltInPositions(), 210, 99.5,
                   "default format, marked slips");
    }

    void noDefaultFormatIsTheBuiltInOne()
    {
        if (Python().isEmpty())
            QSKIP("python3-pdfminer is missing");
        WriteFile("home/Formats.ini", FormatsIni(QString()));
        const TRun r = Kordavina({"print", Path("slips.upl"), "--pdf", Path("builtin.pdf")});
        QVERIFY2(r.Exit == 0, qPrintable(r.Err));
        CheckPages(ReadPdf(Path("builtin.pdf")), Slips(), BuiltInPositions(), 176, 100,
                   "built-in format");
    }

    void fileWithoutSlipsGivesOneEmptyPage()
    {
        if (Python().isEmpty())
            QSKIP("python3-pdfminer is missing");
        WriteSlips("empty.upl", {});
        const TRun r = Kordavina({"print", Path("empty.upl"), "--pdf", Path("empty.pdf")});
        QVERIFY2(r.Exit == 0, qPrintable(r.Err));
        const TPdf pdf = ReadPdf(Path("empty.pdf"));
        QCOMPARE(pdf.Pages.size(), 1);
        QVERIFY(pdf.Pages.first().Chars.isEmpty());
        QVERIFY(qAbs(pdf.Pages.first().Width - 210) <= HalfPoint);
    }

    void gridToPdf()
    {
        if (Python().isEmpty())
            QSKIP("python3-pdfminer is missing");
        const TRun r = Kordavina({"grid", "--pdf", Path("grid.pdf"), "--format", NarrowName});
        QVERIFY2(r.Exit == 0, qPrintable(r.Err));
        const TPdf pdf = ReadPdf(Path("grid.pdf"));
        QCOMPARE(pdf.Title, QStringLiteral("Kordavina (štampanje mreže)"));
        QCOMPARE(pdf.Pages.size(), 1);
        const TPdfPage &page = pdf.Pages.first();
        QVERIFY(qAbs(page.Width - 150.5) <= HalfPoint && qAbs(page.Height - 90) <= HalfPoint);
        // 150.5 x 90 mm: columns 10 to 130, rows 10 to 70 (halves to even).
        // Column numbers stand centred on y = 9 mm; row numbers end at x = 9 mm.
        QList<TChar> top;
        QList<TChar> left;
        for (const TChar &c : page.Chars)
            (qAbs(c.Bottom - 9) < 0.2 ? top : left).append(c); // row numbers stand lower
        const auto words = [](QList<TChar> chars, bool byY) {
            std::sort(chars.begin(), chars.end(), [byY](const TChar &a, const TChar &b) {
                return byY ? (qAbs(a.Bottom - b.Bottom) > 0.5 ? a.Bottom < b.Bottom : a.X0 < b.X0)
                           : a.X0 < b.X0;
            });
            QList<QList<TChar>> out;
            for (const TChar &c : chars) {
                const bool joins =
                    !out.isEmpty() && (byY ? qAbs(out.last().last().Bottom - c.Bottom) < 0.5
                                           : c.X0 - out.last().last().X1 < 0.3);
                if (joins)
                    out.last().append(c);
                else
                    out.append({c});
            }
            return out;
        };
        const auto columnWords = words(top, false);
        QCOMPARE(columnWords.size(), 13);
        double maxDev = 0;
        for (int i = 0; i < 13; ++i) {
            const auto &w = columnWords.at(i);
            QString text;
            for (const TChar &c : w)
                text += c.C;
            QCOMPARE(text, QString::number(10 * (i + 1)));
            maxDev = qMax(maxDev, qAbs((w.first().X0 + w.last().X1) / 2 - 10 * (i + 1)));
            maxDev = qMax(maxDev, qAbs(w.first().Bottom - 9));
        }
        const auto rowWords = words(left, true);
        QCOMPARE(rowWords.size(), 7);
        for (int i = 0; i < 7; ++i) {
            const auto &w = rowWords.at(i);
            QString text;
            for (const TChar &c : w)
                text += c.C;
            QCOMPARE(text, QString::number(10 * (i + 1)));
            maxDev = qMax(maxDev, qAbs(w.last().X1 - 9));
        }
        QVERIFY2(maxDev <= LineTolerance, qPrintable(QString::number(maxDev)));
    }

    void errors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("formats");
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("message");
        const QByteArray good = FormatsIni(QStringLiteral("Široka"));
        QTest::newRow("refused slip file") << QStringList{"print", "bad.upl", "--pdf", "x.pdf"}
                                           << good << QStringList{} << 1 << "Neispravna datoteka!";
        QTest::newRow("unreadable format value")
            << QStringList{"print", "slips.upl", "--pdf", "x.pdf"}
            << FormatsIni(QStringLiteral("Široka"), QStringLiteral("98x;225;650;Arial;10;"))
            << QStringList{} << 1 << "'98x' is not a valid integer value";
        QTest::newRow("no such format")
            << QStringList{"print", "slips.upl", "--pdf", "x.pdf", "--format", "Nema"} << good
            << QStringList{} << 1 << "Ne postoji format \"Nema\"!";
        QTest::newRow("grid, no such format")
            << QStringList{"grid", "--pdf", "x.pdf", "--format", "Nema"} << good << QStringList{}
            << 1 << "Ne postoji format \"Nema\"!";
        // A scheduler that does not answer: no printers at all.
        QTest::newRow("no printer installed")
            << QStringList{"print", "slips.upl"} << good << QStringList{"CUPS_SERVER=127.0.0.1:9"}
            << 1 << "Nije instaliran nijedan štampač.";
        QTest::newRow("usage") << QStringList{"print", "--pdf"} << good << QStringList{} << 2
                               << "--pdf needs one value";
    }
    void errors()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, formats);
        QFETCH(QStringList, env);
        QFETCH(int, exit);
        QFETCH(QString, message);
        WriteFile("home/Formats.ini", formats);
        WriteFile("bad.upl", QByteArray("not a slip file"));
        for (QString &a : args)
            if (a.endsWith(".upl") || a.endsWith(".pdf"))
                a = Path(a);
        const TRun r = Kordavina(args, env);
        QCOMPARE(r.Exit, exit);
        QVERIFY2(r.Err.contains(message), qPrintable(r.Err));
        QVERIFY(!QFile::exists(Path("x.pdf")));
    }

    void printQueue()
    {
        if (Python().isEmpty())
            QSKIP("python3-pdfminer is missing");
        if (!CupsQueueReady())
            QSKIP("no CUPS scheduler with the KordavinaPDF queue (scripts/start-cups.sh)");
        // The queue comes from the settings' printer here.
        const QString settings = Path("settings-queue.ini");
        SetSettingsFile(settings);
        TSettings s;
        s.ThousandSep = true;
        s.IznosJednako = true;
        s.DefaultPrinter = Queue;
        QVERIFY(SaveSettings(s));
        SetSettingsFile(QString());

        const int before = LastJobId();
        const TRun r = Kordavina({"print", Path("slips.upl"), "--format", NarrowName},
                                 {"KORDAVINA_SETTINGS=" + settings});
        QVERIFY2(r.Exit == 0, qPrintable(r.Err));
        QMap<QString, QString> attrs;
        const int job = WaitForJob(before, Path("job.test"), attrs);
        QVERIFY2(job > before, "the job did not complete");
        QCOMPARE(attrs.value("job-name"), QStringLiteral("Kordavina"));
        QCOMPARE(attrs.value("media"), QStringLiteral("Custom.150.5x90mm"));
        QCOMPARE(attrs.value("job-impressions-completed"), QStringLiteral("3"));

        // What the program handed the spooler: the same places as the PDF.
        const QString spooled =
            QStringLiteral("/var/spool/cups/d%1-001").arg(job, 5, 10, QLatin1Char('0'));
        if (QFileInfo(spooled).isReadable())
            CheckPages(ReadPdf(spooled), Slips(), NarrowPositions(), 150.5, 90, "spooled job");
        else
            qInfo("%s is not readable here; spooled positions not checked", qPrintable(spooled));

        // What came out of the queue: cups-pdf re-renders the job through
        // Ghostscript (glyphs become Type 3 outlines), so only pages and paper
        // are compared; the paper may lose up to a point to rounding.
        const QString output = CupsPdfOutput(job);
        QVERIFY2(!output.isEmpty(), "no cups-pdf output");
        const TPdf printed = ReadPdf(output);
        QCOMPARE(printed.Pages.size(), 3);
        for (const TPdfPage &page : printed.Pages)
            QVERIFY2(qAbs(page.Width - 150.5) <= 2 * HalfPoint &&
                         qAbs(page.Height - 90) <= 2 * HalfPoint,
                     qPrintable(QStringLiteral("%1 x %2").arg(page.Width).arg(page.Height)));

        // Where the ink lands on the queue's page against the same job
        // written straight to a PDF, from the rendered pages.
        const TRun direct = Kordavina(
            {"print", Path("slips.upl"), "--pdf", Path("direct.pdf"), "--format", NarrowName});
        QVERIFY2(direct.Exit == 0, qPrintable(direct.Err));
        QProcess shift;
        shift.start(Python(), {QStringLiteral(KORDAVINA_INK_SHIFT), Path("direct.pdf"), output});
        QVERIFY(shift.waitForFinished(120000));
        const QJsonObject ink = QJsonDocument::fromJson(shift.readAllStandardOutput()).object();
        QVERIFY2(ink.contains("dx"), shift.readAllStandardError().constData());
        const double dx = ink.value("dx").toDouble(), dy = ink.value("dy").toDouble();
        qInfo("queue output against the direct PDF: ink moved %.3f mm right, %.3f mm down;"
              " page %.2f x %.2f mm",
              dx, dy, printed.Pages.first().Width, printed.Pages.first().Height);
        QVERIFY2(qAbs(dx) <= 0.3 && qAbs(dy) <= 0.3, "the queue moves the text");
    }

    void gridToQueueAndUnknownPrinter()
    {
        if (!CupsQueueReady())
            QSKIP("no CUPS scheduler with the KordavinaPDF queue (scripts/start-cups.sh)");
        const int before = LastJobId();
        TRun r = Kordavina({"grid", "--printer", Queue});
        QVERIFY2(r.Exit == 0, qPrintable(r.Err));
        QMap<QString, QString> attrs;
        const int job = WaitForJob(before, Path("job.test"), attrs);
        QVERIFY2(job > before, "the job did not complete");
        QCOMPARE(attrs.value("job-name"), QStringLiteral("Kordavina (štampanje mreže)"));
        QCOMPARE(attrs.value("media"), QStringLiteral("Custom.210x99.5mm"));

        r = Kordavina({"print", Path("slips.upl"), "--printer", "Nema"});
        QCOMPARE(r.Exit, 1);
        QVERIFY2(r.Err.contains(QStringLiteral("Štampač \"Nema\" nije instaliran.")),
                 qPrintable(r.Err));
    }
};

QTEST_MAIN(TestPrintCli)
#include "tst_printcli.moc"

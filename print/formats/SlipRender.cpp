#include "print/formats/SlipRender.h"

#include "print/formats/FormatEditMath.h"

#include "core/Rounding.h"
#include "core/Upl.h"
#include "print/engine/ZorCanvas.h"
#include "print/formats/PrintChecks.h"

#include <QLocale>
#include <QPainter>
#include <QPen>

#include <atomic>
#include <cmath>

namespace {

std::atomic<long long> drawSlipCount{0};

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ');
}

// Blanks and control characters at both ends go, as a Windows Trim does.
QString TrimControl(const QString &s)
{
    qsizetype first = 0;
    qsizetype last = s.size();
    while (first < last && s.at(first).unicode() <= ' ')
        ++first;
    while (last > first && s.at(last - 1).unicode() <= ' ')
        --last;
    return s.mid(first, last - first);
}

// How many characters of s fit into w when each is measured alone.
qsizetype GuessFit(const TZorCanvas &canvas, const QString &s, float w)
{
    float sum = 0;
    for (qsizetype k = 0; k < s.size(); ++k) {
        sum += canvas.CharWidth(s.at(k));
        if (sum > w)
            return k;
    }
    return s.size();
}

// Lays out one line from rest (which begins with the margin blank) for width
// w and leaves in rest what the next line gets.
//
// Character by character, the line grows while it and the character after it
// fit. Widths only grow as characters are added, so the place where that stops
// is found by halving instead of measuring every prefix: a text that fits
// whole costs one measurement.
QString TakeLine(const TZorCanvas &canvas, QString &rest, float w)
{
    const qsizetype n = rest.size();
    const auto fits = [&](qsizetype len) { return canvas.TextWidth(rest.left(len)) <= w; };
    QString line;
    if (fits(n)) {
        line = rest;
        rest.clear();
        return line;
    }
    // The longest prefix that fits; at least one character stays on the line.
    // The characters' own widths (which leave out kerning and the rounding of
    // the whole) say where to look first; the measures of whole prefixes decide.
    qsizetype fitting = 1;
    qsizetype lo = 2;
    qsizetype hi = n - 1;
    const qsizetype guess = GuessFit(canvas, rest, w);
    if (guess >= lo && guess <= hi) {
        if (fits(guess)) {
            fitting = guess;
            lo = guess + 1;
            if (lo <= hi && !fits(lo))
                hi = lo - 1;
        } else {
            hi = guess - 1;
            if (hi >= lo && fits(hi)) {
                fitting = hi;
                lo = hi + 1;
            }
        }
    }
    while (lo <= hi) {
        const qsizetype mid = (lo + hi) / 2;
        if (fits(mid)) {
            fitting = mid;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    const qsizetype i = fitting - 1; // last character on the line; rest[i + 1] exists
    if (IsBlank(rest.at(i + 1))) {
        // Only the blank after this word does not fit: the word does.
        line = rest.left(i + 1);
        rest = rest.mid(i + 1);
        return line;
    }
    if (i > 0 && IsBlank(rest.at(i))) {
        // Full exactly at a blank: the words so far fit.
        line = rest.left(i);
        rest = rest.mid(i + 1);
        return line;
    }
    // The last blank after the margin: the line ends before it.
    const qsizetype breakAt = i >= 2 ? rest.lastIndexOf(QLatin1Char(' '), i - 1) : -1;
    if (breakAt > 0) {
        line = rest.left(breakAt);
        rest = rest.mid(breakAt + 1);
        return line;
    }
    // One word fills the line: cut it, keeping room for the "-" and at least
    // one character so that the text moves on.
    qsizetype keep = qMax<qsizetype>(i, 1);
    for (;; --keep) {
        line = rest.left(keep + 1);
        if (keep + 1 < n && !IsBlank(rest.at(keep + 1)))
            line += QLatin1Char('-');
        if (keep == 1 || canvas.TextWidth(line) <= w)
            break;
    }
    rest = rest.mid(keep + 1);
    return line;
}

} // namespace

QString AmountText(double amount, bool thousandSep, bool iznosJednako)
{
    // "nan", "inf" or three hundred digits across the slip help nobody; print
    // jobs refuse such slips first (CheckSlipAmount).
    if (!AmountPrintable(amount))
        return QString();
    QString text;
    if (iznosJednako)
        text += QLatin1Char('=');
    // Round on the value in cents, halves away from zero, so that 0.125
    // prints as 0.13 whatever the binary neighbours do.
    const long double cents = std::round(static_cast<long double>(amount) * 100.0L);
    if (cents < 0)
        text += QLatin1Char('-');
    QLocale locale;
    locale.setNumberOptions(thousandSep ? QLocale::DefaultNumberOptions
                                        : QLocale::OmitGroupSeparator);
    text += locale.toString(static_cast<double>(std::fabs(cents) / 100.0L), 'f', 2);
    return text;
}

QString DateText(const QString &stored)
{
    return stored.mid(0, 2) + QLatin1Char(' ') + stored.mid(2, 2) + QLatin1Char(' ') +
           stored.mid(4, 2);
}

void SetPositionFont(TZorCanvas &canvas, const TFieldFormat &position)
{
    const QFont font = DeviceFont(position.FontName, position.FontSize, position.FontStyle,
                                  static_cast<double>(canvas.Scale) * 25.4);
    canvas.SetFont(font);
}

std::array<QString, 3> SplitLines(const TZorCanvas &canvas, const QString &text, float w1, float w2,
                                  float w3)
{
    const float widths[3] = {w1, w2, w3};
    std::array<QString, 3> lines;
    QString rest = text;
    for (int k = 0; k < 3; ++k) {
        rest = QLatin1Char(' ') + TrimControl(rest);
        lines[k] = TakeLine(canvas, rest, widths[k]);
    }
    return lines;
}

void DrawField(TZorCanvas &canvas, const QString &text, int boxes, const TFieldFormat &position)
{
    if (boxes <= 0) {
        canvas.TextOut(text, 7, position.Left, position.Top);
        return;
    }
    const qsizetype n = qMin<qsizetype>(boxes, text.size());
    for (qsizetype k = 0; k < n; ++k) {
        const QChar c = text.at(k);
        if (IsBlank(c))
            continue; // an empty box
        const double x = double(position.Left) + double(position.Width) / boxes * (k + 0.5);
        canvas.CharOut(c, 8, static_cast<float>(x), position.Top);
    }
}

void DrawSlip(TZorCanvas &canvas, const TUpl &slip, const TFieldFormats &format,
              const TAmountOptions &amount)
{
    ++drawSlipCount;
    if (QPainter *p = canvas.Canvas) {
        p->setBrush(Qt::NoBrush);
        p->setBackgroundMode(Qt::TransparentMode);
    }

    const auto lines = [&](const QString &text, TPositionIndex first) {
        const TFieldFormat &p1 = format[first];
        const TFieldFormat &p2 = format[TPositionIndex(first + 1)];
        const TFieldFormat &p3 = format[TPositionIndex(first + 2)];
        SetPositionFont(canvas, p1);
        const auto l = SplitLines(canvas, text, p1.Width, p2.Width, p3.Width);
        DrawField(canvas, l[0], 0, p1);
        DrawField(canvas, l[1], 0, p2);
        DrawField(canvas, l[2], 0, p3);
    };
    const auto boxes = [&](const QString &text, int n, TPositionIndex i) {
        SetPositionFont(canvas, format[i]);
        DrawField(canvas, text, n, format[i]);
    };

    lines(slip.Posiljalac, piPosiljalac1);
    boxes(slip.RacunPosiljaoca, RacunBoxes, piRacunPosiljaoca);
    lines(slip.Svrha, piSvrha1);
    lines(slip.Primalac, piPrimalac1);
    boxes(slip.RacunPrimaoca, RacunBoxes, piRacunPrimaoca);

    const TFieldFormat &iznos = format[piIznos];
    SetPositionFont(canvas, iznos);
    canvas.TextOut(AmountText(slip.Iznos, amount.ThousandSep, amount.IznosJednako), 9,
                   iznos.Left + iznos.Width, iznos.Top);

    SetPositionFont(canvas, format[piHitno]);
    if (slip.Hitno)
        DrawField(canvas, QStringLiteral("X"), 1, format[piHitno]);

    boxes(slip.BrojObveznika, BrojObveznikaBoxes, piBrojObveznika);
    boxes(slip.VrstaUplate, VrstaUplateBoxes, piVrstaUplate);
    boxes(slip.VrstaPrihoda, VrstaPrihodaBoxes, piVrstaPrihoda);
    boxes(slip.Opstina, OpstinaBoxes, piOpstina);
    boxes(slip.Poziv, PozivBoxes, piPoziv);
    boxes(slip.Budzetska, BudzetskaBoxes, piBudzetska);
    boxes(DateText(slip.PeriodOd), DateBoxes, piPeriodOd);
    boxes(DateText(slip.PeriodDo), DateBoxes, piPeriodDo);
    boxes(DateText(slip.DatumUplate), DateBoxes, piDatumUplate);
    boxes(slip.MjestoUplate, int(slip.MjestoUplate.size()), piMjestoUplate);
}

void DrawGridPage(TZorCanvas &canvas, double widthMm, double heightMm)
{
    QPainter *p = canvas.Canvas;
    p->setBrush(Qt::NoBrush);
    p->setBackgroundMode(Qt::TransparentMode);
    p->setFont(
        DeviceFont(QStringLiteral("Arial"), 8, {}, static_cast<double>(canvas.Scale) * 25.4));

    const int gw = GridExtent(widthMm);
    const int gh = GridExtent(heightMm);
    // Lines in one direction need the other's extent: a sheet narrower than
    // 30 mm (or lower) gets no grid rather than lines drawn backwards.
    if (gw < 10 || gh < 10)
        return;

    QPen pen = p->pen();
    pen.setCapStyle(Qt::FlatCap); // lines end exactly at their millimetre
    const int thick = RoundHalfEvenInt(0.3L * canvas.Scale);
    const int thin = RoundHalfEvenInt(0.1L * canvas.Scale);
    const auto setWidth = [&](int n) {
        pen.setWidth(n % 5 == 0 ? thick : thin);
        p->setPen(pen);
    };

    for (int n = 10; n <= gw; ++n) {
        setWidth(n);
        if (n % 10 == 0) {
            canvas.Line(n, 9, n, gh + 1);
            canvas.TextOut(QString::number(n), 8, n, 9);
        } else {
            canvas.Line(n, 10, n, gh);
        }
    }
    for (int n = 10; n <= gh; ++n) {
        setWidth(n);
        if (n % 10 == 0) {
            canvas.Line(9, n, gw + 1, n);
            canvas.TextOut(QString::number(n), 6, 9, n);
        } else {
            canvas.Line(10, n, gw, n);
        }
    }
}

long long DrawSlipCount()
{
    return drawSlipCount.load();
}

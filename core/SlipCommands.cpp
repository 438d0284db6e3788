#include "core/SlipCommands.h"

#include "core/AppFolder.h"
#include "core/SafeFile.h"
#include "core/UplFileIO.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>
#include <system_error>

QList<qsizetype> MarkedIndices(const TUplFile &file)
{
    QList<qsizetype> indices;
    for (qsizetype i = 0; i < file.Uplatnice.size(); ++i)
        if (file.Uplatnice[i].Oznacena)
            indices.append(i);
    return indices;
}

QList<TUpl> SlipsAt(const TUplFile &file, const QList<qsizetype> &indices)
{
    QList<TUpl> slips;
    slips.reserve(indices.size());
    for (qsizetype i : indices)
        slips.append(CopySlip(file.Uplatnice.at(i)));
    return slips;
}

QList<bool> SlipMarks(const TUplFile &file)
{
    QList<bool> marks;
    marks.reserve(file.Uplatnice.size());
    for (const TUpl &slip : file.Uplatnice)
        marks.append(slip.Oznacena);
    return marks;
}

void RestoreSlipMarks(TUplFile &file, const QList<bool> &marks)
{
    const qsizetype n = std::min(marks.size(), file.Uplatnice.size());
    for (qsizetype i = 0; i < n; ++i)
        file.Uplatnice[i].Oznacena = marks[i];
}

void MarkOnly(TUplFile &file, qsizetype index)
{
    for (qsizetype i = 0; i < file.Uplatnice.size(); ++i)
        file.Uplatnice[i].Oznacena = i == index;
}

void CopySlipData(TUpl &to, const TUpl &from)
{
    to.RacunPosiljaoca = from.RacunPosiljaoca;
    to.Posiljalac = from.Posiljalac;
    to.Svrha = from.Svrha;
    to.RacunPrimaoca = from.RacunPrimaoca;
    to.Primalac = from.Primalac;
    to.Iznos = from.Iznos;
    to.Hitno = from.Hitno;
    to.BrojObveznika = from.BrojObveznika;
    to.VrstaUplate = from.VrstaUplate;
    to.VrstaPrihoda = from.VrstaPrihoda;
    to.Opstina = from.Opstina;
    to.Poziv = from.Poziv;
    to.Budzetska = from.Budzetska;
    to.PeriodOd = from.PeriodOd;
    to.PeriodDo = from.PeriodDo;
    to.DatumUplate = from.DatumUplate;
    to.MjestoUplate = from.MjestoUplate;
}

bool SameSlipData(const TUpl &a, const TUpl &b)
{
    TUpl data = b;
    CopySlipData(data, a);
    return data == b;
}

void InsertSlipCopies(TUplFile &file, qsizetype index, const QList<TUpl> &slips)
{
    Q_ASSERT(index >= 0 && index <= file.Uplatnice.size());
    if (slips.isEmpty())
        return;
    // One pass into a new list: inserting them one by one would shift the
    // tail once per slip (minutes for a big file).
    QList<TUpl> merged;
    merged.reserve(file.Uplatnice.size() + slips.size());
    auto &old = file.Uplatnice;
    std::move(old.begin(), old.begin() + index, std::back_inserter(merged));
    merged.append(slips);
    std::move(old.begin() + index, old.end(), std::back_inserter(merged));
    old = std::move(merged);
}

QList<TUpl> TakeSlipRange(TUplFile &file, qsizetype index, qsizetype count)
{
    Q_ASSERT(index >= 0 && count >= 0 && index + count <= file.Uplatnice.size());
    QList<TUpl> taken = file.Uplatnice.mid(index, count);
    file.Uplatnice.remove(index, count);
    return taken;
}

QList<TUpl> DeleteSlipsAt(TUplFile &file, const QList<qsizetype> &indices)
{
    // One pass: the slips at the indices go to the removed list, the rest
    // close up. Deleting them one by one would cost a shift per slip.
    QList<TUpl> removed;
    removed.reserve(indices.size());
    auto &slips = file.Uplatnice;
    qsizetype kept = 0;
    qsizetype next = 0; // position in indices
    for (qsizetype i = 0; i < slips.size(); ++i) {
        if (next < indices.size() && indices[next] == i) {
            removed.append(std::move(slips[i]));
            ++next;
        } else {
            if (kept != i)
                slips[kept] = std::move(slips[i]);
            ++kept;
        }
    }
    Q_ASSERT(next == indices.size()); // ascending, each within the file
    slips.resize(kept);
    return removed;
}

void RestoreSlipsAt(TUplFile &file, const QList<qsizetype> &indices, const QList<TUpl> &slips)
{
    Q_ASSERT(indices.size() == slips.size());
    // Merged in one pass: slip k lands at indices[k], the others keep their
    // order around them.
    auto &old = file.Uplatnice;
    QList<TUpl> merged;
    merged.reserve(old.size() + slips.size());
    qsizetype from = 0; // next slip of old
    for (qsizetype k = 0; k < indices.size(); ++k) {
        while (merged.size() < indices[k] && from < old.size())
            merged.append(std::move(old[from++]));
        merged.append(slips[k]);
    }
    while (from < old.size())
        merged.append(std::move(old[from++]));
    old = std::move(merged);
}

qsizetype MoveSlips(TUplFile &file, const QList<qsizetype> &indices, qsizetype before)
{
    Q_ASSERT(before >= 0 && before <= file.Uplatnice.size());
    const QList<TUpl> moved = DeleteSlipsAt(file, indices);
    qsizetype blockStart = before;
    for (qsizetype i : indices)
        if (i < before)
            --blockStart;
    InsertSlipCopies(file, blockStart, moved);
    return blockStart;
}

void UnmoveSlips(TUplFile &file, const QList<qsizetype> &indices, qsizetype blockStart)
{
    const QList<TUpl> moved = TakeSlipRange(file, blockStart, indices.size());
    RestoreSlipsAt(file, indices, moved);
}

TSlipProperties MergeSlipProperties(const QList<TUpl> &slips, const TSlipProperties &previous)
{
    if (slips.isEmpty())
        return previous;
    TSlipProperties merged = SlipPropertiesOf(slips.first());
    for (qsizetype k = 1; k < slips.size(); ++k) {
        const TUpl &slip = slips[k];
        for (size_t j = 0; j < merged.Stanja.size(); ++j)
            if (merged.Stanja[j] != slip.Stanja[j])
                merged.Stanja[j] = kStateDiffers;
        // Compared as the single the slips hold, so that one share typed
        // into several slips is recognised as the same.
        if (merged.Procenat != kProcenatDiffers &&
            static_cast<float>(merged.Procenat) != slip.Procenat)
            merged.Procenat = kProcenatDiffers;
    }
    return merged;
}

void ApplySlipProperties(TUpl &slip, const TSlipProperties &answer)
{
    for (size_t j = 0; j < answer.Stanja.size(); ++j)
        if (answer.Stanja[j] != kStateDiffers)
            slip.Stanja[j] = answer.Stanja[j];
    if (answer.Procenat != kProcenatDiffers)
        slip.Procenat = static_cast<float>(answer.Procenat);
}

TSlipProperties SlipPropertiesOf(const TUpl &slip)
{
    TSlipProperties p;
    p.Stanja = slip.Stanja;
    p.Procenat = slip.Procenat;
    return p;
}

namespace {

// A finite number as the decimal Mantissa x 10^Exponent of its shortest
// round-trip text.
struct TDecimal
{
    __int128 Mantissa = 0;
    int Exponent = 0;
};

template <typename T> std::optional<TDecimal> ShortestDecimal(T value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    if (ec != std::errc())
        return std::nullopt;
    TDecimal d;
    bool negative = false;
    const char *p = buf;
    if (p < end && *p == '-') {
        negative = true;
        ++p;
    }
    bool fraction = false;
    for (; p < end && *p != 'e'; ++p) {
        if (*p == '.') {
            fraction = true;
            continue;
        }
        d.Mantissa = d.Mantissa * 10 + (*p - '0'); // at most 17 digits
        if (fraction)
            --d.Exponent;
    }
    if (p < end) { // exponent "e+20", "e-05"
        int e = 0;
        const auto r = std::from_chars(p + 1 + (p[1] == '+'), end, e);
        if (r.ec != std::errc())
            return std::nullopt;
        d.Exponent += e;
    }
    if (negative)
        d.Mantissa = -d.Mantissa;
    return d;
}

} // namespace

std::optional<qint64> MultipleEntryCents(double base, float share)
{
    const auto b = ShortestDecimal(base);
    const auto s = ShortestDecimal(share);
    if (!b || !s)
        return std::nullopt;
    // Below 10^26 in magnitude: 17 digits of the double times 9 of the float.
    const __int128 product = b->Mantissa * s->Mantissa;
    // The product is in units of 10^(eb + es); dividing by 100 and counting
    // in cents cancel, so the shift to cents is eb + es.
    const int shift = b->Exponent + s->Exponent;
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    if (product == 0)
        return 0;
    if (shift >= 0) {
        __int128 cents = product;
        for (int k = 0; k < shift; ++k) {
            cents *= 10;
            if (cents > kMax || cents < -kMax)
                return std::nullopt;
        }
        if (cents > kMax || cents < -kMax)
            return std::nullopt;
        return static_cast<qint64>(cents);
    }
    if (-shift > 27) // |product| < 10^26: far below half a cent
        return 0;
    __int128 divisor = 1;
    for (int k = 0; k < -shift; ++k)
        divisor *= 10;
    __int128 q = product / divisor;
    const __int128 r = product % divisor; // has the sign of product
    const __int128 twice = r < 0 ? -2 * r : 2 * r;
    if (twice >= divisor) // half or more: away from zero
        q += product < 0 ? -1 : 1;
    if (q > kMax || q < -kMax)
        return std::nullopt;
    return static_cast<qint64>(q);
}

double MultipleEntryAmount(double base, float share)
{
    const auto cents = MultipleEntryCents(base, share);
    // Whole cents and 100 are exact doubles, so the correctly rounded
    // quotient is the double nearest the two-decimal text, as reading the
    // text back would give.
    return cents ? static_cast<double>(*cents) / 100.0 : 0.0;
}

bool TakesMultipleEntry(const TUpl &slip, bool ticked)
{
    return ticked && slip.Procenat > 0;
}

QList<TAmountChange> PlanMultipleEntry(const TUplFile &file, double base, const QList<bool> &ticked)
{
    QList<TAmountChange> changes;
    for (qsizetype i = 0; i < file.Uplatnice.size(); ++i) {
        const TUpl &slip = file.Uplatnice[i];
        if (TakesMultipleEntry(slip, i < ticked.size() && ticked[i]))
            changes.append({i, MultipleEntryAmount(base, slip.Procenat)});
    }
    return changes;
}

qint64 AmountCents(double amount)
{
    return MultipleEntryCents(amount, 100.0f).value_or(0);
}

TMultipleEntrySummary SummariseMultipleEntry(const QList<TAmountChange> &changes, double base)
{
    TMultipleEntrySummary s;
    for (const TAmountChange &c : changes)
        s.SumCents += AmountCents(c.Iznos);
    s.DifferenceCents = s.SumCents - AmountCents(base);
    return s;
}

QString DefaultSlipPath()
{
    return ProgramFile(QStringLiteral("Default1.upl"));
}

bool DefaultSlipExists()
{
    return QFile::exists(DefaultSlipPath());
}

TUpl StartingSlip(QString *warning)
{
    if (!DefaultSlipExists() && !QFileInfo(DefaultSlipPath()).isSymLink())
        return NewSlip();
    const TUplReadResult r = ReadUplFile(DefaultSlipPath());
    if (r.Status != TUplReadResult::Ok && warning)
        *warning = PathError(DefaultSlipPath(), r.Error);
    if (r.Status != TUplReadResult::Ok || !r.File || r.File->Count() == 0)
        return NewSlip();
    return CopySlip(r.File->SlipByIndex(0));
}

bool WriteDefaultSlip(const TUpl &slip, QString *error)
{
    TUplFile file;
    file.FileName = DefaultSlipPath();
    file.AddSlip(slip);
    return WriteUplFile(file, error);
}

bool DeleteDefaultSlip(QString *error)
{
    QFile f(DefaultSlipPath());
    if (!f.exists() || f.remove())
        return true;
    if (error)
        *error = f.errorString();
    return false;
}

#pragma once

// The rules of the commands on a file's slips, free of windows: which slips
// are marked, inserting copies, moving and deleting, merging the properties
// of several slips and applying the properties dialog's answer, and the
// amounts of multiple entry. Every change here has its inverse, which the
// undo commands (core/SlipUndo.h) call.

#include "core/Upl.h"

#include <QList>

#include <array>
#include <optional>

// Indices of the marked slips, ascending.
QList<qsizetype> MarkedIndices(const TUplFile &file);
// Copies of the slips at the given indices, in that order.
QList<TUpl> SlipsAt(const TUplFile &file, const QList<qsizetype> &indices);

// The marks of every slip, in file order, and putting them back. Restoring a
// list of another length marks as far as both reach.
QList<bool> SlipMarks(const TUplFile &file);
void RestoreSlipMarks(TUplFile &file, const QList<bool> &marks);
// Clears every mark and marks only the slip at index (nothing for -1).
void MarkOnly(TUplFile &file, qsizetype index);

// The values the slip editor writes into a slip: the data fields, the amount
// and the urgent mark, not the description, states, mark or share (those
// have their own commands, and undoing an edit must not touch them).
void CopySlipData(TUpl &to, const TUpl &from);
bool SameSlipData(const TUpl &a, const TUpl &b);

// Inserts the slips in front of the slip at index (index == Count() appends),
// keeping their order: the first of them ends up at index.
void InsertSlipCopies(TUplFile &file, qsizetype index, const QList<TUpl> &slips);
// Removes count slips starting at index and returns them.
QList<TUpl> TakeSlipRange(TUplFile &file, qsizetype index, qsizetype count);

// Deletes the slips at the given ascending indices and returns them, in the
// same order; RestoreSlipsAt puts them back at those indices.
QList<TUpl> DeleteSlipsAt(TUplFile &file, const QList<qsizetype> &indices);
void RestoreSlipsAt(TUplFile &file, const QList<qsizetype> &indices, const QList<TUpl> &slips);

// Moves the slips at the given ascending indices, keeping their order, in
// front of the slip that stood at before (before == Count(): to the end), as
// copying them within their own file and deleting the sources does. Returns
// where the moved block starts afterwards; UnmoveSlips takes it back.
qsizetype MoveSlips(TUplFile &file, const QList<qsizetype> &indices, qsizetype before);
void UnmoveSlips(TUplFile &file, const QList<qsizetype> &indices, qsizetype blockStart);

// What the properties dialog shows and answers: the 16 field states and the
// share, each -1 where the marked slips differ ("keep each slip's own").
constexpr qint32 kStateDiffers = -1;
constexpr double kProcenatDiffers = -1;
struct TSlipProperties
{
    std::array<qint32, 16> Stanja{};
    double Procenat = 0;

    bool operator==(const TSlipProperties &) const = default;
};

// The first slip's states and share, with -1 wherever a further slip
// differs. Without slips, previous is kept (the dialog remembers its last
// use).
TSlipProperties MergeSlipProperties(const QList<TUpl> &slips, const TSlipProperties &previous = {});
// Writes every state and the share that is not -1 into the slip.
void ApplySlipProperties(TUpl &slip, const TSlipProperties &answer);
// The properties of one slip as they stand, to undo ApplySlipProperties.
TSlipProperties SlipPropertiesOf(const TUpl &slip);

// Multiple entry: base x share / 100 in cents, rounded to the nearest cent
// with halves away from zero. Both numbers are taken as the decimals they
// were typed as (the shortest text that reads back as the same double or
// float), so that 0,05 x 50 % is 0,025 and gives 0,03, and 33.3333 does not
// drag the float's binary tail into the result. Nothing for numbers that are
// not finite or whose product does not fit.
std::optional<qint64> MultipleEntryCents(double base, float share);
// The amount as a double equal to reading its two-decimal text back; 0 for
// what MultipleEntryCents refuses.
double MultipleEntryAmount(double base, float share);
// Whether a slip takes part: ticked and a share above 0.
bool TakesMultipleEntry(const TUpl &slip, bool ticked);

// One amount multiple entry writes.
struct TAmountChange
{
    qsizetype Index = 0;
    double Iznos = 0;

    bool operator==(const TAmountChange &) const = default;
};
// The amounts for the ticked slips with a share above 0; ticked[i] belongs
// to slip i (missing entries count as unticked).
QList<TAmountChange> PlanMultipleEntry(const TUplFile &file, double base,
                                       const QList<bool> &ticked);

// Sum of the new amounts and how far it lies from the base, both in cents,
// so that the user sees a rounding cent before confirming.
struct TMultipleEntrySummary
{
    qint64 SumCents = 0;
    qint64 DifferenceCents = 0; // sum - base
};
TMultipleEntrySummary SummariseMultipleEntry(const QList<TAmountChange> &changes, double base);
// A double amount in whole cents, halves away from zero.
qint64 AmountCents(double amount);

// The default slip, Default1.upl in the program's folder: every new slip
// starts from its first slip (fields, states, mark and share).
QString DefaultSlipPath();
bool DefaultSlipExists();
// The first slip of the default slip file; a new slip when the file is
// missing, cannot be read, is refused by the reader or holds no slip. In the
// two middle cases warning gets "PATH: reason", for the user to hear of it.
TUpl StartingSlip(QString *warning = nullptr);
// Writes the default slip file with empty notes and slip as its only slip.
// False, with the system's reason in error, when it could not be written.
bool WriteDefaultSlip(const TUpl &slip, QString *error = nullptr);
// Deletes the default slip file; true when it is gone afterwards.
bool DeleteDefaultSlip(QString *error = nullptr);

#include "core/SlipUndo.h"

#include <QUndoStack>

#include <algorithm>

TSlipCommand::TSlipCommand(TUplFile &file, TSlipsChanged changed, const QString &text)
    : FFile(file), FChanged(std::move(changed))
{
    setText(text);
}

void TSlipCommand::Changed()
{
    FFile.Snimljena = false;
    if (FChanged)
        FChanged(FFile);
}

TUplAddCommand::TUplAddCommand(TUplFile &file, const TUpl &slip, TSlipsChanged changed)
    : TSlipCommand(file, std::move(changed), QStringLiteral("Nova uplatnica")), FSlip(slip)
{}

void TUplAddCommand::redo()
{
    FMarksBefore = SlipMarks(File());
    File().AddSlip(FSlip);
    MarkOnly(File(), File().Count() - 1);
    Changed();
}

void TUplAddCommand::undo()
{
    TakeSlipRange(File(), File().Count() - 1, 1);
    RestoreSlipMarks(File(), FMarksBefore);
    Changed();
}

TUplAppendCommand::TUplAppendCommand(TUplFile &file, const QList<TUpl> &slips, const QString &text,
                                     TSlipsChanged changed)
    : TSlipCommand(file, std::move(changed), text), FSlips(slips)
{}

void TUplAppendCommand::redo()
{
    if (FSlips.isEmpty())
        return;
    FMarksBefore = SlipMarks(File());
    const qsizetype first = File().Count();
    InsertSlipCopies(File(), first, FSlips);
    MarkOnly(File(), first);
    Changed();
}

void TUplAppendCommand::undo()
{
    if (FSlips.isEmpty())
        return;
    TakeSlipRange(File(), File().Count() - FSlips.size(), FSlips.size());
    RestoreSlipMarks(File(), FMarksBefore);
    Changed();
}

TUplDeleteCommand::TUplDeleteCommand(TUplFile &file, const QList<qsizetype> &indices,
                                     bool markFirst, TSlipsChanged changed)
    : TSlipCommand(file, std::move(changed), QStringLiteral("Brisanje uplatnica")),
      FIndices(indices), FMarkFirst(markFirst)
{}

void TUplDeleteCommand::redo()
{
    FRemoved = DeleteSlipsAt(File(), FIndices);
    FMarkedFirst = FMarkFirst && File().Count() > 0 && MarkedIndices(File()).isEmpty();
    if (FMarkedFirst)
        File().SlipByIndex(0).Oznacena = true;
    Changed();
}

void TUplDeleteCommand::undo()
{
    if (FMarkedFirst)
        File().SlipByIndex(0).Oznacena = false;
    RestoreSlipsAt(File(), FIndices, FRemoved);
    FRemoved.clear();
    Changed();
}

TUplRenameCommand::TUplRenameCommand(TUplFile &file, qsizetype index, const QString &opis,
                                     TSlipsChanged changed)
    : TSlipCommand(file, std::move(changed), QStringLiteral("Promjena opisa")), FIndex(index),
      FNew(opis)
{}

void TUplRenameCommand::redo()
{
    FOld = File().SlipByIndex(FIndex).Opis;
    File().SlipByIndex(FIndex).Opis = FNew;
    Changed();
}

void TUplRenameCommand::undo()
{
    File().SlipByIndex(FIndex).Opis = FOld;
    Changed();
}

TUplInsertCopiesCommand::TUplInsertCopiesCommand(TUplFile &file, qsizetype before,
                                                 const QList<TUpl> &copies, TSlipsChanged changed)
    : TSlipCommand(file, std::move(changed), QStringLiteral("Kopiranje uplatnica")),
      FBefore(before), FCopies(copies)
{}

void TUplInsertCopiesCommand::redo()
{
    FMarksBefore = SlipMarks(File());
    for (TUpl &slip : File().Uplatnice)
        slip.Oznacena = false;
    QList<TUpl> copies = FCopies;
    for (TUpl &copy : copies)
        copy.Oznacena = true;
    InsertSlipCopies(File(), FBefore, copies);
    Changed();
}

void TUplInsertCopiesCommand::undo()
{
    TakeSlipRange(File(), FBefore, FCopies.size());
    RestoreSlipMarks(File(), FMarksBefore);
    Changed();
}

TUplMoveCommand::TUplMoveCommand(TUplFile &file, const QList<qsizetype> &indices, qsizetype before,
                                 TSlipsChanged changed)
    : TSlipCommand(file, std::move(changed), QStringLiteral("Premještanje uplatnica")),
      FIndices(indices), FBefore(before)
{}

void TUplMoveCommand::redo()
{
    FBlockStart = MoveSlips(File(), FIndices, FBefore);
    Changed();
}

void TUplMoveCommand::undo()
{
    UnmoveSlips(File(), FIndices, FBlockStart);
    Changed();
}

TUplPropertiesCommand::TUplPropertiesCommand(TUplFile &file, const QList<qsizetype> &indices,
                                             const TSlipProperties &answer, TSlipsChanged changed)
    : TSlipCommand(file, std::move(changed), QStringLiteral("Osobine uplatnica")),
      FIndices(indices), FAnswer(answer)
{}

void TUplPropertiesCommand::redo()
{
    FBefore.clear();
    for (qsizetype i : FIndices) {
        TUpl &slip = File().SlipByIndex(i);
        FBefore.append(SlipPropertiesOf(slip));
        ApplySlipProperties(slip, FAnswer);
    }
    Changed();
}

void TUplPropertiesCommand::undo()
{
    for (qsizetype k = 0; k < FIndices.size(); ++k) {
        TUpl &slip = File().SlipByIndex(FIndices[k]);
        // Put back exactly, -1 included: these are the slip's own values.
        slip.Stanja = FBefore[k].Stanja;
        slip.Procenat = static_cast<float>(FBefore[k].Procenat);
    }
    Changed();
}

TUplAmountsCommand::TUplAmountsCommand(TUplFile &file, const QList<TAmountChange> &changes,
                                       TSlipsChanged changed)
    : TSlipCommand(file, std::move(changed), QStringLiteral("Višestruki unos")), FChanges(changes)
{}

void TUplAmountsCommand::redo()
{
    FBefore.clear();
    for (const TAmountChange &c : FChanges) {
        TUpl &slip = File().SlipByIndex(c.Index);
        FBefore.append(slip.Iznos);
        slip.Iznos = c.Iznos;
    }
    Changed();
}

void TUplAmountsCommand::undo()
{
    for (qsizetype k = 0; k < FChanges.size(); ++k)
        File().SlipByIndex(FChanges[k].Index).Iznos = FBefore[k];
    Changed();
}

TUplEditCommand::TUplEditCommand(TUplFile &file, const QList<qsizetype> &indices,
                                 const QList<TUpl> &before, const QList<TUpl> &after,
                                 const QString &text, quint64 visit, TSlipsChanged changed)
    : TSlipCommand(file, std::move(changed), text), FIndices(indices), FBefore(before),
      FAfter(after), FVisit(visit)
{
    Q_ASSERT(before.size() == indices.size() && after.size() == indices.size());
}

int TUplEditCommand::id() const
{
    return 0x5550; // any id of its own
}

bool TUplEditCommand::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const TUplEditCommand *>(other);
    if (&next->File() != &File() || next->FVisit != FVisit || next->text() != text() ||
        next->FIndices != FIndices)
        return false;
    FAfter = next->FAfter;
    bool unchanged = true;
    for (qsizetype k = 0; k < FBefore.size() && unchanged; ++k)
        unchanged = SameSlipData(FBefore[k], FAfter[k]);
    setObsolete(unchanged);
    return true;
}

void TUplEditCommand::Write(const QList<TUpl> &data)
{
    for (qsizetype k = 0; k < FIndices.size(); ++k)
        if (FIndices[k] < File().Count())
            CopySlipData(File().SlipByIndex(FIndices[k]), data[k]);
    Changed();
}

void TUplEditCommand::redo()
{
    if (FWritten) {
        FWritten = false;
        return;
    }
    Write(FAfter);
}

void TUplEditCommand::undo()
{
    Write(FBefore);
}

void TrackSavedState(QUndoStack &stack, TUplFile &file, QObject *context)
{
    QObject::connect(&stack, &QUndoStack::cleanChanged, context ? context : &stack,
                     [&file](bool clean) {
                         if (clean)
                             file.Snimljena = true;
                     });
}

qsizetype PushSlipCopy(QUndoStack &sourceStack, TUplFile &source, QUndoStack &targetStack,
                       TUplFile &target, qsizetype before, bool deleteSource,
                       const TSlipsChanged &changed)
{
    const QList<qsizetype> marked = MarkedIndices(source);
    if (marked.isEmpty())
        return 0;
    before = std::clamp<qsizetype>(before, 0, target.Count());
    if (&source == &target && deleteSource) {
        sourceStack.push(new TUplMoveCommand(source, marked, before, changed));
        return marked.size();
    }
    targetStack.push(new TUplInsertCopiesCommand(target, before, SlipsAt(source, marked), changed));
    // The source keeps a marked slip, as after deleting: its first one.
    if (deleteSource)
        sourceStack.push(new TUplDeleteCommand(source, marked, true, changed));
    return marked.size();
}

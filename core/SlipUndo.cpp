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
    InsertSlipCopies(File(), FBefore, FCopies);
    Changed();
}

void TUplInsertCopiesCommand::undo()
{
    TakeSlipRange(File(), FBefore, FCopies.size());
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
    if (deleteSource)
        sourceStack.push(new TUplDeleteCommand(source, marked, false, changed));
    return marked.size();
}

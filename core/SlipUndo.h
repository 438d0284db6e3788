#pragma once

// Undoable commands on the slips of one file, one class per kind, for the
// file's QUndoStack. Each takes what it needs when it is made (indices, not
// marks, so that later marking does not change what it does), does it on
// redo() (QUndoStack::push runs it) and takes it back on undo(). Every
// redo and undo is a change of the file: its Snimljena becomes false and
// the notification runs, so that the window shows the slips again; the
// stack's clean state (TrackSavedState) marks it saved when undoing reaches
// the state last saved.

#include "core/SlipCommands.h"
#include "core/Upl.h"

#include <QList>
#include <QUndoCommand>

#include <functional>

class QUndoStack;

// Told after a command changed the slips of a file.
using TSlipsChanged = std::function<void(TUplFile &)>;

class TSlipCommand : public QUndoCommand
{
public:
    TSlipCommand(TUplFile &file, TSlipsChanged changed, const QString &text);
    TUplFile &File() const { return FFile; }

protected:
    void Changed();

private:
    TUplFile &FFile;
    TSlipsChanged FChanged;
};

// A new slip appended at the end, then the only marked slip.
class TUplAddCommand : public TSlipCommand
{
public:
    TUplAddCommand(TUplFile &file, const TUpl &slip, TSlipsChanged changed = {});
    void redo() override;
    void undo() override;

private:
    TUpl FSlip;
    QList<bool> FMarksBefore;
};

// Slips appended at the end (an import), the first of them then the only
// marked slip, so that typing goes into no other slip.
class TUplAppendCommand : public TSlipCommand
{
public:
    TUplAppendCommand(TUplFile &file, const QList<TUpl> &slips, const QString &text,
                      TSlipsChanged changed = {});
    void redo() override;
    void undo() override;

private:
    QList<TUpl> FSlips;
    QList<bool> FMarksBefore;
};

// The slips at the given ascending indices deleted. With markFirst, a list
// left without a marked slip gets its first slip marked, as the slip list
// selects it.
class TUplDeleteCommand : public TSlipCommand
{
public:
    TUplDeleteCommand(TUplFile &file, const QList<qsizetype> &indices, bool markFirst,
                      TSlipsChanged changed = {});
    void redo() override;
    void undo() override;

private:
    QList<qsizetype> FIndices;
    QList<TUpl> FRemoved;
    bool FMarkFirst = false;
    bool FMarkedFirst = false;
};

// A new description of one slip.
class TUplRenameCommand : public TSlipCommand
{
public:
    TUplRenameCommand(TUplFile &file, qsizetype index, const QString &opis,
                      TSlipsChanged changed = {});
    void redo() override;
    void undo() override;

private:
    qsizetype FIndex = 0;
    QString FNew;
    QString FOld;
};

// Copies inserted in front of the slip at an index, keeping their order.
// The copies are then the file's only marked slips, so that the next edit
// goes into them and not into a slip the file had marked before.
class TUplInsertCopiesCommand : public TSlipCommand
{
public:
    TUplInsertCopiesCommand(TUplFile &file, qsizetype before, const QList<TUpl> &copies,
                            TSlipsChanged changed = {});
    void redo() override;
    void undo() override;

private:
    qsizetype FBefore = 0;
    QList<TUpl> FCopies;
    QList<bool> FMarksBefore;
};

// Slips moved within their file in front of the slip at an index.
class TUplMoveCommand : public TSlipCommand
{
public:
    TUplMoveCommand(TUplFile &file, const QList<qsizetype> &indices, qsizetype before,
                    TSlipsChanged changed = {});
    void redo() override;
    void undo() override;

private:
    QList<qsizetype> FIndices;
    qsizetype FBefore = 0;
    qsizetype FBlockStart = 0;
};

// The properties dialog's answer applied to the slips at the given indices.
class TUplPropertiesCommand : public TSlipCommand
{
public:
    TUplPropertiesCommand(TUplFile &file, const QList<qsizetype> &indices,
                          const TSlipProperties &answer, TSlipsChanged changed = {});
    void redo() override;
    void undo() override;

private:
    QList<qsizetype> FIndices;
    TSlipProperties FAnswer;
    QList<TSlipProperties> FBefore;
};

// New amounts from multiple entry.
class TUplAmountsCommand : public TSlipCommand
{
public:
    TUplAmountsCommand(TUplFile &file, const QList<TAmountChange> &changes,
                       TSlipsChanged changed = {});
    void redo() override;
    void undo() override;

private:
    QList<TAmountChange> FChanges;
    QList<double> FBefore;
};

// What the slip editor wrote into the slips at the given indices (the field
// typed and whatever its look-up filled in): before and after hold each
// slip's data, so that undo gives every slip back its own value. The editor
// has written it when it pushes the command, so the push's redo leaves the
// slips alone. Edits of one visit to a field (the same visit number, text
// and slips) merge into one step; an edit merged back to where it started
// leaves the stack.
class TUplEditCommand : public TSlipCommand
{
public:
    TUplEditCommand(TUplFile &file, const QList<qsizetype> &indices, const QList<TUpl> &before,
                    const QList<TUpl> &after, const QString &text, quint64 visit,
                    TSlipsChanged changed = {});
    int id() const override;
    bool mergeWith(const QUndoCommand *other) override;
    void redo() override;
    void undo() override;

private:
    void Write(const QList<TUpl> &data);

    QList<qsizetype> FIndices;
    QList<TUpl> FBefore;
    QList<TUpl> FAfter;
    quint64 FVisit = 0;
    bool FWritten = true; // by the editor, before the push
};

// Keeps file.Snimljena in step with the stack's clean state: reaching the
// clean state by undo or redo marks the file saved again. The connection
// lives as long as context (the stack when null).
void TrackSavedState(QUndoStack &stack, TUplFile &file, QObject *context = nullptr);

// Copies the marked slips of source in front of the slip at before in
// target, keeping their order, and with deleteSource deletes them from
// source; within one file that moves them. Each file's change goes on its
// own stack, so that each file undoes only what happened to it. Nothing
// happens without marked slips. Returns how many slips were copied.
qsizetype PushSlipCopy(QUndoStack &sourceStack, TUplFile &source, QUndoStack &targetStack,
                       TUplFile &target, qsizetype before, bool deleteSource,
                       const TSlipsChanged &changed = {});

#pragma once

#include "print/formats/FieldFormat.h"

#include <QList>
#include <QObject>
#include <QUndoCommand>
#include <QUndoStack>

// The positions the format editor shows, with the history of every change to
// them. Windows change the positions only through the edits below, each of
// which goes on the undo stack as one command; Changed tells the views.
class TPositionsDocument : public QObject
{
    Q_OBJECT
public:
    explicit TPositionsDocument(QObject *parent = nullptr);

    const TFieldFormats &Format() const { return m_format; }
    const TFieldFormat &Position(int index) const { return m_format.Positions[index]; }
    QUndoStack &UndoStack() { return m_undo; }

    // Shows a format loaded from the store: no history, and the loaded state
    // is the saved one.
    void Load(const TFieldFormats &format);
    // The shown positions were stored: from here on they are the saved state.
    void MarkSaved() { m_undo.setClean(); }

    // --- Edits (each undoable) ---------------------------------------------------
    // A line moved by the mouse or the arrow keys; consecutive moves of one
    // line are one step of the history.
    void MoveLine(int index, float left, float top);
    enum class TMark { Top, Left, Right };
    // A mark dragged: Top sets the line's Top, Left its Left (the width
    // stays), Right its Width. Consecutive drags of one mark of one line are
    // one step.
    void DragMark(int index, TMark mark, float value);
    // Every line by (dx, dy).
    void MoveAll(float dx, float dy);
    // The lines take the font (name, size and style).
    void SetFont(const QList<int> &lines, const QString &name, int size, TFontStyles style);
    // A new sheet size, the positions scaled by factor (1: left as they are).
    void Resize(double width, double height, double factor);
    // Back to the stored positions ("Vrati na početno"), which can be undone.
    void Revert(const TFieldFormats &stored);

    // Used by the commands: puts a whole state in place.
    void Apply(const TFieldFormats &format);

Q_SIGNALS:
    // The positions or the sheet size changed (an edit, its undo or redo, a load).
    void Changed();

private:
    void Push(QUndoCommand *command);

    TFieldFormats m_format;
    QUndoStack m_undo;
};

// Every edit is a state before and after; the kinds differ in their text and
// in what merges.
class TPositionsCommand : public QUndoCommand
{
public:
    TPositionsCommand(TPositionsDocument &doc, const TFieldFormats &after, const QString &text);
    void undo() override;
    void redo() override;

protected:
    // Takes the later state of a command of the same kind; obsolete when the
    // two together change nothing.
    bool TakeOver(const TPositionsCommand *later);

    TPositionsDocument &m_doc;
    TFieldFormats m_before;
    TFieldFormats m_after;
};

class TMoveLineCommand : public TPositionsCommand
{
public:
    TMoveLineCommand(TPositionsDocument &doc, const TFieldFormats &after, int line);
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand *other) override;
    int Line() const { return m_line; }

private:
    int m_line;
};

class TDragMarkCommand : public TPositionsCommand
{
public:
    TDragMarkCommand(TPositionsDocument &doc, const TFieldFormats &after, int line,
                     TPositionsDocument::TMark mark);
    int id() const override { return 2; }
    bool mergeWith(const QUndoCommand *other) override;

private:
    int m_line;
    TPositionsDocument::TMark m_mark;
};

class TMoveAllCommand : public TPositionsCommand
{
public:
    TMoveAllCommand(TPositionsDocument &doc, const TFieldFormats &after);
};

class TFontCommand : public TPositionsCommand
{
public:
    TFontCommand(TPositionsDocument &doc, const TFieldFormats &after, int lineCount);
};

class TResizeCommand : public TPositionsCommand
{
public:
    TResizeCommand(TPositionsDocument &doc, const TFieldFormats &after);
};

class TRevertCommand : public TPositionsCommand
{
public:
    TRevertCommand(TPositionsDocument &doc, const TFieldFormats &after);
};

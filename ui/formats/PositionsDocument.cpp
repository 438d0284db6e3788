#include "ui/formats/PositionsDocument.h"

#include "print/formats/FormatEditMath.h"

TPositionsDocument::TPositionsDocument(QObject *parent) : QObject(parent) {}

void TPositionsDocument::Load(const TFieldFormats &format)
{
    m_undo.clear();
    Apply(format);
    m_undo.setClean();
}

void TPositionsDocument::Apply(const TFieldFormats &format)
{
    m_format = format;
    Q_EMIT Changed();
}

void TPositionsDocument::Push(QUndoCommand *command)
{
    m_undo.push(command); // runs redo(), which applies the new state
}

void TPositionsDocument::MoveLine(int index, float left, float top)
{
    TFieldFormats after = m_format;
    after.Positions[index].Left = left;
    after.Positions[index].Top = top;
    if (after != m_format)
        Push(new TMoveLineCommand(*this, after, index));
}

void TPositionsDocument::DragMark(int index, TMark mark, float value)
{
    TFieldFormats after = m_format;
    TFieldFormat &p = after.Positions[index];
    switch (mark) {
    case TMark::Top:
        p.Top = value;
        break;
    case TMark::Left:
        p.Left = value;
        break;
    case TMark::Right:
        p.Width = value;
        break;
    }
    if (after != m_format)
        Push(new TDragMarkCommand(*this, after, index, mark));
}

void TPositionsDocument::MoveAll(float dx, float dy)
{
    TFieldFormats after = m_format;
    ::MoveAll(after, dx, dy);
    if (after != m_format)
        Push(new TMoveAllCommand(*this, after));
}

void TPositionsDocument::SetFont(const QList<int> &lines, const QString &name, int size,
                                 TFontStyles style)
{
    TFieldFormats after = m_format;
    for (int i : lines) {
        after.Positions[i].FontName = name;
        after.Positions[i].FontSize = size;
        after.Positions[i].FontStyle = style;
    }
    if (after != m_format)
        Push(new TFontCommand(*this, after, int(lines.size())));
}

void TPositionsDocument::Resize(double width, double height, double factor)
{
    TFieldFormats after = m_format;
    after.Width = width;
    after.Height = height;
    if (factor != 1)
        ScalePositions(after, factor);
    if (after != m_format)
        Push(new TResizeCommand(*this, after));
}

void TPositionsDocument::Revert(const TFieldFormats &stored)
{
    if (stored != m_format)
        Push(new TRevertCommand(*this, stored));
}

// --- Commands -------------------------------------------------------------------

TPositionsCommand::TPositionsCommand(TPositionsDocument &doc, const TFieldFormats &after,
                                     const QString &text)
    : QUndoCommand(text), m_doc(doc), m_before(doc.Format()), m_after(after)
{}

void TPositionsCommand::undo()
{
    m_doc.Apply(m_before);
}

void TPositionsCommand::redo()
{
    m_doc.Apply(m_after);
}

bool TPositionsCommand::TakeOver(const TPositionsCommand *later)
{
    m_after = later->m_after;
    setObsolete(m_after == m_before);
    return true;
}

namespace {

QString Caption(int line)
{
    return QString::fromUtf8(DefaultPositions()[line].Caption);
}

} // namespace

TMoveLineCommand::TMoveLineCommand(TPositionsDocument &doc, const TFieldFormats &after, int line)
    : TPositionsCommand(doc, after, QStringLiteral("Pomjeranje linije \"%1\"").arg(Caption(line))),
      m_line(line)
{}

bool TMoveLineCommand::mergeWith(const QUndoCommand *other)
{
    const auto *later = static_cast<const TMoveLineCommand *>(other);
    return later->m_line == m_line && TakeOver(later);
}

TDragMarkCommand::TDragMarkCommand(TPositionsDocument &doc, const TFieldFormats &after, int line,
                                   TPositionsDocument::TMark mark)
    : TPositionsCommand(doc, after,
                        QStringLiteral("Pomjeranje oznake linije \"%1\"").arg(Caption(line))),
      m_line(line), m_mark(mark)
{}

bool TDragMarkCommand::mergeWith(const QUndoCommand *other)
{
    const auto *later = static_cast<const TDragMarkCommand *>(other);
    return later->m_line == m_line && later->m_mark == m_mark && TakeOver(later);
}

TMoveAllCommand::TMoveAllCommand(TPositionsDocument &doc, const TFieldFormats &after)
    : TPositionsCommand(doc, after, QStringLiteral("Pomjeranje svih polja"))
{}

TFontCommand::TFontCommand(TPositionsDocument &doc, const TFieldFormats &after, int lineCount)
    : TPositionsCommand(doc, after,
                        lineCount >= PositionCount ? QStringLiteral("Vrsta slova za sva polja")
                                                   : QStringLiteral("Vrsta slova"))
{}

TResizeCommand::TResizeCommand(TPositionsDocument &doc, const TFieldFormats &after)
    : TPositionsCommand(doc, after, QStringLiteral("Veličina formata"))
{}

TRevertCommand::TRevertCommand(TPositionsDocument &doc, const TFieldFormats &after)
    : TPositionsCommand(doc, after, QStringLiteral("Vrati na početno"))
{}

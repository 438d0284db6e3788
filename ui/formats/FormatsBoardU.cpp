#include "ui/formats/FormatsBoardU.h"

#include "core/Conversions.h"
#include "core/Settings.h"
#include "print/engine/ZorCanvas.h"
#include "print/formats/FormatEditMath.h"
#include "ui/formats/UplLineU.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace {

// The paper: white with a black outline; the slip, when shown, is drawn by
// the board on it.
class TPaperPanel : public QWidget
{
public:
    TPaperPanel(TFormatsBoard *board, std::function<void(QPainter &)> paintSlip)
        : QWidget(board), FPaintSlip(std::move(paintSlip))
    {
        setObjectName(QStringLiteral("UplPanel"));
        setAccessibleName(QStringLiteral("Papir"));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        FPaintSlip(p);
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    std::function<void(QPainter &)> FPaintSlip;
};

QWidget *NewMark(QWidget *parent, const char *name, QSize size, Qt::CursorShape cursor)
{
    auto *mark = new QWidget(parent);
    mark->setObjectName(QLatin1String(name));
    mark->setFixedSize(size);
    mark->setCursor(cursor);
    mark->setAutoFillBackground(true);
    QPalette pal = mark->palette();
    pal.setColor(QPalette::Window, Qt::blue);
    mark->setPalette(pal);
    mark->hide();
    return mark;
}

QLabel *NewValueLabel(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFrameShape(QFrame::Box);
    label->setAutoFillBackground(true);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::ToolTipText));
    label->setPalette(pal);
    label->hide();
    return label;
}

} // namespace

TFormatsBoard::TFormatsBoard(TPositionsDocument &doc, QWidget *parent)
    : QWidget(parent), FDoc(doc), FDensity(ScreenPixelsPerInch())
{
    setObjectName(QStringLiteral("FormatsBoard"));
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Položaji polja"));

    UplPanel = new TPaperPanel(this, [this](QPainter &p) { PaintSlip(p); });
    UplPanel->installEventFilter(this);

    for (int i = 0; i < PositionCount; ++i) {
        auto *line = new TUplLine(this, FDensity);
        line->setObjectName(QStringLiteral("ln") + QLatin1String(DefaultPositions()[i].Key));
        line->setAccessibleName(QString::fromUtf8(DefaultPositions()[i].Caption));
        line->SetCaption(QString::fromUtf8(DefaultPositions()[i].Caption));
        line->setToolTip(line->Caption());
        connect(line, &TUplLine::LineMouseDown, this, &TFormatsBoard::UplLineMouseDown);
        connect(line, &TUplLine::LineMouseMove, this, &TFormatsBoard::UplLineMouseMove);
        connect(line, &TUplLine::LineMouseUp, this, &TFormatsBoard::UplLineMouseUp);
        FLines.append(line);
    }

    shTop = NewMark(this, "shTop", QSize(10, 2), Qt::SizeVerCursor);
    shLeft = NewMark(this, "shLeft", QSize(2, 10), Qt::SizeHorCursor);
    shRight = NewMark(this, "shRight", QSize(2, 10), Qt::SizeHorCursor);
    for (QWidget *mark : {shTop, shLeft, shRight})
        mark->installEventFilter(this);
    mTop = NewValueLabel(this, "mTop");
    mLeft = NewValueLabel(this, "mLeft");
    mWidth = NewValueLabel(this, "mWidth");
    mFont = NewValueLabel(this, "mFont");

    connect(&FDoc, &TPositionsDocument::Changed, this, &TFormatsBoard::SyncLines);
    SyncLines();
}

void TFormatsBoard::SetDensity(double dpi)
{
    if (dpi <= 0 || dpi == FDensity)
        return;
    FDensity = dpi;
    for (TUplLine *line : FLines)
        line->SetDensity(dpi);
    LayoutPanel();
}

void TFormatsBoard::SetSlip(const std::optional<TUpl> &slip, const TAmountOptions &amount)
{
    FSlip = slip;
    FAmount = amount;
    // The slip's own text takes the captions' place; they stay as tool tips.
    for (TUplLine *line : FLines)
        line->CaptionLabel()->setVisible(!FSlip);
    UplPanel->update();
}

QRect TFormatsBoard::PanelRect() const
{
    return UplPanel->geometry();
}

void TFormatsBoard::LayoutPanel()
{
    const QFontMetrics fm(font());
    const TPanelLayout layout =
        PanelLayout(FDoc.Format().Width, FDoc.Format().Height, FDensity, fm.height(),
                    fm.horizontalAdvance(QStringLiteral("999")));
    const bool resized = layout.BoardSize != size();
    UplPanel->setGeometry(layout.Panel);
    setFixedSize(layout.BoardSize);
    const QRect panel = layout.Panel;
    shLeft->move(shLeft->x(), panel.y() - shLeft->height() - 1);
    shRight->move(shRight->x(), panel.y() - shRight->height() - 1);
    shTop->move(panel.x() - shTop->width() - 1, shTop->y());
    for (TUplLine *line : FLines) {
        line->SetOffsetX(panel.x());
        line->SetOffsetY(panel.y());
        line->Place();
    }
    UpdateMarks();
    update();
    if (resized)
        Q_EMIT SizeChanged();
}

void TFormatsBoard::SyncLines()
{
    const bool sheetChanged =
        PanelRect().size() !=
        PanelLayout(FDoc.Format().Width, FDoc.Format().Height, FDensity, 0, 0).Panel.size();
    for (int i = 0; i < PositionCount; ++i)
        FLines[i]->SetFormat(FDoc.Position(i));
    if (sheetChanged)
        LayoutPanel();
    else
        UpdateMarks();
    UplPanel->update();
}

void TFormatsBoard::SelectLine(int index)
{
    if (index == FSelected)
        return;
    if (TUplLine *old = Line(FSelected))
        old->SetPen(QPen(Qt::black));
    FSelected = index;
    if (TUplLine *line = Line(index)) {
        line->SetPen(QPen(Qt::red));
        line->raise();
        line->CaptionLabel()->raise();
    }
    UpdateMarks();
    Q_EMIT SelectionChanged();
}

void TFormatsBoard::UpdateMarks()
{
    TUplLine *line = Line(FSelected);
    if (!line) {
        for (QWidget *w :
             std::initializer_list<QWidget *>{shTop, shLeft, shRight, mTop, mLeft, mWidth, mFont})
            w->hide();
        return;
    }
    const QRect panel = PanelRect();
    const TFieldFormat &p = FDoc.Position(FSelected);
    shLeft->move(MmToPixels(panel.x(), p.Left, FDensity), shLeft->y());
    shRight->move(MmToPixels(panel.x(), p.Left + p.Width, FDensity), shRight->y());
    shTop->move(shTop->x(), MmToPixels(panel.y(), p.Top, FDensity));

    mTop->setText(MmLabelText(p.Top));
    mLeft->setText(MmLabelText(p.Left));
    mWidth->setText(MmLabelText(p.Width));
    mFont->setText(QLatin1Char(' ') + FontLabelText(p) + QLatin1Char(' '));
    for (QLabel *l : {mTop, mLeft, mWidth, mFont})
        l->adjustSize();

    TMarkLabelsIn in;
    in.Panel = panel;
    in.Line = line->geometry();
    in.MarkTop = shTop->geometry();
    in.MarkLeft = shLeft->geometry();
    in.MarkRight = shRight->geometry();
    in.Top = mTop->size();
    in.Left = mLeft->size();
    in.Width = mWidth->size();
    in.Font = mFont->size();
    const TMarkLabelsOut out = PlaceMarkLabels(in);
    mTop->setGeometry(out.Top);
    mLeft->setGeometry(out.Left);
    mWidth->setGeometry(out.Width);
    mFont->setGeometry(out.Font);
    for (QWidget *w :
         std::initializer_list<QWidget *>{shTop, shLeft, shRight, mTop, mLeft, mWidth, mFont}) {
        w->show();
        w->raise();
    }
}

void TFormatsBoard::PaintSlip(QPainter &painter)
{
    if (!FSlip)
        return;
    TZorCanvas canvas(&painter);
    canvas.Scale = static_cast<float>(FDensity / InchMm());
    painter.save();
    // The slip in a dark blue, so that the black guide lines stay apart.
    painter.setPen(QColor(0, 0, 128));
    DrawSlip(canvas, *FSlip, FDoc.Format(), FAmount);
    painter.restore();
}

void TFormatsBoard::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics fm(font());
    const QRect panel = PanelRect();
    // Along the top edge, numbers centred above the long ticks.
    for (const TRulerTick &t : RulerTicks(FDoc.Format().Width, panel.x(), FDensity)) {
        p.drawLine(t.Pos, panel.y() - 1, t.Pos, panel.y() - t.Length);
        if (t.Number) {
            const QString n = QString::number(*t.Number);
            const int w = fm.horizontalAdvance(n);
            p.drawText(t.Pos - w / 2, panel.y() - t.Length - fm.descent(), n);
        }
    }
    // Along the left edge, numbers right-aligned 2 pixels from the ticks' ends.
    for (const TRulerTick &t : RulerTicks(FDoc.Format().Height, panel.y(), FDensity)) {
        p.drawLine(panel.x() - 1, t.Pos, panel.x() - t.Length, t.Pos);
        if (t.Number) {
            const QString n = QString::number(*t.Number);
            const int w = fm.horizontalAdvance(n);
            p.drawText(panel.x() - t.Length - 2 - w, t.Pos - fm.height() / 2 + fm.ascent(), n);
        }
    }
}

// --- Lines ----------------------------------------------------------------------

void TFormatsBoard::UplLineMouseDown(TUplLine *line, QPoint pos, Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    if (!FHasFormat) {
        Q_EMIT NoFormat();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    SelectLine(int(FLines.indexOf(line)));
    FDragLine = line;
    FDragStart = pos;
    FDragLinePx = line->pos();
    FDragFrom = FDoc.Position(FSelected);
}

void TFormatsBoard::UplLineMouseMove(TUplLine *line, QPoint pos)
{
    if (line != FDragLine || pos == FDragStart)
        return;
    const int index = int(FLines.indexOf(line));
    const QPoint delta = pos - FDragStart;
    float left, top;
    if (FFine) {
        left = FineDragMm(FDragFrom.Left, delta.x());
        top = FineDragMm(FDragFrom.Top, delta.y());
    } else {
        const QRect panel = PanelRect();
        left = SnapToWholeMm(FDragLinePx.x() + delta.x(), panel.x(), FDensity);
        top = SnapToWholeMm(FDragLinePx.y() + delta.y(), panel.y(), FDensity);
    }
    FDoc.MoveLine(index, left, top);
}

void TFormatsBoard::UplLineMouseUp(TUplLine *, QPoint)
{
    FDragLine = nullptr;
}

void TFormatsBoard::UplPanelMouseDown()
{
    SelectLine(-1);
}

// --- Marks ----------------------------------------------------------------------

void TFormatsBoard::MarkMouseDown(QWidget *mark, QPoint pos)
{
    if (FSelected < 0)
        return;
    FDragMark = mark;
    FDragStart = pos;
    FDragFrom = FDoc.Position(FSelected);
}

void TFormatsBoard::MarkMouseMove(QWidget *mark, QPoint pos)
{
    if (mark != FDragMark || FSelected < 0)
        return;
    const QRect panel = PanelRect();
    const QPoint delta = pos - FDragStart;
    using TMark = TPositionsDocument::TMark;
    if (mark == shTop) {
        const float top = FFine ? FineDragMm(FDragFrom.Top, delta.y())
                                : SnapToWholeMm(pos.y(), panel.y(), FDensity);
        FDoc.DragMark(FSelected, TMark::Top, top);
    } else if (mark == shLeft) {
        const float left = FFine ? FineDragMm(FDragFrom.Left, delta.x())
                                 : SnapToWholeMm(pos.x(), panel.x(), FDensity);
        FDoc.DragMark(FSelected, TMark::Left, left);
    } else if (FFine) {
        // Held a tenth beyond the left end, as the snapping drag is.
        const float width = std::max(FineStepMm, FineDragMm(FDragFrom.Width, delta.x()));
        FDoc.DragMark(FSelected, TMark::Right, width);
    } else {
        const float d = SnapToWholeMm(pos.x(), panel.x(), FDensity);
        if (const auto width = RightMarkWidth(FDoc.Position(FSelected).Left, d))
            FDoc.DragMark(FSelected, TMark::Right, *width);
    }
}

bool TFormatsBoard::eventFilter(QObject *watched, QEvent *event)
{
    auto *w = qobject_cast<QWidget *>(watched);
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    const auto *me = static_cast<QMouseEvent *>(event);
    const QPoint pos = w->mapToParent(me->position().toPoint());
    if (w == UplPanel) {
        if (type == QEvent::MouseButtonPress) {
            setFocus(Qt::MouseFocusReason);
            UplPanelMouseDown();
        }
        return false;
    }
    if (w == shTop || w == shLeft || w == shRight) {
        if (type == QEvent::MouseButtonPress && me->button() == Qt::LeftButton)
            MarkMouseDown(w, pos);
        else if (type == QEvent::MouseMove)
            MarkMouseMove(w, pos);
        else if (type == QEvent::MouseButtonRelease)
            FDragMark = nullptr;
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// --- Keyboard -------------------------------------------------------------------

void TFormatsBoard::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool arrow =
        key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
    if (FSelected < 0 && FHasFormat && (arrow || key == Qt::Key_Home)) {
        // From the keyboard, the first key picks the first line.
        SelectLine(0);
        event->accept();
        return;
    }
    if (FSelected < 0 || !FHasFormat) {
        QWidget::keyPressEvent(event);
        return;
    }
    const float step = MoveStep(FFine || event->modifiers().testFlag(Qt::ShiftModifier));
    const TFieldFormat &p = FDoc.Position(FSelected);
    switch (event->key()) {
    case Qt::Key_Left:
        FDoc.MoveLine(FSelected, FineDragMm(p.Left, -int(step * 10 + 0.5f)), p.Top);
        break;
    case Qt::Key_Right:
        FDoc.MoveLine(FSelected, FineDragMm(p.Left, int(step * 10 + 0.5f)), p.Top);
        break;
    case Qt::Key_Up:
        FDoc.MoveLine(FSelected, p.Left, FineDragMm(p.Top, -int(step * 10 + 0.5f)));
        break;
    case Qt::Key_Down:
        FDoc.MoveLine(FSelected, p.Left, FineDragMm(p.Top, int(step * 10 + 0.5f)));
        break;
    case Qt::Key_Escape:
        SelectLine(-1);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool TFormatsBoard::focusNextPrevChild(bool next)
{
    // Tab walks the lines while the board has the focus and a line is
    // selected; Esc lets go of the line, and Tab leaves the board again.
    if (hasFocus() && FSelected >= 0 && FHasFormat) {
        SelectLine((FSelected + (next ? 1 : PositionCount - 1)) % PositionCount);
        return true;
    }
    return QWidget::focusNextPrevChild(next);
}

#include "ui/formats/UplLineU.h"

#include "core/Conversions.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

TUplLine::TUplLine(QWidget *parent, double density) : QWidget(parent), FDensity(density)
{
    resize(50, 2);
    setCursor(Qt::SizeAllCursor);
    FLabel = new QLabel(parent);
    FLabel->setCursor(Qt::SizeAllCursor);
    // The caption is a handle of the line too: a 2-pixel line is hard to hit.
    FLabel->installEventFilter(this);
    QFont small = FLabel->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    FLabel->setFont(small);
    FLabel->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    connect(this, &TUplLine::StyleChanged, this, qOverload<>(&QWidget::update));
}

TUplLine::~TUplLine()
{
    delete FLabel.data();
}

void TUplLine::SetLeftMM(float mm)
{
    FLeftMM = mm;
    Place();
}

void TUplLine::SetTopMM(float mm)
{
    FTopMM = mm;
    Place();
}

void TUplLine::SetWidthMM(float mm)
{
    FWidthMM = mm;
    Place();
}

void TUplLine::SetOffsetX(int px)
{
    move(x() + px - FOffsetX, y());
    FOffsetX = px;
    PlaceLabel();
}

void TUplLine::SetOffsetY(int px)
{
    move(x(), y() + px - FOffsetY);
    FOffsetY = px;
    PlaceLabel();
}

void TUplLine::SetDensity(double density)
{
    FDensity = density;
    Place();
}

QString TUplLine::Caption() const
{
    return FLabel ? FLabel->text() : QString();
}

void TUplLine::SetCaption(const QString &caption)
{
    if (!FLabel)
        return;
    FLabel->setText(caption);
    FLabel->adjustSize();
    PlaceLabel();
}

void TUplLine::SetPen(const QPen &pen)
{
    FPen = pen;
    Q_EMIT StyleChanged();
}

void TUplLine::SetBrush(const QBrush &brush)
{
    FBrush = brush;
    Q_EMIT StyleChanged();
}

void TUplLine::SetFormat(const TFieldFormat &format)
{
    FLeftMM = format.Left;
    FTopMM = format.Top;
    FWidthMM = format.Width;
    FFontName = format.FontName;
    FFontSize = format.FontSize;
    FFontStyle = format.FontStyle;
    Place();
}

TFieldFormat TUplLine::Format() const
{
    TFieldFormat f;
    f.Left = FLeftMM;
    f.Top = FTopMM;
    f.Width = FWidthMM;
    f.FontName = FFontName;
    f.FontSize = FFontSize;
    f.FontStyle = FFontStyle;
    return f;
}

void TUplLine::Place()
{
    const int left = MmToPixels(FOffsetX, FLeftMM, FDensity);
    const int top = MmToPixels(FOffsetY, FTopMM, FDensity);
    // A line of no width (or less) is still a line to grab.
    const int width = std::max(1, MmToPixels(0, FWidthMM, FDensity));
    setGeometry(left, top, width, height());
    PlaceLabel();
    update();
}

void TUplLine::PlaceLabel()
{
    if (!FLabel)
        return;
    FLabel->move(x(), y() - FLabel->height());
}

void TUplLine::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    PlaceLabel();
}

void TUplLine::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(Qt::NoPen);
    p.setBrush(FBrush);
    p.drawRect(rect());
    // The outline over the whole control, as a rectangle pen would draw it.
    QPen pen = FPen;
    pen.setWidth(1);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TUplLine::mousePressEvent(QMouseEvent *event)
{
    Q_EMIT LineMouseDown(this, mapToParent(event->position().toPoint()), event->button());
}

void TUplLine::mouseMoveEvent(QMouseEvent *event)
{
    Q_EMIT LineMouseMove(this, mapToParent(event->position().toPoint()));
}

void TUplLine::mouseReleaseEvent(QMouseEvent *event)
{
    Q_EMIT LineMouseUp(this, mapToParent(event->position().toPoint()));
}

bool TUplLine::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != FLabel)
        return false;
    const auto *me = static_cast<QMouseEvent *>(event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        Q_EMIT LineMouseDown(this, FLabel->mapToParent(me->position().toPoint()), me->button());
        return true;
    case QEvent::MouseMove:
        Q_EMIT LineMouseMove(this, FLabel->mapToParent(me->position().toPoint()));
        return true;
    case QEvent::MouseButtonRelease:
        Q_EMIT LineMouseUp(this, FLabel->mapToParent(me->position().toPoint()));
        return true;
    default:
        return false;
    }
}

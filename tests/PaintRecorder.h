#pragma once

// A paint device that records what a painter draws on it (text with its
// baseline point and font, lines, rectangles with their pen and brush, the
// clip in force), so tests can check positions exactly instead of reading ink.

#include <QFont>
#include <QLineF>
#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPen>
#include <QRectF>
#include <QRegion>
#include <QString>

struct TRecordedOp
{
    enum Kind { Text, Line, Rect } kind = Text;
    QString text;      // Text
    QPointF baseline;  // Text: start of the baseline
    qreal advance = 0; // Text: advance width
    QFont font;        // Text
    QLineF line;       // Line
    QRectF rect;       // Rect
    QPen pen;
    QBrush brush;
    QRectF clip; // bounding rect of the clip, empty when none
};

class TRecordingEngine : public QPaintEngine
{
public:
    TRecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    QList<TRecordedOp> ops;

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState &state) override
    {
        const auto flags = state.state();
        if (flags & DirtyPen)
            m_pen = state.pen();
        if (flags & DirtyBrush)
            m_brush = state.brush();
        if (flags & DirtyFont)
            m_font = state.font();
        if (flags & (DirtyClipRegion | DirtyClipPath | DirtyClipEnabled)) {
            if (!state.isClipEnabled() || state.clipOperation() == Qt::NoClip)
                m_clip = QRectF();
            else if (flags & DirtyClipPath)
                m_clip = state.clipPath().boundingRect();
            else if (flags & DirtyClipRegion)
                m_clip = state.clipRegion().boundingRect();
        }
    }
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawTextItem(const QPointF &p, const QTextItem &ti) override
    {
        TRecordedOp op;
        op.kind = TRecordedOp::Text;
        op.text = ti.text();
        op.baseline = p;
        op.advance = ti.width();
        op.font = ti.font();
        Add(op);
    }
    void drawLines(const QLineF *lines, int count) override
    {
        for (int i = 0; i < count; ++i) {
            TRecordedOp op;
            op.kind = TRecordedOp::Line;
            op.line = lines[i];
            Add(op);
        }
    }
    void drawRects(const QRectF *rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            TRecordedOp op;
            op.kind = TRecordedOp::Rect;
            op.rect = rects[i];
            Add(op);
        }
    }
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}

    QList<TRecordedOp> Of(TRecordedOp::Kind kind) const
    {
        QList<TRecordedOp> r;
        for (const TRecordedOp &op : ops)
            if (op.kind == kind)
                r.append(op);
        return r;
    }

private:
    void Add(TRecordedOp op)
    {
        op.pen = m_pen;
        op.brush = m_brush;
        op.clip = m_clip;
        if (op.kind == TRecordedOp::Text && op.font == QFont())
            op.font = m_font;
        ops.append(op);
    }
    QPen m_pen;
    QBrush m_brush;
    QFont m_font;
    QRectF m_clip;
};

class TRecordingDevice : public QPaintDevice
{
public:
    explicit TRecordingDevice(int dpi = 96, QSize size = QSize(2000, 2000))
        : m_dpi(dpi), m_size(size)
    {}
    QPaintEngine *paintEngine() const override { return &m_engine; }
    const QList<TRecordedOp> &Ops() const { return m_engine.ops; }
    QList<TRecordedOp> Of(TRecordedOp::Kind kind) const { return m_engine.Of(kind); }
    void Clear() { m_engine.ops.clear(); }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmWidthMM:
            return int(m_size.width() * 25.4 / m_dpi);
        case PdmHeightMM:
            return int(m_size.height() * 25.4 / m_dpi);
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return m_dpi;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return 0x7fffffff;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(m);
        }
    }

private:
    int m_dpi;
    QSize m_size;
    mutable TRecordingEngine m_engine;
};

#pragma once

// A paint device that records what is drawn on it: each text item with its
// baseline origin, advance width and font, and each line with the pen width.
// Tests read positions from it exactly, in device pixels.

#include <QFont>
#include <QLineF>
#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QTextItem>

struct TRecordedText
{
    QString Text;
    QPointF Origin; // baseline start, device pixels
    qreal Advance = 0;
    QFont Font;
};

struct TRecordedLine
{
    QLineF Line;
    qreal PenWidth = 0;
};

class TRecordingEngine : public QPaintEngine
{
public:
    TRecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    Type type() const override { return QPaintEngine::User; }
    void drawTextItem(const QPointF &p, const QTextItem &item) override
    {
        Texts.append({item.text(), p, item.width(), painter()->font()});
    }
    void drawLines(const QLineF *lines, int count) override
    {
        for (int i = 0; i < count; ++i)
            Lines.append({lines[i], painter()->pen().widthF()});
    }
    void drawLines(const QLine *lines, int count) override
    {
        for (int i = 0; i < count; ++i)
            Lines.append({QLineF(lines[i]), painter()->pen().widthF()});
    }
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}

    QList<TRecordedText> Texts;
    QList<TRecordedLine> Lines;
};

class TRecordingDevice : public QPaintDevice
{
public:
    explicit TRecordingDevice(int dpi = 600, QSize size = {4200, 2400}) : m_dpi(dpi), m_size(size)
    {}
    ~TRecordingDevice() override = default;
    QPaintEngine *paintEngine() const override { return &Engine; }

    mutable TRecordingEngine Engine;

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmWidthMM:
            return qRound(m_size.width() * 25.4 / m_dpi);
        case PdmHeightMM:
            return qRound(m_size.height() * 25.4 / m_dpi);
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return m_dpi;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    int m_dpi;
    QSize m_size;
};

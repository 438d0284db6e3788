#pragma once

#include "core/FontStyle.h"
#include "print/formats/FieldFormat.h"

#include <QBrush>
#include <QLabel>
#include <QPen>
#include <QPointer>
#include <QWidget>

// One guide line of the format editor: a print position drawn at its place on
// the paper panel, at true size. Its millimetre values place the control
// through the screen's density and InchMm (halves to even); the caption label
// sits just above it. Mouse presses on the line or its caption are reported
// to the editor, which does the dragging.
class TUplLine : public QWidget
{
    Q_OBJECT
public:
    // density: the screen's pixels per inch.
    TUplLine(QWidget *parent, double density);
    ~TUplLine() override;

    float LeftMM() const { return FLeftMM; }
    float TopMM() const { return FTopMM; }
    float WidthMM() const { return FWidthMM; }
    void SetLeftMM(float mm);
    void SetTopMM(float mm);
    void SetWidthMM(float mm);

    QString FontName() const { return FFontName; }
    int FontSize() const { return FFontSize; }
    TFontStyles FontStyle() const { return FFontStyle; }

    // The panel's top-left corner in the parent; setting it moves the line
    // with the panel.
    int OffsetX() const { return FOffsetX; }
    int OffsetY() const { return FOffsetY; }
    void SetOffsetX(int px);
    void SetOffsetY(int px);

    double Density() const { return FDensity; }
    // Another screen density (the window moved to another screen): the line
    // is placed anew.
    void SetDensity(double density);

    QString Caption() const;
    void SetCaption(const QString &caption);
    QLabel *CaptionLabel() const { return FLabel; }

    QPen Pen() const { return FPen; }
    QBrush Brush() const { return FBrush; }
    void SetPen(const QPen &pen);
    void SetBrush(const QBrush &brush);

    // All six values at once; the control is placed once.
    void SetFormat(const TFieldFormat &format);
    TFieldFormat Format() const;

    // Places the control and its caption from the millimetre values.
    void Place();

Q_SIGNALS:
    void StyleChanged();
    // A press, move or release on the line or its caption; pos in the parent.
    void LineMouseDown(TUplLine *line, QPoint pos, Qt::MouseButton button);
    void LineMouseMove(TUplLine *line, QPoint pos);
    void LineMouseUp(TUplLine *line, QPoint pos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void PlaceLabel();

    float FLeftMM = 0;
    float FTopMM = 0;
    float FWidthMM = 0;
    QString FFontName = QStringLiteral("Arial");
    int FFontSize = 10;
    TFontStyles FFontStyle;
    int FOffsetX = 0;
    int FOffsetY = 0;
    double FDensity = 96;
    QPen FPen{Qt::black};
    QBrush FBrush{Qt::white};
    QPointer<QLabel> FLabel;
};

#pragma once

#include "core/Upl.h"
#include "ui/formats/PositionsDocument.h"
#include "print/formats/SlipRender.h"

#include <QList>
#include <QPoint>
#include <QWidget>

#include <optional>

class QLabel;
class TUplLine;

// The drawing area of the format editor: the paper panel at true size with
// its millimetre rulers, the 23 guide lines, the three blue marks of the
// selected line and its four value labels. It shows a TPositionsDocument and
// changes it only through the document's edits, so every drag can be undone.
class TFormatsBoard : public QWidget
{
    Q_OBJECT
public:
    TFormatsBoard(TPositionsDocument &doc, QWidget *parent = nullptr);

    // The screen's pixels per inch; another value places everything anew.
    double Density() const { return FDensity; }
    void SetDensity(double dpi);
    // Fine mode: a pixel of dragging is 0.1 mm, arrow keys move by 0.1 mm.
    bool FineMode() const { return FFine; }
    void SetFineMode(bool fine) { FFine = fine; }
    // Without a format there is nothing to edit: clicking a line only says so.
    void SetHasFormat(bool has) { FHasFormat = has; }
    // The slip drawn on the panel through DrawSlip, or none.
    void SetSlip(const std::optional<TUpl> &slip, const TAmountOptions &amount);
    bool ShowsSlip() const { return FSlip.has_value(); }

    // Sizes the panel from the document's sheet and the density, places the
    // lines and marks, and fixes the board's size.
    void LayoutPanel();
    // Places the marks and the value labels at the selected line; hides them
    // when none is selected.
    void UpdateMarks();

    TUplLine *Line(int index) const { return FLines.value(index); }
    int SelectedIndex() const { return FSelected; }
    // Selects a line (red) or none (-1); the previous one turns black.
    void SelectLine(int index);

    QWidget *UplPanel = nullptr;
    QWidget *shTop = nullptr;
    QWidget *shLeft = nullptr;
    QWidget *shRight = nullptr;
    QLabel *mTop = nullptr;
    QLabel *mLeft = nullptr;
    QLabel *mWidth = nullptr;
    QLabel *mFont = nullptr;

Q_SIGNALS:
    // A line was clicked while there is no format.
    void NoFormat();
    void SelectionChanged();
    void SizeChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void UplLineMouseDown(TUplLine *line, QPoint pos, Qt::MouseButton button);
    void UplLineMouseMove(TUplLine *line, QPoint pos);
    void UplLineMouseUp(TUplLine *line, QPoint pos);
    void MarkMouseDown(QWidget *mark, QPoint pos);
    void MarkMouseMove(QWidget *mark, QPoint pos);
    void UplPanelMouseDown();
    void PaintSlip(QPainter &painter);
    void SyncLines();
    QRect PanelRect() const;

    TPositionsDocument &FDoc;
    QList<TUplLine *> FLines;
    int FSelected = -1;
    double FDensity = 96;
    bool FFine = false;
    bool FHasFormat = false;
    std::optional<TUpl> FSlip;
    TAmountOptions FAmount;

    // The drag under way: of a line or a mark, from the pointer at FDragStart
    // (board pixels) with the line's pixel corner and values as they were.
    TUplLine *FDragLine = nullptr;
    QWidget *FDragMark = nullptr;
    QPoint FDragStart;
    QPoint FDragLinePx;
    TFieldFormat FDragFrom;
};

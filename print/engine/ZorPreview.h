#pragma once

#include <QDialog>

class QPainter;

// Paper of the current printer as the preview shows it, in millimetres.
struct TPreviewPaper
{
    double PaperWidth = 0;
    double PaperHeight = 0;
    double LeftOffset = 0;
    double TopOffset = 0;
    double RightOffset = 0;
    double BottomOffset = 0;
};

// The print preview window. The print job object derives from it, so the job
// and its preview are one object; the job supplies the pages through the
// virtual functions below.
class TZorPreview : public QDialog
{
    Q_OBJECT
public:
    explicit TZorPreview(QWidget *parent = nullptr);

    int PageNo = 1; // 1-based number of the page on view

protected:
    virtual int PreviewPageCount() const = 0;
    // Draws page index (0-based) stretched into target (the printable area).
    virtual void PreviewPaintPage(QPainter &painter, int index, const QRect &target) = 0;
    virtual TPreviewPaper PreviewPaper() const = 0;
    // The print button: the print options dialog, then printing.
    virtual void PreviewPrint() = 0;

    // Zoom 100, page 1, then the window modally.
    void RunPreview();
};

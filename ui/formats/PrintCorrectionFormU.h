#pragma once

#include "print/formats/PrintCorrection.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class TNumEdit;

// "Korekcija štampača": per printer, a shift right and down (mm) and a scale
// across and down (%), kept in the settings and applied to every slip and grid
// printed on that printer. The user may type them, or print the calibration
// grid, measure where its 10 mm line and its last numbered line landed, and
// let the dialog work them out.
class TPrintCorrectionForm : public QDialog
{
    Q_OBJECT
public:
    // gridWidth, gridHeight: the last numbered lines of the grid the user
    // measures (the format's GridExtent); printer: the one chosen at first.
    TPrintCorrectionForm(int gridWidth, int gridHeight, const QString &printer,
                         QWidget *parent = nullptr);

    QString PrinterName() const;
    TPrintCorrection Correction() const;
    void SetCorrection(const TPrintCorrection &c);

    // Works the correction out of the four measurements; false (after saying
    // why) when they cannot be right.
    bool Compute();
    // Stores the correction of the chosen printer; false (after saying why)
    // when it is out of range or cannot be written.
    bool Store();

    QComboBox *mPrinter = nullptr;
    TNumEdit *mShiftRight = nullptr;
    TNumEdit *mShiftDown = nullptr;
    TNumEdit *mScaleX = nullptr;
    TNumEdit *mScaleY = nullptr;
    TNumEdit *mMeasureX1 = nullptr; // where the 10 mm line across landed
    TNumEdit *mMeasureX2 = nullptr; // where the last numbered line across landed
    TNumEdit *mMeasureY1 = nullptr;
    TNumEdit *mMeasureY2 = nullptr;
    QPushButton *btnCompute = nullptr;
    QPushButton *btnReset = nullptr;
    QPushButton *btnOK = nullptr;

    // "Potvrdi": stores, and closes only when that worked.
    void accept() override;

private:
    void LoadPrinter();
    // A note to the user (through the message-box seam, which tests answer).
    void ShowMessage(const QString &text);

    int FGridWidth;
    int FGridHeight;
};

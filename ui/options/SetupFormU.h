#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QPushButton;
struct TProgramData;

// "Podešavanje programa": the printer of the slips and the program's switches.
class TSetupForm : public QDialog
{
    Q_OBJECT
public:
    explicit TSetupForm(TProgramData &data, QWidget *parent = nullptr);
    ~TSetupForm() override;

    // Fills the dialog from the settings and shows it. On "Potvrdi" the
    // settings, InchMm and the current printer (ZorPrinter()) change at once,
    // the settings are written to the settings store and true is returned;
    // "Odustani" and the close box change nothing.
    bool Execute();

    // Test seam: the installed printers as the system would list them
    // (nothing: ask QPrinterInfo).
    static void SetInstalledPrintersForTest(std::optional<QStringList> printers);

    QComboBox *mPrinter = nullptr;
    QCheckBox *mRacunPrimaoca = nullptr;
    QCheckBox *mVrstaUplate = nullptr;
    QCheckBox *mVrstaPrihoda = nullptr;
    QCheckBox *mOpstina = nullptr;
    QCheckBox *mAlignFields = nullptr;
    QCheckBox *mRes = nullptr;
    QCheckBox *mThousSep = nullptr;
    QCheckBox *mIznosJednako = nullptr;
    QCheckBox *mProvjeraRacuna = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    void Fill();
    void Store();

    TProgramData &m_data;
    QStringList m_printers; // as listed at the latest filling
};

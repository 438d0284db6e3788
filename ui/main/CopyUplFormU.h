#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

// One open file as the copy dialog offers it: its name as on its tab and
// the descriptions of its slips in file order.
struct TCopyTarget
{
    QString Name;
    QStringList Slips;
};

// Where the marked slips go.
struct TCopyChoice
{
    static constexpr int NewFile = -1;
    int FileIndex = NewFile; // index among the open files, or NewFile ("Nova datoteka")
    qsizetype Before = 0;    // in front of this slip; the slip count for "<Poslije ostalih>"
    bool DeleteSource = false;

    bool operator==(const TCopyChoice &) const = default;
};

// "Kopiranje": asks which open file (or a new one) the marked slips are
// copied into, in front of which slip, and whether the sources are deleted.
// The caller does the copying and makes the new file.
class TCopyUplForm : public QDialog
{
    Q_OBJECT
public:
    explicit TCopyUplForm(QWidget *parent = nullptr);
    ~TCopyUplForm() override;

    // Offers the open files (in tab order) and "Nova datoteka", with the
    // active one chosen; nothing when the user does not choose "&Kopiraj".
    std::optional<TCopyChoice> Execute(const QList<TCopyTarget> &files, int activeIndex);

    // Fills the insertion list for the file chosen in ctFileName.
    void ctFileNameChange();

    QLabel *Label1 = nullptr;
    QComboBox *ctFileName = nullptr;
    QLabel *Label2 = nullptr;
    QListWidget *ctUplatnica = nullptr;
    QCheckBox *ctDelete = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    QList<TCopyTarget> FFiles;
};

#pragma once

#include "ui/catalogues/CatalogueModel.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QList>
#include <QSize>
#include <QString>
#include <QTableView>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

// --- Shared by the catalogue windows and their dialogs ------------------------

// Shows a warning of a catalogue window or dialog (answered in tests through
// MessageBoxSeam, ui/common/DialogSeams.h).
void ShowCatalogueMessage(QWidget *parent, const QString &title, const QString &text);

// Moves a window so that its frame is centred on the screen it is on.
void CentreOnScreen(QWidget *window);

// A push button of the designed size, wider where its text needs it.
QPushButton *MakeCatalogueButton(const QString &text, const QString &name, QWidget *parent,
                                 int width = 59, int height = 25);

// The list of a catalogue window: whole rows, one at most selected, nothing
// edited in place. Typing jumps to the first row whose text in the sort
// column begins with what was typed (the letters typed in quick succession
// count together).
class TCatalogueView : public QTableView
{
public:
    explicit TCatalogueView(QWidget *parent = nullptr);
    void SetCatalogueModel(TCatalogueModel *model);
    void keyboardSearch(const QString &search) override;

private:
    TCatalogueModel *m_model = nullptr;
    QString m_typed;
    QElapsedTimer m_lastKey;
};

// --- The list window ----------------------------------------------------------

struct TCatalogueColumn
{
    QString Caption;
    int Width = 100;
    // The longest code of the column in digits: the column is made at least
    // as wide as that, whatever the font.
    int FitDigits = 0;
};

// What tells one catalogue window from another.
struct TCatalogueLayout
{
    QString FormName; // placement key and objectName, e.g. "OpstineForm"
    QString Caption;
    QString ListName; // column widths key and the list's objectName, e.g. "OpstineV"
    QList<TCatalogueColumn> Columns;
    QSize Designed;
    QSize Minimum{337, 200};
};

// The catalogue window without its catalogue: the list with its filter, the
// buttons "Izaberi", "&Dodaj", "&Izmijeni", "&Obriši", "&Zatvori", edit and
// pick mode, header sorting, placement and column widths, and the writing of
// a changed catalogue when the window closes. The windows of the single
// catalogues fill in the add, change and delete commands and the file.
class TCatalogueForm : public QDialog
{
    Q_OBJECT
public:
    ~TCatalogueForm() override;

    // Shows the window modally in edit mode.
    void Edit();

    // The catalogue position of the selected row; -1 when no row is selected.
    qsizetype Selected() const;
    // Selects the row of a catalogue position (none for -1 or a hidden one).
    void SelectEntry(qsizetype entry);

    // Writes the catalogue when it was changed. On failure the message names
    // the file, the catalogue stays marked changed and false is returned.
    bool SaveIfModified();

    // Reads the catalogue afresh when its file changed since it was read or
    // written (another copy of the program wrote it), changes not yet
    // written kept; the list shows it, the selected entry still selected.
    // Done each time the window opens.
    void Reload();

    TCatalogueModel *Model() const { return m_model; }

    TCatalogueView *List = nullptr;
    QLineEdit *mTrazi = nullptr;
    QPushButton *btnPick = nullptr;
    QPushButton *btnAdd = nullptr;
    QPushButton *btnChange = nullptr;
    QPushButton *btnDel = nullptr;
    QPushButton *btnClose = nullptr;

protected:
    TCatalogueForm(const TCatalogueLayout &layout, std::unique_ptr<TCatalogueRows> rows,
                   QWidget *parent);

    // Shows the window modally in pick mode with the entry whose code is
    // current selected (when there is one); returns the catalogue position
    // picked, or -1 when the window was closed without a pick.
    qsizetype RunPick(const QString &current);

    virtual void DoAdd() = 0;
    virtual void DoChange(qsizetype entry) = 0;
    virtual void DoDelete(qsizetype entry) = 0;
    virtual qsizetype FindCode(const QString &code) const = 0;
    virtual bool IsModified() const = 0;
    // Writes the catalogue to its file; on failure error names the file.
    virtual bool WriteCatalogue(QString *error) = 0;
    // Reads the file again when needed (see Reload); *reread tells whether
    // the entries may have moved.
    virtual bool ReadCatalogue(bool *reread, QString *error) = 0;
    // The text of column (from 1) of the entry at a catalogue position.
    QString EntryText(qsizetype entry, int column) const;

    // After the catalogue changed: the rows are read afresh, the entry at
    // follow (a catalogue position, -1 for none) is selected and the list
    // takes the focus.
    void AfterEdit(qsizetype follow);
    void Warn(const QString &text);
    const TCatalogueLayout &Layout() const { return m_layout; }

    void done(int result) override;

private:
    void UpdateButtons();
    void UpdateSortIndicator();
    void HeaderClicked(int section);
    void FilterChanged(const QString &text);
    void ShowModal();

    TCatalogueLayout m_layout;
    TCatalogueModel *m_model = nullptr;
    QLabel *m_filterLabel = nullptr;
    bool m_shownBefore = false;
    qsizetype m_picked = -1;
};

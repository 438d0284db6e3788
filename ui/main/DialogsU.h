#pragma once

#include <QFileDialog>

#include <functional>

class QListWidget;
class QPlainTextEdit;
class QSpacerItem;

// The slip-file open dialog: Qt's own file dialog (not the platform's, so
// that it can carry a panel) with a preview panel on its right. When the user
// selects a slip file, the panel shows the file's notes and the descriptions
// of its slips. The main window makes one and reuses it; it keeps the file
// name of its last use.
class TOpenUplDialog : public QFileDialog
{
    Q_OBJECT
public:
    explicit TOpenUplDialog(QWidget *owner = nullptr);
    ~TOpenUplDialog() override;

    // Shows the dialog modally, starting at FileName(). True when the user
    // chose a file; FileName() is then its full path.
    bool Execute();
    QString FileName() const { return m_fileName; }
    void SetFileName(const QString &fileName) { m_fileName = fileName; }

    // How the preview tells the user that a file was refused or could not be
    // read (answered in tests through MessageBoxSeam).
    enum class TMessageKind { Information, Error };

    // The selection-change handler: empties the panel, then fills it from
    // path when that is a slip file the reader accepts.
    void DoSelectionChange(const QString &path);

    // Distance between the bottom of the panel and the bottom of the dialog.
    static constexpr int PanelBottomGap = 32;

    QWidget *MyPanel = nullptr;
    QPlainTextEdit *Memo = nullptr;
    QListWidget *List = nullptr;

protected:
    TOpenUplDialog(QWidget *owner, AcceptMode mode);

    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void done(int result) override;

private:
    void CreatePanel();
    void PlacePanel();
    void ShowMessage(TMessageKind kind, const QString &text);

    QString m_fileName;
    QSpacerItem *m_panelRoom = nullptr; // the layout column the panel covers
};

// The slip-file save dialog: the open dialog's preview, asking before an
// existing file is overwritten.
class TSaveUplDialog : public TOpenUplDialog
{
    Q_OBJECT
public:
    explicit TSaveUplDialog(QWidget *owner = nullptr);
};

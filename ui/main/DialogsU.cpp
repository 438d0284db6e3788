#include "ui/main/DialogsU.h"

#include "ui/common/DialogSeams.h"

#include "controls/SlipTileDelegate.h"
#include "ui/help/HelpContexts.h"
#include "ui/main/UplPreview.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QSpacerItem>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

// The file list's "Type" column names slip files instead of calling them
// "unknown" (no MIME type of the system knows *.upl).
class TSlipIconProvider : public QFileIconProvider
{
public:
    QString type(const QFileInfo &info) const override
    {
        if (info.isFile() && info.suffix().compare(QLatin1String("upl"), Qt::CaseInsensitive) == 0)
            return SlipFileTypeName();
        return QFileIconProvider::type(info);
    }
};

// Width of the panel column. The panel's children keep 8 pixels on the left
// and 9 on the right, as the classic dialog's did.
constexpr int PanelWidth = 180;
constexpr int PanelTop = 4;
constexpr int MemoHeight = 49;
constexpr QSize DefaultSize(820, 460);

} // namespace

TOpenUplDialog::TOpenUplDialog(QWidget *owner) : TOpenUplDialog(owner, AcceptOpen) {}

TOpenUplDialog::TOpenUplDialog(QWidget *owner, AcceptMode mode) : QFileDialog(owner)
{
    setProperty("helpContext", hcUplFiles);
    // The platform's dialog cannot carry the panel.
    setOption(DontUseNativeDialog, true);
    setAcceptMode(mode);
    if (mode == AcceptOpen) {
        setWindowTitle(QStringLiteral("Otvaranje"));
        setFileMode(ExistingFile);
    } else {
        setWindowTitle(QStringLiteral("Snimanje"));
        setFileMode(AnyFile);
        setOption(DontConfirmOverwrite, false);
    }
    setNameFilter(QStringLiteral("Kordavina (*.upl)"));
    // One provider for every dialog of the run; never destroyed, so that no
    // dialog outlives it.
    static TSlipIconProvider *const slipTypes = new TSlipIconProvider;
    setIconProvider(slipTypes);
    setDefaultSuffix(QStringLiteral("upl"));
    setSizeGripEnabled(true);

    CreatePanel();
    // Room for the file list's columns beside the panel.
    resize(DefaultSize);
    connect(this, &QFileDialog::currentChanged, this, &TOpenUplDialog::DoSelectionChange);
}

TOpenUplDialog::~TOpenUplDialog() = default;

void TOpenUplDialog::CreatePanel()
{
    MyPanel = new QWidget(this);
    MyPanel->setObjectName(QStringLiteral("MyPanel"));

    auto *opis = new QLabel(QStringLiteral("Opis"), MyPanel);
    Memo = new QPlainTextEdit(MyPanel);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setReadOnly(true);
    Memo->setEnabled(false);
    Memo->setFixedHeight(MemoHeight);

    auto *uplatnice = new QLabel(QStringLiteral("Uplatnice"), MyPanel);
    List = new QListWidget(MyPanel);
    List->setObjectName(QStringLiteral("List"));
    List->setItemDelegate(new TSlipTileDelegate(List));
    List->setUniformItemSizes(true);
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    List->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    List->setFont(SlipTileFont(List->font()));
    // Button-face background, as behind a row of buttons.
    QPalette pal = List->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    List->setPalette(pal);

    auto *box = new QVBoxLayout(MyPanel);
    box->setContentsMargins(8, 0, 9, 0);
    box->setSpacing(0);
    box->addWidget(opis);
    box->addWidget(Memo);
    box->addSpacing(6);
    box->addWidget(uplatnice);
    box->addWidget(List, 1);
    Status = new QLabel(MyPanel);
    Status->setObjectName(QStringLiteral("Status"));
    Status->setWordWrap(true);
    Status->hide();
    box->addWidget(Status);

    // The panel is not managed by the layout: its height follows the dialog
    // (client height less PanelBottomGap), which a layout cell cannot give.
    // A fixed-width column keeps the dialog's own controls clear of it.
    if (auto *grid = qobject_cast<QGridLayout *>(layout())) {
        m_panelRoom = new QSpacerItem(PanelWidth, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
        grid->addItem(m_panelRoom, 0, grid->columnCount(), grid->rowCount(), 1);
    }
}

void TOpenUplDialog::PlacePanel()
{
    int left = width() - PanelWidth;
    if (m_panelRoom && m_panelRoom->geometry().isValid())
        left = m_panelRoom->geometry().left();
    MyPanel->setGeometry(left, PanelTop, width() - left, std::max(0, height() - PanelBottomGap));
}

void TOpenUplDialog::showEvent(QShowEvent *event)
{
    QFileDialog::showEvent(event);
    if (layout())
        layout()->activate();
    PlacePanel();
    MyPanel->raise();
}

void TOpenUplDialog::resizeEvent(QResizeEvent *event)
{
    QFileDialog::resizeEvent(event);
    PlacePanel();
}

void TOpenUplDialog::done(int result)
{
    QFileDialog::done(result);
    QToolTip::hideText();
}

bool TOpenUplDialog::Execute()
{
    Memo->clear();
    List->clear();
    Status->clear();
    Status->hide();
    if (!m_fileName.isEmpty()) {
        selectFile(m_fileName);
        // Selecting by name does not report a current change, so the panel
        // would stay empty until the user clicked elsewhere.
        DoSelectionChange(m_fileName);
    }
    if (exec() != Accepted)
        return false;
    const QStringList files = selectedFiles();
    if (files.isEmpty())
        return false;
    m_fileName = files.first();
    return true;
}

void TOpenUplDialog::DoSelectionChange(const QString &path)
{
    Memo->clear();
    List->clear();
    Status->clear();
    Status->hide();
    const TUplPreview preview = LoadUplPreview(path);
    switch (preview.Kind) {
    case TUplPreview::TKind::Empty:
        break;
    case TUplPreview::TKind::Shown: {
        // Notes keep the Windows line ends of the file.
        QString notes = preview.Napomene;
        notes.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        Memo->setPlainText(notes);
        List->addItems(preview.Opisi);
        break;
    }
    case TUplPreview::TKind::Refused:
        Status->setText(NotASlipFileText());
        Status->show();
        break;
    case TUplPreview::TKind::Failed:
        Status->setText(QStringLiteral("Datoteka se ne može pročitati.\n%1").arg(preview.Message));
        Status->show();
        break;
    }
}

TSaveUplDialog::TSaveUplDialog(QWidget *owner) : TOpenUplDialog(owner, AcceptSave) {}

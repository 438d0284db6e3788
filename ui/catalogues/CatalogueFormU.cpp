#include "ui/catalogues/CatalogueFormU.h"

#include "ui/common/DialogSeams.h"
#include "ui/help/HelpContexts.h"
#include "ui/common/Placement.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

namespace {

// Sends Down and Page Down from the filter field to the list, so that the
// user can go on choosing from the narrowed rows without the mouse.
class TFilterKeys : public QObject
{
public:
    TFilterKeys(QWidget *list, QObject *parent) : QObject(parent), m_list(list) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Down || key == Qt::Key_PageDown) {
                m_list->setFocus(Qt::TabFocusReason);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget *m_list;
};

} // namespace

void ShowCatalogueMessage(QWidget *parent, const QString &title, const QString &text)
{
    ShowMessageBox(parent, QMessageBox::Warning, title, text);
}

void CentreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

QPushButton *MakeCatalogueButton(const QString &text, const QString &name, QWidget *parent,
                                 int width, int height)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    // Enter presses only the default button (in pick mode "Izaberi"), never
    // whichever button happens to have the focus.
    button->setAutoDefault(false);
    QString shown = text;
    shown.remove(u'&');
    const int needed = button->fontMetrics().horizontalAdvance(shown) + 16;
    button->setFixedSize(std::max(width, needed), std::max(height, button->sizeHint().height()));
    return button;
}

// --- TCatalogueView ---------------------------------------------------------

TCatalogueView::TCatalogueView(QWidget *parent) : QTableView(parent)
{
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setShowGrid(false);
    setAlternatingRowColors(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    // One height for every row: the view then never measures 100,000 rows.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void TCatalogueView::SetCatalogueModel(TCatalogueModel *model)
{
    m_model = model;
    setModel(model);
}

void TCatalogueView::keyboardSearch(const QString &search)
{
    if (!m_model || search.isEmpty())
        return;
    if (!m_lastKey.isValid() || m_lastKey.elapsed() > QApplication::keyboardInputInterval())
        m_typed.clear();
    m_lastKey.start();
    m_typed += search;
    const int column = std::abs(m_model->SortColumn()) - 1;
    int row = m_model->FindPrefix(m_typed, column);
    if (row < 0 && m_typed.size() > search.size()) {
        // A new start: what was typed before leads nowhere.
        m_typed = search;
        row = m_model->FindPrefix(m_typed, column);
    }
    if (row < 0)
        return;
    const QModelIndex index = m_model->index(row, 0);
    setCurrentIndex(index);
    scrollTo(index);
}

// --- TCatalogueForm ---------------------------------------------------------

TCatalogueForm::TCatalogueForm(const TCatalogueLayout &layout, std::unique_ptr<TCatalogueRows> rows,
                               QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint),
      m_layout(layout)
{
    setProperty("helpContext", hcCatalogues);
    setObjectName(layout.FormName);
    setWindowTitle(layout.Caption);
    setModal(true);
    setSizeGripEnabled(true);

    QStringList headers;
    for (const TCatalogueColumn &c : layout.Columns)
        headers.append(c.Caption);
    m_model = new TCatalogueModel(std::move(rows), headers, this);

    m_filterLabel = new QLabel(QStringLiteral("&Traži:"), this);
    mTrazi = new QLineEdit(this);
    mTrazi->setObjectName(QStringLiteral("mTrazi"));
    mTrazi->setClearButtonEnabled(true);
    mTrazi->setToolTip(QStringLiteral("Prikazuje samo stavke koje sadrže upisani tekst"));
    m_filterLabel->setBuddy(mTrazi);

    List = new TCatalogueView(this);
    List->setObjectName(layout.ListName);
    List->setAccessibleName(layout.Caption);
    List->SetCatalogueModel(m_model);
    // The designed widths, wider where this font needs it for a whole code
    // or the caption with its sort mark; the window grows to show them all.
    int columnsWidth = 0;
    for (int i = 0; i < layout.Columns.size(); ++i) {
        const TCatalogueColumn &c = layout.Columns[i];
        const QFontMetrics cells = List->fontMetrics();
        const QFontMetrics captions = List->horizontalHeader()->fontMetrics();
        const int width =
            std::max({c.Width, cells.horizontalAdvance(QString(c.FitDigits, u'8')) + 14,
                      captions.horizontalAdvance(c.Caption) + 24});
        List->horizontalHeader()->resizeSection(i, width);
        columnsWidth += width;
    }
    mTrazi->installEventFilter(new TFilterKeys(List, this));

    btnPick = MakeCatalogueButton(QStringLiteral("Izaberi"), QStringLiteral("btnPick"), this);
    btnAdd = MakeCatalogueButton(QStringLiteral("&Dodaj"), QStringLiteral("btnAdd"), this);
    btnChange = MakeCatalogueButton(QStringLiteral("&Izmijeni"), QStringLiteral("btnChange"), this);
    btnDel = MakeCatalogueButton(QStringLiteral("&Obriši"), QStringLiteral("btnDel"), this);
    btnClose = MakeCatalogueButton(QStringLiteral("&Zatvori"), QStringLiteral("btnClose"), this);
    btnPick->hide();

    auto *filterRow = new QHBoxLayout;
    filterRow->addWidget(m_filterLabel);
    filterRow->addWidget(mTrazi, 1);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->setSpacing(4);
    buttonRow->addStretch(1);
    for (QPushButton *b : {btnPick, btnAdd, btnChange, btnDel, btnClose})
        buttonRow->addWidget(b);
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(4, 4, 4, 4);
    main->setSpacing(4);
    main->addLayout(filterRow);
    main->addWidget(List, 1);
    main->addLayout(buttonRow);

    setTabOrder(btnClose, btnDel);
    setTabOrder(btnDel, btnChange);
    setTabOrder(btnChange, btnAdd);
    setTabOrder(btnAdd, btnPick);
    setTabOrder(btnPick, List);
    setTabOrder(List, mTrazi);

    connect(btnAdd, &QPushButton::clicked, this, [this] { DoAdd(); });
    connect(btnChange, &QPushButton::clicked, this, [this] {
        if (const qsizetype entry = Selected(); entry >= 0)
            DoChange(entry);
    });
    connect(btnDel, &QPushButton::clicked, this, [this] {
        if (const qsizetype entry = Selected(); entry >= 0)
            DoDelete(entry);
    });
    connect(btnPick, &QPushButton::clicked, this, [this] {
        m_picked = Selected();
        if (m_picked >= 0)
            accept();
    });
    // In pick mode a double-click picks the row, as Enter does through the
    // default button "Izaberi".
    connect(List, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid() && !btnPick->isHidden())
            btnPick->click();
    });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(List->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TCatalogueForm::HeaderClicked);
    connect(mTrazi, &QLineEdit::textChanged, this, &TCatalogueForm::FilterChanged);
    connect(List->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TCatalogueForm::UpdateButtons);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TCatalogueForm::UpdateButtons);

    setMinimumSize(layout.Minimum);
    const int frame = 2 * List->frameWidth() +
                      List->style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                      main->contentsMargins().left() + main->contentsMargins().right();
    resize(std::max(layout.Designed.width(), columnsWidth + frame), layout.Designed.height());
    RestorePlacement(this, layout.FormName, true);
    RestoreColumnWidths(List->horizontalHeader(), layout.FormName, layout.ListName);
    UpdateSortIndicator();
    UpdateButtons();
}

TCatalogueForm::~TCatalogueForm()
{
    SavePlacement(this, m_layout.FormName, true);
    SaveColumnWidths(List->horizontalHeader(), m_layout.FormName, m_layout.ListName);
}

qsizetype TCatalogueForm::Selected() const
{
    const QModelIndexList rows = List->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : m_model->EntryAt(rows.first().row());
}

void TCatalogueForm::SelectEntry(qsizetype entry)
{
    const int row = m_model->RowOf(entry);
    if (row < 0) {
        List->selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = m_model->index(row, 0);
    List->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
    List->scrollTo(index);
}

void TCatalogueForm::Edit()
{
    m_picked = -1;
    btnPick->hide();
    btnPick->setDefault(false);
    ShowModal();
}

qsizetype TCatalogueForm::RunPick(const QString &current)
{
    m_picked = -1;
    btnPick->show();
    btnPick->setDefault(true);
    mTrazi->clear();
    if (const qsizetype found = current.isEmpty() ? -1 : FindCode(current); found >= 0)
        SelectEntry(found);
    ShowModal();
    btnPick->setDefault(false);
    btnPick->hide();
    return m_picked;
}

void TCatalogueForm::ShowModal()
{
    mTrazi->clear();
    Reload();
    m_model->PrepareFilter();
    if (!m_shownBefore) {
        // Centred at the first showing of a run; afterwards where it was left.
        ensurePolished();
        CentreOnScreen(this);
        m_shownBefore = true;
    }
    UpdateButtons();
    List->setFocus(Qt::OtherFocusReason);
    if (const QModelIndex current = List->currentIndex(); current.isValid())
        List->scrollTo(current);
    exec();
}

QString TCatalogueForm::EntryText(qsizetype entry, int column) const
{
    const int row = m_model->RowOf(entry);
    return row < 0 ? QString() : m_model->data(m_model->index(row, column - 1)).toString();
}

void TCatalogueForm::Reload()
{
    // The selection of the last showing stays, followed by its code when the
    // file brought other entries.
    qsizetype keep = Selected();
    const QString code = EntryText(keep, 1);
    bool reread = false;
    QString error;
    if (!ReadCatalogue(&reread, &error))
        Warn(QStringLiteral("Katalog \"%1\" nije ponovo pročitan.\n\n%2")
                 .arg(m_layout.Caption, error));
    if (reread)
        keep = code.isEmpty() ? -1 : FindCode(code);
    m_model->Refresh();
    SelectEntry(keep);
}

void TCatalogueForm::done(int result)
{
    // A changed catalogue is written as its window closes, so that a later
    // crash of the run does not lose it; the program's end writes it again
    // only when this failed.
    SaveIfModified();
    QDialog::done(result);
}

bool TCatalogueForm::SaveIfModified()
{
    if (!IsModified())
        return true;
    QString error;
    if (WriteCatalogue(&error))
        return true;
    Warn(QStringLiteral("Izmjene kataloga \"%1\" nisu snimljene.\n\n%2")
             .arg(m_layout.Caption, error));
    return false;
}

void TCatalogueForm::AfterEdit(qsizetype follow)
{
    m_model->Refresh();
    SelectEntry(follow);
    List->setFocus(Qt::OtherFocusReason);
    UpdateButtons();
}

void TCatalogueForm::Warn(const QString &text)
{
    ShowCatalogueMessage(this, windowTitle(), text);
}

void TCatalogueForm::UpdateButtons()
{
    const bool selected = Selected() >= 0;
    btnChange->setEnabled(selected);
    btnDel->setEnabled(selected);
    btnPick->setEnabled(selected);
}

void TCatalogueForm::UpdateSortIndicator()
{
    const int sort = m_model->SortColumn();
    List->horizontalHeader()->setSortIndicator(std::abs(sort) - 1,
                                               sort < 0 ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TCatalogueForm::HeaderClicked(int section)
{
    qsizetype follow = Selected();
    m_model->ClickColumn(section, &follow);
    SelectEntry(follow);
    UpdateSortIndicator();
    UpdateButtons();
}

void TCatalogueForm::FilterChanged(const QString &text)
{
    const qsizetype follow = Selected();
    m_model->SetFilter(text);
    if (m_model->RowOf(follow) >= 0)
        SelectEntry(follow);
    else if (!text.isEmpty() && m_model->rowCount() > 0)
        // The first match, so that Enter picks it at once.
        SelectEntry(m_model->EntryAt(0));
    else
        SelectEntry(follow);
    UpdateButtons();
}

// The slip editor's controls: making them, their places and their looks.
#include "ui/main/MainFormU.h"

#include "controls/NumEdit.h"
#include "controls/SlipTileDelegate.h"
#include "ui/common/ProgramData.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>

namespace {

// Geometry of the editor sheet (below the tabs), in pixels.
constexpr int RowStart = 8;
constexpr int RowStep = 20;
constexpr int FieldHeight = 19;
constexpr int LeftX = 8;
constexpr int LeftWidth = 185;
constexpr int LabelX = 200;
constexpr int LabelWidth = 120;
constexpr int FieldX = 322;
constexpr int ButtonWidth = 20;
constexpr int RightGap = 8;
constexpr int SheetHeight = RowStart + 15 * RowStep + 6;

// Refuses the characters a slip file cannot hold, wherever they come from
// (typing or pasting), and says how many it dropped.
class TWin1250Validator : public QValidator
{
public:
    TWin1250Validator(std::function<void(int)> dropped, QObject *parent)
        : QValidator(parent), m_dropped(std::move(dropped))
    {}
    State validate(QString &input, int &pos) const override
    {
        int dropped = 0;
        int before = 0;
        for (int i = 0; i < input.size(); ++i)
            if (!IsWin1250(input.at(i))) {
                ++dropped;
                if (i < pos)
                    ++before;
            }
        if (dropped) {
            input = KeepWin1250(input);
            pos -= before;
            m_dropped(dropped);
        }
        return Acceptable;
    }

private:
    std::function<void(int)> m_dropped;
};

// The notes memo: pasted text loses what a slip file cannot hold.
class TNotesEdit : public QPlainTextEdit
{
public:
    TNotesEdit(std::function<void(int)> dropped, QWidget *parent)
        : QPlainTextEdit(parent), m_dropped(std::move(dropped))
    {}

protected:
    void insertFromMimeData(const QMimeData *source) override
    {
        if (!source->hasText())
            return;
        int dropped = 0;
        const QString text = KeepWin1250(source->text(), &dropped);
        if (dropped)
            m_dropped(dropped);
        insertPlainText(text);
    }
    void keyPressEvent(QKeyEvent *e) override
    {
        const QString text = e->text();
        int dropped = 0;
        if (!text.isEmpty() && text.at(0).isPrint() && (KeepWin1250(text, &dropped), dropped)) {
            m_dropped(dropped);
            e->accept();
            return;
        }
        QPlainTextEdit::keyPressEvent(e);
    }

private:
    std::function<void(int)> m_dropped;
};

QString Plain(const QString &caption)
{
    QString s = caption;
    s.remove(QLatin1Char('&'));
    if (s.endsWith(QLatin1Char(':')))
        s.chop(1);
    return s;
}

} // namespace

// Makes the parts of the editor's rows: a label, its field, a chooser button,
// the panel that shows a code's name.
class TMainForm::TRowMaker
{
public:
    TRowMaker(TMainForm *form, QWidget *sheet) : m_form(form), m_sheet(sheet) {}

    QLabel *Label(const char *name, const QString &caption) const
    {
        auto *l = new QLabel(caption, m_sheet);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    }
    void Edit(QLineEdit *&e, TEditorField field, int maxLength) const
    {
        e = new QLineEdit(m_sheet);
        e->setObjectName(ControlName(field));
        if (maxLength > 0)
            e->setMaxLength(maxLength);
        TMainForm *form = m_form;
        e->setValidator(new TWin1250Validator([form](int n) { form->NoteDropped(n); }, e));
        e->setFixedHeight(FieldHeight);
        m_form->FFields[field] = e;
    }
    void DateEdit(QLineEdit *&e, TEditorField field) const
    {
        e = new QLineEdit(m_sheet);
        e->setObjectName(ControlName(field));
        e->setInputMask(QStringLiteral("99.99.99; "));
        e->setFixedHeight(FieldHeight);
        m_form->FFields[field] = e;
    }
    void Button(QToolButton *&b, const char *name, const QString &hint,
                void (TMainForm::*handler)()) const
    {
        b = new QToolButton(m_sheet);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(QStringLiteral("..."));
        b->setToolTip(hint);
        b->setAccessibleName(hint);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(ButtonWidth, FieldHeight - 1);
        TMainForm *form = m_form;
        connect(b, &QToolButton::clicked, form,
                [form, handler] { form->Run([form, handler] { (form->*handler)(); }); });
    }
    void NameText(QLabel *&l, const char *name, const QString &accessible) const
    {
        l = new QLabel(m_sheet);
        l->setObjectName(QString::fromLatin1(name));
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setFixedHeight(FieldHeight - 2);
        l->setAccessibleName(accessible);
    }

private:
    TMainForm *m_form = nullptr;
    QWidget *m_sheet = nullptr;
};

void TMainForm::CreateEditor()
{
    CreateEditorSheet();
    CreateSlipColumn();
    const TRowMaker make(this, TabSheet);
    CreatePartyRows(make);
    CreateAmountRow(make);
    CreateRevenueRows(make);
    CreateDateRows(make);
    FinishEditorRows();

    mnuSvrhe = new QMenu(this);
    mnuSvrhe->setObjectName(QStringLiteral("mnuSvrhe"));
    for (const char *caption : {"&0 - Redovna", "&1 - Prinudna", "&2 - Povrat"})
        mnuSvrhe->addAction(QString::fromLatin1(caption));
    connect(mnuSvrhe, &QMenu::triggered, this, &TMainForm::mnuRedovnaClick);

    LayoutWidths();
    ArrangeRows(RowVisibility(TFieldLooks{}));
}

// The file tabs and the sheet below them that holds the editor.
void TMainForm::CreateEditorSheet()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("TabArea"));
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(0);
    FileTabs = new QTabBar(central);
    FileTabs->setObjectName(QStringLiteral("FileTabs"));
    FileTabs->setDocumentMode(true);
    FileTabs->setExpanding(false);
    FileTabs->setFocusPolicy(Qt::NoFocus);
    FileTabs->setAccessibleName(QStringLiteral("Otvorene datoteke"));
    layout->addWidget(FileTabs);
    TabSheet = new QWidget(central);
    TabSheet->setObjectName(QStringLiteral("TabSheet"));
    // The designed height at least; a taller window gives the rest to it.
    TabSheet->setMinimumHeight(SheetHeight);
    TabSheet->installEventFilter(this);
    layout->addWidget(TabSheet, 1);
    setCentralWidget(central);
    connect(FileTabs, &QTabBar::currentChanged, this, &TMainForm::FileTabsChange);
}

// The left column: the notes and the list of slips.
void TMainForm::CreateSlipColumn()
{
    const auto dropped = [this](int n) { NoteDropped(n); };
    QWidget *s = TabSheet;

    cNapomene = new QLabel(QStringLiteral("&Napomene"), s);
    cNapomene->setObjectName(QStringLiteral("cNapomene"));
    cNapomene->setGeometry(LeftX, RowStart, LeftWidth, 16);
    mNapomene = new TNotesEdit(dropped, s);
    mNapomene->setObjectName(QStringLiteral("mNapomene"));
    mNapomene->setProperty("helpContext", 17);
    mNapomene->setFocusPolicy(Qt::ClickFocus);
    mNapomene->setTabChangesFocus(true);
    mNapomene->installEventFilter(this);
    mNapomene->setGeometry(LeftX, RowStart + 16, LeftWidth, 80);
    mNapomene->setAccessibleName(QStringLiteral("Napomene"));
    cNapomene->setBuddy(mNapomene);
    connect(mNapomene, &QPlainTextEdit::textChanged, this, [this] { DataChange(mNapomene); });

    cUplatnice = new QLabel(QStringLiteral("U&platnice"), s);
    cUplatnice->setObjectName(QStringLiteral("cUplatnice"));
    cUplatnice->setGeometry(LeftX, RowStart + 102, 90, 16);
    SpeedButton1 = new QToolButton(s);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("Označi sve"));
    SpeedButton1->setToolTip(QStringLiteral("Označi sve uplatnice"));
    SpeedButton1->setAccessibleName(QStringLiteral("Označi sve"));
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    SpeedButton1->setGeometry(LeftX + LeftWidth - 80, RowStart + 100, 80, 18);
    connect(SpeedButton1, &QToolButton::clicked, this,
            [this] { Run([this] { SpeedButton1Click(); }); });

    UplList = new QListView(s);
    UplList->setObjectName(QStringLiteral("UplList"));
    UplList->setAccessibleName(QStringLiteral("Uplatnice"));
    UplList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    UplList->setUniformItemSizes(true);
    UplList->setItemDelegate(new TSlipTileDelegate(UplList));
    UplList->setFont(SlipTileFont(UplList->font()));
    UplList->setFocusPolicy(Qt::ClickFocus);
    UplList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    UplList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    UplList->setGeometry(LeftX, RowStart + 120, LeftWidth, SheetHeight - RowStart - 126);
    cUplatnice->setBuddy(UplList);
    connect(UplList, &QListView::clicked, this, [this] { UplListClick(); });
}

// Rows 0-4: the sender, the purpose and the recipient.
void TMainForm::CreatePartyRows(const TRowMaker &make)
{
    FLabels[0] = make.Label("cRacunPosiljaoca", QStringLiteral("&Račun pošiljaoca:"));
    make.Edit(mRacunPosiljaoca, efRacunPosiljaoca, 16);
    make.Button(spRacunPosiljaoca, "spRacunPosiljaoca", QStringLiteral("Izbor pošiljaoca"),
                &TMainForm::spRacunPosiljaocaClick);
    FLabels[1] = make.Label("cPosiljalac", QStringLiteral("Pošil&jalac"));
    make.Edit(mPosiljalac, efPosiljalac, 150);
    make.Button(spPosiljalac, "spPosiljalac", QStringLiteral("Izbor pošiljaoca"),
                &TMainForm::spRacunPosiljaocaClick);
    FLabels[2] = make.Label("cSvrha", QStringLiteral("S&vrha doznake:"));
    make.Edit(mSvrha, efSvrha, 150);
    make.Button(spSvrha, "spSvrha", QStringLiteral("Izbor svrhe uplate"), &TMainForm::spSvrhaClick);
    FLabels[3] = make.Label("cRacunPrimaoca", QStringLiteral("Račun pr&imaoca:"));
    make.Edit(mRacunPrimaoca, efRacunPrimaoca, 16);
    make.Button(spRacunPrimaoca, "spRacunPrimaoca", QStringLiteral("Izbor računa primaoca"),
                &TMainForm::spRacunPrimaocaClick);
    FLabels[4] = make.Label("cPrimalac", QStringLiteral("Primala&c/Primatelj:"));
    make.Edit(mPrimalac, efPrimalac, 150);
    make.Button(spPrimalac, "spPrimalac", QStringLiteral("Izbor računa primaoca"),
                &TMainForm::spRacunPrimaocaClick);
}

// Row 5: the amount and the urgency.
void TMainForm::CreateAmountRow(const TRowMaker &make)
{
    FLabels[5] = make.Label("cIznos", QStringLiteral("I&znos:"));
    mIznos = new TNumEdit(TabSheet);
    mIznos->setObjectName(QStringLiteral("mIznos"));
    mIznos->SetDecimals(2);
    mIznos->SetCheckType(ctCheckMin);
    mIznos->SetAlignment(Qt::AlignRight);
    mIznos->setFixedHeight(FieldHeight);
    FFields[efIznos] = mIznos;
    mHitno = new QCheckBox(QStringLiteral("&HITNO"), TabSheet);
    mHitno->setObjectName(QStringLiteral("mHitno"));
    mHitno->setFixedHeight(FieldHeight - 2);
    FFields[efHitno] = mHitno;
}

// Rows 6-11: the public-revenue codes.
void TMainForm::CreateRevenueRows(const TRowMaker &make)
{
    FLabels[6] = make.Label("cBrojObveznika", QStringLiteral("Br. por. obvezni&ka:"));
    make.Edit(mBrojObveznika, efBrojObveznika, 13);
    FLabels[7] = make.Label("cVrstaUplate", QStringLiteral("Vrs&ta uplate:"));
    make.Edit(mVrstaUplate, efVrstaUplate, 1);
    make.Button(spVrstaUplate, "spVrstaUplate", QStringLiteral("Izbor vrste uplate"),
                &TMainForm::spVrstaUplateClick);
    make.NameText(stVrstaUplate, "stVrstaUplate", QStringLiteral("Naziv vrste uplate"));
    FLabels[8] = make.Label("cVrstaPrihoda", QStringLiteral("Vr&sta prihoda:"));
    make.Edit(mVrstaPrihoda, efVrstaPrihoda, 6);
    make.Button(spVrstaPrihoda, "spVrstaPrihoda", QStringLiteral("Izbor vrste prihoda"),
                &TMainForm::spVrstaPrihodaClick);
    make.NameText(stVrstaPrihoda, "stVrstaPrihoda", QStringLiteral("Naziv vrste prihoda"));
    FLabels[9] = make.Label("cOpstina", QStringLiteral("Općin&a:"));
    make.Edit(mOpstina, efOpstina, 3);
    make.Button(spOpstina, "spOpstina", QStringLiteral("Izbor općine"), &TMainForm::spOpstinaClick);
    make.NameText(stOpstina, "stOpstina", QStringLiteral("Naziv općine"));
    FLabels[10] = make.Label("cPoziv", QStringLiteral("Poziv na &broj:"));
    make.Edit(mPoziv, efPoziv, 10);
    FLabels[11] = make.Label("cBudzetska", QStringLiteral("Budž. or&ganizacija:"));
    make.Edit(mBudzetska, efBudzetska, 7);
}

// Rows 12-14: the tax period, the date and the place.
void TMainForm::CreateDateRows(const TRowMaker &make)
{
    FLabels[12] = make.Label("cPeriod", QStringLiteral("Por&ezni period:"));
    make.DateEdit(mPeriodOd, efPeriodOd);
    make.DateEdit(mPeriodDo, efPeriodDo);
    FLabels[13] = make.Label("cDatumUplate", QStringLiteral("Datu&m uplate:"));
    make.DateEdit(mDatumUplate, efDatumUplate);
    FLabels[14] = make.Label("cMjestoUplate", QStringLiteral("Mjesto up&late:"));
    make.Edit(mMjestoUplate, efMjestoUplate, 0);
}

// Each label names its field for the keyboard and for screen readers; the tab
// order follows the rows.
void TMainForm::FinishEditorRows()
{
    for (int f = 0; f < EditorFieldCount; ++f) {
        const auto field = TEditorField(f);
        QLabel *l = FLabels[RowOf(field)];
        if (field != efHitno && field != efPeriodDo)
            l->setBuddy(FFields[f]);
        FFields[f]->setAccessibleName(Plain(l->text()));
        ConnectField(field);
        FFields[f]->installEventFilter(this);
    }
    mHitno->setAccessibleName(QStringLiteral("HITNO"));
    mPeriodOd->setAccessibleName(QStringLiteral("Porezni period od"));
    mPeriodDo->setAccessibleName(QStringLiteral("Porezni period do"));
    for (QLabel *l : FLabels)
        l->setFixedHeight(15);

    // Tab order: the rows from top to bottom.
    for (int f = 1; f < EditorFieldCount; ++f)
        setTabOrder(FFields[f - 1], FFields[f]);
}

void TMainForm::ConnectField(TEditorField field)
{
    QWidget *w = FFields[field];
    if (auto *e = qobject_cast<TNumEdit *>(w)) {
        connect(e, &TNumEdit::OnChange, this, [this, e] {
            if (!FSettingText)
                DataChange(e);
        });
    } else if (auto *e = qobject_cast<QLineEdit *>(w)) {
        connect(e, &QLineEdit::textChanged, this, [this, e] {
            if (!FSettingText)
                DataChange(e);
        });
    } else if (auto *c = qobject_cast<QCheckBox *>(w)) {
        connect(c, &QCheckBox::toggled, this, [this, c] {
            if (!FSettingText)
                DataChange(c);
        });
    }
}

void TMainForm::LayoutWidths()
{
    if (!TabSheet)
        return;
    const int right = std::max(TabSheet->width(), MinClientWidth) - RightGap;
    const auto place = [](QWidget *w, int x, int width) {
        w->setGeometry(x, w->y(), std::max(width, 10), w->height());
    };
    for (QLabel *l : FLabels)
        place(l, LabelX, LabelWidth);
    const int longWidth = right - ButtonWidth - 2 - FieldX;
    // Number fields show all their digits, whatever the font.
    const auto fitDigits = [](QLineEdit *e, int designed) {
        QStyleOptionFrame option;
        option.initFrom(e);
        option.lineWidth = e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, e);
        const QMargins margins = e->textMargins();
        const int text = e->fontMetrics().horizontalAdvance(QString(e->maxLength(), u'8')) +
                         margins.left() + margins.right() + 4; // the edit's own margins
        const int needed =
            e->style()->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(text, 0), e).width();
        return std::max(designed, needed);
    };
    const int accountWidth = fitDigits(mRacunPosiljaoca, 140);
    place(mRacunPosiljaoca, FieldX, accountWidth);
    place(spRacunPosiljaoca, FieldX + accountWidth + 2, ButtonWidth);
    place(mPosiljalac, FieldX, longWidth);
    place(spPosiljalac, right - ButtonWidth, ButtonWidth);
    place(mSvrha, FieldX, longWidth);
    place(spSvrha, right - ButtonWidth, ButtonWidth);
    place(mRacunPrimaoca, FieldX, accountWidth);
    place(spRacunPrimaoca, FieldX + accountWidth + 2, ButtonWidth);
    place(mPrimalac, FieldX, longWidth);
    place(spPrimalac, right - ButtonWidth, ButtonWidth);
    place(mIznos, FieldX, 120);
    place(mHitno, FieldX + 128, 70);
    place(mBrojObveznika, FieldX, fitDigits(mBrojObveznika, 100));
    place(mVrstaUplate, FieldX, 24);
    place(spVrstaUplate, FieldX + 26, ButtonWidth);
    place(stVrstaUplate, FieldX + 48, right - FieldX - 48);
    place(mVrstaPrihoda, FieldX, 60);
    place(spVrstaPrihoda, FieldX + 62, ButtonWidth);
    place(stVrstaPrihoda, FieldX + 84, right - FieldX - 84);
    place(mOpstina, FieldX, 40);
    place(spOpstina, FieldX + 42, ButtonWidth);
    place(stOpstina, FieldX + 64, right - FieldX - 64);
    place(mPoziv, FieldX, 100);
    place(mBudzetska, FieldX, 70);
    place(mPeriodOd, FieldX, 64);
    place(mPeriodDo, FieldX + 70, 64);
    place(mDatumUplate, FieldX, 64);
    place(mMjestoUplate, FieldX, right - FieldX);
    // Height beyond the designed sheet goes to the slip list.
    UplList->resize(UplList->width(), std::max(SheetHeight, TabSheet->height()) - RowStart - 126);
}

void TMainForm::ArrangeRows(const std::array<bool, EditorRowCount> &rowVisible)
{
    const auto tops = RowTops(rowVisible, FData.Settings.AlignFields, RowStart, RowStep);
    const auto at = [](QWidget *w, int y) { w->move(w->x(), y); };
    for (int f = 0; f < EditorFieldCount; ++f) {
        const auto field = TEditorField(f);
        const int top = tops[RowOf(field)];
        if (top < 0)
            continue;
        at(FFields[f], field == efHitno ? top + 1 : top);
    }
    for (int r = 0; r < EditorRowCount; ++r)
        if (tops[r] >= 0)
            at(FLabels[r], tops[r] + 3);
    const std::pair<QWidget *, int> companions[] = {
        {spRacunPosiljaoca, 0}, {spPosiljalac, 1},  {spSvrha, 2},       {spRacunPrimaoca, 3},
        {spPrimalac, 4},        {spVrstaUplate, 7}, {stVrstaUplate, 7}, {spVrstaPrihoda, 8},
        {stVrstaPrihoda, 8},    {spOpstina, 9},     {stOpstina, 9}};
    for (const auto &[w, row] : companions)
        if (tops[row] >= 0)
            at(w, tops[row] + 1);
}

void TMainForm::ApplyFieldLooks(const TFieldLooks &looks)
{
    for (int f = 0; f < EditorFieldCount; ++f) {
        const TFieldLook &look = looks[StateIndexOf(TEditorField(f))];
        FFields[f]->setEnabled(look.Enabled);
        FFields[f]->setVisible(look.Visible);
    }
    for (int r = 0; r < EditorRowCount; ++r)
        FLabels[r]->setVisible(looks[r + 1].Visible);
    const TRowCompanions c = CompanionsOf(looks);
    // A button writes into its field, so it is usable only while the field is.
    const auto follow = [&looks](QWidget *w, int state) {
        w->setVisible(looks[state].Visible);
        w->setEnabled(looks[state].Enabled);
    };
    follow(spRacunPosiljaoca, ::stRacunPosiljaoca);
    spPosiljalac->setVisible(c.SpPosiljalac);
    spPosiljalac->setEnabled(looks[::stPosiljalac].Enabled);
    follow(spSvrha, ::stSvrha);
    follow(spRacunPrimaoca, ::stRacunPrimaoca);
    spPrimalac->setVisible(c.SpPrimalac);
    spPrimalac->setEnabled(looks[::stPrimalac].Enabled);
    follow(spVrstaUplate, ::stVrstaUplate);
    stVrstaUplate->setVisible(looks[::stVrstaUplate].Visible);
    follow(spVrstaPrihoda, ::stVrstaPrihoda);
    stVrstaPrihoda->setVisible(looks[::stVrstaPrihoda].Visible);
    follow(spOpstina, ::stOpstina);
    stOpstina->setVisible(looks[::stOpstina].Visible);
}

int TMainForm::FieldOf(QWidget *control) const
{
    for (int f = 0; f < EditorFieldCount; ++f)
        if (FFields[f] == control)
            return f;
    return -1;
}

void TMainForm::NoteDropped(int dropped)
{
    QApplication::beep();
    statusBar()->showMessage(
        dropped == 1
            ? QStringLiteral("Znak koji se ne može snimiti u datoteku je izostavljen.")
            : QStringLiteral("%1 znakova koji se ne mogu snimiti u datoteku je izostavljeno.")
                  .arg(dropped),
        5000);
}

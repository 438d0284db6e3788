#include "ui/main/MainRules.h"

#include "core/Settings.h"
#include "core/Win1250.h"

#include <QFileInfo>
#include <QHash>

#include <bitset>

TEnableRule EnableRuleOf(const QString &actionName)
{
    static const QHash<QString, TEnableRule> rules = {
        {QStringLiteral("FileSaveA"), TEnableRule::FileOpen},
        {QStringLiteral("FileSaveAsA"), TEnableRule::FileOpen},
        {QStringLiteral("FileCloseA"), TEnableRule::FileOpen},
        {QStringLiteral("FilePrintA"), TEnableRule::FileOpen},
        {QStringLiteral("FilePreviewA"), TEnableRule::FileOpen},
        {QStringLiteral("FilePdfA"), TEnableRule::FileOpen},
        {QStringLiteral("FileDefaultA"), TEnableRule::FileOpen},
        {QStringLiteral("FileDefaultDelA"), TEnableRule::DefaultFileExists},
        {QStringLiteral("FileProcenatA"), TEnableRule::FileOpen},
        {QStringLiteral("UplAddA"), TEnableRule::FileOpen},
        {QStringLiteral("UplDelA"), TEnableRule::HasSlips},
        {QStringLiteral("UplPrintA"), TEnableRule::HasSlips},
        {QStringLiteral("UplRenameA"), TEnableRule::OneMarked},
        {QStringLiteral("UplCopyA"), TEnableRule::HasSlips},
        {QStringLiteral("UplPropertiesA"), TEnableRule::HasSlips},
        {QStringLiteral("UplDefaultA"), TEnableRule::OneMarked},
        {QStringLiteral("UplDefaultDelA"), TEnableRule::DefaultSlipExists},
    };
    return rules.value(actionName, TEnableRule::Always);
}

bool RuleHolds(TEnableRule rule, const TMainState &s)
{
    switch (rule) {
    case TEnableRule::Always:
        return true;
    case TEnableRule::FileOpen:
        return s.FileOpen;
    case TEnableRule::HasSlips:
        return s.FileOpen && s.SlipCount > 0;
    case TEnableRule::OneMarked:
        return s.FileOpen && s.MarkedCount == 1;
    case TEnableRule::DefaultFileExists:
        return s.DefaultFileExists;
    case TEnableRule::DefaultSlipExists:
        return s.DefaultSlipExists;
    }
    return true;
}

int StateIndexOf(TEditorField field)
{
    static constexpr int states[EditorFieldCount] = {
        stRacunPosiljaoca, stPosiljalac,    stSvrha,       stRacunPrimaoca, stPrimalac,    stIznos,
        stIznos,           stBrojObveznika, stVrstaUplate, stVrstaPrihoda,  stOpstina,     stPoziv,
        stBudzetska,       stPeriod,        stPeriod,      stDatumUplate,   stMjestoUplate};
    return states[field];
}

int RowOf(TEditorField field)
{
    return StateIndexOf(field) - 1;
}

QString ControlName(TEditorField field)
{
    static const char *const names[EditorFieldCount] = {
        "mRacunPosiljaoca", "mPosiljalac",  "mSvrha",         "mRacunPrimaoca", "mPrimalac",
        "mIznos",           "mHitno",       "mBrojObveznika", "mVrstaUplate",   "mVrstaPrihoda",
        "mOpstina",         "mPoziv",       "mBudzetska",     "mPeriodOd",      "mPeriodDo",
        "mDatumUplate",     "mMjestoUplate"};
    return QString::fromLatin1(names[field]);
}

QString *SlipText(TUpl &slip, TEditorField field)
{
    switch (field) {
    case efRacunPosiljaoca:
        return &slip.RacunPosiljaoca;
    case efPosiljalac:
        return &slip.Posiljalac;
    case efSvrha:
        return &slip.Svrha;
    case efRacunPrimaoca:
        return &slip.RacunPrimaoca;
    case efPrimalac:
        return &slip.Primalac;
    case efIznos:
    case efHitno:
        return nullptr;
    case efBrojObveznika:
        return &slip.BrojObveznika;
    case efVrstaUplate:
        return &slip.VrstaUplate;
    case efVrstaPrihoda:
        return &slip.VrstaPrihoda;
    case efOpstina:
        return &slip.Opstina;
    case efPoziv:
        return &slip.Poziv;
    case efBudzetska:
        return &slip.Budzetska;
    case efPeriodOd:
        return &slip.PeriodOd;
    case efPeriodDo:
        return &slip.PeriodDo;
    case efDatumUplate:
        return &slip.DatumUplate;
    case efMjestoUplate:
        return &slip.MjestoUplate;
    }
    return nullptr;
}

const QString *SlipText(const TUpl &slip, TEditorField field)
{
    return SlipText(const_cast<TUpl &>(slip), field);
}

QString FieldCaption(TEditorField field)
{
    static const char *const captions[EditorFieldCount] = {"Račun pošiljaoca",
                                                           "Pošiljalac",
                                                           "Svrha doznake",
                                                           "Račun primaoca",
                                                           "Primalac",
                                                           "Iznos",
                                                           "HITNO",
                                                           "Broj obveznika",
                                                           "Vrsta uplate",
                                                           "Vrsta prihoda",
                                                           "Općina",
                                                           "Poziv na broj",
                                                           "Budžetska organizacija",
                                                           "Porezni period od",
                                                           "Porezni period do",
                                                           "Datum uplate",
                                                           "Mjesto uplate"};
    return QString::fromUtf8(captions[field]);
}

QString UndoCaption(const QString &verb, const QString &step)
{
    return step.isEmpty() ? verb : QStringLiteral("%1: %2").arg(verb, step);
}

TLookupWrites LookupWrites(const TLookupWrites &catalogueValues)
{
    TLookupWrites writes;
    for (const TLookupWrite &w : catalogueValues)
        if (!w.Text.isEmpty())
            writes.append(w);
    return writes;
}

TLookupWrites SenderLookup(const TSenderCatalogue &senders, const QString &account)
{
    const qsizetype i = senders.IndexOf(account);
    if (i < 0)
        return {};
    const TSenderEntry &s = senders.At(i);
    return LookupWrites({{efPosiljalac, s.Naziv}, {efBrojObveznika, s.Broj}, {efPoziv, s.Poziv}});
}

TLookupWrites RecipientLookup(const TCatalogue &accounts, const QString &account)
{
    const qsizetype i = accounts.IndexOf(account);
    if (i < 0)
        return {};
    return LookupWrites({{efPrimalac, accounts.At(i).Naziv}});
}

TLookupWrites SenderPick(const TSenderEntry &sender)
{
    return LookupWrites({{efRacunPosiljaoca, sender.Sifra},
                         {efPosiljalac, sender.Naziv},
                         {efBrojObveznika, sender.Broj},
                         {efPoziv, sender.Poziv}});
}

TLookupWrites EntryPick(TCatalogueKind kind, const TCatalogueEntry &entry)
{
    switch (kind) {
    case TCatalogueKind::Opstine:
        return LookupWrites({{efOpstina, entry.Sifra}});
    case TCatalogueKind::Prihodi:
        return LookupWrites({{efVrstaPrihoda, entry.Sifra}});
    case TCatalogueKind::Racuni:
        return LookupWrites({{efRacunPrimaoca, entry.Sifra}, {efPrimalac, entry.Naziv}});
    case TCatalogueKind::Svrhe:
        return LookupWrites({{efSvrha, entry.Sifra}});
    }
    return {};
}

TFieldLooks MergeFieldStates(const QList<TUpl> &slips)
{
    TFieldLooks looks;
    bool first = true;
    for (const TUpl &slip : slips) {
        if (!slip.Oznacena)
            continue;
        for (int i = 0; i < 16; ++i) {
            const qint32 state = slip.Stanja[i];
            if (first) {
                looks[i].Enabled = state == spSlobodno;
                looks[i].Visible = state < spNevidljivo;
            } else {
                if (state != spSlobodno)
                    looks[i].Enabled = false;
                if (state >= spNevidljivo)
                    looks[i].Visible = false;
            }
        }
        first = false;
    }
    return looks;
}

TRowCompanions CompanionsOf(const TFieldLooks &looks)
{
    TRowCompanions c;
    c.SpPosiljalac = looks[stPosiljalac].Visible && !looks[stRacunPosiljaoca].Visible;
    c.SpPrimalac = looks[stPrimalac].Visible && !looks[stRacunPrimaoca].Visible;
    return c;
}

std::array<bool, EditorRowCount> RowVisibility(const TFieldLooks &looks)
{
    std::array<bool, EditorRowCount> rows{};
    for (int r = 0; r < EditorRowCount; ++r)
        rows[r] = looks[r + 1].Visible;
    return rows;
}

std::array<int, EditorRowCount> RowTops(const std::array<bool, EditorRowCount> &rowVisible,
                                        bool alignFields, int start, int step)
{
    std::array<int, EditorRowCount> tops{};
    int top = start;
    for (int r = 0; r < EditorRowCount; ++r) {
        if (!rowVisible[r] && alignFields) {
            tops[r] = -1;
            continue;
        }
        tops[r] = top;
        top += step;
    }
    return tops;
}

TLeaveBlock CanLeaveField(TEditorField field, const QString &code, const QString &name,
                          const TSettings &settings)
{
    if (code.isEmpty() || !name.isEmpty())
        return TLeaveBlock::None;
    switch (field) {
    case efRacunPrimaoca:
        return settings.ErrRacunPrimaoca ? TLeaveBlock::None : TLeaveBlock::RecipientAccounts;
    case efVrstaUplate:
        return settings.ErrVrstaUplate ? TLeaveBlock::None : TLeaveBlock::PaymentKindMenu;
    case efVrstaPrihoda:
        return settings.ErrVrstaPrihoda ? TLeaveBlock::None : TLeaveBlock::RevenueTypes;
    case efOpstina:
        return settings.ErrOpstina ? TLeaveBlock::None : TLeaveBlock::Municipalities;
    default:
        return TLeaveBlock::None;
    }
}

QString VrstaUplateName(const QString &kind)
{
    if (kind == QLatin1String("0"))
        return QStringLiteral("Redovna");
    if (kind == QLatin1String("1"))
        return QStringLiteral("Prinudna");
    if (kind == QLatin1String("2"))
        return QStringLiteral("Povrat");
    return QString();
}

QString KindCodeOfCaption(const QString &caption)
{
    return caption.left(1);
}

QString KindNameOfCaption(const QString &caption)
{
    return caption.mid(4, 20);
}

QString DateToMasked(const QString &stored)
{
    QString s = stored.left(6);
    s = s.leftJustified(6, QLatin1Char(' '));
    return s.left(2) + QLatin1Char('.') + s.mid(2, 2) + QLatin1Char('.') + s.mid(4, 2);
}

QString MaskedToDate(const QString &shown)
{
    QString s;
    s.reserve(6);
    for (QChar c : shown)
        if (c != QLatin1Char('.'))
            s.append(c);
    s = s.left(6).leftJustified(6, QLatin1Char(' '));
    if (s.trimmed().isEmpty())
        return QString();
    return s;
}

int NextSlipLine(int current, int count, bool forward)
{
    if (count <= 0)
        return -1;
    if (current < 0 || current >= count)
        return forward ? 0 : count - 1;
    if (forward)
        return current == count - 1 ? 0 : current + 1;
    return current == 0 ? count - 1 : current - 1;
}

QString NewFileName(int number)
{
    return QStringLiteral("Datoteka") + QString::number(number);
}

bool NeverSaved(const QString &fileName)
{
    return fileName.isEmpty() || fileName.startsWith(QLatin1String("Datoteka"));
}

QString ShownName(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

QString SaveChangesQuestion(const QString &fileName)
{
    return QStringLiteral("Želite li snimiti promjene u %1?").arg(QFileInfo(fileName).fileName());
}

int FindCaption(const QStringList &captions, const QString &item)
{
    for (int i = 0; i < captions.size(); ++i)
        if (captions.at(i).compare(item, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int TabAfterClose(int closed, int count)
{
    const int left = count - 1;
    if (left <= 0)
        return -1;
    return closed < left ? closed : left - 1;
}

int FittedWindowHeight(bool tabsVisible, int frameHeight, int menuBar, int toolBar, int tabArea,
                       int statusBar)
{
    const int client =
        tabsVisible ? menuBar + toolBar + tabArea + statusBar : menuBar + toolBar + 1 + statusBar;
    return frameHeight + client;
}

namespace {

// One bit per UTF-16 unit: whether Windows-1250 has the character.
const std::bitset<65536> &Win1250Table()
{
    static const std::bitset<65536> table = [] {
        std::bitset<65536> t;
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString c = Win1250::Decode(&byte, 1);
            if (c.size() == 1)
                t.set(c.at(0).unicode());
        }
        return t;
    }();
    return table;
}

} // namespace

bool IsWin1250(QChar c)
{
    return Win1250Table().test(c.unicode());
}

QString KeepWin1250(const QString &text, int *dropped)
{
    QString kept;
    int n = 0;
    kept.reserve(text.size());
    for (QChar c : text) {
        if (IsWin1250(c))
            kept.append(c);
        else
            ++n;
    }
    if (dropped)
        *dropped = n;
    return n ? kept : text;
}

QString ListedLines(const QStringList &lines)
{
    constexpr int ListedAtMost = 15;
    QString text;
    for (qsizetype i = 0; i < lines.size() && i < ListedAtMost; ++i)
        text += QStringLiteral("\n") + lines[i];
    if (lines.size() > ListedAtMost)
        text += QStringLiteral("\n… i još %1").arg(lines.size() - ListedAtMost);
    return text;
}

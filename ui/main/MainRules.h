#pragma once

#include "catalogues/Catalogue.h"
#include "core/Upl.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

struct TSettings;

// The decisions of the main window and its slip editor, kept apart from the
// widgets: the window asks these and shows the answer.

// --- Commands and their enabling --------------------------------------------

// What the enabling of a command depends on.
struct TMainState
{
    bool FileOpen = false;          // a tab is active
    qsizetype SlipCount = 0;        // slips of the current file
    qsizetype MarkedCount = 0;      // marked slips of the current file
    bool DefaultFileExists = false; // Default.upl in the program's folder
    bool DefaultSlipExists = false; // Default1.upl in the program's folder
};

enum class TEnableRule {
    Always,
    FileOpen,          // a file is open
    HasSlips,          // a file is open and holds a slip
    OneMarked,         // exactly one slip is marked
    DefaultFileExists, // Default.upl exists
    DefaultSlipExists, // Default1.upl exists
};

// The rule of a command by its action name ("UplRenameA"); Always for a name
// that has none.
TEnableRule EnableRuleOf(const QString &actionName);
bool RuleHolds(TEnableRule rule, const TMainState &state);

// --- Editor fields ------------------------------------------------------------

// The editor's data controls, top to bottom. Iznos and Hitno share row 6,
// PeriodOd and PeriodDo row 13.
enum TEditorField {
    efRacunPosiljaoca,
    efPosiljalac,
    efSvrha,
    efRacunPrimaoca,
    efPrimalac,
    efIznos,
    efHitno,
    efBrojObveznika,
    efVrstaUplate,
    efVrstaPrihoda,
    efOpstina,
    efPoziv,
    efBudzetska,
    efPeriodOd,
    efPeriodDo,
    efDatumUplate,
    efMjestoUplate,
};
inline constexpr int EditorFieldCount = 17;
inline constexpr int EditorRowCount = 15;

// Index into TUpl::Stanja governing the field.
int StateIndexOf(TEditorField field);
// Row of the field, 0-based (0 … 14).
int RowOf(TEditorField field);
// The control's objectName: "mRacunPosiljaoca", ...
QString ControlName(TEditorField field);
// The slip's text for a text field (not Iznos or Hitno); nullptr for those two.
QString *SlipText(TUpl &slip, TEditorField field);
const QString *SlipText(const TUpl &slip, TEditorField field);

// The field's name as the user knows it ("Datum uplate"), for the undo step
// an edit of it makes.
QString FieldCaption(TEditorField field);
// The caption of an undo or redo command: "Poništi: Datum uplate", or the
// verb alone when there is no step.
QString UndoCaption(const QString &verb, const QString &step);

// --- Look-ups -----------------------------------------------------------------

// One value a look-up writes into an editor field.
struct TLookupWrite
{
    TEditorField Field = efRacunPosiljaoca;
    QString Text;
    bool operator==(const TLookupWrite &) const = default;
};
using TLookupWrites = QList<TLookupWrite>;

// The rule of every look-up: a field takes the catalogue's value only where
// the catalogue has one. An empty catalogue value, or a code the catalogue
// does not know, leaves the field as the user typed it: a look-up never
// clears anything. Of the pairs given, those with a value.
TLookupWrites LookupWrites(const TLookupWrites &catalogueValues);
// The sender's account typed: name, taxpayer number and reference number of
// the first sender with that account.
TLookupWrites SenderLookup(const TSenderCatalogue &senders, const QString &account);
// The recipient's account typed: the account's name.
TLookupWrites RecipientLookup(const TCatalogue &accounts, const QString &account);
// A sender picked in the senders window: the account and whatever of the
// rest the entry holds.
TLookupWrites SenderPick(const TSenderEntry &sender);
// An entry picked in a code catalogue's window: the code into its field and,
// for recipient accounts, the name when it has one. (Revenue types and
// municipalities show their names beside the code; they fill no field.)
TLookupWrites EntryPick(TCatalogueKind kind, const TCatalogueEntry &entry);

// Enabled and shown, per entry of Stanja.
struct TFieldLook
{
    bool Enabled = true;
    bool Visible = true;
    bool operator==(const TFieldLook &) const = default;
};
using TFieldLooks = std::array<TFieldLook, 16>;

// The looks over the marked slips: the first marked slip decides, every
// further one can only disable (state not free) or hide (state hidden). With
// no marked slip every field is free.
TFieldLooks MergeFieldStates(const QList<TUpl> &slips);

// Which companions of the rows are shown, given which fields are shown.
struct TRowCompanions
{
    bool SpPosiljalac = false; // only while the sender's account is hidden
    bool SpPrimalac = false;   // only while the recipient's account is hidden
};
TRowCompanions CompanionsOf(const TFieldLooks &looks);

// Top of each row's controls: rows start at start and take step each; with
// alignFields a hidden row takes no room (its top is -1).
std::array<int, EditorRowCount> RowTops(const std::array<bool, EditorRowCount> &rowVisible,
                                        bool alignFields, int start = 32, int step = 20);
std::array<bool, EditorRowCount> RowVisibility(const TFieldLooks &looks);

// What leaving a field opens instead, when the field may not be left.
enum class TLeaveBlock { None, RecipientAccounts, PaymentKindMenu, RevenueTypes, Municipalities };
// field: the field left; code: its text; name: the text its code names
// (mPrimalac for the recipient's account, the name texts for the others).
TLeaveBlock CanLeaveField(TEditorField field, const QString &code, const QString &name,
                          const TSettings &settings);

// Kind names: "Redovna" for "0", "Prinudna" for "1", "Povrat" for "2".
QString VrstaUplateName(const QString &kind);
// A payment-kind menu caption "1 - Prinudna" split into "1" and "Prinudna"
// (from the fifth character, at most 20 characters).
QString KindCodeOfCaption(const QString &caption);
QString KindNameOfCaption(const QString &caption);

// Dates: stored as six characters (blanks for empty positions, an all-blank
// date as the empty text); shown through the mask "99.99.99".
QString DateToMasked(const QString &stored);
QString MaskedToDate(const QString &shown);

// The line Page Up / Page Down moves to, wrapping at both ends; -1 without lines.
int NextSlipLine(int current, int count, bool forward);

// --- Files --------------------------------------------------------------------

// "Datoteka" followed by the number.
QString NewFileName(int number);
// Empty, or beginning with "Datoteka": save must ask for a name.
bool NeverSaved(const QString &fileName);
// Tab caption: without folder and extension.
QString ShownName(const QString &fileName);
// "Želite li snimiti promjene u <name with extension>?"
QString SaveChangesQuestion(const QString &fileName);
// Index of the first caption equal to item, letter case ignored; -1 when none.
int FindCaption(const QStringList &captions, const QString &item);
// Where a tab lands after the tab at closed was removed from count tabs
// (count before removal); -1 when none is left.
int TabAfterClose(int closed, int count);

// --- Window size ------------------------------------------------------------

inline constexpr int MinClientWidth = 409;
// The outer height of the main window: the bars, and the tab area when a
// file is open; one pixel below the tool bar when none is.
int FittedWindowHeight(bool tabsVisible, int frameHeight, int menuBar, int toolBar, int tabArea,
                       int statusBar);

// --- Text the slip files can hold ---------------------------------------------

bool IsWin1250(QChar c);
// text without the characters Windows-1250 cannot hold; dropped counts them.
QString KeepWin1250(const QString &text, int *dropped = nullptr);

// --- Messages -----------------------------------------------------------------

// Lines of a message, each on its own line after a line break; longer lists
// are cut after 15, so that the question still fits on the screen.
QString ListedLines(const QStringList &lines);

#pragma once

#include "catalogues/Catalogue.h"
#include "core/NumberChecks.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// What the catalogue windows show and search, free of widgets.

// --- Input that the catalogue files can hold ---------------------------------

// Why a code typed into an add/change dialog cannot be kept as the INI key it
// becomes (empty: it can). A key must not be empty (a line "=name" is no key),
// hold "=" (the rest would read back as the value) or begin with "[" (a
// section) or ";" (a comment). The code is taken as the store will read it,
// blanks around it dropped.
QString CodeProblem(const QString &code);
// Why a text (a name, a purpose, a sender's field) would not come back as
// typed: a character outside the Windows-1250 code page is written as '?'.
QString TextProblem(const QString &text);

// --- Filter ("Traži") and typed-prefix search ---------------------------------

// The form in which texts are compared when searching: letter case ignored,
// composed forms unified and (unless keepMarks) the letters č, ć, đ, š, ž
// taken as c, d, s, z. Both forms have the text's length, letter for letter.
QString SearchFold(QStringView text, bool keepMarks = false);
// The same, appended to out without a temporary (the lists fold every entry).
void AppendSearchFold(QString &out, QStringView text, bool keepMarks = false);

// Whether a typed text is found in a text, as "Traži" finds it: a letter
// typed without its mark finds it with or without ("cel" finds "Čelić",
// "dz" finds "džep"), a letter typed with its mark only itself ("č" does not
// find "c" or "ć"). Letter case is ignored. Only for matching: the lists stay
// sorted by the collation.
bool TextMatches(QStringView text, QStringView typed);
// The same on texts folded both ways (SearchFold without and with marks).
bool SearchMatches(QStringView plainText, QStringView exactText, QStringView plainTyped,
                   QStringView exactTyped);
// Whether the letters typed with marks (where exactTyped differs from
// plainTyped) stand in exactText from at on.
bool MarksMatch(QStringView exactText, qsizetype at, QStringView plainTyped,
                QStringView exactTyped);

// The rows of one catalogue as the model reads them; the catalogue itself
// keeps the order (the display order is the order saved).
class TCatalogueRows
{
public:
    virtual ~TCatalogueRows() = default;
    virtual qsizetype Count() const = 0;
    // False while the catalogue waits to be read when first needed.
    virtual bool IsLoaded() const = 0;
    // The text of column (from 1) of the entry at display position i.
    virtual const QString &Text(qsizetype i, int column) const = 0;
    virtual int SortColumn() const = 0;
    // order receives the former display position of each entry (see
    // TCatalogueList::Sort).
    virtual void ClickColumn(int column, qsizetype *follow, std::vector<qsizetype> *order) = 0;
};

template <class TEntry> class TCatalogueRowsOf : public TCatalogueRows
{
public:
    explicit TCatalogueRowsOf(TCatalogueList<TEntry> &list) : m_list(list) {}
    qsizetype Count() const override { return m_list.Count(); }
    bool IsLoaded() const override { return m_list.IsLoaded(); }
    const QString &Text(qsizetype i, int column) const override
    {
        return ColumnText(m_list.At(i), column);
    }
    int SortColumn() const override { return m_list.SortColumn(); }
    void ClickColumn(int column, qsizetype *follow, std::vector<qsizetype> *order) override
    {
        m_list.ClickColumn(column, follow, order);
    }

private:
    TCatalogueList<TEntry> &m_list;
};

// A table over a catalogue without a copy of its entries. The number of
// entries is taken at Refresh (and at making, when the catalogue is read
// already), so that a window made at start does not read its catalogue
// before it is first shown. Rows are the
// entries in display order, or, while a filter is set, those entries that
// contain the filter text in any column. Row numbers of the view and entry
// positions of the catalogue differ only while filtering: EntryAt and RowOf
// translate.
class TCatalogueModel : public QAbstractTableModel
{
public:
    TCatalogueModel(std::unique_ptr<TCatalogueRows> rows, QStringList headers,
                    QObject *parent = nullptr);
    ~TCatalogueModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The catalogue position of a row, -1 for none; the row of a catalogue
    // position, -1 when the filter hides it.
    qsizetype EntryAt(int row) const;
    int RowOf(qsizetype entry) const;

    // Call after the catalogue changed (an add, a change, a delete): the rows
    // are read afresh, the filter applied again.
    void Refresh();

    // A click on the header of column (from 0): the catalogue sorts itself;
    // follow (a catalogue position) names the same entry afterwards.
    void ClickColumn(int column, qsizetype *follow = nullptr);
    int SortColumn() const { return m_rows->SortColumn(); }

    // Narrows the rows to the entries containing text in any column (see
    // SearchFold); an empty text shows all.
    void SetFilter(const QString &text);
    const QString &Filter() const { return m_filter; }

    // Folds the texts the filter searches now rather than at the first
    // keystroke (a window calls it as it opens).
    void PrepareFilter() const { BuildSearchTexts(); }

    // The first row whose text in column (from 0) begins with typed, compared
    // as the filter compares; -1 when none.
    int FindPrefix(const QString &typed, int column) const;

    // Marks the texts of column (from 0) that check judges, as the editor
    // marks its account fields: an icon, the reason as tool tip and
    // accessible description. Off while checks are not active (the settings
    // switch).
    using TColumnCheck = std::function<TCheckResult(const QString &)>;
    void SetCheckedColumn(int column, TColumnCheck check);
    void SetChecksActive(bool active);

private:
    void BuildSearchTexts() const;
    QVariant CheckData(const QModelIndex &index, int role) const;
    QStringView SearchText(qsizetype entry) const;
    void ApplyFilter(bool narrowOnly);
    // exact: room for the entry's texts folded keeping the marks.
    bool Matches(qsizetype entry, QString &exact) const;

    std::unique_ptr<TCatalogueRows> m_rows;
    qsizetype m_count = 0; // entries as of the last reset
    QStringList m_headers;
    QString m_filter;
    QString m_foldedFilter; // without the marks
    QString m_exactFilter;  // with them
    bool m_filtering = false;
    std::vector<qsizetype> m_visible; // catalogue positions shown while filtering, ascending
    // The folded texts of all columns of every entry, one after the other in
    // one buffer, built when a filter first needs them. A sort only reorders
    // m_slotOf (display position -> slot); an edit drops them.
    mutable QString m_searchBuffer;
    mutable std::vector<qsizetype> m_searchStart; // per slot, and the end
    mutable std::vector<qsizetype> m_slotOf;
    mutable bool m_searchTextsValid = false;
    QList<std::pair<int, TColumnCheck>> m_checks;
    bool m_checksActive = true;
};

// "Potvrdi" of a code dialog: with bothRequired (municipalities) the code and
// the name must both be non-empty; otherwise either will do.
bool CodeDialogOkEnabled(bool bothRequired, const QString &sifra, const QString &naziv);

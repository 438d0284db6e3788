#pragma once

#include <QCollator>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <vector>

// One entry of a code catalogue (municipalities, recipient accounts, revenue
// types). A payment purpose keeps its text in Sifra and leaves Naziv empty.
struct TCatalogueEntry
{
    QString Sifra;
    QString Naziv;

    bool operator==(const TCatalogueEntry &) const = default;
};

// One sender: account, name, taxpayer number, reference number.
struct TSenderEntry
{
    QString Sifra;
    QString Naziv;
    QString Broj;
    QString Poziv;

    bool operator==(const TSenderEntry &) const = default;
};

// The four catalogues of Kordavina.ini.
enum class TCatalogueKind { Opstine, Racuni, Prihodi, Svrhe };

Q_DECLARE_TYPEINFO(TCatalogueEntry, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(TSenderEntry, Q_RELOCATABLE_TYPE);

// The text of a list column, numbered from 1: Sifra, Naziv, Broj, Poziv.
// Empty for a column the entry does not have.
const QString &ColumnText(const TCatalogueEntry &e, int column);
const QString &ColumnText(const TSenderEntry &e, int column);

// The collation used for the lists: QLocale()'s, letter case ignored.
QCollator CatalogueCollator();

// Negative, zero or positive: the column |sortColumn| of both entries by the
// collation, times the sign of sortColumn.
int CompareEntries(const TCatalogueEntry &a, const TCatalogueEntry &b, int sortColumn);
int CompareEntries(const TSenderEntry &a, const TSenderEntry &b, int sortColumn);
int CompareEntries(const TCatalogueEntry &a, const TCatalogueEntry &b, int sortColumn,
                   const QCollator &collator);
int CompareEntries(const TSenderEntry &a, const TSenderEntry &b, int sortColumn,
                   const QCollator &collator);

// What an add or change of a code catalogue did, or what it needs to be asked.
struct TCatalogueEdit
{
    enum TOutcome {
        Done,           // stored; Index is the entry's display position
        AskRename,      // Add: the code exists at Index, named Naziv
        AskDeleteOther, // Change: another entry, at Index and named Naziv, holds the code
        Unchanged,      // nothing to store
    };
    TOutcome Outcome = Unchanged;
    qsizetype Index = -1;
    QString Naziv;
};

// What a catalogue window changed since the catalogue was last read from or
// written to its file: the entries it took out and those it put in (a change
// is both). A write applies these to what the file holds at that moment, so
// that another copy of the program working on the same file keeps its own
// entries.
template <class TEntry> struct TCatalogueChanges
{
    QList<TEntry> Removed;
    QList<TEntry> Added;
    bool IsEmpty() const { return Removed.isEmpty() && Added.isEmpty(); }
};

// An ordered list of entries: the list order is the display order, sorted by
// SortColumn after loading and after every add and change. Look-ups by code
// go through an index of case-folded codes kept in step with the list, since
// the slip editor asks on every keystroke.
//
// Operations that move entries take an optional display position to follow
// (the window's selected row): on return it names the same entry's new
// position, or -1 when that entry was removed.
//
// A catalogue may be read only when first needed: SetLoader gives the
// function that fills it (with Assign), run by the first access to the
// entries. Modified and SortColumn do not count as such access.
template <class TEntry> class TCatalogueList
{
public:
    using TLoader = std::function<void(TCatalogueList &)>;

    const QList<TEntry> &Entries() const
    {
        EnsureLoaded();
        return m_entries;
    }
    qsizetype Count() const
    {
        EnsureLoaded();
        return m_entries.size();
    }
    const TEntry &At(qsizetype i) const
    {
        EnsureLoaded();
        return m_entries.at(i);
    }

    // Replaces all entries (as loaded from a file), sorts them and clears
    // Modified, the changes and the file stamp (NotFromFile).
    void Assign(QList<TEntry> entries);

    void SetLoader(TLoader loader) { m_loader = std::move(loader); }
    bool IsLoaded() const { return !m_loader; }
    void EnsureLoaded() const
    {
        if (m_loader)
            const_cast<TCatalogueList *>(this)->RunLoader();
    }

    // The changes since the file was last read or written.
    const TCatalogueChanges<TEntry> &Changes() const { return m_changes; }
    // Takes the entries the file holds now with the changes applied to them
    // (see CatalogueMerge.h): sorted, the changes and Modified kept.
    void Rebase(QList<TEntry> entries, quint64 stamp);

    // Which contents of the file the list stands for (the entries as read,
    // or as written, plus Changes()): see FileStamp() in CatalogueStore.h.
    // NotFromFile for entries given by Assign alone: they are written as
    // they are.
    static constexpr quint64 NotFromFile = ~quint64(0);
    quint64 Stamp() const { return m_stamp; }
    void SetStamp(quint64 stamp) { m_stamp = stamp; }

    int SortColumn() const { return m_sortColumn; }
    // Sets the sort column (0 is taken as 1) and sorts.
    void SetSortColumn(int column, qsizetype *follow = nullptr);
    // A click on the header of column (from 1): the same column turns the
    // direction round, another column sorts ascending by it.
    void ClickColumn(int column, qsizetype *follow = nullptr,
                     std::vector<qsizetype> *order = nullptr);
    // order, when given, receives for each display position the entry's
    // position before the sort (so that a view can carry along what it
    // keeps per entry).
    void Sort(qsizetype *follow = nullptr, std::vector<qsizetype> *order = nullptr);

    bool Modified() const { return m_modified; }
    // Clearing it (after a write) forgets the changes too.
    void SetModified(bool modified)
    {
        m_modified = modified;
        if (!modified)
            m_changes = {};
    }

    // The first display position whose Sifra equals code as a whole, letter
    // case ignored; -1 when none.
    qsizetype IndexOf(const QString &code) const;

    // Removes the entry; the others keep their order.
    void Delete(qsizetype index, qsizetype *follow = nullptr);

protected:
    // Puts a new entry in its sorted place; sets Modified. Returns its position.
    qsizetype Place(TEntry entry, qsizetype *follow);
    // Replaces the entry at p and moves it to its sorted place; sets Modified.
    qsizetype Replace(qsizetype p, TEntry entry, qsizetype *follow);
    static QString Fold(const QString &s) { return s.toCaseFolded(); }

    QList<TEntry> m_entries;

private:
    void RunLoader();
    // Records an entry taken out or put in; taking out one put in during
    // this run forgets both.
    void NoteRemoved(const TEntry &entry);
    void NoteAdded(const TEntry &entry);

    // These keep the entries, their folded codes and the index in step.
    void Reindex();
    // Puts the entry at byKey[p] at position p, the index carried along.
    void Permute(std::vector<qsizetype> byKey, qsizetype *follow, std::vector<qsizetype> *order);
    void RemoveAt(qsizetype p);
    void InsertAt(qsizetype q, TEntry entry);
    qsizetype SortedPlace(const TEntry &entry) const;

    struct TCodeSlot
    {
        qsizetype First = -1; // display position of the first entry with the code
        qsizetype Count = 0;  // entries with the code (more than one only among senders)
    };
    QList<QString> m_folded;           // Fold(Sifra) of each entry
    QHash<QString, TCodeSlot> m_index; // folded Sifra -> its entries
    int m_sortColumn = 1;
    bool m_modified = false;
    TCatalogueChanges<TEntry> m_changes;
    quint64 m_stamp = NotFromFile;
    TLoader m_loader;
};

// Municipalities, recipient accounts, revenue types (codes unique without
// regard to letter case) and purposes (free texts, repeats allowed).
class TCatalogue : public TCatalogueList<TCatalogueEntry>
{
public:
    // The Naziv of the entry with this code; empty when none.
    QString FindNaziv(const QString &code) const;

    // Adds a code. When the code exists the catalogue is left alone and the
    // answer is AskRename with the existing entry; Rename() is the consent.
    TCatalogueEdit Add(const QString &sifra, const QString &naziv, qsizetype *follow = nullptr);
    // Gives the entry a new name; its code keeps its stored letter case.
    void Rename(qsizetype index, const QString &naziv, qsizetype *follow = nullptr);

    // The entry at index takes a new code and name. When another entry holds
    // that code the catalogue is left alone and the answer is AskDeleteOther;
    // ReplaceOther() is the consent.
    TCatalogueEdit Change(qsizetype index, const QString &sifra, const QString &naziv,
                          qsizetype *follow = nullptr);
    // Deletes the entry at other, then changes the entry at index. Returns
    // the changed entry's display position.
    qsizetype ReplaceOther(qsizetype index, qsizetype other, const QString &sifra,
                           const QString &naziv, qsizetype *follow = nullptr);

    // Purposes: a non-empty text is always appended (false for an empty one).
    bool AddPurpose(const QString &text, qsizetype *follow = nullptr);
    // Replaces the text when the new one is non-empty and differs exactly
    // (letter case counts); false when nothing changed.
    bool ChangePurpose(qsizetype index, const QString &text, qsizetype *follow = nullptr);
};

// Senders: no uniqueness; several senders may share an account.
class TSenderCatalogue : public TCatalogueList<TSenderEntry>
{
public:
    // The first sender in display order with this account; empty texts when none.
    QString FindNaziv(const QString &account) const;
    QString FindBroj(const QString &account) const;
    QString FindPoziv(const QString &account) const;

    // Returns the new sender's display position.
    qsizetype Add(const TSenderEntry &sender, qsizetype *follow = nullptr);
    qsizetype Change(qsizetype index, const TSenderEntry &sender, qsizetype *follow = nullptr);
};

// The questions the catalogue windows ask before an edit goes on.
QString AddExistsQuestion(TCatalogueKind kind, const QString &naziv);
QString ChangeExistsQuestion(TCatalogueKind kind, const QString &naziv);
QString DeleteQuestion(TCatalogueKind kind, const QString &naziv);
QString DeleteSenderQuestion(const QString &naziv);

extern template class TCatalogueList<TCatalogueEntry>;
extern template class TCatalogueList<TSenderEntry>;

#include "catalogues/Catalogue.h"

#include <QLocale>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <vector>

namespace {

const QString NoText;

int Sign(int v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

bool OnlyDigits(const QString &s)
{
    return std::all_of(s.cbegin(), s.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A position after the entry at removed has gone.
void FollowRemoval(qsizetype *pos, qsizetype removed)
{
    if (!pos || *pos < 0)
        return;
    if (*pos == removed)
        *pos = -1;
    else if (*pos > removed)
        --*pos;
}

} // namespace

const QString &ColumnText(const TCatalogueEntry &e, int column)
{
    switch (column) {
    case 1:
        return e.Sifra;
    case 2:
        return e.Naziv;
    default:
        return NoText;
    }
}

const QString &ColumnText(const TSenderEntry &e, int column)
{
    switch (column) {
    case 1:
        return e.Sifra;
    case 2:
        return e.Naziv;
    case 3:
        return e.Broj;
    case 4:
        return e.Poziv;
    default:
        return NoText;
    }
}

QCollator CatalogueCollator()
{
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

int CompareEntries(const TCatalogueEntry &a, const TCatalogueEntry &b, int sortColumn,
                   const QCollator &collator)
{
    const int column = std::abs(sortColumn);
    return Sign(collator.compare(ColumnText(a, column), ColumnText(b, column))) * Sign(sortColumn);
}

int CompareEntries(const TSenderEntry &a, const TSenderEntry &b, int sortColumn,
                   const QCollator &collator)
{
    const int column = std::abs(sortColumn);
    return Sign(collator.compare(ColumnText(a, column), ColumnText(b, column))) * Sign(sortColumn);
}

int CompareEntries(const TCatalogueEntry &a, const TCatalogueEntry &b, int sortColumn)
{
    return CompareEntries(a, b, sortColumn, CatalogueCollator());
}

int CompareEntries(const TSenderEntry &a, const TSenderEntry &b, int sortColumn)
{
    return CompareEntries(a, b, sortColumn, CatalogueCollator());
}

// --- TCatalogueList -------------------------------------------------------

template <class TEntry> void TCatalogueList<TEntry>::Assign(QList<TEntry> entries)
{
    m_loader = nullptr;
    m_entries = std::move(entries);
    // The index belongs to the former entries: Sort builds it afresh.
    m_folded.clear();
    m_index.clear();
    m_modified = false;
    m_changes = {};
    m_stamp = NotFromFile;
    Sort();
}

template <class TEntry> void TCatalogueList<TEntry>::Rebase(QList<TEntry> entries, quint64 stamp)
{
    m_loader = nullptr;
    m_entries = std::move(entries);
    m_folded.clear();
    m_index.clear();
    m_stamp = stamp;
    Sort();
}

template <class TEntry> void TCatalogueList<TEntry>::RunLoader()
{
    // Taken out first: the loader fills the list through Assign, which must
    // not run it again.
    TLoader loader = std::move(m_loader);
    m_loader = nullptr;
    loader(*this);
}

template <class TEntry> void TCatalogueList<TEntry>::NoteRemoved(const TEntry &entry)
{
    if (const qsizetype i = m_changes.Added.indexOf(entry); i >= 0)
        m_changes.Added.removeAt(i);
    else
        m_changes.Removed.append(entry);
}

template <class TEntry> void TCatalogueList<TEntry>::NoteAdded(const TEntry &entry)
{
    m_changes.Added.append(entry);
}

template <class TEntry> void TCatalogueList<TEntry>::SetSortColumn(int column, qsizetype *follow)
{
    EnsureLoaded();
    m_sortColumn = column == 0 ? 1 : column;
    Sort(follow);
}

template <class TEntry>
void TCatalogueList<TEntry>::ClickColumn(int column, qsizetype *follow,
                                         std::vector<qsizetype> *order)
{
    EnsureLoaded();
    if (column != 0 && column == std::abs(m_sortColumn)) {
        // The list is sorted by this column already: the other direction is
        // the list turned round (entries that compare equal may come in any
        // order).
        m_sortColumn = -m_sortColumn;
        const qsizetype n = m_entries.size();
        std::vector<qsizetype> reversed(n);
        for (qsizetype p = 0; p < n; ++p)
            reversed[p] = n - 1 - p;
        Permute(std::move(reversed), follow, order);
        return;
    }
    m_sortColumn = column == 0 ? 1 : column;
    Sort(follow, order);
}

template <class TEntry>
void TCatalogueList<TEntry>::Sort(qsizetype *follow, std::vector<qsizetype> *order)
{
    EnsureLoaded();
    const qsizetype n = m_entries.size();
    const int column = std::abs(m_sortColumn);
    const int sign = Sign(m_sortColumn);
    // Sort keys once per entry: far cheaper than collating each comparison.
    // The text is case-folded first because the sort keys of some collations
    // (Qt's C locale) do not honour the case insensitivity that compare() does.
    std::vector<qsizetype> byKey(n);
    std::iota(byKey.begin(), byKey.end(), qsizetype(0));
    const bool digits =
        std::all_of(m_entries.cbegin(), m_entries.cend(),
                    [column](const TEntry &e) { return OnlyDigits(ColumnText(e, column)); });
    if (digits) {
        // Accounts and numbers: for texts of the digits 0-9 alone the
        // collation is the order of the characters, which needs no keys.
        std::stable_sort(byKey.begin(), byKey.end(), [&](qsizetype x, qsizetype y) {
            const int c = QStringView(ColumnText(m_entries[x], column))
                              .compare(QStringView(ColumnText(m_entries[y], column)));
            return c * sign < 0;
        });
    } else {
        const QCollator collator = CatalogueCollator();
#ifdef Q_OS_WIN
        // Qt's sort keys on Windows hold the key's bytes in a string twice
        // their length and compare them as UTF-16 units: an order that
        // disagrees with compare() and even between runs. Collate directly.
        std::stable_sort(byKey.begin(), byKey.end(), [&](qsizetype x, qsizetype y) {
            return CompareEntries(m_entries[x], m_entries[y], m_sortColumn, collator) < 0;
        });
#else
        std::vector<QCollatorSortKey> keys;
        keys.reserve(n);
        for (const TEntry &e : std::as_const(m_entries))
            keys.push_back(collator.sortKey(ColumnText(e, column).toCaseFolded()));
        std::stable_sort(byKey.begin(), byKey.end(), [&](qsizetype x, qsizetype y) {
            return keys[x].compare(keys[y]) * sign < 0;
        });
#endif
    }
    Permute(std::move(byKey), follow, order);
}

template <class TEntry>
void TCatalogueList<TEntry>::Permute(std::vector<qsizetype> byKey, qsizetype *follow,
                                     std::vector<qsizetype> *order)
{
    const qsizetype n = m_entries.size();
    QList<TEntry> sorted;
    sorted.reserve(n);
    std::vector<qsizetype> newPos(n);
    for (qsizetype p = 0; p < n; ++p) {
        sorted.append(std::move(m_entries[byKey[p]]));
        newPos[byKey[p]] = p;
    }
    m_entries = std::move(sorted);
    if (follow && *follow >= 0 && *follow < n)
        *follow = newPos[*follow];
    if (m_folded.size() != n) {
        Reindex();
    } else {
        // The codes are the same, only their places changed: carry the folded
        // codes along and move each code's first place, rather than fold and
        // hash every code again.
        QList<QString> folded;
        folded.reserve(n);
        for (qsizetype p = 0; p < n; ++p)
            folded.append(std::move(m_folded[byKey[p]]));
        m_folded = std::move(folded);
        bool shared = false;
        for (auto it = m_index.begin(); it != m_index.end(); ++it) {
            if (it->Count == 1) {
                it->First = newPos[it->First];
            } else {
                shared = true;
                it->First = n;
            }
        }
        if (shared) {
            for (qsizetype p = 0; p < n; ++p) {
                TCodeSlot &slot = m_index[m_folded[p]];
                if (slot.Count > 1 && p < slot.First)
                    slot.First = p;
            }
        }
    }
    if (order)
        *order = std::move(byKey);
}

template <class TEntry> void TCatalogueList<TEntry>::Reindex()
{
    const qsizetype n = m_entries.size();
    m_folded.resize(n);
    m_index.clear();
    m_index.reserve(n);
    // From the end, so that the first entry of a code is the one kept.
    for (qsizetype i = n - 1; i >= 0; --i) {
        m_folded[i] = Fold(m_entries[i].Sifra);
        TCodeSlot &slot = m_index[m_folded[i]];
        slot.First = i;
        ++slot.Count;
    }
}

template <class TEntry> qsizetype TCatalogueList<TEntry>::IndexOf(const QString &code) const
{
    // An empty field names no entry, even an entry kept without a code.
    if (code.isEmpty())
        return -1;
    EnsureLoaded();
    const auto it = m_index.constFind(Fold(code));
    return it == m_index.cend() ? -1 : it->First;
}

template <class TEntry> void TCatalogueList<TEntry>::RemoveAt(qsizetype p)
{
    const QString key = m_folded[p];
    m_entries.removeAt(p);
    m_folded.removeAt(p);
    for (auto it = m_index.begin(); it != m_index.end(); ++it)
        if (it->First > p)
            --it->First;
    const auto it = m_index.find(key);
    if (--it->Count == 0)
        m_index.erase(it);
    else if (it->First == p)
        it->First = m_folded.indexOf(key, p); // the next sender on that account answers now
}

template <class TEntry> void TCatalogueList<TEntry>::InsertAt(qsizetype q, TEntry entry)
{
    QString key = Fold(entry.Sifra);
    for (auto it = m_index.begin(); it != m_index.end(); ++it)
        if (it->First >= q)
            ++it->First;
    TCodeSlot &slot = m_index[key];
    if (slot.Count++ == 0 || slot.First > q)
        slot.First = q;
    m_entries.insert(q, std::move(entry));
    m_folded.insert(q, std::move(key));
}

template <class TEntry> qsizetype TCatalogueList<TEntry>::SortedPlace(const TEntry &entry) const
{
    // After the last entry that does not sort behind it.
    const QCollator collator = CatalogueCollator();
    qsizetype lo = 0, hi = m_entries.size();
    while (lo < hi) {
        const qsizetype mid = lo + (hi - lo) / 2;
        if (CompareEntries(entry, m_entries[mid], m_sortColumn, collator) < 0)
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

template <class TEntry> qsizetype TCatalogueList<TEntry>::Place(TEntry entry, qsizetype *follow)
{
    EnsureLoaded();
    NoteAdded(entry);
    const qsizetype q = SortedPlace(entry);
    InsertAt(q, std::move(entry));
    if (follow && *follow >= q)
        ++*follow;
    m_modified = true;
    return q;
}

template <class TEntry>
qsizetype TCatalogueList<TEntry>::Replace(qsizetype p, TEntry entry, qsizetype *follow)
{
    // The list was sorted before; taking the entry out and putting it back
    // in its place keeps it sorted without sorting it all again.
    EnsureLoaded();
    NoteRemoved(m_entries[p]);
    NoteAdded(entry);
    RemoveAt(p);
    const qsizetype q = SortedPlace(entry);
    InsertAt(q, std::move(entry));
    if (follow && *follow >= 0) {
        if (*follow == p) {
            *follow = q;
        } else {
            if (*follow > p)
                --*follow;
            if (*follow >= q)
                ++*follow;
        }
    }
    m_modified = true;
    return q;
}

template <class TEntry> void TCatalogueList<TEntry>::Delete(qsizetype index, qsizetype *follow)
{
    if (index < 0 || index >= Count())
        return;
    NoteRemoved(m_entries[index]);
    RemoveAt(index);
    FollowRemoval(follow, index);
    m_modified = true;
}

template class TCatalogueList<TCatalogueEntry>;
template class TCatalogueList<TSenderEntry>;

// --- TCatalogue -----------------------------------------------------------

QString TCatalogue::FindNaziv(const QString &code) const
{
    const qsizetype i = IndexOf(code);
    return i < 0 ? QString() : m_entries[i].Naziv;
}

TCatalogueEdit TCatalogue::Add(const QString &sifra, const QString &naziv, qsizetype *follow)
{
    TCatalogueEdit edit;
    const qsizetype found = IndexOf(sifra);
    if (found >= 0) {
        edit.Outcome = TCatalogueEdit::AskRename;
        edit.Index = found;
        edit.Naziv = m_entries[found].Naziv;
        return edit;
    }
    edit.Outcome = TCatalogueEdit::Done;
    edit.Index = Place({sifra, naziv}, follow);
    return edit;
}

void TCatalogue::Rename(qsizetype index, const QString &naziv, qsizetype *follow)
{
    if (index < 0 || index >= Count())
        return;
    Replace(index, {m_entries[index].Sifra, naziv}, follow);
}

TCatalogueEdit TCatalogue::Change(qsizetype index, const QString &sifra, const QString &naziv,
                                  qsizetype *follow)
{
    TCatalogueEdit edit;
    if (index < 0 || index >= Count())
        return edit;
    const qsizetype found = IndexOf(sifra);
    if (found >= 0 && found != index) {
        edit.Outcome = TCatalogueEdit::AskDeleteOther;
        edit.Index = found;
        edit.Naziv = m_entries[found].Naziv;
        return edit;
    }
    edit.Outcome = TCatalogueEdit::Done;
    edit.Index = Replace(index, {sifra, naziv}, follow);
    return edit;
}

qsizetype TCatalogue::ReplaceOther(qsizetype index, qsizetype other, const QString &sifra,
                                   const QString &naziv, qsizetype *follow)
{
    const qsizetype n = Count();
    if (index < 0 || index >= n || other < 0 || other >= n || other == index)
        return -1;
    Delete(other, follow);
    if (other < index)
        --index;
    return Replace(index, {sifra, naziv}, follow);
}

bool TCatalogue::AddPurpose(const QString &text, qsizetype *follow)
{
    if (text.isEmpty())
        return false;
    Place({text, QString()}, follow);
    return true;
}

bool TCatalogue::ChangePurpose(qsizetype index, const QString &text, qsizetype *follow)
{
    if (index < 0 || index >= Count() || text.isEmpty() || text == m_entries[index].Sifra)
        return false;
    Replace(index, {text, QString()}, follow);
    return true;
}

// --- TSenderCatalogue -----------------------------------------------------

QString TSenderCatalogue::FindNaziv(const QString &account) const
{
    const qsizetype i = IndexOf(account);
    return i < 0 ? QString() : m_entries[i].Naziv;
}

QString TSenderCatalogue::FindBroj(const QString &account) const
{
    const qsizetype i = IndexOf(account);
    return i < 0 ? QString() : m_entries[i].Broj;
}

QString TSenderCatalogue::FindPoziv(const QString &account) const
{
    const qsizetype i = IndexOf(account);
    return i < 0 ? QString() : m_entries[i].Poziv;
}

qsizetype TSenderCatalogue::Add(const TSenderEntry &sender, qsizetype *follow)
{
    return Place(sender, follow);
}

qsizetype TSenderCatalogue::Change(qsizetype index, const TSenderEntry &sender, qsizetype *follow)
{
    if (index < 0 || index >= Count())
        return -1;
    return Replace(index, sender, follow);
}

// --- Questions ------------------------------------------------------------

QString AddExistsQuestion(TCatalogueKind kind, const QString &naziv)
{
    switch (kind) {
    case TCatalogueKind::Opstine:
        return QStringLiteral("Pod tom šifrom je već unesena opština '") + naziv +
               QStringLiteral("'. Želite li joj promijeniti naziv ?");
    case TCatalogueKind::Racuni:
        return QStringLiteral("Pod tom šifrom je već unesen račun '") + naziv +
               QStringLiteral("'. Želite li promijeniti naziv ?");
    case TCatalogueKind::Prihodi:
        return QStringLiteral("Pod tom šifrom je već unesen prihod '") + naziv +
               QStringLiteral("'. Želite li promijeniti naziv ?");
    case TCatalogueKind::Svrhe:
        break;
    }
    return QString();
}

QString ChangeExistsQuestion(TCatalogueKind kind, const QString &naziv)
{
    switch (kind) {
    case TCatalogueKind::Opstine:
        return QStringLiteral("Pod tom šifrom je već unesena opština '") + naziv +
               QStringLiteral("'. Želite li je obrisati ?");
    case TCatalogueKind::Racuni:
        return QStringLiteral("Pod tom šifrom je već unesen račun '") + naziv +
               QStringLiteral("'. Želite li ga obrisati ?");
    case TCatalogueKind::Prihodi:
        return QStringLiteral("Pod tom šifrom je već unesen prihod '") + naziv +
               QStringLiteral("'. Želite li ga obrisati ?");
    case TCatalogueKind::Svrhe:
        break;
    }
    return QString();
}

QString DeleteQuestion(TCatalogueKind kind, const QString &naziv)
{
    const char *what = "";
    switch (kind) {
    case TCatalogueKind::Opstine:
        what = "opštinu";
        break;
    case TCatalogueKind::Racuni:
        what = "račun";
        break;
    case TCatalogueKind::Prihodi:
        what = "prihod";
        break;
    case TCatalogueKind::Svrhe:
        what = "svrhu";
        break;
    }
    return QStringLiteral("Sigurno želite obrisati ") + QString::fromUtf8(what) +
           QStringLiteral(" '") + naziv + QStringLiteral("' ?");
}

QString DeleteSenderQuestion(const QString &naziv)
{
    return QStringLiteral("Sigurno želite obrisati pošiljaoca '") + naziv + QStringLiteral("' ?");
}

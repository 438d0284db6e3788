#include "ui/catalogues/CatalogueModel.h"

#include "controls/CheckMarkIcon.h"
#include "core/Win1250.h"

#include <QIcon>
#include <QPixmap>

#include <algorithm>

namespace {

// Separates the columns in an entry's search text; a typed filter never holds it.
constexpr QChar ColumnSeparator(0x1F);

// The letters of the language that keyboards without them replace by their
// plain letter (č, ć -> c; đ -> d, so dž -> dz; š -> s; ž -> z), after case
// folding. One code unit for one, so that folding keeps the length.
char16_t PlainLetter(char16_t c)
{
    switch (c) {
    case u'č':
    case u'ć':
        return u'c';
    case u'đ':
        return u'd';
    case u'š':
        return u's';
    case u'ž':
        return u'z';
    default:
        return c;
    }
}

} // namespace

QString CodeProblem(const QString &code)
{
    const QString key = code.trimmed();
    if (key.isEmpty())
        return QStringLiteral("Šifra ne smije biti prazna.");
    if (key.contains(u'='))
        return QStringLiteral("Šifra ne smije sadržavati znak \"=\".");
    if (key.startsWith(u'[') || key.startsWith(u';'))
        return QStringLiteral("Šifra ne smije počinjati znakom \"[\" ni znakom \";\".");
    return TextProblem(key);
}

QString TextProblem(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString one = text.mid(i, len);
        if (Win1250::Decode(Win1250::Encode(one)) != one)
            return QStringLiteral("Znak \"%1\" se ne može snimiti u katalog.").arg(one);
        i += len - 1;
    }
    return QString();
}

void AppendSearchFold(QString &out, QStringView text, bool keepMarks)
{
    // Only from U+0300 on (combining marks among them) can composing change
    // a text; the letters of the Latin alphabets lie below.
    QString composed;
    for (const QChar c : text) {
        if (c.unicode() >= 0x300) {
            composed = text.toString().normalized(QString::NormalizationForm_C);
            text = composed;
            break;
        }
    }
    // Simple case folding keeps the length: one code unit for one.
    const qsizetype n = text.size();
    const qsizetype at = out.size();
    out.resize(at + n);
    QChar *d = out.data() + at;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            d[i] = QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c);
        } else if (QChar::isHighSurrogate(c) && i + 1 < n &&
                   QChar::isLowSurrogate(text[i + 1].unicode())) {
            const char32_t folded =
                QChar::toCaseFolded(QChar::surrogateToUcs4(c, text[i + 1].unicode()));
            d[i] = QChar(QChar::highSurrogate(folded));
            d[i + 1] = QChar(QChar::lowSurrogate(folded));
            ++i;
        } else {
            const char16_t folded = char16_t(QChar::toCaseFolded(char32_t(c)));
            d[i] = QChar(keepMarks ? folded : PlainLetter(folded));
        }
    }
}

QString SearchFold(QStringView text, bool keepMarks)
{
    QString out;
    AppendSearchFold(out, text, keepMarks);
    return out;
}

bool MarksMatch(QStringView exactText, qsizetype at, QStringView plainTyped, QStringView exactTyped)
{
    for (qsizetype i = 0; i < exactTyped.size(); ++i)
        if (exactTyped[i] != plainTyped[i] && exactText[at + i] != exactTyped[i])
            return false;
    return true;
}

bool SearchMatches(QStringView plainText, QStringView exactText, QStringView plainTyped,
                   QStringView exactTyped)
{
    const bool marks = plainTyped != exactTyped;
    for (qsizetype at = plainText.indexOf(plainTyped); at >= 0;
         at = plainText.indexOf(plainTyped, at + 1)) {
        if (!marks || MarksMatch(exactText, at, plainTyped, exactTyped))
            return true;
    }
    return false;
}

bool TextMatches(QStringView text, QStringView typed)
{
    return SearchMatches(SearchFold(text), SearchFold(text, true), SearchFold(typed),
                         SearchFold(typed, true));
}

// --- TCatalogueModel --------------------------------------------------------

TCatalogueModel::TCatalogueModel(std::unique_ptr<TCatalogueRows> rows, QStringList headers,
                                 QObject *parent)
    : QAbstractTableModel(parent), m_rows(std::move(rows)), m_headers(std::move(headers))
{
    if (m_rows->IsLoaded())
        m_count = m_rows->Count();
}

TCatalogueModel::~TCatalogueModel() = default;

int TCatalogueModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_filtering ? qsizetype(m_visible.size()) : m_count);
}

int TCatalogueModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant TCatalogueModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DecorationRole || role == Qt::ToolTipRole ||
        role == Qt::AccessibleDescriptionRole)
        return CheckData(index, role);
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return QVariant();
    const qsizetype entry = EntryAt(index.row());
    if (entry < 0)
        return QVariant();
    return m_rows->Text(entry, index.column() + 1);
}

void TCatalogueModel::SetCheckedColumn(int column, TColumnCheck check)
{
    m_checks.append({column, std::move(check)});
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, column), index(rowCount() - 1, column));
}

void TCatalogueModel::SetChecksActive(bool active)
{
    if (m_checksActive == active)
        return;
    m_checksActive = active;
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

QVariant TCatalogueModel::CheckData(const QModelIndex &index, int role) const
{
    if (!m_checksActive)
        return QVariant();
    for (const auto &[column, check] : m_checks) {
        if (column != index.column())
            continue;
        const qsizetype entry = EntryAt(index.row());
        if (entry < 0)
            return QVariant();
        const TCheckResult r = check(m_rows->Text(entry, column + 1));
        const TMarkKind kind = MarkKind(r, false);
        if (kind == TMarkKind::None)
            return QVariant();
        if (role == Qt::DecorationRole) {
            static const QIcon valid(QPixmap::fromImage(CheckMarkImage(TMarkKind::Valid, 14)));
            static const QIcon invalid(QPixmap::fromImage(CheckMarkImage(TMarkKind::Invalid, 14)));
            return kind == TMarkKind::Valid ? valid : invalid;
        }
        return CheckMarkToolTip(r);
    }
    return QVariant();
}

QVariant TCatalogueModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_headers.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return m_headers.at(section);
    return QVariant();
}

qsizetype TCatalogueModel::EntryAt(int row) const
{
    if (row < 0)
        return -1;
    if (m_filtering)
        return row < qsizetype(m_visible.size()) && m_visible[row] < m_count ? m_visible[row] : -1;
    return row < m_count ? row : -1;
}

int TCatalogueModel::RowOf(qsizetype entry) const
{
    if (entry < 0 || entry >= m_count)
        return -1;
    if (!m_filtering)
        return int(entry);
    const auto it = std::lower_bound(m_visible.begin(), m_visible.end(), entry);
    return it != m_visible.end() && *it == entry ? int(it - m_visible.begin()) : -1;
}

void TCatalogueModel::Refresh()
{
    beginResetModel();
    m_count = m_rows->Count();
    m_searchTextsValid = false;
    if (m_filtering)
        ApplyFilter(false);
    endResetModel();
}

void TCatalogueModel::ClickColumn(int column, qsizetype *follow)
{
    beginResetModel();
    std::vector<qsizetype> order;
    m_rows->ClickColumn(column + 1, follow, &order);
    m_count = m_rows->Count();
    if (m_searchTextsValid && order.size() == m_slotOf.size()) {
        std::vector<qsizetype> slots(order.size());
        for (size_t p = 0; p < order.size(); ++p)
            slots[p] = m_slotOf[order[p]];
        m_slotOf = std::move(slots);
    } else {
        m_searchTextsValid = false;
    }
    if (m_filtering)
        ApplyFilter(false);
    endResetModel();
}

void TCatalogueModel::SetFilter(const QString &text)
{
    const QString folded = SearchFold(text);
    const QString exact = SearchFold(text, true);
    if (exact == m_exactFilter && m_filtering == !folded.isEmpty()) {
        m_filter = text;
        return;
    }
    // A longer text that holds the former one matches a subset of its rows.
    const bool narrowOnly = m_filtering && exact.contains(m_exactFilter);
    beginResetModel();
    m_filter = text;
    m_foldedFilter = folded;
    m_exactFilter = exact;
    m_filtering = !folded.isEmpty();
    if (m_filtering)
        ApplyFilter(narrowOnly);
    else
        m_visible.clear();
    endResetModel();
}

void TCatalogueModel::BuildSearchTexts() const
{
    if (m_searchTextsValid && qsizetype(m_slotOf.size()) == m_count)
        return;
    const qsizetype n = m_count;
    const int columns = int(m_headers.size());
    qsizetype total = 0;
    for (qsizetype i = 0; i < n; ++i)
        for (int c = 1; c <= columns; ++c)
            total += m_rows->Text(i, c).size() + 1;
    m_searchBuffer.clear();
    m_searchBuffer.reserve(total);
    m_searchStart.resize(n + 1);
    m_slotOf.resize(n);
    for (qsizetype i = 0; i < n; ++i) {
        m_slotOf[i] = i;
        m_searchStart[i] = m_searchBuffer.size();
        for (int c = 1; c <= columns; ++c) {
            if (c > 1)
                m_searchBuffer += ColumnSeparator;
            AppendSearchFold(m_searchBuffer, m_rows->Text(i, c));
        }
    }
    m_searchStart[n] = m_searchBuffer.size();
    m_searchTextsValid = true;
}

QStringView TCatalogueModel::SearchText(qsizetype entry) const
{
    const qsizetype slot = m_slotOf[entry];
    return QStringView(m_searchBuffer)
        .mid(m_searchStart[slot], m_searchStart[slot + 1] - m_searchStart[slot]);
}

bool TCatalogueModel::Matches(qsizetype entry, QString &exact) const
{
    const QStringView plain = SearchText(entry);
    if (!plain.contains(QStringView(m_foldedFilter)))
        return false;
    if (m_foldedFilter == m_exactFilter)
        return true;
    // The letters typed with their marks must have them in the text: the
    // entry's texts folded keeping the marks, laid out as in the buffer.
    exact.resize(0);
    const int columns = int(m_headers.size());
    for (int c = 1; c <= columns; ++c) {
        if (c > 1)
            exact += ColumnSeparator;
        AppendSearchFold(exact, m_rows->Text(entry, c), true);
    }
    return exact.size() == plain.size() &&
           SearchMatches(plain, exact, m_foldedFilter, m_exactFilter);
}

void TCatalogueModel::ApplyFilter(bool narrowOnly)
{
    BuildSearchTexts();
    std::vector<qsizetype> visible;
    QString exact;
    if (narrowOnly) {
        visible.reserve(m_visible.size());
        for (qsizetype i : m_visible)
            if (Matches(i, exact))
                visible.push_back(i);
    } else {
        for (qsizetype i = 0; i < m_count; ++i)
            if (Matches(i, exact))
                visible.push_back(i);
    }
    m_visible = std::move(visible);
}

int TCatalogueModel::FindPrefix(const QString &typed, int column) const
{
    if (typed.isEmpty() || column < 0 || column >= m_headers.size())
        return -1;
    const QString folded = SearchFold(typed);
    const QString exact = SearchFold(typed, true);
    const int rows = rowCount();
    QString head, exactHead;
    for (int r = 0; r < rows; ++r) {
        const QString &text = m_rows->Text(EntryAt(r), column + 1);
        head.resize(0);
        // Folding keeps the length, so the head of the text is enough
        // unless composing (marks from U+0300 on) could shorten it.
        const bool marks =
            std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x300; });
        const QStringView part = marks ? QStringView(text) : QStringView(text).left(folded.size());
        AppendSearchFold(head, part);
        if (!head.startsWith(folded))
            continue;
        if (folded != exact) {
            exactHead.resize(0);
            AppendSearchFold(exactHead, part, true);
            if (!MarksMatch(exactHead, 0, folded, exact))
                continue;
        }
        return r;
    }
    return -1;
}

bool CodeDialogOkEnabled(bool bothRequired, const QString &sifra, const QString &naziv)
{
    if (bothRequired)
        return !sifra.isEmpty() && !naziv.isEmpty();
    return !sifra.isEmpty() || !naziv.isEmpty();
}

#include "ui/catalogues/CatalogueModel.h"

#include "controls/CheckMarkIcon.h"
#include "core/Win1250.h"

#include <QIcon>
#include <QPixmap>

#include <algorithm>

namespace {

// Separates the columns in an entry's search text; a typed filter never holds it.
constexpr QChar ColumnSeparator(0x1F);

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

void AppendSearchFold(QString &out, QStringView text)
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
            d[i] = QChar(char16_t(QChar::toCaseFolded(char32_t(c))));
        }
    }
}

QString SearchFold(QStringView text)
{
    QString out;
    AppendSearchFold(out, text);
    return out;
}

// --- TCatalogueModel --------------------------------------------------------

TCatalogueModel::TCatalogueModel(std::unique_ptr<TCatalogueRows> rows, QStringList headers,
                                 QObject *parent)
    : QAbstractTableModel(parent), m_rows(std::move(rows)), m_headers(std::move(headers))
{}

TCatalogueModel::~TCatalogueModel() = default;

int TCatalogueModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_filtering ? qsizetype(m_visible.size()) : m_rows->Count());
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
        return row < qsizetype(m_visible.size()) && m_visible[row] < m_rows->Count()
                   ? m_visible[row]
                   : -1;
    return row < m_rows->Count() ? row : -1;
}

int TCatalogueModel::RowOf(qsizetype entry) const
{
    if (entry < 0 || entry >= m_rows->Count())
        return -1;
    if (!m_filtering)
        return int(entry);
    const auto it = std::lower_bound(m_visible.begin(), m_visible.end(), entry);
    return it != m_visible.end() && *it == entry ? int(it - m_visible.begin()) : -1;
}

void TCatalogueModel::Refresh()
{
    beginResetModel();
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
    if (folded == m_foldedFilter && m_filtering == !folded.isEmpty()) {
        m_filter = text;
        return;
    }
    // A longer text that holds the former one matches a subset of its rows.
    const bool narrowOnly = m_filtering && folded.contains(m_foldedFilter);
    beginResetModel();
    m_filter = text;
    m_foldedFilter = folded;
    m_filtering = !folded.isEmpty();
    if (m_filtering)
        ApplyFilter(narrowOnly);
    else
        m_visible.clear();
    endResetModel();
}

void TCatalogueModel::BuildSearchTexts() const
{
    if (m_searchTextsValid && qsizetype(m_slotOf.size()) == m_rows->Count())
        return;
    const qsizetype n = m_rows->Count();
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

void TCatalogueModel::ApplyFilter(bool narrowOnly)
{
    BuildSearchTexts();
    const QStringView needle(m_foldedFilter);
    std::vector<qsizetype> visible;
    if (narrowOnly) {
        visible.reserve(m_visible.size());
        for (qsizetype i : m_visible)
            if (SearchText(i).contains(needle))
                visible.push_back(i);
    } else {
        const qsizetype n = m_rows->Count();
        for (qsizetype i = 0; i < n; ++i)
            if (SearchText(i).contains(needle))
                visible.push_back(i);
    }
    m_visible = std::move(visible);
}

int TCatalogueModel::FindPrefix(const QString &typed, int column) const
{
    if (typed.isEmpty() || column < 0 || column >= m_headers.size())
        return -1;
    const QString folded = SearchFold(typed);
    const int rows = rowCount();
    QString head;
    for (int r = 0; r < rows; ++r) {
        const QString &text = m_rows->Text(EntryAt(r), column + 1);
        head.resize(0);
        // Folding keeps the length, so the head of the text is enough
        // unless composing (marks from U+0300 on) could shorten it.
        const bool marks =
            std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x300; });
        AppendSearchFold(head, marks ? QStringView(text) : QStringView(text).left(folded.size()));
        if (head.startsWith(folded))
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

#include "print/engine/GlyphPage.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

namespace {

// Texts whose glyphs stand one after the other as in a single left-to-right
// run: no controls, no right-to-left or complex scripts, no direction marks.
// Anything else is drawn as text, laid out by the painter as before.
bool IsSimpleText(QStringView text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            return false;
        if (u < 0x0590 || (u >= 0x1e00 && u < 0x2000) || (u >= 0x2100 && u < 0x2150))
            continue;
        if (u >= 0x2000 && u < 0x20d0 && !(u >= 0x200b && u <= 0x200f) &&
            !(u >= 0x2028 && u <= 0x202e) && !(u >= 0x2060 && u <= 0x206f))
            continue;
        return false;
    }
    return true;
}

} // namespace

int TFontTable::Add(const QFont &font)
{
    TEntry entry{font.toString(), font.hintingPreference(), font.styleStrategy()};
    const std::lock_guard<std::mutex> lock(m_mutex);
    for (size_t i = 0; i < m_fonts.size(); ++i)
        if (m_fonts[i].Key == entry.Key && m_fonts[i].Hinting == entry.Hinting &&
            m_fonts[i].Strategy == entry.Strategy)
            return int(i);
    m_fonts.push_back(std::move(entry));
    return int(m_fonts.size() - 1);
}

QFont TFontTable::Make(const TEntry &entry)
{
    QFont font;
    font.fromString(entry.Key);
    font.setHintingPreference(entry.Hinting);
    font.setStyleStrategy(entry.Strategy);
    return font;
}

QFont TFontTable::Font(int id) const
{
    TEntry entry;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (id < 0 || size_t(id) >= m_fonts.size())
            return QFont();
        entry = m_fonts[size_t(id)];
    }
    return Make(entry);
}

int TFontTable::Count() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_fonts.size());
}

struct TTextShaper::TFont
{
    QFont Font; // this thread's own object
    QFontMetrics Metrics{Font};
    QRawFont Raw;
    QHash<QString, int> Widths;
    int Height = 0;
    int Ascent = 0;
    QHash<QString, TShapedText> Texts;
    std::vector<std::unique_ptr<TShapedText>> Chars; // by character code, Latin ones
};

TTextShaper::TTextShaper(TFontTable &fonts) : m_fonts(fonts) {}

TTextShaper::~TTextShaper() = default;

int TTextShaper::FontId(const QFont &font)
{
    if (m_lastId >= 0 && font == m_lastFont)
        return m_lastId;
    // A font equal to the table's is one the table already has; the table
    // keeps it by its description, which is dearer to make than to compare.
    int id = -1;
    for (const auto &entry : m_byId)
        if (entry && entry->Font == font) {
            id = int(&entry - m_byId.data());
            break;
        }
    if (id < 0)
        id = m_fonts.Add(font);
    m_lastId = id;
    m_lastFont = font;
    return id;
}

TTextShaper::TFont &TTextShaper::Entry(int id)
{
    if (size_t(id) >= m_byId.size())
        m_byId.resize(size_t(id) + 1);
    std::unique_ptr<TFont> &entry = m_byId[size_t(id)];
    if (!entry) {
        entry = std::make_unique<TFont>();
        entry->Font = m_fonts.Font(id);
        entry->Metrics = QFontMetrics(entry->Font);
        entry->Raw = QRawFont::fromFont(entry->Font);
        entry->Height = entry->Metrics.height();
        entry->Ascent = entry->Metrics.ascent();
    }
    return *entry;
}

int TTextShaper::Height(int id)
{
    return Entry(id).Height;
}

int TTextShaper::Ascent(int id)
{
    return Entry(id).Ascent;
}

int TTextShaper::Width(int id, const QString &text)
{
    TFont &font = Entry(id);
    const auto shaped = font.Texts.constFind(text);
    if (shaped != font.Texts.cend())
        return shaped->Width;
    const auto found = font.Widths.constFind(text);
    if (found != font.Widths.cend())
        return *found;
    if (font.Widths.size() >= CacheLimit)
        font.Widths.clear();
    const int width = font.Metrics.horizontalAdvance(text);
    font.Widths.insert(text, width);
    return width;
}

const TShapedText &TTextShaper::Shape(int id, const QString &text)
{
    TFont &font = Entry(id);
    const auto found = font.Texts.constFind(text);
    if (found != font.Texts.cend())
        return *found;
    if (font.Texts.size() >= CacheLimit)
        font.Texts.clear();

    TShapedText shaped;
    if (!text.isEmpty() && IsSimpleText(text)) {
        QTextLayout layout(text, font.Font);
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        option.setFlags(QTextOption::IncludeTrailingSpaces);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setPosition(QPointF(0, 0));
        layout.endLayout();
        const qreal ascent = line.ascent();
        for (const QGlyphRun &run : layout.glyphRuns()) {
            if (run.rawFont() != font.Raw) {
                shaped.Plain = true; // a character from another font
                break;
            }
            shaped.Glyphs += run.glyphIndexes();
            for (const QPointF &p : run.positions())
                shaped.Positions.append(QPointF(p.x(), p.y() - ascent));
        }
        shaped.Width = qRound(line.horizontalAdvance());
    } else {
        shaped.Plain = !text.isEmpty();
    }
    if (shaped.Plain) {
        shaped.Glyphs.clear();
        shaped.Positions.clear();
        shaped.Width = font.Metrics.horizontalAdvance(text);
    }
    return *font.Texts.insert(text, std::move(shaped));
}

const TShapedText &TTextShaper::ShapeChar(int id, QChar c)
{
    constexpr char16_t Kept = 0x250; // Latin letters with their accents
    if (c.unicode() >= Kept)
        return Shape(id, QString(c));
    TFont &font = Entry(id);
    if (font.Chars.empty())
        font.Chars.resize(Kept);
    std::unique_ptr<TShapedText> &shaped = font.Chars[c.unicode()];
    if (!shaped)
        shaped = std::make_unique<TShapedText>(Shape(id, QString(c)));
    return *shaped;
}

void TGlyphFonts::Load(int id)
{
    if (id >= 0 && size_t(id) < m_loaded.size() && m_loaded[size_t(id)])
        return;
    if (size_t(id) >= m_loaded.size()) {
        m_fonts.resize(size_t(id) + 1);
        m_raw.resize(size_t(id) + 1);
        m_loaded.resize(size_t(id) + 1);
    }
    m_fonts[size_t(id)] = m_table.Font(id);
    m_raw[size_t(id)] = QRawFont::fromFont(m_fonts[size_t(id)]);
    m_loaded[size_t(id)] = true;
}

const QFont &TGlyphFonts::Font(int id)
{
    Load(id);
    return m_fonts[size_t(id)];
}

const QRawFont &TGlyphFonts::RawFont(int id)
{
    Load(id);
    return m_raw[size_t(id)];
}

void TGlyphPage::Add(int font, const QString &text, const TShapedText &shaped, const QPoint &origin)
{
    if (shaped.Glyphs.isEmpty() && !shaped.Plain)
        return;
    if (shaped.Plain) {
        m_plain.append({font, text, origin});
        return;
    }
    TRun *run = nullptr;
    for (TRun &r : m_runs)
        if (r.Font == font) {
            run = &r;
            break;
        }
    if (!run) {
        m_runs.append({font, {}, {}});
        run = &m_runs.last();
    }
    run->Glyphs += shaped.Glyphs;
    // No exact reserve here: it would reallocate the run on every text.
    for (const QPointF &p : shaped.Positions)
        run->Positions.append(p + QPointF(origin));
}

void TGlyphPage::Draw(QPainter &painter, TGlyphFonts &fonts) const
{
    for (const TRun &run : m_runs) {
        QGlyphRun glyphs;
        glyphs.setRawFont(fonts.RawFont(run.Font));
        glyphs.setGlyphIndexes(run.Glyphs);
        glyphs.setPositions(run.Positions);
        painter.drawGlyphRun(QPointF(0, 0), glyphs);
    }
    if (m_plain.isEmpty())
        return;
    const QFont before = painter.font();
    for (const TPlain &plain : m_plain) {
        painter.setFont(fonts.Font(plain.Font));
        painter.drawText(plain.Origin, plain.Text);
    }
    painter.setFont(before);
}

int TGlyphPage::GlyphCount() const
{
    int n = 0;
    for (const TRun &run : m_runs)
        n += int(run.Glyphs.size());
    return n;
}

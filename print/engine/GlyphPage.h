#pragma once

#include <QFont>
#include <QHash>
#include <QList>
#include <QPoint>
#include <QPointF>
#include <QRawFont>
#include <QString>

#include <memory>
#include <mutex>
#include <vector>

class QPainter;

// The fonts of one print job, numbered in the order they are first used. Any
// thread may add fonts. A laid-out page names its fonts by number, so that the
// thread that draws it builds its own font objects: fonts and their engines
// must not be shared between threads.
class TFontTable
{
public:
    // The number of font (adding it when new).
    int Add(const QFont &font);
    // A new font object equal to font number id, for the calling thread.
    QFont Font(int id) const;
    int Count() const;

private:
    struct TEntry
    {
        QString Key;
        QFont::HintingPreference Hinting = QFont::PreferDefaultHinting;
        QFont::StyleStrategy Strategy = QFont::PreferDefault;
    };
    static QFont Make(const TEntry &entry);
    mutable std::mutex m_mutex;
    std::vector<TEntry> m_fonts;
};

// A text shaped in one font, ready to be put on a page.
struct TShapedText
{
    int Width = 0; // whole pixels, as QFontMetrics::horizontalAdvance gives it
    // Drawn as text, not as glyphs: some character needs another font or a
    // layout of its own (direction, controls).
    bool Plain = false;
    QList<quint32> Glyphs;
    QList<QPointF> Positions; // from the start of the baseline
};

// Lays out texts for one thread and keeps each distinct text of a font laid
// out once. Not thread-safe: every thread has its own, all on one font table.
class TTextShaper
{
public:
    explicit TTextShaper(TFontTable &fonts);
    ~TTextShaper();
    TTextShaper(const TTextShaper &) = delete;
    TTextShaper &operator=(const TTextShaper &) = delete;

    TFontTable &Fonts() const { return m_fonts; }
    // The font's number in the table; font objects equal to one seen before
    // cost a comparison.
    int FontId(const QFont &font);
    // The height and ascent of font id, as QFontMetrics gives them.
    int Height(int id);
    int Ascent(int id);
    // text laid out in font id; the reference stays valid until the next call.
    const TShapedText &Shape(int id, const QString &text);
    // The width of text in font id (TShapedText::Width) without its glyphs:
    // a measure for breaking lines, cheaper than the whole layout.
    int Width(int id, const QString &text);
    // The same for one character; kept apart from the texts, by its code.
    const TShapedText &ShapeChar(int id, QChar c);

    // Texts kept per font before the cache starts afresh: a job of many
    // different names must not hold them all.
    static constexpr int CacheLimit = 1024;

private:
    struct TFont;
    TFont &Entry(int id);
    TFontTable &m_fonts;
    std::vector<std::unique_ptr<TFont>> m_byId;
    int m_lastId = -1; // the font asked for last, as a font object
    QFont m_lastFont;
};

// The fonts of a job as one drawing thread uses them.
class TGlyphFonts
{
public:
    explicit TGlyphFonts(const TFontTable &table) : m_table(table) {}
    const QFont &Font(int id);
    const QRawFont &RawFont(int id);

private:
    void Load(int id);
    const TFontTable &m_table;
    std::vector<QFont> m_fonts;
    std::vector<QRawFont> m_raw;
    std::vector<bool> m_loaded;
};

// The text of one page, gathered: one glyph run per font, drawn in one call
// each, and the few texts that must be drawn as text. Lengths are device
// pixels of the page.
class TGlyphPage
{
public:
    // text in font id, its baseline starting at origin.
    // text is needed only for a plain one.
    void Add(int font, const QString &text, const TShapedText &shaped, const QPoint &origin);
    // Draws the page with the painter's pen, the glyph runs first.
    void Draw(QPainter &painter, TGlyphFonts &fonts) const;
    bool IsEmpty() const { return m_runs.isEmpty() && m_plain.isEmpty(); }
    int GlyphCount() const;
    int PlainCount() const { return int(m_plain.size()); }
    bool operator==(const TGlyphPage &) const = default;

private:
    struct TRun
    {
        int Font = 0;
        QList<quint32> Glyphs;
        QList<QPointF> Positions;
        bool operator==(const TRun &) const = default;
    };
    struct TPlain
    {
        int Font = 0;
        QString Text;
        QPoint Origin;
        bool operator==(const TPlain &) const = default;
    };
    QList<TRun> m_runs;
    QList<TPlain> m_plain;
};

#include "print/engine/GlyphPage.h"
#include "print/engine/ZorCanvas.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QtTest>

#include <thread>

namespace {

constexpr int Dpi = 600;

QImage Sheet()
{
    QImage image(QSize(1400, 700), QImage::Format_RGB32);
    image.fill(Qt::white);
    const int dpm = qRound(Dpi / 0.0254);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    return image;
}

QFont TestFont(TFontStyles style = {}, int points = 10)
{
    return DeviceFont(QStringLiteral("Arial"), points, style, Dpi);
}

// Texts as slips carry them: kerning pairs, Bosnian letters, digits with
// separators, a trailing blank, a ligature candidate, an ellipsis.
const QStringList Texts{
    QStringLiteral(" AVA To Wa"),      QStringLiteral("Šćepan Đurđević, Žepče"),
    QStringLiteral("=1.234.567,89"),   QStringLiteral(" Ured fi fl "),
    QStringLiteral("Zmaja od Bosne…"), QStringLiteral("x"),
};

// Writes every text with each alignment code, through canvas.
void WriteAll(TZorCanvas &canvas, const QList<QFont> &fonts)
{
    float y = 2;
    for (const QFont &font : fonts) {
        canvas.SetFont(font);
        for (const QString &text : Texts) {
            for (unsigned align : {1u, 5u, 9u})
                canvas.TextOut(text, align, 10 + 18 * float(align), y);
            canvas.CharOut(text.back(), 8, 55.5f, y);
            y += 3.1f;
        }
    }
}

struct TInkDifference
{
    int Pixels = 0;  // pixels of another grey
    int Largest = 0; // the largest difference of grey
};

TInkDifference Difference(const QImage &a, const QImage &b)
{
    TInkDifference d;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const int grey = qAbs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
            if (grey) {
                ++d.Pixels;
                d.Largest = qMax(d.Largest, grey);
            }
        }
    return d;
}

} // namespace

class tst_GlyphPage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shapedWidthsAreTheFontMetrics();
    void gatheredTextInksAsDrawnText();
    void unusualTextIsDrawnAsText();
    void fontTableRebuildsEqualFonts();
    void threadsLayOutAlike();
};

void tst_GlyphPage::shapedWidthsAreTheFontMetrics()
{
    // Lines are broken and boxes centred by these widths: they must be the
    // painter's to the pixel, for texts, characters and measures alike.
    TFontTable fonts;
    TTextShaper shaper(fonts);
    for (const QFont &font : {TestFont(), TestFont(TFontStyle::Bold, 12)}) {
        const QFontMetrics fm(font);
        const int id = shaper.FontId(font);
        QCOMPARE(shaper.Height(id), fm.height());
        QCOMPARE(shaper.Ascent(id), fm.ascent());
        for (const QString &text : Texts) {
            for (qsizetype n = 1; n <= text.size(); ++n) {
                const QString prefix = text.left(n);
                QCOMPARE(shaper.Shape(id, prefix).Width, fm.horizontalAdvance(prefix));
                QCOMPARE(shaper.Width(id, prefix), fm.horizontalAdvance(prefix));
            }
            for (const QChar c : text)
                QCOMPARE(shaper.ShapeChar(id, c).Width, fm.horizontalAdvance(c));
        }
    }
    QCOMPARE(fonts.Count(), 2);
}

void tst_GlyphPage::gatheredTextInksAsDrawnText()
{
    const QList<QFont> fonts{TestFont(), TestFont(TFontStyle::Bold, 12),
                             TestFont(TFontStyle::Italic, 8)};
    QImage drawn = Sheet();
    {
        QPainter painter(&drawn);
        painter.setBrush(Qt::NoBrush);
        TZorCanvas canvas(&painter);
        canvas.Scale = Dpi / 25.4f;
        canvas.OffsetX = -1.25f;
        WriteAll(canvas, fonts);
    }
    TFontTable table;
    TTextShaper shaper(table);
    TGlyphPage page;
    TZorCanvas gathering;
    gathering.Scale = Dpi / 25.4f;
    gathering.OffsetX = -1.25f;
    gathering.Shaper = &shaper;
    gathering.Glyphs = &page;
    WriteAll(gathering, fonts);
    // One run per font, every text in it.
    QCOMPARE(page.PlainCount(), 0);
    QVERIFY(page.GlyphCount() > 300);

    QImage gathered = Sheet();
    {
        QPainter painter(&gathered);
        TGlyphFonts drawFonts(table);
        page.Draw(painter, drawFonts);
    }
    // The raster engine may shade an edge pixel of a glyph a little otherwise
    // (its glyph cache); a glyph out of place would change hundreds, fully.
    const TInkDifference d = Difference(drawn, gathered);
    QVERIFY2(d.Pixels < 40 && d.Largest < 128,
             qPrintable(QStringLiteral("%1 pixels, up to %2").arg(d.Pixels).arg(d.Largest)));
}

void tst_GlyphPage::unusualTextIsDrawnAsText()
{
    // Right-to-left words, tabs and characters from another font are left to
    // the painter's own layout, and still land where drawn text does.
    const QStringList texts{QStringLiteral("a\tb"), QStringLiteral("שלום abc"),
                            QStringLiteral("漢字 ok")};
    const QFont font = TestFont();
    QImage drawn = Sheet();
    {
        QPainter painter(&drawn);
        TZorCanvas canvas(&painter);
        canvas.Scale = Dpi / 25.4f;
        canvas.SetFont(font);
        painter.setBrush(Qt::NoBrush);
        for (int i = 0; i < texts.size(); ++i)
            canvas.TextOut(texts[i], 7, 5, 10 + 8 * float(i));
    }
    TFontTable table;
    TTextShaper shaper(table);
    TGlyphPage page;
    TZorCanvas gathering;
    gathering.Scale = Dpi / 25.4f;
    gathering.Shaper = &shaper;
    gathering.Glyphs = &page;
    gathering.SetFont(font);
    for (int i = 0; i < texts.size(); ++i)
        gathering.TextOut(texts[i], 7, 5, 10 + 8 * float(i));
    QCOMPARE(page.PlainCount(), 3);
    QImage gathered = Sheet();
    {
        QPainter painter(&gathered);
        TGlyphFonts drawFonts(table);
        page.Draw(painter, drawFonts);
    }
    QCOMPARE(Difference(drawn, gathered).Pixels, 0);
}

void tst_GlyphPage::fontTableRebuildsEqualFonts()
{
    TFontTable table;
    const QList<QFont> fonts{TestFont(), TestFont(TFontStyle::Bold | TFontStyle::Underline),
                             TestFont(TFontStyle::Italic | TFontStyle::StrikeOut, 14),
                             DeviceFont(QStringLiteral("Courier New"), 9, {}, 1200)};
    for (int i = 0; i < fonts.size(); ++i)
        QCOMPARE(table.Add(fonts[i]), i);
    QCOMPARE(table.Add(TestFont()), 0); // an equal font is the same entry
    for (int i = 0; i < fonts.size(); ++i) {
        const QFont rebuilt = table.Font(i);
        QCOMPARE(rebuilt, fonts[i]);
        QCOMPARE(rebuilt.hintingPreference(), QFont::PreferNoHinting);
    }
}

void tst_GlyphPage::threadsLayOutAlike()
{
    // Each thread measures with its own font objects; pages come out equal.
    TFontTable table;
    const auto layOut = [&table](TGlyphPage &page) {
        TTextShaper shaper(table);
        TZorCanvas canvas;
        canvas.Scale = Dpi / 25.4f;
        canvas.Shaper = &shaper;
        canvas.Glyphs = &page;
        WriteAll(canvas, {TestFont(), TestFont(TFontStyle::Bold, 12)});
    };
    TGlyphPage here;
    layOut(here);
    TGlyphPage a;
    TGlyphPage b;
    std::thread first([&] { layOut(a); });
    std::thread second([&] { layOut(b); });
    first.join();
    second.join();
    QVERIFY(!here.IsEmpty());
    QVERIFY(a == here);
    QVERIFY(b == here);
    QCOMPARE(table.Count(), 2);
}

QTEST_MAIN(tst_GlyphPage)
#include "tst_glyphpage.moc"

#include "controls/SlipTileDelegate.h"

#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtTest>

namespace {

const QRect ItemRect(0, 0, 160, TSlipTileDelegate::ItemHeight);

// One tile as the delegate draws it on a white image.
QImage Tile(const QString &text, bool selected, const QFont &font = QApplication::font(),
            bool focused = false)
{
    QStandardItemModel model;
    model.appendRow(new QStandardItem(text));
    QStyleOptionViewItem option;
    option.rect = ItemRect;
    option.palette = QApplication::palette();
    option.font = font;
    option.state = QStyle::State_Enabled;
    if (selected)
        option.state |= QStyle::State_Selected;
    if (focused)
        option.state |= QStyle::State_HasFocus;

    QImage image(ItemRect.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    TSlipTileDelegate().paint(&p, option, model.index(0, 0));
    return image;
}

// A push button drawn by the style itself.
QImage Button(bool pressed)
{
    QStyleOptionButton option;
    option.rect = ItemRect;
    option.palette = QApplication::palette();
    option.state = QStyle::State_Enabled | (pressed ? QStyle::State_Sunken : QStyle::State_Raised);
    QImage image(ItemRect.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    QApplication::style()->drawControl(QStyle::CE_PushButton, &option, &p);
    return image;
}

// Bounding box of the pixels in which a and b differ.
QRect Difference(const QImage &a, const QImage &b)
{
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

class TestSlipTileDelegate : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void buttonFace()
    {
        // Without text a tile is exactly the style's push button, pressed when selected.
        QCOMPARE(Tile({}, false), Button(false));
        QCOMPARE(Tile({}, true), Button(true));
        QVERIFY(Button(false) != Button(true));
    }

    // The tile the keyboard is on is framed inside its button, selected or
    // not, so a keyboard user sees which slip Space or Ctrl+arrows act on.
    void focusedTileIsFramed()
    {
        for (const bool selected : {false, true}) {
            const QRect frame =
                Difference(Tile({}, selected, QApplication::font(), true), Tile({}, selected));
            QVERIFY2(!frame.isEmpty(), selected ? "selected" : "not selected");
            QVERIFY(ItemRect.adjusted(2, 1, -2, -1).contains(frame));
            // A frame round the tile's middle, not a mark in one corner.
            QVERIFY(frame.width() > ItemRect.width() / 2);
            QVERIFY(frame.height() > ItemRect.height() / 2);
        }
    }

    void selectedTextMovesByOnePixel()
    {
        const QString text = QStringLiteral("Struja");
        const QRect normal = Difference(Tile(text, false), Tile({}, false));
        const QRect pressed = Difference(Tile(text, true), Tile({}, true));
        QVERIFY(!normal.isEmpty());
        QCOMPARE(pressed, normal.translated(1, 1));
        // The text starts at the top-left of the space inside the frame.
        QVERIFY(normal.left() >= 3 && normal.left() <= 5);
        QVERIFY(normal.top() >= 1);
    }

    void longTextWrapsWithinTile()
    {
        const QFont font = SlipTileFont(QApplication::font());
        const int line = QFontMetrics(font).height();
        QVERIFY(2 * line <= TSlipTileDelegate::ItemHeight - 2);

        const QString one = QStringLiteral("Voda");
        const QString many = QStringLiteral("Voda kanalizacija odvoz smeća i održavanje zgrade za "
                                            "cijelu godinu unaprijed po računu broj 15");
        const QRect oneRow = Difference(Tile(one, false, font), Tile({}, false, font));
        const QRect rows = Difference(Tile(many, false, font), Tile({}, false, font));
        // Two rows, not more, and nothing drawn over the frame.
        QVERIFY(rows.height() > line);
        QVERIFY(rows.height() <= 2 * line);
        QVERIFY(rows.bottom() < ItemRect.bottom());
        QVERIFY(rows.right() <= ItemRect.right() - 3);
        QCOMPARE(rows.top(), oneRow.top());
    }

    void tilesFillTheList()
    {
        QListWidget list;
        list.setItemDelegate(new TSlipTileDelegate(&list));
        list.addItems({QStringLiteral("A"), QStringLiteral("B")});
        list.resize(200, 150);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QRect r = list.visualItemRect(list.item(1));
        QCOMPARE(r.height(), TSlipTileDelegate::ItemHeight);
        QCOMPARE(r.top(), TSlipTileDelegate::ItemHeight);
        QCOMPARE(r.width(), list.viewport()->width());
    }

    void tileFontFitsTwoRows()
    {
        QFont big = QApplication::font();
        big.setPixelSize(40);
        const QFont fitted = SlipTileFont(big);
        QVERIFY(2 * QFontMetrics(fitted).height() <= TSlipTileDelegate::ItemHeight - 2);
        QFont small = QApplication::font();
        small.setPixelSize(9);
        QCOMPARE(SlipTileFont(small), small);
    }
};

QTEST_MAIN(TestSlipTileDelegate)
#include "tst_sliptiledelegate.moc"

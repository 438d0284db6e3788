#include "controls/SlipTileDelegate.h"

#include "print/engine/ZorTextBox.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

// Room the button's frame takes at the sides and at the top and bottom.
constexpr int FrameX = 3;
constexpr int FrameY = 1;

} // namespace

QRect SlipTileTextRect(const QRect &item, bool selected)
{
    QRect r = item.adjusted(FrameX, FrameY, -FrameX, -FrameY);
    if (selected)
        r.translate(1, 1);
    return r;
}

QFont SlipTileFont(const QFont &base)
{
    const int room = TSlipTileDelegate::ItemHeight - 2 * FrameY;
    if (2 * QFontMetrics(base).height() <= room)
        return base;
    QFont font = base;
    int px = QFontInfo(base).pixelSize();
    while (px > 8) {
        --px;
        font.setPixelSize(px);
        if (2 * QFontMetrics(font).height() <= room)
            break;
    }
    return font;
}

void TSlipTileDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();

    QStyleOptionButton button;
    button.rect = option.rect;
    button.palette = option.palette;
    button.direction = option.direction;
    button.fontMetrics = option.fontMetrics;
    button.styleObject = nullptr;
    button.state = option.state & QStyle::State_Enabled;
    button.state |= selected ? QStyle::State_Sunken : QStyle::State_Raised;

    painter->save();
    style->drawControl(QStyle::CE_PushButton, &button, painter, widget);

    TZorTextBox box(painter);
    box.Ellipsis = true;
    box.NoBorders();
    box.Font = option.font;
    box.TextColor = option.palette.color(
        (option.state & QStyle::State_Enabled) ? QPalette::Active : QPalette::Disabled,
        QPalette::ButtonText);
    box.SetRect(SlipTileTextRect(option.rect, selected));
    box.Draw(index.data(Qt::DisplayRole).toString());

    // The slip the keyboard is on (Up, Down, Space in the list) is framed,
    // selected or not.
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.rect = option.rect.adjusted(FrameX + 1, FrameY + 2, -FrameX - 1, -FrameY - 2);
        focus.palette = option.palette;
        focus.direction = option.direction;
        focus.fontMetrics = option.fontMetrics;
        // Shown also after a click: the list takes the focus only by keyboard.
        focus.state = QStyle::State_KeyboardFocusChange | QStyle::State_Item;
        focus.backgroundColor = option.palette.color(QPalette::Button);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
    painter->restore();
}

QSize TSlipTileDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    // The list lays the tiles out over its whole width.
    return {0, ItemHeight};
}

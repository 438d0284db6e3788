#pragma once

#include <QStyledItemDelegate>

// Draws the items of a slip list as push-button tiles: a raised button for an
// item, a pressed one for a selected item, the item's text (the slip's
// description) wrapped at word boundaries inside it and cut off with "…" when
// it does not fit. Used by the slip list of the main window and by the preview
// panel of the slip-file dialogs.
class TSlipTileDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static constexpr int ItemHeight = 32;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

// The rectangle the text of a tile is drawn in: inside the button's frame, one
// pixel right and down when the button is pressed.
QRect SlipTileTextRect(const QRect &item, bool selected);

// base, or a smaller copy of it when two lines of base do not fit into a
// tile. Owners of a slip list give the list this font so that a description
// wraps onto two rows as it does with the classic 8-point dialog font.
QFont SlipTileFont(const QFont &base);

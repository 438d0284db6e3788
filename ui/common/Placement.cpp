#include "ui/common/Placement.h"

#include "core/WindowPlacement.h"

#include <QHeaderView>
#include <QTreeView>
#include <QWidget>

namespace {

QString NameOf(const QWidget *window, const QString &name)
{
    return name.isEmpty() ? window->objectName() : name;
}

// Bounds as stored: the frame's top-left and the widget's size.
QRect StoredBounds(const QWidget *window)
{
    const QRect normal = window->normalGeometry();
    if ((window->isMaximized() || window->isMinimized()) && normal.isValid()) {
        const QPoint frameOffset = window->geometry().topLeft() - window->pos();
        return QRect(normal.topLeft() - frameOffset, normal.size());
    }
    return QRect(window->pos(), window->size());
}

} // namespace

void RestorePlacement(QWidget *window, const QString &name, bool sizeable)
{
    const TPlacement stored = ReadPlacement(NameOf(window, name), sizeable);
    const QRect bounds = ApplyPlacement(QRect(window->pos(), window->size()), stored);
    if (stored.Top || stored.Left)
        window->move(bounds.topLeft());
    if (stored.Height || stored.Width)
        window->resize(bounds.size());
}

bool SavePlacement(const QWidget *window, const QString &name, bool sizeable)
{
    return WritePlacement(NameOf(window, name), StoredBounds(window), sizeable);
}

void RestoreColumnWidths(QHeaderView *header, const QString &parentName, const QString &listName)
{
    const QList<std::optional<int>> widths =
        ReadColumnWidths(parentName, listName, header->count());
    for (int i = 0; i < widths.size(); ++i)
        if (widths[i])
            header->resizeSection(i, *widths[i]);
}

void RestoreColumnWidths(QTreeView *view, const QString &parentName, const QString &listName)
{
    RestoreColumnWidths(view->header(), parentName, listName);
}

bool SaveColumnWidths(const QHeaderView *header, const QString &parentName, const QString &listName)
{
    QList<int> widths;
    for (int i = 0; i < header->count(); ++i)
        widths.append(header->sectionSize(i));
    return WriteColumnWidths(parentName, listName, widths);
}

bool SaveColumnWidths(const QTreeView *view, const QString &parentName, const QString &listName)
{
    return SaveColumnWidths(view->header(), parentName, listName);
}

#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

class QSettings;

// Window placements and list-view column widths in the settings store (see
// Settings.h), all integers in screen pixels:
//   Forms/<WindowName>/Top, Left, and for sizeable windows Height, Width;
//   Forms/<ParentWindow>/<ListName>/0, 1, ...: the width of each column.
// Values are taken as they are: a window restored off the visible screen
// stays there.

QString PlacementKey(const QString &windowName);
QString ColumnsKey(const QString &parentName, const QString &listName);

// The stored values of one window; a missing (or non-numeric) value is empty.
struct TPlacement
{
    std::optional<int> Top;
    std::optional<int> Left;
    std::optional<int> Height;
    std::optional<int> Width;

    friend bool operator==(const TPlacement &, const TPlacement &) = default;
};

// Reads Top and Left, and Height and Width only for a sizeable window.
TPlacement ReadPlacement(const QSettings &store, const QString &windowName, bool sizeable);
// Writes Top and Left of the bounds, and Height and Width for a sizeable window.
void WritePlacement(QSettings &store, const QString &windowName, const QRect &bounds,
                    bool sizeable);
// The designed bounds with every stored value put in place; a missing value
// keeps the designed one.
QRect ApplyPlacement(const QRect &designed, const TPlacement &placement);

// The stored width of each of the first columnCount columns (empty where missing).
QList<std::optional<int>> ReadColumnWidths(const QSettings &store, const QString &parentName,
                                           const QString &listName, int columnCount);
// Writes the width of every column.
void WriteColumnWidths(QSettings &store, const QString &parentName, const QString &listName,
                       const QList<int> &widths);

// The same on the program's settings store (OpenSettings()).
TPlacement ReadPlacement(const QString &windowName, bool sizeable);
bool WritePlacement(const QString &windowName, const QRect &bounds, bool sizeable);
QList<std::optional<int>> ReadColumnWidths(const QString &parentName, const QString &listName,
                                           int columnCount);
bool WriteColumnWidths(const QString &parentName, const QString &listName,
                       const QList<int> &widths);

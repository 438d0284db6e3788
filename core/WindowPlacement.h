#pragma once

#include <QList>
#include <QMargins>
#include <QRect>
#include <QString>

#include <optional>

class QSettings;

// Window placements and list-view column widths in the settings store (see
// Settings.h), all integers in screen pixels:
//   Forms/<WindowName>/Top, Left, and for sizeable windows Height, Width;
//   Forms/<ParentWindow>/<ListName>/0, 1, ...: the width of each column.
// Values are taken as they are; FitOnScreens then puts a window restored off
// the visible screen (a screen since removed, a smaller desktop) back on it.

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

// Bounds (the frame's top-left, the client size) of a window whose frame adds
// frame around the client, moved so that the whole frame lies inside the
// available area of the screen it overlaps most (the first screen when it
// overlaps none). A sizeable window larger than that area is made smaller; a
// fixed one is put at the area's top-left, so that its title bar can be
// reached. No screens: the bounds as they are.
QRect FitOnScreens(const QRect &bounds, const QMargins &frame, const QList<QRect> &screens,
                   bool sizeable);

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

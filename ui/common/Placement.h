#pragma once

#include <QString>

class QHeaderView;
class QTreeView;
class QWidget;

// Window placement and list-view column widths kept in the settings store
// (core/WindowPlacement.h holds the keys and the rules). Top and Left are the
// window's position including its frame (QWidget::pos), Height and Width its
// size (QWidget::size).

// Called when a window is created: puts the stored Top and Left (and, for a
// sizeable window, Height and Width) in place; missing values keep the
// designed ones; then KeepOnScreen. An empty name takes the window's
// objectName().
void RestorePlacement(QWidget *window, const QString &name, bool sizeable);
// Called when a window is destroyed: writes Top and Left (and Height and
// Width for a sizeable window). A maximised or minimised window writes its
// normal bounds, so that it does not come back as a screen-sized or
// off-screen window. A window never shown writes nothing: its position is
// no place the user chose. False when the store could not be written.
bool SavePlacement(const QWidget *window, const QString &name, bool sizeable);

// Moves the window (and makes a sizeable one smaller) so that it lies, frame
// included, inside the available area of its screen (FitOnScreens with the
// program's screens). Before the window has a frame, a usual frame is
// assumed.
void KeepOnScreen(QWidget *window, bool sizeable);
// Installs, once, an application-wide watcher that runs KeepOnScreen for
// every window and dialog as it is shown, and makes a dialog wide enough for
// its whole title.
void InstallScreenKeeper();

// Column widths of a list view under Forms/<parentName>/<listName>/<index>.
void RestoreColumnWidths(QHeaderView *header, const QString &parentName, const QString &listName);
void RestoreColumnWidths(QTreeView *view, const QString &parentName, const QString &listName);
bool SaveColumnWidths(const QHeaderView *header, const QString &parentName,
                      const QString &listName);
bool SaveColumnWidths(const QTreeView *view, const QString &parentName, const QString &listName);

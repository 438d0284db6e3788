#include "ui/common/Placement.h"

#include "core/WindowPlacement.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QHeaderView>
#include <QScreen>
#include <QTreeView>
#include <QWidget>

#include <algorithm>

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

// The frame a window manager usually puts around a window, for windows that
// have none yet.
constexpr QMargins UsualFrame(4, 30, 4, 4);

QMargins FrameOf(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    if (frame == client)
        return UsualFrame;
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
}

QList<QRect> AvailableAreas()
{
    QList<QRect> areas;
    // The primary screen first: a window on no screen goes there.
    if (const QScreen *primary = QGuiApplication::primaryScreen())
        areas.append(primary->availableGeometry());
    for (const QScreen *screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen())
            areas.append(screen->availableGeometry());
    return areas;
}

bool Resizable(const QWidget *window)
{
    return window->minimumSize() != window->maximumSize();
}

// Keeps shown windows on the screen and dialog titles whole.
class TScreenKeeper : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto *window = static_cast<QWidget *>(watched);
        if (!window->isWindow() || (window->windowType() & Qt::Popup) == Qt::Popup ||
            window->windowType() == Qt::ToolTip)
            return false;
        if (qobject_cast<QDialog *>(window))
            WidenForTitle(window);
        KeepOnScreen(window, Resizable(window));
        return false;
    }

private:
    static void WidenForTitle(QWidget *dialog)
    {
        const QString title = dialog->windowTitle();
        if (title.isEmpty())
            return;
        // The title bar's font is the window manager's; a bold application
        // font with room for the icon and the buttons is a fair measure.
        QFont font = QApplication::font();
        font.setBold(true);
        const int needed = QFontMetrics(font).horizontalAdvance(title) + 120;
        if (dialog->width() >= needed)
            return;
        if (!Resizable(dialog))
            dialog->setFixedWidth(needed);
        else if (dialog->maximumWidth() >= needed)
            dialog->resize(needed, dialog->height());
    }
};

} // namespace

void KeepOnScreen(QWidget *window, bool sizeable)
{
    const QRect bounds(window->pos(), window->size());
    const QRect fitted = FitOnScreens(bounds, FrameOf(window), AvailableAreas(), sizeable);
    if (fitted.size() != bounds.size())
        window->resize(fitted.size());
    if (fitted.topLeft() != bounds.topLeft())
        window->move(fitted.topLeft());
}

void InstallScreenKeeper()
{
    static TScreenKeeper *keeper = nullptr;
    if (keeper || !qApp)
        return;
    keeper = new TScreenKeeper(qApp);
    qApp->installEventFilter(keeper);
}

void RestorePlacement(QWidget *window, const QString &name, bool sizeable)
{
    const TPlacement stored = ReadPlacement(NameOf(window, name), sizeable);
    const QRect bounds = ApplyPlacement(QRect(window->pos(), window->size()), stored);
    if (stored.Top || stored.Left)
        window->move(bounds.topLeft());
    if (stored.Height || stored.Width)
        window->resize(bounds.size());
    if (stored.Top || stored.Left || stored.Height || stored.Width)
        KeepOnScreen(window, sizeable);
}

bool SavePlacement(const QWidget *window, const QString &name, bool sizeable)
{
    if (!window->windowHandle())
        return true; // never shown: nothing the user placed
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

#include "core/WindowPlacement.h"

#include "core/Settings.h"

#include <QSettings>

#include <algorithm>

namespace {

const QString kTop = QStringLiteral("Top");
const QString kLeft = QStringLiteral("Left");
const QString kHeight = QStringLiteral("Height");
const QString kWidth = QStringLiteral("Width");

std::optional<int> ReadInt(const QSettings &store, const QString &key)
{
    return SettingsInt(store.value(key));
}

bool Written(QSettings &store)
{
    store.sync();
    return store.status() == QSettings::NoError;
}

} // namespace

QString PlacementKey(const QString &windowName)
{
    return QStringLiteral("Forms/") + windowName;
}

QString ColumnsKey(const QString &parentName, const QString &listName)
{
    return PlacementKey(parentName) + QLatin1Char('/') + listName;
}

TPlacement ReadPlacement(const QSettings &store, const QString &windowName, bool sizeable)
{
    const QString key = PlacementKey(windowName) + QLatin1Char('/');
    TPlacement p;
    p.Top = ReadInt(store, key + kTop);
    p.Left = ReadInt(store, key + kLeft);
    if (sizeable) {
        p.Height = ReadInt(store, key + kHeight);
        p.Width = ReadInt(store, key + kWidth);
    }
    return p;
}

void WritePlacement(QSettings &store, const QString &windowName, const QRect &bounds, bool sizeable)
{
    const QString key = PlacementKey(windowName) + QLatin1Char('/');
    store.setValue(key + kTop, bounds.top());
    store.setValue(key + kLeft, bounds.left());
    if (sizeable) {
        store.setValue(key + kHeight, bounds.height());
        store.setValue(key + kWidth, bounds.width());
    }
}

QRect ApplyPlacement(const QRect &designed, const TPlacement &placement)
{
    const QRect r(placement.Left.value_or(designed.left()), placement.Top.value_or(designed.top()),
                  placement.Width.value_or(designed.width()),
                  placement.Height.value_or(designed.height()));
    return r;
}

QRect FitOnScreens(const QRect &bounds, const QMargins &frame, const QList<QRect> &screens,
                   bool sizeable)
{
    if (screens.isEmpty())
        return bounds;
    const QSize extra(frame.left() + frame.right(), frame.top() + frame.bottom());
    QRect outer(bounds.topLeft(), bounds.size() + extra);
    QRect area = screens.first();
    long long best = 0;
    for (const QRect &screen : screens) {
        const QRect common = screen.intersected(outer);
        const long long size = common.isEmpty() ? 0 : 1LL * common.width() * common.height();
        if (size > best) {
            best = size;
            area = screen;
        }
    }
    if (sizeable)
        outer.setSize(outer.size().boundedTo(area.size()));
    const auto place = [](int at, int length, int start, int room) {
        if (length >= room)
            return start;
        return std::clamp(at, start, start + room - length);
    };
    outer.moveTo(place(outer.x(), outer.width(), area.x(), area.width()),
                 place(outer.y(), outer.height(), area.y(), area.height()));
    return QRect(outer.topLeft(), outer.size() - extra);
}

QList<std::optional<int>> ReadColumnWidths(const QSettings &store, const QString &parentName,
                                           const QString &listName, int columnCount)
{
    const QString key = ColumnsKey(parentName, listName) + QLatin1Char('/');
    QList<std::optional<int>> widths;
    for (int i = 0; i < columnCount; ++i)
        widths.append(ReadInt(store, key + QString::number(i)));
    return widths;
}

void WriteColumnWidths(QSettings &store, const QString &parentName, const QString &listName,
                       const QList<int> &widths)
{
    const QString key = ColumnsKey(parentName, listName) + QLatin1Char('/');
    for (int i = 0; i < widths.size(); ++i)
        store.setValue(key + QString::number(i), widths[i]);
}

TPlacement ReadPlacement(const QString &windowName, bool sizeable)
{
    return ReadPlacement(*OpenSettings(), windowName, sizeable);
}

bool WritePlacement(const QString &windowName, const QRect &bounds, bool sizeable)
{
    const auto store = OpenSettings();
    WritePlacement(*store, windowName, bounds, sizeable);
    return Written(*store);
}

QList<std::optional<int>> ReadColumnWidths(const QString &parentName, const QString &listName,
                                           int columnCount)
{
    return ReadColumnWidths(*OpenSettings(), parentName, listName, columnCount);
}

bool WriteColumnWidths(const QString &parentName, const QString &listName, const QList<int> &widths)
{
    const auto store = OpenSettings();
    WriteColumnWidths(*store, parentName, listName, widths);
    return Written(*store);
}

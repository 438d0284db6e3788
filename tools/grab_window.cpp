// Saves what an X window shows (or the whole screen) as a PNG, for the user
// guide's screenshots (scripts/screenshots.sh):
//   grab_window OUT.png [WINDOW_ID]
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: grab_window OUT.png [WINDOW_ID]\n");
        return 2;
    }
    bool ok = true;
    const WId window = args.size() == 3 ? WId(args.at(2).toULongLong(&ok, 0)) : 0;
    if (!ok) {
        std::fprintf(stderr, "not a window id: %s\n", qPrintable(args.at(2)));
        return 2;
    }
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(window);
    if (shot.isNull() || !shot.save(args.at(1), "PNG")) {
        std::fprintf(stderr, "cannot grab or save %s\n", qPrintable(args.at(1)));
        return 1;
    }
    return 0;
}

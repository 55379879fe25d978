// appicongen: draws the application icon into an icon theme folder as PNG
// files, one per size a desktop asks for.
//
//   appicongen <theme-folder> <icon-name>
//
// writes <theme-folder>/<N>x<N>/apps/<icon-name>.png for N = 16, 32, 48, 64,
// 128 and 256 (the hicolor layout). The build runs it; the icons are the same
// artwork as the program's window icon.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>

#include <cstdio>

#include "mainwnd/AppArtwork.h"

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: appicongen <theme-folder> <icon-name>\n");
        return 2;
    }
    const QString theme = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString folder = theme + QStringLiteral("/%1x%1/apps").arg(size);
        const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !AppArtwork::AppIcon(size).toImage().save(file, "PNG")) {
            std::fprintf(stderr, "appicongen: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}

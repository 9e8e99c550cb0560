// Writes the program's artwork as <id>.png and <id>@2x.png into the folder given (res/icons in the source tree),
// and the application icon in the sizes desktops use as hicolor/<n>x<n>/apps/meshgate2.png beside them.
#include "widgets/gallery/icon_art.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <utility>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    QDir dir;
    if (!OutputFolder(argv[1], dir)) {
        return 1;
    }
    // The plain copy for ratio 1 and a sharp "@2x" one that screens of a higher ratio load instead.
    for (const auto& [ratio, suffix] : {std::pair{1.0, ""}, std::pair{2.0, "@2x"}}) {
        for (const IconArt& art : AllIconArt(ratio)) {
            const QString name = QString::number(art.id) + QLatin1String(suffix);
            if (!SavePng(dir, name, art.image)) {
                return 1;
            }
            std::printf("%s\n", qPrintable(dir.filePath(name + QStringLiteral(".png"))));
        }
    }
    // The same 32-pixel art at the ratio that makes it n pixels wide.
    for (int px : {32, 64, 128, 256}) {
        const QString name = QStringLiteral("hicolor/%1x%1/apps/meshgate2").arg(px);
        if (!dir.mkpath(QFileInfo(name).path()) || !SavePng(dir, name, DrawIconArt(128, px / 32.0))) {
            return 1;
        }
        std::printf("%s\n", qPrintable(dir.filePath(name + QStringLiteral(".png"))));
    }
    return 0;
}

// Writes the program's artwork as <id>.png into the folder given (res/icons in the source tree).
#include "icon_art.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

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
    for (const IconArt& art : AllIconArt()) {
        if (!SavePng(dir, QString::number(art.id), art.image)) {
            return 1;
        }
        std::printf("%s\n", qPrintable(dir.filePath(QStringLiteral("%1.png").arg(art.id))));
    }
    return 0;
}

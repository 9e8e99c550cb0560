// Writes the program's artwork as <id>.png and <id>@2x.png into the folder given (res/icons in the source tree),
// the application icon in the sizes desktops use as hicolor/<n>x<n>/apps/meshgate2.png beside them, and all of
// those sizes as the Windows icon meshgate2.ico in the folder above.
#include "widgets/gallery/icon_art.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

void PutLittle(QByteArray& out, int value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// An ICO file: a 6-byte header, a 16-byte entry per image (width and height 0 for 256), then the images.
bool SaveIco(const QString& path, const std::vector<QImage>& images)
{
    QByteArray header;
    QByteArray data;
    PutLittle(header, 0, 2);
    PutLittle(header, 1, 2); // an icon
    PutLittle(header, static_cast<int>(images.size()), 2);
    const int offset = 6 + 16 * static_cast<int>(images.size());
    for (const QImage& image : images) {
        QByteArray png;
        QBuffer buffer(&png);
        if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
            std::fprintf(stderr, "cannot encode a %d px icon\n", image.width());
            return false;
        }
        PutLittle(header, image.width() % 256, 1);
        PutLittle(header, image.height() % 256, 1);
        PutLittle(header, 0, 2);  // no palette, reserved
        PutLittle(header, 1, 2);  // planes
        PutLittle(header, 32, 2); // bits per pixel
        PutLittle(header, static_cast<int>(png.size()), 4);
        PutLittle(header, offset + static_cast<int>(data.size()), 4);
        data.append(png);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(header + data) != header.size() + data.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

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
    std::vector<QImage> sizes;
    for (int px : kApplicationIconSizes) {
        sizes.push_back(DrawApplicationIcon(px));
        const QString name = QStringLiteral("hicolor/%1x%1/apps/meshgate2").arg(px);
        if (!dir.mkpath(QFileInfo(name).path()) || !SavePng(dir, name, sizes.back())) {
            return 1;
        }
        std::printf("%s\n", qPrintable(dir.filePath(name + QStringLiteral(".png"))));
    }
    // The Windows icon beside the folder (res/meshgate2.ico): every size, each a PNG inside the ICO container.
    const QString ico = dir.filePath(QStringLiteral("../meshgate2.ico"));
    if (!SaveIco(ico, sizes)) {
        return 1;
    }
    std::printf("%s\n", qPrintable(QDir::cleanPath(ico)));
    return 0;
}

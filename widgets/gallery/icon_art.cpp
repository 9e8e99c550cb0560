#include "widgets/gallery/icon_art.h"

#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cstdio>

namespace {
constexpr int IconPx = 32;
const QColor Outline(40, 40, 48);

// A transparent image of w x h logical pixels; the painter scales what is drawn on it by its ratio.
QImage Blank(int w, int h, qreal ratio)
{
    QImage image(QSize(w, h) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    return image;
}

void Begin(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Outline, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

// Four nodes of a mesh, linked to each other.
void DrawMesh(QPainter& p, const QRectF& box, const QColor& link, const QColor& node)
{
    const QPointF pts[4] = {{box.left() + box.width() * 0.2, box.top() + box.height() * 0.25},
                            {box.left() + box.width() * 0.8, box.top() + box.height() * 0.2},
                            {box.left() + box.width() * 0.75, box.top() + box.height() * 0.8},
                            {box.left() + box.width() * 0.25, box.top() + box.height() * 0.75}};
    p.setPen(QPen(link, 1.6));
    for (int i = 0; i < 4; ++i) {
        for (int j = i + 1; j < 4; ++j) {
            p.drawLine(pts[i], pts[j]);
        }
    }
    p.setPen(QPen(Outline, 1));
    p.setBrush(node);
    for (const QPointF& pt : pts) {
        p.drawEllipse(pt, box.width() * 0.11, box.width() * 0.11);
    }
}

QImage ApplicationIcon(qreal ratio)
{
    QImage image = Blank(IconPx, IconPx, ratio);
    QPainter p(&image);
    Begin(p);
    QLinearGradient fill(0, 0, 0, IconPx);
    fill.setColorAt(0, QColor(40, 110, 200));
    fill.setColorAt(1, QColor(20, 55, 120));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
    DrawMesh(p, QRectF(5, 5, 22, 22), QColor(230, 240, 255), QColor(255, 200, 40));
    return image;
}

// The application icon below 32 px and at 48 px, drawn for its size: scaled down, the 32 px art blurs its
// mesh into a smudge. Here the nodes sit on pixel centres, are whole pixels wide, and the links are fewer
// where there is no room for all six.
struct SmallIconRow
{
    int px;
    QPointF nodes[4];
    qreal nodeRadius;
    qreal nodeOutline; // 0: none
    qreal linkWidth;
    bool diagonals; // both; else the one from the top left
    qreal corner;
};
constexpr SmallIconRow kSmallIcons[] = {
    {16, {{4.5, 5.5}, {11.5, 4.5}, {10.5, 11.5}, {5.5, 10.5}}, 1.5, 0, 1, false, 3},
    {24, {{7.5, 8.5}, {16.5, 7.5}, {15.5, 16.5}, {8.5, 15.5}}, 2.5, 1, 1, true, 4.5},
    {48, {{14.5, 15.5}, {33.5, 14.5}, {32.5, 33.5}, {15.5, 32.5}}, 3.5, 1, 2, true, 9},
};

QImage SmallApplicationIcon(const SmallIconRow& row)
{
    QImage image = Blank(row.px, row.px, 1.0);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient fill(0, 0, 0, row.px);
    fill.setColorAt(0, QColor(40, 110, 200));
    fill.setColorAt(1, QColor(20, 55, 120));
    p.setPen(QPen(Outline, 1));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, row.px - 1, row.px - 1), row.corner, row.corner);
    p.setPen(QPen(QColor(230, 240, 255), row.linkWidth, Qt::SolidLine, Qt::RoundCap));
    const QPointF* n = row.nodes;
    for (int i = 0; i < 4; ++i)
        p.drawLine(n[i], n[(i + 1) % 4]);
    p.drawLine(n[0], n[2]);
    if (row.diagonals)
        p.drawLine(n[1], n[3]);
    p.setPen(row.nodeOutline > 0 ? QPen(Outline, row.nodeOutline) : QPen(Qt::NoPen));
    p.setBrush(QColor(255, 200, 40));
    for (int i = 0; i < 4; ++i)
        p.drawEllipse(n[i], row.nodeRadius, row.nodeRadius);
    return image;
}

QImage ApplyIcon(qreal ratio)
{
    QImage image = Blank(IconPx, IconPx, ratio);
    QPainter p(&image);
    Begin(p);
    QPainterPath tick;
    tick.moveTo(4, 17);
    tick.lineTo(9, 12);
    tick.lineTo(13, 17);
    tick.lineTo(24, 5);
    tick.lineTo(29, 10);
    tick.lineTo(13, 27);
    tick.closeSubpath();
    p.setBrush(QColor(40, 170, 60));
    p.drawPath(tick);
    return image;
}

QImage SearchIcon(qreal ratio)
{
    QImage image = Blank(IconPx, IconPx, ratio);
    QPainter p(&image);
    Begin(p);
    // The instrument: a box with a display.
    p.setBrush(QColor(200, 200, 205));
    p.drawRoundedRect(QRectF(2.5, 12.5, 20, 16), 2, 2);
    p.setBrush(QColor(60, 200, 90));
    p.drawRect(QRectF(5.5, 15.5, 10, 5));
    // The lens over it.
    p.setPen(QPen(Outline, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(21, 16), QPointF(29, 24));
    p.setPen(QPen(Outline, 2));
    p.setBrush(QColor(170, 215, 255, 200));
    p.drawEllipse(QPointF(15, 10), 7.5, 7.5);
    return image;
}

QImage ReadIcon(qreal ratio)
{
    QImage image = Blank(IconPx, IconPx, ratio);
    QPainter p(&image);
    Begin(p);
    // A settings sheet...
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 2.5, 17, 23));
    p.setPen(QPen(QColor(120, 120, 130), 1));
    for (int y = 7; y <= 19; y += 4) {
        p.drawLine(QPointF(6.5, y + 0.5), QPointF(17.5, y + 0.5));
    }
    // ...and the arrow that brings it up from the instrument.
    QPainterPath arrow;
    arrow.moveTo(24, 6);
    arrow.lineTo(31, 15);
    arrow.lineTo(27, 15);
    arrow.lineTo(27, 29);
    arrow.lineTo(21, 29);
    arrow.lineTo(21, 15);
    arrow.lineTo(17, 15);
    arrow.closeSubpath();
    p.setPen(QPen(Outline, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(40, 110, 210));
    p.drawPath(arrow);
    return image;
}

QImage ExitIcon(qreal ratio)
{
    QImage image = Blank(IconPx, IconPx, ratio);
    QPainter p(&image);
    Begin(p);
    p.setBrush(QColor(210, 40, 40));
    p.drawEllipse(QPointF(16, 16), 13.5, 13.5);
    p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.5, 10.5), QPointF(21.5, 21.5));
    p.drawLine(QPointF(21.5, 10.5), QPointF(10.5, 21.5));
    return image;
}

QImage CardPicture(qreal ratio)
{
    QImage image = Blank(80, 30, ratio);
    QPainter p(&image);
    Begin(p);
    // A fieldbus card: green board, gold edge contacts, a chip.
    p.setBrush(QColor(30, 120, 70));
    p.drawRoundedRect(QRectF(0.5, 0.5, 23, 29), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 180, 40));
    for (int y = 4; y < 27; y += 4) {
        p.drawRect(QRectF(1, y, 3, 2));
    }
    p.setBrush(QColor(30, 30, 35));
    p.drawRect(QRectF(8, 9, 11, 11));
    p.setPen(QPen(QColor(200, 200, 200), 1));
    for (int x = 10; x < 19; x += 3) {
        p.drawLine(QPointF(x, 7), QPointF(x, 9));
        p.drawLine(QPointF(x, 20), QPointF(x, 22));
    }
    // The name beside it, the "2" in red, and the mesh it links into.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    const QString name = QStringLiteral("Meshgate");
    const QString two = QStringLiteral("2");
    constexpr int textLeft = 26;
    constexpr int textWidth = 80 - textLeft;
    // The largest size at which the whole name fits beside the card.
    for (int px = 11; px > 6; --px) {
        font.setPixelSize(px);
        if (QFontMetrics(font).horizontalAdvance(name + two) <= textWidth) {
            break;
        }
    }
    p.setFont(font);
    const QFontMetrics metrics(font);
    const int nameWidth = metrics.horizontalAdvance(name);
    const int left = textLeft + (textWidth - metrics.horizontalAdvance(name + two)) / 2;
    p.setPen(QColor(20, 55, 120));
    p.drawText(QRect(left, 1, nameWidth + 1, 13), Qt::AlignLeft | Qt::AlignVCenter, name);
    p.setPen(QColor(210, 40, 40));
    p.drawText(QRect(left + nameWidth, 1, metrics.horizontalAdvance(two) + 1, 13), Qt::AlignLeft | Qt::AlignVCenter,
               two);
    DrawMesh(p, QRectF(34, 14, 38, 16), QColor(40, 110, 200), QColor(255, 200, 40));
    return image;
}
} // namespace

QImage DrawIconArt(int id, qreal ratio)
{
    switch (id) {
    case 128:
        return ApplicationIcon(ratio);
    case 131:
        return CardPicture(ratio);
    case 134:
        return ApplyIcon(ratio);
    case 135:
        return SearchIcon(ratio);
    case 136:
        return ReadIcon(ratio);
    case 138:
        return ExitIcon(ratio);
    default:
        return {};
    }
}

std::vector<IconArt> AllIconArt(qreal ratio)
{
    std::vector<IconArt> all;
    for (int id : {128, 131, 134, 135, 136, 138}) {
        all.push_back({id, DrawIconArt(id, ratio)});
    }
    return all;
}

QImage DrawApplicationIcon(int px)
{
    for (const SmallIconRow& row : kSmallIcons)
        if (row.px == px)
            return SmallApplicationIcon(row);
    return DrawIconArt(128, px / 32.0);
}

bool OutputFolder(const char* path, QDir& dir)
{
    dir = QDir(QString::fromLocal8Bit(path));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "cannot create %s\n", path);
        return false;
    }
    return true;
}

bool SavePng(const QDir& dir, const QString& name, const QImage& image)
{
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

#include "widgets/kit_paint.h"

#include <QDesktopServices>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHash>
#include <QPaintEngine>
#include <QPainter>
#include <QUrl>
#include <cmath>

void FillKitRect(QPainter& painter, const KitRect& r, const QColor& colour)
{
    if (!r.IsEmpty()) {
        painter.fillRect(r.ToQRect(), colour);
    }
}

void FrameKitRect(QPainter& painter, const KitRect& r, const QColor& colour)
{
    if (r.IsEmpty()) {
        return;
    }
    FillKitRect(painter, {r.left, r.top, r.right, r.top + 1}, colour);
    FillKitRect(painter, {r.left, r.bottom - 1, r.right, r.bottom}, colour);
    FillKitRect(painter, {r.left, r.top, r.left + 1, r.bottom}, colour);
    FillKitRect(painter, {r.right - 1, r.top, r.right, r.bottom}, colour);
}

void Draw3dRect(QPainter& painter, const KitRect& r, const QColor& topLeft, const QColor& bottomRight)
{
    const int w = r.Width();
    const int h = r.Height();
    FillKitRect(painter, {r.left, r.top, r.left + w - 1, r.top + 1}, topLeft);
    FillKitRect(painter, {r.left, r.top, r.left + 1, r.top + h - 1}, topLeft);
    FillKitRect(painter, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    FillKitRect(painter, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
}

void DrawPolyline(QPainter& painter, const QPoint* points, int count, const QColor& colour)
{
    for (int i = 0; i + 1 < count; ++i) {
        FillKitRect(painter, LinePixels(points[i], points[i + 1]), colour);
    }
}

void DrawFocusDots(QPainter& painter, const KitRect& r, const QColor& colour)
{
    if (r.IsEmpty()) {
        return;
    }
    painter.save();
    painter.setPen(colour);
    // One phase around the whole rectangle, so the dots do not double up at the corners.
    for (int x = r.left; x < r.right; x += 2) {
        painter.drawPoint(x, r.top);
        painter.drawPoint(x, r.bottom - 1);
    }
    for (int y = r.top; y < r.bottom; y += 2) {
        painter.drawPoint(r.left, y);
        painter.drawPoint(r.right - 1, y);
    }
    painter.restore();
}

void DrawKitText(QPainter& painter, const KitRect& r, const QString& text, unsigned format)
{
    painter.drawText(r.ToQRect(), QtTextFlags(format), text);
}

QSize MeasureKitText(const QPainter& painter, const KitRect& r, const QString& text, unsigned format)
{
    const QFontMetrics metrics(painter.font());
    const int flags = QtTextFlags(format) & ~(Qt::AlignVertical_Mask);
    return metrics.boundingRect(QRect(r.left, r.top, std::max(r.Width(), 1), 1 << 20), flags, text).size();
}

QImage EmbossedImage(const QImage& source, const QColor& highlight, const QColor& shadow)
{
    const QImage src = source.convertToFormat(QImage::Format_ARGB32);
    // One logical pixel, in the source's own pixels.
    const int offset = std::max(1, qRound(src.devicePixelRatio()));
    QImage out(src.width() + offset, src.height() + offset, QImage::Format_ARGB32);
    out.setDevicePixelRatio(src.devicePixelRatio());
    out.fill(Qt::transparent);
    // Ink is what is opaque and not light: outlines and dark fills survive, light areas fall away.
    auto ink = [&src](int x, int y) {
        const QRgb p = src.pixel(x, y);
        return qAlpha(p) >= 128 && GreyLevel(qRed(p), qGreen(p), qBlue(p)) < 192;
    };
    for (int y = 0; y < src.height(); ++y) {
        for (int x = 0; x < src.width(); ++x) {
            if (ink(x, y)) {
                out.setPixel(x + offset, y + offset, highlight.rgba());
            }
        }
    }
    for (int y = 0; y < src.height(); ++y) {
        for (int x = 0; x < src.width(); ++x) {
            if (ink(x, y)) {
                out.setPixel(x, y, shadow.rgba());
            }
        }
    }
    return out;
}

qreal TargetPixelRatio(const QPainter& painter)
{
    // device() is the widget even while it is rendered into an image; the engine's device is what is drawn on.
    const QPaintEngine* engine = painter.paintEngine();
    if (engine && engine->paintDevice()) {
        return engine->paintDevice()->devicePixelRatio();
    }
    return painter.device() ? painter.device()->devicePixelRatio() : 1.0;
}

QImage OffscreenImage(QSize size, qreal ratio, QImage::Format format)
{
    QImage image(size * ratio, format);
    image.setDevicePixelRatio(ratio);
    return image;
}

bool FaceDrawsAt(const QFont& font, qreal ratio)
{
    const QFontInfo info(font);
    // A face the system lacks is drawn in whatever it matches instead, with other metrics (under Wine, Qt's
    // Windows platform takes "MS Sans Serif" for a large serif face): that is not the face asked for.
    if (info.family().compare(font.family(), Qt::CaseInsensitive) != 0) {
        return false;
    }
    if (QFontDatabase::isSmoothlyScalable(info.family(), info.styleName())) {
        return true;
    }
    // The strike Qt chose against the size asked; 8 pt "MS Sans Serif" takes its 13 px strike (about 10 pt), as
    // Windows does, while a 24 px heading would shrink to it.
    const double strikeToAsked =
        font.pixelSize() > 0 ? double(info.pixelSize()) / font.pixelSize() : info.pointSizeF() / font.pointSizeF();
    return qFuzzyCompare(ratio, 1.0) && strikeToAsked >= 0.75 && strikeToAsked <= 4.0 / 3.0;
}

QFont DrawableFont(const QFont& font, qreal ratio)
{
    if (FaceDrawsAt(font, ratio)) {
        return font;
    }
    QFont substitute = font;
    substitute.setFamilies({QStringLiteral("Tahoma")});
    substitute.setStyleName(QString());
    substitute.setStyleHint(QFont::SansSerif);
    return substitute;
}

QFont CellHeightFont(const QString& family, int cellHeightPx, qreal ratio)
{
    const auto fit = [cellHeightPx](QFont font) {
        for (int px = cellHeightPx; px > 1; --px) {
            font.setPixelSize(px);
            if (QFontMetrics(font).height() <= cellHeightPx) {
                break;
            }
        }
        return font;
    };
    const QFont font = fit(QFont(family));
    // A heading must keep its size: a bitmap face without a strike near it is replaced, then fitted again.
    return FaceDrawsAt(font, ratio) ? font : fit(DrawableFont(font, ratio));
}

QPixmap LoadArtwork(const QString& path, qreal ratio)
{
    QPixmap plain(path);
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (plain.isNull() || ratio <= 1.0 || dot < 0) {
        return plain;
    }
    // The reader gives an "@2x" file a pixel ratio of 2 from its name.
    QImage sharper(path.left(dot) + QStringLiteral("@2x") + path.mid(dot));
    if (sharper.isNull()) {
        return plain;
    }
    if (!qFuzzyCompare(ratio, sharper.devicePixelRatio())) {
        sharper = sharper.scaled(plain.size() * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        sharper.setDevicePixelRatio(ratio);
    }
    return QPixmap::fromImage(sharper);
}

QImage ReadablePicture(const QImage& picture, ColourRef background)
{
    if (!IsDarkBackground(background)) {
        return picture;
    }
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    // Antialiased art has a few hundred colours at most; each is worked out once.
    QHash<QRgb, QRgb> readable;
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb colour = row[x] | 0xFF000000u;
            auto found = readable.constFind(colour);
            if (found == readable.constEnd()) {
                found = readable.insert(colour, ToQColor(ReadableOn(FromQColor(QColor(colour)), background)).rgb());
            }
            row[x] = (found.value() & 0x00FFFFFFu) | (row[x] & 0xFF000000u);
        }
    }
    return out;
}

bool OpenLinkTarget(const QString& target)
{
    const QUrl url = QUrl::fromUserInput(target.trimmed());
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https") &&
                           scheme != QLatin1String("ftp") && scheme != QLatin1String("mailto"))) {
        return false;
    }
    return QDesktopServices::openUrl(url);
}

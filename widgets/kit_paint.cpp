#include "kit_paint.h"

#include <QDesktopServices>
#include <QFontMetrics>
#include <QPainter>
#include <QUrl>

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
    QImage out(src.width() + 1, src.height() + 1, QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    // Ink is what is opaque and not light: outlines and dark fills survive, light areas fall away.
    auto ink = [&src](int x, int y) {
        const QRgb p = src.pixel(x, y);
        return qAlpha(p) >= 128 && GreyLevel(qRed(p), qGreen(p), qBlue(p)) < 192;
    };
    for (int y = 0; y < src.height(); ++y) {
        for (int x = 0; x < src.width(); ++x) {
            if (ink(x, y)) {
                out.setPixel(x + 1, y + 1, highlight.rgba());
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

QFont CellHeightFont(const QString& family, int cellHeightPx)
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
    QFont font = fit(QFont(family));
    // A bitmap font with no strike near this size (wine's "MS Sans Serif" has only its 13 px one) would
    // draw a heading at body-text size: take a scalable face of the same kind instead.
    if (QFontMetrics(font).height() * 4 < cellHeightPx * 3) {
        QFont substitute(QStringLiteral("Tahoma"));
        substitute.setStyleHint(QFont::SansSerif);
        font = fit(substitute);
    }
    return font;
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

#include "widgets/drawing_rules.h"

#include <QColor>
#include <algorithm>
#include <cmath>

KitRect PlaceImage(const ImagePlaceInput& in, bool hasCaption, const KitRect& item, KitRect& caption, bool pressed,
                   int imageWidth, int imageHeight)
{
    KitRect image = item;
    const int w = imageWidth;
    const int h = imageHeight;
    // C++ division truncates toward zero, as the placement wants for images larger than the button.
    const int centreX = (item.Width() - w) / 2;
    const int centreY = (item.Height() - h) / 2;

    if (!hasCaption) {
        if (in.align != AlignOverlap) {
            image.left += centreX;
            image.top += centreY;
        }
    } else {
        switch (in.align) {
        case AlignImageLeft:
            image.left += in.imageMarginX;
            caption.left += w + in.imageMarginX;
            image.top += centreY;
            break;
        case AlignImageTop:
            image.left += centreX;
            image.top = in.imageMarginY;
            caption.top += h;
            break;
        case AlignImageRight:
            caption.right = (caption.right - caption.left) - w - in.imageMarginX;
            caption.left = in.imageMarginX;
            image.left = in.clientRight - w - in.imageMarginX;
            image.top += centreY;
            break;
        default:
            break;
        }
    }
    if (pressed && !in.checkBoxStyle) {
        image = image.Offset(in.pressedOffsetX, in.pressedOffsetY);
    }
    return image;
}

int ImageSlot(bool checkBoxStyle, bool pressed, bool hovering, bool haveSecondImage)
{
    const bool main = checkBoxStyle ? pressed : (pressed || hovering);
    if (main) {
        return 0;
    }
    return haveSecondImage ? 1 : 0;
}

int BackgroundColourIndex(bool hovering, bool pressed, bool focused)
{
    if (hovering || pressed) {
        return ColourBkHover;
    }
    return focused ? ColourBkFocus : ColourBkNormal;
}

int CaptionColourIndex(bool hovering, bool pressed)
{
    return (hovering || pressed) ? ColourBkHover : ColourBkNormal;
}

std::array<EdgeLine, 4> RaisedEdgeLines(const KitRect& r)
{
    const int l = r.left;
    const int t = r.top;
    const int ri = r.right;
    const int b = r.bottom;
    return {{
        {SysColour::BtnHighlight, {QPoint(l, b - 1), QPoint(l, t), QPoint(ri, t)}},
        {SysColour::Light3D, {QPoint(l + 1, b - 1), QPoint(l + 1, t + 1), QPoint(ri, t + 1)}},
        {SysColour::DkShadow3D, {QPoint(l, b - 1), QPoint(ri - 1, b - 1), QPoint(ri - 1, t - 1)}},
        {SysColour::BtnShadow, {QPoint(l + 1, b - 2), QPoint(ri - 2, b - 2), QPoint(ri - 2, t)}},
    }};
}

KitRect LinePixels(QPoint a, QPoint b)
{
    if (a.y() == b.y()) {
        if (b.x() > a.x()) {
            return {a.x(), a.y(), b.x(), a.y() + 1};
        }
        if (b.x() < a.x()) {
            return {b.x() + 1, a.y(), a.x() + 1, a.y() + 1};
        }
        return {};
    }
    if (a.x() == b.x()) {
        if (b.y() > a.y()) {
            return {a.x(), a.y(), a.x() + 1, b.y()};
        }
        return {a.x(), b.y() + 1, a.x() + 1, a.y() + 1};
    }
    return {}; // the kit only draws axis-parallel lines
}

std::vector<GradientBand> FillGradientBands(const KitRect& r, ColourRef left, ColourRef right, int bandCount)
{
    std::vector<GradientBand> bands;
    const int width = r.Width();
    if (width <= 0 || bandCount <= 0) {
        return bands;
    }
    const int n = std::min(bandCount, width);
    const int d = n > 1 ? n : 1;
    // Channel values in 1/256 steps, so the colour moves smoothly even over many narrow bands.
    const std::array<int, 3> from{RedOf(left), GreenOf(left), BlueOf(left)};
    const std::array<int, 3> to{RedOf(right), GreenOf(right), BlueOf(right)};
    std::array<int, 3> step{};
    std::array<int, 3> acc{};
    for (std::size_t c = 0; c < 3; ++c) {
        step[c] = ((to[c] - from[c]) * 256) / d;
        acc[c] = from[c] * 256;
    }
    const int bandWidth = width / d;
    bands.reserve(static_cast<std::size_t>(n));
    int bandLeft = r.left;
    for (int i = 0; i < n; ++i) {
        const int bandRight = (i == n - 1) ? r.right : bandLeft + bandWidth;
        bands.push_back(
            {{bandLeft, r.top, bandRight, r.bottom}, MakeColourRef(acc[0] / 256, acc[1] / 256, acc[2] / 256)});
        for (std::size_t c = 0; c < 3; ++c) {
            acc[c] += step[c];
        }
        bandLeft = bandRight;
    }
    return bands;
}

std::vector<GradientBand> DrawGradientBands(const KitRect& r, ColourRef start, ColourRef end, int bandCount)
{
    std::vector<GradientBand> bands;
    if (bandCount <= 0) {
        return bands;
    }
    const std::array<int, 3> from{RedOf(start), GreenOf(start), BlueOf(start)};
    const std::array<int, 3> to{RedOf(end), GreenOf(end), BlueOf(end)};
    const int divisor = bandCount > 1 ? bandCount - 1 : 1;
    std::array<int, 3> step{};
    for (std::size_t c = 0; c < 3; ++c) {
        step[c] = (to[c] - from[c]) / divisor;
    }
    const int bandWidth = r.Width() / bandCount;
    bands.reserve(static_cast<std::size_t>(bandCount));
    for (int i = 0; i < bandCount; ++i) {
        const int left = r.left + i * bandWidth;
        const int right = (i == bandCount - 1) ? r.right : left + bandWidth;
        // The bottom row keeps what was under the gradient.
        bands.push_back({{left, r.top, std::max(left, right), std::max(r.top, r.bottom - 1)},
                         MakeColourRef(from[0] + i * step[0], from[1] + i * step[1], from[2] + i * step[2])});
    }
    return bands;
}

unsigned LabelTextFormat(std::uint32_t staticStyle, const QString& text)
{
    using namespace TextFormat;
    if (staticStyle & StaticStyle::CenterImage) {
        return text.contains(QStringLiteral("\r\n")) ? Center : (Center | VCenter | SingleLine);
    }
    unsigned format = 0;
    switch (staticStyle & StaticStyle::TypeMask) {
    case StaticStyle::Center:
        format = Center | WordBreak;
        break;
    case StaticStyle::Right:
        format = Right | WordBreak;
        break;
    case StaticStyle::LeftNoWordWrap:
        format = Left;
        break;
    default:
        format = Left | WordBreak;
        break;
    }
    if (text.contains(QLatin1Char('\t'))) {
        format |= ExpandTabs;
    }
    return format;
}

int QtTextFlags(unsigned format)
{
    using namespace TextFormat;
    int flags = 0;
    if (format & Center) {
        flags |= Qt::AlignHCenter;
    } else if (format & Right) {
        flags |= Qt::AlignRight;
    } else {
        flags |= Qt::AlignLeft;
    }
    // Vertical centring applies to single lines only; otherwise text starts at the top.
    flags |= ((format & SingleLine) && (format & VCenter)) ? Qt::AlignVCenter : Qt::AlignTop;
    if (format & SingleLine) {
        flags |= Qt::TextSingleLine;
    } else if (format & WordBreak) {
        flags |= Qt::TextWordWrap;
    }
    if (format & ExpandTabs) {
        flags |= Qt::TextExpandTabs;
    }
    if (format & NoClip) {
        flags |= Qt::TextDontClip;
    }
    if (!(format & NoPrefix)) {
        flags |= Qt::TextShowMnemonic;
    }
    return flags;
}

int GreyLevel(int red, int green, int blue)
{
    return static_cast<int>(0.587 * green + 0.114 * blue + 0.299 * red);
}

QRgb GreyPixel(QRgb pixel)
{
    if ((pixel & 0x00FFFFFFu) == 0) {
        return pixel;
    }
    const int grey = GreyLevel(qRed(pixel), qGreen(pixel), qBlue(pixel));
    return qRgba(grey, grey, grey, qAlpha(pixel));
}

double RelativeLuminance(ColourRef colour)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(RedOf(colour)) + 0.7152 * linear(GreenOf(colour)) + 0.0722 * linear(BlueOf(colour));
}

double ContrastRatio(ColourRef a, ColourRef b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool IsDarkBackground(ColourRef background)
{
    return ContrastRatio(background, MakeColourRef(255, 255, 255)) > ContrastRatio(background, 0);
}

ColourRef ReadableOn(ColourRef foreground, ColourRef background)
{
    if (!IsDarkBackground(background) || ContrastRatio(foreground, background) >= MinimumContrast) {
        return foreground;
    }
    // At a fixed hue and saturation every channel grows with the lightness, so the first lightness that reaches
    // the contrast is the least change; white (lightness 255) always does on a dark background.
    const QColor from(RedOf(foreground), GreenOf(foreground), BlueOf(foreground));
    for (int lightness = from.lightness() + 1; lightness < 255; ++lightness) {
        const ColourRef lighter = FromQColor(QColor::fromHsl(from.hslHue(), from.hslSaturation(), lightness));
        if (ContrastRatio(lighter, background) >= MinimumContrast) {
            return lighter;
        }
    }
    return MakeColourRef(255, 255, 255);
}

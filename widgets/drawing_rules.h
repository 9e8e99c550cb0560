#pragma once

#include "widgets/colour_ref.h"
#include "widgets/system_colours.h"

#include <QRect>
#include <QString>
#include <QtGlobal>
#include <array>
#include <cstdint>
#include <vector>

// Geometry and colour rules of the widget kit, kept free of painting so they can be checked on
// their own. Rectangles have exclusive right and bottom edges, as the drawing code thinks of them.
struct KitRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
    constexpr KitRect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    constexpr KitRect Inflate(int d) const { return {left - d, top - d, right + d, bottom + d}; }
    constexpr bool operator==(const KitRect&) const = default;

    QRect ToQRect() const { return QRect(left, top, Width(), Height()); }
    static KitRect FromQRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
};

// Image placement of a button.
enum ImageAlign : std::uint8_t
{
    AlignImageLeft = 0,
    AlignImageTop = 1,
    AlignImageRight = 2,
    AlignOverlap = 3,
};

// What placing an image needs to know about the button.
struct ImagePlaceInput
{
    int align = AlignImageLeft;
    bool checkBoxStyle = false;
    int imageMarginX = 3;
    int imageMarginY = 3;
    int pressedOffsetX = 1;
    int pressedOffsetY = 1;
    int clientRight = 0; // right edge of the button's client area
};

// Returns the image rectangle; only its left and top are meaningful (right and bottom stay the item's
// edges before the pressed shift). Moves `caption` to make room for the image.
KitRect PlaceImage(const ImagePlaceInput& in, bool hasCaption, const KitRect& item, KitRect& caption, bool pressed,
                   int imageWidth, int imageHeight);

// Which of the two image slots shows: 0 the main (hover/pressed) image, 1 the resting one.
int ImageSlot(bool checkBoxStyle, bool pressed, bool hovering, bool haveSecondImage);

// Indices into a button's six state colours: (background, text) pairs.
enum StateColourIndex
{
    ColourBkHover = 0,
    ColourFgHover = 1,
    ColourBkNormal = 2,
    ColourFgNormal = 3,
    ColourBkFocus = 4,
    ColourFgFocus = 5,
};
int BackgroundColourIndex(bool hovering, bool pressed, bool focused);
// The background index of the pair; the text colour is the next one.
int CaptionColourIndex(bool hovering, bool pressed);

// One polyline of the raised edge: move to p[0], line to p[1], line to p[2] (end points excluded).
struct EdgeLine
{
    SysColour colour;
    std::array<QPoint, 3> points;
};
std::array<EdgeLine, 4> RaisedEdgeLines(const KitRect& r);

// The pixels a horizontal or vertical line from a to b covers, b excluded; empty when a == b.
KitRect LinePixels(QPoint a, QPoint b);

// A filled band of a gradient: pixel columns left..right-1, rows top..bottom-1.
struct GradientBand
{
    KitRect pixels;
    ColourRef colour = 0;
};

// The label's left-to-right gradient: at most `bandCount` bands, fixed-point colour steps.
std::vector<GradientBand> FillGradientBands(const KitRect& r, ColourRef left, ColourRef right, int bandCount = 100);

// The banner's gradient: `bandCount` bands, truncating signed steps, low 8 bits of each channel, the last
// band stretched to the right edge and the bottom row left unpainted. Bands of zero width are included.
std::vector<GradientBand> DrawGradientBands(const KitRect& r, ColourRef start, ColourRef end, int bandCount = 60);

// Text format flags in the classic encoding.
namespace TextFormat {
constexpr unsigned Left = 0x0;
constexpr unsigned Center = 0x1;
constexpr unsigned Right = 0x2;
constexpr unsigned VCenter = 0x4;
constexpr unsigned WordBreak = 0x10;
constexpr unsigned SingleLine = 0x20;
constexpr unsigned ExpandTabs = 0x40;
constexpr unsigned NoClip = 0x100;
constexpr unsigned NoPrefix = 0x800; // '&' is shown as is instead of underlining the next letter
} // namespace TextFormat

// Static control styles the label honours.
namespace StaticStyle {
constexpr std::uint32_t Left = 0x0;
constexpr std::uint32_t Center = 0x1;
constexpr std::uint32_t Right = 0x2;
constexpr std::uint32_t LeftNoWordWrap = 0xC;
constexpr std::uint32_t TypeMask = 0x1F;
constexpr std::uint32_t Notify = 0x100;
constexpr std::uint32_t CenterImage = 0x200;
} // namespace StaticStyle

// The label's text format for a static style and its text.
unsigned LabelTextFormat(std::uint32_t staticStyle, const QString& text);

// Qt alignment and text flags for a classic text format.
int QtTextFlags(unsigned format);

// Relative luminance as WCAG 2 defines it: the sRGB channels made linear, weighted 0.2126, 0.7152, 0.0722;
// 0 is black, 1 white.
double RelativeLuminance(ColourRef colour);
// The WCAG contrast ratio of two colours, (lighter + 0.05) / (darker + 0.05): 1 to 21, either order.
double ContrastRatio(ColourRef a, ColourRef b);
// The least contrast a fixed text colour keeps against a dark background (WCAG AA for body text).
constexpr double MinimumContrast = 4.5;
// A background on which white stands out more than black does.
bool IsDarkBackground(ColourRef background);
// A fixed foreground colour as it is painted on `background`. A light background keeps every colour as it is
// (the kit's colours were chosen for light backgrounds); on a dark one a colour below MinimumContrast becomes
// the least lighter colour of the same hue and saturation that reaches it.
ColourRef ReadableOn(ColourRef foreground, ColourRef background);

// Grey level of a pixel for the automatic grey icon (truncated).
int GreyLevel(int red, int green, int blue);
// The grey copy of one ARGB pixel: black stays black, alpha is kept.
QRgb GreyPixel(QRgb pixel);

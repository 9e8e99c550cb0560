#pragma once

#include "widgets/drawing_rules.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QString>

class QPainter;

// Painting helpers shared by the kit's widgets, in the classic terms the drawing code is written in.

// Fills the pixels of `r` (exclusive right and bottom).
void FillKitRect(QPainter& painter, const KitRect& r, const QColor& colour);
// A one-pixel frame on the outermost pixels of `r`.
void FrameKitRect(QPainter& painter, const KitRect& r, const QColor& colour);
// Top and left edges in one colour, bottom and right in the other; the bottom-right lines are full length.
void Draw3dRect(QPainter& painter, const KitRect& r, const QColor& topLeft, const QColor& bottomRight);
// A polyline of axis-parallel one-pixel lines, each excluding its end point.
void DrawPolyline(QPainter& painter, const QPoint* points, int count, const QColor& colour);
// The dotted focus rectangle: every other pixel along the edges of `r`.
void DrawFocusDots(QPainter& painter, const KitRect& r, const QColor& colour);

// Draws text in a classic format (see TextFormat) into `r` with the painter's pen and font.
void DrawKitText(QPainter& painter, const KitRect& r, const QString& text, unsigned format);
// The size the text takes when laid out in the width of `r` with the format.
QSize MeasureKitText(const QPainter& painter, const KitRect& r, const QString& text, unsigned format);

// An image drawn the disabled way: its dark shapes in the highlight colour one pixel down-right, then in the
// shadow colour on top. Transparent elsewhere; one pixel larger than the source each way. Pixels are logical
// ones: a source with a device pixel ratio of 2 is offset by two of its own pixels and keeps its ratio.
QImage EmbossedImage(const QImage& source, const QColor& highlight, const QColor& shadow);

// The device pixel ratio of what the painter paints on (a widget's backing store, or the image a widget is
// rendered into), for off-screen images that must be as sharp as their target.
qreal TargetPixelRatio(const QPainter& painter);
// An empty off-screen image of `size` logical pixels for a target of pixel ratio `ratio`.
QImage OffscreenImage(QSize size, qreal ratio, QImage::Format format);

// Whether the font's face shows at the size asked on a device of pixel ratio `ratio`. A scalable face always
// does; a bitmap face (wine's "MS Sans Serif" has one 13 px strike) only at ratio 1 and near its strike's size:
// elsewhere its glyphs would stay at the strike's size while the text's advances scale.
bool FaceDrawsAt(const QFont& font, qreal ratio);
// The font itself when its face draws at the ratio, else the same size, weight and style in the scalable face
// of the same role ("Tahoma").
QFont DrawableFont(const QFont& font, qreal ratio);
// A font whose character cell (ascent + descent) is at most `cellHeightPx` pixels high, as close as it gets,
// in `family` where that face draws at the size and ratio, else in the scalable substitute.
QFont CellHeightFont(const QString& family, int cellHeightPx, qreal ratio = 1.0);

// An image resource for a device of pixel ratio `ratio`: the file itself at ratio 1 or below; above, its sharper
// copy "<name>@2x.<ext>" when there is one, scaled to the ratio so it is drawn pixel for pixel. Either way the
// pixmap's logical size is the file's.
QPixmap LoadArtwork(const QString& path, qreal ratio);
// A picture with fixed colours as it is painted on `background`: each pixel's colour through ReadableOn, alpha
// kept. On a light background the picture is returned as it is.
QImage ReadablePicture(const QImage& picture, ColourRef background);

// Opens a link target with the desktop's handler. Only web, FTP and mail links are opened: a label's text or
// a button's target never starts a program. Returns whether a handler was asked.
bool OpenLinkTarget(const QString& target);

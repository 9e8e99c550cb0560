#pragma once

#include "drawing_rules.h"

#include <QColor>
#include <QFont>
#include <QImage>
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
// shadow colour on top. Transparent elsewhere; one pixel larger than the source each way.
QImage EmbossedImage(const QImage& source, const QColor& highlight, const QColor& shadow);

// A font whose character cell (ascent + descent) is at most `cellHeightPx` pixels high, as close as it gets.
QFont CellHeightFont(const QString& family, int cellHeightPx);

// Opens a link target with the desktop's handler. Only web, FTP and mail links are opened: a label's text or
// a button's target never starts a program. Returns whether a handler was asked.
bool OpenLinkTarget(const QString& target);

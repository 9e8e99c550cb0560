#include "image_button.h"

#include <QMenu>
#include <QPainter>

// Compiling placeholder; the drawing pipeline follows.
ImageButton::ImageButton(QWidget* parent) : QPushButton(parent) {}
ImageButton::ImageButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}
ImageButton::~ImageButton() = default;
int ImageButton::SetIcons(int, int)
{
    return ButtonOk;
}
int ImageButton::SetIcons(const QPixmap&, const QPixmap&)
{
    return ButtonOk;
}
int ImageButton::SetBitmaps(const QPixmap&, const QPixmap&)
{
    return ButtonOk;
}
void ImageButton::FreeImages() {}
int ImageButton::SetFlat(bool f, bool)
{
    flat = f;
    return ButtonOk;
}
int ImageButton::SetAlign(int a, bool)
{
    if (a < 0 || a > 3)
        return ButtonInvalidAlign;
    align = static_cast<std::uint8_t>(a);
    return ButtonOk;
}
int ImageButton::SetPressedStyle(int, bool)
{
    return ButtonOk;
}
int ImageButton::SetCheckState(int, bool)
{
    return ButtonOk;
}
void ImageButton::SetCheck(int) {}
void ImageButton::SetCheckBoxStyle(bool, bool) {}
int ImageButton::SetDefaultColours(bool)
{
    return ButtonOk;
}
int ImageButton::SetColour(int, ColourRef, bool)
{
    return ButtonOk;
}
ColourRef ImageButton::GetColour(int) const
{
    return 0;
}
int ImageButton::SetUrl(const QString&)
{
    return ButtonOk;
}
QString ImageButton::GetUrl() const
{
    return {};
}
int ImageButton::SetMenu(QMenu*, bool)
{
    return ButtonOk;
}
int ImageButton::SetBtnCursor(const QCursor&, bool)
{
    return ButtonOk;
}
int ImageButton::SetTransparent(bool, bool)
{
    return ButtonOk;
}
int ImageButton::SetAlwaysTrack(bool)
{
    return ButtonOk;
}
int ImageButton::SetDrawBorder(bool, bool)
{
    return ButtonOk;
}
int ImageButton::SetFlatFocus(bool, bool)
{
    return ButtonOk;
}
int ImageButton::SetImageMargins(int, int, bool)
{
    return ButtonOk;
}
int ImageButton::DrawDisabledBitmapEmbossed(bool, bool)
{
    return ButtonOk;
}
int ImageButton::SetSound(const QString&, bool)
{
    return ButtonOk;
}
bool ImageButton::HasIcon(int) const
{
    return false;
}
QPixmap ImageButton::MakeGreyIcon(const QPixmap&)
{
    return {};
}
void ImageButton::CancelHover() {}
void ImageButton::DrawItem(QPainter&, const KitRect&, bool, bool, bool) {}
int ImageButton::DrawBackground(QPainter&, const KitRect&)
{
    return 0;
}
int ImageButton::DrawBorder(QPainter&, const KitRect&)
{
    return 0;
}
void ImageButton::DrawIconImage(QPainter&, bool, const KitRect&, KitRect&, bool, bool) {}
void ImageButton::DrawBitmapImage(QPainter&, bool, const KitRect&, KitRect&, bool, bool) {}
void ImageButton::DrawCaption(QPainter&, const QString&, const KitRect&, KitRect&, bool, bool) {}
KitRect ImageButton::PlaceImage(bool, const KitRect& item, KitRect&, bool, int, int) const
{
    return item;
}
void ImageButton::PaintParentBackground(QPainter&) {}
void ImageButton::paintEvent(QPaintEvent* e)
{
    QPushButton::paintEvent(e);
}
void ImageButton::enterEvent(QEnterEvent* e)
{
    QPushButton::enterEvent(e);
}
void ImageButton::leaveEvent(QEvent* e)
{
    QPushButton::leaveEvent(e);
}
void ImageButton::mouseMoveEvent(QMouseEvent* e)
{
    QPushButton::mouseMoveEvent(e);
}
void ImageButton::focusInEvent(QFocusEvent* e)
{
    QPushButton::focusInEvent(e);
}
void ImageButton::focusOutEvent(QFocusEvent* e)
{
    QPushButton::focusOutEvent(e);
}
void ImageButton::changeEvent(QEvent* e)
{
    QPushButton::changeEvent(e);
}

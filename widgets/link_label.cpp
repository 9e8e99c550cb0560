#include "link_label.h"

// Compiling placeholder; painting follows.
LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {}
LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}
LinkLabel::~LinkLabel() = default;
LinkLabel& LinkLabel::SetBkColour(ColourRef, ColourRef, int)
{
    return *this;
}
LinkLabel& LinkLabel::SetTextColour(ColourRef)
{
    return *this;
}
LinkLabel& LinkLabel::SetText(const QString& t)
{
    setText(t);
    return *this;
}
LinkLabel& LinkLabel::SetFontBold(bool)
{
    return *this;
}
LinkLabel& LinkLabel::SetFontName(const QString&, std::uint8_t)
{
    return *this;
}
LinkLabel& LinkLabel::SetFontUnderline(bool)
{
    return *this;
}
LinkLabel& LinkLabel::SetFontItalic(bool)
{
    return *this;
}
LinkLabel& LinkLabel::SetFontSize(int)
{
    return *this;
}
LinkLabel& LinkLabel::SetSunken(bool)
{
    return *this;
}
LinkLabel& LinkLabel::SetBorder(bool)
{
    return *this;
}
LinkLabel& LinkLabel::SetTransparent(bool)
{
    return *this;
}
LinkLabel& LinkLabel::FlashText(bool)
{
    return *this;
}
LinkLabel& LinkLabel::FlashBackground(bool)
{
    return *this;
}
LinkLabel& LinkLabel::SetLink(bool, bool)
{
    return *this;
}
LinkLabel& LinkLabel::SetLinkCursor(const QCursor&)
{
    return *this;
}
LinkLabel& LinkLabel::SetText3D(bool, bool)
{
    return *this;
}
LinkLabel& LinkLabel::SetRotationAngle(int, bool)
{
    return *this;
}
LinkLabel& LinkLabel::SetHighlightColour(ColourRef)
{
    return *this;
}
LinkLabel& LinkLabel::SetLabelFont(const QFont&)
{
    return *this;
}
LinkLabel& LinkLabel::SetMailLink(bool, bool)
{
    return *this;
}
LinkLabel& LinkLabel::SetLinkUrl(const QString&)
{
    return *this;
}
void LinkLabel::SetStaticStyle(std::uint32_t s)
{
    staticStyle = s;
}
void LinkLabel::RedrawLabel()
{
    repaint();
}
void LinkLabel::paintEvent(QPaintEvent* e)
{
    QLabel::paintEvent(e);
}
void LinkLabel::mousePressEvent(QMouseEvent* e)
{
    QLabel::mousePressEvent(e);
}

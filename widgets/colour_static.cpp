#include "colour_static.h"

// Compiling placeholder.
ColourStatic::ColourStatic(QWidget* parent) : QLabel(parent) {}
ColourStatic::ColourStatic(const QString& text, QWidget* parent) : QLabel(text, parent) {}
void ColourStatic::SetTextColour(ColourRef c)
{
    textColour = c;
}
void ColourStatic::SetBkColour(ColourRef c)
{
    backgroundColour = c;
    hasBackground = true;
}
void ColourStatic::SetText(const QString& t)
{
    setText(t);
}

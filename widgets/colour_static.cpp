#include "widgets/colour_static.h"

ColourStatic::ColourStatic(QWidget* parent) : QLabel(parent)
{
    // Instrument texts are shown as they come: "<V2>" is a firmware name, not markup.
    setTextFormat(Qt::PlainText);
}

ColourStatic::ColourStatic(const QString& text, QWidget* parent) : ColourStatic(parent)
{
    setText(text);
}

void ColourStatic::ApplyColours()
{
    if (!hasBackground) {
        // Unanswered colours: the parent's palette shows, whatever text colour is stored.
        setPalette(QPalette());
        setAutoFillBackground(false);
        update();
        return;
    }
    QPalette colours = palette();
    colours.setColor(QPalette::Window, ToQColor(backgroundColour));
    colours.setColor(QPalette::WindowText, ToQColor(textColour));
    setPalette(colours);
    setAutoFillBackground(true);
    update();
}

void ColourStatic::SetTextColour(ColourRef colour)
{
    textColour = colour;
    ApplyColours();
}

void ColourStatic::SetBkColour(ColourRef colour)
{
    backgroundColour = colour;
    hasBackground = true;
    ApplyColours();
}

void ColourStatic::SetText(const QString& newText)
{
    setText(newText);
    update();
}

#pragma once

#include "widgets/colour_ref.h"

#include <QLabel>

// A static text whose owner sets the text and background colours. Until a background colour is set the
// parent's colours show (a text colour alone changes nothing). The colours survive the ordinary setText.
class ColourStatic : public QLabel
{
    Q_OBJECT

public:
    explicit ColourStatic(QWidget* parent = nullptr);
    explicit ColourStatic(const QString& text, QWidget* parent = nullptr);

    void SetTextColour(ColourRef colour);
    void SetBkColour(ColourRef colour);
    void SetText(const QString& text);

    ColourRef GetTextColour() const { return textColour; }
    ColourRef GetBkColour() const { return backgroundColour; }
    bool HasBackground() const { return hasBackground; }

private:
    void ApplyColours();

    bool hasBackground = false;
    ColourRef backgroundColour = MakeColourRef(255, 255, 255);
    ColourRef textColour = MakeColourRef(0, 0, 0);
};

#pragma once

#include "widgets/colour_ref.h"

#include <QFont>
#include <QLabel>

// The heading strip of a page: a 60-band colour gradient with one line of shadowed text centred on it.
// Its own label text is never painted; the setters only store, the change shows at the next repaint.
class TitleBanner : public QLabel
{
    Q_OBJECT

public:
    static constexpr int Bands = 60;
    static constexpr int FontCellHeightPx = 24;
    static constexpr int ShadowOffsetPx = 2;

    explicit TitleBanner(QWidget* parent = nullptr);

    void SetGradientStartColour(ColourRef colour) { gradientStartColour = colour; }
    void SetGradientEndColour(ColourRef colour) { gradientEndColour = colour; }
    void SetTextColour(ColourRef colour) { textColour = colour; }
    void SetText(QString newText) { bannerText = std::move(newText); }

    ColourRef GetGradientStartColour() const { return gradientStartColour; }
    ColourRef GetGradientEndColour() const { return gradientEndColour; }
    ColourRef GetTextColour() const { return textColour; }
    ColourRef GetShadowColour() const { return shadowColour; }
    const QString& GetText() const { return bannerText; }
    const QFont& GetBannerFont() const { return bannerFont; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ColourRef textColour = MakeColourRef(0, 255, 0);
    ColourRef shadowColour = MakeColourRef(0, 0, 0);
    ColourRef gradientStartColour = 0;
    ColourRef gradientEndColour = MakeColourRef(0, 0, 0);
    QFont bannerFont;
    QString bannerText;
};

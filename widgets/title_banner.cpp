#include "widgets/title_banner.h"

#include "widgets/drawing_rules.h"
#include "widgets/kit_accessible.h"
#include "widgets/kit_paint.h"

#include <QPainter>

TitleBanner::TitleBanner(QWidget* parent) : QLabel(parent)
{
    InstallKitAccessibility();
    gradientStartColour = FromQColor(GetSysColour(palette(), SysColour::BtnFace));
    bannerFont = CellHeightFont(QStringLiteral("MS Sans Serif"), FontCellHeightPx, devicePixelRatio());
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void TitleBanner::paintEvent(QPaintEvent* /*event*/)
{
    using namespace TextFormat;
    const int w = width();
    const int h = height();
    if (w <= 0 || h <= 0) {
        return;
    }
    QPainter window(this);
    // As sharp as the screen: bands and text are drawn in logical pixels on an image of device pixels.
    QImage offscreen = OffscreenImage(size(), TargetPixelRatio(window), QImage::Format_RGB32);
    {
        QPainter dc(&offscreen);
        dc.fillRect(0, 0, w, h, GetSysColour(palette(), SysColour::ActiveCaption));
        for (const GradientBand& band :
             DrawGradientBands({0, 0, w, h}, gradientStartColour, gradientEndColour, Bands)) {
            FillKitRect(dc, band.pixels, ToQColor(band.colour));
        }
        constexpr unsigned format = Center | VCenter | SingleLine | NoClip;
        dc.setFont(bannerFont);
        dc.setPen(ToQColor(shadowColour));
        DrawKitText(dc, {0, 0, w, h}, bannerText, format);
        // The text box grows up and left by twice the shadow offset, so the centred text sits up-left of it.
        dc.setPen(ToQColor(textColour));
        DrawKitText(dc, {-2 * ShadowOffsetPx, -2 * ShadowOffsetPx, w, h}, bannerText, format);
    }
    window.drawImage(0, 0, offscreen);
}

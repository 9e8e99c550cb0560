#include "widgets/link_label.h"

#include "widgets/kit_accessible.h"
#include "widgets/kit_paint.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int MaxFaceNameChars = 31;
constexpr int BoldWeight = 700;
constexpr int NormalWeight = 400;
} // namespace

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent)
{
    Init();
}

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    Init();
}

LinkLabel::~LinkLabel() = default;

void LinkLabel::Init()
{
    InstallKitAccessibility();
    textColour = FromQColor(GetSysColour(palette(), SysColour::WindowText));
    fontDescription = font();
    setTextFormat(Qt::PlainText); // the label paints its text itself; QLabel must not parse it as markup
    blinkTimer.setInterval(BlinkIntervalMs);
    connect(&blinkTimer, &QTimer::timeout, this, &LinkLabel::OnBlinkTimer);
    // Every pixel is painted from the off-screen image; nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void LinkLabel::RedrawLabel()
{
    if (transparent && parentWidget()) {
        // What shows through has to be painted first.
        parentWidget()->update(geometry());
    }
    repaint();
}

LinkLabel& LinkLabel::SetBkColour(ColourRef left, ColourRef right, int mode)
{
    gradientLeftColour = left;
    gradientRightColour = right;
    fillMode = mode;
    hasBackground = (mode == 0);
    backgroundColour = left;
    RedrawLabel();
    return *this;
}

LinkLabel& LinkLabel::SetTextColour(ColourRef colour)
{
    textColour = colour;
    RedrawLabel();
    return *this;
}

LinkLabel& LinkLabel::SetText(const QString& newText)
{
    setText(newText);
    RedrawLabel();
    return *this;
}

LinkLabel& LinkLabel::SetFontBold(bool bold)
{
    fontDescription.setWeight(static_cast<QFont::Weight>(bold ? BoldWeight : NormalWeight));
    setFont(fontDescription);
    RedrawLabel();
    return *this;
}

LinkLabel& LinkLabel::SetFontName(const QString& face, std::uint8_t newCharSet)
{
    charSet = newCharSet;
    fontDescription.setFamily(face.left(MaxFaceNameChars));
    setFont(fontDescription);
    RedrawLabel();
    return *this;
}

LinkLabel& LinkLabel::SetFontUnderline(bool underline)
{
    fontDescription.setUnderline(underline);
    setFont(fontDescription);
    RedrawLabel();
    return *this;
}

LinkLabel& LinkLabel::SetFontItalic(bool italic)
{
    fontDescription.setItalic(italic);
    setFont(fontDescription);
    RedrawLabel();
    return *this;
}

LinkLabel& LinkLabel::SetFontSize(int points)
{
    // A size of zero or less would make no readable font; the current size stays then.
    if (points > 0) {
        fontDescription.setPointSize(points);
        setFont(fontDescription);
    }
    RedrawLabel();
    return *this;
}

void LinkLabel::ApplyFrame()
{
    if (sunken) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
    } else if (border) {
        setFrameStyle(QFrame::Box | QFrame::Plain);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
    setLineWidth(1);
    update();
}

LinkLabel& LinkLabel::SetSunken(bool on)
{
    sunken = on;
    ApplyFrame();
    return *this;
}

LinkLabel& LinkLabel::SetBorder(bool on)
{
    border = on;
    ApplyFrame();
    return *this;
}

LinkLabel& LinkLabel::SetTransparent(bool on)
{
    transparent = on;
    setAttribute(Qt::WA_OpaquePaintEvent, !on);
    RedrawLabel();
    return *this;
}

void LinkLabel::RestartTimer(bool on, int mode)
{
    blinkTimer.stop();
    if (on) {
        blinkPhase = false;
        blinkTimer.start();
        flashMode = mode;
    }
}

LinkLabel& LinkLabel::FlashText(bool on)
{
    RestartTimer(on, FlashTextMode);
    if (!on) {
        flashMode = FlashNone;
    }
    return *this;
}

LinkLabel& LinkLabel::FlashBackground(bool on)
{
    RestartTimer(on, FlashBackgroundMode);
    return *this;
}

void LinkLabel::OnBlinkTimer()
{
    blinkPhase = !blinkPhase;
    RedrawLabel();
}

void LinkLabel::SetLinkType(int type, bool notify)
{
    linkType = type;
    notifyParent = notify;
    // Only a label with a link takes clicks at all, and only a link is reached with the Tab key.
    SetStaticStyle(linkType != NoLink ? (staticStyle | StaticStyle::Notify) : (staticStyle & ~StaticStyle::Notify));
    setFocusPolicy(linkType != NoLink ? Qt::StrongFocus : Qt::NoFocus);
}

LinkLabel& LinkLabel::SetLink(bool link, bool notify)
{
    SetLinkType(link ? WebLink : NoLink, notify);
    return *this;
}

LinkLabel& LinkLabel::SetMailLink(bool mail, bool notify)
{
    SetLinkType(mail ? MailLink : NoLink, notify);
    return *this;
}

LinkLabel& LinkLabel::SetLinkCursor(const QCursor& cursor)
{
    setCursor(cursor);
    return *this;
}

LinkLabel& LinkLabel::SetText3D(bool on, bool downRight)
{
    text3D = on;
    highlightDownRight = downRight;
    RedrawLabel();
    return *this;
}

LinkLabel& LinkLabel::SetRotationAngle(int degrees, bool on)
{
    rotationDegrees = degrees;
    rotated = on;
    RedrawLabel();
    return *this;
}

LinkLabel& LinkLabel::SetHighlightColour(ColourRef colour)
{
    highlightColour = colour;
    RedrawLabel();
    return *this;
}

LinkLabel& LinkLabel::SetLabelFont(const QFont& newFont)
{
    fontDescription = newFont;
    setFont(fontDescription);
    RedrawLabel();
    return *this;
}

LinkLabel& LinkLabel::SetLinkUrl(const QString& target)
{
    linkUrl = target;
    return *this;
}

void LinkLabel::SetStaticStyle(std::uint32_t style)
{
    staticStyle = style;
    update();
}

void LinkLabel::paintEvent(QPaintEvent* /*event*/)
{
    QPainter window(this);
    drawFrame(&window);
    const QRect client = contentsRect();
    const QString caption = text();
    const KitRect r{0, 0, client.width(), client.height()};

    QImage offscreen;
    QPainter image;
    QPainter* dc = &window;
    if (!transparent) {
        offscreen = OffscreenImage(client.size(), TargetPixelRatio(window), QImage::Format_ARGB32_Premultiplied);
        offscreen.fill(Qt::transparent);
        image.begin(&offscreen);
        dc = &image;
    } else {
        window.translate(client.topLeft());
    }
    dc->setFont(fontDescription);

    const QColor face = GetSysColour(palette(), SysColour::BtnFace);
    const QColor solid = hasBackground ? ToQColor(backgroundColour) : face;
    if (!transparent) {
        if (fillMode != 0) {
            for (const GradientBand& band :
                 FillGradientBands(r, gradientLeftColour, gradientRightColour, GradientBands)) {
                FillKitRect(*dc, band.pixels, ToQColor(band.colour));
            }
        } else {
            FillKitRect(*dc, r, solid);
        }
    }

    // A colour the owner fixed for a light desktop stays readable on whatever the desktop paints behind it; on
    // a background the owner fixed too, the pair is kept as it was chosen.
    QColor ink = ToQColor(textColour);
    if (fillMode == 0 && !hasBackground) {
        const QColor behind = transparent ? palette().color(QPalette::Active, QPalette::Window) : solid;
        ink = ToQColor(ReadableOn(textColour, FromQColor(behind)));
    }
    if (flashMode == FlashTextMode && !blinkPhase) {
        dc->setPen(fillMode != 0 ? QColor(Qt::black) : solid);
    } else {
        dc->setPen(ink);
    }

    if (rotated) {
        dc->save();
        dc->translate(r.Width() / 2, r.Height() / 2);
        dc->rotate(-rotationDegrees);
        dc->drawText(QPoint(0, 0), caption); // the point is on the baseline
        dc->restore();
    } else {
        const unsigned format = LabelTextFormat(staticStyle, caption);
        DrawKitText(*dc, r, caption, format);
        if (text3D) {
            dc->setPen(ToQColor(highlightColour));
            DrawKitText(*dc, highlightDownRight ? r.Offset(1, 1) : r.Offset(-1, -1), caption, format);
        }
    }

    if (hasFocus()) {
        DrawFocusDots(*dc, r, ink);
    }

    if (!transparent) {
        image.end();
        window.drawImage(client.topLeft(), offscreen);
    }
}

bool LinkLabel::ActivateLink()
{
    if (!(staticStyle & StaticStyle::Notify)) {
        return false;
    }
    if (notifyParent) {
        emit LinkClicked();
    } else if (linkType == WebLink) {
        OpenLinkTarget(linkUrl.isEmpty() ? text() : linkUrl);
    } else if (linkType == MailLink) {
        OpenLinkTarget(QStringLiteral("mailto:") + text());
    }
    return true;
}

void LinkLabel::mousePressEvent(QMouseEvent* event)
{
    // Like a static without the notify style, the label lets clicks through to what lies behind it.
    if (event->button() != Qt::LeftButton || !ActivateLink()) {
        event->ignore();
        return;
    }
    event->accept();
}

void LinkLabel::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && ActivateLink()) {
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

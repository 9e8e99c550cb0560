#include "widgets/image_button.h"

#include "widgets/kit_accessible.h"
#include "widgets/kit_paint.h"

#include <QAccessible>
#include <QApplication>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int PressedStyleDown = 0; // content moves by (1, 1)
constexpr int PressedStyleDeep = 1; // content moves by (0, 2)
constexpr int MaxResourceId = 0xFFFF;
constexpr int FocusRectInsetPx = 3;
} // namespace

ImageButton::ImageButton(QWidget* parent) : QPushButton(parent)
{
    Init();
}

ImageButton::ImageButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    Init();
}

ImageButton::~ImageButton() = default;

void ImageButton::Init()
{
    InstallKitAccessibility();
    hovering = false;
    pressed = focused = disabled = false;
    FreeImages();
    flat = true;
    alwaysTrack = true;
    drawBorder = true;
    align = AlignImageLeft;
    SetPressedStyle(PressedStyleDown, false);
    drawFlatFocus = false;
    isDefault = false;
    checkBoxStyle = false;
    checked = false;
    SetDefaultColours(false);
    transparent = false;
    SetUrl();
    imageMarginX = 3;
    imageMarginY = 3;
    menuShown = false;
    drawDisabledBitmapEmbossed = true;
    // Hover is tracked from plain mouse moves too, not only while a button is held.
    setMouseTracking(true);
    // Connected first, so the button's own action runs before the dialog's handler of clicked().
    connect(this, &QAbstractButton::clicked, this, &ImageButton::OnClicked);
}

QPixmap ImageButton::LoadIcon(int id) const
{
    if (id <= 0 || id > MaxResourceId) {
        return {};
    }
    // Loaded for the screen the button is on now, so a 2x screen gets the sharp copy of the art.
    return LoadArtwork(QStringLiteral(":/icon/%1.png").arg(id), devicePixelRatio());
}

int ImageButton::SetIcons(int normalId, int hoverId)
{
    const QPixmap normal = LoadIcon(normalId);
    if (hoverId == AutoGreyIcon) {
        return StoreImages(icons, normal, QPixmap(), true);
    }
    return StoreImages(icons, normal, LoadIcon(hoverId), false);
}

int ImageButton::SetIcons(const QPixmap& normal, const QPixmap& other)
{
    return StoreImages(icons, normal, other, false);
}

int ImageButton::SetIcons(const QPixmap& normal, int otherId)
{
    if (otherId == AutoGreyIcon) {
        return StoreImages(icons, normal, QPixmap(), true);
    }
    return StoreImages(icons, normal, LoadIcon(otherId), false);
}

int ImageButton::SetBitmaps(const QPixmap& normal, const QPixmap& other)
{
    return StoreImages(bitmaps, normal, other, false);
}

int ImageButton::StoreImages(std::array<Image, 2>& images, const QPixmap& normal, const QPixmap& other, bool autoGrey)
{
    FreeImages();
    if (normal.isNull()) {
        update();
        return ButtonOk;
    }
    const auto measure = [](const QPixmap& p) {
        const QSize size = p.deviceIndependentSize().toSize();
        return Image{p, static_cast<std::uint32_t>(size.width()), static_cast<std::uint32_t>(size.height())};
    };
    images[0] = measure(normal);
    QPixmap second = other;
    if (autoGrey) {
        second = MakeGreyIcon(normal);
        if (second.isNull()) {
            FreeImages();
            return ButtonInvalidIcon;
        }
    }
    if (!second.isNull()) {
        images[1] = measure(second);
    }
    update();
    return ButtonOk;
}

void ImageButton::FreeImages()
{
    icons = {};
    bitmaps = {};
}

bool ImageButton::HasIcon(int slot) const
{
    return slot >= 0 && slot < 2 && !icons[static_cast<std::size_t>(slot)].pixmap.isNull();
}

void ImageButton::Repaint(bool repaint)
{
    if (repaint) {
        update();
    }
}

int ImageButton::SetFlat(bool on, bool repaint)
{
    flat = on;
    if (!flat) {
        hovering = false; // raised buttons have no hover state
    }
    Repaint(repaint);
    return ButtonOk;
}

int ImageButton::SetAlign(int newAlign, bool repaint)
{
    if (newAlign < AlignImageLeft || newAlign > AlignOverlap) {
        return ButtonInvalidAlign;
    }
    align = static_cast<std::uint8_t>(newAlign);
    Repaint(repaint);
    return ButtonOk;
}

int ImageButton::SetPressedStyle(int style, bool repaint)
{
    if (style == PressedStyleDown) {
        pressedOffsetX = 1;
        pressedOffsetY = 1;
    } else if (style == PressedStyleDeep) {
        pressedOffsetX = 0;
        pressedOffsetY = 2;
    } else {
        return ButtonInvalidPressedStyle;
    }
    Repaint(repaint);
    return ButtonOk;
}

int ImageButton::SetCheckState(int check, bool repaint)
{
    if (checkBoxStyle) {
        StoreChecked(check != 0);
        Repaint(repaint);
    }
    return ButtonOk;
}

void ImageButton::StoreChecked(bool on)
{
    if (checked == on) {
        return;
    }
    checked = on;
    // Assistive technology announces the change, as for any check box.
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void ImageButton::SetCheck(int state)
{
    constexpr int Checked = 1;
    constexpr int Indeterminate = 2;
    SetCheckState(state == Checked || state == Indeterminate ? 1 : 0, true);
}

void ImageButton::SetCheckBoxStyle(bool on, bool repaint)
{
    checkBoxStyle = on;
    if (!on) {
        StoreChecked(false);
    }
    Repaint(repaint);
}

int ImageButton::SetDefaultColours(bool repaint)
{
    const ColourRef face = FromQColor(GetSysColour(palette(), SysColour::BtnFace));
    const ColourRef text = FromQColor(GetSysColour(palette(), SysColour::BtnText));
    stateColours = {face, text, face, text, face, text};
    Repaint(repaint);
    return ButtonOk;
}

int ImageButton::SetColour(int index, ColourRef colour, bool repaint)
{
    if (index < 0 || index >= static_cast<int>(stateColours.size())) {
        return ButtonInvalidIndex;
    }
    stateColours[static_cast<std::size_t>(index)] = colour;
    Repaint(repaint);
    return ButtonOk;
}

ColourRef ImageButton::GetColour(int index) const
{
    if (index < 0 || index >= static_cast<int>(stateColours.size())) {
        return 0;
    }
    return stateColours[static_cast<std::size_t>(index)];
}

int ImageButton::SetUrl(const QString& target)
{
    QByteArray bytes = target.toUtf8();
    if (bytes.size() > MaxUrlBytes) {
        // Cut on a character boundary: never keep half of a multibyte character.
        qsizetype end = MaxUrlBytes;
        while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80) {
            --end;
        }
        bytes.truncate(end);
    }
    url = bytes;
    return ButtonOk;
}

QString ImageButton::GetUrl() const
{
    return QString::fromUtf8(url);
}

int ImageButton::SetMenu(QMenu* newMenu, bool repaint)
{
    menu.reset(newMenu);
    if (menu) {
        menu->setParent(nullptr, menu->windowFlags());
    }
    Repaint(repaint);
    return ButtonOk;
}

int ImageButton::SetBtnCursor(const QCursor& cursor, bool repaint)
{
    setCursor(cursor);
    Repaint(repaint);
    return ButtonOk;
}

int ImageButton::SetTransparent(bool on, bool repaint)
{
    transparent = on;
    background = QPixmap();
    Repaint(repaint);
    return ButtonOk;
}

int ImageButton::SetAlwaysTrack(bool on)
{
    alwaysTrack = on;
    return ButtonOk;
}

int ImageButton::SetDrawBorder(bool on, bool repaint)
{
    drawBorder = on;
    Repaint(repaint);
    return ButtonOk;
}

int ImageButton::SetFlatFocus(bool on, bool repaint)
{
    drawFlatFocus = on;
    Repaint(repaint);
    return ButtonOk;
}

int ImageButton::SetImageMargins(int x, int y, bool repaint)
{
    imageMarginX = x;
    imageMarginY = y;
    Repaint(repaint);
    return ButtonOk;
}

int ImageButton::DrawDisabledBitmapEmbossed(bool on, bool repaint)
{
    drawDisabledBitmapEmbossed = on;
    Repaint(repaint);
    return ButtonOk;
}

int ImageButton::SetSound(const QString& name, bool hover)
{
    // Stored for callers that configure sounds; Qt Widgets cannot play a sound file without Qt Multimedia,
    // so hover and click stay silent.
    (hover ? hoverSound : clickSound) = name;
    return ButtonOk;
}

bool ImageButton::SyncDefault() const
{
    // The dialog moves the default as the focus moves between push buttons; QPushButton tracks that.
    isDefault = QPushButton::isDefault();
    return isDefault;
}

bool ImageButton::IsDefaultButton() const
{
    return SyncDefault();
}

QPixmap ImageButton::MakeGreyIcon(const QPixmap& icon)
{
    if (icon.isNull()) {
        return {};
    }
    QImage image = icon.toImage().convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) {
        return {};
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            row[x] = GreyPixel(row[x]);
        }
    }
    QPixmap grey = QPixmap::fromImage(image);
    grey.setDevicePixelRatio(icon.devicePixelRatio());
    return grey;
}

void ImageButton::CancelHover()
{
    if (flat && hovering) {
        hovering = false;
        update();
    }
}

void ImageButton::TrackHover(const QPoint& pos, Qt::MouseButtons buttons)
{
    if ((buttons & Qt::LeftButton) && !hovering) {
        return;
    }
    if (!flat) {
        return;
    }
    const bool owner = alwaysTrack || (window() && window()->isActiveWindow());
    if (rect().contains(pos) && owner) {
        if (hovering) {
            return;
        }
        hovering = true;
        update();
        // The hover sound would play here; see SetSound.
        return;
    }
    CancelHover();
}

void ImageButton::OnClicked()
{
    setFocus(Qt::MouseFocusReason);
    // The click sound would play here; see SetSound.
    if (checkBoxStyle) {
        StoreChecked(!checked);
        update();
        return;
    }
    if (menu) {
        menuShown = true;
        repaint();
        emit MenuAboutToPopUp(menu.get());
        QAction* chosen = menu->exec(mapToGlobal(QPoint(0, height())));
        menuShown = false;
        repaint();
        if (chosen) {
            emit MenuCommand(chosen);
        }
        return;
    }
    if (!url.isEmpty()) {
        OpenLinkTarget(GetUrl());
    }
}

void ImageButton::HandFocusOn()
{
    QWidget* parent = parentWidget();
    if (!parent) {
        return;
    }
    for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (parent->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisible()) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    parent->setFocus(Qt::OtherFocusReason);
}

KitRect ImageButton::PlaceImage(bool hasCaption, const KitRect& item, KitRect& caption, bool isPressed, int imageWidth,
                                int imageHeight) const
{
    ImagePlaceInput in;
    in.align = align;
    in.checkBoxStyle = checkBoxStyle;
    in.imageMarginX = imageMarginX;
    in.imageMarginY = imageMarginY;
    in.pressedOffsetX = pressedOffsetX;
    in.pressedOffsetY = pressedOffsetY;
    in.clientRight = rect().right() + 1;
    return ::PlaceImage(in, hasCaption, item, caption, isPressed, imageWidth, imageHeight);
}

void ImageButton::DrawItem(QPainter& painter, const KitRect& item, bool selected, bool focus, bool isDisabled)
{
    pressed = checkBoxStyle ? (selected || checked) : (selected || (menu && menuShown));
    focused = focus;
    disabled = isDisabled;
    SyncDefault();
    const QPalette& pal = palette();

    KitRect work = item;
    if (!flat && (focused || isDefault)) {
        // Black marks the default button; on a dark desktop it is lightened so that it still shows.
        const ColourRef window = FromQColor(pal.color(QPalette::Active, QPalette::Window));
        FrameKitRect(painter, work, ToQColor(ReadableOn(MakeColourRef(0, 0, 0), window)));
        work = work.Inflate(-1);
    }

    if (transparent) {
        PaintParentBackground(painter);
    } else {
        DrawBackground(painter, work);
    }

    if (pressed) {
        if (flat) {
            if (drawBorder) {
                DrawBorder(painter, work);
            }
        } else {
            FrameKitRect(painter, work, GetSysColour(pal, SysColour::BtnShadow));
        }
    } else if (flat) {
        if (hovering && drawBorder) {
            DrawBorder(painter, work);
        }
    } else {
        for (const EdgeLine& line : RaisedEdgeLines(work)) {
            DrawPolyline(painter, line.points.data(), static_cast<int>(line.points.size()),
                         GetSysColour(pal, line.colour));
        }
    }

    const QString caption = text();
    KitRect captionRect = item;
    const bool hasCaption = !caption.isEmpty();
    if (!icons[0].pixmap.isNull()) {
        DrawIconImage(painter, hasCaption, item, captionRect, pressed, disabled);
    }
    if (!bitmaps[0].pixmap.isNull()) {
        DrawBitmapImage(painter, hasCaption, item, captionRect, pressed, disabled);
    }
    if (hasCaption) {
        DrawCaption(painter, caption, item, captionRect, pressed, disabled);
    }
    if ((!flat || drawFlatFocus) && focused) {
        DrawFocusDots(painter, work.Inflate(-FocusRectInsetPx), GetSysColour(pal, SysColour::BtnText));
    }
}

int ImageButton::DrawBackground(QPainter& painter, const KitRect& r)
{
    const int index = BackgroundColourIndex(hovering, pressed, focused);
    FillKitRect(painter, r, ToQColor(stateColours[static_cast<std::size_t>(index)]));
    return 0;
}

int ImageButton::DrawBorder(QPainter& painter, const KitRect& r)
{
    const QColor light = GetSysColour(palette(), SysColour::BtnHighlight);
    const QColor shadow = GetSysColour(palette(), SysColour::BtnShadow);
    if (pressed) {
        Draw3dRect(painter, r, shadow, light);
    } else {
        Draw3dRect(painter, r, light, shadow);
    }
    return 0;
}

void ImageButton::DrawSlotImage(QPainter& painter, const std::array<Image, 2>& images, bool hasCaption,
                                const KitRect& item, KitRect& caption, bool isPressed, bool isDisabled, bool emboss)
{
    const int slot = ImageSlot(checkBoxStyle, isPressed, hovering, !images[1].pixmap.isNull());
    const Image& image = images[static_cast<std::size_t>(slot)];
    const int w = static_cast<int>(image.width);
    const int h = static_cast<int>(image.height);
    const KitRect at = PlaceImage(hasCaption, item, caption, isPressed, w, h);
    if (isDisabled && emboss) {
        painter.drawImage(QPoint(at.left, at.top),
                          EmbossedImage(image.pixmap.toImage(), GetSysColour(palette(), SysColour::BtnHighlight),
                                        GetSysColour(palette(), SysColour::BtnShadow)));
    } else {
        painter.drawPixmap(QRect(at.left, at.top, w, h), image.pixmap);
    }
}

void ImageButton::DrawIconImage(QPainter& painter, bool hasCaption, const KitRect& item, KitRect& caption,
                                bool isPressed, bool isDisabled)
{
    DrawSlotImage(painter, icons, hasCaption, item, caption, isPressed, isDisabled, true);
}

void ImageButton::DrawBitmapImage(QPainter& painter, bool hasCaption, const KitRect& item, KitRect& caption,
                                  bool isPressed, bool isDisabled)
{
    DrawSlotImage(painter, bitmaps, hasCaption, item, caption, isPressed, isDisabled, drawDisabledBitmapEmbossed);
}

void ImageButton::DrawCaption(QPainter& painter, const QString& caption, const KitRect& /*item*/, KitRect& captionRect,
                              bool isPressed, bool isDisabled)
{
    using namespace TextFormat;
    constexpr unsigned format = WordBreak | Center;
    if (isPressed && !checkBoxStyle) {
        captionRect = captionRect.Offset(pressedOffsetX, pressedOffsetY);
    }
    const KitRect frame = captionRect;
    painter.setFont(font());
    const QSize size = MeasureKitText(painter, captionRect, caption, format);
    captionRect = {captionRect.left, captionRect.top, captionRect.left + size.width(), captionRect.top + size.height()};
    captionRect =
        captionRect.Offset((frame.Width() - captionRect.Width()) / 2, (frame.Height() - captionRect.Height()) / 2);
    // Lines are laid out in the frame's width, where they were measured, and start at the block's top.
    const auto draw = [&](int dx, int dy, const QColor& colour) {
        painter.setPen(colour);
        DrawKitText(painter, {frame.left + dx, captionRect.top + dy, frame.right + dx, captionRect.bottom + dy},
                    caption, format | NoClip);
    };
    if (isDisabled) {
        // Engraved: a highlight copy one pixel down-right under the shadow copy.
        draw(1, 1, GetSysColour(palette(), SysColour::BtnHighlight));
        draw(0, 0, GetSysColour(palette(), SysColour::BtnShadow));
    } else {
        const int index = CaptionColourIndex(hovering, isPressed);
        draw(0, 0, ToQColor(stateColours[static_cast<std::size_t>(index + 1)]));
    }
}

void ImageButton::PaintParentBackground(QPainter& painter)
{
    QWidget* parent = parentWidget();
    if (!parent) {
        return;
    }
    if (background.isNull()) {
        background = QPixmap(size());
        background.fill(GetSysColour(palette(), SysColour::BtnFace));
        // The parent's own background only: its children, this button among them, are left out.
        parent->render(&background, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    }
    painter.drawPixmap(0, 0, background);
}

void ImageButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    DrawItem(painter, KitRect::FromQRect(rect()), isDown(), hasFocus(), !isEnabled());
}

void ImageButton::enterEvent(QEnterEvent* event)
{
    QPushButton::enterEvent(event);
    TrackHover(event->position().toPoint(), QApplication::mouseButtons());
}

void ImageButton::leaveEvent(QEvent* event)
{
    QPushButton::leaveEvent(event);
    CancelHover();
}

void ImageButton::mouseMoveEvent(QMouseEvent* event)
{
    QPushButton::mouseMoveEvent(event);
    TrackHover(event->position().toPoint(), event->buttons());
}

void ImageButton::focusInEvent(QFocusEvent* event)
{
    QPushButton::focusInEvent(event);
    update();
}

void ImageButton::focusOutEvent(QFocusEvent* event)
{
    QPushButton::focusOutEvent(event);
    update();
    CancelHover();
}

void ImageButton::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        // A button disabled at run time hands the focus on, whether or not it had it, so the keyboard never
        // ends on a dead control. Buttons built disabled before the window shows keep the initial focus alone.
        if (!isEnabled() && parentWidget() && parentWidget()->isEnabled() && window()->isVisible()) {
            HandFocusOn();
        }
        CancelHover();
        break;
    case QEvent::ActivationChange:
        if (window() && !window()->isActiveWindow()) {
            CancelHover();
        }
        break;
    case QEvent::ApplicationPaletteChange:
    case QEvent::ThemeChange:
        background = QPixmap();
        SetDefaultColours(true);
        break;
    default:
        break;
    }
}

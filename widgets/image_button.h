#pragma once

#include "widgets/colour_ref.h"
#include "widgets/drawing_rules.h"

#include <QPixmap>
#include <QPushButton>
#include <array>
#include <cstdint>
#include <memory>

class QMenu;

// The kit's push button: an icon (or a masked bitmap) with its caption, raised 3D or flat with a hover
// edge, painted by its own pipeline (DrawItem and the steps it calls). It can act as a check box, pop up
// a menu or open a link on a click; the ordinary clicked() is emitted in every case.
class ImageButton : public QPushButton
{
    Q_OBJECT

public:
    // Result codes of the setters.
    static constexpr int ButtonOk = 0;
    static constexpr int ButtonInvalidIcon = 1;
    static constexpr int ButtonInvalidIndex = 2; // SetColour with an index outside 0..5
    static constexpr int ButtonInvalidAlign = 4;
    static constexpr int ButtonInvalidPressedStyle = 6;

    // Second icon id meaning "a grey copy of the normal icon".
    static constexpr int AutoGreyIcon = -2;
    // Longest link target kept, in UTF-8 bytes.
    static constexpr int MaxUrlBytes = 259;

    explicit ImageButton(QWidget* parent = nullptr);
    explicit ImageButton(const QString& text, QWidget* parent = nullptr);
    ~ImageButton() override;

    // Loads ":/icon/<id>.png"; 0 = none; AutoGreyIcon as hover id = grey copy of the normal icon.
    // An icon that cannot be loaded leaves the button without an image.
    int SetIcons(int normalId, int hoverId = 0);
    // `normal` shows while hovered or pressed, `other` (when not null) at rest.
    int SetIcons(const QPixmap& normal, const QPixmap& other = QPixmap());
    // `otherId` as for the resource form: 0 none, AutoGreyIcon a grey copy, else ":/icon/<id>.png".
    int SetIcons(const QPixmap& normal, int otherId);
    // Masked bitmaps in the same roles as the icons; the pixmap's alpha is its mask.
    int SetBitmaps(const QPixmap& normal, const QPixmap& other = QPixmap());
    void FreeImages();

    int SetFlat(bool flat, bool repaint = true);
    int SetAlign(int align, bool repaint = true);
    // 0: pressed content moves by (1, 1); 1: by (0, 2).
    int SetPressedStyle(int style, bool repaint = true);
    // Only a check-box-style button takes the state.
    int SetCheckState(int check, bool repaint = true);
    bool GetCheckState() const { return checked; }
    // What a check-state message from outside does: 1 or 2 checks, anything else clears.
    void SetCheck(int state);
    void SetCheckBoxStyle(bool on, bool repaint = true);
    bool IsCheckBoxStyle() const { return checkBoxStyle; }

    int SetDefaultColours(bool repaint = true);
    int SetColour(int index, ColourRef colour, bool repaint = true);
    ColourRef GetColour(int index) const;

    int SetUrl(const QString& url = QString());
    QString GetUrl() const;

    // Takes ownership of the menu; it pops up below the button on a click.
    int SetMenu(QMenu* menu, bool repaint = true);
    int SetBtnCursor(const QCursor& cursor, bool repaint = false);
    int SetTransparent(bool on, bool repaint = true);
    int SetAlwaysTrack(bool on);
    int SetDrawBorder(bool on, bool repaint = true);
    int SetFlatFocus(bool on, bool repaint = true);
    int SetImageMargins(int x, int y, bool repaint = true);
    int DrawDisabledBitmapEmbossed(bool on, bool repaint = true);
    // Kept for callers that set them; this build plays no sounds (Qt Widgets has no sound API).
    int SetSound(const QString& name, bool hover = true);

    bool IsHovering() const { return hovering; }
    // Follows the dialog's default push button as the focus moves.
    bool IsDefaultButton() const;
    bool IsMenuShown() const { return menuShown; }
    QMenu* GetMenu() const { return menu.get(); }
    int GetAlign() const { return align; }
    QPoint PressedOffset() const { return {pressedOffsetX, pressedOffsetY}; }
    bool HasIcon(int slot) const;

    // The grey copy of an image (black pixels stay black), or a null pixmap.
    static QPixmap MakeGreyIcon(const QPixmap& icon);

    void CancelHover();

signals:
    // Just before the menu pops up, so its owner can adjust it.
    void MenuAboutToPopUp(QMenu* menu);
    // The menu entry chosen on a click.
    void MenuCommand(QAction* action);

protected:
    // The drawing pipeline: state from `selected`/`focus`/`disabled`, background, edge, image, caption, focus.
    virtual void DrawItem(QPainter& painter, const KitRect& item, bool selected, bool focus, bool disabled);
    virtual int DrawBackground(QPainter& painter, const KitRect& r);
    virtual int DrawBorder(QPainter& painter, const KitRect& r);
    virtual void DrawIconImage(QPainter& painter, bool hasCaption, const KitRect& item, KitRect& caption, bool pressed,
                               bool disabled);
    virtual void DrawBitmapImage(QPainter& painter, bool hasCaption, const KitRect& item, KitRect& caption,
                                 bool pressed, bool disabled);
    virtual void DrawCaption(QPainter& painter, const QString& text, const KitRect& item, KitRect& caption,
                             bool pressed, bool disabled);
    KitRect PlaceImage(bool hasCaption, const KitRect& item, KitRect& caption, bool pressed, int imageWidth,
                       int imageHeight) const;
    void PaintParentBackground(QPainter& painter);

    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Image
    {
        QPixmap pixmap;
        std::uint32_t width = 0;
        std::uint32_t height = 0;
    };

    void Init();
    void Repaint(bool repaint);
    void StoreChecked(bool on);
    void TrackHover(const QPoint& pos, Qt::MouseButtons buttons);
    void OnClicked();
    bool SyncDefault() const;
    void HandFocusOn();
    int StoreImages(std::array<Image, 2>& images, const QPixmap& normal, const QPixmap& other, bool autoGrey);
    void DrawSlotImage(QPainter& painter, const std::array<Image, 2>& images, bool hasCaption, const KitRect& item,
                       KitRect& caption, bool pressed, bool disabled, bool emboss);
    QPixmap LoadIcon(int id) const;

    bool drawDisabledBitmapEmbossed = true;
    int imageMarginX = 3;
    int imageMarginY = 3;
    int pressedOffsetX = 1;
    int pressedOffsetY = 1;
    bool flat = true;
    bool hovering = false;
    bool transparent = false;
    bool pressed = false;
    bool focused = false;
    bool disabled = false;
    mutable bool isDefault = false;
    bool checkBoxStyle = false;
    std::uint8_t align = AlignImageLeft;
    bool drawBorder = true;
    bool drawFlatFocus = false;
    std::array<ColourRef, 6> stateColours{};
    std::unique_ptr<QMenu> menu;
    bool menuShown = false;
    bool alwaysTrack = true;
    bool checked = false;
    QByteArray url;
    std::array<Image, 2> icons;
    std::array<Image, 2> bitmaps;
    QString hoverSound;
    QString clickSound;
    QPixmap background; // the parent's pixels under a transparent button, taken at its first paint
};

#pragma once

#include "widgets/colour_ref.h"
#include "widgets/drawing_rules.h"

#include <QFont>
#include <QLabel>
#include <QTimer>
#include <cstdint>

// The kit's text label: paints the ordinary label text itself (off-screen, so repaints do not flicker)
// with its own font and colours, an optional solid or gradient background, blinking, a 3D highlight copy,
// rotation, and a click action (web link, mail link, or LinkClicked() to the parent).
class LinkLabel : public QLabel
{
    Q_OBJECT

public:
    static constexpr int NoLink = 0;
    static constexpr int WebLink = 1;
    static constexpr int MailLink = 2;
    static constexpr int FlashNone = 0;
    static constexpr int FlashTextMode = 1;
    static constexpr int FlashBackgroundMode = 2;
    static constexpr int BlinkIntervalMs = 500;
    static constexpr int GradientBands = 100;

    explicit LinkLabel(QWidget* parent = nullptr);
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);
    ~LinkLabel() override;

    // fillMode 0 paints `left` solid; any other value a left-to-right gradient from `left` to `right`.
    virtual LinkLabel& SetBkColour(ColourRef left, ColourRef right = 0, int fillMode = 0);
    virtual LinkLabel& SetTextColour(ColourRef colour);
    virtual LinkLabel& SetText(const QString& text);
    virtual LinkLabel& SetFontBold(bool bold);
    // Face names longer than 31 characters are cut; the character set is kept for reference only.
    virtual LinkLabel& SetFontName(const QString& face, std::uint8_t charSet = 0);
    virtual LinkLabel& SetFontUnderline(bool underline);
    virtual LinkLabel& SetFontItalic(bool italic);
    // Changes only the size; face, weight and the other attributes stay.
    virtual LinkLabel& SetFontSize(int points);
    virtual LinkLabel& SetSunken(bool sunken);
    virtual LinkLabel& SetBorder(bool border);
    virtual LinkLabel& SetTransparent(bool on);
    virtual LinkLabel& FlashText(bool on);
    virtual LinkLabel& FlashBackground(bool on);
    virtual LinkLabel& SetLink(bool link, bool notifyParent);
    virtual LinkLabel& SetLinkCursor(const QCursor& cursor);
    virtual LinkLabel& SetText3D(bool on, bool downRight = false);
    virtual LinkLabel& SetRotationAngle(int degrees, bool rotated);
    virtual LinkLabel& SetHighlightColour(ColourRef colour);
    virtual LinkLabel& SetLabelFont(const QFont& font);
    virtual LinkLabel& SetMailLink(bool mail, bool notifyParent);
    virtual LinkLabel& SetLinkUrl(const QString& url);

    // The static control style (alignment type in the low five bits, SS_NOTIFY, SS_CENTERIMAGE).
    void SetStaticStyle(std::uint32_t style);

    ColourRef GetTextColour() const { return textColour; }
    const QFont& GetLabelFont() const { return fontDescription; }
    int GetLinkType() const { return linkType; }
    int GetFlashMode() const { return flashMode; }
    bool IsTimerRunning() const { return blinkTimer.isActive(); }
    QString GetLinkUrl() const { return linkUrl; }

    // Paints everything now; what every setter with a visible effect ends with.
    void RedrawLabel();
    // What a click on a label with a link does: LinkClicked() to a parent that wants it, else opens the web or
    // mail link. Also Enter or Space while the label has the focus (a link label is a tab stop). False for a
    // label without a link.
    bool ActivateLink();

signals:
    // A click on a label that notifies its parent.
    void LinkClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Init();
    void OnBlinkTimer();
    void ApplyFrame();
    void RestartTimer(bool on, int mode);
    void SetLinkType(int type, bool notify);

    ColourRef textColour = 0;
    ColourRef highlightColour = MakeColourRef(255, 255, 255);
    bool hasBackground = false; // a solid background colour was set
    ColourRef backgroundColour = 0;
    QFont fontDescription;
    std::uint8_t charSet = 0;
    bool blinkPhase = false;
    int linkType = NoLink;
    bool transparent = false;
    bool text3D = false;
    bool notifyParent = false;
    bool rotated = false;
    int rotationDegrees = 0;
    int flashMode = FlashNone;
    bool highlightDownRight = false;
    int fillMode = 0;
    ColourRef gradientRightColour = 0;
    ColourRef gradientLeftColour = 0;
    QString linkUrl;
    std::uint32_t staticStyle = StaticStyle::Left;
    bool sunken = false;
    bool border = false;
    QTimer blinkTimer;
};

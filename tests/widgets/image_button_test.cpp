#include "widget_test_support.h"
#include "widgets/image_button.h"
#include "widgets/kit_paint.h"

#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>
#include <utility>

namespace {

QPixmap Square(int size, QColor colour)
{
    QPixmap p(size, size);
    p.fill(colour);
    return p;
}

// A dialog with the main window's shape: two image buttons, a line edit and a third button.
struct ButtonDialog
{
    QDialog dialog;
    ImageButton* apply = new ImageButton(QStringLiteral("Apply"), &dialog);
    ImageButton* read = new ImageButton(QStringLiteral("Read"), &dialog);
    QLineEdit* edit = new QLineEdit(&dialog);
    ImageButton* exit = new ImageButton(QStringLiteral("Exit"), &dialog);

    ButtonDialog()
    {
        int y = 4;
        for (ImageButton* b : {apply, read, exit}) {
            b->setGeometry(4, y, 90, 60);
            b->SetFlat(false);
            b->SetAlign(AlignImageTop);
            y += 64;
        }
        edit->setGeometry(100, 4, 80, 24);
        QWidget::setTabOrder(apply, read);
        QWidget::setTabOrder(read, edit);
        QWidget::setTabOrder(edit, exit);
        apply->setDefault(true);
        dialog.resize(200, 210);
    }
};

TEST(ImageButtonSetters, BadArgumentsReturnTheirCodeAndChangeNothing)
{
    ImageButton b;
    EXPECT_EQ(b.SetAlign(AlignImageRight), ImageButton::ButtonOk);
    EXPECT_EQ(b.SetAlign(4), 4);
    EXPECT_EQ(b.SetAlign(-1), ImageButton::ButtonInvalidAlign);
    EXPECT_EQ(b.GetAlign(), AlignImageRight);

    EXPECT_EQ(b.SetPressedStyle(1), ImageButton::ButtonOk);
    EXPECT_EQ(b.PressedOffset(), QPoint(0, 2));
    EXPECT_EQ(b.SetPressedStyle(2), 6);
    EXPECT_EQ(b.PressedOffset(), QPoint(0, 2));
    EXPECT_EQ(b.SetColour(6, 0), ImageButton::ButtonInvalidIndex);
}

TEST(ImageButtonSetters, CheckStateOnlyForCheckBoxStyle)
{
    ImageButton b;
    b.SetCheck(1);
    EXPECT_FALSE(b.GetCheckState());
    b.SetCheckBoxStyle(true);
    b.SetCheck(2);
    EXPECT_TRUE(b.GetCheckState()) << "indeterminate counts as checked";
    b.SetCheck(5);
    EXPECT_FALSE(b.GetCheckState());
}

TEST(ImageButtonSetters, UrlKeepsAtMost259BytesAndWholeCharacters)
{
    ImageButton b;
    EXPECT_EQ(b.SetUrl(QString(300, QLatin1Char('a'))), ImageButton::ButtonOk);
    EXPECT_EQ(b.GetUrl().toUtf8().size(), 259);
    // 129 two-byte characters are 258 bytes; one more would split the 130th.
    b.SetUrl(QString(200, QChar(0x00E9)));
    EXPECT_EQ(b.GetUrl(), QString(129, QChar(0x00E9)));
    b.SetUrl();
    EXPECT_TRUE(b.GetUrl().isEmpty());
}

TEST(ImageButtonIcons, MissingResourceLeavesNoImageAndSecondIdZeroKeepsOne)
{
    ImageButton b;
    EXPECT_EQ(b.SetIcons(999), ImageButton::ButtonOk);
    EXPECT_FALSE(b.HasIcon(0));
    EXPECT_EQ(b.SetIcons(Square(16, Qt::red), 0), ImageButton::ButtonOk);
    EXPECT_TRUE(b.HasIcon(0));
    EXPECT_FALSE(b.HasIcon(1));
    EXPECT_EQ(b.SetIcons(QPixmap()), ImageButton::ButtonOk);
    EXPECT_FALSE(b.HasIcon(0)) << "a null icon releases the previous images";
}

TEST(ImageButtonIcons, ShippedIconsLoadByResourceId)
{
    for (int id : {128, 134, 135, 136, 138}) {
        const QPixmap icon(QStringLiteral(":/icon/%1.png").arg(id));
        EXPECT_EQ(icon.size(), QSize(32, 32)) << id;
    }
    const QPixmap picture(QStringLiteral(":/icon/131.png"));
    EXPECT_EQ(picture.size(), QSize(80, 30));

    // The main window's set-up: resource icon, raised, icon above the caption.
    ImageButton b(QStringLiteral("Apply"));
    b.resize(80, 60);
    EXPECT_EQ(b.SetIcons(134, 0), ImageButton::ButtonOk);
    b.SetFlat(false);
    b.SetAlign(AlignImageTop);
    ASSERT_TRUE(b.HasIcon(0));
    EXPECT_FALSE(b.HasIcon(1));
    const QImage img = Grab(b);
    const ColourRef face = FromQColor(GetSysColour(b.palette(), SysColour::BtnFace));
    int ink = 0;
    for (int y = 3; y < 35; ++y) {
        for (int x = 24; x < 56; ++x) {
            ink += PixelAt(img, x, y) != face;
        }
    }
    EXPECT_GT(ink, 100) << "the icon shows in its 32x32 square below the top margin";
}

TEST(ImageButtonIcons, ArtworkIsAsSharpAsTheScreenAndTheDisabledCopiesKeepIt)
{
    const QString apply = QStringLiteral(":/icon/134.png");
    EXPECT_EQ(LoadArtwork(apply, 1.0).toImage(), QPixmap(apply).toImage()) << "the plain file at ratio 1";
    for (const auto& [ratio, devicePx] : {std::pair{1.5, 48}, std::pair{2.0, 64}}) {
        const QPixmap icon = LoadArtwork(apply, ratio);
        EXPECT_EQ(icon.size(), QSize(devicePx, devicePx)) << ratio;
        EXPECT_EQ(icon.deviceIndependentSize().toSize(), QSize(32, 32)) << ratio;
    }
    const QPixmap sharp = LoadArtwork(apply, 2.0);
    EXPECT_EQ(ImageButton::MakeGreyIcon(sharp).devicePixelRatio(), 2.0);
    const QImage embossed = EmbossedImage(sharp.toImage(), Qt::white, Qt::black);
    EXPECT_EQ(embossed.devicePixelRatio(), 2.0);
    EXPECT_EQ(embossed.size(), QSize(66, 66)) << "the highlight copy one logical pixel down-right";
}

TEST(ImageButtonIcons, AutoGreyMakesAGreyRestingCopy)
{
    ImageButton b;
    ASSERT_EQ(b.SetIcons(Square(8, QColor(0, 255, 0)), ImageButton::AutoGreyIcon), ImageButton::ButtonOk);
    ASSERT_TRUE(b.HasIcon(1));
    const QImage grey = ImageButton::MakeGreyIcon(Square(8, QColor(0, 255, 0))).toImage();
    EXPECT_EQ(grey.pixelColor(3, 3), QColor(149, 149, 149));
    EXPECT_TRUE(ImageButton::MakeGreyIcon(QPixmap()).isNull());
}

TEST(ImageButtonDrawing, RaisedButtonEdgeUsesFullRectangleWithoutBlackFrame)
{
    ButtonDialog d;
    ShowActive(d.dialog);
    d.edit->setFocus();
    const QImage img = Grab(*d.read);
    const QPalette& pal = d.read->palette();
    EXPECT_EQ(PixelAt(img, 0, 0), FromQColor(GetSysColour(pal, SysColour::BtnHighlight)));
    EXPECT_EQ(PixelAt(img, 89, 59), FromQColor(GetSysColour(pal, SysColour::DkShadow3D)));
    EXPECT_EQ(PixelAt(img, 88, 58), FromQColor(GetSysColour(pal, SysColour::BtnShadow)));
    EXPECT_EQ(PixelAt(img, 1, 1), FromQColor(GetSysColour(pal, SysColour::Light3D)));
}

TEST(ImageButtonDrawing, DefaultButtonKeepsBlackFrameWithoutFocusRectangle)
{
    ButtonDialog d;
    ShowActive(d.dialog);
    d.edit->setFocus();
    ASSERT_TRUE(d.apply->IsDefaultButton());
    const QImage img = Grab(*d.apply);
    const QPalette& pal = d.apply->palette();
    for (const QPoint p : {QPoint(0, 0), QPoint(89, 0), QPoint(0, 59), QPoint(89, 59), QPoint(45, 0)}) {
        EXPECT_EQ(PixelAt(img, p.x(), p.y()), 0u) << p.x() << "," << p.y();
    }
    EXPECT_EQ(PixelAt(img, 1, 1), FromQColor(GetSysColour(pal, SysColour::BtnHighlight))) << "edge inside the frame";
    // No dots 3 pixels inside the frame: the row there is plain face colour.
    const ColourRef face = FromQColor(GetSysColour(pal, SysColour::BtnFace));
    for (int x = 4; x < 86; ++x) {
        ASSERT_EQ(PixelAt(img, x, 4), face) << x;
    }
}

TEST(ImageButtonDrawing, DefaultMovesWithFocusBetweenPushButtons)
{
    ButtonDialog d;
    ShowActive(d.dialog);
    d.read->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(d.read->IsDefaultButton());
    EXPECT_FALSE(d.apply->IsDefaultButton());
    EXPECT_NE(PixelAt(Grab(*d.apply), 0, 0), 0u) << "the former default loses its frame";
    const QImage focused = Grab(*d.read);
    EXPECT_EQ(PixelAt(focused, 0, 0), 0u);
    // The dotted focus rectangle starts 3 pixels inside the working rectangle (which is inside the frame).
    const ColourRef text = FromQColor(GetSysColour(d.read->palette(), SysColour::BtnText));
    EXPECT_EQ(PixelAt(focused, 4, 4), text);
    EXPECT_NE(PixelAt(focused, 5, 4), text);

    d.edit->setFocus();
    EXPECT_TRUE(d.apply->IsDefaultButton()) << "a non-button focus returns the default";
    EXPECT_EQ(PixelAt(Grab(*d.apply), 0, 0), 0u);
}

TEST(ImageButtonDrawing, PressedShowsShadowFrameAndShiftsContent)
{
    ImageButton b(QStringLiteral("X"));
    b.resize(60, 60);
    b.SetFlat(false);
    b.SetAlign(AlignImageTop);
    b.SetIcons(Square(10, Qt::red));
    const QImage rest = Grab(b);
    EXPECT_EQ(rest.pixelColor(25, 3), QColor(Qt::red));
    EXPECT_NE(rest.pixelColor(25 + 10, 3), QColor(Qt::red));
    b.setDown(true);
    const QImage down = Grab(b);
    EXPECT_EQ(PixelAt(down, 0, 0), FromQColor(GetSysColour(b.palette(), SysColour::BtnShadow)));
    EXPECT_NE(down.pixelColor(25, 3), QColor(Qt::red));
    EXPECT_EQ(down.pixelColor(26, 4), QColor(Qt::red));
    EXPECT_EQ(down.pixelColor(35, 13), QColor(Qt::red));

    b.SetCheckBoxStyle(true);
    const QImage checkDown = Grab(b);
    EXPECT_EQ(checkDown.pixelColor(25, 3), QColor(Qt::red)) << "a check-box-style button does not shift";
}

TEST(ImageButtonDrawing, SecondIconRestsFirstShowsWhilePressed)
{
    ImageButton b;
    b.resize(40, 40);
    b.SetFlat(false);
    b.SetIcons(Square(10, Qt::red), Square(10, Qt::blue));
    EXPECT_EQ(Grab(b).pixelColor(20, 20), QColor(Qt::blue));
    b.setDown(true);
    EXPECT_EQ(Grab(b).pixelColor(20, 20), QColor(Qt::red));
}

TEST(ImageButtonDrawing, DisabledCaptionIsDrawnTwice)
{
    ImageButton b(QStringLiteral("I"));
    b.resize(40, 40);
    b.SetFlat(false);
    QFont big = b.font();
    big.setPixelSize(30);
    big.setStyleStrategy(QFont::NoAntialias); // exact colours to compare
    b.setFont(big);
    b.setEnabled(false);
    const QImage img = Grab(b);
    const ColourRef light = FromQColor(GetSysColour(b.palette(), SysColour::BtnHighlight));
    const ColourRef shadow = FromQColor(GetSysColour(b.palette(), SysColour::BtnShadow));
    // Somewhere a shadow pixel has a highlight pixel below-right of it: the engraved look.
    int engraved = 0;
    for (int y = 3; y < 36; ++y) {
        for (int x = 3; x < 36; ++x) {
            if (PixelAt(img, x, y) == shadow && PixelAt(img, x + 1, y + 1) == light) {
                ++engraved;
            }
        }
    }
    EXPECT_GT(engraved, 3);
}

TEST(ImageButtonBehaviour, DoubleClickCountsAsTwoClicks)
{
    ButtonDialog d;
    ShowActive(d.dialog);
    QSignalSpy clicks(d.exit, &QAbstractButton::clicked);
    const QPointF at(20, 20);
    const auto send = [&](QEvent::Type type) {
        QMouseEvent event(type, at, d.exit->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(d.exit, &event);
    };
    // What Qt delivers for a double click: the second press comes with a double-click event.
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress,
                      QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        send(type);
    }
    EXPECT_EQ(clicks.count(), 2);
    // Platforms that send the double click instead of the second press.
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                      QEvent::MouseButtonRelease}) {
        send(type);
    }
    EXPECT_EQ(clicks.count(), 4);
}

TEST(ImageButtonBehaviour, CheckBoxStyleTogglesOnClickAndStillEmitsClicked)
{
    ButtonDialog d;
    ShowActive(d.dialog);
    d.exit->SetCheckBoxStyle(true);
    QSignalSpy clicks(d.exit, &QAbstractButton::clicked);
    QTest::mouseClick(d.exit, Qt::LeftButton);
    EXPECT_TRUE(d.exit->GetCheckState());
    EXPECT_TRUE(d.exit->hasFocus());
    QTest::mouseClick(d.exit, Qt::LeftButton);
    EXPECT_FALSE(d.exit->GetCheckState());
    EXPECT_EQ(clicks.count(), 2);
}

TEST(ImageButtonBehaviour, DisablingHandsFocusToNextTabStop)
{
    ButtonDialog d;
    ShowActive(d.dialog);
    d.exit->setFocus();
    // As the main window does after a port change: Apply then Read, neither of which has the focus.
    d.apply->setEnabled(false);
    d.read->setEnabled(false);
    EXPECT_EQ(QApplication::focusWidget(), d.edit);

    d.edit->setEnabled(false);
    d.exit->setEnabled(false);
    EXPECT_FALSE(d.exit->hasFocus());
    EXPECT_TRUE(d.dialog.isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == &d.dialog ||
                QApplication::focusWidget() == nullptr);
}

TEST(ImageButtonBehaviour, MenuPopsUpBelowDrawnPressedAndReportsTheChoice)
{
    ButtonDialog d;
    ShowActive(d.dialog);
    auto* menu = new QMenu;
    QAction* second = nullptr;
    menu->addAction(QStringLiteral("First"));
    second = menu->addAction(QStringLiteral("Second"));
    d.exit->SetMenu(menu);
    bool shownPressed = false;
    QPoint popupAt;
    QObject::connect(d.exit, &ImageButton::MenuAboutToPopUp, d.exit, [&](QMenu* m) {
        shownPressed = d.exit->IsMenuShown() && PixelAt(Grab(*d.exit), 1, 1) ==
                                                    FromQColor(GetSysColour(d.exit->palette(), SysColour::BtnShadow));
        QTimer::singleShot(0, m, [m, &popupAt] {
            popupAt = m->pos();
            QTest::keyClick(m, Qt::Key_Down);
            QTest::keyClick(m, Qt::Key_Down);
            QTest::keyClick(m, Qt::Key_Return);
        });
    });
    QSignalSpy chosen(d.exit, &ImageButton::MenuCommand);
    QSignalSpy clicks(d.exit, &QAbstractButton::clicked);
    QTest::mouseClick(d.exit, Qt::LeftButton);
    EXPECT_TRUE(shownPressed);
    EXPECT_FALSE(d.exit->IsMenuShown());
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0][0].value<QAction*>(), second);
    EXPECT_EQ(clicks.count(), 1) << "the dialog still hears the click";
    EXPECT_EQ(popupAt.y(), d.exit->mapToGlobal(QPoint(0, d.exit->height())).y());
}

TEST(ImageButtonBehaviour, LinkOpensOnClickButNeverAProgram)
{
    UrlCatcher catcher;
    ImageButton b(QStringLiteral("Help"));
    b.resize(60, 30);
    b.SetUrl(QStringLiteral("https://example.com/manual"));
    QTest::mouseClick(&b, Qt::LeftButton);
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0], QUrl(QStringLiteral("https://example.com/manual")));
    b.SetUrl(QStringLiteral("/bin/sh"));
    QTest::mouseClick(&b, Qt::LeftButton);
    EXPECT_EQ(catcher.opened.size(), 1);
}

TEST(ImageButtonDrawing, TransparentButtonShowsTheParentsBackground)
{
    QWidget parent;
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, QColor(20, 120, 220));
    parent.setPalette(pal);
    parent.setAutoFillBackground(true);
    parent.resize(100, 60);
    auto* b = new ImageButton(QString(), &parent);
    b->setGeometry(10, 10, 40, 30);
    b->SetTransparent(true);
    EXPECT_EQ(Grab(*b).pixelColor(20, 15), QColor(20, 120, 220));
}

TEST(ImageButtonBehaviour, OnlyFlatButtonsHover)
{
    ImageButton raised;
    raised.SetFlat(false);
    raised.resize(40, 30);
    raised.show();
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
    QApplication::sendEvent(&raised, &enter);
    EXPECT_FALSE(raised.IsHovering());

    ImageButton flat;
    flat.resize(40, 30);
    flat.show();
    QApplication::sendEvent(&flat, &enter);
    EXPECT_TRUE(flat.IsHovering());
    const QImage hovered = Grab(flat);
    EXPECT_EQ(PixelAt(hovered, 0, 0), FromQColor(GetSysColour(flat.palette(), SysColour::BtnHighlight)));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&flat, &leave);
    EXPECT_FALSE(flat.IsHovering());
    EXPECT_EQ(PixelAt(Grab(flat), 0, 0), FromQColor(GetSysColour(flat.palette(), SysColour::BtnFace)))
        << "a flat button at rest has no edge";
}

} // namespace

#include "res/dialog_builder.h"
#include "res/fonts.h"
#include "widgets/ip_address_edit.h"
#include "widgets/up_down.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

using namespace style;

namespace {

// Builds a template on a fresh dialog kept alive by the test.
struct Built
{
    explicit Built(const DialogTemplate& t, const std::map<int, ControlFactory>& custom = {})
    {
        BuildDialog(&dialog, t, custom);
    }
    template <class T> T* Get(int id) { return Control<T>(&dialog, id); }
    QDialog dialog;
};

DialogTemplate Sample(std::vector<ControlEntry> controls, const char* font = "Tahoma", int points = 8)
{
    return DialogTemplate{999, "Sample", font, points, 200, 100, std::move(controls)};
}

} // namespace

TEST(DialogBuilderTest, EveryTemplateIsFoundAndItsControlsFitInside)
{
    for (int id : {100, 102, 129, 130, 132, 140, 141, 143, 144}) {
        const DialogTemplate* t = FindTemplate(id);
        ASSERT_NE(t, nullptr) << id;
        EXPECT_EQ(t->id, id);
        EXPECT_FALSE(t->controls.empty()) << id;
        for (const ControlEntry& c : t->controls) {
            EXPECT_LE(c.x + c.w, t->w) << "template " << id << " control " << c.id << " " << c.text;
            // A combo box's height includes its dropped list, which may reach past the bottom.
            if (c.kind != ControlKind::ComboBox) {
                EXPECT_LE(c.y + c.h, t->h) << "template " << id << " control " << c.id << " " << c.text;
            }
        }
    }
    EXPECT_EQ(FindTemplate(0), nullptr);
    EXPECT_EQ(FindTemplate(131), nullptr);
}

TEST(DialogBuilderTest, DialogUnitsScaleWithTheTemplateFontAndNeighboursStayFlush)
{
    Built main(*FindTemplate(102));
    auto* search = main.Get<QPushButton>(1002);
    auto* read = main.Get<QPushButton>(1012);
    auto* tabs = main.Get<QWidget>(1004);
    ASSERT_TRUE(search && read && tabs);
    EXPECT_EQ(search->geometry().bottom() + 1, read->geometry().top()) << "buttons at 96+39 and 135 touch";
    EXPECT_EQ(search->height(), read->height());
    // 290 x 185 dialog units: a quarter of the base width across, an eighth of the base height down.
    const QSize units = DialogBaseUnits(main.dialog.font());
    EXPECT_NEAR(tabs->width(), 290 * units.width() / 4, 1);
    EXPECT_NEAR(tabs->height(), 185 * units.height() / 8, 1);
    EXPECT_FALSE(main.dialog.minimumSize().isEmpty());
    EXPECT_EQ(main.dialog.minimumSize(), main.dialog.maximumSize()) << "a modal frame does not resize";

    const std::vector<ControlEntry> one = {{7, ControlKind::Static, "x", 10, 10, 40, 8}};
    Built small(Sample(one, "Tahoma", 8));
    Built large(Sample(one, "Tahoma", 16));
    EXPECT_GT(large.Get<QLabel>(7)->width(), small.Get<QLabel>(7)->width() * 3 / 2);
    EXPECT_GT(large.dialog.height(), small.dialog.height() * 3 / 2);
}

TEST(DialogBuilderTest, ControlsAreFoundByIdAmongDirectChildrenOnly)
{
    Built outer(Sample({{5, ControlKind::PushButton, "Outer", 0, 0, 40, 14}}));
    QDialog inner(&outer.dialog);
    BuildDialog(&inner, Sample({{6, ControlKind::PushButton, "Inner", 0, 0, 40, 14}}));
    EXPECT_EQ(Control<QPushButton>(&outer.dialog, 5)->text(), "Outer");
    EXPECT_EQ(FindControl(&outer.dialog, 6), nullptr) << "a hosted page's controls belong to the page";
    EXPECT_EQ(Control<QPushButton>(&inner, 6)->text(), "Inner");
    EXPECT_EQ(Control<QLabel>(&outer.dialog, 5), nullptr) << "wrong class gives nothing";
    EXPECT_EQ(FindControl(&outer.dialog, -1), nullptr);
    EXPECT_EQ(FindControl(nullptr, 5), nullptr);
}

TEST(DialogBuilderTest, StylesBecomeWidgetBehaviour)
{
    Built b(Sample({
        {1, ControlKind::PushButton, "OK", 0, 0, 40, 14, BS_DEFPUSHBUTTON},
        {2, ControlKind::PushButton, "Off", 50, 0, 40, 14, WS_DISABLED},
        {3, ControlKind::Edit, "", 0, 20, 40, 12, ES_NUMBER | ES_CENTER},
        {4, ControlKind::Edit, "text", 0, 40, 80, 30, ES_MULTILINE | ES_READONLY},
        {5, ControlKind::ComboBox, "", 100, 0, 60, 80, CBS_DROPDOWN},
        {6, ControlKind::ComboBox, "", 100, 20, 60, 80, CBS_DROPDOWNLIST},
        {7, ControlKind::Static, "right", 100, 40, 60, 8, SS_RIGHT | SS_SUNKEN},
        {8, ControlKind::IpAddress, "", 100, 60, 80, 12},
    }));
    EXPECT_TRUE(b.Get<QPushButton>(1)->isDefault());
    EXPECT_FALSE(b.Get<QPushButton>(2)->isEnabled());
    auto* number = b.Get<QLineEdit>(3);
    ASSERT_NE(number, nullptr);
    b.dialog.show();
    QTest::keyClicks(number, "a1b2-3");
    EXPECT_EQ(number->text(), "123");
    EXPECT_TRUE(number->alignment() & Qt::AlignHCenter);
    ASSERT_NE(b.Get<QPlainTextEdit>(4), nullptr);
    EXPECT_TRUE(b.Get<QPlainTextEdit>(4)->isReadOnly());
    EXPECT_TRUE(b.Get<QComboBox>(5)->isEditable());
    EXPECT_FALSE(b.Get<QComboBox>(6)->isEditable());
    EXPECT_LT(b.Get<QComboBox>(6)->height(), 60) << "the closed box is not as high as its dropped list";
    EXPECT_TRUE(b.Get<QLabel>(7)->alignment() & Qt::AlignRight);
    EXPECT_EQ(b.Get<QLabel>(7)->frameShadow(), QFrame::Sunken);
    EXPECT_NE(b.Get<IpAddressEdit>(8), nullptr);
}

TEST(DialogBuilderTest, RadioGroupsEndAtTheNextGroupStart)
{
    Built b(Sample({
        {1, ControlKind::RadioButton, "a1", 0, 0, 60, 10, BS_AUTORADIOBUTTON | WS_GROUP},
        {2, ControlKind::RadioButton, "a2", 0, 12, 60, 10, BS_AUTORADIOBUTTON},
        {3, ControlKind::RadioButton, "b1", 0, 30, 60, 10, BS_AUTORADIOBUTTON | WS_GROUP},
        {4, ControlKind::RadioButton, "b2", 0, 42, 60, 10, BS_AUTORADIOBUTTON},
        {-1, ControlKind::GroupBox, "frame", 0, 0, 100, 60, WS_GROUP},
    }));
    b.dialog.show();
    auto* a1 = b.Get<QRadioButton>(1);
    auto* a2 = b.Get<QRadioButton>(2);
    auto* b1 = b.Get<QRadioButton>(3);
    // Clicks on the indicators reach the buttons through the group box drawn around them.
    const auto click = [&](QRadioButton* radio) {
        const QPoint at = radio->geometry().topLeft() + QPoint(6, radio->height() / 2);
        QWidget* hit = b.dialog.childAt(at);
        ASSERT_EQ(hit, radio);
        QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(&b.dialog, at));
    };
    click(a1);
    click(b1);
    EXPECT_TRUE(a1->isChecked());
    EXPECT_TRUE(b1->isChecked()) << "another group";
    click(a2);
    EXPECT_FALSE(a1->isChecked());
    EXPECT_TRUE(b1->isChecked());
}

TEST(DialogBuilderTest, TabReachesEveryTabStopInTemplateOrder)
{
    for (int id : {100, 102, 129, 130, 132, 140, 141, 143, 144}) {
        const DialogTemplate& t = *FindTemplate(id);
        Built b(t);
        std::vector<QWidget*> stops;
        for (const ControlEntry& c : t.controls) {
            if ((c.styles & WS_TABSTOP) && !(c.styles & WS_DISABLED))
                stops.push_back(FindControl(&b.dialog, c.id));
        }
        if (stops.empty())
            continue; // the information page has nothing to operate
        b.dialog.show();
        b.dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&b.dialog)) << id;
        stops.front()->setFocus(Qt::TabFocusReason);
        // The control the focus is in (an editable list's edit, a tab control's bar, an address's octet).
        const auto focused = [&b]() -> QWidget* {
            for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
                if (w->parentWidget() == &b.dialog)
                    return w;
            }
            return nullptr;
        };
        std::vector<QWidget*> reached{focused()};
        for (int presses = 0; presses < 3 * static_cast<int>(t.controls.size()); ++presses) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (focused() != reached.back())
                reached.push_back(focused());
        }
        // Every stop in template order; stops of its own (an up-down's arrows) may come between.
        auto next = reached.begin();
        for (QWidget* stop : stops) {
            next = std::find(next, reached.end(), stop);
            ASSERT_NE(next, reached.end())
                << "template " << id << ": " << qPrintable(stop->objectName()) << " not reached";
        }
    }
}

TEST(DialogBuilderTest, AutoBuddyUpDownDrivesTheEditBeforeIt)
{
    Built b(Sample({
        {1, ControlKind::Edit, "", 10, 10, 40, 12, ES_NUMBER},
        {2, ControlKind::UpDown, "", 50, 10, 10, 12, UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT},
    }));
    auto* edit = b.Get<QLineEdit>(1);
    auto* spin = b.Get<UpDown>(2);
    ASSERT_TRUE(edit && spin);
    spin->SetRange(0, 99);
    spin->SetPos(42);
    EXPECT_EQ(edit->text(), "42");
    EXPECT_EQ(spin->geometry().left(), edit->geometry().right() + 1) << "the arrows take the edit's right end";
}

TEST(DialogBuilderTest, CustomFactoriesReplaceThePlainWidgetAndStillGetTheTemplateText)
{
    int made = 0;
    Built b(Sample({{9, ControlKind::PushButton, "Mine", 0, 0, 40, 14, WS_DISABLED}}),
            {{9, [&](const ControlEntry& entry, QWidget* parent) -> QWidget* {
                  ++made;
                  EXPECT_EQ(entry.id, 9);
                  auto* button = new QPushButton(parent);
                  button->setObjectName("custom");
                  return button;
              }}});
    EXPECT_EQ(made, 1);
    auto* button = b.Get<QPushButton>(9);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->objectName(), "custom");
    EXPECT_EQ(button->text(), "Mine");
    EXPECT_FALSE(button->isEnabled());
}

TEST(DialogBuilderTest, PicturesComeFromTheResources)
{
    Built version(*FindTemplate(140));
    Built about(*FindTemplate(100));
    int pictures = 0;
    for (QDialog* d : {&version.dialog, &about.dialog}) {
        for (auto* label : d->findChildren<QLabel*>()) {
            if (!label->pixmap().isNull())
                ++pictures;
        }
    }
    EXPECT_EQ(pictures, 2) << "bitmap 131 in the version dialog, icon 128 in the about box";
}

TEST(DialogBuilderTest, DialogFontsMeasureAsOnWindows)
{
    if (!QFile::exists("/usr/share/wine/fonts/tahoma.ttf"))
        GTEST_SKIP() << "fonts-wine is not installed";
    RegisterDialogFonts();
    // Both 8 pt dialog fonts have base units of 6 x 13 at 96 dpi; Qt's own height for Tahoma is 11.
    for (const char* face : {"Tahoma", "MS Sans Serif"}) {
        QFont font(face);
        font.setPointSize(8);
        if (QFontInfo(font).pixelSize() != 11 && QFontInfo(font).pixelSize() != 13)
            GTEST_SKIP() << "not a 96 dpi screen";
        EXPECT_EQ(DialogBaseUnits(font), QSize(6, 13)) << face;
    }
}

TEST(DialogBuilderTest, DialogFontsRegisterOnceFromAFolder)
{
    EXPECT_EQ(RegisterDialogFonts("/nonexistent"), 0);
    EXPECT_EQ(RegisterDialogFonts(QString()), 0) << "no folder is not the working folder";
    const QString wine = "/usr/share/wine/fonts";
    if (!QFile::exists(wine + "/tahoma.ttf"))
        GTEST_SKIP() << "fonts-wine is not installed";
    RegisterDialogFonts(wine);
    EXPECT_TRUE(QFontDatabase::families().contains("Tahoma"));
    EXPECT_TRUE(QFontDatabase::families().contains("MS Sans Serif"));
    EXPECT_EQ(RegisterDialogFonts(wine), 0) << "already registered";
}

namespace {

// Ink of a line of text: the sum of darkness over its pixels.
int TextInk(const QFont& font)
{
    QImage image(400, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(5, 25, QStringLiteral("- Vorn K3\t(Ver >= 3.10h5)"));
    painter.end();
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += 255 - qGray(image.pixel(x, y));
    return ink;
}

} // namespace

TEST(DialogBuilderTest, BoldTahomaLooksBold)
{
    if (!QFile::exists("/usr/share/wine/fonts/tahoma.ttf"))
        GTEST_SKIP() << "fonts-wine is not installed";
    RegisterDialogFonts();
    // The main window's header is bold 10 pt Tahoma; a bold face drawn as thin as the regular one
    // would lose the emphasis.
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(10);
    const int regular = TextInk(font);
    font.setBold(true);
    EXPECT_GT(TextInk(font), regular * 5 / 4);
}

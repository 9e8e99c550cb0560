#include "widget_test_support.h"
#include "widgets/colour_static.h"
#include "widgets/image_button.h"
#include "widgets/ip_address_edit.h"
#include "widgets/link_label.h"
#include "widgets/title_banner.h"
#include "widgets/up_down.h"

#include <QAccessible>
#include <QLineEdit>
#include <functional>
#include <gtest/gtest.h>

namespace {

// What assistive technology learns about each of the kit's controls, asked through Qt as a screen reader would.
TEST(KitAccessibility, EachControlTellsItsRoleNameValueAndState)
{
    QWidget dialog;
    struct Row
    {
        const char* what;
        std::function<QWidget*()> make;
        QAccessible::Role role;
        QString name;
        QString value;
        std::function<void(const QAccessible::State&)> state;
    };
    const auto any = [](const QAccessible::State&) {};
    const Row rows[] = {
        {"default push button",
         [&] {
             auto* b = new ImageButton(QStringLiteral("&Apply"), &dialog);
             b->setDefault(true);
             return b;
         },
         QAccessible::Button, "Apply", "",
         [](const QAccessible::State& s) {
             EXPECT_TRUE(s.defaultButton);
             EXPECT_FALSE(s.disabled);
             EXPECT_FALSE(s.checkable);
         }},
        {"disabled push button",
         [&] {
             auto* b = new ImageButton(QStringLiteral("Read"), &dialog);
             b->setEnabled(false);
             return b;
         },
         QAccessible::Button, "Read", "", [](const QAccessible::State& s) { EXPECT_TRUE(s.disabled); }},
        {"check-box style button, checked",
         [&] {
             auto* b = new ImageButton(QStringLiteral("Lock"), &dialog);
             b->SetCheckBoxStyle(true);
             b->SetCheckState(1);
             return b;
         },
         QAccessible::CheckBox, "Lock", "",
         [](const QAccessible::State& s) {
             EXPECT_TRUE(s.checkable);
             EXPECT_TRUE(s.checked);
         }},
        {"plain label", [&] { return new LinkLabel(QStringLiteral("- Vorn K3"), &dialog); }, QAccessible::StaticText,
         "- Vorn K3", "", [](const QAccessible::State& s) { EXPECT_FALSE(s.linked); }},
        {"web link",
         [&] {
             auto* l = new LinkLabel(QStringLiteral("Vorn on the web"), &dialog);
             l->SetLink(true, false).SetLinkUrl(QStringLiteral("https://example.com/"));
             return l;
         },
         QAccessible::Link, "Vorn on the web", "https://example.com/",
         [](const QAccessible::State& s) {
             EXPECT_TRUE(s.linked);
             EXPECT_TRUE(s.focusable);
         }},
        {"colour static", [&] { return new ColourStatic(QStringLiteral("COMX / V1.00"), &dialog); },
         QAccessible::StaticText, "COMX / V1.00", "", any},
        {"title banner, its own text rather than the template's",
         [&] {
             auto* b = new TitleBanner(&dialog);
             b->setText(QStringLiteral("Static"));
             b->SetText(QStringLiteral("Profibus"));
             return b;
         },
         QAccessible::Heading, "Profibus", "", any},
        {"IP address",
         [&] {
             auto* e = new IpAddressEdit(&dialog);
             e->SetAddress(0xC0A8010A);
             return e;
         },
         QAccessible::EditableText, "", "192.168.1.10", [](const QAccessible::State& s) { EXPECT_TRUE(s.focusable); }},
        {"blank IP address", [&] { return new IpAddressEdit(&dialog); }, QAccessible::EditableText, "", "", any},
        {"up-down",
         [&] {
             auto* u = new UpDown(&dialog);
             u->SetRange(1, 125);
             u->SetPos(42);
             return u;
         },
         QAccessible::SpinBox, "", "42", any},
    };
    for (const Row& row : rows) {
        QWidget* widget = row.make();
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(iface, nullptr) << row.what;
        EXPECT_EQ(iface->role(), row.role) << row.what;
        EXPECT_EQ(iface->text(QAccessible::Name), row.name) << row.what;
        EXPECT_EQ(iface->text(QAccessible::Value), row.value) << row.what;
        row.state(iface->state());
    }
}

TEST(KitAccessibility, ActionsAndValuesWorkTheControls)
{
    QWidget dialog;
    auto* check = new ImageButton(QStringLiteral("Lock"), &dialog);
    check->SetCheckBoxStyle(true);
    QAccessibleInterface* button = QAccessible::queryAccessibleInterface(check);
    button->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(check->GetCheckState());
    EXPECT_TRUE(button->state().checked);

    auto* ip = new IpAddressEdit(&dialog);
    QAccessibleInterface* address = QAccessible::queryAccessibleInterface(ip);
    address->setText(QAccessible::Value, QStringLiteral("10.0.0.1"));
    EXPECT_EQ(ip->GetAddress(), 0x0A000001u);
    address->setText(QAccessible::Value, QStringLiteral("10.0.0.256"));
    EXPECT_EQ(ip->GetAddress(), 0x0A000001u) << "no octet above 255";

    // The arrows step the number in their buddy, as a click on them does.
    auto* spin = new UpDown(&dialog);
    auto* buddy = new QLineEdit(&dialog);
    spin->SetBuddy(buddy, true);
    spin->SetRange(1, 125);
    spin->SetPos(125);
    QAccessibleInterface* arrows = QAccessible::queryAccessibleInterface(spin);
    QAccessibleValueInterface* value = arrows->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->minimumValue().toInt(), 1);
    EXPECT_EQ(value->maximumValue().toInt(), 125);
    arrows->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
    EXPECT_EQ(value->currentValue().toInt(), 124);
    EXPECT_EQ(buddy->text(), QStringLiteral("124"));
    value->setCurrentValue(500);
    EXPECT_EQ(buddy->text(), QStringLiteral("125")) << "kept within the range";

    UrlCatcher catcher;
    auto* link = new LinkLabel(QStringLiteral("www.example.com"), &dialog);
    link->SetLink(true, false);
    QAccessible::queryAccessibleInterface(link)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened.front().host(), QStringLiteral("www.example.com"));
}

} // namespace

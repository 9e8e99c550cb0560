#include "widgets/kit_accessible.h"

#include "widgets/image_button.h"
#include "widgets/ip_address_edit.h"
#include "widgets/link_label.h"
#include "widgets/title_banner.h"
#include "widgets/up_down.h"

#include <QAccessibleWidget>
#include <QLineEdit>

namespace {

// "&Apply" reads "Apply"; "&&" is a literal ampersand.
QString WithoutMnemonic(const QString& text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;
        }
        plain += text[i];
    }
    return plain;
}

// An explicit accessible name set by the program wins over what the control shows.
QString NameOr(const QWidget* widget, const QString& shown)
{
    return widget->accessibleName().isEmpty() ? shown : widget->accessibleName();
}

// The description of one of the kit's widget classes, with the widget at hand in its own type.
template <class Widget> class KitAccessible : public QAccessibleWidget
{
public:
    KitAccessible(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

protected:
    Widget* Control() const { return static_cast<Widget*>(widget()); }
};

class ImageButtonAccessible : public KitAccessible<ImageButton>
{
public:
    explicit ImageButtonAccessible(QWidget* widget) : KitAccessible(widget, QAccessible::Button) {}

    QAccessible::Role role() const override
    {
        return Control()->IsCheckBoxStyle() ? QAccessible::CheckBox : QAccessible::Button;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            return NameOr(Control(), WithoutMnemonic(Control()->text()));
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = Control()->isDown();
        s.defaultButton = Control()->IsDefaultButton();
        s.hasPopup = Control()->GetMenu() != nullptr;
        if (Control()->IsCheckBoxStyle()) {
            s.checkable = true;
            s.checked = Control()->GetCheckState();
        }
        return s;
    }

    QStringList actionNames() const override
    {
        return QStringList{Control()->IsCheckBoxStyle() ? toggleAction() : pressAction()} +
               QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override
    {
        if (action == pressAction() || action == toggleAction()) {
            if (Control()->isEnabled()) {
                Control()->click();
            }
            return;
        }
        QAccessibleWidget::doAction(action);
    }
};

class LinkLabelAccessible : public KitAccessible<LinkLabel>
{
public:
    explicit LinkLabelAccessible(QWidget* widget) : KitAccessible(widget, QAccessible::StaticText) {}

    QAccessible::Role role() const override
    {
        return Control()->GetLinkType() != LinkLabel::NoLink ? QAccessible::Link : QAccessible::StaticText;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            return NameOr(Control(), Control()->text());
        }
        if (t == QAccessible::Value && Control()->GetLinkType() != LinkLabel::NoLink) {
            return Control()->GetLinkUrl();
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = Control()->GetLinkType() != LinkLabel::NoLink;
        s.readOnly = true;
        return s;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (Control()->GetLinkType() != LinkLabel::NoLink) {
            names.prepend(pressAction());
        }
        return names;
    }

    void doAction(const QString& action) override
    {
        if (action == pressAction()) {
            Control()->ActivateLink();
            return;
        }
        QAccessibleWidget::doAction(action);
    }
};

class TitleBannerAccessible : public KitAccessible<TitleBanner>
{
public:
    explicit TitleBannerAccessible(QWidget* widget) : KitAccessible(widget, QAccessible::Heading) {}

    QString text(QAccessible::Text t) const override
    {
        // The banner paints its own text; the label text the template gave it is never shown.
        if (t == QAccessible::Name) {
            return NameOr(Control(), Control()->GetText());
        }
        return QAccessibleWidget::text(t);
    }
};

class IpAddressEditAccessible : public KitAccessible<IpAddressEdit>
{
public:
    explicit IpAddressEditAccessible(QWidget* widget) : KitAccessible(widget, QAccessible::EditableText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value) {
            return Control()->DottedText();
        }
        return QAccessibleWidget::text(t);
    }

    void setText(QAccessible::Text t, const QString& text) override
    {
        if (t == QAccessible::Value && Control()->isEnabled()) {
            Control()->SetDottedText(text);
        }
    }
};

class UpDownAccessible : public KitAccessible<UpDown>, public QAccessibleValueInterface
{
public:
    explicit UpDownAccessible(QWidget* widget) : KitAccessible(widget, QAccessible::SpinBox) {}

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ValueInterface) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value) {
            return QString::number(Control()->GetPos());
        }
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return Control()->GetPos(); }
    void setCurrentValue(const QVariant& value) override
    {
        if (Control()->isEnabled()) {
            Control()->SetPos(value.toInt());
        }
    }
    QVariant maximumValue() const override { return std::max(Control()->Lower(), Control()->Upper()); }
    QVariant minimumValue() const override { return std::min(Control()->Lower(), Control()->Upper()); }
    QVariant minimumStepSize() const override { return 1; }

    QStringList actionNames() const override
    {
        return QStringList{increaseAction(), decreaseAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override
    {
        if (action == increaseAction() || action == decreaseAction()) {
            if (Control()->isEnabled()) {
                Control()->Step(action == increaseAction() ? +1 : -1);
            }
            return;
        }
        QAccessibleWidget::doAction(action);
    }
};

// Asked for each class of an object, most derived first; the kit's classes are answered here, anything else
// (and the label classes the kit leaves to Qt) falls through to Qt's own descriptions.
QAccessibleInterface* KitFactory(const QString& className, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) {
        return nullptr;
    }
    if (className == QLatin1String("ImageButton")) {
        return new ImageButtonAccessible(widget);
    }
    if (className == QLatin1String("LinkLabel")) {
        return new LinkLabelAccessible(widget);
    }
    if (className == QLatin1String("TitleBanner")) {
        return new TitleBannerAccessible(widget);
    }
    if (className == QLatin1String("IpAddressEdit")) {
        return new IpAddressEditAccessible(widget);
    }
    if (className == QLatin1String("UpDown")) {
        return new UpDownAccessible(widget);
    }
    return nullptr;
}

} // namespace

void InstallKitAccessibility()
{
    // Qt ignores a factory it already has; the flag saves the look-up on every widget constructed.
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(&KitFactory);
        installed = true;
    }
}

#include "res/dialog_builder.h"

#include "widgets/ip_address_edit.h"
#include "widgets/kit_paint.h"
#include "widgets/picture_static.h"
#include "widgets/up_down.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRawFont>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QtEndian>
#include <algorithm>

namespace {

constexpr const char* kIdProperty = "controlId";

QRect ToPixels(const QSize& units, int x, int y, int w, int h)
{
    // Each edge is converted on its own (as MapDialogRect does) so neighbours stay flush.
    const auto px = [&](int dlu) { return dlu * units.width() / 4; };
    const auto py = [&](int dlu) { return dlu * units.height() / 8; };
    return QRect(QPoint(px(x), py(y)), QPoint(px(x + w) - 1, py(y + h) - 1));
}

Qt::Alignment StaticAlignment(std::uint32_t styles)
{
    // SS_CENTERIMAGE centres a text static's single line vertically.
    const Qt::Alignment vertical = (styles & style::SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop;
    const std::uint32_t type = styles & 0x1F;
    if (type == style::SS_CENTER)
        return Qt::AlignHCenter | vertical;
    if (type == style::SS_RIGHT)
        return Qt::AlignRight | vertical;
    return Qt::AlignLeft | vertical;
}

QWidget* MakePlain(const ControlEntry& entry, QWidget* parent)
{
    switch (entry.kind) {
    case ControlKind::PushButton:
        return new QPushButton(parent);
    case ControlKind::RadioButton:
        return new QRadioButton(parent);
    case ControlKind::GroupBox:
        return new QGroupBox(parent);
    case ControlKind::Static:
    case ControlKind::StaticIcon:
        return new QLabel(parent);
    case ControlKind::StaticBitmap:
        return new PictureStatic(parent);
    case ControlKind::Edit:
        if (entry.styles & style::ES_MULTILINE)
            return new QPlainTextEdit(parent);
        return new QLineEdit(parent);
    case ControlKind::ComboBox:
        return new QComboBox(parent);
    case ControlKind::UpDown:
        return new UpDown(parent);
    case ControlKind::IpAddress:
        return new IpAddressEdit(parent);
    case ControlKind::TabControl:
        return new QTabWidget(parent);
    }
    return new QWidget(parent);
}

// Puts the template's text, styles and state on whatever widget the factory made, as far as its class
// takes them: a factory's label subclass still gets its alignment and frame.
void Configure(QWidget* widget, const ControlEntry& entry, const QRect& rect)
{
    const QString text = QString::fromLatin1(entry.text ? entry.text : "");
    widget->setGeometry(rect);
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        button->setText(text);
        button->setDefault(entry.styles & style::BS_DEFPUSHBUTTON);
    } else if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
        radio->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(text);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        if (entry.styles & style::SS_SUNKEN)
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (entry.kind == ControlKind::StaticBitmap || entry.kind == ControlKind::StaticIcon) {
            const QPixmap picture =
                LoadArtwork(QStringLiteral(":/icon/%1.png").arg(entry.resource), label->devicePixelRatio());
            if (auto* fixedColours = qobject_cast<PictureStatic*>(label))
                fixedColours->SetPicture(picture);
            else
                label->setPixmap(picture);
            label->setAlignment(Qt::AlignCenter);
            // A picture control takes the size of its picture unless told to centre it in its rectangle.
            if (!picture.isNull() && !(entry.styles & style::SS_CENTERIMAGE))
                label->resize(picture.deviceIndependentSize().toSize() + QSize(2, 2) * label->frameWidth());
        } else {
            label->setText(text);
            label->setAlignment(StaticAlignment(entry.styles));
            // One line of text never wraps into a second line it has no room for; when the face here is a
            // little wider than the one the layout was drawn with, the label grows rather than cut its text.
            const bool oneLine = rect.height() < 2 * label->fontMetrics().height();
            label->setWordWrap(!oneLine && (entry.styles & 0x1F) != style::SS_LEFTNOWORDWRAP);
            if (oneLine && !text.isEmpty() && label->sizeHint().width() > rect.width())
                label->resize(label->sizeHint().width(), rect.height());
        }
    } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setText(text);
        if (entry.styles & style::ES_NUMBER)
            line->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), line));
        if (entry.styles & style::ES_CENTER)
            line->setAlignment(Qt::AlignCenter);
        line->setReadOnly(entry.styles & style::ES_READONLY);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        plain->setPlainText(text);
        plain->setReadOnly(true);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        // Positions are codes on the wire: never sorted, and typed text never becomes an entry.
        const bool editable = (entry.styles & 0x3) == style::CBS_DROPDOWN;
        combo->setEditable(editable);
        combo->setInsertPolicy(QComboBox::NoInsert);
        // The template's height includes the dropped list; the closed box is as high as its font needs.
        widget->setGeometry(rect.x(), rect.y(), rect.width(), combo->sizeHint().height());
    }
    if (entry.styles & style::WS_DISABLED)
        widget->setEnabled(false);
    if (entry.kind == ControlKind::GroupBox)
        widget->lower(); // a frame drawn later must not sit on top of the controls inside it
}

// The character height Windows gives a TrueType font: its OS/2 "win" ascent and descent, each rounded
// at the font's pixel size. Qt measures with other tables, which for Tahoma is two pixels less at 8 pt;
// the dialogs would come out squashed. Nothing when the font has no such table.
int WindowsCharHeight(const QFont& font)
{
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray os2 = raw.fontTable("OS/2");
    const QByteArray head = raw.fontTable("head");
    constexpr int kWinAscentOffset = 74;
    constexpr int kWinDescentOffset = 76;
    constexpr int kUnitsPerEmOffset = 18;
    if (os2.size() < kWinDescentOffset + 2 || head.size() < kUnitsPerEmOffset + 2)
        return 0;
    const int unitsPerEm = qFromBigEndian<quint16>(head.constData() + kUnitsPerEmOffset);
    if (unitsPerEm == 0)
        return 0;
    const double scale = raw.pixelSize() / unitsPerEm;
    const int ascent = qRound(qFromBigEndian<quint16>(os2.constData() + kWinAscentOffset) * scale);
    const int descent = qRound(qFromBigEndian<quint16>(os2.constData() + kWinDescentOffset) * scale);
    return ascent + descent;
}

} // namespace

QSize DialogBaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, std::max(metrics.height(), WindowsCharHeight(font))};
}

void BuildDialog(QWidget* dialog, const DialogTemplate& dialogTemplate, const std::map<int, ControlFactory>& custom)
{
    QFont asked(QString::fromLatin1(dialogTemplate.fontName));
    asked.setPointSize(dialogTemplate.fontPoints);
    // A bitmap face shows only at its own size on a screen of ratio 1; elsewhere a scalable face of the same role
    // draws the text, and the units come from it, so the layout fits the text as drawn.
    const QFont font = DrawableFont(asked, dialog->devicePixelRatio());
    dialog->setFont(font);
    const QSize units = DialogBaseUnits(font);

    if (dialogTemplate.caption)
        dialog->setWindowTitle(QString::fromLatin1(dialogTemplate.caption));
    const QRect client = ToPixels(units, 0, 0, dialogTemplate.w, dialogTemplate.h);
    if (dialogTemplate.caption)
        dialog->setFixedSize(client.size()); // popup windows with a modal frame are not resizable
    else
        dialog->resize(client.size());

    QWidget* previous = nullptr;
    QButtonGroup* radioGroup = nullptr;
    for (const ControlEntry& entry : dialogTemplate.controls) {
        const auto factory = entry.id >= 0 ? custom.find(entry.id) : custom.end();
        QWidget* widget = factory != custom.end() ? factory->second(entry, dialog) : MakePlain(entry, dialog);
        if (!widget)
            widget = MakePlain(entry, dialog);
        widget->setProperty(kIdProperty, entry.id);
        if (entry.id >= 0 && widget->objectName().isEmpty())
            widget->setObjectName(QStringLiteral("control%1").arg(entry.id));
        Configure(widget, entry, ToPixels(units, entry.x, entry.y, entry.w, entry.h));

        // A radio group runs from a radio with WS_GROUP to the next control that starts a group.
        auto* radio = qobject_cast<QAbstractButton*>(widget);
        if (entry.kind == ControlKind::RadioButton && radio) {
            if (!radioGroup || (entry.styles & style::WS_GROUP)) {
                radioGroup = new QButtonGroup(dialog);
                radioGroup->setExclusive(true);
            }
            radio->setAutoExclusive(false);
            radioGroup->addButton(radio);
        } else if (entry.styles & style::WS_GROUP || entry.kind != ControlKind::RadioButton) {
            radioGroup = nullptr;
        }

        if (auto* upDown = qobject_cast<UpDown*>(widget); upDown && (entry.styles & style::UDS_AUTOBUDDY)) {
            if (auto* buddy = qobject_cast<QLineEdit*>(previous)) {
                upDown->SetBuddy(buddy, entry.styles & style::UDS_SETBUDDYINT);
                if (entry.styles & style::UDS_ALIGNRIGHT) {
                    // The arrows take the buddy's right edge, as a Windows up-down control does.
                    const QRect b = buddy->geometry();
                    const int arrows = widget->width();
                    buddy->setGeometry(b.x(), b.y(), std::max(1, b.width() - arrows), b.height());
                    widget->setGeometry(b.x() + b.width() - arrows, b.y(), arrows, b.height());
                }
            }
        }
        widget->show();
        previous = widget;
    }
}

QWidget* FindControl(const QWidget* dialog, int id)
{
    if (!dialog || id < 0)
        return nullptr;
    // Direct children only: a page hosted inside a dialog has controls with the same ids.
    for (QObject* child : dialog->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && widget->property(kIdProperty).toInt() == id && widget->property(kIdProperty).isValid())
            return widget;
    }
    return nullptr;
}

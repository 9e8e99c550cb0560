#include "widgets/ip_address_edit.h"

#include "widgets/kit_accessible.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionFrame>
#include <QValidator>

namespace {
constexpr int OctetCount = 4;
constexpr int MaxOctet = 255;
constexpr int OctetDigits = 3;

// Digits only, at most three, never above 255; an empty field is a blank octet.
class OctetValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int& /*pos*/) const override
    {
        if (input.isEmpty()) {
            return Acceptable;
        }
        if (input.size() > OctetDigits) {
            return Invalid;
        }
        for (const QChar c : input) {
            if (!c.isDigit() || c.unicode() > '9') {
                return Invalid;
            }
        }
        return input.toInt() <= MaxOctet ? Acceptable : Invalid;
    }
};

// "a.b.c.d" with each part 0..255, or nothing.
bool ParseDotted(const QString& text, std::uint32_t& address)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.size() != OctetCount) {
        return false;
    }
    std::uint32_t value = 0;
    for (const QString& part : parts) {
        bool ok = false;
        const int octet = part.toInt(&ok, 10);
        if (!ok || part.size() > OctetDigits || octet < 0 || octet > MaxOctet) {
            return false;
        }
        value = (value << 8) | static_cast<std::uint32_t>(octet);
    }
    address = value;
    return true;
}
} // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QWidget(parent)
{
    InstallKitAccessibility();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(3, 2, 3, 2);
    layout->setSpacing(0);
    auto* validator = new OctetValidator(this);
    for (int i = 0; i < OctetCount; ++i) {
        if (i > 0) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setAlignment(Qt::AlignCenter);
            layout->addWidget(dot);
        }
        auto* field = new QLineEdit(this);
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setMaxLength(OctetDigits);
        field->setValidator(validator);
        field->setObjectName(QStringLiteral("octet%1").arg(i));
        // One tab stop for the whole address, as the pages' tab order expects; the octets are reached by typing,
        // the arrow keys or the mouse.
        field->setFocusPolicy(Qt::ClickFocus);
        // The dialog template decides the size; the octets share whatever width it gives.
        field->setMinimumSize(1, 1);
        field->installEventFilter(this);
        layout->addWidget(field, 1);
        fields[static_cast<std::size_t>(i)] = field;
        connect(field, &QLineEdit::textChanged, this, &IpAddressEdit::AddressChanged);
        connect(field, &QLineEdit::textEdited, this, [this, i, field](const QString& text) {
            // A full octet typed at its end moves on, so an address can be typed straight through.
            if (text.size() == OctetDigits && field->cursorPosition() == OctetDigits && i + 1 < OctetCount) {
                FocusField(i + 1, false);
            }
        });
    }
    setFocusProxy(fields[0]);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
}

QLineEdit* IpAddressEdit::Field(int index) const
{
    if (index < 0 || index >= OctetCount) {
        return nullptr;
    }
    return fields[static_cast<std::size_t>(index)];
}

void IpAddressEdit::SetAddress(std::uint32_t address)
{
    for (int i = 0; i < OctetCount; ++i) {
        const std::uint32_t octet = (address >> (8 * (OctetCount - 1 - i))) & 0xFFu;
        fields[static_cast<std::size_t>(i)]->setText(QString::number(octet));
    }
}

std::uint32_t IpAddressEdit::GetAddress() const
{
    std::uint32_t address = 0;
    for (const QLineEdit* field : fields) {
        // The validator keeps every octet within 0..255; a blank one counts as 0.
        address = (address << 8) | static_cast<std::uint32_t>(field->text().toInt() & 0xFF);
    }
    return address;
}

bool IpAddressEdit::IsBlank() const
{
    for (const QLineEdit* field : fields) {
        if (!field->text().isEmpty()) {
            return false;
        }
    }
    return true;
}

QString IpAddressEdit::DottedText() const
{
    if (IsBlank()) {
        return {};
    }
    QStringList octets;
    for (const QLineEdit* field : fields) {
        octets << field->text();
    }
    return octets.join(QLatin1Char('.'));
}

bool IpAddressEdit::SetDottedText(const QString& text)
{
    std::uint32_t address = 0;
    if (!ParseDotted(text, address)) {
        return false;
    }
    SetAddress(address);
    return true;
}

void IpAddressEdit::ClearAddress()
{
    for (QLineEdit* field : fields) {
        field->clear();
    }
}

int IpAddressEdit::IndexOf(QObject* field) const
{
    for (int i = 0; i < OctetCount; ++i) {
        if (fields[static_cast<std::size_t>(i)] == field) {
            return i;
        }
    }
    return -1;
}

void IpAddressEdit::FocusField(int index, bool atEnd)
{
    QLineEdit* field = Field(index);
    if (!field) {
        return;
    }
    field->setFocus(Qt::OtherFocusReason);
    if (atEnd) {
        field->deselect();
        field->setCursorPosition(static_cast<int>(field->text().size()));
    } else {
        field->selectAll();
    }
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event)
{
    const int index = IndexOf(watched);
    if (index < 0 || event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    QLineEdit* field = fields[static_cast<std::size_t>(index)];
    const bool atStart = field->cursorPosition() == 0 && !field->hasSelectedText();
    const bool atEnd = field->cursorPosition() == field->text().size() && !field->hasSelectedText();

    if (key->matches(QKeySequence::Paste)) {
        // A whole address fills all four octets; a plain number is pasted into the octet, through its validator.
        return SetDottedText(QApplication::clipboard()->text());
    }
    switch (key->key()) {
    case Qt::Key_Period:
    case Qt::Key_Space:
        if (!field->text().isEmpty() && index + 1 < OctetCount) {
            FocusField(index + 1, false);
        }
        return true; // never typed into an octet
    case Qt::Key_Backspace:
        if (atStart && index > 0) {
            FocusField(index - 1, true);
            return true;
        }
        break;
    case Qt::Key_Left:
        if (atStart && index > 0) {
            FocusField(index - 1, true);
            return true;
        }
        break;
    case Qt::Key_Right:
        if (atEnd && index + 1 < OctetCount) {
            FocusField(index + 1, false);
            fields[static_cast<std::size_t>(index + 1)]->setCursorPosition(0);
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void IpAddressEdit::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    QStyleOptionFrame option;
    option.initFrom(this);
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
}

void IpAddressEdit::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        update(); // the panel takes the disabled colours
    }
}

QSize IpAddressEdit::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(QStringLiteral("000.000.000.000")) + 6 * OctetCount + 12, metrics.height() + 10};
}

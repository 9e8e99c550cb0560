#pragma once

#include <QWidget>
#include <array>
#include <cstdint>

class QLineEdit;

// An IPv4 address entry: four octet fields separated by dots. Values are 32-bit, first octet most
// significant; blank fields count as 0. Typing never lets an octet exceed 255; '.' or a space, or a
// third digit, moves to the next octet; Backspace or Left at an octet's start goes back.
class IpAddressEdit : public QWidget
{
    Q_OBJECT

public:
    explicit IpAddressEdit(QWidget* parent = nullptr);

    void SetAddress(std::uint32_t address);
    std::uint32_t GetAddress() const;
    // True when every octet is empty.
    bool IsBlank() const;
    // The octets as shown, joined by dots ("192.168..1" with a blank third octet); empty when all are blank.
    QString DottedText() const;
    // Takes "a.b.c.d" with each part 0..255; anything else changes nothing and gives false.
    bool SetDottedText(const QString& text);
    void ClearAddress();
    // The octet field `index` (0 = first), for focus handling and tests.
    QLineEdit* Field(int index) const;

    QSize sizeHint() const override;

signals:
    void AddressChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int IndexOf(QObject* field) const;
    void FocusField(int index, bool atEnd);

    std::array<QLineEdit*, 4> fields{};
};

#include "cards/card_info.h"
#include "cards/card_settings.h"

#include <gtest/gtest.h>

using namespace cards;

TEST(CardSettings, EachParameterEncodesOnlyItsOwnRegisters)
{
    CardSettings settings;
    settings.nodeAddress = 0x0105;
    settings.baudCode = 2;
    settings.exchangeChoice = 4;
    settings.addressMode = 1;
    settings.ip = {0xC0A8010A, 0xFFFFFF00, 0xC0A80101};

    IpBlock bytes{};
    ASSERT_EQ(EncodeParameter(settings, kNodeAddress, bytes), 2);
    EXPECT_EQ(bytes[0], 0x05);
    EXPECT_EQ(bytes[1], 0x01);
    ASSERT_EQ(EncodeParameter(settings, kIpBlock, bytes), 12);
    EXPECT_EQ(bytes[0], 10);
    EXPECT_EQ(bytes[3], 192);
    EXPECT_EQ(EncodeParameter(settings, kIdentification, bytes), 0);
    EXPECT_EQ(EncodeParameter(settings, kModelBlock, bytes), 0);

    CardSettings copy;
    for (const Parameter& p : {kNodeAddress, kBaudCode, kExchangeChoice, kAddressMode, kIpBlock}) {
        const int count = EncodeParameter(settings, p, bytes);
        EXPECT_TRUE(DecodeParameter(copy, p, std::span<const std::uint8_t>(bytes.data(), count)));
    }
    EXPECT_EQ(copy, settings);

    // Too few bytes, or no setting at all: nothing changes.
    CardSettings untouched;
    EXPECT_FALSE(DecodeParameter(untouched, kIpBlock, std::span<const std::uint8_t>(bytes.data(), 11)));
    EXPECT_FALSE(DecodeParameter(untouched, kNodeAddress, std::span<const std::uint8_t>(bytes.data(), 1)));
    EXPECT_FALSE(DecodeParameter(untouched, kProbe, bytes));
    EXPECT_EQ(untouched, CardSettings{});
}

TEST(CardSettings, WritableRangesFollowCardAndRange)
{
    const auto range = [](std::uint16_t code, int firmwareRange, const Parameter& p) {
        const auto r = WritableRange(code, firmwareRange, p);
        return r ? std::pair<int, int>{r->minimum, r->maximum} : std::pair<int, int>{-1, -1};
    };
    using R = std::pair<int, int>;
    EXPECT_EQ(range(5, kCurrent, kNodeAddress), R(1, 125));
    EXPECT_EQ(range(1, kCurrent, kNodeAddress), R(1, 128));
    EXPECT_EQ(range(6, kCurrent, kNodeAddress), R(0, 63));
    EXPECT_EQ(range(4, kCurrent, kNodeAddress), R(1, 255));
    EXPECT_EQ(range(6, kCurrent, kBaudCode), R(0, 2));
    EXPECT_EQ(range(2, kCurrent, kBaudCode), R(0, 3));
    EXPECT_EQ(range(1, kLegacy, kExchangeChoice), R(0, 2));
    EXPECT_EQ(range(1, kCurrent, kExchangeChoice), R(0, 4));
    EXPECT_EQ(range(2, kLegacy, kExchangeChoice), R(0, 3));
    EXPECT_EQ(range(7, kLegacy, kExchangeChoice), R(0, 4));
    EXPECT_EQ(range(8, kCurrent, kAddressMode), R(0, 1));
    // Parameters a card never writes have no writable range.
    EXPECT_EQ(range(8, kCurrent, kExchangeChoice), R(-1, -1));
    EXPECT_EQ(range(5, kCurrent, kBaudCode), R(-1, -1));
    EXPECT_EQ(range(4, kCurrent, kIpBlock), R(-1, -1));
    EXPECT_EQ(range(3, kCurrent, kNodeAddress), R(-1, -1));
}

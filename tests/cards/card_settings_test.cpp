#include "cards/card_info.h"
#include "cards/card_lists.h"
#include "cards/card_settings.h"
#include "cards/encoding.h"
#include "cards/parameters.h"
#include "cards/settings_check.h"

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
        EXPECT_TRUE(
            DecodeParameter(copy, p, std::span<const std::uint8_t>(bytes.data(), static_cast<std::size_t>(count))));
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

// Static addresses that can never work are refused, naming the address; DHCP and cards that never write
// the block pass whatever it holds.
TEST(CardSettings, StaticIpBlocksThatCanNeverWorkAreRefused)
{
    struct Case
    {
        const char* ip;
        const char* mask;
        const char* gateway;
        const char* fault; // part of the message; nullptr: accepted
    };
    for (const Case& c : {
             Case{"192.168.1.10", "255.255.255.0", "192.168.1.1", nullptr},
             Case{"192.168.1.10", "255.255.255.0", "0.0.0.0", nullptr}, // no gateway
             Case{"10.0.0.1", "255.255.255.254", "0.0.0.0", nullptr},   // a /31 has no broadcast address
             Case{"192.168.1.10", "255.0.255.0", "192.168.1.1", "subnet mask 255.0.255.0 is not a subnet mask"},
             Case{"0.0.0.0", "255.255.255.0", "192.168.1.1", "IP address 0.0.0.0 is no host address"},
             Case{"255.255.255.255", "255.255.255.0", "0.0.0.0", "the broadcast address"},
             Case{"127.0.0.1", "255.0.0.0", "0.0.0.0", "a loopback address"},
             Case{"224.0.0.5", "255.255.255.0", "0.0.0.0", "a multicast address"},
             Case{"192.168.1.255", "255.255.255.0", "0.0.0.0", "the broadcast address of its subnet"},
             Case{"192.168.1.0", "255.255.255.0", "0.0.0.0", "the network address of its subnet"},
             Case{"192.168.1.10", "255.255.255.0", "255.255.255.255", "gateway 255.255.255.255 is no host"},
             Case{"192.168.1.10", "255.255.255.0", "239.1.1.1", "gateway 239.1.1.1 is no host"},
             Case{"192.168.1.10", "255.255.255.0", "10.0.0.1", "gateway 10.0.0.1 is outside the subnet"},
             Case{"10.0.0.5", "255.255.255.0", "192.168.1.1", "gateway 192.168.1.1 is outside the subnet"},
             Case{"192.168.1.10", "255.255.255.0", "192.168.1.10", "gateway 192.168.1.10 is the card's own"},
             Case{"192.168.1.10", "255.255.255.0", "192.168.1.255", "gateway 192.168.1.255 is no host"},
             Case{"192.168.1.10", "255.255.255.255", "0.0.0.0", "subnet mask 255.255.255.255 cannot be used"},
             Case{"192.168.1.10", "0.0.0.0", "192.168.1.1", "subnet mask 0.0.0.0 cannot be used"},
             Case{"10.0.0.0", "255.255.255.254", "10.0.0.1", nullptr}, // the other host of a /31
         }) {
        CardSettings settings;
        settings.addressMode = kModeStatic;
        settings.ip = {*ParseIp(c.ip), *ParseIp(c.mask), *ParseIp(c.gateway)};
        for (std::uint16_t code : std::initializer_list<std::uint16_t>{7, 8}) {
            const auto fault = CheckIpBlock(*FindCard(code), settings);
            if (c.fault == nullptr) {
                EXPECT_FALSE(fault) << c.ip << " " << c.mask << ": " << fault.value_or("");
            } else {
                ASSERT_TRUE(fault) << c.ip << " " << c.mask << " " << c.gateway;
                EXPECT_NE(fault->find(c.fault), std::string::npos) << *fault;
            }
        }
        settings.addressMode = kModeDhcp;
        EXPECT_FALSE(CheckIpBlock(*FindCard(7), settings)) << "DHCP writes what the controls hold";
        settings.addressMode = kModeStatic;
        EXPECT_FALSE(CheckIpBlock(*FindCard(4), settings)) << "Profinet never writes its IP block";
    }
}
